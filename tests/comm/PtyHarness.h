#pragma once
// Test and bench helpers for the serial port: a real pseudo-terminal pair
// (the slave side is the "serial port", the master side plays the device),
// and a notice sink that queues notices for the test thread to deliver.

#include "comm/SPComm.h"

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <fcntl.h>
#include <mutex>
#include <optional>
#include <poll.h>
#include <stdexcept>
#include <string>
#include <unistd.h>

class TPtyPair {
public:
    TPtyPair() {
        FMaster = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (FMaster < 0 || grantpt(FMaster) != 0 || unlockpt(FMaster) != 0)
            throw std::runtime_error("no pseudo-terminal");
        FSlavePath = ptsname(FMaster);
    }
    ~TPtyPair() { CloseMaster(); }
    TPtyPair(const TPtyPair&) = delete;
    TPtyPair& operator=(const TPtyPair&) = delete;

    int Master() const { return FMaster; }
    const std::string& SlavePath() const { return FSlavePath; }
    void CloseMaster() {
        if (FMaster >= 0)
            close(FMaster);
        FMaster = -1;
    }
    void Write(const std::string& bytes) const {
        size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = write(FMaster, bytes.data() + done, bytes.size() - done);
            if (n <= 0)
                throw std::runtime_error("pty master write failed");
            done += static_cast<size_t>(n);
        }
    }
    // Reads from the master until count bytes have come or the deadline passes.
    std::string Read(size_t count, std::chrono::milliseconds limit) const {
        std::string got;
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (got.size() < count) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd fd{FMaster, POLLIN, 0};
            if (left.count() <= 0 || poll(&fd, 1, static_cast<int>(left.count())) <= 0)
                break;
            char buf[4096];
            const ssize_t n = read(FMaster, buf, sizeof buf);
            if (n <= 0)
                break;
            got.append(buf, static_cast<size_t>(n));
        }
        return got;
    }

private:
    int FMaster = -1;
    std::string FSlavePath;
};

class TQueueSink : public TCommNotifySink {
public:
    bool Post(TCommNotice notice) override {
        {
            std::lock_guard lock(FLock);
            FQueue.push_back(std::move(notice));
        }
        FPosted.notify_one();
        return true;
    }
    // The next notice, waiting for it up to limit.
    std::optional<TCommNotice> Next(std::chrono::milliseconds limit) {
        std::unique_lock lock(FLock);
        if (!FPosted.wait_for(lock, limit, [this] { return !FQueue.empty(); }))
            return std::nullopt;
        TCommNotice notice = std::move(FQueue.front());
        FQueue.pop_front();
        return notice;
    }

private:
    std::mutex FLock;
    std::condition_variable FPosted;
    std::deque<TCommNotice> FQueue;
};

// Delivers notices to comm, as the user-interface thread would, until done()
// holds; false when the deadline passes first.
template <typename TDone>
bool DeliverUntil(TComm& comm, TQueueSink& sink, TDone done,
                  std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        if (auto notice = sink.Next(left))
            comm.DeliverNotice(std::move(*notice));
    }
    return true;
}
