#include "config/UUserParaIni.h"

#include "base/AtomicFile.h"
#include "base/LangText.h"
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

constexpr TTextPair UnreadableText = {
    "设置文件 %s 无法读取（%r）。该文件保持原样：本次以默认设置运行，不会保存覆盖它。",
    "The settings file %s cannot be read (%r). It is left as it is: the program runs on the "
    "default settings and does not save over it."};
constexpr TTextPair TooLargeReason = {"大于 1 MiB", "larger than 1 MiB"};
constexpr TTextPair UnreadableReason = {"无法打开或读出", "it could not be opened or read"};

// What the last load found of the file.
TIniFile::TLoadResult LastLoad = TIniFile::TLoadResult::Missing;

std::string ProblemText(TIniFile::TLoadResult result) {
    using R = TIniFile::TLoadResult;
    if (result != R::TooLarge && result != R::Unreadable)
        return {};
    const uint8_t language = UserPara.Language;
    std::string text = PickText(UnreadableText, language);
    text.replace(text.find("%r"), 2,
                 PickText(result == R::TooLarge ? TooLargeReason : UnreadableReason, language));
    text.replace(text.find("%s"), 2, UserParaPath());
    return text;
}

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
    LastLoad = ini.Load(UserParaPath()); // an unreadable file gives the defaults
    LoadUserParaFrom(ini);
}

std::string UserParaLoadProblem() {
    return ProblemText(LastLoad);
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
    // The user chose to run on the program folder's files without saving.
    if (ReadOnlyRun())
        return;
    const std::string path = UserParaPath();
    TIniFile ini;
    // Replacing a file that exists but cannot be read would lose what it holds.
    if (const std::string problem = ProblemText(ini.Load(path)); !problem.empty())
        throw TUserParaKept(problem);
    StoreUserParaIn(ini);
    if (alsoStore)
        alsoStore(ini);
    WriteFileAtomically(path, ini.Text());
    LastLoad = TIniFile::TLoadResult::Read;
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
