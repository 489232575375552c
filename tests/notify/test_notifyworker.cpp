// The notification worker on the real feed of a real engine and event log:
// a burst of 252 events is logged while the worker is held up, and the
// logging never waits for it; the worker then runs the command once per
// event and gathers the desktop notes into one notification. The port closed
// by the user's hand is told apart from a port that went away. At the
// program's end its end event still runs the command, in a bounded grace.

#include "feed/DeskFeed.h"
#include "notify/NotifyWorker.h"
#include "tests/comm/PollEngineFixture.h"

#include <sys/stat.h>

#include <atomic>
#include <condition_variable>
#include <future>
#include <mutex>
#include <set>
#include <sstream>

namespace {

class NotifyWorkerTest : public PollEngineTest {
protected:
    // Holds the worker's thread inside ShowNote until Release.
    void Hold() {
        const std::lock_guard lock(FGate);
        FHeld = true;
    }
    void Release() {
        {
            const std::lock_guard lock(FGate);
            FHeld = false;
        }
        FOpened.notify_all();
    }
    void WaitAtGate() {
        std::unique_lock lock(FGate);
        FAtGate = true;
        FArrived.notify_all();
        FOpened.wait(lock, [this] { return !FHeld; });
    }
    bool WorkerAtGate(std::chrono::seconds limit) {
        std::unique_lock lock(FGate);
        return FArrived.wait_for(lock, limit, [this] { return FAtGate; });
    }

    TTempFolder Folder;
    std::mutex FGate;
    std::condition_variable FOpened, FArrived;
    bool FHeld = false;
    bool FAtGate = false;
};

TEST_F(NotifyWorkerTest, ABurstOf252EventsNeverWaitsForTheWorker) {
    const std::string counter = Folder.Path() + "runs";
    const std::string script = Folder.Path() + "count.sh";
    WriteBytes(script, "#!/bin/sh\necho \"$PELMORA_ADDRESS\" >> '" + counter + "'\n");
    ::chmod(script.c_str(), 0755);

    TDeskFeed feed(Engine, Events);
    TNotifyWorker worker(feed, "Multimode UPS", Folder.Path() + CommandLogFileName);
    std::mutex notesLock;
    std::vector<TDesktopNote> notes;
    worker.ShowNote = [&](const TDesktopNote& note) {
        WaitAtGate();
        const std::lock_guard lock(notesLock);
        notes.push_back(note);
    };
    TNotifySettings settings;
    settings.Command = script;
    settings.GatherSeconds = 60;
    worker.Apply(settings, 0);
    worker.Start();

    Hold();
    Events.LogAlarmEvent(1, 23, 1); // the worker takes it and stops at the gate
    ASSERT_TRUE(WorkerAtGate(std::chrono::seconds(10)));
    // The engine's side logs the rest of the burst while the worker is held.
    auto burst = std::async(std::launch::async, [&] {
        for (int address = 2; address <= 252; ++address)
            Events.LogAlarmEvent(uint8_t(address), 23, 1);
    });
    EXPECT_EQ(burst.wait_for(std::chrono::seconds(30)), std::future_status::ready)
        << "logging waited for the notification worker";
    Release();
    burst.wait();

    // Every event is a run of the command, one per unit.
    const bool allRan = [&] {
        for (int i = 0; i < 3000; ++i) {
            const std::string runs = ReadBytes(counter);
            if (std::count(runs.begin(), runs.end(), '\n') >= 252)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }();
    EXPECT_TRUE(allRan);
    std::set<std::string> addresses;
    std::istringstream runs(ReadBytes(counter));
    for (std::string line; std::getline(runs, line);)
        addresses.insert(line);
    EXPECT_EQ(addresses.size(), 252U);

    // One notification, replaced as the units came.
    const std::lock_guard lock(notesLock);
    ASSERT_EQ(notes.size(), 252U);
    std::set<uint32_t> keys;
    for (const TDesktopNote& note : notes)
        keys.insert(note.Key);
    EXPECT_EQ(keys.size(), 1U);
    EXPECT_EQ(notes.back().Title, "252 units with battery low");
}

// Reads the command's output file until `line` is in it: the command runs as
// a process of its own, so the test waits for its end, bounded.
bool CommandWrote(const std::string& path, const std::string& line) {
    for (int i = 0; i < 3000; ++i) {
        if (ReadBytes(path).find(line + "\n") != std::string::npos)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

struct TPortEnd {
    const char* Name;
    void (*End)(TPollEngine& engine);
    const char* Severity; // told to the event command
    bool Notified;        // a desktop notification shows
};
const TPortEnd PortEnds[] = {
    {"closed by the user", [](TPollEngine& engine) { engine.CloseComm(); }, "info", false},
    {"lost (device unplugged)", [](TPollEngine& engine) { engine.PortHungUp(); }, "critical", true},
};

class PortEndTest : public NotifyWorkerTest, public ::testing::WithParamInterface<TPortEnd> {};

TEST_P(PortEndTest, ThePortClosedByTheUserIsNoAlarmButALostPortIs) {
    const TPortEnd& end = GetParam();
    const std::string output = Folder.Path() + end.Name;
    const std::string script = Folder.Path() + "port.sh";
    WriteBytes(script,
               "#!/bin/sh\necho \"$PELMORA_EVENT_CODE $PELMORA_SEVERITY\" >> '" + output + "'\n");
    ::chmod(script.c_str(), 0755);
    TDeskFeed feed(Engine, Events);
    TNotifyWorker worker(feed, "Multimode UPS", Folder.Path() + CommandLogFileName);
    std::mutex notesLock;
    std::vector<TDesktopNote> notes;
    worker.ShowNote = [&](const TDesktopNote& note) {
        const std::lock_guard lock(notesLock);
        notes.push_back(note);
    };
    TNotifySettings settings;
    settings.Command = script;
    worker.Apply(settings, 0);
    worker.Start();

    ASSERT_TRUE(Engine.Start());
    Engine.Timer1Timer(); // the port found open: 23
    end.End(Engine);
    Engine.Timer1Timer(); // the port found closed: 18
    // The command's run of the port event is the last thing the worker does.
    ASSERT_TRUE(CommandWrote(output, std::string("18 ") + end.Severity));
    const std::lock_guard lock(notesLock);
    if (end.Notified) {
        ASSERT_EQ(notes.size(), 1U);
        EXPECT_EQ(notes[0].Title, "Port lost");
        EXPECT_EQ(notes[0].Urgency, TSeverity::Critical);
    } else {
        EXPECT_TRUE(notes.empty());
    }
}
INSTANTIATE_TEST_SUITE_P(PortEnds, PortEndTest, ::testing::ValuesIn(PortEnds),
                         [](const auto& info) {
                             return std::string(info.param.Notified ? "Lost" : "ClosedByUser");
                         });

void WriteScript(const std::string& path, const std::string& body) {
    WriteBytes(path, "#!/bin/sh\n" + body);
    ::chmod(path.c_str(), 0755);
}

TEST_F(NotifyWorkerTest, TheEndEventRunsTheCommandBeforeTheProgramEnds) {
    const std::string output = Folder.Path() + "codes";
    const std::string script = Folder.Path() + "end.sh";
    // Slow enough to be running still when the end comes.
    WriteScript(script, "sleep 0.2\necho \"$PELMORA_EVENT_CODE\" >> '" + output + "'\n");
    TDeskFeed feed(Engine, Events);
    TNotifyWorker worker(feed, "Multimode UPS", Folder.Path() + CommandLogFileName);
    TNotifySettings settings;
    settings.Command = script;
    worker.Apply(settings, 0);
    worker.Start();
    ASSERT_TRUE(Engine.Start()); // 20

    Engine.Finish(); // 21
    worker.Finish();
    // The two may run side by side and end in either order.
    std::multiset<std::string> codes;
    std::istringstream lines(ReadBytes(output));
    for (std::string line; std::getline(lines, line);)
        codes.insert(line);
    EXPECT_EQ(codes, (std::multiset<std::string>{"20", "21"}));
    EXPECT_EQ(worker.CommandFailure(), "");
}

TEST_F(NotifyWorkerTest, ACommandStillRunningPastTheGraceIsKilledAndLogged) {
    const std::string script = Folder.Path() + "hang.sh";
    WriteScript(script, "exec sleep 60\n");
    TDeskFeed feed(Engine, Events);
    const std::string logPath = Folder.Path() + CommandLogFileName;
    TNotifyWorker worker(feed, "Multimode UPS", logPath);
    std::atomic<int64_t> now{0};
    worker.Clock = [&] { return now.load(); };
    TNotifySettings settings;
    settings.Command = script;
    settings.CommandTimeLimit = 600;
    worker.Apply(settings, 0);
    worker.Start();
    Events.LogSystemEvent(SysEvtClosed);

    auto finish = std::async(std::launch::async, [&] { worker.Finish(); });
    // The grace is counted on the worker's clock, driven here.
    for (int step = 0; finish.wait_for(std::chrono::milliseconds(20)) != std::future_status::ready;
         ++step) {
        ASSERT_LT(step, 1000) << "the end waits past its grace";
        now += 250;
    }
    EXPECT_GE(now.load(), NotifyExitGraceMs) << "killed before the grace was over";
    EXPECT_NE(
        ReadBytes(logPath).find("event 21 (kind 0) at address 0: killed at the program's end"),
        std::string::npos)
        << ReadBytes(logPath);
}

} // namespace
