// What the broker is given: a unit's JSON state, an event, the Home
// Assistant discovery configs and the topics, read back with a real JSON
// parser (Qt's) so a malformed payload fails here and not in a subscriber.

#include "logging/TimeStamp.h"
#include "mqtt/MqttDiscovery.h"
#include "mqtt/MqttEvent.h"
#include "mqtt/MqttUnitState.h"
#include "status/StatusCodes.h"
#include "tests/metrics/MetricsFixture.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace {

QJsonObject Parse(const std::string& payload) {
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(payload), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError)
        << error.errorString().toStdString() << " in " << payload;
    return doc.object();
}

std::string Str(const QJsonValue& v) {
    return v.toString().toStdString();
}

// Unit 3 of TwoUnits on battery, with two alarms and both battery halves.
TUnitSnapshot OnBattery() {
    TUnitSnapshot unit = TwoUnits().Units[0];
    unit.Name += std::string("\x01 bell");
    unit.Record.BattVolt1 = 110.5;
    unit.Record.BattVolt2 = 109.5;
    unit.Record.AlarmsReported = 1;
    unit.Record.AlarmCount = 2;
    unit.Record.AlarmCodes[0] = 21; // Battery under voltage
    unit.Record.AlarmCodes[1] = 70; // no English text
    return unit;
}

TEST(MqttUnitState, ACommunicatingUnitShowsStateAlarmsAndValuesWithUnits) {
    const QJsonObject state = Parse(UnitStateJson(OnBattery(), "Modbus RTU"));
    EXPECT_EQ(state["address"].toInt(), 3);
    EXPECT_EQ(Str(state["name"]), "Rack \"A\" \\ 机房\nrow 2\x01 bell");
    EXPECT_EQ(Str(state["model"]), "Modbus RTU");
    EXPECT_EQ(Str(state["communication"]), "communicating");
    EXPECT_EQ(Str(state["state"]), "on battery");
    EXPECT_TRUE(state["on_battery"].toBool());
    EXPECT_TRUE(state["alarm"].toBool());
    const QJsonArray alarms = state["alarms"].toArray();
    ASSERT_EQ(alarms.size(), 2);
    EXPECT_EQ(Str(alarms[0]), "Battery under voltage");
    EXPECT_EQ(Str(alarms[1]), "alarm 70");
    struct {
        const char* Key;
        double Value;
        const char* Unit;
    } const values[] = {
        {"input_voltage_a", 229.5, "V"}, {"output_frequency", 50, "Hz"},
        {"battery_voltage", 220, "V"},   {"battery_charge", 87, "%"},
        {"battery_runtime", 12, "min"},  {"load_a", 0, "%"},
    };
    for (const auto& v : values) {
        const QJsonObject m = state[v.Key].toObject();
        EXPECT_DOUBLE_EQ(m["value"].toDouble(), v.Value) << v.Key;
        EXPECT_EQ(Str(m["unit"]), v.Unit) << v.Key;
    }
    for (const TMqttMeasure& m : MqttMeasures())
        EXPECT_TRUE(state.contains(m.Key)) << m.Key;
}

TEST(MqttUnitState, ASilentUnitShowsNoStateAndNoStaleReadings) {
    for (const uint8_t comm : {CommLost, CommError}) {
        TUnitSnapshot unit = TwoUnits().Units[1];
        unit.Record.CommState = comm;
        const QJsonObject state = Parse(UnitStateJson(unit, "VEX"));
        EXPECT_EQ(Str(state["name"]), "bad \xEF\xBF\xBD byte");
        EXPECT_EQ(Str(state["communication"]), comm == CommLost ? "lost" : "error");
        EXPECT_FALSE(state.contains("state"));
        EXPECT_FALSE(state.contains("input_voltage_a")) << "a silent unit's 231 V is not current";
        EXPECT_EQ(MqttUnitAvailable(unit.Record), comm == CommError);
    }
}

TEST(MqttUnitState, StateNames) {
    const std::pair<int32_t, const char*> cases[] = {
        {StateOnline, "online"},   {StateBattery, "on battery"},
        {StateBypass, "bypass"},   {StateMaintBypass, "maintenance bypass"},
        {StateFault, "fault"},     {StateNone, "unknown"},
        {StateCommLost, "unknown"}};
    for (const auto& [code, name] : cases)
        EXPECT_EQ(MqttStateName(code), name) << code;
}

// The publisher sends a state again only when its view changes; a silent
// unit's leftover readings must not count as a change.
TEST(MqttUnitState, TheViewChangesWithWhatTheStateShows) {
    const TUpsInfoRec base = OnBattery().Record;
    const std::pair<const char*, void (*)(TUpsInfoRec&)> changes[] = {
        {"a value", [](TUpsInfoRec& r) { r.OutputVoltB = 1; }},
        {"the state", [](TUpsInfoRec& r) { r.UpsState = StateOnline; }},
        {"an alarm", [](TUpsInfoRec& r) { r.AlarmCodes[1] = 22; }},
        {"communication", [](TUpsInfoRec& r) { r.CommState = CommError; }},
    };
    for (const auto& [what, change] : changes) {
        TUpsInfoRec changed = base;
        change(changed);
        EXPECT_NE(UnitStateViewOf(changed), UnitStateViewOf(base)) << what;
    }
    TUpsInfoRec lost = base;
    lost.CommState = CommLost;
    TUpsInfoRec lostOther = lost;
    lostOther.InputVoltA = 1;
    EXPECT_EQ(UnitStateViewOf(lost), UnitStateViewOf(lostOther));
}

TEST(MqttEvent, StateAlarmAndProgramEvents) {
    const double time = EncodeTimeStamp({2026, 12, 11, 3, 4, 5, 0});
    struct {
        TEventRec Event;
        const char* Kind;
        const char* Text;
        const char* TextZh;
        const char* Alarm; // nullptr: no "alarm" key
    } const cases[] = {
        {{time, 3, EventKindState, StateBattery}, "state", "Battery Status", "电池状态", nullptr},
        {{time, 3, EventKindAlarm, 21, 1},
         "alarm",
         "Battery under voltage",
         "电池电压低",
         "raised"},
        // A cleared alarm reads as the event log and the notifications say it.
        {{time, 3, EventKindAlarm, 21, 0},
         "alarm",
         "Recover from: Battery under voltage",
         "恢复于: 电池电压低",
         "cleared"},
        {{time, 0, EventKindProgram, EventCommLost},
         "program",
         "Communication lost",
         "通讯中断",
         nullptr},
    };
    for (const auto& c : cases) {
        const QJsonObject e = Parse(EventJson({7, c.Event}, "UPS \"3\""));
        EXPECT_EQ(e["sequence"].toInt(), 7);
        EXPECT_EQ(Str(e["time"]), "2026-12-11 03:04:05");
        EXPECT_EQ(Str(e["kind"]), c.Kind);
        EXPECT_EQ(e["code"].toInt(), c.Event.Code);
        EXPECT_EQ(e["address"].toInt(), c.Event.Address);
        EXPECT_EQ(Str(e["text"]), c.Text);
        EXPECT_EQ(Str(e["text_zh"]), c.TextZh);
        EXPECT_EQ(e.contains("alarm"), c.Alarm != nullptr);
        if (c.Alarm) {
            EXPECT_EQ(Str(e["alarm"]), c.Alarm);
        }
        // The program and its port are no unit.
        EXPECT_EQ(e.contains("name"), c.Event.Address != 0);
    }
}

TEST(MqttDiscovery, OneDeviceWithSensorsAndBinarySensorsPerUnit) {
    const TMqttTopics topics("pelmora/host a");
    const std::vector<TMqttMessage> configs = DiscoveryConfigs(OnBattery(), topics, "VEX");
    std::set<std::string> ids;
    std::map<std::string, QJsonObject> byTopic;
    for (const TMqttMessage& m : configs) {
        const QJsonObject c = Parse(m.Payload);
        byTopic[m.Topic] = c;
        ids.insert(Str(c["unique_id"]));
        EXPECT_EQ(Str(c["state_topic"]), "pelmora/host a/3/state");
        const QJsonArray availability = c["availability"].toArray();
        ASSERT_EQ(availability.size(), 2);
        EXPECT_EQ(Str(availability[0].toObject()["topic"]), "pelmora/host a/status");
        EXPECT_EQ(Str(availability[1].toObject()["topic"]), "pelmora/host a/3/availability");
        EXPECT_EQ(Str(c["availability_mode"]), "all");
        const QJsonObject device = c["device"].toObject();
        EXPECT_EQ(Str(device["identifiers"].toArray()[0]), "pelmora_host_a_3");
        EXPECT_EQ(Str(device["model"]), "VEX");
        EXPECT_EQ(Str(device["name"]), OnBattery().Name);
    }
    EXPECT_EQ(ids.size(), configs.size()) << "every entity has an id of its own";
    struct {
        const char* Topic;
        const char* DeviceClass; // "" none
        const char* Unit;        // "" none
    } const expected[] = {
        {"homeassistant/sensor/pelmora_host_a/3_input_voltage_a/config", "voltage", "V"},
        {"homeassistant/sensor/pelmora_host_a/3_output_frequency/config", "frequency", "Hz"},
        {"homeassistant/sensor/pelmora_host_a/3_battery_charge/config", "battery", "%"},
        {"homeassistant/sensor/pelmora_host_a/3_battery_runtime/config", "duration", "min"},
        {"homeassistant/sensor/pelmora_host_a/3_state/config", "", ""},
        {"homeassistant/binary_sensor/pelmora_host_a/3_on_battery/config", "", ""},
        {"homeassistant/binary_sensor/pelmora_host_a/3_alarm/config", "problem", ""},
    };
    for (const auto& e : expected) {
        ASSERT_TRUE(byTopic.contains(e.Topic)) << e.Topic;
        const QJsonObject& c = byTopic[e.Topic];
        EXPECT_EQ(Str(c["device_class"]), e.DeviceClass) << e.Topic;
        EXPECT_EQ(Str(c["unit_of_measurement"]), e.Unit) << e.Topic;
        EXPECT_EQ(Str(c["state_class"]), *e.Unit ? "measurement" : "") << e.Topic;
    }
    std::vector<std::string> configTopics;
    for (const TMqttMessage& m : configs)
        configTopics.push_back(m.Topic);
    EXPECT_EQ(DiscoveryTopics(3, topics), configTopics) << "clearing reaches every config";
}

TEST(MqttTopics, TheAddressARetainedTopicBelongsTo) {
    const TMqttTopics topics("site/line-1");
    const std::pair<const char*, int> cases[] = {
        {"site/line-1/7/state", 7},
        {"site/line-1/252/availability", 252},
        {"homeassistant/sensor/site_line-1/12_load_a/config", 12},
        {"homeassistant/binary_sensor/site_line-1/12_alarm/config", 12},
        {"site/line-1/status", -1},
        {"site/line-1/0/state", -1},
        {"site/line-1/253/state", -1},
        {"site/line-1/7/other", -1},
        {"site/line-2/7/state", -1},
        {"homeassistant/sensor/site_line-2/12_load_a/config", -1},
    };
    for (const auto& [topic, address] : cases) {
        const std::optional<uint8_t> found = topics.AddressOf(topic);
        EXPECT_EQ(found ? int(*found) : -1, address) << topic;
    }
}

} // namespace
