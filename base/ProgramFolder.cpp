#include "base/ProgramFolder.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <optional>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr const char* DataFolderName = "pelmora-desk/";

std::string WithSlash(std::string folder) {
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

// Installed programs live here; their data never does.
bool IsSystemProgramFolder(const std::string& folder) {
    return folder.starts_with("/usr/") || folder == "/bin/" || folder == "/sbin/";
}

bool IsWritableFolder(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) &&
           access(path.c_str(), W_OK | X_OK) == 0;
}

bool CanKeepRecordIn(const std::string& folder) {
    const std::string record = folder + "Record";
    if (mkdir(record.c_str(), 0777) == 0)
        return true;
    return errno == EEXIST && IsWritableFolder(record);
}

// Relative values are ignored, as the XDG base directory rules ask.
bool IsAbsolute(const char* path) {
    return path != nullptr && path[0] == '/';
}

std::string HomeFolder(const TDataHome& home) {
    if (IsAbsolute(home.Home))
        return home.Home;
    const passwd* user = getpwuid(getuid());
    return user != nullptr && IsAbsolute(user->pw_dir) ? user->pw_dir : "/";
}

std::string UserDataFolder(const TDataHome& home) {
    const std::string dataHome = IsAbsolute(home.XdgDataHome)
                                     ? std::string(home.XdgDataHome)
                                     : WithSlash(HomeFolder(home)) + ".local/share";
    return WithSlash(dataHome) + DataFolderName;
}

// Decided at the first use, so that a test or tool that sets the folder
// first leaves no Record/ beside its own executable.
std::optional<std::string>& Folder() {
    static std::optional<std::string> folder;
    return folder;
}

std::string& Stranded() {
    static std::string stranded;
    return stranded;
}

bool& ReadOnly() {
    static bool readOnly = false;
    return readOnly;
}
} // namespace

std::string DataFolderFor(const std::string& exeFolder, const TDataHome& home) {
    const std::string folder = WithSlash(exeFolder);
    if (!IsSystemProgramFolder(folder) && CanKeepRecordIn(folder))
        return folder;
    return UserDataFolder(home);
}

std::string StrandedFolderFor(const std::string& exeFolder) {
    const std::string folder = WithSlash(exeFolder);
    if (IsSystemProgramFolder(folder))
        return {};
    struct stat st {};
    const bool holdsFiles = ::stat((folder + "UserParaIni.ini").c_str(), &st) == 0 ||
                            (::stat((folder + "Record").c_str(), &st) == 0 && S_ISDIR(st.st_mode));
    return holdsFiles && !CanKeepRecordIn(folder) ? folder : std::string();
}

std::string ExecutableFolder() {
    char buf[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0)
        return "./";
    const std::string path(buf, std::size_t(n));
    return path.substr(0, path.rfind('/') + 1);
}

const std::string& ProgramFolder() {
    std::optional<std::string>& folder = Folder();
    if (!folder) {
        const std::string exe = ExecutableFolder();
        folder = DataFolderFor(exe, {std::getenv("XDG_DATA_HOME"), std::getenv("HOME")});
        Stranded() = StrandedFolderFor(exe);
    }
    return *folder;
}

void SetProgramFolder(const std::string& folder) {
    Folder() = folder.empty() ? folder : WithSlash(folder);
    Stranded().clear();
}

std::string StrandedProgramFolder() {
    (void)ProgramFolder();
    return Stranded();
}

void SetReadOnlyRun(bool readOnly) {
    ReadOnly() = readOnly;
}

bool ReadOnlyRun() {
    return ReadOnly();
}

std::string RecordPath() {
    return ProgramFolder() + "Record/";
}
std::string BackupPath() {
    return ProgramFolder() + "Backup/";
}
