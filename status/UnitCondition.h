#pragma once
// What a unit needs from its operator at a glance, from its record: the one
// rule behind the overview's tiles, their colours and the worst-first order.

#include "base/LangText.h"
#include "record/UpsInfoRec.h"

#include <cstdint>

// Ascending by how urgently the unit needs someone: a larger value is worse.
enum class TUnitCondition : uint8_t {
    Normal,
    Alarm,            // running, with at least one alarm standing
    Bypass,           // the load is on the bypass (static or maintenance)
    OnBattery,        // the mains failed; the battery carries the load
    NotCommunicating, // lost, or never answered since the port opened
    Fault,            // fault or emergency power off: the output may be gone
};

// A unit the poll engine counts as lost is not communicating whatever its
// record last held; otherwise the state code decides before the alarms.
[[nodiscard]] TUnitCondition UnitConditionOf(const TUpsInfoRec& rec);

// "Normal" / "正常", "On battery" / "电池供电", ...
[[nodiscard]] TTextPair UnitConditionText(TUnitCondition condition);
