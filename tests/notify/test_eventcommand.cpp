// The event command with real programs: the event reaches it in its
// environment exactly, never through a shell; bad paths, failing and hanging
// commands are logged and the runner goes on. Time limits are driven by the
// time passed to Poll; only a real process's own end is waited for.

#include "notify/CommandEnvironment.h"
#include "notify/EventCommand.h"
#include "status/StatusCodes.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <sstream>
#include <thread>

namespace {
std::string Script(const std::string& path, const std::string& body) {
    WriteBytes(path, "#!/bin/sh\n" + body + "\n");
    ::chmod(path.c_str(), 0755);
    return path;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The NUL-separated environments a script wrote with `env -0`, one per run,
// each ended by a line "--".
// The environment of each run, from the files "<prefix>.<pid>" that each run
// writes on its own: runs side by side never mix their writes.
std::vector<std::map<std::string, std::string>> Environments(const std::string& prefix) {
    std::vector<std::map<std::string, std::string>> runs;
    const std::filesystem::path stem(prefix);
    for (const auto& file : std::filesystem::directory_iterator(stem.parent_path())) {
        if (!file.path().filename().string().starts_with(stem.filename().string() + "."))
            continue;
        std::istringstream in(ReadAll(file.path().string()));
        std::map<std::string, std::string>& run = runs.emplace_back();
        for (std::string entry; std::getline(in, entry, '\0');) {
            const auto eq = entry.find('=');
            run[entry.substr(0, eq)] = entry.substr(eq + 1);
        }
    }
    return runs;
}

class EventCommandTest : public ::testing::Test {
protected:
    EventCommandTest() { Options.TimeLimitMs = 5000; }
    void Configure(const std::string& program) {
        Options.Program = program;
        Command.Configure(Options);
    }
    TCommandRun Run(const std::vector<std::string>& env, const std::string& label = "run") {
        TCommandRun run;
        run.Environment = ParentEnvironment();
        run.Environment.insert(run.Environment.end(), env.begin(), env.end());
        run.Label = label;
        return run;
    }
    // Polls at time 0 until every run has ended by itself.
    void WaitAllEnded() {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while ((Command.Running() > 0 || Command.Queued() > 0) &&
               std::chrono::steady_clock::now() < deadline) {
            Command.Poll(0);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        ASSERT_EQ(Command.Running(), 0U);
    }
    std::string LogText() const { return ReadAll(Log.Path()); }

    TTempFolder Folder;
    TCommandLog Log{Folder.Path() + CommandLogFileName};
    TCommandOptions Options;
    TEventCommand Command{Log};
};
} // namespace

TEST_F(EventCommandTest, EachEventReachesTheProgramInItsEnvironmentUnchanged) {
    const std::string out = Folder.Path() + "env.out";
    Configure(Script(Folder.Path() + "record.sh", "env -0 > '" + out + ".'$$"));
    TEventRec alarm;
    alarm.Address = 7;
    alarm.Kind = EventKindAlarm;
    alarm.Code = 23;
    alarm.AlarmFlag = 1;
    TEventRec state;
    state.Address = 7;
    state.Kind = EventKindState;
    state.Code = StateBattery;
    // A name that a shell would run, quote and split.
    const std::string nasty =
        "UPS \"A\" $(touch " + Folder.Path() + "pwned) `id`; rm -rf x\n'B' | & *";
    Command.Enqueue(Run(EventVariables(alarm, {nasty, "Multimode UPS"})), 0);
    Command.Enqueue(Run(EventVariables(state, {"UPS 7", "Multimode UPS"})), 0);
    WaitAllEnded();

    auto runs = Environments(out);
    ASSERT_EQ(runs.size(), 2U);
    // The two ran side by side: either may have written first.
    if (runs[0].at("PELMORA_EVENT_KIND") != "2")
        std::swap(runs[0], runs[1]);
    const auto& a = runs[0];
    EXPECT_EQ(a.at("PELMORA_UNIT"), nasty);
    EXPECT_EQ(a.at("PELMORA_EVENT_CODE"), "23");
    EXPECT_EQ(a.at("PELMORA_EVENT_KIND"), "2");
    EXPECT_EQ(a.at("PELMORA_ALARM_RAISED"), "1");
    EXPECT_EQ(a.at("PELMORA_EVENT_TEXT"), "Low battery alarm");
    EXPECT_EQ(a.at("PELMORA_EVENT_TEXT_ZH"), "电池电压预告警");
    EXPECT_EQ(a.at("PELMORA_ADDRESS"), "7");
    EXPECT_EQ(a.at("PELMORA_MODEL"), "Multimode UPS");
    EXPECT_EQ(a.at("PELMORA_SEVERITY"), "critical");
    EXPECT_EQ(a.at("PELMORA_TIME").substr(0, 19), "1899-12-30T00:00:00");
    const auto& s = runs[1];
    EXPECT_EQ(s.at("PELMORA_EVENT_KIND"), "1");
    EXPECT_EQ(s.at("PELMORA_ALARM_RAISED"), "");
    EXPECT_EQ(s.at("PELMORA_EVENT_TEXT"), "Battery Status");
    EXPECT_FALSE(std::filesystem::exists(Folder.Path() + "pwned"));
    EXPECT_EQ(Command.LastFailure(), "");
}

TEST_F(EventCommandTest, AProgramThatCannotRunIsLoggedAndTheNextRunsAnyway) {
    const std::string notExecutable = Folder.Path() + "plain.sh";
    WriteBytes(notExecutable, "#!/bin/sh\n");
    const struct {
        std::string Program;
        std::string Problem;
    } cases[] = {
        {Folder.Path() + "missing", "does not exist"},
        {notExecutable, "is not executable"},
        {Folder.Path(), "is a folder"},
    };
    for (const auto& c : cases) {
        Configure(c.Program);
        Command.Enqueue(Run({}), 0);
        EXPECT_EQ(Command.Running(), 0U);
        EXPECT_EQ(Command.LastFailure(), "cannot start " + c.Program + ": " + c.Problem);
        EXPECT_NE(LogText().find(c.Problem), std::string::npos);
    }
    Configure(Script(Folder.Path() + "ok.sh", "exit 0"));
    Command.Enqueue(Run({}), 0);
    WaitAllEnded();
    EXPECT_EQ(Command.LastFailure(), "");
}

TEST_F(EventCommandTest, ExitStatusAndTheFirstLinesOfOutputAreLogged) {
    Configure(Script(Folder.Path() + "talk.sh",
                     "for i in 1 2 3 4 5 6 7; do echo line $i; done; echo oops >&2; exit 3"));
    Command.Enqueue(Run({}, "event 5 (kind 1) at address 2"), 0);
    WaitAllEnded();
    const std::string log = LogText();
    EXPECT_NE(log.find("event 5 (kind 1) at address 2: exit status 3"), std::string::npos) << log;
    EXPECT_NE(log.find("    | line 5\n"), std::string::npos);
    EXPECT_EQ(log.find("line 6"), std::string::npos);
    EXPECT_EQ(Command.LastFailure(), "exit status 3");
}

TEST_F(EventCommandTest, AHangingCommandIsKilledAtItsLimitWithWhatItStarted) {
    const std::string pidFile = Folder.Path() + "child.pid";
    Configure(Script(Folder.Path() + "hang.sh", "sleep 300 & echo $! > '" + pidFile + "'; wait"));
    Command.Enqueue(Run({}), 1000);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (ReadAll(pidFile).empty() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const pid_t child = std::stoi(ReadAll(pidFile));

    Command.Poll(1000 + Options.TimeLimitMs - 1);
    EXPECT_EQ(Command.Running(), 1U);
    Command.Poll(1000 + Options.TimeLimitMs);
    EXPECT_EQ(Command.Running(), 0U);
    EXPECT_EQ(Command.LastFailure(), "killed after 5 s");
    // The sleep it started went with it (a zombie at most, until reaped by init).
    const auto gone = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (::kill(child, 0) == 0 &&
           ReadAll("/proc/" + std::to_string(child) + "/stat").find(") Z") == std::string::npos &&
           std::chrono::steady_clock::now() < gone)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const std::string stat = ReadAll("/proc/" + std::to_string(child) + "/stat");
    EXPECT_TRUE(stat.empty() || stat.find(") Z") != std::string::npos) << stat;
}

TEST_F(EventCommandTest, AFewRunAtOnceTheRestWaitAndAFullQueueDropsAndSaysSo) {
    Options.MaxRunning = 2;
    Options.MaxQueued = 3;
    Configure(Script(Folder.Path() + "hang.sh", "exec sleep 300"));
    for (int i = 0; i < 7; ++i)
        Command.Enqueue(Run({}, "run " + std::to_string(i)), 0);
    EXPECT_EQ(Command.Running(), 2U);
    EXPECT_EQ(Command.Queued(), 3U);
    EXPECT_EQ(Command.Dropped(), 2U);
    EXPECT_NE(LogText().find("run 6: dropped: 3 runs already waiting"), std::string::npos);
    // The limit frees both places; the next two start in the same poll.
    Command.Poll(Options.TimeLimitMs);
    EXPECT_EQ(Command.Running(), 2U);
    EXPECT_EQ(Command.Queued(), 1U);
}
