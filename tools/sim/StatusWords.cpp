#include "tools/sim/StatusWords.h"

namespace {

// Bits of the state words:
//  W0: 15 input switch closed, 14 inverter output valid, 13 EPO, 11 rectifier
//      input present, 10 supplied by mains (clear: by battery), 9 battery test,
//      8 battery discharging.
//  W4: 15 bypass switch, 14 output switch, 13 maintenance bypass switch,
//      10/9 inverter running (both) or starting (9 alone), 8 output from the
//      inverter, 7 output from the bypass.
//  W5: 11 ECO mode enabled.
struct TStateWordsRow {
    TSimState State;
    uint8_t DevState; // state number the device reports
    uint16_t W0, W4, W5;
};
constexpr TStateWordsRow StateWords[] = {
    {TSimState::Standby, 1, 0xCC00, 0x8000, 0x0000},
    {TSimState::Online, 4, 0xCC00, 0xC700, 0x0000},
    {TSimState::Battery, 5, 0xC900, 0xC700, 0x0000},
    {TSimState::Bypass, 3, 0xCC00, 0xC080, 0x0000},
    {TSimState::Economy, 8, 0xCC00, 0xC480, 0x0800},
    {TSimState::BatteryTest, 6, 0xCB00, 0xC700, 0x0000},
    {TSimState::Fault, 11, 0xCC00, 0xC080, 0x0000},
    {TSimState::MaintBypass, 10, 0xCC00, 0xA080, 0x0000},
    {TSimState::Epo, 9, 0xAC00, 0x8000, 0x0000},
};

// Alarm codes First..Last are the bits TopBit, TopBit-1, ... of one word.
struct TAlarmBitsRow {
    int First, Last;
    int Word;
    int TopBit;
};
constexpr TAlarmBitsRow AlarmBits[] = {
    {0, 15, 2, 15},  // rectifier faults
    {16, 25, 3, 15}, // input and battery
    {32, 47, 6, 15}, // inverter and bypass
    {48, 56, 7, 15}, // load and output
    {64, 71, 9, 15}, // battery and environment
};

constexpr int InverterFaultAlarm = 32;

const TStateWordsRow& RowOf(TSimState state) {
    for (const auto& row : StateWords) {
        if (row.State == state) {
            return row;
        }
    }
    return StateWords[0];
}

const TAlarmBitsRow* BitsOf(int code) {
    for (const auto& row : AlarmBits) {
        if (code >= row.First && code <= row.Last) {
            return &row;
        }
    }
    return nullptr;
}

void SetAlarmBit(TSimWords& w, int code) {
    if (const TAlarmBitsRow* row = BitsOf(code)) {
        w[row->Word] |= static_cast<uint16_t>(1u << (row->TopBit - (code - row->First)));
    }
}

// The bits a monitor takes as a fault: any rectifier fault, W3 bit 15, and
// the inverter and bypass faults of W6.
bool ShowsFault(const TSimWords& w) {
    return w[2] != 0 || (w[3] & 0x8000) != 0 || (w[6] & 0xFC8C) != 0;
}

} // namespace

TSimWords WordsForState(TSimState state) {
    const TStateWordsRow& row = RowOf(state);
    TSimWords w{};
    w[0] = row.W0;
    w[4] = row.W4;
    w[5] = row.W5;
    return w;
}

bool IsWordAlarm(int code) {
    return BitsOf(code) != nullptr;
}

TSimWords UnitWords(const TSimUnit& unit) {
    TSimWords w = WordsForState(unit.State);
    for (int code : unit.Alarms) {
        SetAlarmBit(w, code);
    }
    if (unit.State == TSimState::Fault && !ShowsFault(w)) {
        SetAlarmBit(w, InverterFaultAlarm);
    }
    return w;
}

uint8_t DeviceStateNumber(TSimState state) {
    return RowOf(state).DevState;
}
