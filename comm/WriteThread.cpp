#include "comm/WriteThread.h"

#include <cerrno>
#include <poll.h>
#include <sys/eventfd.h>
#include <system_error>
#include <termios.h>
#include <unistd.h>

TWriteThread::TWriteThread(std::shared_ptr<TCommPort> port, TCommNotifySink& sink,
                           std::shared_ptr<std::atomic<bool>> sendQueueEmpty,
                           bool notifyWhenEmpty)
    : TCommThread(std::move(port), sink), FSendQueueEmpty(std::move(sendQueueEmpty)),
      FNotifyWhenEmpty(notifyWhenEmpty) {
    FWakeSignal = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (FWakeSignal < 0)
        throw std::system_error(errno, std::generic_category(), "eventfd");
}

TWriteThread::~TWriteThread() {
    close(FWakeSignal);
}

bool TWriteThread::PostWrite(const uint8_t* data, uint16_t length) {
    {
        std::lock_guard lock(FQueueLock);
        if (FEnded)
            return false;
        const size_t done = WriteWhileIdle(data, length);
        if (done == length)
            return true;
        FQueue.emplace_back(data + done, data + length);
        FSendQueueEmpty->store(false);
    }
    const uint64_t one = 1;
    (void)!write(FWakeSignal, &one, sizeof one);
    return true;
}

// A request (a few dozen bytes) usually fits in the driver's buffer at once;
// waking the writer for it would cost more than the write. Only what the
// driver takes without waiting goes out here, and only while the writer has
// nothing under way, so the order stays the order posted. Any failure is left
// to the writer, which reports it.
size_t TWriteThread::WriteWhileIdle(const uint8_t* data, size_t length) {
    if (FNotifyWhenEmpty || FWriting || !FQueue.empty() || FPort->CloseRequested())
        return 0;
    size_t done = 0;
    while (done < length) {
        const ssize_t n = write(FPort->Fd(), data + done, length - done);
        if (n > 0)
            done += static_cast<size_t>(n);
        else if (!(n < 0 && errno == EINTR))
            break;
    }
    return done;
}

void TWriteThread::Execute() {
    bool notifyWhenIdle = FNotifyWhenEmpty; // once after start, then after each drained queue
    for (;;) {
        const auto request = TakeRequest();
        if (!request) {
            if (notifyWhenIdle && !Notify(CommNoticeSendEmpty)) {
                FHangup = true;
                break;
            }
            notifyWhenIdle = false;
            if (!WaitForRequest())
                break;
            continue;
        }
        if (FPort->CloseRequested() || !WriteBlock(*request))
            break;
        notifyWhenIdle = FNotifyWhenEmpty;
    }
    Finish();
}

std::optional<std::vector<uint8_t>> TWriteThread::TakeRequest() {
    std::lock_guard lock(FQueueLock);
    FWriting = !FQueue.empty();
    if (!FWriting) {
        FSendQueueEmpty->store(true);
        return std::nullopt;
    }
    auto block = std::move(FQueue.front());
    FQueue.pop_front();
    return block;
}

// Blocks until a request is queued (true) or the CloseSignal is set (false).
bool TWriteThread::WaitForRequest() {
    pollfd fds[2] = {{FPort->CloseSignal(), POLLIN, 0}, {FWakeSignal, POLLIN, 0}};
    if (poll(fds, 2, -1) < 0) {
        if (errno == EINTR)
            return true;
        FHangup = true;
        return false;
    }
    if (fds[0].revents != 0)
        return false;
    uint64_t posted = 0;
    (void)!read(FWakeSignal, &posted, sizeof posted);
    return true;
}

// Writes all of the block, waiting for room as needed. A CloseSignal or a
// closed descriptor ends it quietly; a device that has gone ends it with 1027.
bool TWriteThread::WriteBlock(const std::vector<uint8_t>& block) {
    size_t done = 0;
    while (done < block.size()) {
        const ssize_t n = write(FPort->Fd(), block.data() + done, block.size() - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN) {
            if (!WaitWritable())
                return false;
            continue;
        }
        if (!(n < 0 && errno == EBADF))
            FHangup = true;
        return false;
    }
    return true;
}

bool TWriteThread::WaitWritable() {
    pollfd fds[2] = {{FPort->CloseSignal(), POLLIN, 0}, {FPort->Fd(), POLLOUT, 0}};
    if (poll(fds, 2, -1) < 0) {
        if (errno == EINTR)
            return true;
        FHangup = true;
        return false;
    }
    if (fds[0].revents != 0 || (fds[1].revents & POLLNVAL))
        return false;
    if (fds[1].revents & (POLLERR | POLLHUP)) {
        FHangup = true;
        return false;
    }
    return true;
}

// Drops what is still queued and what the driver still holds: closing never
// waits for output to drain. The hang-up goes out last, so whoever receives it
// finds further sends already refused.
void TWriteThread::Finish() {
    {
        std::lock_guard lock(FQueueLock);
        FEnded = true;
        FQueue.clear();
    }
    FPort->Purge(TCOFLUSH);
    FSendQueueEmpty->store(true);
    if (FHangup)
        NotifyHangup();
}
