#include "feed/EventStream.h"

#include <algorithm>

TEventSubscription::TEventSubscription(std::size_t capacity)
    : FCapacity(std::max<std::size_t>(capacity, 1)) {}

std::vector<TStreamedEvent> TEventSubscription::Take() {
    const std::lock_guard lock(FLock);
    std::vector<TStreamedEvent> events(FQueue.begin(), FQueue.end());
    FQueue.clear();
    return events;
}

bool TEventSubscription::WaitFor(std::chrono::milliseconds timeout) {
    std::unique_lock lock(FLock);
    FQueued.wait_for(lock, timeout, [this] { return !FQueue.empty() || FWoken; });
    FWoken = false;
    return !FQueue.empty();
}

void TEventSubscription::Wake() {
    {
        const std::lock_guard lock(FLock);
        FWoken = true;
    }
    FQueued.notify_one();
}

uint64_t TEventSubscription::Dropped() const {
    const std::lock_guard lock(FLock);
    return FDropped;
}

void TEventSubscription::Push(const TStreamedEvent& event) {
    {
        const std::lock_guard lock(FLock);
        if (FQueue.size() >= FCapacity) {
            FQueue.pop_front();
            ++FDropped;
        }
        FQueue.push_back(event);
    }
    FQueued.notify_one();
}

std::shared_ptr<TEventSubscription> TEventStream::Subscribe(std::size_t capacity) {
    auto reader = std::make_shared<TEventSubscription>(capacity);
    const std::lock_guard lock(FLock);
    FReaders.push_back(reader);
    return reader;
}

void TEventStream::Publish(const TEventRec& event, bool closedByUser) {
    const std::lock_guard lock(FLock);
    const TStreamedEvent streamed{++FSequence, event, closedByUser};
    std::erase_if(FReaders, [&](const std::weak_ptr<TEventSubscription>& weak) {
        const std::shared_ptr<TEventSubscription> reader = weak.lock();
        if (reader)
            reader->Push(streamed);
        return !reader;
    });
}
