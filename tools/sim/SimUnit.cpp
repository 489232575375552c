#include "tools/sim/SimUnit.h"

#include <algorithm>
#include <cmath>

namespace {

// Holding register defaults of a typical 230 V / 50 Hz unit with 32 batteries.
struct THoldingDefault {
    int Reg;
    uint16_t Value;
};
constexpr THoldingDefault HoldingDefaults[] = {
    {40002, 1},   {40004, 0},   {40005, 220},
    {40006, 50},  {40007, 1},   {40008, 0},
    {40011, 5},   {40012, 15},  {40013, static_cast<uint16_t>(-20)},
    {40014, 0},   {40015, 32},  {40017, 1},
    {40018, 235}, {40019, 225}, {40020, 175},
    {40021, 100}, {40022, 5},   {40023, 25},
    {40025, 30},  {40027, 0},   {40029, 0},
};

// Models whose ratings differ from the defaults.
struct TModelDefault {
    const char* Model;
    int Reg;
    uint16_t Value;
};
constexpr TModelDefault ModelDefaults[] = {
    {"VEX305", 40005, 120},
    {"VEX305", 40015, 24},
    {"QRT5100", 40015, 16},
};

// Which supplies a state leaves on.
struct TStateLevels {
    TSimState State;
    bool MainsIn;
    bool OutputOn;
    bool Discharging;
};
constexpr TStateLevels StateLevels[] = {
    {TSimState::Standby, true, false, false}, {TSimState::Online, true, true, false},
    {TSimState::Battery, false, true, true},  {TSimState::Bypass, true, true, false},
    {TSimState::Economy, true, true, false},  {TSimState::BatteryTest, true, true, true},
    {TSimState::Fault, true, true, false},    {TSimState::MaintBypass, true, true, false},
    {TSimState::Epo, true, false, false},
};

constexpr double RatedPowerW = 10000;     // load 100 % draws this from the battery
constexpr double FullSupportMinAt30 = 60; // full battery at 30 % load
constexpr double RechargeSeconds = 3 * 3600;
constexpr int CellsPerBattery = 6;

const TStateLevels& LevelsOf(TSimState state) {
    for (const auto& row : StateLevels) {
        if (row.State == state) {
            return row;
        }
    }
    return StateLevels[0];
}

double FullSupportMinutes(const TSimUnit& u) {
    const double load = std::max(5.0, u.BaseLoadPct);
    return FullSupportMinAt30 * 30 / load;
}

double CellVolt(const TSimUnit& u, bool discharging) {
    const double floatV = HoldingValue(u, 40019) / 100.0;
    if (!discharging) {
        return floatV;
    }
    const double eod = HoldingValue(u, 40020) / 100.0;
    return eod + (2.05 - eod) * u.Measure.BattCapacity / 100;
}

// The measurements of the unit's state, without drift.
TSimMeasure Targets(const TSimUnit& u) {
    const TStateLevels& lv = LevelsOf(u.State);
    TSimMeasure t = u.Measure;
    const double nominal = HoldingValue(u, 40005) & 0xFF;
    const double adjust = static_cast<int16_t>(HoldingValue(u, 40014)) / 1000.0;
    for (int i = 0; i < 3; ++i) {
        t.InputVolt[i] = lv.MainsIn ? nominal : 0;
        t.OutputVolt[i] = lv.OutputOn ? nominal * (1 + adjust) : 0;
        t.LoadPct[i] = lv.OutputOn ? u.BaseLoadPct + 2 * i : 0;
    }
    t.OutputFreq = lv.OutputOn ? (HoldingValue(u, 40006) & 0xFF) : 0;
    const double half =
        HoldingValue(u, 40015) / 2.0 * CellsPerBattery * CellVolt(u, lv.Discharging);
    t.BattVolt1 = t.BattVolt2 = half;
    const double charge = u.Measure.BattCapacity < 100
                              ? HoldingValue(u, 40023) / 2.0 * (1 - u.Measure.BattCapacity / 100)
                              : 0.2;
    t.ChargeCur1 = t.ChargeCur2 = lv.Discharging ? 0 : std::max(0.2, charge);
    const double discharge = half > 0 ? u.BaseLoadPct / 100 * RatedPowerW / (2 * half) : 0;
    t.DischargeCur1 = t.DischargeCur2 = lv.Discharging ? discharge : 0;
    t.BattSupportTime = u.Measure.BattCapacity / 100 * FullSupportMinutes(u);
    return t;
}

// Mean-reverting drift: pulled towards the target, nudged by a little noise.
// A target of zero (a supply that is off) reads exactly zero.
double Wander(double value, double target, double spread, double seconds, std::minstd_rand& rng) {
    if (target == 0) {
        return 0;
    }
    std::uniform_real_distribution<double> noise(-spread, spread);
    const double pull = std::min(1.0, seconds / 3);
    return value + (target - value) * pull + noise(rng) * std::min(1.0, seconds);
}

void DriftMeasure(TSimUnit& u, double seconds) {
    const TSimMeasure t = Targets(u);
    TSimMeasure& m = u.Measure;
    for (int i = 0; i < 3; ++i) {
        m.InputVolt[i] = Wander(m.InputVolt[i], t.InputVolt[i], 0.6, seconds, u.Rng);
        m.OutputVolt[i] = Wander(m.OutputVolt[i], t.OutputVolt[i], 0.3, seconds, u.Rng);
        m.LoadPct[i] = Wander(m.LoadPct[i], t.LoadPct[i], 0.5, seconds, u.Rng);
    }
    m.OutputFreq = Wander(m.OutputFreq, t.OutputFreq, 0.02, seconds, u.Rng);
    m.BattVolt1 = Wander(m.BattVolt1, t.BattVolt1, 0.2, seconds, u.Rng);
    m.BattVolt2 = Wander(m.BattVolt2, t.BattVolt2, 0.2, seconds, u.Rng);
    m.ChargeCur1 = Wander(m.ChargeCur1, t.ChargeCur1, 0.05, seconds, u.Rng);
    m.ChargeCur2 = Wander(m.ChargeCur2, t.ChargeCur2, 0.05, seconds, u.Rng);
    m.DischargeCur1 = Wander(m.DischargeCur1, t.DischargeCur1, 0.1, seconds, u.Rng);
    m.DischargeCur2 = Wander(m.DischargeCur2, t.DischargeCur2, 0.1, seconds, u.Rng);
    m.BattSupportTime = t.BattSupportTime;
}

void MoveCapacity(TSimUnit& u, double seconds) {
    double& cap = u.Measure.BattCapacity;
    if (LevelsOf(u.State).Discharging) {
        cap -= seconds * 100 / (FullSupportMinutes(u) * 60);
    } else {
        cap += seconds * 100 / RechargeSeconds;
    }
    cap = std::clamp(cap, 0.0, 100.0);
}

// A test started with a duration ends by itself; one without (a scenario's
// battery-test state) lasts until the scenario ends it.
void CountDownTest(TSimUnit& u, double seconds) {
    if (u.State != TSimState::BatteryTest || u.TestSecondsLeft <= 0) {
        return;
    }
    u.TestSecondsLeft -= seconds;
    if (u.TestSecondsLeft <= 0) {
        SetUnitState(u, TSimState::Online);
    }
}

} // namespace

TSimUnit MakeUnit(uint8_t address, const std::string& model) {
    TSimUnit u;
    u.Address = address;
    u.Model = model;
    u.Rng.seed(address);
    u.BaseLoadPct = 20 + (address * 7) % 40;
    for (const auto& row : HoldingDefaults) {
        SetHoldingValue(u, row.Reg, row.Value);
    }
    for (const auto& row : ModelDefaults) {
        if (model == row.Model) {
            SetHoldingValue(u, row.Reg, row.Value);
        }
    }
    SettleMeasure(u);
    return u;
}

uint16_t HoldingValue(const TSimUnit& unit, int reg) {
    if (reg < HoldingFirst || reg > HoldingLast) {
        return 0;
    }
    return unit.Holding[static_cast<std::size_t>(reg - HoldingFirst)];
}

void SetHoldingValue(TSimUnit& unit, int reg, uint16_t value) {
    if (reg >= HoldingFirst && reg <= HoldingLast) {
        unit.Holding[static_cast<std::size_t>(reg - HoldingFirst)] = value;
    }
}

void SetUnitState(TSimUnit& unit, TSimState state) {
    unit.State = state;
    if (state != TSimState::BatteryTest) {
        unit.TestSecondsLeft = 0;
    }
    SettleMeasure(unit);
}

void SettleMeasure(TSimUnit& unit) {
    unit.Measure = Targets(unit);
}

void TickUnit(TSimUnit& unit, double seconds) {
    if (seconds <= 0) {
        return;
    }
    MoveCapacity(unit, seconds);
    DriftMeasure(unit, seconds);
    CountDownTest(unit, seconds);
}
