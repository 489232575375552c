#include "tools/sim/ScenarioPlayer.h"

#include <limits>

namespace {

void ApplyAlarms(std::set<int>& alarms, const std::vector<TAlarmOp>& ops) {
    for (const TAlarmOp& op : ops) {
        switch (op.Kind) {
        case TAlarmOp::Replace:
            alarms = op.Codes;
            break;
        case TAlarmOp::Add:
            alarms.insert(op.Codes.begin(), op.Codes.end());
            break;
        case TAlarmOp::Remove:
            for (int code : op.Codes) {
                alarms.erase(code);
            }
            break;
        }
    }
}

} // namespace

void ApplyChange(TSimUnit& unit, const TUnitChange& change) {
    if (change.Model) {
        unit.Model = *change.Model;
    }
    if (change.State) {
        SetUnitState(unit, *change.State);
    }
    ApplyAlarms(unit.Alarms, change.Alarms);
    if (change.Silent) {
        unit.Silent = *change.Silent;
    }
    if (change.DelayMs) {
        unit.ResponseDelayMs = *change.DelayMs;
    }
    for (const auto& [reg, value] : change.Params) {
        SetHoldingValue(unit, reg, value);
    }
    if (!change.Params.empty()) {
        SettleMeasure(unit);
    }
}

TSimUnits BuildUnits(const TScenario& scenario, const std::vector<int>& extra) {
    TSimUnits units;
    for (const TScenarioUnit& u : scenario.Units) {
        TSimUnit unit = MakeUnit(u.Address, u.Setup.Model.value_or(DefaultModel));
        ApplyChange(unit, u.Setup);
        units.emplace(u.Address, std::move(unit));
    }
    for (int address : extra) {
        const auto a = static_cast<uint8_t>(address);
        if (!units.contains(a)) {
            units.emplace(a, MakeUnit(a, DefaultModel));
        }
    }
    return units;
}

std::vector<const TScenarioEvent*> TScenarioPlayer::Advance(TSimUnits& units, double seconds) {
    std::vector<const TScenarioEvent*> applied;
    while (FNext < FEvents.size() && FEvents[FNext].AtSeconds <= seconds) {
        const TScenarioEvent& e = FEvents[FNext++];
        if (auto it = units.find(e.Address); it != units.end()) {
            ApplyChange(it->second, e.Change);
            applied.push_back(&e);
        }
    }
    return applied;
}

double TScenarioPlayer::NextTime() const {
    return Finished() ? std::numeric_limits<double>::infinity() : FEvents[FNext].AtSeconds;
}
