#include "tools/sim/ModularResponder.h"

#include "tools/sim/InfoFields.h"
#include "tools/sim/StatusWords.h"

namespace {

double Word(const TSimUnit& u, int k) {
    return UnitWords(u)[static_cast<std::size_t>(k)];
}

// "42" analog values, /100 fixed point, one word every four characters:
//   ~31012A00002E 00 55F0 55F0 55F0 55F0 55F0 55F0 0000 0000 0000 A8C0 1388 F3F1 CR
//   pos        13 15 19   23   27   31   35   39   43   47   51   55   59
// (input A-C, output A-C, three unused, DC input, output frequency)
constexpr TInfoField AnalogFields[] = {
    {15, TInfoKind::Word, 100, [](const TSimUnit& u) { return u.Measure.InputVolt[0]; }},
    {19, TInfoKind::Word, 100, [](const TSimUnit& u) { return u.Measure.InputVolt[1]; }},
    {23, TInfoKind::Word, 100, [](const TSimUnit& u) { return u.Measure.InputVolt[2]; }},
    {27, TInfoKind::Word, 100, [](const TSimUnit& u) { return u.Measure.OutputVolt[0]; }},
    {31, TInfoKind::Word, 100, [](const TSimUnit& u) { return u.Measure.OutputVolt[1]; }},
    {35, TInfoKind::Word, 100, [](const TSimUnit& u) { return u.Measure.OutputVolt[2]; }},
    {51, TInfoKind::Word, 100,
     [](const TSimUnit& u) { return u.Measure.BattVolt1 + u.Measure.BattVolt2; }},
    {55, TInfoKind::Word, 100, [](const TSimUnit& u) { return u.Measure.OutputFreq; }},
};

// "43" state: the device's state number and the state words W0, W4, W5, W8
// (W8 in two digits only):
//   ~31012A009016 00 0000 04 CC00 C700 0000 00 F934 CR
//   pos        13 15   19 21   25   29   33 35
constexpr TInfoField StatusFields[] = {
    {19, TInfoKind::Byte, 1, [](const TSimUnit& u) { return double(DeviceStateNumber(u.State)); }},
    {21, TInfoKind::Word, 1, [](const TSimUnit& u) { return Word(u, 0); }},
    {25, TInfoKind::Word, 1, [](const TSimUnit& u) { return Word(u, 4); }},
    {29, TInfoKind::Word, 1, [](const TSimUnit& u) { return Word(u, 5); }},
    {33, TInfoKind::Byte, 1, [](const TSimUnit& u) { return double(UnitWords(u)[8] & 0xFF); }},
};

// "44" alarm words W2, W3, W6, W7, then the battery and environment alarm
// byte (the high byte of W9, where those alarms live):
//   ~31012A008026 00...00 0000 0000 0010 1000 00 F676 CR   (alarms 43, 51)
//   pos        13          33   37   41   45   49 51
constexpr TInfoField AlarmFields[] = {
    {33, TInfoKind::Word, 1, [](const TSimUnit& u) { return Word(u, 2); }},
    {37, TInfoKind::Word, 1, [](const TSimUnit& u) { return Word(u, 3); }},
    {41, TInfoKind::Word, 1, [](const TSimUnit& u) { return Word(u, 6); }},
    {45, TInfoKind::Word, 1, [](const TSimUnit& u) { return Word(u, 7); }},
    {49, TInfoKind::Byte, 1, [](const TSimUnit& u) { return double(UnitWords(u)[9] >> 8); }},
};

// "80" load percentages (whole) and the two charge and discharge currents
// (/100), at positions 95-103 and 143-155 of a 146-character INFO.
constexpr TInfoField LoadFields[] = {
    {95, TInfoKind::Word, 1, [](const TSimUnit& u) { return u.Measure.LoadPct[0]; }},
    {99, TInfoKind::Word, 1, [](const TSimUnit& u) { return u.Measure.LoadPct[1]; }},
    {103, TInfoKind::Word, 1, [](const TSimUnit& u) { return u.Measure.LoadPct[2]; }},
    {143, TInfoKind::Word, 100, [](const TSimUnit& u) { return u.Measure.ChargeCur1; }},
    {147, TInfoKind::Word, 100, [](const TSimUnit& u) { return u.Measure.ChargeCur2; }},
    {151, TInfoKind::Word, 100, [](const TSimUnit& u) { return u.Measure.DischargeCur1; }},
    {155, TInfoKind::Word, 100, [](const TSimUnit& u) { return u.Measure.DischargeCur2; }},
};

// "82" battery support time (minutes) and remaining capacity (%):
//   ~31012A00101E 00...00 0043 0064 F7E0 CR
//   pos        13          35   39   43
constexpr TInfoField BatteryFields[] = {
    {35, TInfoKind::Word, 1, [](const TSimUnit& u) { return u.Measure.BattSupportTime; }},
    {39, TInfoKind::Word, 1, [](const TSimUnit& u) { return u.Measure.BattCapacity; }},
};

std::string AnalogInfo(const TSimUnit& u) {
    return BuildInfo(u, AnalogFields, 46);
}
std::string StatusInfo(const TSimUnit& u) {
    return BuildInfo(u, StatusFields, 22);
}
std::string AlarmInfo(const TSimUnit& u) {
    return BuildInfo(u, AlarmFields, 38);
}
std::string LoadInfo(const TSimUnit& u) {
    return BuildInfo(u, LoadFields, 146);
}
std::string BatteryInfo(const TSimUnit& u) {
    return BuildInfo(u, BatteryFields, 30);
}

constexpr TYdtCommand ModularCommands[] = {
    {0x42, AnalogInfo}, {0x43, StatusInfo},  {0x44, AlarmInfo},
    {0x80, LoadInfo},   {0x82, BatteryInfo},
};

} // namespace

const TYdtProtocol ModularProtocol{0x31, ModularCommands};
