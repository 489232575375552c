#include "record/UpsRecordOps.h"

namespace {
// Fixed thresholds of the communication-state rule; the settings CommErrCnt
// and CommLostCnt deliberately do not enter it.
constexpr int32_t ErrorAfterFails = 4;
constexpr int32_t LostAfterFails = 10;
constexpr int32_t FailCountCap = 100;
constexpr int32_t CounterCap = 10000;
constexpr int32_t RescaledSendCount = 100;

// round(100 * ok / sent), halves to even; 0 when nothing was sent yet. Kept
// within 0..100 even if a device answered one request more than once.
int32_t RatePercent(int32_t ok, int32_t sent) {
    if (sent <= 0 || ok <= 0)
        return 0;
    const int64_t num = int64_t(ok) * 100;
    int64_t q = num / sent;
    const int64_t twiceRem = (num % sent) * 2;
    if (twiceRem > sent || (twiceRem == sent && q % 2 == 1))
        ++q;
    return q > 100 ? 100 : int32_t(q);
}

void ApplyCommStateRule(TUpsInfoRec& rec, TDeviceEventSink& sink) {
    if (rec.FailCount >= LostAfterFails) {
        if (rec.CommState != CommLost) {
            rec.CommState = CommLost;
            ResetRecordComm(rec);
            sink.LogDeviceEvent(DevEvtLost, rec.Address);
        }
    } else if (rec.FailCount >= ErrorAfterFails && rec.CommState == CommCommunicating) {
        rec.CommState = CommError;
    }
}

void CountRequest(TUpsInfoRec& rec) {
    if (rec.SendCount >= CounterCap) {
        // Rescale so the rate survives: 100 requests with SuccessRate good replies.
        rec.SendCount = RescaledSendCount;
        rec.OkCount = rec.SuccessRate;
        return;
    }
    rec.SuccessRate = RatePercent(rec.OkCount, rec.SendCount);
    ++rec.SendCount;
}
} // namespace

void InitTable() {
    for (int n = 0; n < UpsTableSize; ++n) {
        TUpsInfoRec& rec = UpsTable[n];
        rec = TUpsInfoRec{};
        rec.Address = uint8_t(n);
        rec.CommState = CommLost;
        rec.FailCount = 0;
        rec.BattCapacity = 0;
        rec.UpsState = -1;
        rec.LoggedState = -1;
    }
}

void RecordNoteRequest(TUpsInfoRec& rec, TDeviceEventSink& sink) {
    if (rec.FailCount < FailCountCap)
        ++rec.FailCount;
    ApplyCommStateRule(rec, sink);
    CountRequest(rec);
}

void RecordNoteFrame(TUpsInfoRec& rec) {
    if (rec.RecvCount < CounterCap)
        ++rec.RecvCount;
}

void RecordNoteGoodReply(TUpsInfoRec& rec, TDeviceEventSink& sink) {
    rec.FailCount = 0;
    // Address 0 is never a device: no counting, no events.
    if (rec.Address == 0)
        return;
    if (rec.OkCount < CounterCap)
        ++rec.OkCount;
    if (rec.CommState == CommLost)
        sink.LogDeviceEvent(DevEvtEstablished, rec.Address);
    rec.CommState = CommCommunicating;
}

void ResetRecordComm(TUpsInfoRec& rec) {
    rec.SendCount = 0;
    rec.RecvCount = 0;
    rec.OkCount = 0;
    rec.DataValid = 0;
    rec.UpsState = -1;
    rec.LoggedState = -1;
}

void ResetAllRecords() {
    for (TUpsInfoRec& rec : UpsTable)
        ResetRecordComm(rec);
}
