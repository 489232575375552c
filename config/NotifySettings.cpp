#include "config/NotifySettings.h"

#include "config/IniFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <utility>

TNotifySettings NotifyPara;

namespace {
using TFlag = bool TNotifySettings::*;
// One row per switch, in the order the file lists them.
constexpr std::array<std::pair<const char*, TFlag>, 9> Flags = [] {
    std::array<std::pair<const char*, TFlag>, 9> flags{};
    flags.front() = {"Desktop", &TNotifySettings::Desktop};
    for (std::size_t i = 0; i < NotifyEventChoices.size(); ++i)
        flags[i + 1] = {NotifyEventChoices[i].Key, NotifyEventChoices[i].Flag};
    flags.back() = {"CloseToTray", &TNotifySettings::CloseToTray};
    return flags;
}();

int32_t ReadBounded(const TIniFile& ini, const char* key, int32_t def, int32_t low, int32_t high) {
    const int32_t value = ini.ReadInteger(NotifySection, key, def);
    return value < low || value > high ? def : value;
}
} // namespace

TNotifySettings ReadNotifySettings(const TIniFile& ini) {
    TNotifySettings settings;
    for (const auto& [key, flag] : Flags) {
        const int32_t value = ini.ReadInteger(NotifySection, key, settings.*flag ? 1 : 0);
        settings.*flag = value != 0;
    }
    settings.GatherSeconds =
        ReadBounded(ini, "GatherSeconds", settings.GatherSeconds, 0, MaxGatherSeconds);
    settings.CommandTimeLimit =
        ReadBounded(ini, "CommandTimeLimit", settings.CommandTimeLimit, 1, MaxCommandTimeLimit);
    settings.Command = ini.ReadString(NotifySection, "Command", "");
    return settings;
}

TNotifySettings ReadNotifySettings(const std::string& iniPath) {
    TIniFile ini;
    ini.Load(iniPath);
    return ReadNotifySettings(ini);
}

void StoreNotifySettings(const TNotifySettings& settings, TIniFile& ini) {
    for (const auto& [key, flag] : Flags)
        ini.WriteInteger(NotifySection, key, settings.*flag ? 1 : 0);
    ini.WriteInteger(NotifySection, "GatherSeconds", settings.GatherSeconds);
    ini.WriteString(NotifySection, "Command", settings.Command);
    ini.WriteInteger(NotifySection, "CommandTimeLimit", settings.CommandTimeLimit);
}

std::string CommandProblem(const std::string& program) {
    struct stat info {};
    if (::stat(program.c_str(), &info) != 0)
        return errno == ENOENT ? "does not exist" : std::strerror(errno);
    if (S_ISDIR(info.st_mode))
        return "is a folder";
    if (!S_ISREG(info.st_mode))
        return "is not a file";
    if (::access(program.c_str(), X_OK) != 0)
        return "is not executable";
    return {};
}

