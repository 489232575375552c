#pragma once
// The notifications' own thread: it takes the logged events from the feed,
// runs the event command for each and gathers the desktop notifications, so
// neither the poll engine nor the windows ever wait on a command or on the
// desktop. What is to be shown goes to ShowNote, on this thread: the desktop
// side hands it on to where it sends. The monitor and the agent run the same.

#include "config/NotifySettings.h"
#include "feed/DeskFeed.h"
#include "notify/AlertGatherer.h"
#include "notify/EventCommand.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

// How many events may wait for the worker before the oldest are dropped.
inline constexpr std::size_t NotifyQueueCapacity = 4096;
// The longest the program's end waits for event commands (within their time
// limit): long enough for a mail to go, short enough not to hold the exit.
inline constexpr int64_t NotifyExitGraceMs = 5000;

class TNotifyWorker {
public:
    // `model` names the unit family for PELMORA_MODEL. The command log goes
    // to `commandLogPath`. The feed must outlive the worker.
    TNotifyWorker(TDeskFeed& feed, std::string model, const std::string& commandLogPath);
    // Stops the thread; running commands are killed (see Finish).
    ~TNotifyWorker();
    TNotifyWorker(const TNotifyWorker&) = delete;
    TNotifyWorker& operator=(const TNotifyWorker&) = delete;

    // Set before Start; called on the worker's thread.
    std::function<void(const TDesktopNote&)> ShowNote;
    // Milliseconds of a steady clock.
    std::function<int64_t()> Clock;

    void Start();
    // Takes effect with the next event; `language` as UserPara.Language.
    void Apply(const TNotifySettings& settings, uint8_t language);
    void MuteForAnHour();
    void Unmute();
    [[nodiscard]] bool Muted() const;
    // How long the mute still lasts; 0 when not muted.
    [[nodiscard]] int64_t MutedForMs() const;
    // The last failure of the event command; empty when it last succeeded.
    [[nodiscard]] std::string CommandFailure() const;
    // The program's end, after its end event is logged: the events logged so
    // far still run the command, and the runs get until the command's time
    // limit, at most NotifyExitGraceMs, to end; those still going then are
    // killed, and the log says so. Returns when the thread has ended.
    void Finish();

private:
    void Run();
    void TakeEvents();
    void LetCommandsEnd();
    void Handle(const TStreamedEvent& streamed, int64_t nowMs);

    TDeskFeed& FFeed;
    std::string FModel;
    std::shared_ptr<TEventSubscription> FEvents;
    TCommandLog FCommandLog;

    mutable std::mutex FLock; // guards everything below
    TAlertGatherer FGatherer;
    TEventCommand FCommand{FCommandLog};
    TNotifySettings FSettings;
    uint8_t FLanguage = 0;
    uint64_t FDroppedSeen = 0;

    std::atomic<bool> FStop{false};
    std::atomic<bool> FFinishing{false};
    std::thread FThread;
};
