#pragma once
// The variables that tell the event command what happened: PELMORA_EVENT_CODE,
// PELMORA_EVENT_KIND (0 program or communication, 1 state, 2 alarm),
// PELMORA_ALARM_RAISED (1, 0, or empty for other kinds), PELMORA_EVENT_TEXT
// and PELMORA_EVENT_TEXT_ZH (UTF-8), PELMORA_ADDRESS, PELMORA_UNIT,
// PELMORA_MODEL, PELMORA_TIME (ISO 8601 with the offset), PELMORA_SEVERITY.

#include "logging/uEventLogClass.h"

#include <string>
#include <vector>

struct TEventUnit {
    std::string Name;  // the device tree's name; empty for program events
    std::string Model; // the unit family the line is polled as
};

// "NAME=value" for each variable, values exactly as they are. The port closed
// by the user (`closedByUser`) has the severity info.
[[nodiscard]] std::vector<std::string>
EventVariables(const TEventRec& event, const TEventUnit& unit, bool closedByUser = false);
// "2026-03-04T05:06:07+08:00" of a log time stamp (local time).
[[nodiscard]] std::string IsoTime(double stamp);
