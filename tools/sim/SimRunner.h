#pragma once
// The simulator's loop: waits for bytes on the line, cuts them into frames,
// lets the bus answer after the unit's response delay, sends the reply at the
// line speed, and moves simulated time on (measurements, battery tests and
// the scenario's events). Single-threaded; everything it touches is its own
// while it runs.

#include "tools/sim/AsciiFrameReader.h"
#include "tools/sim/RtuFrameReader.h"
#include "tools/sim/ScenarioPlayer.h"
#include "tools/sim/SimBus.h"
#include "tools/sim/SimLine.h"

#include <atomic>
#include <chrono>
#include <ostream>
#include <span>
#include <string>

struct TRunnerConfig {
    int Baud = 9600;
    double TimeScale = 1; // scenario seconds per real second
    bool Quiet = false;   // no traffic or event lines on the log
};

class TSimRunner {
public:
    TSimRunner(TSimBus& bus, TSimLine& line, TScenarioPlayer& player, const TRunnerConfig& config,
               std::ostream& log);

    // Serves the line until stop becomes true (looked at every 50 ms at most).
    void Run(const std::atomic<bool>& stop);

private:
    using TClock = std::chrono::steady_clock;

    [[nodiscard]] int64_t NowUs() const;
    [[nodiscard]] double ScenarioSeconds() const;
    [[nodiscard]] int WaitMs() const;
    void Receive();
    void Serve(std::span<const uint8_t> frame);
    void MoveTime();
    void Log(const std::string& what, std::span<const uint8_t> bytes);
    void Log(const std::string& line);

    TSimBus& FBus;
    TSimLine& FLine;
    TScenarioPlayer& FPlayer;
    TRunnerConfig FConfig;
    std::ostream& FLog;
    TAsciiFrameReader FAscii;
    TRtuFrameReader FRtu;
    TClock::time_point FStart;
    double FTickedSeconds = 0; // scenario time the units have been ticked to
};
