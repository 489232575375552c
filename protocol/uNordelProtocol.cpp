#include "protocol/uNordelProtocol.h"

#include "base/funcUnit.h"
#include "protocol/PollPosition.h"
#include "protocol/YdtFrame.h"
#include "status/StatusCodes.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <string_view>

namespace {

constexpr uint8_t StepCount = 5;
constexpr uint8_t SearchCmd = 2;     // the status request probes the bus
constexpr int32_t MinOkCountForStatus = 4;

// Commands by step / Cmd 1..5. MinInfo is the number of INFO characters the
// decoder of the step reads (INFO runs from YdtInfoStart); a reply that holds
// fewer is rejected rather than decoded from stale buffer content.
struct TCommandRow {
    std::string_view Cid2;
    int MinInfo;
};
constexpr std::array<TCommandRow, 5> Commands = {{
    // ~11012A00105A 00 8D86BE43 ... 0000D843 00004842 EB19 CR: F0..F10 at 15 + 8k
    {"41", 90},
    // ~11012A007018 00 01 00 E1 00 00 E0 00 E1 E0 E1 E1 F897 CR: codes at 15..36
    {"43", 24},
    // ~11012A006082 00 c[0..6] 0000 b[0..55] CHKSUM CR: c at 15..28, b at 31..142
    {"44", 130},
    // ~11012A00D07C ... load A, B, C singles at 113, 121, 129 ... CHKSUM CR
    {"E2", 124},
    // ~11012A00E06C ... support time single at 113 ... CHKSUM CR
    {"E3", 108},
}};

// "41" analog reply: eleven singles F0..F10 at 15 + 8k. F0..F2 are the
// line-to-line input voltages, shown per phase; F6..F8 are not used.
struct TSingleRow {
    int Pos;
    double TUpsInfoRec::*Field;
    double Divisor;
};
constexpr TSingleRow AnalogRows[] = {
    {15, &TUpsInfoRec::InputVoltA, std::numbers::sqrt3},
    {23, &TUpsInfoRec::InputVoltB, std::numbers::sqrt3},
    {31, &TUpsInfoRec::InputVoltC, std::numbers::sqrt3},
    {39, &TUpsInfoRec::OutputVoltA, 1},
    {47, &TUpsInfoRec::OutputVoltB, 1},
    {55, &TUpsInfoRec::OutputVoltC, 1},
    {87, &TUpsInfoRec::DcInputVolt, 1},
    {95, &TUpsInfoRec::OutputFreq, 1},
};

// "E2" load reply: phase loads in percent.
constexpr TSingleRow LoadRows[] = {
    {113, &TUpsInfoRec::LoadPctA, 1},
    {121, &TUpsInfoRec::LoadPctB, 1},
    {129, &TUpsInfoRec::LoadPctC, 1},
};

// "E3" battery reply: support time in minutes as a single.
constexpr int SupportTimePos = 113;

// "43" status reply: two-character codes compared as text. A code not in a
// row leaves the field as it is, unless the row gives a value for it.
struct TCodeValue {
    std::string_view Code;
    uint8_t Value;
};
constexpr int Keep = -1;
struct TStatusRow {
    int Pos;
    uint8_t TUpsInfoRec::*Field;
    std::array<TCodeValue, 3> Codes; // unused entries have an empty code
    int Otherwise;                   // value for any other code, or Keep
};
constexpr TStatusRow StatusRows[] = {
    {15, &TUpsInfoRec::UpsSupply, {{{"01", 1}, {"02", 2}, {"E9", 0}}}, Keep},
    {19, &TUpsInfoRec::BattTestFlag, {{{"E0", 1}}}, 0},
    {25, &TUpsInfoRec::InputSupply, {{{"E0", 1}, {"E1", 2}, {"E3", 0}}}, Keep},
    {29, &TUpsInfoRec::InputSwitch, {{{"E0", 0}, {"E1", 1}}}, Keep},
    {31, &TUpsInfoRec::MaintBypassSwitch, {{{"E0", 0}, {"E1", 1}}}, Keep},
    {33, &TUpsInfoRec::BypassSwitch, {{{"E0", 0}, {"E1", 1}}}, Keep},
    {35, &TUpsInfoRec::OutputSwitch, {{{"E0", 0}, {"E1", 1}}}, Keep},
};

// "44" alarm reply: leading status bytes c[0..6] at 15 + 2k, alarm bytes
// b[0..55] at 31 + 2j. Alarm byte b[j] raises 100 + j when not zero, except
// the bytes listed here, which raise a code only for the listed values.
constexpr int LeadingBytePos = 15;
constexpr int AlarmBytePos = 31;
constexpr int AlarmByteCount = 56;
struct TByteAlarm {
    int Index;
    int32_t Value;
    int32_t Code;
};
constexpr TByteAlarm SpecialAlarmBytes[] = {
    {35, 0xF1, AlarmLbsFault},
    {48, 0x00, AlarmBcbDisconnected},
    {48, 0xF1, AlarmBcbBreak},
};
// c[0..4] each raise 201 + k when not zero; c[5] names the battery condition
// (any other non-zero value: battery reversed); c[6] is not used.
constexpr int StatusAlarmBytes = 5;
constexpr int BatteryByte = 5;
constexpr TByteAlarm BatteryConditions[] = {
    {BatteryByte, 0x01, AlarmBattUnderVoltage},
    {BatteryByte, 0x02, AlarmBattOverVoltage},
    {BatteryByte, 0xF0, AlarmNoBattery},
    {BatteryByte, 0xE1, AlarmBattLowPreWarning},
};

// The row of Cmd 1..5; nullptr for 0 (nothing outstanding) or anything else.
const TCommandRow* CommandOf(uint8_t cmd) {
    return cmd >= 1 && cmd <= Commands.size() ? &Commands[cmd - 1u] : nullptr;
}

bool IsSpecialAlarmByte(int index) {
    for (const TByteAlarm& row : SpecialAlarmBytes)
        if (row.Index == index)
            return true;
    return false;
}

int32_t ByteAt(std::span<const uint8_t> frame, int pos) {
    return HexTextToInt(FrameText(frame, std::size_t(pos), 2), 2);
}

double SingleAt(std::span<const uint8_t> frame, int pos) {
    return HexToSingle(FrameText(frame, std::size_t(pos), 8));
}

// Minutes held in 16 bits: rounded half to even, out-of-range values clamped
// and a value that is not a number read as 0 rather than left undefined.
uint16_t SupportMinutes(double value) {
    if (std::isnan(value) || value <= 0)
        return 0;
    if (value >= 65535)
        return 65535;
    return uint16_t(std::nearbyint(value));
}

void DecodeSingles(std::span<const TSingleRow> rows, std::span<const uint8_t> frame,
                   TUpsInfoRec& rec) {
    for (const TSingleRow& row : rows)
        rec.*row.Field = SingleAt(frame, row.Pos) / row.Divisor;
}

class TAlarmList {
public:
    void Add(int32_t code) {
        if (FCount < MaxAlarmCodes)
            FCodes[std::size_t(FCount++)] = code;
    }
    void StoreInto(TUpsInfoRec& rec) const {
        rec.AlarmCodes = FCodes;
        rec.AlarmCount = uint8_t(FCount);
        rec.AlarmsReported = 1;
    }

private:
    std::array<int32_t, MaxAlarmCodes> FCodes{};
    int FCount = 0;
};

} // namespace

TNordelProtocol::TNordelProtocol(TTxBuffer& txBuffer, TRxBuffer& rxBuffer)
    : Rec(&UpsTable[1]), TxBuf(txBuffer), RxBuf(rxBuffer.data(), 0) {}

bool TNordelProtocol::BuildQuery() {
    if (SearchMode) {
        Addr = SearchAddress;
        Cmd = SearchCmd;
        BuildFrame();
        return true;
    }
    if (ManualSendMode)
        return false;
    const TPollPosition next = TakePollStep(Addr, StepCount);
    Addr = next.Address;
    Cmd = PollStep;
    BuildFrame();
    return true;
}

void TNordelProtocol::BuildFrame() {
    FrameLen = 0;
    const TCommandRow* command = CommandOf(Cmd);
    if (!command)
        return;
    const std::string frame = YdtRequest(VerText, Addr, command->Cid2);
    std::copy(frame.begin(), frame.end(), TxBuf.begin());
    TxBuf[frame.size()] = 0; // not part of the frame
    FrameLen = int32_t(frame.size());
}

bool TNordelProtocol::ParseReply(const uint8_t* bytes, int length) {
    RxBuf = std::span<const uint8_t>(bytes, std::size_t(std::max(length, 0)));
    const int error = CheckFrame();
    if (error != YdtReplyGood) {
        ++CommDebug.ErrCnt[std::size_t(error)];
        return false;
    }
    Rec = RecordOf(Addr); // the frame check admits only addresses with a record
    Decode();
    Cmd = 0;
    return true;
}

// The first check the block fails, as an ErrCnt index, or YdtReplyGood.
int TNordelProtocol::CheckFrame() const {
    const TCommandRow* command = CommandOf(Cmd);
    return YdtRejectReason(RxBuf, VerText, Addr, command ? command->MinInfo : 0);
}

void TNordelProtocol::Decode() {
    switch (Cmd) {
    case 1:
        DecodeSingles(AnalogRows, RxBuf, *Rec);
        break;
    case 2:
        if (Rec->OkCount >= MinOkCountForStatus)
            DecodeStatus();
        break;
    case 3:
        if (Rec->OkCount >= MinOkCountForStatus)
            DecodeAlarms();
        break;
    case 4:
        DecodeSingles(LoadRows, RxBuf, *Rec);
        break;
    case 5:
        Rec->BattSupportTime = SupportMinutes(SingleAt(RxBuf, SupportTimePos));
        break;
    default: // a repeated reply to a request already decoded
        break;
    }
}

void TNordelProtocol::DecodeStatus() {
    for (const TStatusRow& row : StatusRows) {
        const std::string_view code = FrameText(RxBuf, std::size_t(row.Pos), 2);
        int value = row.Otherwise;
        for (const TCodeValue& entry : row.Codes)
            if (!entry.Code.empty() && entry.Code == code)
                value = entry.Value;
        if (value != Keep)
            Rec->*row.Field = uint8_t(value);
    }
    Rec->UpsState = ThreePhaseState();
    Rec->DataValid = 1;
}

void TNordelProtocol::DecodeAlarms() {
    TAlarmList list;
    for (int j = 0; j < AlarmByteCount; ++j) {
        const int32_t b = ByteAt(RxBuf, AlarmBytePos + 2 * j);
        if (!IsSpecialAlarmByte(j)) {
            if (b != 0)
                list.Add(AlarmThreePhaseByteBase + j);
            continue;
        }
        for (const TByteAlarm& row : SpecialAlarmBytes)
            if (row.Index == j && row.Value == b)
                list.Add(row.Code);
    }
    for (int k = 0; k < StatusAlarmBytes; ++k)
        if (ByteAt(RxBuf, LeadingBytePos + 2 * k) != 0)
            list.Add(AlarmThreePhaseStatusBase + k);
    const int32_t battery = ByteAt(RxBuf, LeadingBytePos + 2 * BatteryByte);
    if (battery != 0) {
        int32_t code = AlarmBattReverse;
        for (const TByteAlarm& row : BatteryConditions)
            if (row.Value == battery)
                code = row.Code;
        list.Add(code);
    }
    list.StoreInto(*Rec);
}

int32_t TNordelProtocol::ThreePhaseState() const {
    if (Rec->MaintBypassSwitch == 1)
        return StateMaintBypass;
    if (Rec->UpsSupply == 1) {
        if (Rec->InputSupply == 1)
            return StateOnline;
        if (Rec->InputSupply == 2)
            return Rec->BattTestFlag == 1 ? StateBattSelfTest : StateBattery;
        return StateStandby;
    }
    if (Rec->UpsSupply == 2)
        return StateBypass;
    return StateStandby;
}

TCodecHooks MakeNordelHooks(TNordelProtocol& codec) {
    TCodecHooks hooks;
    hooks.BuildQuery = [&codec] {
        const bool built = codec.BuildQuery();
        return TBuiltQuery{built ? codec.FrameLen : 0, uint8_t(codec.Addr)};
    };
    hooks.ParseReply = [&codec](const uint8_t* bytes, int length) {
        return codec.ParseReply(bytes, length);
    };
    hooks.FrameEnd = YdtFrameEnd;
    return hooks;
}
