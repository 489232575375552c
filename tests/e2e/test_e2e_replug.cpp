// The adapter is unplugged and plugged in again while the real monitor runs:
// the simulator is killed (its pseudo-terminal goes with it) and a new one is
// started behind the same link. The monitor must notice the loss on its own,
// log it, find the line again without anyone touching it, and poll the units.
// The data log runs throughout: the outage leaves a gap, never a row of zeros.

#include "record/UpsInfoRec.h"
#include "tests/e2e/E2eRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <sys/wait.h>

namespace {

using namespace std::chrono_literals;

constexpr int EvtPortLost = 18, EvtPortRecovered = 23, EvtCommEstablished = 22;

bool Logged(const std::vector<TEventRec>& events, int address, int code) {
    return std::any_of(events.begin(), events.end(), [&](const TEventRec& e) {
        return e.Kind == EventKindProgram && e.Address == address && e.Code == code;
    });
}

// (address, code) of the program's own port events, in order.
std::vector<int> PortEvents(const std::vector<TEventRec>& events) {
    std::vector<int> codes;
    for (const TEventRec& e : events)
        if (e.Kind == EventKindProgram && e.Address == 0)
            codes.push_back(e.Code);
    return codes;
}

// The unit has answered every step of a visit on the new line.
bool AnsweredAgain(const TE2eRun& run) {
    const auto frames = run.SimFrames();
    return std::count_if(frames.begin(), frames.end(),
                         [](const TSimFrame& f) { return f.Reply && f.Address == 1; }) >= 6;
}

// Rows whose measurements are not a reading of the running simulator.
std::vector<double> InventedRows(const std::vector<TDataRec>& records) {
    std::vector<double> times;
    for (const TDataRec& r : records) {
        TUpsInfoRec values;
        DecodeMeasureBlock(r.Values, values);
        if (values.InputVoltA <= 0 || values.OutputVoltA <= 0)
            times.push_back(r.Time);
    }
    return times;
}

TEST(TEndToEndReplug, LostLineIsLoggedAndFoundAgain) {
    TE2eRun run({.Protocol = 2,
                 .Scenario = "unit 1 model \"VEX610\" state online alarm 23\n",
                 .Devices = {{0, 1, "UPS 1"}},
                 .RecInterval = 2});
    ASSERT_TRUE(WaitUntil([&] { return Logged(run.Events(), 1, EvtCommEstablished); }, 30s))
        << run.MonitorLog();

    ASSERT_TRUE(run.KillSimulator());
    ASSERT_TRUE(WaitUntil([&] { return Logged(run.Events(), 0, EvtPortLost); }, 10s))
        << "the vanished line was not noticed";

    run.RestartSimulator(2);
    EXPECT_TRUE(WaitUntil(
        [&] {
            return PortEvents(run.Events()) == std::vector<int>{20, 23, 18, 23};
        },
        15s))
        << "the line was not found again";
    EXPECT_TRUE(WaitUntil([&] { return AnsweredAgain(run); }, 15s))
        << "the unit is not polled on the new line:\n"
        << run.SimLog();

    ASSERT_TRUE(run.StopMonitor());
    EXPECT_TRUE(WIFEXITED(run.MonitorExitStatus()) && WEXITSTATUS(run.MonitorExitStatus()) == 0);
    EXPECT_EQ(PortEvents(run.Events()), (std::vector<int>{20, 23, 18, 23, 21}));
    // The standing alarm was raised once; the outage neither cleared it nor
    // raised it again.
    std::vector<int> alarmFlags;
    for (const TEventRec& e : run.Events())
        if (e.Kind == EventKindAlarm && e.Address == 1 && e.Code == 23)
            alarmFlags.push_back(e.AlarmFlag);
    EXPECT_EQ(alarmFlags, std::vector<int>{1});
    const auto records = run.DataRecords();
    EXPECT_FALSE(records.empty());
    EXPECT_TRUE(InventedRows(records).empty()) << records.size() << " rows in all";
    const auto events = run.Events();
    const auto lost = std::find_if(events.begin(), events.end(), [](const TEventRec& e) {
        return e.Kind == EventKindProgram && e.Address == 0 && e.Code == EvtPortLost;
    });
    ASSERT_NE(lost, events.end());
    const auto found = std::find_if(lost, events.end(), [](const TEventRec& e) {
        return e.Kind == EventKindProgram && e.Address == 0 && e.Code == EvtPortRecovered;
    });
    ASSERT_NE(found, events.end());
    EXPECT_EQ(std::count_if(
                  records.begin(), records.end(),
                  [&](const TDataRec& r) { return r.Time > lost->Time && r.Time < found->Time; }),
              0)
        << "rows logged while the line was gone";
}

} // namespace
