// pelmora-agent against pelmora-sim: it polls and logs as the monitor does,
// shows a unit switched to battery on /metrics and on MQTT, refuses to share
// its port, ends on SIGTERM with event 21, which its event command still
// hears, and its broker says "offline" when it is killed.

#include "base/ProgramFolder.h"
#include "comm/SPComm.h"
#include "config/IniFile.h"
#include "config/UUserParaIni.h"
#include "logging/uEventLogClass.h"
#include "status/StatusCodes.h"
#include "tests/comm/PtyHarness.h"
#include "tests/e2e/ChildProcess.h"
#include "tests/metrics/MetricsFixture.h"
#include "tests/mqtt/MosquittoBroker.h"
#include "tests/support/EventLogFile.h"
#include "tests/support/TempFolder.h"
#include "tools/setup-demo/DemoSetup.h"
#include "tools/sim/Scenario.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <functional>
#include <regex>
#include <sys/wait.h>
#include <thread>

namespace fs = std::filesystem;

namespace {

// Waits on other processes (the simulator's port, the agent's polling): a
// deadline, checked every 100 ms.
bool WaitUntil(const std::function<bool()>& done, std::chrono::seconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return true;
}

constexpr const char* Scenario = "unit 1 model \"VEX610\" state online\n"
                                 "unit 3 model \"LNM7100\" state online\n"
                                 "at 3s unit 3 battery\n";

class AgentE2e : public ::testing::Test {
protected:
    TTempFolder Folder;
    std::unique_ptr<TChildProcess> Sim;

    std::string Path(const std::string& name) const { return Folder.Path() + name; }

    void SetUp() override {
        WriteBytes(Path("scenario.txt"), Scenario);
        SetProgramFolder(Folder.Path());
        ASSERT_TRUE(WriteSettingsIfMissing({Path("tty"), 0, 50}));
        ASSERT_TRUE(WriteDeviceListIfMissing(ScenarioDevices(ParseScenario(Scenario))));
        TIniFile ini;
        ASSERT_EQ(ini.Load(UserParaPath()), TIniFile::TLoadResult::Read);
        ini.WriteInteger("CommMast", "FastPoll", 1);
        ini.WriteString("Metrics", "Listen", "127.0.0.1:0");
        // The event command notes each event it is run for.
        WriteBytes(Path("event.sh"), "#!/bin/sh\necho \"$PELMORA_EVENT_KIND/$PELMORA_EVENT_CODE@"
                                     "$PELMORA_ADDRESS $PELMORA_SEVERITY\" >> '" +
                                         Path("events.txt") + "'\n");
        fs::permissions(Path("event.sh"), fs::perms::owner_exec, fs::perm_options::add);
        ini.WriteString("Notify", "Command", Path("event.sh"));
        WriteBytes(UserParaPath(), ini.Text());
        Sim = std::make_unique<TChildProcess>(TChildProcess::TOptions{
            .Program = PELMORA_SIM_PATH,
            .Args = {"--protocol", "0", "--scenario", Path("scenario.txt"), "--link", Path("tty")},
            .WorkDir = Folder.Path(),
            .StderrPath = Path("sim.log")});
        ASSERT_TRUE(
            WaitUntil([&] { return fs::is_symlink(Path("tty")); }, std::chrono::seconds(10)));
    }

    std::unique_ptr<TChildProcess> StartAgent(const std::string& log) {
        fs::create_directories(Path("tmp-" + log));
        return std::make_unique<TChildProcess>(
            TChildProcess::TOptions{.Program = PELMORA_AGENT_PATH,
                                    .Args = {"--folder", Folder.Path()},
                                    .WorkDir = Folder.Path(),
                                    .Env = {{"TMPDIR", Path("tmp-" + log)}},
                                    .StderrPath = Path(log)});
    }

    std::vector<TEventRec> Events() { return ReadEventRecords(Path("Record/EventLog.dat")); }
};

TEST_F(AgentE2e, PollsLogsServesMetricsAndEndsCleanly) {
    const auto agent = StartAgent("agent.log");
    std::smatch found;
    std::string log;
    const std::regex serving("metrics on http://127\\.0\\.0\\.1:([0-9]+)/metrics");
    ASSERT_TRUE(WaitUntil(
        [&] {
            log = ReadBytes(Path("agent.log"));
            return std::regex_search(log, found, serving);
        },
        std::chrono::seconds(10)))
        << log;
    const auto port = static_cast<uint16_t>(std::stoi(found[1]));

    // Unit 3 goes over to battery 3 s into the scenario.
    const std::string onBattery =
        R"(pelmora_state{address="3",name="UPS 3 LNM7100",state="on_battery"} 1)";
    std::string metrics;
    EXPECT_TRUE(WaitUntil(
        [&] {
            metrics = Get(port, "/metrics");
            return metrics.find(onBattery) != std::string::npos;
        },
        std::chrono::seconds(20)))
        << metrics.substr(0, 3000) << ReadBytes(Path("agent.log"));
    EXPECT_NE(metrics.find(R"(pelmora_up{address="1",name="UPS 1 VEX610"} 1)"), std::string::npos);

    // Another agent, and the monitor's own port component, are turned away.
    const auto second = StartAgent("second.log");
    ASSERT_TRUE(WaitUntil([&] { return !second->Running(); }, std::chrono::seconds(10)));
    EXPECT_TRUE(WIFEXITED(second->ExitStatus()) && WEXITSTATUS(second->ExitStatus()) == 3);
    EXPECT_NE(ReadBytes(Path("second.log")).find("in use by another program"), std::string::npos)
        << ReadBytes(Path("second.log"));
    TQueueSink sink;
    TComm monitorPort(sink);
    monitorPort.SetCommName(Path("tty"));
    try {
        monitorPort.OpenPort();
        ADD_FAILURE() << "the monitor opened the agent's port";
    } catch (const ECommsError& error) {
        EXPECT_STREQ(error.what(), MsgPortBusy);
    }

    // The data log gets its round every 5 s.
    EXPECT_TRUE(WaitUntil(
        [&] {
            for (const auto& entry : fs::directory_iterator(Path("Record")))
                if (entry.path().filename().string().rfind("DataLog", 0) == 0 &&
                    entry.file_size() > 0)
                    return true;
            return false;
        },
        std::chrono::seconds(15)));

    ASSERT_TRUE(agent->StopWith(SIGTERM, 10000));
    EXPECT_TRUE(WIFEXITED(agent->ExitStatus()) && WEXITSTATUS(agent->ExitStatus()) == 0);
    const std::vector<TEventRec> events = Events();
    ASSERT_GE(events.size(), 4u);
    EXPECT_EQ(events.front().Code, EventSoftwareOpen);
    EXPECT_EQ(events.back().Code, EventSoftwareClosed);
    const bool stateLogged = std::any_of(events.begin(), events.end(), [](const TEventRec& e) {
        return e.Kind == EventKindState && e.Address == 3 && e.Code == StateBattery;
    });
    EXPECT_TRUE(stateLogged) << "the state change is logged as the monitor logs it";
    EXPECT_NE(ReadBytes(Path("events.txt")).find("1/5@3 critical\n"), std::string::npos)
        << "the event command ran for it:\n"
        << ReadBytes(Path("events.txt")) << ReadBytes(Path("Record/EventCommand.log"));
    // The end is the last event the command ran for, before the agent ended.
    const std::string commandRuns = ReadBytes(Path("events.txt"));
    EXPECT_TRUE(commandRuns.ends_with("0/21@0 info\n")) << commandRuns;
    EXPECT_NE(ReadBytes(Path("agent.log")).find("stopping on SIGTERM"), std::string::npos);
}

TEST_F(AgentE2e, PublishesToMqttAndItsWillSaysOfflineWhenKilled) {
    TMosquittoBroker broker;
    TMqttSubscriber sub(broker.Port());
    TIniFile ini;
    ASSERT_EQ(ini.Load(UserParaPath()), TIniFile::TLoadResult::Read);
    ini.WriteString("Mqtt", "Host", "127.0.0.1");
    ini.WriteInteger("Mqtt", "Port", broker.Port());
    ini.WriteString("Mqtt", "TopicPrefix", "site/line1");
    WriteBytes(UserParaPath(), ini.Text());
    const auto agent = StartAgent("agent.log");

    EXPECT_TRUE(sub.WaitFor("site/line1/status", "online")) << ReadBytes(Path("agent.log"));
    // Unit 3 goes over to battery 3 s into the scenario.
    EXPECT_TRUE(
        sub.WaitFor("site/line1/3/state", "\"state\":\"on battery\"", std::chrono::seconds(20)))
        << ReadBytes(Path("agent.log"));
    const auto isBatteryEvent = [](const TReceived& m) {
        return m.Topic == "site/line1/events" &&
               m.Payload.find("\"address\":3,") != std::string::npos &&
               m.Payload.find("\"text\":\"Battery Status\"") != std::string::npos;
    };
    EXPECT_TRUE(sub.WaitFor(isBatteryEvent));
    EXPECT_TRUE(sub.WaitFor("homeassistant/binary_sensor/site_line1/3_on_battery/config",
                            "site/line1/3/state"));

    const std::size_t before = sub.Count();
    ASSERT_TRUE(agent->StopWith(SIGKILL, 10000));
    EXPECT_TRUE(sub.WaitFor("site/line1/status", "offline", std::chrono::seconds(10), before))
        << "the broker publishes the last will of a killed agent";
    const auto messages = sub.Messages();
    EXPECT_EQ(std::count_if(messages.begin(), messages.end(), isBatteryEvent), 1)
        << "the change is one event";
}

TEST_F(AgentE2e, ExitCodesSayWhatFailed) {
    struct TCase {
        const char* Listen;
        int Exit;
        const char* Said;
    };
    const TCase cases[] = {
        {"example.org:1", 2, "the host must be an IPv4 address"},
        {"127.0.0.1:99999", 2, "bad port"},
    };
    for (const TCase& c : cases) {
        TIniFile ini;
        ASSERT_EQ(ini.Load(UserParaPath()), TIniFile::TLoadResult::Read);
        ini.WriteString("Metrics", "Listen", c.Listen);
        WriteBytes(UserParaPath(), ini.Text());
        const auto agent = StartAgent("bad.log");
        ASSERT_TRUE(WaitUntil([&] { return !agent->Running(); }, std::chrono::seconds(10)));
        EXPECT_EQ(WEXITSTATUS(agent->ExitStatus()), c.Exit) << c.Listen;
        EXPECT_NE(ReadBytes(Path("bad.log")).find(c.Said), std::string::npos) << c.Listen;
    }
    fs::remove(UserParaPath());
    const auto agent = StartAgent("none.log");
    ASSERT_TRUE(WaitUntil([&] { return !agent->Running(); }, std::chrono::seconds(10)));
    EXPECT_EQ(WEXITSTATUS(agent->ExitStatus()), 2);
    EXPECT_NE(ReadBytes(Path("none.log")).find("no settings file"), std::string::npos);
}

} // namespace
