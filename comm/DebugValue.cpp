#include "comm/DebugValue.h"

#include "base/SharedFlags.h"
#include "comm/PollEngine.h"
#include "comm/SPComm.h"
#include "config/UUserParaIni.h"
#include "protocol/EngineState.h"
#include "record/UpsInfoRec.h"

namespace {

// Received per sent frame in percent, truncated; 0 before anything was sent.
int32_t ReplyPercent() {
    if (CommDebug.TxFrames <= 0)
        return 0;
    return int32_t(int64_t(CommDebug.RxFrames) * 100 / CommDebug.TxFrames);
}

int32_t EngineValue(const TPollEngine& engine, uint16_t number) {
    const TPortInfo& port = UserPara.PortInfo;
    // clang-format off
    switch (number) {
    case 21: return engine.IsCommOpen() ? 1 : 0;
    case 22: return int32_t(engine.Port().BaudRate());
    case 23: return int32_t(engine.Port().ReadIntervalTimeout());
    case 24: return CommDebug.TxFrames;
    case 25: return CommDebug.RxFrames;
    case 26: return ReplyPercent();
    case 27: return port.WaitTimer;
    case 28: return port.MaxReSend;
    case 29: return port.CommErrCnt;
    case 30: return port.CommLostCnt;
    case 50: return engine.AwaitingReply ? 1 : 0;
    case 53: return engine.WaitTicks;
    case 54: return engine.SendTries;
    case 55: return engine.SendLimit;
    case 56: return engine.TxLength;
    case 57: return engine.EngineStep;
    case 58: return port.Protocol;
    case 100: return CommDebug.TxFrames;
    // Row 101 has always been listed and never been set by anything: it
    // stays in the grid as a constant 0 so the rows keep their numbers.
    case 101: return 0;
    case 102: return CommDebug.RxFrames;
    case 103: return CommDebug.RxGood;
    case 104: return int32_t(CommDebug.RatePct);
    case 105: return ReplyPercent();
    default: return 0;
    }
    // clang-format on
}

} // namespace

int32_t DebugValue(const TPollEngine& engine, uint16_t number) {
    if (number >= 110 && number <= 119)
        return CommDebug.ErrCnt[number - 110];
    if (number >= 200 && number <= 229) {
        const TUpsInfoRec& rec = UpsTable[(number - 200) % 10];
        if (number < 210)
            return rec.SendCount;
        return number < 220 ? rec.OkCount : rec.RecvCount;
    }
    if (number >= 300 && number <= 319)
        return DbgVal[number - 300];
    if (number >= 1000 && number <= 1100)
        return DbgCnt[number - 1000];
    return EngineValue(engine, number);
}
