#include "feed/SnapshotHub.h"

#include <utility>

void TSnapshotHub::Publish(TRecordSnapshot snapshot) {
    auto next = std::make_shared<TRecordSnapshot>(std::move(snapshot));
    std::shared_ptr<const TRecordSnapshot> previous;
    {
        const std::lock_guard lock(FLock);
        next->Sequence = ++FSequence;
        previous = std::exchange(FCurrent, std::move(next));
    }
    // The old snapshot, when no reader holds it, is freed outside the lock.
}

std::shared_ptr<const TRecordSnapshot> TSnapshotHub::Current() const {
    const std::lock_guard lock(FLock);
    return FCurrent;
}
