#include "tools/sim/ModbusRegisters.h"

#include "tools/sim/StatusWords.h"

#include <algorithm>
#include <cmath>

namespace {

// Readable banks by function code; registers inside a bank without a row
// below read 0.
struct TBank {
    int Func;
    int First, Last;
};
constexpr TBank Banks[] = {
    {4, 30001, 30100},
    {3, HoldingFirst, HoldingLast},
};

uint16_t Scaled(double value, double scale) {
    return static_cast<uint16_t>(std::clamp(std::lround(value * scale), 0L, 65535L));
}

uint16_t Word(const TSimUnit& u, int k) {
    return UnitWords(u)[static_cast<std::size_t>(k)];
}

// Input registers, one row each. Read as the monitor polls them:
//   01 04 75 30 00 0E -> 30001..30014, 01 04 75 44 00 12 -> 30021..30038,
//   01 04 75 80 00 0B -> 30081..30091.
struct TInputRow {
    int Reg;
    uint16_t (*Value)(const TSimUnit&);
};
constexpr TInputRow InputRegs[] = {
    {30001, [](const TSimUnit& u) { return Scaled(u.Measure.InputVolt[0], 10); }},
    {30002, [](const TSimUnit& u) { return Scaled(u.Measure.InputVolt[1], 10); }},
    {30003, [](const TSimUnit& u) { return Scaled(u.Measure.InputVolt[2], 10); }},
    {30011, [](const TSimUnit& u) { return Scaled(u.Measure.OutputVolt[0], 10); }},
    {30012, [](const TSimUnit& u) { return Scaled(u.Measure.OutputVolt[1], 10); }},
    {30013, [](const TSimUnit& u) { return Scaled(u.Measure.OutputVolt[2], 10); }},
    {30014, [](const TSimUnit& u) { return Scaled(u.Measure.OutputFreq, 10); }},
    {30021, [](const TSimUnit& u) { return Scaled(u.Measure.LoadPct[0], 1); }},
    {30022, [](const TSimUnit& u) { return Scaled(u.Measure.LoadPct[1], 1); }},
    {30023, [](const TSimUnit& u) { return Scaled(u.Measure.LoadPct[2], 1); }},
    {30031, [](const TSimUnit& u) { return Scaled(u.Measure.BattVolt1, 10); }},
    {30032, [](const TSimUnit& u) { return Scaled(u.Measure.BattVolt2, 10); }},
    {30033, [](const TSimUnit& u) { return Scaled(u.Measure.ChargeCur1, 10); }},
    {30034, [](const TSimUnit& u) { return Scaled(u.Measure.ChargeCur2, 10); }},
    {30035, [](const TSimUnit& u) { return Scaled(u.Measure.DischargeCur1, 10); }},
    {30036, [](const TSimUnit& u) { return Scaled(u.Measure.DischargeCur2, 10); }},
    {30037, [](const TSimUnit& u) { return Scaled(u.Measure.BattCapacity, 1); }},
    {30038, [](const TSimUnit& u) { return Scaled(u.Measure.BattSupportTime, 1); }},
    {30081, [](const TSimUnit& u) { return uint16_t{DeviceStateNumber(u.State)}; }},
    // The inverter-side state words come before the rectifier-side alarm words.
    {30082, [](const TSimUnit& u) { return Word(u, 0); }},
    {30083, [](const TSimUnit& u) { return Word(u, 1); }},
    {30084, [](const TSimUnit& u) { return Word(u, 4); }},
    {30085, [](const TSimUnit& u) { return Word(u, 5); }},
    {30086, [](const TSimUnit& u) { return Word(u, 2); }},
    {30087, [](const TSimUnit& u) { return Word(u, 3); }},
    {30088, [](const TSimUnit& u) { return Word(u, 6); }},
    {30089, [](const TSimUnit& u) { return Word(u, 7); }},
    {30090, [](const TSimUnit& u) { return Word(u, 8); }},
    {30091, [](const TSimUnit& u) { return Word(u, 9); }},
};

uint16_t InputValue(const TSimUnit& unit, int reg) {
    for (const auto& row : InputRegs) {
        if (row.Reg == reg) {
            return row.Value(unit);
        }
    }
    return 0;
}

// Writable registers, one row per range.
struct TWriteRow {
    int First, Last;
    uint8_t (*Write)(TSimUnit&, int reg, uint16_t value, uint16_t unlockValue);
};

uint8_t SwitchOn(TSimUnit& u, int, uint16_t value, uint16_t) {
    if (value != 1) {
        return ExIllegalValue;
    }
    switch (u.State) {
    case TSimState::Standby:
    case TSimState::Bypass:
        SetUnitState(u, TSimState::Online);
        return ExNone;
    case TSimState::Fault:
    case TSimState::MaintBypass:
    case TSimState::Epo:
        return ExIllegalFunction; // needs a person at the unit first
    default:
        return ExNone; // already on
    }
}

uint8_t SwitchOff(TSimUnit& u, int, uint16_t value, uint16_t) {
    if (value != 1) {
        return ExIllegalValue;
    }
    if (u.State != TSimState::MaintBypass && u.State != TSimState::Epo) {
        SetUnitState(u, TSimState::Standby);
    }
    return ExNone;
}

// A value of seconds starts (or restarts) a test from online; 0 cancels one.
uint8_t BatteryTest(TSimUnit& u, int, uint16_t seconds, uint16_t) {
    if (seconds == 0) {
        if (u.State == TSimState::BatteryTest) {
            SetUnitState(u, TSimState::Online);
        }
        return ExNone;
    }
    if (u.State != TSimState::Online && u.State != TSimState::BatteryTest) {
        return ExIllegalFunction;
    }
    SetUnitState(u, TSimState::BatteryTest);
    u.TestSecondsLeft = seconds;
    return ExNone;
}

bool IsLocked(const TSimUnit& u) {
    return u.Model == LockedModel;
}

uint8_t Parameter(TSimUnit& u, int reg, uint16_t value, uint16_t) {
    if (IsLocked(u) && !u.WritesUnlocked) {
        return ExIllegalFunction;
    }
    u.WritesUnlocked = false;
    SetHoldingValue(u, reg, value);
    return ExNone;
}

uint8_t Unlock(TSimUnit& u, int, uint16_t value, uint16_t unlockValue) {
    if (!IsLocked(u)) {
        return ExIllegalAddress; // only the locked model has this register
    }
    u.WritesUnlocked = value == unlockValue;
    return u.WritesUnlocked ? ExNone : ExIllegalValue;
}

// 40001, 40010, 40024 and 40026 are reserved and read only.
constexpr TWriteRow WriteRegs[] = {
    {20001, 20001, SwitchOn},  {20002, 20002, SwitchOff}, {20003, 20003, BatteryTest},
    {40002, 40009, Parameter}, {40011, 40023, Parameter}, {40025, 40025, Parameter},
    {40027, 40029, Parameter}, {50000, 50000, Unlock},
};

const TWriteRow* FindWriteRow(int reg) {
    for (const auto& row : WriteRegs) {
        if (reg >= row.First && reg <= row.Last) {
            return &row;
        }
    }
    return nullptr;
}

} // namespace

std::optional<uint16_t> ReadRegister(const TSimUnit& unit, int func, int reg) {
    for (const auto& bank : Banks) {
        if (bank.Func == func && reg >= bank.First && reg <= bank.Last) {
            return func == 4 ? InputValue(unit, reg) : HoldingValue(unit, reg);
        }
    }
    return std::nullopt;
}

bool IsWritableRegister(int reg) {
    return FindWriteRow(reg) != nullptr;
}

uint8_t WriteRegister(TSimUnit& unit, int reg, uint16_t value, uint16_t unlockValue) {
    const TWriteRow* row = FindWriteRow(reg);
    return row ? row->Write(unit, reg, value, unlockValue) : ExIllegalAddress;
}
