#include "protocol/uYDTV31.h"

#include "base/funcUnit.h"
#include "protocol/PollPosition.h"
#include "protocol/YdtFrame.h"
#include "status/StatusRules.h"

#include <algorithm>

// Frames in the YD/T envelope of YdtFrame.h; the positions below count from
// the start character "~" at 0, INFO from 13.

namespace {

constexpr int InfoStart = YdtInfoStart;

// How the characters at a reply position are read.
enum class TRead : uint8_t {
    Word, // four characters; a character that is not a hex digit is skipped
    Hex4, // four characters; the scan stops at a character that is not a hex digit
    Byte, // two characters; the scan stops likewise
};

constexpr int Width(TRead read) {
    return read == TRead::Byte ? 2 : 4;
}

// One value taken from a reply: where it sits, how it is read, where it goes.
struct TField {
    int Pos;
    TRead Read;
    void (*Store)(TUpsInfoRec& rec, uint32_t raw);
};

uint32_t ReadAt(std::span<const uint8_t> frame, const TField& field) {
    const std::string_view text = FrameText(frame, std::size_t(field.Pos), Width(field.Read));
    if (field.Read == TRead::Word)
        return Hex4ToWord(text);
    return uint32_t(HexTextToInt(text, Width(field.Read)));
}

void StoreFields(std::span<const uint8_t> frame, TUpsInfoRec& rec, std::span<const TField> fields) {
    for (const TField& field : fields)
        field.Store(rec, ReadAt(frame, field));
}

// The INFO characters a reply needs for every position of the table.
int InfoNeeded(std::span<const TField> fields) {
    int end = InfoStart;
    for (const TField& field : fields)
        end = std::max(end, field.Pos + Width(field.Read));
    return end - InfoStart;
}

double Hundredths(uint32_t raw) {
    return raw / 100.0;
}

// "42" analog values, /100 fixed point, one word every four characters
// (input A-C, output A-C, three unused, DC input, output frequency):
//   ~31012A00002E 00 55F0 5654 56B8 55F0 55F0 55F0 0000 0000 0000 A8C0 1388 F3F8 CR
//   pos        13 15 19   23   27   31   35   39   43   47   51   55   59
constexpr TField AnalogFields[] = {
    {15, TRead::Word, [](TUpsInfoRec& r, uint32_t v) { r.InputVoltA = Hundredths(v); }},
    {19, TRead::Word, [](TUpsInfoRec& r, uint32_t v) { r.InputVoltB = Hundredths(v); }},
    {23, TRead::Word, [](TUpsInfoRec& r, uint32_t v) { r.InputVoltC = Hundredths(v); }},
    {27, TRead::Word, [](TUpsInfoRec& r, uint32_t v) { r.OutputVoltA = Hundredths(v); }},
    {31, TRead::Word, [](TUpsInfoRec& r, uint32_t v) { r.OutputVoltB = Hundredths(v); }},
    {35, TRead::Word, [](TUpsInfoRec& r, uint32_t v) { r.OutputVoltC = Hundredths(v); }},
    {51, TRead::Word, [](TUpsInfoRec& r, uint32_t v) { r.DcInputVolt = Hundredths(v); }},
    {55, TRead::Word, [](TUpsInfoRec& r, uint32_t v) { r.OutputFreq = Hundredths(v); }},
};

// "43" the device's own state number, then the state words W0, W4, W5 and
// the low byte of W8:
//   ~31012A009016 00 0000 04 CC00 C700 0000 00 F934 CR
//   pos        13 15   19 21   25   29   33 35
constexpr TField StatusFields[] = {
    {19, TRead::Byte, [](TUpsInfoRec& r, uint32_t v) { r.DevState = uint8_t(v); }},
    {21, TRead::Hex4, [](TUpsInfoRec& r, uint32_t v) { r.StatusWord[0] = uint16_t(v); }},
    {25, TRead::Hex4, [](TUpsInfoRec& r, uint32_t v) { r.StatusWord[4] = uint16_t(v); }},
    {29, TRead::Hex4, [](TUpsInfoRec& r, uint32_t v) { r.StatusWord[5] = uint16_t(v); }},
    {33, TRead::Byte, [](TUpsInfoRec& r, uint32_t v) { r.StatusWord[8] = uint16_t(v); }},
};

// "44" alarm words W2, W3, W6, W7, then the battery and environment alarm
// byte. Those alarms are bits 8-15 of W9, so the byte is the high byte of W9;
// taken as the low byte they would never be raised.
//   ~31012A008026 00..00 8001 0000 0010 1000 80 F665 CR  (alarms 0, 15, 43, 51, 64)
//   pos        13        33   37   41   45   49 51
constexpr TField AlarmFields[] = {
    {33, TRead::Hex4, [](TUpsInfoRec& r, uint32_t v) { r.StatusWord[2] = uint16_t(v); }},
    {37, TRead::Hex4, [](TUpsInfoRec& r, uint32_t v) { r.StatusWord[3] = uint16_t(v); }},
    {41, TRead::Hex4, [](TUpsInfoRec& r, uint32_t v) { r.StatusWord[6] = uint16_t(v); }},
    {45, TRead::Hex4, [](TUpsInfoRec& r, uint32_t v) { r.StatusWord[7] = uint16_t(v); }},
    {49, TRead::Byte, [](TUpsInfoRec& r, uint32_t v) { r.StatusWord[9] = uint16_t(v << 8); }},
};

// "80" load percentages (whole numbers) and the charge and discharge
// currents (/100) out of a 146-character INFO:
//   ~31012A00C092 00..00 001E 001E 001E 00..00 00C8 00C8 0000 0000 xxxx CR
//   pos        13        95   99   103  107    143  147  151  155  159
constexpr TField LoadFields[] = {
    {95, TRead::Word, [](TUpsInfoRec& r, uint32_t v) { r.LoadPctA = v; }},
    {99, TRead::Word, [](TUpsInfoRec& r, uint32_t v) { r.LoadPctB = v; }},
    {103, TRead::Word, [](TUpsInfoRec& r, uint32_t v) { r.LoadPctC = v; }},
    {143, TRead::Word, [](TUpsInfoRec& r, uint32_t v) { r.ChargeCur1 = Hundredths(v); }},
    {147, TRead::Word, [](TUpsInfoRec& r, uint32_t v) { r.ChargeCur2 = Hundredths(v); }},
    {151, TRead::Word, [](TUpsInfoRec& r, uint32_t v) { r.DischargeCur1 = Hundredths(v); }},
    {155, TRead::Word, [](TUpsInfoRec& r, uint32_t v) { r.DischargeCur2 = Hundredths(v); }},
};

// "82" battery support time (minutes) and remaining capacity (%):
//   ~31012A00101E 00..00 0043 0064 F7E0 CR
//   pos        13        35   39   43
constexpr TField BatteryFields[] = {
    {35, TRead::Word, [](TUpsInfoRec& r, uint32_t v) { r.BattSupportTime = uint16_t(v); }},
    {39, TRead::Word, [](TUpsInfoRec& r, uint32_t v) { r.BattCapacity = int32_t(v); }},
};

} // namespace

struct TYdtV31Protocol::TCommand {
    const char* Cid2;
    std::span<const TField> Fields; // what the reply must carry
    void (TYdtV31Protocol::*Decode)();
};

const TYdtV31Protocol::TCommand* TYdtV31Protocol::CommandOf(uint8_t cmd) {
    // The poll sequence of one device, Cmd 1 to 5.
    static constexpr TCommand Commands[] = {
        {"42", AnalogFields, &TYdtV31Protocol::DecodeAnalog},
        {"43", StatusFields, &TYdtV31Protocol::DecodeStatus},
        {"44", AlarmFields, &TYdtV31Protocol::DecodeAlarms},
        {"80", LoadFields, &TYdtV31Protocol::DecodeLoad},
        {"82", BatteryFields, &TYdtV31Protocol::DecodeBattery},
    };
    if (cmd < 1 || cmd > std::size(Commands))
        return nullptr;
    return &Commands[cmd - 1];
}

TYdtV31Protocol::TYdtV31Protocol(TTxBuffer& txBuffer, const TRxBuffer& rxBuffer)
    : Rec(RecordOf(1)), TxBuf(txBuffer), RxBuf(rxBuffer.data(), 0) {}

bool TYdtV31Protocol::BuildQuery() {
    if (SearchMode) {
        Addr = SearchAddress;
        Cmd = 2; // the status request is the probe
        BuildFrame();
        return FrameLen > 0;
    }
    if (ManualSendMode)
        return false;
    const TPollPosition next = TakePollStep(Addr, 5);
    Addr = next.Address;
    Cmd = PollStep;
    BuildFrame();
    return FrameLen > 0;
}

void TYdtV31Protocol::BuildFrame() {
    FrameLen = 0;
    const TCommand* command = CommandOf(Cmd);
    if (!command)
        return;
    const std::string frame = YdtRequest(VerText, Addr, command->Cid2);
    std::copy(frame.begin(), frame.end(), TxBuf.begin());
    TxBuf[frame.size()] = 0; // not part of the frame
    FrameLen = int32_t(frame.size());
}

bool TYdtV31Protocol::ParseReply(const uint8_t* bytes, int length) {
    RxBuf = std::span<const uint8_t>(bytes, length > 0 ? std::size_t(length) : 0);
    const int reason = RejectReason();
    if (reason != YdtReplyGood) {
        ++CommDebug.ErrCnt[std::size_t(reason)];
        return false;
    }
    Rec = RecordOf(Addr);
    // Cmd is 0 once a reply to the request was decoded: later copies of the
    // reply to a repeated request are good but change nothing.
    if (const TCommand* command = CommandOf(Cmd))
        (this->*command->Decode)();
    Cmd = 0;
    return true;
}

int TYdtV31Protocol::RejectReason() const {
    // A reply that ends before the positions its command reads is no answer
    // to that command.
    const TCommand* command = CommandOf(Cmd);
    return YdtRejectReason(RxBuf, VerText, Addr, command ? InfoNeeded(command->Fields) : 0);
}

void TYdtV31Protocol::DecodeAnalog() {
    StoreFields(RxBuf, *Rec, AnalogFields);
}

void TYdtV31Protocol::DecodeStatus() {
    StoreFields(RxBuf, *Rec, StatusFields);
    Rec->UpsState = StateFromWords(Rec->StatusWord);
    Rec->DataValid = 1;
    DeriveSwitchFlags(*Rec);
}

void TYdtV31Protocol::DecodeAlarms() {
    StoreFields(RxBuf, *Rec, AlarmFields);
    BuildAlarmList(*Rec);
    Rec->AlarmsReported = 1; // the alarm words came with this reply
}

void TYdtV31Protocol::DecodeLoad() {
    StoreFields(RxBuf, *Rec, LoadFields);
    Rec->ChargeCur = Rec->ChargeCur1 + Rec->ChargeCur2;
    Rec->DischargeCur = Rec->DischargeCur1 + Rec->DischargeCur2;
}

void TYdtV31Protocol::DecodeBattery() {
    StoreFields(RxBuf, *Rec, BatteryFields);
}

TCodecHooks MakeYdtV31Hooks(TYdtV31Protocol& protocol) {
    TCodecHooks hooks;
    hooks.BuildQuery = [&protocol] {
        const bool built = protocol.BuildQuery();
        return TBuiltQuery{built ? protocol.FrameLen : 0, uint8_t(protocol.Addr)};
    };
    hooks.ParseReply = [&protocol](const uint8_t* bytes, int length) {
        return protocol.ParseReply(bytes, length);
    };
    hooks.FrameEnd = YdtFrameEnd;
    return hooks;
}
