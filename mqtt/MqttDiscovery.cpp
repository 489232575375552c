#include "mqtt/MqttDiscovery.h"

#include "mqtt/MqttJson.h"
#include "mqtt/MqttUnitState.h"

namespace {

struct TEntity {
    const char* Component;
    const char* Key;
    const char* Name;
    const char* Unit;        // nullptr: none
    const char* DeviceClass; // nullptr: none
    std::string Template;
};

std::vector<TEntity> Entities() {
    std::vector<TEntity> entities;
    for (const TMqttMeasure& m : MqttMeasures())
        entities.push_back({"sensor", m.Key, m.Name, m.Unit, m.DeviceClass,
                            std::string("{{ value_json.") + m.Key + ".value }}"});
    entities.push_back({"sensor", "state", "State", nullptr, nullptr,
                        "{{ value_json.state | default(value_json.communication) }}"});
    entities.push_back({"binary_sensor", "on_battery", "On battery", nullptr, nullptr,
                        "{{ 'ON' if value_json.on_battery else 'OFF' }}"});
    entities.push_back({"binary_sensor", "alarm", "Alarm", nullptr, "problem",
                        "{{ 'ON' if value_json.alarm else 'OFF' }}"});
    return entities;
}

void Field(std::string& out, const char* key, std::string_view value) {
    out += ",\"";
    out += key;
    out += "\":";
    AppendJsonString(out, value);
}

} // namespace

std::vector<TMqttMessage> DiscoveryConfigs(const TUnitSnapshot& unit, const TMqttTopics& topics,
                                           std::string_view model) {
    std::string device = "{\"identifiers\":[";
    AppendJsonString(device, topics.UniqueId(unit.Address));
    device += "]";
    Field(device, "name", unit.Name);
    Field(device, "model", model);
    Field(device, "manufacturer", "Pelmora Desk");
    Field(device, "suggested_area", "UPS room");
    device += "}";

    std::string availability = "\"availability\":[{\"topic\":";
    AppendJsonString(availability, topics.Status());
    availability += "},{\"topic\":";
    AppendJsonString(availability, topics.Availability(unit.Address));
    availability += "}],\"availability_mode\":\"all\"";

    std::vector<TMqttMessage> configs;
    for (const TEntity& e : Entities()) {
        std::string out = "{\"name\":";
        AppendJsonString(out, e.Name);
        Field(out, "unique_id", topics.UniqueId(unit.Address, e.Key));
        Field(out, "object_id", topics.UniqueId(unit.Address, e.Key));
        Field(out, "state_topic", topics.State(unit.Address));
        Field(out, "value_template", e.Template);
        if (e.Unit) {
            Field(out, "unit_of_measurement", e.Unit);
            Field(out, "state_class", "measurement");
        }
        if (e.DeviceClass)
            Field(out, "device_class", e.DeviceClass);
        out += ",";
        out += availability;
        out += ",\"device\":";
        out += device;
        out += "}";
        configs.push_back({topics.Discovery(e.Component, unit.Address, e.Key), std::move(out)});
    }
    return configs;
}

std::vector<std::string> DiscoveryTopics(uint8_t address, const TMqttTopics& topics) {
    std::vector<std::string> list;
    for (const TEntity& e : Entities())
        list.push_back(topics.Discovery(e.Component, address, e.Key));
    return list;
}
