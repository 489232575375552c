#pragma once
// Hands the latest record snapshot from the engine's thread to readers on any
// thread. A reader keeps the snapshot it took for as long as it likes; the
// engine only swaps a pointer under a short lock, so it never waits on one.

#include "feed/RecordSnapshot.h"

#include <memory>
#include <mutex>

class TSnapshotHub {
public:
    // Numbers the snapshot and makes it the current one.
    void Publish(TRecordSnapshot snapshot);
    // Never null: an empty snapshot (Sequence 0) before the first Publish.
    [[nodiscard]] std::shared_ptr<const TRecordSnapshot> Current() const;

private:
    mutable std::mutex FLock;
    std::shared_ptr<const TRecordSnapshot> FCurrent = std::make_shared<const TRecordSnapshot>();
    uint64_t FSequence = 0;
};
