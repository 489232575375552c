// The real monitor publishing to a real Mosquitto: its own end (event 21)
// reaches the events topic before it says "offline" and disconnects, as the
// agent's does; its lines are kept in "mqtt.log" beside the event log.

#include "tests/e2e/E2eRun.h"
#include "tests/mqtt/MosquittoBroker.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using namespace std::chrono_literals;

TEST(E2eMqtt, TheMonitorsEndIsPublishedBeforeItSaysOffline) {
    TMosquittoBroker broker;
    TMqttSubscriber sub(broker.Port());
    TE2eConfig config;
    config.Scenario = "unit 1 model \"VEX610\" state online\n";
    config.Devices.push_back({0, 1, "UPS 1"});
    config.Settings = {{"Mqtt", "Host", "127.0.0.1"},
                       {"Mqtt", "Port", std::to_string(broker.Port())},
                       {"Mqtt", "TopicPrefix", "desk/line"}};
    TE2eRun run(config);
    ASSERT_TRUE(sub.WaitFor("desk/line/status", "online", 20s)) << run.MonitorLog();

    const std::size_t before = sub.Count();
    ASSERT_TRUE(run.StopMonitor());
    EXPECT_EQ(run.MonitorExitStatus(), 0);
    ASSERT_TRUE(sub.WaitFor("desk/line/status", "offline", 10s, before)) << run.MonitorLog();
    const auto messages = sub.Messages();
    const auto isEnd = [](const TReceived& m) {
        return m.Topic == "desk/line/events" && m.Payload.find("\"code\":21,") != std::string::npos;
    };
    const auto end = std::find_if(messages.begin() + long(before), messages.end(), isEnd);
    const auto offline =
        std::find_if(messages.begin() + long(before), messages.end(), [](const TReceived& m) {
            return m.Topic == "desk/line/status" && m.Payload == "offline";
        });
    ASSERT_NE(end, messages.end()) << "the program's end on the events topic\n" << run.MonitorLog();
    EXPECT_LT(end, offline) << "its end before it says offline";
    EXPECT_EQ(std::count_if(messages.begin(), messages.end(), isEnd), 1);
    // What the user can read afterwards, beside the event log.
    const std::string log = ReadBytes(run.Folder() + "Record/mqtt.log");
    EXPECT_NE(log.find("MQTT: connected to 127.0.0.1:" + std::to_string(broker.Port())),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("MQTT: stopped; said offline to"), std::string::npos) << log;
}

} // namespace
