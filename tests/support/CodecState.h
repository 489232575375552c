#pragma once
// The program-wide state a protocol object reads and writes outside itself,
// for the codec tests and fuzz harnesses.

#include "protocol/CodecHooks.h"
#include "protocol/EngineState.h"
#include "record/EquipList.h"
#include "record/UpsInfoRec.h"
#include "record/UpsRecordOps.h"

#include <cstdint>
#include <ostream>

// As at program start: fresh records, an empty device list, no search, no
// manual sending, no step taken, no command queued, no statistics.
inline void ResetCodecState() {
    InitTable();
    EquipList = TEquipList{};
    SearchMode = SearchAddress = ManualSendMode = 0;
    PollStep = PollStepCount = 0;
    CommandQueue = TCommandQueue{};
    CommDebug = TCommDebug{};
}

// Cheap enough for every fuzz input: one communicating device alone in the
// list, nothing polled yet; the other records are left as they are.
inline void ResetOneDevice(uint8_t address, int32_t okCount) {
    UpsTable[address] = TUpsInfoRec{};
    UpsTable[address].Address = address;
    UpsTable[address].CommState = CommCommunicating;
    UpsTable[address].OkCount = okCount;
    EquipList.Count = 1;
    EquipList.Items[0].Address = address;
    EquipList.PollPos = 0;
    EquipList.PollAddress = 0;
    PollStep = PollStepCount = 0;
    SearchMode = ManualSendMode = 0;
    CommDebug = TCommDebug{};
}

// For code that reports the device events of a good reply: none are wanted.
class TNoEvents : public TDeviceEventSink {
public:
    void LogDeviceEvent(uint8_t, uint8_t) override {}
    void LogAlarmEvent(uint8_t, int32_t, uint8_t) override {}
};

// A verdict in a test's failure message: "good", or the rejection's letter.
inline void PrintTo(const TReplyVerdict& verdict, std::ostream* os) {
    if (verdict.Good)
        *os << "good";
    else if (verdict.Letter >= 0)
        *os << "rejected " << char('A' + verdict.Letter);
    else
        *os << "rejected";
}
