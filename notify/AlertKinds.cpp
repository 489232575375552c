#include "notify/AlertKinds.h"

#include "status/StatusCodes.h"
#include "status/StatusTexts.h"

#include <algorithm>
#include <array>

namespace {
// Battery under voltage (21), low battery alarm (23), battery under voltage
// of the environment word (67), and the three-phase battery under voltage and
// low pre-warning (206, 209).
constexpr std::array<int32_t, 5> BatteryLowAlarms = {21, 23, 67, AlarmBattUnderVoltage,
                                                     AlarmBattLowPreWarning};
// Overload and parallel overload (51, 52); the three-phase single, parallel,
// overtime and transient overloads (119, 120, 121, 126).
constexpr std::array<int32_t, 6> OverloadAlarms = {51, 52, 119, 120, 121, 126};

bool Contains(const auto& codes, int32_t code) {
    return std::find(codes.begin(), codes.end(), code) != codes.end();
}
} // namespace

const char* SeverityName(TSeverity severity) {
    switch (severity) {
    case TSeverity::Critical:
        return "critical";
    case TSeverity::Warning:
        return "warning";
    case TSeverity::Info:
        break;
    }
    return "info";
}

TSeverity ConditionSeverity(TAlertCondition condition) {
    switch (condition) {
    case TAlertCondition::OnBattery:
    case TAlertCondition::BatteryLow:
    case TAlertCondition::Fault:
    case TAlertCondition::PortLost:
        return TSeverity::Critical;
    default:
        return TSeverity::Warning;
    }
}

std::optional<TAlertCondition> StateCondition(int32_t stateCode) {
    switch (stateCode) {
    case StateBattery:
        return TAlertCondition::OnBattery;
    case StateBypass:
    case StateMaintBypass:
        return TAlertCondition::Bypass;
    case StateFault:
        return TAlertCondition::Fault;
    default:
        return std::nullopt;
    }
}

std::optional<TAlertCondition> AlarmCondition(int32_t alarmCode) {
    if (Contains(BatteryLowAlarms, alarmCode))
        return TAlertCondition::BatteryLow;
    if (Contains(OverloadAlarms, alarmCode))
        return TAlertCondition::Overload;
    // An alarm without a text in either language is no known alarm.
    if (AlarmText(alarmCode, 1).empty() && AlarmText(alarmCode, 0).empty())
        return std::nullopt;
    return TAlertCondition::Fault;
}

TEventMeaning ReadEvent(const TEventRec& event, bool closedByUser) {
    TEventMeaning meaning;
    if (closedByUser)
        return meaning;
    switch (event.Kind) {
    case EventKindProgram:
        if (event.Code == EventCommLost || event.Code == EventCommEstablished ||
            event.Code == EventCommRecovered) {
            meaning.Condition =
                event.Address == 0 ? TAlertCondition::PortLost : TAlertCondition::CommLost;
            meaning.Recovery = event.Code != EventCommLost;
        }
        break;
    case EventKindState:
        meaning.Condition = StateCondition(event.Code);
        break;
    case EventKindAlarm:
        meaning.Condition = AlarmCondition(event.Code);
        meaning.Recovery = event.AlarmFlag == 0;
        break;
    default:
        break;
    }
    if (meaning.Condition && !meaning.Recovery)
        meaning.Severity = ConditionSeverity(*meaning.Condition);
    return meaning;
}
