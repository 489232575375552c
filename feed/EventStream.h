#pragma once
// The logged events, handed to readers on other threads. Each reader has a
// queue of its own with a fixed capacity: when a reader falls behind, its
// oldest events are dropped and counted, and the numbering shows the gap.
// The logging thread never waits on a reader.

#include "logging/uEventLogClass.h"

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

struct TStreamedEvent {
    uint64_t Sequence = 0; // 1 for the first event published, then counting up
    TEventRec Event;
    // The port's "communication lost" (Code 18 at address 0) came from the
    // user closing the port, not from the port going away. The event log
    // stores both alike; an operator's own action is no alarm.
    bool ClosedByUser = false;
};

class TEventSubscription {
public:
    explicit TEventSubscription(std::size_t capacity);

    // Everything queued, oldest first; empty when nothing is.
    [[nodiscard]] std::vector<TStreamedEvent> Take();
    // Waits at most `timeout` for an event to be queued, or for Wake; true
    // when an event is queued.
    [[nodiscard]] bool WaitFor(std::chrono::milliseconds timeout);
    // Ends the reader's wait at once, as an event would, without one: the
    // reader has something else to do (to stop, for one).
    void Wake();
    // Events dropped because the queue was full, since the subscription began.
    [[nodiscard]] uint64_t Dropped() const;

    void Push(const TStreamedEvent& event); // the stream's side

private:
    mutable std::mutex FLock;
    std::condition_variable FQueued;
    std::deque<TStreamedEvent> FQueue;
    std::size_t FCapacity;
    uint64_t FDropped = 0;
    bool FWoken = false;
};

class TEventStream {
public:
    // A reader's queue of `capacity` events (at least 1). Events published
    // from now on are queued; dropping the pointer ends the subscription.
    [[nodiscard]] std::shared_ptr<TEventSubscription> Subscribe(std::size_t capacity);
    void Publish(const TEventRec& event, bool closedByUser = false);

private:
    std::mutex FLock;
    std::vector<std::weak_ptr<TEventSubscription>> FReaders;
    uint64_t FSequence = 0;
};
