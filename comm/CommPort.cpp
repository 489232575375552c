#include "comm/CommPort.h"

#include <cerrno>
#include <climits>
#include <cstdint>
#include <fcntl.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

TCommPort::~TCommPort() {
    if (FCloseSignal >= 0)
        close(FCloseSignal);
    (void)ioctl(FFd, TIOCNXCL);
    close(FFd);
}

bool TCommPort::CreateCloseSignal() {
    FCloseSignal = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    return FCloseSignal >= 0;
}

void TCommPort::SetCloseSignal() {
    FCloseRequested.store(true);
    const uint64_t one = 1;
    (void)!write(FCloseSignal, &one, sizeof one);
}

void TCommPort::Purge(int queue) const {
    (void)tcflush(FFd, queue);
}

void TCommPort::SetTimeouts(const TCommTimeouts& timeouts) {
    FReadInterval.store(timeouts.ReadIntervalTimeout);
    FReadTotalMultiplier.store(timeouts.ReadTotalTimeoutMultiplier);
    FReadTotalConstant.store(timeouts.ReadTotalTimeoutConstant);
}

std::chrono::milliseconds TCommPort::ReadInterval() const {
    // The all-ones value asks for "whatever has arrived, at once", like zero.
    const uint32_t interval = FReadInterval.load();
    return std::chrono::milliseconds(interval == UINT32_MAX ? 0 : interval);
}

std::chrono::milliseconds TCommPort::ReadTotal() const {
    const uint64_t total =
        uint64_t{FReadTotalMultiplier.load()} * CommReadBufferSize + FReadTotalConstant.load();
    return std::chrono::milliseconds(total);
}

namespace {

// The file stays open only if it is a terminal nobody else holds.
void ClaimTerminal(int fd) {
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        close(fd);
        throw ECommsError(error == EWOULDBLOCK ? MsgPortBusy : MsgOpenFailed, error);
    }
    if (!isatty(fd)) {
        const int error = errno;
        close(fd);
        throw ECommsError(MsgNotCommHandle, error);
    }
    // Keeps out later openers that do not take the lock (root is not kept
    // out by this, hence the lock above).
    (void)ioctl(fd, TIOCEXCL);
}

} // namespace

std::shared_ptr<TCommPort> OpenCommDevice(const std::string& path) {
    if (path.empty())
        throw ECommsError(MsgOpenFailed, ENOENT); // a name that stands for no device
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        throw ECommsError(MsgOpenFailed, errno);
    ClaimTerminal(fd);
    return std::make_shared<TCommPort>(fd);
}
