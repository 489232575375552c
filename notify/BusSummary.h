#pragma once
// The state of the whole line in one word and one sentence, for the tray:
// the worst state over all units, and how many units are in each.

#include "feed/RecordSnapshot.h"

#include <array>
#include <cstdint>
#include <string>

// From best to worst; the tray shows the worst one present.
enum class TBusState : uint8_t { Normal, Alarm, OnBattery, NotCommunicating, PortClosed };
inline constexpr int BusStateCount = 5;

struct TBusSummary {
    TBusState Worst = TBusState::Normal;
    std::array<int, BusStateCount> Counts{}; // units per state; PortClosed stays 0
    int Units = 0;
};

// A unit counts by its condition (status/UnitCondition.h): not communicating,
// on battery, or in alarm for every other condition that needs attention
// (alarms, bypass, fault). A closed port is worst of all, whatever the units
// last said.
[[nodiscard]] TBusSummary SummarizeBus(const TRecordSnapshot& snapshot);

// "16 units: 14 normal, 1 on battery, 1 not communicating" / Chinese; states
// without units are left out. With the port closed: "Port closed: 16 units
// not polled".
[[nodiscard]] std::string BusSummaryText(const TBusSummary& summary, uint8_t language);
