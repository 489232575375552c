#include "config/AutoStartEntry.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <system_error>
#include <utility>

namespace fs = std::filesystem;

namespace {

// A desktop-file string value on one line: backslashes doubled, tabs and
// line breaks written as their escapes (a raw control character makes the
// whole entry invalid).
std::string StringValue(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else if (c == '\t')
            out += "\\t";
        else
            out += c;
    }
    return out;
}

// The program path as the one Exec argument: in double quotes, with ", `, $
// and \ escaped inside them, and % doubled so it is not read as a field code;
// then written as a string value. Desktops look for the program under the
// Exec's first word before they undo the doubled %, so a path with a % is
// started through env, whose own path holds none.
std::string ExecValue(const std::string& path) {
    std::string quoted = "\"";
    for (char c : path) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            quoted += '\\';
        if (c == '%')
            quoted += '%';
        quoted += c;
    }
    quoted += '"';
    return StringValue(path.find('%') == std::string::npos ? quoted : "env " + quoted);
}

std::string EnvOr(const char* name, const std::string& fallback) {
    const char* value = std::getenv(name);
    return value != nullptr && value[0] == '/' ? std::string(value) : fallback;
}

} // namespace

TAutoStartFolders DefaultAutoStartFolders() {
    const std::string home = EnvOr("HOME", "/");
    const std::string config = EnvOr("XDG_CONFIG_HOME", home + "/.config");
    // The first of the system's configuration folders is the one desktops read first.
    std::string system = EnvOr("XDG_CONFIG_DIRS", "/etc/xdg");
    system = system.substr(0, system.find(':'));
    return {system + "/autostart/", config + "/autostart/"};
}

TAutoStartEntry::TAutoStartEntry(TAutoStartFolders folders, std::string title,
                                 std::string programPath)
    : FFolders(std::move(folders)), FTitle(std::move(title)), FProgramPath(std::move(programPath)) {
}

bool TAutoStartEntry::Exists() const {
    std::error_code ec;
    return fs::exists(FFolders.Machine + FileName(), ec) ||
           fs::exists(FFolders.User + FileName(), ec);
}

std::string TAutoStartEntry::EntryText() const {
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=" +
           StringValue(FTitle) +
           "\n"
           "Exec=" +
           ExecValue(FProgramPath) +
           "\n"
           "Terminal=false\n"
           "X-GNOME-Autostart-enabled=true\n";
}

// Writes a new entry into folder (made if missing); false when this user
// cannot, leaving no partial file behind.
bool TAutoStartEntry::TryWrite(const std::string& folder) const {
    std::error_code ec;
    fs::create_directories(folder, ec);
    const std::string path = folder + FileName();
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        if (out && out << EntryText() && out.flush())
            return true;
    }
    fs::remove(path, ec);
    return false;
}

void TAutoStartEntry::Apply(bool wanted) const {
    if (wanted) {
        if (Exists() || TryWrite(FFolders.Machine) || TryWrite(FFolders.User))
            return;
        throw std::runtime_error("Unable to write to " + FFolders.User + FileName());
    }
    for (const std::string& folder : {FFolders.Machine, FFolders.User}) {
        const std::string path = folder + FileName();
        std::error_code ec;
        if (fs::exists(path, ec) && !fs::remove(path, ec))
            throw std::runtime_error("Unable to remove " + path);
    }
}
