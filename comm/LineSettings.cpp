#include "comm/LineSettings.h"

#include "comm/PortBaud.h"

#include <algorithm>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <utility>

namespace {

constexpr std::pair<uint32_t, speed_t> StandardSpeeds[] = {
    {50, B50},           {75, B75},           {110, B110},         {134, B134},
    {150, B150},         {200, B200},         {300, B300},         {600, B600},
    {1200, B1200},       {1800, B1800},       {2400, B2400},       {4800, B4800},
    {9600, B9600},       {19200, B19200},     {38400, B38400},     {57600, B57600},
    {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000},
    {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
    {3500000, B3500000}, {4000000, B4000000},
};

tcflag_t CharacterSize(TByteSize size) {
    switch (size) {
    case TByteSize::_5:
        return CS5;
    case TByteSize::_6:
        return CS6;
    case TByteSize::_7:
        return CS7;
    case TByteSize::_8:
        break;
    }
    return CS8;
}

tcflag_t ParityFlags(TParity parity) {
    switch (parity) {
    case TParity::Odd:
        return PARENB | PARODD;
    case TParity::Even:
        return PARENB;
    case TParity::Mark:
        return PARENB | CMSPAR | PARODD;
    case TParity::Space:
        return PARENB | CMSPAR;
    case TParity::None:
        break;
    }
    return 0;
}

// There is no 1.5 setting: a UART sending 5-bit characters with CSTOPB uses
// 1.5 stop bits, which is the only combination 1.5 is meant for.
tcflag_t StopBitFlags(TStopBits stopBits) {
    return stopBits == TStopBits::_1 ? 0 : CSTOPB;
}

void SetModemLine(int fd, int line, bool on) {
    (void)ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &line);
}

// RTS raised only while sending: the driver's RS-485 mode does the toggling.
void EnableRtsToggle(int fd) {
    serial_rs485 rs485{};
    if (ioctl(fd, TIOCGRS485, &rs485) != 0)
        return;
    rs485.flags |= SER_RS485_ENABLED | SER_RS485_RTS_ON_SEND;
    rs485.flags &= ~SER_RS485_RTS_AFTER_SEND;
    (void)ioctl(fd, TIOCSRS485, &rs485);
}

void ApplyModemLines(int fd, const TCommLineSettings& s) {
    if (s.DtrControl != TDtrControl::DtrHandshake)
        SetModemLine(fd, TIOCM_DTR, s.DtrControl == TDtrControl::DtrEnable);
    switch (s.RtsControl) {
    case TRtsControl::RtsEnable:
    case TRtsControl::RtsDisable:
        SetModemLine(fd, TIOCM_RTS, s.RtsControl == TRtsControl::RtsEnable);
        break;
    case TRtsControl::RtsTransmissionAvailable:
        EnableRtsToggle(fd);
        break;
    case TRtsControl::RtsHandshake: // CRTSCTS drives RTS
        break;
    }
}

} // namespace

speed_t StandardSpeed(uint32_t baud) {
    for (const auto& [rate, code] : StandardSpeeds)
        if (rate == baud)
            return code;
    return B0;
}

uint32_t CharacterMicros(const TCommLineSettings& s) {
    // Counted in half bits for the 1.5 stop bits.
    const uint64_t halfBits = 2 * (1 + 5 + uint64_t(s.ByteSize)) +
                              (s.Parity == TParity::None ? 0 : 2) +
                              (s.StopBits == TStopBits::_1     ? 2
                               : s.StopBits == TStopBits::_1_5 ? 3
                                                               : 4);
    const uint64_t baud = std::max<uint32_t>(s.BaudRate, 1);
    return uint32_t((halfBits * 1000000 + 2 * baud - 1) / (2 * baud));
}

void LineSettingsToTermios(const TCommLineSettings& s, termios& t) {
    t.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF |
                   IXANY | INPCK | IGNPAR);
    if (s.ParityCheck)
        t.c_iflag |= INPCK;
    if (s.Outx_XonXoffFlow)
        t.c_iflag |= IXON;
    if (s.Inx_XonXoffFlow)
        t.c_iflag |= IXOFF;
    t.c_oflag &= ~OPOST;
    t.c_lflag &= ~(ECHO | ECHOE | ECHOK | ECHONL | ICANON | ISIG | IEXTEN);
    t.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    t.c_cflag |= CREAD | CLOCAL | CharacterSize(s.ByteSize) | ParityFlags(s.Parity) |
                 StopBitFlags(s.StopBits);
    if (s.Outx_CtsFlow || s.RtsControl == TRtsControl::RtsHandshake)
        t.c_cflag |= CRTSCTS;
    // VMIN 1: a read on an empty line says EAGAIN (non-blocking) instead of
    // returning 0, so 0 always means the device has hung up.
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    t.c_cc[VSTART] = static_cast<cc_t>(s.XonChar);
    t.c_cc[VSTOP] = static_cast<cc_t>(s.XoffChar);
    if (const speed_t speed = StandardSpeed(s.BaudRate); speed != B0) {
        cfsetispeed(&t, speed);
        cfsetospeed(&t, speed);
    }
}

bool ApplyLineSettingsToPort(int fd, const TCommLineSettings& s) {
    termios t{};
    if (tcgetattr(fd, &t) != 0)
        return false;
    LineSettingsToTermios(s, t);
    if (tcsetattr(fd, TCSANOW, &t) != 0)
        return false;
    if (s.BaudRate != 0 && StandardSpeed(s.BaudRate) == B0)
        (void)SetPortBaudRate(fd, s.BaudRate);
    ApplyModemLines(fd, s);
    return true;
}
