#include "config/UUserParaIni.h"

#include "base/AtomicFile.h"
#include "base/ProgramFolder.h"
#include "config/IniFile.h"

#include <stdexcept>

TUserPara UserPara;

namespace {
constexpr const char* SecPort = "CommPort";
constexpr const char* SecMast = "CommMast"; // spelled so in every settings file
constexpr const char* SecLanguage = "Language";
constexpr const char* SecDataLog = "DataLog";

constexpr int32_t MinRecInterval = 50;

// 8-bit settings keep the low byte of what the file holds (300 reads as 44).
uint8_t ReadByte(const TIniFile& ini, const char* section, const char* key, uint8_t def) {
    return uint8_t(ini.ReadInteger(section, key, def));
}

// 0 switches data logging off and is kept; any other value below the shortest
// interval (negative ones included) is raised to it.
int32_t LoadedRecInterval(int32_t stored) {
    return stored == 0 || stored >= MinRecInterval ? stored : MinRecInterval;
}
} // namespace

std::string UserParaPath() {
    return ProgramFolder() + "UserParaIni.ini";
}

void LoadUserPara() {
    TIniFile ini;
    (void)ini.Load(UserParaPath()); // an unreadable file gives the defaults
    LoadUserParaFrom(ini);
}

void LoadUserParaFrom(const TIniFile& ini) {
    TPortInfo& p = UserPara.PortInfo;
    // An empty ComName is the user's choice of no port: only a missing key
    // gives the first serial port.
    p.ComName = ini.ReadValue(SecPort, "ComName").value_or("COM1");
    p.BaudRate = ini.ReadInteger(SecPort, "BaudRate", 9600);
    p.StopBits = ReadByte(ini, SecPort, "StopBits", 1);
    p.ReadIntervalTimeout = ini.ReadInteger(SecPort, "ReadIntervalTimeout", 200);
    p.AutoStart = ini.ReadInteger(SecPort, "AutoStart", 0) != 0;
    p.Protocol = ReadByte(ini, SecPort, "Protocol", 0);
    p.WaitTimer = ReadByte(ini, SecMast, "WaitTimer", 15);
    p.MaxReSend = ReadByte(ini, SecMast, "MaxReSend", 2);
    p.CommErrCnt = ReadByte(ini, SecMast, "CommErrCnt", 5);
    p.CommLostCnt = ReadByte(ini, SecMast, "CommLostCnt", 10);
    p.FastPoll = ini.ReadInteger(SecMast, "FastPoll", 0) == 1;
    UserPara.Language = ReadByte(ini, SecLanguage, "Language", 0);
    UserPara.RecInterval = LoadedRecInterval(ini.ReadInteger(SecDataLog, "RecInterval", 600));
}

void SaveUserPara(const std::function<void(TIniFile&)>& alsoStore) {
    const std::string path = UserParaPath();
    TIniFile ini;
    // Replacing a file that exists but cannot be read would lose what it
    // holds; one too large to be a settings file is started afresh.
    if (ini.Load(path) == TIniFile::TLoadResult::Unreadable)
        throw std::runtime_error("Unable to write to " + path);
    StoreUserParaIn(ini);
    if (alsoStore)
        alsoStore(ini);
    WriteFileAtomically(path, ini.Text());
}

void StoreUserParaIn(TIniFile& ini) {
    const TPortInfo& p = UserPara.PortInfo;
    ini.WriteString(SecPort, "ComName", p.ComName);
    ini.WriteInteger(SecPort, "BaudRate", p.BaudRate);
    ini.WriteInteger(SecPort, "StopBits", p.StopBits);
    ini.WriteInteger(SecPort, "ReadIntervalTimeout", p.ReadIntervalTimeout);
    ini.WriteInteger(SecPort, "AutoStart", p.AutoStart ? 1 : 0);
    ini.WriteInteger(SecPort, "Protocol", p.Protocol);
    ini.WriteInteger(SecMast, "WaitTimer", p.WaitTimer);
    ini.WriteInteger(SecMast, "MaxReSend", p.MaxReSend);
    ini.WriteInteger(SecMast, "CommErrCnt", p.CommErrCnt);
    ini.WriteInteger(SecMast, "CommLostCnt", p.CommLostCnt);
    ini.WriteInteger(SecMast, "FastPoll", p.FastPoll ? 1 : 0);
    ini.WriteInteger(SecLanguage, "Language", UserPara.Language);
    ini.WriteInteger(SecDataLog, "RecInterval", UserPara.RecInterval);
}
