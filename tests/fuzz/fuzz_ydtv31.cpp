// Feeds arbitrary chunks to the modular UPS codec as the reply to each of its
// five commands, with the engine state set up as after the codec built that
// request for a communicating device, and checks what the poll engine relies
// on: a rejected chunk names one reason, "A" to "F", and leaves the request
// open, a good one closes it, and a repeated copy of a good reply changes
// nothing.
#include "protocol/EngineState.h"
#include "protocol/uYDTV31.h"
#include "record/EquipList.h"
#include "record/UpsInfoRec.h"
#include "tests/support/CodecState.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

constexpr uint8_t Device = 1;

void Require(bool ok) {
    if (!ok)
        std::abort();
}

void ResetEngine() {
    ResetOneDevice(Device, 0);
}

void ParseAsReplyTo(uint8_t cmd, const uint8_t* data, int size) {
    ResetEngine();
    TYdtV31Protocol codec(TxBuffer, RxBuffer);
    codec.Addr = Device;
    while (codec.Cmd != cmd)
        Require(codec.BuildQuery() && codec.FrameLen == YdtV31RequestLength);
    Require(codec.Addr == Device);

    const TReplyVerdict verdict = codec.ParseReply(data, size);
    const bool good = verdict.Good;
    Require(good ? verdict.Letter == TReplyVerdict::NoLetter
                 : verdict.Letter >= ErrStartByte && verdict.Letter <= ErrChecksum);
    Require(codec.Cmd == (good ? 0 : cmd));
    if (!good)
        return;
    const TMeasureBlock measure = EncodeMeasureBlock(UpsTable[Device]);
    const TStatusBlock status = EncodeStatusBlock(UpsTable[Device]);
    const uint8_t alarms = UpsTable[Device].AlarmCount;
    Require(codec.ParseReply(data, size).Good);
    Require(EncodeMeasureBlock(UpsTable[Device]) == measure);
    Require(EncodeStatusBlock(UpsTable[Device]) == status);
    Require(UpsTable[Device].AlarmCount == alarms && alarms <= MaxAlarmCodes);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const int length = size > RxBufferSize ? int(RxBufferSize) : int(size);
    for (uint8_t cmd = 1; cmd <= 5; ++cmd)
        ParseAsReplyTo(cmd, data, length);
    return 0;
}
