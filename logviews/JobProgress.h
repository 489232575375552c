#pragma once
// Progress and cancellation of a long piece of log work (loading, sorting or
// exporting a large month) that runs off the user-interface thread: the
// worker counts, the window reads the counts on its timer and may ask it to
// stop. All fields are safe to touch from both threads.

#include <atomic>
#include <cstdint>

struct TJobProgress {
    std::atomic<int64_t> Position{0};
    std::atomic<int64_t> Maximum{0};
    std::atomic<bool> Cancelled{false};

    void Set(int64_t position, int64_t maximum) {
        Maximum.store(maximum, std::memory_order_relaxed);
        Position.store(position, std::memory_order_relaxed);
    }
    [[nodiscard]] bool Stopping() const { return Cancelled.load(std::memory_order_relaxed); }
};
