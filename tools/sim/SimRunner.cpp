#include "tools/sim/SimRunner.h"

#include "base/funcUnit.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <poll.h>
#include <thread>

namespace {

constexpr int MaxWaitMs = 50;
constexpr double TickSeconds = 0.2; // real seconds between measurement steps

std::string Printable(std::span<const uint8_t> bytes) {
    std::string text;
    for (uint8_t b : bytes) {
        if (b >= 0x20 && b < 0x7F) {
            text += static_cast<char>(b);
        } else if (b == '\r') {
            text += "<CR>";
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "<%02X>", b);
            text += hex;
        }
    }
    return text;
}

} // namespace

TSimRunner::TSimRunner(TSimBus& bus, TSimLine& line, TScenarioPlayer& player,
                       const TRunnerConfig& config, std::ostream& log)
    : FBus(bus), FLine(line), FPlayer(player), FConfig(config), FLog(log),
      FRtu(RtuSilenceUs(config.Baud)), FStart(TClock::now()) {}

int64_t TSimRunner::NowUs() const {
    return std::chrono::duration_cast<std::chrono::microseconds>(TClock::now() - FStart).count();
}

double TSimRunner::ScenarioSeconds() const {
    return NowUs() / 1e6 * FConfig.TimeScale;
}

// Until the next thing to do: a frame whose silence ends, a scenario event,
// a look at the stop flag.
int TSimRunner::WaitMs() const {
    int64_t waitUs = MaxWaitMs * 1000;
    if (const auto deadline = FRtu.Deadline()) {
        waitUs = std::min(waitUs, *deadline - NowUs());
    }
    // With no event left NextTime() is infinite; converting that to an integer
    // is undefined and made the loop spin, so only a finite wait may shorten it.
    const double untilEvent = (FPlayer.NextTime() - ScenarioSeconds()) / FConfig.TimeScale;
    if (untilEvent * 1e6 < double(waitUs))
        waitUs = static_cast<int64_t>(std::max(0.0, untilEvent) * 1e6);
    return static_cast<int>(std::max<int64_t>(0, (waitUs + 999) / 1000));
}

void TSimRunner::Run(const std::atomic<bool>& stop) {
    while (!stop.load()) {
        pollfd p{FLine.Fd(), POLLIN, 0};
        const int ready = poll(&p, 1, WaitMs());
        if (ready > 0 && (p.revents & POLLIN)) {
            Receive();
        } else if (auto frame = FRtu.Expire(NowUs()); frame && !IsAsciiProtocol(FBus.Protocol)) {
            Serve(*frame);
        }
        MoveTime();
    }
}

void TSimRunner::Receive() {
    const std::vector<uint8_t> bytes = FLine.ReadAvailable();
    if (IsAsciiProtocol(FBus.Protocol)) {
        for (const std::string& frame : FAscii.Feed(bytes)) {
            Serve({reinterpret_cast<const uint8_t*>(frame.data()), frame.size()});
        }
        return;
    }
    for (const auto& frame : FRtu.Feed(bytes, NowUs())) {
        Serve(frame);
    }
}

void TSimRunner::Serve(std::span<const uint8_t> frame) {
    Log("rx", frame);
    const TSimReply reply = FBus.Answer(frame);
    if (reply.Bytes.empty()) {
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(FBus.ResponseDelayMs(reply.Address)));
    if (!FLine.WritePaced(reply.Bytes, FConfig.Baud)) {
        Log("reply to unit " + std::to_string(reply.Address) + " could not be sent");
        return;
    }
    Log("tx", reply.Bytes);
}

void TSimRunner::MoveTime() {
    const double now = ScenarioSeconds();
    if (now - FTickedSeconds >= TickSeconds * FConfig.TimeScale) {
        FBus.Tick(now - FTickedSeconds);
        FTickedSeconds = now;
    }
    for (const TScenarioEvent* e : FPlayer.Advance(FBus.Units, now)) {
        Log(e->Text);
    }
}

void TSimRunner::Log(const std::string& what, std::span<const uint8_t> bytes) {
    const bool ascii = IsAsciiProtocol(FBus.Protocol);
    Log(what + " " +
        (ascii ? Printable(bytes) : BytesToHexText(bytes, static_cast<int>(bytes.size()), " ")));
}

void TSimRunner::Log(const std::string& line) {
    if (FConfig.Quiet) {
        return;
    }
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "[%9.3f] ", ScenarioSeconds());
    FLog << stamp << line << '\n' << std::flush;
}
