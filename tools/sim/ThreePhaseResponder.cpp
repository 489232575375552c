#include "tools/sim/ThreePhaseResponder.h"

#include "tools/sim/InfoFields.h"
#include "tools/sim/StatusWords.h"
#include "tools/sim/YdtFrame.h"

#include <array>
#include <cmath>

namespace {

double LineVolt(double phaseVolt) {
    return phaseVolt * std::sqrt(3.0);
}

// "41" analog values, eleven singles every eight characters from 15: input
// line-to-line A-C, output phase A-C, three unused, DC input, frequency.
//   ~11012A00105A 00 8D86BE43 8D86BE43 ... 0000D843 00004842 EB19 CR
//   pos        13 15       23          ... 87       95       103
constexpr TInfoField AnalogFields[] = {
    {15, TInfoKind::Single, 1, [](const TSimUnit& u) { return LineVolt(u.Measure.InputVolt[0]); }},
    {23, TInfoKind::Single, 1, [](const TSimUnit& u) { return LineVolt(u.Measure.InputVolt[1]); }},
    {31, TInfoKind::Single, 1, [](const TSimUnit& u) { return LineVolt(u.Measure.InputVolt[2]); }},
    {39, TInfoKind::Single, 1, [](const TSimUnit& u) { return u.Measure.OutputVolt[0]; }},
    {47, TInfoKind::Single, 1, [](const TSimUnit& u) { return u.Measure.OutputVolt[1]; }},
    {55, TInfoKind::Single, 1, [](const TSimUnit& u) { return u.Measure.OutputVolt[2]; }},
    {87, TInfoKind::Single, 1,
     [](const TSimUnit& u) { return u.Measure.BattVolt1 + u.Measure.BattVolt2; }},
    {95, TInfoKind::Single, 1, [](const TSimUnit& u) { return u.Measure.OutputFreq; }},
};

// Switch and supply codes, taken from the same state words the other
// protocols report so that every protocol tells the same story.
double Closed(bool on) {
    return on ? 0xE1 : 0xE0;
}

double UpsSupplyCode(const TSimUnit& u) {
    const uint16_t w4 = UnitWords(u)[4];
    return (w4 & 0x0100) ? 0x01 : (w4 & 0x0080) ? 0x02 : 0xE9;
}

double InputSupplyCode(const TSimUnit& u) {
    const uint16_t w0 = UnitWords(u)[0];
    return !(w0 & 0x0800) ? 0xE3 : (w0 & 0x0400) ? 0xE0 : 0xE1;
}

double BatteryTestCode(const TSimUnit& u) {
    return u.State == TSimState::BatteryTest ? 0xE0 : 0xE1;
}

// "43" switch and supply states, two-character codes (an online unit):
//   ~11012A007018 00 01 00 E1 00 00 E0 00 E1 E0 E1 E1 F897 CR
//   pos        13 15    19       25    29 31 33 35
//   pos 15 inverter/bypass supply (01 inverter, 02 bypass, E9 none),
//   19 battery test (E0 running), 25 input supply (E0 mains, E1 battery,
//   E3 none), 29 input switch, 31 maintenance bypass switch, 33 bypass
//   switch, 35 output switch (E1 closed, E0 open).
constexpr TInfoField StatusFields[] = {
    {15, TInfoKind::Byte, 1, UpsSupplyCode},
    {19, TInfoKind::Byte, 1, BatteryTestCode},
    {25, TInfoKind::Byte, 1, InputSupplyCode},
    {29, TInfoKind::Byte, 1, [](const TSimUnit& u) { return Closed(UnitWords(u)[0] & 0x8000); }},
    {31, TInfoKind::Byte, 1, [](const TSimUnit& u) { return Closed(UnitWords(u)[4] & 0x2000); }},
    {33, TInfoKind::Byte, 1, [](const TSimUnit& u) { return Closed(UnitWords(u)[4] & 0x8000); }},
    {35, TInfoKind::Byte, 1, [](const TSimUnit& u) { return Closed(UnitWords(u)[4] & 0x4000); }},
};

// "E2" load percentages as singles at 113, 121, 129.
constexpr TInfoField LoadFields[] = {
    {113, TInfoKind::Single, 1, [](const TSimUnit& u) { return u.Measure.LoadPct[0]; }},
    {121, TInfoKind::Single, 1, [](const TSimUnit& u) { return u.Measure.LoadPct[1]; }},
    {129, TInfoKind::Single, 1, [](const TSimUnit& u) { return u.Measure.LoadPct[2]; }},
};

// "E3" battery support time in minutes as a single at 113.
constexpr TInfoField BatteryFields[] = {
    {113, TInfoKind::Single, 1, [](const TSimUnit& u) { return u.Measure.BattSupportTime; }},
};

// Alarm codes carried by one byte of the alarm reply. Codes 100 + j set
// b[j] = 01 unless listed here; b[48] (battery breaker) is E0 while closed.
struct TAlarmByteRow {
    int Code;
    bool Leading; // c[Index] rather than b[Index]
    int Index;
    uint8_t Value;
};
constexpr TAlarmByteRow AlarmBytes[] = {
    {135, false, 35, 0xF1}, {148, false, 48, 0x00}, {160, false, 48, 0xF1}, {201, true, 0, 0x01},
    {202, true, 1, 0x01},   {203, true, 2, 0x01},   {204, true, 3, 0x01},   {205, true, 4, 0x01},
    {206, true, 5, 0x01},   {207, true, 5, 0x02},   {208, true, 5, 0xF0},   {209, true, 5, 0xE1},
    {210, true, 5, 0xE3},
};
constexpr int AlarmByteCount = 56;
constexpr int LeadingByteCount = 7;
constexpr int BreakerByte = 48;
constexpr uint8_t BreakerClosed = 0xE0;

const TAlarmByteRow* SpecialAlarm(int code) {
    for (const auto& row : AlarmBytes) {
        if (row.Code == code) {
            return &row;
        }
    }
    return nullptr;
}

std::string AnalogInfo(const TSimUnit& u) {
    return BuildInfo(u, AnalogFields, 90);
}
std::string StatusInfo(const TSimUnit& u) {
    return BuildInfo(u, StatusFields, 24);
}
std::string LoadInfo(const TSimUnit& u) {
    return BuildInfo(u, LoadFields, 124);
}
std::string BatteryInfo(const TSimUnit& u) {
    return BuildInfo(u, BatteryFields, 108);
}

constexpr TYdtCommand ThreePhaseCommands[] = {
    {0x41, AnalogInfo}, {0x43, StatusInfo},  {0x44, ThreePhaseAlarmInfo},
    {0xE2, LoadInfo},   {0xE3, BatteryInfo},
};

} // namespace

std::string ThreePhaseAlarmInfo(const TSimUnit& unit) {
    std::array<uint8_t, LeadingByteCount> c{};
    std::array<uint8_t, AlarmByteCount> b{};
    b[BreakerByte] = BreakerClosed;
    // Descending, so that of the codes sharing c[5] the lowest is the one sent.
    for (auto it = unit.Alarms.rbegin(); it != unit.Alarms.rend(); ++it) {
        if (const TAlarmByteRow* row = SpecialAlarm(*it)) {
            (row->Leading ? c[row->Index] : b[row->Index]) = row->Value;
        } else if (*it >= 100 && *it < 100 + AlarmByteCount) {
            b[static_cast<std::size_t>(*it - 100)] = 0x01;
        }
    }
    std::string info(130, '0');
    for (int k = 0; k < LeadingByteCount; ++k) {
        PutInfo(info, 15 + 2 * k, ByteToHex2(c[k]));
    }
    for (int j = 0; j < AlarmByteCount; ++j) {
        PutInfo(info, 31 + 2 * j, ByteToHex2(b[j]));
    }
    return info;
}

const TYdtProtocol ThreePhaseProtocol{0x11, ThreePhaseCommands};

bool IsThreePhaseAlarm(int code) {
    return (code >= 100 && code < 100 + AlarmByteCount) || SpecialAlarm(code) != nullptr;
}
