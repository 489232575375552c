#include "comm/ReadThread.h"

#include "comm/LineEvents.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

void TReadThread::Execute() {
    // Real UARTs count line errors and modem-line changes; ptys and most USB
    // adapters without counters simply report none.
    FHaveCounters = ioctl(FPort->Fd(), TIOCGICOUNT, &FCounters) == 0;
    while (WaitAndRead()) {
    }
    FPort->Purge(TCIFLUSH);
}

// One blocking wait and what it brought; false when the thread is to end.
bool TReadThread::WaitAndRead() {
    GatherPause();
    pollfd fds[2] = {{FPort->CloseSignal(), POLLIN, 0}, {FPort->Fd(), POLLIN, 0}};
    const int ready = poll(fds, 2, WaitTimeoutMs());
    if (ready < 0) {
        if (errno == EINTR)
            return true;
        NotifyHangup();
        return false;
    }
    if (fds[0].revents != 0)
        return false;
    if (ready == 0)
        return HandOver();
    if (fds[1].revents & POLLNVAL)
        return false;
    return ReadAvailable((fds[1].revents & (POLLHUP | POLLERR)) != 0);
}

// A frame under way on a slow line comes a byte or two per wake-up, so the
// reader sleeps while the rest of it is on the line: for as long as the bytes
// the frame still needs take at the line's speed, when the frame tells how
// many that is. When it does not, a few bytes gather first; where whole frames
// are handed over at once the pause delays the reply and stays short, and a
// chunk that ends only with the line's silence may wait a twentieth of that
// silence, which is as far as the pause can misjudge it. A whole frame needs
// no pause: nothing more is due, and the wait ends with the silence. The
// pause never runs past the chunk's own time-out.
void TReadThread::GatherPause() const {
    if (FCount == 0 || FrameWhole())
        return;
    std::chrono::microseconds pause;
    if (FRest) {
        pause = std::chrono::microseconds(int64_t(*FRest) * FPort->CharMicros.load());
    } else {
        const auto silenceShare = FPort->HandOverWholeFrames ? 0 : FPort->ReadInterval().count() / 20;
        pause = std::chrono::milliseconds(std::max<int64_t>(GatherPauseMs, silenceShare));
    }
    pause = std::min<std::chrono::microseconds>(pause, std::chrono::milliseconds(WaitTimeoutMs()));
    if (pause.count() > 0)
        std::this_thread::sleep_for(pause);
}

// Without a chunk under way the wait has no limit; with one, it lasts until
// the chunk's silence (or total) time-out runs out.
int TReadThread::WaitTimeoutMs() const {
    if (FCount == 0)
        return -1;
    auto deadline = FLastByte + FPort->ReadInterval();
    if (const auto total = FPort->ReadTotal(); total.count() > 0)
        deadline = std::min(deadline, FFirstByte + total);
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - TClock::now());
    return static_cast<int>(std::clamp<int64_t>(left.count(), 0, INT_MAX));
}

bool TReadThread::ReadAvailable(bool deviceFlagged) {
    const ssize_t n = read(FPort->Fd(), FBuffer.data() + FCount, FBuffer.size() - FCount);
    if (n > 0) {
        Take(static_cast<size_t>(n));
        if (!ReportLineEvents())
            return false;
        const bool whole = FPort->HandOverWholeFrames && FrameWhole();
        return (FCount < FBuffer.size() && !whole) || HandOver();
    }
    if (n < 0 && errno == EBADF)
        return false;
    if (n < 0 && (errno == EAGAIN || errno == EINTR) && !deviceFlagged)
        return true;
    // End of file, EIO, or a flagged hang-up with nothing to read: the device
    // has gone (unplugged adapter, closed pseudo-terminal master).
    DeviceGone();
    return false;
}

void TReadThread::Take(size_t count) {
    const auto now = TClock::now();
    uint8_t* fresh = FBuffer.data() + FCount;
    if (FPort->DiscardNul.load())
        count = static_cast<size_t>(std::remove(fresh, fresh + count, uint8_t{0}) - fresh);
    if (count == 0)
        return;
    if (FCount == 0)
        FFirstByte = now;
    FCount += count;
    FLastByte = now;
    if (FPort->FrameRest)
        FRest = FPort->FrameRest(FBuffer.data(), FCount);
}

bool TReadThread::ReportLineEvents() {
    if (!FHaveCounters)
        return true;
    serial_icounter_struct now{};
    if (ioctl(FPort->Fd(), TIOCGICOUNT, &now) != 0)
        return true;
    const TLineEvents events = LineEventsBetween(FCounters, now);
    FCounters = now;
    if ((events.Errors != 0 && !Notify(CommNoticeReceiveError, events.Errors)) ||
        (events.Modem != 0 && !Notify(CommNoticeModemState, events.Modem))) {
        NotifyHangup();
        return false;
    }
    return true;
}

// Posts the bytes gathered so far as one chunk, copied into a block of its
// own with a 0 behind the data.
bool TReadThread::HandOver() {
    if (FCount == 0)
        return true;
    std::vector<uint8_t> block(FCount + 1, 0);
    std::copy_n(FBuffer.begin(), FCount, block.begin());
    const auto count = static_cast<uint32_t>(FCount);
    FCount = 0;
    FRest.reset();
    if (Notify(CommNoticeReceiveData, count, std::move(block)))
        return true;
    NotifyHangup();
    return false;
}

// What arrived before the device went is still delivered, then the hang-up.
void TReadThread::DeviceGone() {
    if (HandOver())
        NotifyHangup();
}
