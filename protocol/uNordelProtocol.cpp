#include "protocol/uNordelProtocol.h"

#include "base/funcUnit.h"
#include "status/StatusCodes.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <string_view>

// Frames in the YD/T envelope of YdtFrame.h; the positions below count from
// the start character "~" at 0, INFO from 13.

namespace {

constexpr int32_t MinOkCountForStatus = 4;

// "41" analog reply: eleven singles F0..F10 at 15 + 8k. F0..F2 are the
// line-to-line input voltages, shown per phase; F6..F8 are not used.
//   ~11012A00105A 00 8D86BE43 ... 0000D843 00004842 EB19 CR
constexpr TYdtField AnalogFields[] = {
    {15, TYdtRead::Single,
     [](TUpsInfoRec& r, double v) { r.InputVoltA = v / std::numbers::sqrt3; }},
    {23, TYdtRead::Single,
     [](TUpsInfoRec& r, double v) { r.InputVoltB = v / std::numbers::sqrt3; }},
    {31, TYdtRead::Single,
     [](TUpsInfoRec& r, double v) { r.InputVoltC = v / std::numbers::sqrt3; }},
    {39, TYdtRead::Single, [](TUpsInfoRec& r, double v) { r.OutputVoltA = v; }},
    {47, TYdtRead::Single, [](TUpsInfoRec& r, double v) { r.OutputVoltB = v; }},
    {55, TYdtRead::Single, [](TUpsInfoRec& r, double v) { r.OutputVoltC = v; }},
    {87, TYdtRead::Single, [](TUpsInfoRec& r, double v) { r.DcInputVolt = v; }},
    {95, TYdtRead::Single, [](TUpsInfoRec& r, double v) { r.OutputFreq = v; }},
};

// "E2" load reply: phase loads in percent, singles at 113, 121, 129.
constexpr TYdtField LoadFields[] = {
    {113, TYdtRead::Single, [](TUpsInfoRec& r, double v) { r.LoadPctA = v; }},
    {121, TYdtRead::Single, [](TUpsInfoRec& r, double v) { r.LoadPctB = v; }},
    {129, TYdtRead::Single, [](TUpsInfoRec& r, double v) { r.LoadPctC = v; }},
};

// Minutes held in 16 bits: rounded half to even, out-of-range values clamped
// and a value that is not a number read as 0 rather than left undefined.
uint16_t SupportMinutes(double value) {
    if (std::isnan(value) || value <= 0)
        return 0;
    if (value >= 65535)
        return 65535;
    return uint16_t(std::nearbyint(value));
}

// "E3" battery reply: support time in minutes as a single at 113.
constexpr TYdtField BatteryFields[] = {
    {113, TYdtRead::Single,
     [](TUpsInfoRec& r, double v) { r.BattSupportTime = SupportMinutes(v); }},
};

// "43" status reply: two-character codes compared as text. A code not in a
// row leaves the field as it is, unless the row gives a value for it.
//   ~11012A007018 00 01 00 E1 00 00 E0 00 E1 E0 E1 E1 F897 CR: codes at 15..36
constexpr int CodeWidth = 2;
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
constexpr int StatusReads = [] {
    int end = 0;
    for (const TStatusRow& row : StatusRows)
        end = std::max(end, YdtEnd(row.Pos, 1, CodeWidth));
    return end;
}();

// "44" alarm reply: leading status bytes c[0..6] at 15 + 2k, alarm bytes
// b[0..55] at 31 + 2j. Alarm byte b[j] raises 100 + j when not zero, except
// the bytes listed here, which raise a code only for the listed values.
//   ~11012A006082 00 c[0..6] 0000 b[0..55] CHKSUM CR
constexpr int ByteWidth = 2;
constexpr int LeadingBytePos = 15;
constexpr int AlarmBytePos = 31;
constexpr int AlarmByteCount = 56;
constexpr int AlarmReads = YdtEnd(AlarmBytePos, AlarmByteCount, ByteWidth);
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
static_assert(YdtEnd(LeadingBytePos, BatteryByte + 1, ByteWidth) <= AlarmReads);
constexpr TByteAlarm BatteryConditions[] = {
    {BatteryByte, 0x01, AlarmBattUnderVoltage},
    {BatteryByte, 0x02, AlarmBattOverVoltage},
    {BatteryByte, 0xF0, AlarmNoBattery},
    {BatteryByte, 0xE1, AlarmBattLowPreWarning},
};

bool IsSpecialAlarmByte(int index) {
    for (const TByteAlarm& row : SpecialAlarmBytes)
        if (row.Index == index)
            return true;
    return false;
}

int32_t ByteAt(std::span<const uint8_t> frame, int pos) {
    return HexTextToInt(FrameText(frame, std::size_t(pos), ByteWidth), ByteWidth);
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

int32_t ThreePhaseState(const TUpsInfoRec& rec) {
    if (rec.MaintBypassSwitch == 1)
        return StateMaintBypass;
    if (rec.UpsSupply == 1) {
        if (rec.InputSupply == 1)
            return StateOnline;
        if (rec.InputSupply == 2)
            return rec.BattTestFlag == 1 ? StateBattSelfTest : StateBattery;
        return StateStandby;
    }
    if (rec.UpsSupply == 2)
        return StateBypass;
    return StateStandby;
}

void DecodeStatus(std::span<const uint8_t> reply, TUpsInfoRec& rec) {
    if (rec.OkCount < MinOkCountForStatus)
        return;
    for (const TStatusRow& row : StatusRows) {
        const std::string_view code = FrameText(reply, std::size_t(row.Pos), CodeWidth);
        int value = row.Otherwise;
        for (const TCodeValue& entry : row.Codes)
            if (!entry.Code.empty() && entry.Code == code)
                value = entry.Value;
        if (value != Keep)
            rec.*row.Field = uint8_t(value);
    }
    rec.UpsState = ThreePhaseState(rec);
    rec.DataValid = 1;
}

void DecodeAlarms(std::span<const uint8_t> reply, TUpsInfoRec& rec) {
    if (rec.OkCount < MinOkCountForStatus)
        return;
    TAlarmList list;
    for (int j = 0; j < AlarmByteCount; ++j) {
        const int32_t b = ByteAt(reply, AlarmBytePos + ByteWidth * j);
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
        if (ByteAt(reply, LeadingBytePos + ByteWidth * k) != 0)
            list.Add(AlarmThreePhaseStatusBase + k);
    const int32_t battery = ByteAt(reply, LeadingBytePos + ByteWidth * BatteryByte);
    if (battery != 0) {
        int32_t code = AlarmBattReverse;
        for (const TByteAlarm& row : BatteryConditions)
            if (row.Value == battery)
                code = row.Code;
        list.Add(code);
    }
    list.StoreInto(rec);
}

// The poll sequence of one device, Cmd 1 to 5; the status request probes.
constexpr TYdtCommand Commands[] = {
    {"41", AnalogFields},
    {"43", {}, DecodeStatus, StatusReads},
    {"44", {}, DecodeAlarms, AlarmReads},
    {"E2", LoadFields},
    {"E3", BatteryFields},
};
constexpr TYdtVariant ThreePhase{"11", 2, Commands};

} // namespace

TNordelProtocol::TNordelProtocol(TTxBuffer& txBuffer, const TRxBuffer& rxBuffer)
    : TYdtCodec(ThreePhase, txBuffer, rxBuffer) {}
