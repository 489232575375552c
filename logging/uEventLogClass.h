#pragma once
// The event log: EventLog.dat in Record/, a headerless file of 48-byte records,
// moved to a numbered copy in Backup/ when it grows past 5000 records or when
// the user clears it. Nothing is cached: every operation opens, works and
// closes the file.

#include "record/DeviceEventSink.h"
#include "record/UpsInfoRec.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

constexpr std::size_t EventRecSize = 48;
constexpr int EventLogRotateCount = 5000; // rotate when the file holds more than this
inline constexpr const char* EventLogFileName = "EventLog.dat";

// Kind of an event record.
enum : uint8_t {
    EventKindProgram = 0, // program or communication event, Code 18..23
    EventKindState = 1,   // UPS state change, Code = state code
    EventKindAlarm = 2,   // alarm raised or cleared, Code = alarm code
};

struct TEventRec {
    double Time = 0;     // days since 1899-12-30, local time
    uint8_t Address = 0; // 0 for program and serial-port events
    uint8_t Kind = EventKindProgram;
    int32_t Code = 0;
    uint8_t AlarmFlag = 255;       // kind 2: 1 raised, 0 cleared; else 255
    TStatusBlock StatusSnapshot{}; // device events only; zero otherwise
};

using TEventRecBytes = std::array<uint8_t, EventRecSize>;
// Reserved bytes are written as 0 and never read.
TEventRecBytes EncodeEventRec(const TEventRec& rec);
TEventRec DecodeEventRec(const TEventRecBytes& bytes);

// Selectors of LogSystemEvent (LogDeviceEvent's are in DeviceEventSink.h).
enum : uint8_t {
    SysEvtStarted = 0,       // code 20
    SysEvtClosed = 1,        // code 21
    SysEvtPortLost = 3,      // code 18
    SysEvtPortRecovered = 4, // code 23
};

class TEventLog : public TDeviceEventSink {
public:
    // folder and backupFolder end with '/'; the main window passes
    // RecordPath(), EventLogFileName, BackupPath().
    TEventLog(std::string folder, std::string fileName, std::string backupFolder);

    const std::string& FolderPath() const { return FFolderPath; }
    const std::string& FullPath() const { return FFullPath; }

    // Whole records in the live file; creates the folder and an empty file
    // when missing. Throws std::runtime_error when they cannot be created.
    [[nodiscard]] int RecordCount();

    // Writes the record after the last whole one (over a partial tail),
    // rotating first when the file holds more than 5000 records. Sets Changed
    // to 255 on success. Never throws; false when the record was not written.
    bool Append(const TEventRec& rec);

    // Copies the live file to the first free Backup/EventLog_000.dat ..
    // EventLog_999.dat and empties it. When no copy can be made the live file
    // is kept whole and further appends go on growing it.
    void Rotate();

    // Copies a non-empty live file to the first free Backup/EventLog<n>.dat
    // (n = 1, 2, ...) and empties it; an empty file is left empty without a
    // copy. Throws std::runtime_error when the copy cannot be made (the live
    // file is then kept) or the file cannot be emptied. Does not set Changed.
    void Clear();

    // Selector table above; any other selector writes nothing.
    void LogSystemEvent(uint8_t selector);
    // Selectors DevEvtEstablished..DevEvtState; the status snapshot (and for
    // DevEvtState the code) come from UpsTable[address]. Other selectors and
    // addresses beyond the table write nothing.
    void LogDeviceEvent(uint8_t selector, uint8_t address) override;
    // Kind 2 record; raised != 0 is stored as 1.
    void LogAlarmEvent(uint8_t address, int32_t alarmCode, uint8_t raised) override;

    // 255 after every successful append; read and reset by the event viewer.
    uint8_t Changed = 0;
    // Called with every record once it is on disk, on the thread that logged
    // it; the readers' event stream hangs here. Must not wait on anything.
    std::function<void(const TEventRec&)> Appended;

private:
    std::string FFileName;
    std::string FFolderPath;
    std::string FFullPath;
    std::string FBackupPath;
};
