#pragma once
// The open device as the worker threads see it: the file descriptor, the
// CloseSignal and the read time-outs. Shared by the owner and both workers so
// the descriptor is closed only when the last of them lets go of it.

#include "comm/CommTypes.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <string>

class TCommPort {
public:
    explicit TCommPort(int fd) : FFd(fd) {}
    ~TCommPort();
    TCommPort(const TCommPort&) = delete;
    TCommPort& operator=(const TCommPort&) = delete;

    int Fd() const { return FFd; }

    // CloseSignal: once set it stays set (an eventfd that is never read), so
    // every poll() that includes it wakes at once from then on.
    [[nodiscard]] bool CreateCloseSignal();
    int CloseSignal() const { return FCloseSignal; }
    void SetCloseSignal();
    bool CloseRequested() const { return FCloseRequested.load(); }

    // Discards what the driver holds for one direction (TCIFLUSH, TCOFLUSH or
    // TCIOFLUSH); never waits for output to drain.
    void Purge(int queue) const;

    void SetTimeouts(const TCommTimeouts& timeouts);
    // How long after its last byte a chunk ends; zero means at once.
    std::chrono::milliseconds ReadInterval() const;
    // How long after its first byte a chunk ends at the latest; zero means no limit.
    std::chrono::milliseconds ReadTotal() const;

    std::atomic<bool> DiscardNul{false};
    // One character's time on the line at its present settings, in microseconds.
    std::atomic<uint32_t> CharMicros{0};
    // Set before the threads start and never changed after: what the frame
    // under way still needs (see TFrameRest), and whether a whole one is
    // handed over without waiting for the read interval.
    TFrameRest FrameRest;
    bool HandOverWholeFrames = false;

private:
    const int FFd;
    int FCloseSignal = -1;
    std::atomic<bool> FCloseRequested{false};
    std::atomic<uint32_t> FReadInterval{0};
    std::atomic<uint32_t> FReadTotalMultiplier{0};
    std::atomic<uint32_t> FReadTotalConstant{0};
};

// Opens path for reading and writing, exclusively (no other opener in this or
// any other process), without making it the controlling terminal. Throws
// ECommsError: MsgOpenFailed when it cannot be opened or is in use,
// MsgNotCommHandle when it is not a terminal.
[[nodiscard]] std::shared_ptr<TCommPort> OpenCommDevice(const std::string& path);
