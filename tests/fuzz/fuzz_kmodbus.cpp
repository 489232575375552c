// Feeds the Modbus / VEX codec's ParseReply arbitrary bytes as the answer to a
// request it has just built, and checks what the codec promises: it reads
// only the bytes given, accepts only correct frames from the polled address,
// and changes the record only for those.
//
// Input: [setup] [choice] [reply bytes...]
//   setup bit 0: the five-step model; bit 1: a search probe; bit 2: a queued
//   command (function = choice, register 30001 or with bit 4 40001, count =
//   (setup >> 5) * 20); bit 3: the reply's address and CRC are made right,
//   so that random content reaches the register decoding.
//   choice: otherwise picks the poll step (2 + choice % 5 requests are built).
#include "base/funcUnit.h"
#include "protocol/EngineState.h"
#include "protocol/uKModbus.h"
#include "record/EquipList.h"
#include "record/UpsRecordOps.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

namespace {

constexpr uint8_t Device = 1;

void Require(bool ok) {
    if (!ok)
        std::abort();
}

struct TView {
    TMeasureBlock Measure;
    TStatusBlock Status;
    int32_t UpsState, WorkMode;
    int16_t BypassVoltLower;
    uint8_t AlarmCount, OperationMode;
    bool operator==(const TView&) const = default;
};

TView View(const TUpsInfoRec& r) {
    return {EncodeMeasureBlock(r), EncodeStatusBlock(r), r.UpsState,     r.WorkMode,
            r.BypassVoltLower,     r.AlarmCount,         r.OperationMode};
}

void Reset(uint8_t setup, uint8_t choice) {
    InitTable();
    EquipList = TEquipList{};
    EquipList.Items[0].Address = Device;
    EquipList.Count = 1;
    UpsTable[Device].CommState = CommCommunicating;
    PollStep = PollStepCount = 0;
    ManualSendMode = 0;
    SearchMode = (setup & 2) ? 255 : 0;
    SearchAddress = Device;
    CommandQueue = TCommandQueue{};
    if (setup & 4)
        CommandQueue[0] = {255, Device, choice, (setup & 16) ? 40001 : 30001, (setup >> 5) * 20};
    ModelName = (setup & 1) ? "VEX610RT" : "";
}

void CheckBuilt(const TMModbus& codec) {
    Require(codec.FrameLen >= 0 && std::size_t(codec.FrameLen) <= TxBuffer.size());
    if (codec.FrameLen > 0)
        Require(Crc16(std::span<const uint8_t>(TxBuffer.data(), std::size_t(codec.FrameLen))) == 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    const uint8_t setup = data[0];
    const uint8_t choice = data[1];
    Reset(setup, choice);

    TMModbus codec(TxBuffer);
    const int builds = (setup & 6) ? 1 : 2 + choice % 5;
    for (int i = 0; i < builds; ++i) {
        codec.BuildQuery();
        CheckBuilt(codec);
        if (!(setup & 6))
            Require(PollStep >= 1 && PollStep <= PollStepCount);
    }

    // An exact-size copy, so that any read past the chunk trips the sanitizer.
    std::vector<uint8_t> reply(data + 2, data + size);
    if ((setup & 8) && !reply.empty()) {
        reply[0] = uint8_t(codec.CurAddr);
        const uint16_t crc = Crc16(reply);
        reply.push_back(uint8_t(crc & 0xFF));
        reply.push_back(uint8_t(crc >> 8));
    }
    const TView before = View(UpsTable[Device]);
    const TReplyVerdict verdict = codec.ParseReply(reply.data(), int(reply.size()));
    const bool ok = verdict.Good;
    Require(verdict.Letter == TReplyVerdict::NoLetter); // letters are the ASCII codecs'

    const bool fromPolled = !reply.empty() && reply[0] == codec.CurAddr;
    const bool crcRight = reply.size() >= 4 && Crc16(reply) == 0;
    if (ok) {
        Require(fromPolled && crcRight);
        Require(SearchMode || !(reply[1] & 0x80));
    }
    if (!fromPolled || !crcRight || SearchMode)
        Require(View(UpsTable[Device]) == before);
    return 0;
}
