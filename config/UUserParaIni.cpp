#include "config/UUserParaIni.h"

#include "base/AtomicFile.h"
#include "base/LangText.h"
#include "base/ProgramFolder.h"
#include "config/IniFile.h"

#include <stdexcept>
#include <string>
#include <type_traits>
#include <utility>

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

// How a stored number becomes a switch: any number but 0, or only 1.
enum class TSwitchRule { NonZero, OnlyOne };

// Every key of the settings file with its default, in the order a new file
// lists them: loading and saving both walk this one list. `key` is called
// with the section, the key, the value in memory and its default (a switch:
// its rule; the default of a switch is off).
template <typename TUser, typename TKeyVisitor> void EachKey(TUser& user, TKeyVisitor&& key) {
    auto& p = user.PortInfo;
    key(SecPort, "ComName", p.ComName, "COM1");
    key(SecPort, "BaudRate", p.BaudRate, 9600);
    key(SecPort, "StopBits", p.StopBits, 1);
    key(SecPort, "ReadIntervalTimeout", p.ReadIntervalTimeout, 200);
    key(SecPort, "AutoStart", p.AutoStart, TSwitchRule::NonZero);
    key(SecPort, "Protocol", p.Protocol, 0);
    key(SecMast, "WaitTimer", p.WaitTimer, 15);
    key(SecMast, "MaxReSend", p.MaxReSend, 2);
    key(SecMast, "CommErrCnt", p.CommErrCnt, 5);
    key(SecMast, "CommLostCnt", p.CommLostCnt, 10);
    key(SecMast, "FastPoll", p.FastPoll, TSwitchRule::OnlyOne);
    key(SecLanguage, "Language", user.Language, 0);
    key(SecDataLog, "RecInterval", user.RecInterval, 600);
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
    EachKey(UserPara, [&ini](const char* section, const char* key, auto& value, auto def) {
        using T = std::remove_reference_t<decltype(value)>;
        if constexpr (std::is_same_v<T, std::string>) {
            // An empty ComName is the user's choice of no port: only a missing
            // key gives the first serial port.
            value = ini.ReadValue(section, key).value_or(def);
        } else if constexpr (std::is_same_v<T, bool>) {
            const int32_t stored = ini.ReadInteger(section, key, 0);
            value = def == TSwitchRule::NonZero ? stored != 0 : stored == 1;
        } else {
            // 8-bit settings keep the low byte of what the file holds (300 reads as 44).
            value = T(ini.ReadInteger(section, key, def));
        }
    });
    UserPara.RecInterval = LoadedRecInterval(UserPara.RecInterval);
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
    EachKey(std::as_const(UserPara),
            [&ini](const char* section, const char* key, const auto& value, auto) {
                if constexpr (std::is_same_v<std::remove_cvref_t<decltype(value)>, std::string>)
                    ini.WriteString(section, key, value);
                else
                    ini.WriteInteger(section, key, int32_t(value)); // a switch as 1 or 0
            });
}
