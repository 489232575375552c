// The simulator core serving a real pseudo-terminal: the far end opens the
// slave through the symlink, sends requests and reads valid replies.

#include "tests/tools/SimTestFrames.h"
#include "tools/sim/SimRunner.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <functional>
#include <poll.h>
#include <sstream>
#include <sys/stat.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {

using TClock = std::chrono::steady_clock;
using TBytes = std::vector<uint8_t>;

class SimPty : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(mkdtemp(FDir), nullptr);
        LinkPath = std::string(FDir) + "/ups";
    }

    void TearDown() override {
        Stop();
        rmdir(FDir);
    }

    void Start(TSimProtocol protocol, const char* scenarioText, double timeScale = 1,
               int baud = 115200) {
        const TScenario scenario = ParseScenario(scenarioText);
        FBus.Protocol = protocol;
        FBus.Units = BuildUnits(scenario, {});
        FPlayer = std::make_unique<TScenarioPlayer>(scenario.Events);
        FLine = std::make_unique<TSimLine>(TSimLine::OpenPty(LinkPath));
        FRunner = std::make_unique<TSimRunner>(FBus, *FLine, *FPlayer,
                                               TRunnerConfig{baud, timeScale, true}, FLog);
        FThread = std::thread([this] { FRunner->Run(FStop); });
        Fd = open(LinkPath.c_str(), O_RDWR | O_NOCTTY);
        ASSERT_GE(Fd, 0);
        termios tio{};
        tcgetattr(Fd, &tio);
        cfmakeraw(&tio);
        tcsetattr(Fd, TCSANOW, &tio);
    }

    void Stop() {
        if (Fd >= 0) {
            close(Fd);
            Fd = -1;
        }
        FStop = true;
        if (FThread.joinable()) {
            FThread.join();
        }
        FRunner.reset();
        FLine.reset();
    }

    // Sends a request and collects bytes until `done` says the reply is whole
    // (or five seconds have passed).
    TBytes Exchange(const TBytes& request, const std::function<bool(const TBytes&)>& done) {
        EXPECT_EQ(write(Fd, request.data(), request.size()), ssize_t(request.size()));
        TBytes reply;
        const auto deadline = TClock::now() + std::chrono::seconds(5);
        while (!done(reply) && TClock::now() < deadline) {
            pollfd p{Fd, POLLIN, 0};
            if (poll(&p, 1, 100) == 1) {
                uint8_t chunk[256];
                const ssize_t n = read(Fd, chunk, sizeof chunk);
                reply.insert(reply.end(), chunk, chunk + std::max<ssize_t>(n, 0));
            }
        }
        return reply;
    }

    std::string AskAscii(const std::string& request) {
        return AsText(Exchange(TBytes(request.begin(), request.end()),
                               [](const TBytes& r) { return !r.empty() && r.back() == '\r'; }));
    }

    std::string LinkPath;
    int Fd = -1;

private:
    char FDir[32] = "/tmp/simptyXXXXXX";
    TSimBus FBus;
    std::unique_ptr<TScenarioPlayer> FPlayer;
    std::unique_ptr<TSimLine> FLine;
    std::unique_ptr<TSimRunner> FRunner;
    std::ostringstream FLog;
    std::atomic<bool> FStop{false};
    std::thread FThread;
};

bool LinkExists(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0;
}

} // namespace

TEST_F(SimPty, ModularUnitAnswersThroughTheLink) {
    Start(TSimProtocol::Modular, "unit 1 online\nunit 2 battery");
    EXPECT_EQ(AskAscii("~31012A430000FDA1\r"), "~31012A00901600000004CC00C700000000F934\r");
    const std::string battery = AskAscii(YdtRequest(0x31, 2, 0x43));
    EXPECT_EQ(YdtReplyProblem(battery, 0x31, 2), "");
    EXPECT_EQ(battery.substr(21, 4), "C900"); // on battery, discharging (bit 8)
    Stop();
    EXPECT_FALSE(LinkExists(LinkPath));
}

TEST_F(SimPty, ModbusReplyLeavesAtTheLineSpeed) {
    Start(TSimProtocol::Modbus, "unit 1 online", 1, 2400);
    const auto start = TClock::now();
    const TBytes reply = Exchange({0x01, 0x04, 0x75, 0x30, 0x00, 0x0E, 0x6B, 0xCD},
                                  [](const TBytes& r) { return r.size() >= 33; });
    const auto took = TClock::now() - start;
    ASSERT_EQ(reply.size(), 33u);
    EXPECT_EQ(Crc16(reply), 0);
    EXPECT_EQ(reply[2], 28);
    // 33 characters of 10 bits at 2400 bit/s cannot arrive in less time.
    EXPECT_GE(took, std::chrono::milliseconds(32 * 10 * 1000 / 2400));
}

TEST_F(SimPty, ScenarioEventsHappenOnTheScaledClock) {
    // At a time scale of 40 the event at 2 s comes after 50 ms.
    Start(TSimProtocol::Modular, "unit 1 online\nat 2s unit 1 battery", 40);
    const auto deadline = TClock::now() + std::chrono::seconds(5);
    std::string w0;
    while (w0 != "C900" && TClock::now() < deadline) {
        const std::string reply = AskAscii("~31012A430000FDA1\r");
        ASSERT_EQ(YdtReplyProblem(reply, 0x31, 1), "");
        w0 = reply.substr(21, 4);
    }
    EXPECT_EQ(w0, "C900");
}
