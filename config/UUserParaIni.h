#pragma once
// The program's lasting settings: held in memory for the whole run, read from
// and written to "UserParaIni.ini" in the program folder.

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

struct TPortInfo {
    std::string ComName;             // "COM" + port number
    int32_t BaudRate = 0;            // bit/s
    uint8_t StopBits = 0;            // 2 = two stop bits, anything else one
    bool AutoStart = false;          // start with the desktop session
    uint8_t Protocol = 0;            // 0 modular, 1 three-phase, 2 Modbus, 3 VEX
    int32_t ReadIntervalTimeout = 0; // ms
    uint8_t WaitTimer = 0;           // stored and shown only
    uint8_t MaxReSend = 0;           // a request is sent MaxReSend - 1 times
    uint8_t CommErrCnt = 0;          // stored and shown only
    uint8_t CommLostCnt = 0;         // stored and shown only
    bool FastPoll = false;           // a reply ends the wait; off = fixed 1 s waits
};

struct TUserPara {
    TPortInfo PortInfo;
    uint8_t Language = 0;    // 1 = Chinese, anything else English
    int32_t RecInterval = 0; // data-log interval in 100 ms ticks; 0 = logging off
};

extern TUserPara UserPara;

// The settings file: ProgramFolder() + "UserParaIni.ini".
std::string UserParaPath();

class TIniFile;

// Replaces every value in memory with the file's value or its default. A
// missing, unreadable or damaged file is not an error; one that exists but
// cannot be read is remembered for UserParaLoadProblem.
void LoadUserPara();
// The user's message, in the current language and naming the file, when the
// settings file exists but the last LoadUserPara could not read it (too large,
// no permission, a read error); empty when it was read or is missing. Cleared
// by a SaveUserPara that succeeds.
[[nodiscard]] std::string UserParaLoadProblem();
// The same from a settings text already read.
void LoadUserParaFrom(const TIniFile& ini);
// Writes all thirteen keys into ini, leaving its other lines as they are.
void StoreUserParaIn(TIniFile& ini);

// Thrown by SaveUserPara when the settings file exists but cannot be read:
// replacing it would lose what it holds, so it is left as it is.
class TUserParaKept : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// In a read-only run (base/ProgramFolder.h) nothing is written.
// Writes all thirteen keys, and whatever alsoStore adds in the same write;
// other sections and keys of the file stay as they are. The file is replaced
// atomically. Throws TUserParaKept (the problem's message) when the file
// exists but cannot be read, std::runtime_error "Unable to write to <path>"
// when it cannot be written.
void SaveUserPara(const std::function<void(TIniFile&)>& alsoStore = nullptr);
