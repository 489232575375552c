#pragma once
// The retained state of one unit on "<prefix>/<address>/state": its name and
// model, whether it communicates, its state and alarms in English, and every
// measured value with its unit. A unit that does not communicate carries no
// state and no readings, never its last ones.

#include "feed/RecordSnapshot.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

// One measured value: its JSON key, its Home Assistant sensor (a name, the
// device class and the unit), and where the record holds it.
struct TMqttMeasure {
    const char* Key;
    const char* Name;
    const char* Unit;
    const char* DeviceClass; // nullptr: none fits
    double (*Read)(const TUpsInfoRec& rec);
};

constexpr std::size_t MqttMeasureCount = 16;
[[nodiscard]] const std::array<TMqttMeasure, MqttMeasureCount>& MqttMeasures();

// "online", "on battery", "bypass", ...; "unknown" for a state not read yet.
[[nodiscard]] std::string_view MqttStateName(int32_t upsState);
// "communicating", "error" (replies are missing), "lost".
[[nodiscard]] std::string_view MqttCommName(uint8_t commState);
// Available to Home Assistant: communicating, or answering with errors.
[[nodiscard]] bool MqttUnitAvailable(const TUpsInfoRec& rec);

[[nodiscard]] std::string UnitStateJson(const TUnitSnapshot& unit, std::string_view model);

// What the state shows, to tell cheaply whether it must be sent again:
// measured values, state, communication, alarms. Equal views give equal JSON
// (the name aside, compared by the publisher).
struct TUnitStateView {
    std::array<double, MqttMeasureCount> Values{};
    int32_t State = 0;
    uint8_t Comm = 0;
    uint8_t AlarmCount = 0;
    std::array<int32_t, MaxAlarmCodes> Alarms{};
    bool operator==(const TUnitStateView&) const = default;
};
[[nodiscard]] TUnitStateView UnitStateViewOf(const TUpsInfoRec& rec);
