// The publisher against a real Mosquitto broker: retained states, events,
// discovery configs and their removal, availability, a broker that goes away
// and comes back, and the connections it cannot make (wrong password, a TLS
// certificate its CA does not trust), each told in one clear log line.

#include "mqtt/MqttBackoff.h"
#include "mqtt/MqttPublisher.h"
#include "status/StatusCodes.h"
#include "tests/mqtt/MosquittoBroker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <future>

namespace {

using namespace std::chrono_literals;

constexpr const char* Prefix = "test/line";

TMqttSettings SettingsFor(uint16_t port) {
    TMqttSettings s;
    s.Host = "127.0.0.1";
    s.Port = port;
    s.TopicPrefix = Prefix;
    return s;
}

std::string Topic(const std::string& leaf) {
    return std::string(Prefix) + "/" + leaf;
}

class MqttPublisherTest : public ::testing::Test {
protected:
    TSnapshotHub Hub;
    TEventStream Events;
    TLogLines Log;

    std::unique_ptr<TMqttPublisher> Start(const TMqttSettings& settings) {
        return std::make_unique<TMqttPublisher>(settings, "VEX", Hub, Events,
                                                [this](const std::string& l) { Log.Add(l); });
    }
};

TEST_F(MqttPublisherTest, StatesEventsDiscoveryAndUnitsTakenOffTheList) {
    TMosquittoBroker broker;
    TMqttSubscriber sub(broker.Port());
    // Left by an earlier run for unit 5, no longer listed.
    const std::string stale = "homeassistant/sensor/test_line/5_load_a/config";
    sub.Put(stale, "{}", true);
    Hub.Publish(TwoUnits());
    auto publisher = Start(SettingsFor(broker.Port()));

    EXPECT_TRUE(sub.WaitFor(Topic("status"), "online")) << Log.All();
    EXPECT_TRUE(sub.WaitFor(Topic("3/state"), "\"state\":\"on battery\"")) << Log.All();
    EXPECT_TRUE(sub.WaitFor(Topic("9/state"), "\"communication\":\"lost\""));
    EXPECT_TRUE(sub.WaitFor(Topic("3/availability"), "online"));
    EXPECT_TRUE(sub.WaitFor(Topic("9/availability"), "offline"));
    EXPECT_TRUE(sub.WaitFor("homeassistant/binary_sensor/test_line/3_on_battery/config",
                            "\"name\":\"On battery\""));
    EXPECT_TRUE(sub.WaitFor("homeassistant/sensor/test_line/9_input_voltage_a/config",
                            "\"device_class\":\"voltage\""));
    EXPECT_TRUE(sub.WaitFor(stale, "")) << "a unit no longer listed is cleared at connect";
    EXPECT_TRUE(publisher->Connected());
    // A subscriber that comes later finds them retained.
    TMqttSubscriber late(broker.Port());
    for (const std::string& topic :
         {Topic("status"), Topic("3/state"), Topic("9/availability"), Topic("3/availability"),
          std::string("homeassistant/binary_sensor/test_line/3_alarm/config")}) {
        const auto found = late.WaitFor([&](const TReceived& m) { return m.Topic == topic; });
        ASSERT_TRUE(found) << topic;
        EXPECT_TRUE(found->Retained) << topic;
    }

    // One event, once.
    const std::size_t before = sub.Count();
    Events.Publish({0, 3, EventKindState, StateBattery});
    EXPECT_TRUE(sub.WaitFor(Topic("events"), "\"text\":\"Battery Status\"", 10s, before));
    // A change of state goes out without waiting for the interval.
    TRecordSnapshot next = TwoUnits();
    next.Units[0].Record.UpsState = StateOnline;
    next.Units.pop_back(); // unit 9 taken off the list
    Hub.Publish(next);
    EXPECT_TRUE(sub.WaitFor(Topic("3/state"), "\"state\":\"online\"", 10s, before));
    EXPECT_TRUE(
        sub.WaitFor("homeassistant/sensor/test_line/9_input_voltage_a/config", "", 10s, before));
    EXPECT_TRUE(sub.WaitFor(Topic("9/state"), "", 10s, before));
    const auto events = sub.Messages();
    EXPECT_EQ(std::count_if(events.begin(), events.end(),
                            [](const TReceived& m) { return m.Topic == Topic("events"); }),
              1);

    // A clean end says offline itself.
    const std::size_t end = sub.Count();
    publisher.reset();
    EXPECT_TRUE(sub.WaitFor(Topic("status"), "offline", 10s, end));
}

TEST_F(MqttPublisherTest, ABrokerThatComesBackGetsEverythingAgain) {
    TMosquittoBroker broker;
    Hub.Publish(TwoUnits());
    auto publisher = Start(SettingsFor(broker.Port()));
    ASSERT_FALSE(Log.WaitFor("connected to").empty()) << Log.All();

    broker.Stop();
    EXPECT_FALSE(Log.WaitFor("lost the connection to 127.0.0.1").empty()) << Log.All();
    // Events logged meanwhile wait in the publisher's queue, the oldest
    // dropped beyond its capacity, and counted.
    for (std::size_t i = 0; i < MqttEventCapacity + 4; ++i)
        Events.Publish({0, 3, EventKindState, StateOnline});
    Events.Publish({0, 3, EventKindAlarm, 21, 1});
    broker.Start(); // nothing retained: the broker keeps nothing on disk
    TMqttSubscriber sub(broker.Port());
    EXPECT_FALSE(Log.WaitFor("connected again to", 20s).empty()) << Log.All();
    EXPECT_TRUE(sub.WaitFor(Topic("3/state"), "on battery"));
    EXPECT_TRUE(sub.WaitFor(Topic("status"), "online"));
    EXPECT_TRUE(sub.WaitFor("homeassistant/sensor/test_line/3_battery_charge/config", "battery"));
    EXPECT_TRUE(sub.WaitFor(Topic("events"), "\"alarm\":\"raised\""));
    EXPECT_EQ(publisher->EventsDropped(), 5u);
    EXPECT_FALSE(Log.WaitFor("5 events dropped while the broker could not take them").empty())
        << Log.All();
}

TEST_F(MqttPublisherTest, AWrongPasswordIsToldAndTheConnectionTestSaysSo) {
    TTempFolder folder;
    const std::string passwords = folder.Path() + "passwd";
    ASSERT_EQ(
        std::system(("mosquitto_passwd -c -b " + passwords + " desk right 2>/dev/null").c_str()),
        0);
    TMosquittoBroker broker("allow_anonymous false\npassword_file " + passwords + "\n");
    TMqttSettings settings = SettingsFor(broker.Port());
    settings.User = "desk";
    settings.PasswordFile = folder.Path() + "password";

    WriteBytes(settings.PasswordFile, "wrong\n");
    Hub.Publish(TwoUnits());
    {
        auto publisher = Start(settings);
        const std::string line = Log.WaitFor("refused the connection");
        EXPECT_NE(line.find("not authorised (check User \"desk\" and PasswordFile)"),
                  std::string::npos)
            << Log.All();
        EXPECT_FALSE(publisher->Connected());
        // The engine's side goes on: snapshots and events are taken at once.
        Hub.Publish(TwoUnits());
        Events.Publish({0, 3, EventKindState, StateOnline});
    }
    EXPECT_EQ(TestMqttConnection(settings).Kind, TMqttTestAnswer::TKind::Refused);

    WriteBytes(settings.PasswordFile, "right\n");
    EXPECT_EQ(TestMqttConnection(settings),
              (TMqttTestAnswer{TMqttTestAnswer::TKind::Connected,
                               "127.0.0.1:" + std::to_string(broker.Port()),
                               {}}));
    settings.PasswordFile = folder.Path() + "missing";
    const TMqttTestAnswer unreadable = TestMqttConnection(settings);
    EXPECT_EQ(unreadable.Kind, TMqttTestAnswer::TKind::Unusable);
    EXPECT_NE(unreadable.Reason.find("cannot read the password file"), std::string::npos);
}

// A TLS listener whose certificate comes from one CA, and a client that
// trusts another: the handshake is refused, and said so.
TEST_F(MqttPublisherTest, ATlsCertificateNotTrustedIsTold) {
    TTempFolder folder;
    const std::string f = folder.Path();
    const std::string key = " -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes";
    const std::string make =
        "(cd " + f + " && openssl req -x509" + key +
        " -days 1 -subj /CN=test-ca -keyout ca.key -out ca.crt && openssl req -x509" + key +
        " -days 1 -subj /CN=other-ca -keyout other.key -out other.crt && openssl req" + key +
        " -subj /CN=127.0.0.1 -keyout server.key -out server.csr"
        " && printf 'subjectAltName=IP:127.0.0.1' > san.ext"
        " && openssl x509 -req -in server.csr -CA ca.crt -CAkey ca.key -CAcreateserial -days 1 "
        "-extfile san.ext -out server.crt) >/dev/null 2>&1";
    ASSERT_EQ(std::system(make.c_str()), 0);
    TMosquittoBroker broker("allow_anonymous true\ncafile " + f + "ca.crt\ncertfile " + f +
                            "server.crt\nkeyfile " + f + "server.key\n");
    TMqttSettings settings = SettingsFor(broker.Port());
    settings.Tls = true;
    settings.CaFile = f + "other.crt";
    {
        auto publisher = Start(settings);
        EXPECT_FALSE(Log.WaitFor("TLS handshake failed").empty()) << Log.All();
        EXPECT_FALSE(publisher->Connected());
    }
    settings.CaFile = f + "ca.crt";
    EXPECT_EQ(TestMqttConnection(settings).Kind, TMqttTestAnswer::TKind::Connected) << broker.Log();
}

TEST_F(MqttPublisherTest, AWildcardInThePrefixIsToldAndNothingIsTried) {
    TMqttSettings settings = SettingsFor(1);
    settings.TopicPrefix = "site/+/line";
    auto publisher = Start(settings);
    EXPECT_NE(Log.WaitFor("must not hold + or #").find("not publishing"), std::string::npos);
    EXPECT_EQ(Log.WaitFor("cannot connect", 0s), "");
}

// A socket on 127.0.0.1 that takes connections and never speaks MQTT: a
// broker that does not answer.
class TSilentListener {
public:
    TSilentListener() : FFd(::socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        if (::bind(FFd, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
            ::listen(FFd, 4) != 0 ||
            ::getsockname(FFd, reinterpret_cast<sockaddr*>(&address), &size) != 0)
            throw std::runtime_error("no silent listener");
        FPort = ntohs(address.sin_port);
    }
    ~TSilentListener() { ::close(FFd); }
    [[nodiscard]] uint16_t Port() const { return FPort; }

private:
    int FFd;
    uint16_t FPort = 0;
};

// Changed settings: the next publisher is made at once while the old one is
// still ending (its last log line held here until the new one exists), and
// the events the old one could not send are counted in its last line.
TEST_F(MqttPublisherTest, ANewPublisherDoesNotWaitForTheOldOneToEnd) {
    TSilentListener silent;
    std::promise<void> release;
    const std::shared_future<void> released = release.get_future().share();
    std::atomic<bool> oldEnding = false;
    auto old = std::make_unique<TMqttPublisher>(SettingsFor(silent.Port()), "VEX", Hub, Events,
                                                [&](const std::string& line) {
                                                    if (line.find("stopped") != std::string::npos) {
                                                        oldEnding = true;
                                                        released.wait();
                                                    }
                                                    Log.Add(line);
                                                });
    Events.Publish({0, 3, EventKindState, StateBattery});
    Events.Publish({0, 3, EventKindState, StateOnline});

    TMqttSettings next = SettingsFor(silent.Port());
    next.TopicPrefix = "test/other";
    // Made on another thread, so a replacement that waited for the old one
    // fails here instead of hanging the test: it must be made while the old
    // one is held in its ending.
    auto made = std::async(std::launch::async, [&] {
        return std::make_unique<TMqttPublisher>(
            next, "VEX", Hub, Events, [this](const std::string& l) { Log.Add(l); }, std::move(old));
    });
    EXPECT_EQ(made.wait_for(10s), std::future_status::ready) << "it waited on the old one";
    release.set_value();
    auto publisher = made.get();
    EXPECT_NE(Log.WaitFor("stopped, not connected to 127.0.0.1").find("2 events not sent"),
              std::string::npos)
        << Log.All();
    EXPECT_FALSE(publisher->Connected());
    publisher.reset();
    EXPECT_TRUE(oldEnding) << "the old one ended before the new one did";
}

// Settings without a host end the old publisher and start nothing.
TEST_F(MqttPublisherTest, SettingsWithoutAHostOnlyEndTheOldPublisher) {
    TSilentListener silent;
    auto old = Start(SettingsFor(silent.Port()));
    auto none = std::make_unique<TMqttPublisher>(
        TMqttSettings{}, "VEX", Hub, Events, [this](const std::string& l) { Log.Add(l); },
        std::move(old));
    EXPECT_FALSE(Log.WaitFor("stopped, not connected").empty()) << Log.All();
    Events.Publish({0, 3, EventKindState, StateBattery});
    none.reset();
    EXPECT_EQ(Log.WaitFor("events not sent", 0s), "") << "nothing queued for no broker";
}

TEST(MqttBackoff, GrowsToAMinute) {
    const std::pair<int, int> steps[] = {{0, 1}, {1, 2}, {2, 4}, {16, 32}, {32, 60}, {60, 60}};
    for (const auto& [last, next] : steps)
        EXPECT_EQ(NextMqttRetry(std::chrono::seconds(last)).count(), next) << last;
}

} // namespace
