// Port names, the line settings as termios flags, and line events from the
// driver's counters: tables of (input, expected).

#include "comm/LineEvents.h"
#include "comm/LineSettings.h"
#include "comm/PortName.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

TEST(PortName, ComNamesAndPaths) {
    const std::pair<std::string, std::string> rows[] = {
        {"COM1", "/dev/ttyS0"},
        {"COM2", "/dev/ttyS1"},
        {"com12", "/dev/ttyS11"},
        {"COM256", "/dev/ttyS255"},
        {"/dev/ttyUSB0", "/dev/ttyUSB0"},
        {"/dev/serial/by-id/usb-FTDI_RS485-if00-port0",
         "/dev/serial/by-id/usb-FTDI_RS485-if00-port0"},
        {"/dev/pts/7", "/dev/pts/7"},
        {"COM0", ""},
        {"COM257", ""},
        {"COM", ""},
        {"COMx", ""},
        {"COM1a", ""},
        {"COM 1", ""},
        {"ttyUSB0", ""},
        {"", ""},
    };
    for (const auto& [name, path] : rows)
        EXPECT_EQ(DevicePathForComName(name), path) << name;
}

struct TLineRow {
    const char* Case;
    std::function<void(TCommLineSettings&)> Change;
    tcflag_t CflagSet; // must be set among the checked bits
    tcflag_t IflagSet;
};

constexpr tcflag_t CheckedCflag = CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS;
constexpr tcflag_t CheckedIflag = IXON | IXOFF | INPCK;

TEST(LineSettings, MapToTermiosFlags) {
    const TLineRow rows[] = {
        {"component defaults", [](auto&) {}, CS8, IXON | IXOFF},
        {"no flow control", [](auto& s) { s.Outx_XonXoffFlow = s.Inx_XonXoffFlow = false; }, CS8,
         0},
        {"XON/XOFF on output only", [](auto& s) { s.Inx_XonXoffFlow = false; }, CS8, IXON},
        {"7 data bits, even", [](auto& s) { s.ByteSize = TByteSize::_7, s.Parity = TParity::Even; },
         CS7 | PARENB, IXON | IXOFF},
        {"odd", [](auto& s) { s.Parity = TParity::Odd; }, CS8 | PARENB | PARODD, IXON | IXOFF},
        {"mark", [](auto& s) { s.Parity = TParity::Mark; }, CS8 | PARENB | PARODD | CMSPAR,
         IXON | IXOFF},
        {"space", [](auto& s) { s.Parity = TParity::Space; }, CS8 | PARENB | CMSPAR, IXON | IXOFF},
        {"6 data bits", [](auto& s) { s.ByteSize = TByteSize::_6; }, CS6, IXON | IXOFF},
        {"5 data bits, 1.5 stop bits",
         [](auto& s) { s.ByteSize = TByteSize::_5, s.StopBits = TStopBits::_1_5; }, CS5 | CSTOPB,
         IXON | IXOFF},
        {"2 stop bits", [](auto& s) { s.StopBits = TStopBits::_2; }, CS8 | CSTOPB, IXON | IXOFF},
        {"CTS flow", [](auto& s) { s.Outx_CtsFlow = true; }, CS8 | CRTSCTS, IXON | IXOFF},
        {"RTS handshake", [](auto& s) { s.RtsControl = TRtsControl::RtsHandshake; }, CS8 | CRTSCTS,
         IXON | IXOFF},
        {"parity check", [](auto& s) { s.ParityCheck = true; }, CS8, IXON | IXOFF | INPCK},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Case);
        TCommLineSettings settings;
        row.Change(settings);
        // Start from a cooked terminal with every checked bit set.
        termios t{};
        t.c_iflag = ICRNL | CheckedIflag;
        t.c_oflag = OPOST;
        t.c_lflag = ICANON | ECHO | ISIG;
        t.c_cflag = CheckedCflag;
        LineSettingsToTermios(settings, t);
        EXPECT_EQ(t.c_cflag & CheckedCflag, row.CflagSet);
        EXPECT_EQ(t.c_iflag & CheckedIflag, row.IflagSet);
        EXPECT_EQ(t.c_cflag & (CREAD | CLOCAL), tcflag_t(CREAD | CLOCAL));
        EXPECT_FALSE(t.c_iflag & ICRNL);
        EXPECT_FALSE(t.c_oflag & OPOST);
        EXPECT_FALSE(t.c_lflag & (ICANON | ECHO | ISIG));
        EXPECT_EQ(t.c_cc[VMIN], 1);
        EXPECT_EQ(t.c_cc[VSTART], 17);
        EXPECT_EQ(t.c_cc[VSTOP], 19);
    }
}

TEST(LineSettings, BaudRates) {
    const std::pair<uint32_t, speed_t> rows[] = {
        {9600, B9600}, {19200, B19200}, {115200, B115200}, {14400, B2400}, {250000, B2400},
    };
    for (const auto& [baud, expected] : rows) {
        // A rate without a B-constant leaves the speed alone; it is set
        // exactly on the device afterwards.
        termios t{};
        cfsetospeed(&t, B2400);
        TCommLineSettings settings;
        settings.BaudRate = baud;
        LineSettingsToTermios(settings, t);
        EXPECT_EQ(cfgetospeed(&t), expected) << baud;
    }
}

// The reader sleeps while the rest of a frame is on the line, so a character
// must never be taken for longer than it lasts.
TEST(LineSettings, CharacterTimeCountsEveryBitOnTheLine) {
    struct TRow {
        uint32_t Baud;
        TByteSize Size;
        TParity Parity;
        TStopBits Stop;
        uint32_t Micros;
    };
    const TRow rows[] = {
        {9600, TByteSize::_8, TParity::None, TStopBits::_1, 1042},  // 10 bits
        {9600, TByteSize::_8, TParity::Even, TStopBits::_1, 1146},  // 11 bits
        {9600, TByteSize::_7, TParity::Mark, TStopBits::_2, 1146},  // 11 bits
        {1200, TByteSize::_5, TParity::None, TStopBits::_1_5, 6250}, // 7.5 bits
        {115200, TByteSize::_8, TParity::None, TStopBits::_1, 87},
        {0, TByteSize::_8, TParity::None, TStopBits::_1, 10000000}, // no rate: no divide by 0
    };
    for (const TRow& row : rows) {
        TCommLineSettings settings;
        settings.BaudRate = row.Baud;
        settings.ByteSize = row.Size;
        settings.Parity = row.Parity;
        settings.StopBits = row.Stop;
        EXPECT_EQ(CharacterMicros(settings), row.Micros) << row.Baud;
    }
}

TEST(LineEvents, CounterGrowthBecomesFlags) {
    struct TRow {
        const char* Case;
        std::function<void(serial_icounter_struct&)> Change;
        uint32_t Errors;
        uint32_t Modem;
    };
    const TRow rows[] = {
        {"nothing new", [](auto&) {}, 0, 0},
        {"framing error", [](auto& c) { c.frame++; }, CommErrFrame, 0},
        {"parity and overrun", [](auto& c) { c.parity++, c.overrun += 2; },
         CommErrParity | CommErrOverrun, 0},
        {"break and buffer overrun", [](auto& c) { c.brk++, c.buf_overrun++; },
         CommErrBreak | CommErrRxOver, 0},
        {"carrier and ring", [](auto& c) { c.dcd++, c.rng++; }, 0,
         CommModemCarrier | CommModemRing},
        {"bytes only", [](auto& c) { c.rx += 30; }, 0, 0},
    };
    for (const auto& row : rows) {
        serial_icounter_struct before{};
        before.frame = 3;
        serial_icounter_struct after = before;
        row.Change(after);
        const TLineEvents events = LineEventsBetween(before, after);
        EXPECT_EQ(events.Errors, row.Errors) << row.Case;
        EXPECT_EQ(events.Modem, row.Modem) << row.Case;
    }
}

} // namespace
