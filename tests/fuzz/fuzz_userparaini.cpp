// Feeds arbitrary text to the settings reader as a "UserParaIni.ini" and
// checks that loading and saving never fail and that the settings settle at
// the first save: what a saved file loads as is saved and loaded unchanged
// from then on. (The first save may still change a value: control
// characters are dropped, blanks and quotes around a value are not read.)
#include "config/IniFile.h"
#include "config/UUserParaIni.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {
void Require(bool ok) {
    if (!ok)
        std::abort();
}

std::string Settings() {
    const TPortInfo& p = UserPara.PortInfo;
    return p.ComName + '|' + std::to_string(p.BaudRate) + '|' + std::to_string(p.StopBits) + '|' +
           std::to_string(p.ReadIntervalTimeout) + '|' + std::to_string(p.AutoStart) + '|' +
           std::to_string(p.Protocol) + '|' + std::to_string(p.WaitTimer) + '|' +
           std::to_string(p.MaxReSend) + '|' + std::to_string(p.CommErrCnt) + '|' +
           std::to_string(p.CommLostCnt) + '|' + std::to_string(UserPara.Language) + '|' +
           std::to_string(UserPara.RecInterval);
}

// Saves the settings into the text and loads them back from the saved text.
std::string SaveAndLoad(std::string_view text) {
    TIniFile ini(text);
    StoreUserParaIn(ini);
    const std::string saved = ini.Text();
    LoadUserParaFrom(TIniFile(saved));
    return saved;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size > TIniFile::MaxFileSize)
        return 0;
    UserPara = {};
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    LoadUserParaFrom(TIniFile(text));
    const std::string once = SaveAndLoad(text);
    const std::string settled = Settings();
    const std::string twice = SaveAndLoad(once);
    Require(Settings() == settled);
    Require(SaveAndLoad(twice) == twice);
    Require(Settings() == settled);
    return 0;
}
