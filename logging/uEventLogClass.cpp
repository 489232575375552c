#include "logging/uEventLogClass.h"

#include "logging/RecordFile.h"
#include "logging/TimeStamp.h"
#include "base/LittleEndian.h"

#include <climits>
#include <cstdio>
#include <stdexcept>

namespace {
// Byte offsets in the 48-byte record; 10..11, 17 and 44..47 are reserved.
constexpr std::size_t OffTime = 0, OffAddress = 8, OffKind = 9, OffCode = 12, OffAlarmFlag = 16,
                      OffSnapshot = 18;
static_assert(OffSnapshot + StatusBlockSize + 4 == EventRecSize);

struct TSelectorRow {
    uint8_t Selector;
    uint8_t Kind;
    int32_t Code; // for EventKindState the code is the device's UpsState
};

constexpr TSelectorRow SystemEvents[] = {
    {SysEvtStarted, EventKindProgram, 20},
    {SysEvtClosed, EventKindProgram, 21},
    {SysEvtPortLost, EventKindProgram, 18},
    {SysEvtPortRecovered, EventKindProgram, 23},
};

constexpr TSelectorRow DeviceEvents[] = {
    {DevEvtEstablished, EventKindProgram, 22},
    {DevEvtLost, EventKindProgram, 18},
    {DevEvtState, EventKindState, 0},
};

template <std::size_t N>
const TSelectorRow* FindSelector(const TSelectorRow (&table)[N], uint8_t selector) {
    for (const TSelectorRow& row : table)
        if (row.Selector == selector)
            return &row;
    return nullptr;
}

std::string RotationName(const std::string& folder, int n) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "EventLog_%03d.dat", n);
    return folder + buf;
}

std::string ClearName(const std::string& folder, int n) {
    return folder + "EventLog" + std::to_string(n) + ".dat";
}

constexpr int RotationNames = 1000; // EventLog_000.dat .. EventLog_999.dat
} // namespace

TEventRecBytes EncodeEventRec(const TEventRec& rec) {
    TEventRecBytes b{};
    le::PutF64(&b[OffTime], rec.Time);
    le::PutU8(&b[OffAddress], rec.Address);
    le::PutU8(&b[OffKind], rec.Kind);
    le::PutI32(&b[OffCode], rec.Code);
    le::PutU8(&b[OffAlarmFlag], rec.AlarmFlag);
    for (std::size_t i = 0; i < StatusBlockSize; ++i)
        b[OffSnapshot + i] = rec.StatusSnapshot[i];
    return b;
}

TEventRec DecodeEventRec(const TEventRecBytes& b) {
    TEventRec rec;
    rec.Time = le::GetF64(&b[OffTime]);
    rec.Address = le::GetU8(&b[OffAddress]);
    rec.Kind = le::GetU8(&b[OffKind]);
    rec.Code = le::GetI32(&b[OffCode]);
    rec.AlarmFlag = le::GetU8(&b[OffAlarmFlag]);
    for (std::size_t i = 0; i < StatusBlockSize; ++i)
        rec.StatusSnapshot[i] = b[OffSnapshot + i];
    return rec;
}

TEventLog::TEventLog(std::string folder, std::string fileName, std::string backupFolder)
    : FFileName(std::move(fileName)), FFolderPath(std::move(folder)),
      FFullPath(FFolderPath + FFileName), FBackupPath(std::move(backupFolder)) {}

int TEventLog::RecordCount() {
    if (!MakeFolders(FFolderPath) || !MakeFile(FFullPath))
        throw std::runtime_error("Unable to write to " + FFullPath);
    int64_t count = WholeRecords(FFullPath, EventRecSize);
    if (count < 0)
        throw std::runtime_error("Unable to read " + FFullPath);
    return count > INT_MAX ? INT_MAX : int(count);
}

bool TEventLog::Append(const TEventRec& rec) {
    if (!MakeFolders(FFolderPath) || !MakeFile(FFullPath))
        return false;
    int64_t count = WholeRecords(FFullPath, EventRecSize);
    if (count > EventLogRotateCount) {
        Rotate();
        count = WholeRecords(FFullPath, EventRecSize);
    }
    if (count < 0)
        return false;
    const TEventRecBytes bytes = EncodeEventRec(rec);
    if (!WriteRecordAt(FFullPath, count, bytes.data(), bytes.size()))
        return false;
    Changed = 255;
    if (Appended)
        Appended(rec);
    return true;
}

void TEventLog::Rotate() {
    (void)MakeFolders(FBackupPath); // a missing folder shows as a failed copy
    for (int n = 0; n < RotationNames; ++n) {
        switch (CopyToNewFile(FFullPath, RotationName(FBackupPath, n))) {
        case TCopyResult::TargetExists:
            continue;
        case TCopyResult::Copied:
            // Should emptying fail, the next append rotates again into a new name.
            (void)EmptyFile(FFullPath);
            return;
        case TCopyResult::Failed:
            return; // no backup: the live file keeps every record
        }
    }
}

void TEventLog::Clear() {
    if (!MakeFolders(FBackupPath))
        throw std::runtime_error("Unable to write to " + FBackupPath);
    if (RecordCount() > 0) {
        TCopyResult copied = TCopyResult::TargetExists;
        for (int n = 1; copied == TCopyResult::TargetExists; ++n) {
            const std::string name = ClearName(FBackupPath, n);
            copied = CopyToNewFile(FFullPath, name);
            if (copied == TCopyResult::Failed)
                throw std::runtime_error("Unable to write to " + name);
        }
    }
    if (!EmptyFile(FFullPath))
        throw std::runtime_error("Unable to write to " + FFullPath);
}

void TEventLog::LogSystemEvent(uint8_t selector) {
    const TSelectorRow* row = FindSelector(SystemEvents, selector);
    if (!row)
        return;
    TEventRec rec;
    rec.Time = NowTimeStamp();
    rec.Kind = row->Kind;
    rec.Code = row->Code;
    (void)Append(rec); // a lost event is not worth stopping the caller for
}

void TEventLog::LogDeviceEvent(uint8_t selector, uint8_t address) {
    const TSelectorRow* row = FindSelector(DeviceEvents, selector);
    if (!row || address >= UpsTableSize)
        return;
    const TUpsInfoRec& ups = UpsTable[address];
    TEventRec rec;
    rec.Time = NowTimeStamp();
    rec.Address = address;
    rec.Kind = row->Kind;
    rec.Code = row->Kind == EventKindState ? ups.UpsState : row->Code;
    rec.StatusSnapshot = EncodeStatusBlock(ups);
    (void)Append(rec);
}

void TEventLog::LogAlarmEvent(uint8_t address, int32_t alarmCode, uint8_t raised) {
    TEventRec rec;
    rec.Time = NowTimeStamp();
    rec.Address = address;
    rec.Kind = EventKindAlarm;
    rec.Code = alarmCode;
    rec.AlarmFlag = raised ? 1 : 0;
    (void)Append(rec);
}
