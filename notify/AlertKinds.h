#pragma once
// What a logged event means to an operator: the condition it starts or ends,
// and how urgent it is. Read from the event log's own codes, so the monitor,
// the agent and the event command agree on every event.

#include "logging/uEventLogClass.h"

#include <cstdint>
#include <optional>

// The conditions that reach the desktop. Each has a key of [Notify] that
// turns it on or off.
enum class TAlertCondition : uint8_t {
    OnBattery,
    BatteryLow,
    Fault,
    Overload,
    Bypass,
    CommLost,
    PortLost,
};
inline constexpr int AlertConditionCount = 7;

enum class TSeverity : uint8_t { Info, Warning, Critical };

// "info", "warning", "critical", as the event command reads them.
[[nodiscard]] const char* SeverityName(TSeverity severity);
// Critical: on battery, battery low, fault, port lost. Warning: the others.
[[nodiscard]] TSeverity ConditionSeverity(TAlertCondition condition);

// The condition of a UPS state code: on battery (5), bypass (3, 10), fault
// (11); none for the others.
[[nodiscard]] std::optional<TAlertCondition> StateCondition(int32_t stateCode);
// The condition of an alarm code: battery low and overload by their codes in
// both alarm families, every other alarm with a text is a fault.
[[nodiscard]] std::optional<TAlertCondition> AlarmCondition(int32_t alarmCode);

// A logged event read as the start or the end of a condition. A state event
// says only what the unit is in now; whether it ends an earlier condition is
// known to whoever remembers the unit's last state (TAlertGatherer). The port
// closed by the user (`closedByUser`) is no condition and no more than info.
struct TEventMeaning {
    std::optional<TAlertCondition> Condition;
    bool Recovery = false;
    TSeverity Severity = TSeverity::Info; // of the event itself, for the command
};
[[nodiscard]] TEventMeaning ReadEvent(const TEventRec& event, bool closedByUser = false);
