#pragma once
// One simulated UPS on the bus: what it is doing (state, alarms), what it
// measures, and the parameters in its holding registers. The responders read
// it; scenario events and Modbus writes change it; Tick moves time on.

#include <array>
#include <cstdint>
#include <map>
#include <random>
#include <set>
#include <string>

enum class TSimState : uint8_t {
    Standby,     // inverter off, no output
    Online,      // mains through rectifier and inverter
    Battery,     // mains gone, inverter fed by the battery
    Bypass,      // load on the static bypass
    Economy,     // ECO: load on bypass, inverter ready
    BatteryTest, // mains present, battery discharged on purpose
    Fault,       // load on bypass after an internal fault
    MaintBypass, // load on the manual maintenance bypass
    Epo,         // emergency power off
};

// Holding registers 40001..40029, one 16-bit value each, as the device keeps
// them (8-bit parameters too; the reader takes what it needs).
constexpr int HoldingFirst = 40001;
constexpr int HoldingLast = 40029;
using THoldingRegs = std::array<uint16_t, HoldingLast - HoldingFirst + 1>;

struct TSimMeasure {
    std::array<double, 3> InputVolt{};   // phase voltages, V
    std::array<double, 3> OutputVolt{};  // V
    std::array<double, 3> LoadPct{};     // %
    double OutputFreq = 0;               // Hz
    double BattVolt1 = 0, BattVolt2 = 0; // positive and negative string, V
    double ChargeCur1 = 0, ChargeCur2 = 0;
    double DischargeCur1 = 0, DischargeCur2 = 0;
    double BattCapacity = 100;  // %
    double BattSupportTime = 0; // minutes
};

constexpr int DefaultResponseDelayMs = 20;
constexpr const char* DefaultModel = "VEX610";

struct TSimUnit {
    uint8_t Address = 1;
    std::string Model = DefaultModel;
    TSimState State = TSimState::Online;
    std::set<int> Alarms; // alarm codes 0..71 and 100..210
    bool Silent = false;  // answers nothing while set
    int ResponseDelayMs = DefaultResponseDelayMs;
    double BaseLoadPct = 30; // load while the output is on
    TSimMeasure Measure;
    THoldingRegs Holding{};
    double TestSecondsLeft = 0;  // battery test still to run; 0 = until told to end
    bool WritesUnlocked = false; // "LNM7100": one parameter write allowed
    std::minstd_rand Rng;        // drift of the measurements, seeded per unit
};

// The units on the bus by address.
using TSimUnits = std::map<uint8_t, TSimUnit>;

// A unit at `address` with the parameters of `model` and its measurements
// settled at the values its state gives (no drift yet).
[[nodiscard]] TSimUnit MakeUnit(uint8_t address, const std::string& model);

[[nodiscard]] uint16_t HoldingValue(const TSimUnit& unit, int reg);
void SetHoldingValue(TSimUnit& unit, int reg, uint16_t value);

// Changes the state; the measurements jump to the levels of the new state at
// once (mains lost is a step, not a drift) and a battery test left ends.
void SetUnitState(TSimUnit& unit, TSimState state);

// Moves the unit `seconds` of simulated time on: the measurements drift
// towards the levels of the state, the battery charges or discharges, a
// running battery test counts down and ends back online.
void TickUnit(TSimUnit& unit, double seconds);

// The measurements the state leads to, without drift.
void SettleMeasure(TSimUnit& unit);
