#include "base/VersionInfo.h"

std::string GetVersionString(std::string_view valueName) {
#ifdef PELMORA_VERSION
    constexpr std::string_view version = PELMORA_VERSION;
#else
    constexpr std::string_view version;
#endif
    return valueName == "FileVersion" ? std::string(version) : std::string();
}
