#include "protocol/uYDTV31.h"

#include "status/StatusRules.h"

// Frames in the YD/T envelope of YdtFrame.h; the positions below count from
// the start character "~" at 0, INFO from 13.

namespace {

double Hundredths(double raw) {
    return raw / 100.0;
}

// "42" analog values, /100 fixed point, one word every four characters
// (input A-C, output A-C, three unused, DC input, output frequency):
//   ~31012A00002E 00 55F0 5654 56B8 55F0 55F0 55F0 0000 0000 0000 A8C0 1388 F3F8 CR
//   pos        13 15 19   23   27   31   35   39   43   47   51   55   59
constexpr TYdtField AnalogFields[] = {
    {15, TYdtRead::Word, [](TUpsInfoRec& r, double v) { r.InputVoltA = Hundredths(v); }},
    {19, TYdtRead::Word, [](TUpsInfoRec& r, double v) { r.InputVoltB = Hundredths(v); }},
    {23, TYdtRead::Word, [](TUpsInfoRec& r, double v) { r.InputVoltC = Hundredths(v); }},
    {27, TYdtRead::Word, [](TUpsInfoRec& r, double v) { r.OutputVoltA = Hundredths(v); }},
    {31, TYdtRead::Word, [](TUpsInfoRec& r, double v) { r.OutputVoltB = Hundredths(v); }},
    {35, TYdtRead::Word, [](TUpsInfoRec& r, double v) { r.OutputVoltC = Hundredths(v); }},
    {51, TYdtRead::Word, [](TUpsInfoRec& r, double v) { r.DcInputVolt = Hundredths(v); }},
    {55, TYdtRead::Word, [](TUpsInfoRec& r, double v) { r.OutputFreq = Hundredths(v); }},
};

// "43" the device's own state number, then the state words W0, W4, W5 and
// the low byte of W8:
//   ~31012A009016 00 0000 04 CC00 C700 0000 00 F934 CR
//   pos        13 15   19 21   25   29   33 35
constexpr TYdtField StatusFields[] = {
    {19, TYdtRead::Byte, [](TUpsInfoRec& r, double v) { r.DevState = uint8_t(v); }},
    {21, TYdtRead::Hex4, [](TUpsInfoRec& r, double v) { r.StatusWord[0] = uint16_t(v); }},
    {25, TYdtRead::Hex4, [](TUpsInfoRec& r, double v) { r.StatusWord[4] = uint16_t(v); }},
    {29, TYdtRead::Hex4, [](TUpsInfoRec& r, double v) { r.StatusWord[5] = uint16_t(v); }},
    {33, TYdtRead::Byte, [](TUpsInfoRec& r, double v) { r.StatusWord[8] = uint16_t(v); }},
};

// "44" alarm words W2, W3, W6, W7, then the battery and environment alarm
// byte. Those alarms are bits 8-15 of W9, so the byte is the high byte of W9;
// taken as the low byte they would never be raised.
//   ~31012A008026 00..00 8001 0000 0010 1000 80 F665 CR  (alarms 0, 15, 43, 51, 64)
//   pos        13        33   37   41   45   49 51
constexpr TYdtField AlarmFields[] = {
    {33, TYdtRead::Hex4, [](TUpsInfoRec& r, double v) { r.StatusWord[2] = uint16_t(v); }},
    {37, TYdtRead::Hex4, [](TUpsInfoRec& r, double v) { r.StatusWord[3] = uint16_t(v); }},
    {41, TYdtRead::Hex4, [](TUpsInfoRec& r, double v) { r.StatusWord[6] = uint16_t(v); }},
    {45, TYdtRead::Hex4, [](TUpsInfoRec& r, double v) { r.StatusWord[7] = uint16_t(v); }},
    {49, TYdtRead::Byte,
     [](TUpsInfoRec& r, double v) { r.StatusWord[9] = uint16_t(uint32_t(v) << 8); }},
};

// "80" load percentages (whole numbers) and the charge and discharge
// currents (/100) out of a 146-character INFO:
//   ~31012A00C092 00..00 001E 001E 001E 00..00 00C8 00C8 0000 0000 xxxx CR
//   pos        13        95   99   103  107    143  147  151  155  159
constexpr TYdtField LoadFields[] = {
    {95, TYdtRead::Word, [](TUpsInfoRec& r, double v) { r.LoadPctA = v; }},
    {99, TYdtRead::Word, [](TUpsInfoRec& r, double v) { r.LoadPctB = v; }},
    {103, TYdtRead::Word, [](TUpsInfoRec& r, double v) { r.LoadPctC = v; }},
    {143, TYdtRead::Word, [](TUpsInfoRec& r, double v) { r.ChargeCur1 = Hundredths(v); }},
    {147, TYdtRead::Word, [](TUpsInfoRec& r, double v) { r.ChargeCur2 = Hundredths(v); }},
    {151, TYdtRead::Word, [](TUpsInfoRec& r, double v) { r.DischargeCur1 = Hundredths(v); }},
    {155, TYdtRead::Word, [](TUpsInfoRec& r, double v) { r.DischargeCur2 = Hundredths(v); }},
};

// "82" battery support time (minutes) and remaining capacity (%):
//   ~31012A00101E 00..00 0043 0064 F7E0 CR
//   pos        13        35   39   43
constexpr TYdtField BatteryFields[] = {
    {35, TYdtRead::Word, [](TUpsInfoRec& r, double v) { r.BattSupportTime = uint16_t(v); }},
    {39, TYdtRead::Word, [](TUpsInfoRec& r, double v) { r.BattCapacity = int32_t(v); }},
};

void FinishStatus(std::span<const uint8_t>, TUpsInfoRec& r) {
    r.UpsState = StateFromWords(r.StatusWord);
    r.DataValid = 1;
    DeriveSwitchFlags(r);
}

void FinishAlarms(std::span<const uint8_t>, TUpsInfoRec& r) {
    BuildAlarmList(r);
    r.AlarmsReported = 1; // the alarm words came with this reply
}

void FinishLoad(std::span<const uint8_t>, TUpsInfoRec& r) {
    r.ChargeCur = r.ChargeCur1 + r.ChargeCur2;
    r.DischargeCur = r.DischargeCur1 + r.DischargeCur2;
}

// The poll sequence of one device, Cmd 1 to 5; the status request probes.
constexpr TYdtCommand Commands[] = {
    {"42", AnalogFields},
    {"43", StatusFields, FinishStatus},
    {"44", AlarmFields, FinishAlarms},
    {"80", LoadFields, FinishLoad},
    {"82", BatteryFields},
};
constexpr TYdtVariant V31{"31", 2, Commands};

} // namespace

TYdtV31Protocol::TYdtV31Protocol(TTxBuffer& txBuffer, const TRxBuffer& rxBuffer)
    : TYdtCodec(V31, txBuffer, rxBuffer) {}
