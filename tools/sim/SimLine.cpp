#include "tools/sim/SimLine.h"

#include "tools/sim/LineTiming.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <sys/stat.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {

[[noreturn]] void Fail(const std::string& what) {
    throw std::runtime_error(what + ": " + std::strerror(errno));
}

void MakeRaw(int fd, speed_t speed) {
    termios tio{};
    if (tcgetattr(fd, &tio) != 0) {
        Fail("tcgetattr");
    }
    cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cflag &= ~static_cast<tcflag_t>(CSTOPB | PARENB | CRTSCTS);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    if (speed != B0) {
        cfsetispeed(&tio, speed);
        cfsetospeed(&tio, speed);
    }
    if (tcsetattr(fd, TCSANOW, &tio) != 0) {
        Fail("tcsetattr");
    }
}

struct TSpeedRow {
    int Baud;
    speed_t Speed;
};
constexpr TSpeedRow Speeds[] = {
    {1200, B1200},   {2400, B2400},   {4800, B4800},   {9600, B9600},
    {19200, B19200}, {38400, B38400}, {57600, B57600}, {115200, B115200},
};

speed_t SpeedOf(int baud) {
    for (const auto& row : Speeds) {
        if (row.Baud == baud) {
            return row.Speed;
        }
    }
    throw std::runtime_error("unsupported baud rate " + std::to_string(baud));
}

void MakeLink(const std::string& link, const std::string& target) {
    struct stat st {};
    if (lstat(link.c_str(), &st) == 0) {
        if (!S_ISLNK(st.st_mode)) {
            throw std::runtime_error(link + " exists and is not a symlink");
        }
        unlink(link.c_str());
    }
    if (symlink(target.c_str(), link.c_str()) != 0) {
        Fail("symlink " + link);
    }
}

// True once fd can take more bytes, false after a second of waiting.
bool WaitWritable(int fd) {
    pollfd p{fd, POLLOUT, 0};
    return poll(&p, 1, 1000) == 1 && (p.revents & POLLOUT);
}

} // namespace

TSimLine TSimLine::OpenPty(const std::string& linkPath) {
    TSimLine line;
    line.FFd = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (line.FFd < 0 || grantpt(line.FFd) != 0 || unlockpt(line.FFd) != 0) {
        Fail("posix_openpt");
    }
    line.FDevicePath = ptsname(line.FFd);
    line.FSlaveFd = open(line.FDevicePath.c_str(), O_RDWR | O_NOCTTY);
    if (line.FSlaveFd < 0) {
        Fail("open " + line.FDevicePath);
    }
    // No echo and no CR/LF translation until the monitor sets its own mode.
    MakeRaw(line.FSlaveFd, B0);
    if (!linkPath.empty()) {
        MakeLink(linkPath, line.FDevicePath);
        line.FLinkPath = linkPath;
    }
    return line;
}

TSimLine TSimLine::OpenDevice(const std::string& path, int baud) {
    const speed_t speed = SpeedOf(baud);
    TSimLine line;
    line.FFd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (line.FFd < 0) {
        Fail("open " + path);
    }
    line.FDevicePath = path;
    MakeRaw(line.FFd, speed);
    return line;
}

TSimLine::TSimLine(TSimLine&& other) noexcept
    : FFd(other.FFd), FSlaveFd(other.FSlaveFd), FDevicePath(std::move(other.FDevicePath)),
      FLinkPath(std::move(other.FLinkPath)) {
    other.FFd = -1;
    other.FSlaveFd = -1;
    other.FLinkPath.clear();
}

TSimLine::~TSimLine() {
    if (!FLinkPath.empty()) {
        char target[256] = {};
        const ssize_t n = readlink(FLinkPath.c_str(), target, sizeof target - 1);
        if (n > 0 && FDevicePath == std::string(target, static_cast<std::size_t>(n))) {
            unlink(FLinkPath.c_str());
        }
    }
    if (FSlaveFd >= 0) {
        close(FSlaveFd);
    }
    if (FFd >= 0) {
        close(FFd);
    }
}

std::vector<uint8_t> TSimLine::ReadAvailable() {
    std::vector<uint8_t> bytes;
    uint8_t chunk[512];
    for (;;) {
        const ssize_t n = read(FFd, chunk, sizeof chunk);
        if (n <= 0) {
            break;
        }
        bytes.insert(bytes.end(), chunk, chunk + n);
    }
    return bytes;
}

bool TSimLine::WritePaced(std::span<const uint8_t> bytes, int baud) {
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    const auto charTime = std::chrono::microseconds(CharTimeUs(baud));
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        // Everything whose time has come goes out in one write.
        const auto elapsed = Clock::now() - start;
        const auto due = charTime.count() > 0
                             ? std::min<std::size_t>(bytes.size(), elapsed / charTime + 1)
                             : bytes.size();
        if (due > sent) {
            const ssize_t n = write(FFd, bytes.data() + sent, due - sent);
            if (n < 0 && errno == EAGAIN) {
                if (!WaitWritable(FFd)) {
                    return false;
                }
                continue;
            }
            if (n < 0 && errno != EINTR) {
                return false;
            }
            sent += n > 0 ? static_cast<std::size_t>(n) : 0;
        }
        if (sent < bytes.size()) {
            std::this_thread::sleep_until(start + charTime * static_cast<int64_t>(sent));
        }
    }
    return true;
}
