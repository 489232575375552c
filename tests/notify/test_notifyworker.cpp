// The notification worker on the real feed of a real engine and event log:
// a burst of 252 events is logged while the worker is held up, and the
// logging never waits for it; the worker then runs the command once per
// event and gathers the desktop notes into one notification.

#include "feed/DeskFeed.h"
#include "notify/NotifyWorker.h"
#include "tests/comm/PollEngineFixture.h"

#include <sys/stat.h>

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

} // namespace
