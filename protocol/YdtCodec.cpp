#include "protocol/YdtCodec.h"

#include "base/funcUnit.h"
#include "protocol/PollPosition.h"

#include <algorithm>

namespace {

double ReadAt(std::span<const uint8_t> frame, const TYdtField& field) {
    const int width = YdtWidth(field.Read);
    const std::string_view text = FrameText(frame, std::size_t(field.Pos), width);
    switch (field.Read) {
    case TYdtRead::Word:
        return Hex4ToWord(text);
    case TYdtRead::Single:
        return HexToSingle(text);
    default:
        return HexTextToInt(text, width);
    }
}

} // namespace

int YdtMinInfo(const TYdtCommand& command) {
    int end = std::max(YdtInfoStart, command.ThenReads);
    for (const TYdtField& field : command.Fields)
        end = std::max(end, field.Pos + YdtWidth(field.Read));
    return end - YdtInfoStart;
}

TYdtCodec::TYdtCodec(const TYdtVariant& variant, TTxBuffer& txBuffer, const TRxBuffer& rxBuffer)
    : VerText(variant.Version), Rec(RecordOf(1)), TxBuf(txBuffer), RxBuf(rxBuffer.data(), 0),
      FVariant(variant) {}

const TYdtCommand* TYdtCodec::CommandOf(uint8_t cmd) const {
    if (cmd < 1 || cmd > FVariant.Commands.size())
        return nullptr;
    return &FVariant.Commands[cmd - 1u];
}

bool TYdtCodec::BuildQuery() {
    if (SearchMode) {
        Addr = SearchAddress;
        Cmd = FVariant.ProbeCmd;
        BuildFrame();
        return FrameLen > 0;
    }
    if (ManualSendMode)
        return false;
    const TPollPosition next = TakePollStep(Addr, uint8_t(FVariant.Commands.size()));
    Addr = next.Address;
    Cmd = next.Step;
    BuildFrame();
    return FrameLen > 0;
}

void TYdtCodec::BuildFrame() {
    FrameLen = 0;
    const TYdtCommand* command = CommandOf(Cmd);
    if (!command)
        return;
    const std::string frame = YdtRequest(VerText, Addr, command->Cid2);
    std::copy(frame.begin(), frame.end(), TxBuf.begin());
    TxBuf[frame.size()] = 0; // not part of the frame
    FrameLen = int32_t(frame.size());
}

TReplyVerdict TYdtCodec::ParseReply(const uint8_t* bytes, int length) {
    RxBuf = std::span<const uint8_t>(bytes, std::size_t(std::max(length, 0)));
    const TYdtCommand* command = CommandOf(Cmd);
    const int reason = YdtRejectReason(RxBuf, VerText, Addr, command ? YdtMinInfo(*command) : 0);
    if (reason != YdtReplyGood)
        return Rejected(reason);
    Rec = RecordOf(Addr); // the frame check admits only addresses with a record
    if (command) {
        for (const TYdtField& field : command->Fields)
            field.Store(*Rec, ReadAt(RxBuf, field));
        if (command->Then)
            command->Then(RxBuf, *Rec);
    }
    Cmd = 0;
    return ReplyGood;
}

TCodecHooks MakeYdtHooks(TYdtCodec& codec) {
    TCodecHooks hooks;
    hooks.BuildQuery = [&codec] {
        const bool built = codec.BuildQuery();
        return TBuiltQuery{built ? codec.FrameLen : 0, uint8_t(codec.Addr)};
    };
    hooks.ParseReply = [&codec](const uint8_t* bytes, int length) {
        return codec.ParseReply(bytes, length);
    };
    hooks.FrameRest = YdtFrameRest;
    return hooks;
}
