// Feeds arbitrary chunks to the three-phase UPS codec as the reply to each of
// its five commands, for a communicating device with its four good replies
// (so the status and alarm decoders run too), and checks what the poll engine
// and the views rely on: a rejected chunk names one reason, "A" to "F", and
// leaves the request open, a good one closes it and leaves only known states
// and alarm codes, and a repeated copy of a good reply changes nothing.
#include "protocol/EngineState.h"
#include "protocol/uNordelProtocol.h"
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

// Four good replies: status and alarm replies are decoded from then on.
void ResetEngine() {
    ResetOneDevice(Device, 4);
}

bool KnownAlarm(int32_t code) {
    return (code >= 100 && code <= 155) || code == 160 || (code >= 201 && code <= 210);
}

void RequireSoundRecord(const TUpsInfoRec& rec) {
    Require(rec.UpsState == -1 || (rec.UpsState >= 1 && rec.UpsState <= 11));
    Require(rec.AlarmCount <= MaxAlarmCodes);
    for (int i = 0; i < rec.AlarmCount; ++i)
        Require(KnownAlarm(rec.AlarmCodes[std::size_t(i)]));
    Require(rec.UpsSupply <= 2 && rec.InputSupply <= 2 && rec.BattTestFlag <= 1);
}

void ParseAsReplyTo(uint8_t cmd, const uint8_t* data, int size) {
    ResetEngine();
    TNordelProtocol codec(TxBuffer, RxBuffer);
    codec.Addr = Device;
    while (codec.Cmd != cmd)
        Require(codec.BuildQuery() && codec.FrameLen == 18);
    Require(codec.Addr == Device);

    const TReplyVerdict verdict = codec.ParseReply(data, size);
    const bool good = verdict.Good;
    Require(good ? verdict.Letter == TReplyVerdict::NoLetter
                 : verdict.Letter >= ErrStartByte && verdict.Letter <= ErrChecksum);
    Require(codec.Cmd == (good ? 0 : cmd));
    if (!good)
        return;
    Require(size >= 18 && data[0] == '~');
    const TUpsInfoRec& rec = UpsTable[Device];
    RequireSoundRecord(rec);
    const TMeasureBlock measure = EncodeMeasureBlock(rec);
    const TStatusBlock status = EncodeStatusBlock(rec);
    const uint8_t alarms = rec.AlarmCount;
    Require(codec.ParseReply(data, size).Good);
    Require(EncodeMeasureBlock(rec) == measure);
    Require(EncodeStatusBlock(rec) == status);
    Require(rec.AlarmCount == alarms);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const int length = size > RxBufferSize ? int(RxBufferSize) : int(size);
    for (uint8_t cmd = 1; cmd <= 5; ++cmd)
        ParseAsReplyTo(cmd, data, length);
    return 0;
}
