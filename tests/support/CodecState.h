#pragma once
// The program-wide state a protocol object reads and writes outside itself,
// for the codec tests and fuzz harnesses.

#include "protocol/CodecHooks.h"
#include "protocol/EngineState.h"
#include "record/EquipList.h"
#include "record/UpsInfoRec.h"
#include "record/UpsRecordOps.h"

#include <cstdint>
#include <numeric>

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

// The verdict as the poll engine takes it: a rejected chunk is counted under
// the letter it names. True = good reply.
inline bool Counted(const TReplyVerdict& verdict) {
    if (!verdict.Good && verdict.Letter >= 0)
        ++CommDebug.ErrCnt[std::size_t(verdict.Letter)];
    return verdict.Good;
}

// Rejected replies counted under any reason letter.
inline int RejectedReplies() {
    return std::accumulate(CommDebug.ErrCnt.begin(), CommDebug.ErrCnt.end(), 0);
}
