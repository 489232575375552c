// pelmora-sim: a bus of simulated UPS units for demos and end-to-end tests.

#include "tools/sim/ScenarioPlayer.h"
#include "tools/sim/SimBus.h"
#include "tools/sim/SimLine.h"
#include "tools/sim/SimOptions.h"
#include "tools/sim/SimRunner.h"

#include <atomic>
#include <csignal>
#include <iostream>

namespace {

std::atomic<bool> StopRequested{false};

extern "C" void OnStopSignal(int) {
    StopRequested.store(true);
}

void CatchStopSignals() {
    struct sigaction sa {};
    sa.sa_handler = OnStopSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
}

TSimBus MakeBus(const TSimOptions& o, const TScenario& scenario) {
    std::vector<int> extra = o.Units;
    if (scenario.Units.empty() && extra.empty()) {
        extra.push_back(1);
    }
    TSimBus bus;
    bus.Protocol = *ProtocolFromIndex(o.Protocol);
    bus.Units = BuildUnits(scenario, extra);
    if (o.UnlockValue != 0) {
        bus.UnlockValue = o.UnlockValue;
    }
    return bus;
}

int Run(const TSimOptions& o) {
    CatchStopSignals();
    const TScenario scenario = o.ScenarioPath.empty() ? TScenario{} : LoadScenario(o.ScenarioPath);
    TSimBus bus = MakeBus(o, scenario);
    TScenarioPlayer player(scenario.Events);
    TSimLine line = o.DevicePath.empty() ? TSimLine::OpenPty(o.LinkPath)
                                         : TSimLine::OpenDevice(o.DevicePath, o.Baud);
    std::cout << line.DevicePath() << std::endl;
    TSimRunner runner(bus, line, player, {o.Baud, o.TimeScale, o.Quiet}, std::cerr);
    runner.Run(StopRequested);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    try {
        const TSimOptions o = ParseSimOptions(std::vector<std::string>(argv + 1, argv + argc));
        if (o.Help) {
            std::cout << SimUsage();
            return 0;
        }
        return Run(o);
    } catch (const std::exception& e) {
        std::cerr << "pelmora-sim: " << e.what() << '\n';
        return 2;
    }
}
