#pragma once
// Plays a scenario on the units: builds them from the 'unit' lines and
// applies each timed event once its time has come. Time is scenario time in
// seconds, given by the caller (the runner scales the clock; tests step it).

#include "tools/sim/Scenario.h"
#include "tools/sim/SimUnit.h"

#include <cstddef>
#include <vector>

// Applies the clauses to a unit in the order: model, state, alarms, silence,
// delay, parameters.
void ApplyChange(TSimUnit& unit, const TUnitChange& change);

// The units of the scenario, plus an online unit of the default model for
// each extra address not defined there.
[[nodiscard]] TSimUnits BuildUnits(const TScenario& scenario, const std::vector<int>& extra);

class TScenarioPlayer {
public:
    explicit TScenarioPlayer(std::vector<TScenarioEvent> events) : FEvents(std::move(events)) {}

    // Applies every event due at or before `seconds` that has not been
    // applied yet; returns those events, in order.
    std::vector<const TScenarioEvent*> Advance(TSimUnits& units, double seconds);

    [[nodiscard]] bool Finished() const { return FNext >= FEvents.size(); }
    // Time of the next event, when there is one.
    [[nodiscard]] double NextTime() const;

private:
    std::vector<TScenarioEvent> FEvents;
    std::size_t FNext = 0;
};
