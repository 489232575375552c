#pragma once
// Home Assistant MQTT discovery: retained configs that make each unit a
// device of its own (name, model, address in its identifiers) with a sensor
// per measured value, a sensor for its state, and binary sensors "On
// battery" and "Alarm". Every entity reads the unit's state topic and is
// available while both the publisher and the unit are.

#include "feed/RecordSnapshot.h"
#include "mqtt/MqttTopics.h"

#include <string>
#include <string_view>
#include <vector>

struct TMqttMessage {
    std::string Topic;
    std::string Payload;
};

[[nodiscard]] std::vector<TMqttMessage>
DiscoveryConfigs(const TUnitSnapshot& unit, const TMqttTopics& topics, std::string_view model);
// The config topics of an address: publishing them empty removes the
// unit from Home Assistant.
[[nodiscard]] std::vector<std::string> DiscoveryTopics(uint8_t address, const TMqttTopics& topics);
