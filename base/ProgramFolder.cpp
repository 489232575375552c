#include "base/ProgramFolder.h"

#include <climits>
#include <unistd.h>

namespace {
std::string ExecutableFolder() {
    char buf[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0)
        return "./";
    std::string path(buf, std::size_t(n));
    return path.substr(0, path.rfind('/') + 1);
}

std::string& Folder() {
    static std::string folder = ExecutableFolder();
    return folder;
}
} // namespace

const std::string& ProgramFolder() { return Folder(); }

void SetProgramFolder(const std::string& folder) {
    Folder() = folder.empty() || folder.back() == '/' ? folder : folder + '/';
}

std::string RecordPath() { return ProgramFolder() + "Record/"; }
std::string BackupPath() { return ProgramFolder() + "Backup/"; }
