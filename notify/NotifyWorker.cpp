#include "notify/NotifyWorker.h"

#include "notify/CommandEnvironment.h"

#include <algorithm>
#include <chrono>

namespace {
int64_t SteadyNowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// How often the worker looks at running commands when no event comes. With
// none running it waits for the events themselves (or its end), which wake
// it; the hour only bounds one wait.
constexpr std::chrono::milliseconds IdleInterval = std::chrono::hours(1);
constexpr std::chrono::milliseconds BusyInterval{5};
} // namespace

TNotifyWorker::TNotifyWorker(TDeskFeed& feed, std::string model, const std::string& commandLogPath)
    : FFeed(feed), FModel(std::move(model)), FEvents(feed.Events.Subscribe(NotifyQueueCapacity)),
      FCommandLog(commandLogPath) {
    Clock = SteadyNowMs;
    Apply(FSettings, 0);
}

TNotifyWorker::~TNotifyWorker() {
    FStop = true;
    FEvents->Wake();
    if (FThread.joinable())
        FThread.join();
}

void TNotifyWorker::Start() {
    FThread = std::thread([this] { Run(); });
}

void TNotifyWorker::Apply(const TNotifySettings& settings, uint8_t language) {
    const std::lock_guard lock(FLock);
    FSettings = settings;
    FLanguage = language;
    TGatherOptions gather;
    gather.GatherMs = int64_t{settings.GatherSeconds} * 1000;
    for (std::size_t i = 0; i < NotifyEventChoices.size(); ++i)
        gather.Shown[i] = settings.*NotifyEventChoices[i].Flag;
    gather.Language = language;
    FGatherer.Configure(gather);
    TCommandOptions command;
    command.Program = settings.Command;
    command.TimeLimitMs = int64_t{settings.CommandTimeLimit} * 1000;
    FCommand.Configure(command);
}

void TNotifyWorker::MuteForAnHour() {
    const std::lock_guard lock(FLock);
    FGatherer.MuteUntil(Clock() + MuteMs);
}

void TNotifyWorker::Unmute() {
    const std::lock_guard lock(FLock);
    FGatherer.MuteUntil(0);
}

bool TNotifyWorker::Muted() const {
    const std::lock_guard lock(FLock);
    return FGatherer.Muted(Clock());
}

int64_t TNotifyWorker::MutedForMs() const {
    const std::lock_guard lock(FLock);
    return std::max<int64_t>(0, FGatherer.MutedUntil() - Clock());
}

std::string TNotifyWorker::CommandFailure() const {
    const std::lock_guard lock(FLock);
    return FCommand.LastFailure();
}

void TNotifyWorker::Finish() {
    FFinishing = true;
    FStop = true;
    FEvents->Wake();
    if (FThread.joinable())
        FThread.join();
}

void TNotifyWorker::Run() {
    std::chrono::milliseconds wait = IdleInterval;
    while (!FStop) {
        (void)FEvents->WaitFor(wait);
        TakeEvents();
        const std::lock_guard lock(FLock);
        FCommand.Poll(Clock());
        // While commands run, their ends are looked for often, so that a
        // queue of them moves on at once.
        wait = FCommand.Running() + FCommand.Queued() > 0 ? BusyInterval : IdleInterval;
    }
    if (FFinishing)
        LetCommandsEnd();
}

// The end event was logged before Finish, so it is among the events taken
// here; the grace is counted from then.
void TNotifyWorker::LetCommandsEnd() {
    TakeEvents();
    int64_t until = 0;
    {
        const std::lock_guard lock(FLock);
        until = Clock() + std::min(NotifyExitGraceMs, int64_t{FSettings.CommandTimeLimit} * 1000);
    }
    for (;;) {
        {
            const std::lock_guard lock(FLock);
            const int64_t now = Clock();
            FCommand.Poll(now);
            if (FCommand.Running() + FCommand.Queued() == 0 || now >= until) {
                FCommand.EndAll();
                return;
            }
        }
        std::this_thread::sleep_for(BusyInterval);
    }
}

void TNotifyWorker::TakeEvents() {
    const std::vector<TStreamedEvent> events = FEvents->Take();
    const std::lock_guard lock(FLock);
    const int64_t now = Clock();
    for (const TStreamedEvent& streamed : events)
        Handle(streamed, now);
    const uint64_t dropped = FEvents->Dropped();
    if (dropped != FDroppedSeen) {
        FCommandLog.Write(std::to_string(dropped - FDroppedSeen) +
                          " events came faster than they could be handled and were let go");
        FDroppedSeen = dropped;
    }
}

void TNotifyWorker::Handle(const TStreamedEvent& streamed, int64_t nowMs) {
    const TEventRec& event = streamed.Event;
    TAlertUnit unit{event.Address, {}};
    if (event.Address != 0) {
        const std::shared_ptr<const TRecordSnapshot> snapshot = FFeed.Snapshots.Current();
        for (const TUnitSnapshot& u : snapshot->Units)
            if (u.Address == event.Address)
                unit.Name = u.Name;
        if (unit.Name.empty()) // gone from the device list since
            unit.Name = "UPS " + std::to_string(event.Address);
    }
    TCommandRun run;
    run.Environment = ParentEnvironment();
    for (std::string& var : EventVariables(event, {unit.Name, FModel}, streamed.ClosedByUser))
        run.Environment.push_back(std::move(var));
    run.Label = "event " + std::to_string(event.Code) + " (kind " + std::to_string(event.Kind) +
                ") at address " + std::to_string(event.Address);
    FCommand.Enqueue(std::move(run), nowMs);
    // The user's own closing of the port is no alarm: nothing to show, and
    // the port opened again later finds no lost port to recover.
    if (streamed.ClosedByUser)
        return;
    // The gatherer follows every event, so that turning the notifications on
    // finds each unit's conditions as they are.
    const std::vector<TDesktopNote> notes = FGatherer.Take(event, unit, nowMs);
    if (FSettings.Desktop && ShowNote)
        for (const TDesktopNote& note : notes)
            ShowNote(note);
}
