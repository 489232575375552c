// Fast poll on the real monitor against the real simulator: sixteen units on
// the bus, all in the device list. With fast poll every unit is seen
// communicating within the first seconds.

#include "tests/e2e/E2eRun.h"

#include <gtest/gtest.h>

#include <chrono>
#include <set>
#include <sstream>
#include <string>

namespace {

using namespace std::chrono_literals;

constexpr int UnitCount = 16;
constexpr int CodeCommUpbuilt = 22; // a unit's first good reply after start
// A unit that answers gets its whole sequence (4 or 5 requests) before the
// next is asked: with fixed waits the sixteenth is first seen after 80 to
// 100 s; fast poll takes some 4 to 8 s here, the rest is room for a busy
// machine.
constexpr auto SeenWithin = 20s;

std::set<int> UnitsCommunicating(const TE2eRun& run) {
    std::set<int> units;
    for (const TEventRec& rec : run.Events()) {
        if (rec.Kind == EventKindProgram && rec.Code == CodeCommUpbuilt)
            units.insert(rec.Address);
    }
    return units;
}

class E2eFastPoll : public ::testing::TestWithParam<int> {};

TEST_P(E2eFastPoll, EveryUnitIsSeenWithinTheFirstSeconds) {
    TE2eConfig config;
    config.Protocol = GetParam();
    config.FastPoll = true;
    std::ostringstream scenario;
    for (int unit = 1; unit <= UnitCount; ++unit) {
        scenario << "unit " << unit << " model \"VEX610\" state online\n";
        config.Devices.push_back({0, uint8_t(unit), "UPS " + std::to_string(unit)});
    }
    config.Scenario = scenario.str();
    TE2eRun run(config);
    const bool seen =
        WaitUntil([&] { return int(UnitsCommunicating(run).size()) == UnitCount; }, SeenWithin);
    EXPECT_TRUE(seen) << UnitsCommunicating(run).size() << " of " << UnitCount << " units seen\n"
                      << run.MonitorLog();
    ASSERT_TRUE(run.StopMonitor());
    EXPECT_EQ(run.MonitorExitStatus(), 0);
}

INSTANTIATE_TEST_SUITE_P(Protocols, E2eFastPoll, ::testing::Values(0, 2), [](const auto& info) {
    return info.param == 0 ? std::string("Modular") : std::string("Modbus");
});

} // namespace
