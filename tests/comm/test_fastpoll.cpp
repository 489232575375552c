// Fast poll: the engine on a clock of the test's own, over a real
// pseudo-terminal. A small event loop plays the host and the bus: the 100 ms
// ticks, the steps the engine asks for, and the replies of the units that
// answer, each at its own time.

#include "comm/BusHealthText.h"
#include "tests/comm/PollEngineFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <thread>
#include <vector>

namespace {

// The test codec's frames are 2 bytes and it names no longest reply: the
// engine assumes 400 bytes. At 9600 baud with a read interval of 20 ms:
// 402 bytes take 419 ms, + 20 + the margin.
constexpr int TestTimeoutMs = 419 + 20 + FastReplyMarginMs;
// The 2-byte request leaves the port 3 ms after it was handed over.
constexpr int RequestLineMs = 3;

// The frames the engine sends, as the trace window sees them.
struct TRecordingTrace : TTraceSink {
    std::vector<std::string> Sent;
    void EchoReceived(const uint8_t*, int) override {}
    void EchoSent(const uint8_t* bytes, int length) override {
        Sent.emplace_back(bytes, bytes + length);
    }
    void RefreshTrace() override {}
    void ShowRecCountdown(int32_t) override {}
};

class FastPollTest : public PollEngineTest {
protected:
    int64_t Now = 1000;
    int64_t NextTickAt = 1100;
    std::optional<int64_t> StepAt;
    std::optional<int64_t> ReplyAt;
    uint8_t ReplyFrom = 0;
    std::map<uint8_t, int> ReplyDelayMs; // units that answer, after this long
    int32_t SentSeen = 0;
    int Steps = 0;
    std::vector<int64_t> SentTimes; // when each transmission went out
    // Garbage on the line every NoiseEveryMs until NoiseUntil; the units'
    // replies in that time arrive garbled.
    int64_t NoiseUntil = 0;
    int64_t NextNoiseAt = 0;
    int NoiseEveryMs = 0;

    void SetUp() override {
        PollEngineTest::SetUp();
        UserPara.PortInfo.FastPoll = true;
        Engine.Clock = [this] { return Now; };
        Engine.ScheduleStep = [this](int delayMs) { StepAt = Now + delayMs; };
    }

    // Runs the host and the bus until the clock reaches `until`.
    void RunUntil(int64_t until) {
        for (;;) {
            int64_t at = NextTickAt;
            if (StepAt && *StepAt < at)
                at = *StepAt;
            if (ReplyAt && *ReplyAt < at)
                at = *ReplyAt;
            const bool noisy = NextNoiseAt < NoiseUntil;
            if (noisy && NextNoiseAt < at)
                at = NextNoiseAt;
            if (at > until)
                break;
            Now = at;
            if (ReplyAt && *ReplyAt == at) {
                ReplyAt.reset();
                Deliver(Now < NoiseUntil ? "R\x13\xff" : Frame('R', ReplyFrom));
            } else if (noisy && NextNoiseAt == at) {
                NextNoiseAt += NoiseEveryMs;
                Deliver("\xfe\x01\x7f garbage");
            } else if (StepAt && *StepAt == at) {
                StepAt.reset();
                ++Steps;
                Engine.FastStep();
            } else {
                NextTickAt += EngineTimerInterval;
                Engine.Timer1Timer();
                (void)Pty.Read(1 << 16, 0ms); // keep the line drained
            }
            AnswerNewTransmission();
        }
        Now = until;
    }
    void RunFor(int64_t ms) { RunUntil(Now + ms); }

    void AnswerNewTransmission() {
        if (CommDebug.TxFrames == SentSeen)
            return;
        SentSeen = CommDebug.TxFrames;
        SentTimes.push_back(Now);
        const auto unit = ReplyDelayMs.find(EquipList.PollAddress);
        if (unit == ReplyDelayMs.end())
            return;
        ReplyAt = Now + unit->second;
        ReplyFrom = unit->first;
    }
};

TEST(FastReplyTimeout, FollowsLineSpeedReplyLengthAndReadInterval) {
    struct TRow {
        int32_t Baud, Request, Reply, ReadInterval;
        int Expected;
    };
    const TRow rows[] = {
        {9600, 8, 13, 200, 22 + 200 + FastReplyMarginMs},    // Modbus, 4 registers
        {9600, 18, 400, 200, 436 + 200 + FastReplyMarginMs}, // ASCII, the longest chunk
        {19200, 8, 13, 20, 11 + 20 + FastReplyMarginMs},
        {1200, 8, 13, 0, 175 + FastReplyMarginMs},
        {9600, 8, 13, -5, 22 + FastReplyMarginMs}, // a negative interval counts as none
        {0, 1, 0, 0, 10000 + FastReplyMarginMs},   // no speed set: 1 bit/s, never 0 ms
    };
    for (const TRow& row : rows)
        EXPECT_EQ(FastReplyTimeoutMs(row.Baud, row.Request, row.Reply, row.ReadInterval),
                  row.Expected)
            << row.Baud << " baud, " << row.Reply << " bytes";
}

// With FastPoll off a reply asks for no step, and a step changes nothing:
// the tick table stays as it is.
TEST_F(FastPollTest, OffKeepsTheFixedTickTable) {
    UserPara.PortInfo.FastPoll = false;
    AddDevice(5);
    ASSERT_TRUE(Engine.Start());
    std::vector<uint8_t> steps;
    for (int i = 0; i < 26; ++i) {
        Engine.Timer1Timer();
        if (i == 1)
            Deliver(Frame('R', 5));
        Engine.FastStep();
        steps.push_back(Engine.EngineStep);
    }
    std::vector<uint8_t> one{StepBuilt, StepWaitOver};
    one.insert(one.end(), TicksPerTransmission, StepWaiting);
    one.push_back(StepWaitOver);
    std::vector<uint8_t> expected = one;
    expected.insert(expected.end(), one.begin(), one.end());
    EXPECT_EQ(steps, expected);
    EXPECT_FALSE(StepAt.has_value());
    EXPECT_EQ(CommDebug.TxFrames, 2);
}

TEST_F(FastPollTest, ReplyEndsTheWaitAndTheNextRequestGoesOutAtOnce) {
    AddDevice(5);
    AddDevice(7);
    ReplyDelayMs = {{5, 30}, {7, 45}};
    ASSERT_TRUE(Engine.Start());
    Engine.Timer1Timer(); // built and transmitted in the same tick
    EXPECT_EQ(Engine.EngineStep, StepWaitOver);
    EXPECT_EQ(CommDebug.TxFrames, 1);
    EXPECT_EQ(Engine.ReplyTimeoutMs, TestTimeoutMs);
    ASSERT_TRUE(StepAt.has_value());
    EXPECT_EQ(*StepAt, Now + TestTimeoutMs);
    AnswerNewTransmission();

    RunUntil(Now + 30);
    EXPECT_EQ(CommDebug.TxFrames, 2) << "the reply from 5 sent the request for 7 at once";
    EXPECT_EQ(EquipList.PollAddress, 7);
    RunUntil(Now + 45);
    EXPECT_EQ(CommDebug.TxFrames, 3);
    EXPECT_EQ(Pty.Read(6, 5s), Frame('Q', 5) + Frame('Q', 7) + Frame('Q', 5));

    const TUnitHealth& five = BusHealth.Units[5];
    const TUnitHealth& seven = BusHealth.Units[7];
    EXPECT_EQ(five.Requests, 2u);
    EXPECT_EQ(five.GoodReplies, 1u);
    EXPECT_EQ(five.LastReplyMs, 30 - RequestLineMs) << "from the last byte sent";
    EXPECT_EQ(seven.LastReplyMs, 45 - RequestLineMs);
    EXPECT_EQ(seven.LastGoodAt, Now);
    EXPECT_EQ(BusHealth.LastCycleMs, 75) << "5 and 7 answered, then 5 again";
    EXPECT_EQ(UpsTable[5].OkCount, 1);
    EXPECT_EQ(UpsTable[7].OkCount, 1);
}

TEST_F(FastPollTest, SilentUnitEndsAtItsTimeOutAndStillTurnsToErrorThenLost) {
    AddDevice(5);
    ASSERT_TRUE(Engine.Start());
    Engine.Timer1Timer();
    Deliver(Frame('R', 5));
    Engine.FastStep();
    ASSERT_EQ(UpsTable[5].CommState, CommCommunicating);
    ASSERT_EQ(CommDebug.TxFrames, 2);
    const int64_t sentAt = Now;
    // A step before the time-out (the tick's own check) changes nothing.
    Now = sentAt + TestTimeoutMs - 1;
    Engine.FastStep();
    EXPECT_EQ(Engine.EngineStep, StepWaiting);
    EXPECT_EQ(CommDebug.TxFrames, 2);
    Now = sentAt + TestTimeoutMs;
    Engine.FastStep();
    EXPECT_EQ(CommDebug.TxFrames, 3) << "ended at the time-out, the next request out at once";

    // Transmissions after the last good reply and the state each leaves.
    const uint8_t expected[] = {0, 0, 0, 1, 1, 1, 1, 1, 1, 2};
    EXPECT_EQ(UpsTable[5].CommState, expected[1]);
    for (int n = 3; n <= 10; ++n) {
        Now += TestTimeoutMs;
        Engine.FastStep();
        EXPECT_EQ(UpsTable[5].CommState, expected[n - 1]) << "transmission " << n;
    }
    EXPECT_EQ(CommEvents().back(), (std::pair<int, int>{5, 18}));
    EXPECT_EQ(BusHealth.Units[5].Requests, 11u);
    EXPECT_EQ(BusHealth.Units[5].GoodReplies, 1u);
}

// Without the host's step (it never came) the 100 ms tick ends the wait at
// the first tick past the time-out.
TEST_F(FastPollTest, TickEndsTheWaitWhenNoStepComes) {
    Engine.ScheduleStep = nullptr;
    AddDevice(5);
    ASSERT_TRUE(Engine.Start());
    const int64_t sentAt = Now;
    Engine.Timer1Timer();
    int ticks = 0;
    while (CommDebug.TxFrames < 2) {
        ASSERT_LT(++ticks, 100);
        Now += EngineTimerInterval;
        Engine.Timer1Timer();
    }
    EXPECT_EQ(Now - sentAt, (TestTimeoutMs / EngineTimerInterval + 1) * EngineTimerInterval);
}

TEST_F(FastPollTest, ResendsFollowMaxReSendAndARejectedChunkLeadsToTheNext) {
    UserPara.PortInfo.MaxReSend = 3;
    AddDevice(5);
    ASSERT_TRUE(Engine.Start());
    Engine.Timer1Timer();
    const int64_t sentAt = Now;
    Deliver("garbage");
    ASSERT_TRUE(StepAt.has_value());
    EXPECT_EQ(*StepAt, Now) << "a rejected chunk ends the wait too";
    Engine.FastStep();
    EXPECT_EQ(CommDebug.TxFrames, 1) << "not while the longest reply could still be on the line";
    ASSERT_TRUE(StepAt.has_value());
    EXPECT_EQ(*StepAt, sentAt + LineTimeMs(9600, 2 + 400));
    Now = *StepAt;
    Engine.FastStep();
    EXPECT_EQ(CommDebug.TxFrames, 2) << "the second transmission of the same request";
    Deliver(Frame('R', 5));
    Engine.FastStep();
    EXPECT_EQ(CommDebug.TxFrames, 3) << "answered: the next request, no third transmission";
    EXPECT_EQ(Pty.Read(6, 5s), Frame('Q', 5) + Frame('Q', 5) + Frame('Q', 5));
    EXPECT_EQ(BusHealth.Units[5].Rejects[RejectOther], 1u);
    EXPECT_EQ(BusHealth.Units[5].GoodReplies, 1u);
}

// Garbage floods the line for ten seconds, then stops. Requests under the
// flood go out no faster than a request and its longest reply fit on the line
// (noise with pauses longer than the read interval), or than the reply
// time-out (noise that never pauses that long); after it the units are heard
// again within a few bus cycles.
struct TFloodRow {
    const char* Name;
    int NoiseEveryMs;
    int MinGapMs;
};

class FastPollFlood : public FastPollTest, public ::testing::WithParamInterface<TFloodRow> {};

TEST_P(FastPollFlood, RequestRateIsBoundedAndTheLineRecovers) {
    UserPara.PortInfo.MaxReSend = 3;
    AddDevice(5);
    AddDevice(7);
    ReplyDelayMs = {{5, 30}, {7, 30}};
    ASSERT_TRUE(Engine.Start());
    RunFor(500);
    ASSERT_GT(UpsTable[7].OkCount, 0);
    NoiseEveryMs = GetParam().NoiseEveryMs;
    NextNoiseAt = Now;
    NoiseUntil = Now + 10000;
    SentTimes.clear();
    RunUntil(NoiseUntil);
    ASSERT_GE(SentTimes.size(), 2u);
    for (std::size_t i = 1; i < SentTimes.size(); ++i)
        EXPECT_GE(SentTimes[i] - SentTimes[i - 1], GetParam().MinGapMs) << "request " << i;
    EXPECT_LE(SentTimes.size(), std::size_t(10000 / GetParam().MinGapMs + 1));

    const int ok5 = UpsTable[5].OkCount, ok7 = UpsTable[7].OkCount;
    RunFor(3 * TestTimeoutMs); // at most a few cycles of two units
    EXPECT_GT(UpsTable[5].OkCount, ok5);
    EXPECT_GT(UpsTable[7].OkCount, ok7);
    const int32_t sent = CommDebug.TxFrames;
    RunFor(1000);
    EXPECT_GE(CommDebug.TxFrames - sent, 25) << "back to a request every 30 ms";
}

INSTANTIATE_TEST_SUITE_P(Noise, FastPollFlood,
                         ::testing::Values(TFloodRow{"Pausing", 50, int(LineTimeMs(9600, 402))},
                                           TFloodRow{"Steady", 15, TestTimeoutMs}),
                         [](const auto& info) { return std::string(info.param.Name); });

// A late reply of the unit asked before arrives while the next unit's
// request waits: the codec rejects it and the wait goes on for the real one.
struct TLateRow {
    const char* Name;
    bool CountsLetters; // the ASCII codecs' way; otherwise the codec's hook
};

class FastPollLateReply : public FastPollTest, public ::testing::WithParamInterface<TLateRow> {};

TEST_P(FastPollLateReply, IsNotTakenForTheNextUnitsReply) {
    Codec.CountsLetters = GetParam().CountsLetters;
    if (!Codec.CountsLetters) {
        Engine.Codecs[0].FromOtherAddress = [this](const uint8_t* bytes, int length) {
            return length == 2 && bytes[1] != Codec.Current;
        };
    }
    AddDevice(5);
    AddDevice(7);
    ASSERT_TRUE(Engine.Start());
    Engine.Timer1Timer();
    Now += TestTimeoutMs;
    Engine.FastStep(); // 5 timed out, 7 asked
    ASSERT_EQ(EquipList.PollAddress, 7);
    StepAt.reset();
    Now += 10;
    Deliver(Frame('R', 5)); // 5's reply, too late
    EXPECT_FALSE(StepAt.has_value()) << "the late chunk does not end 7's wait";
    Engine.FastStep();
    EXPECT_EQ(CommDebug.TxFrames, 2);
    EXPECT_EQ(UpsTable[5].OkCount, 0);
    EXPECT_EQ(UpsTable[7].OkCount, 0);
    Now += 20;
    Deliver(Frame('R', 7));
    Engine.FastStep();
    EXPECT_EQ(UpsTable[7].OkCount, 1);
    EXPECT_EQ(BusHealth.Units[7].LastReplyMs, 30 - RequestLineMs);
    EXPECT_EQ(CommDebug.TxFrames, 3);
}

INSTANTIATE_TEST_SUITE_P(Codecs, FastPollLateReply,
                         ::testing::Values(TLateRow{"LetterC", true}, TLateRow{"Hook", false}),
                         [](const auto& info) { return std::string(info.param.Name); });

// The port joins the bytes of a reply with a pause shorter than its read
// interval into one chunk: the engine sees one reply and ends the wait once.
TEST_F(FastPollTest, ReplySplitByAPauseWithinTheReadIntervalIsOneReply) {
    UserPara.PortInfo.ReadIntervalTimeout = 500;
    AddDevice(5);
    ASSERT_TRUE(Engine.Start());
    Engine.Timer1Timer();
    ASSERT_EQ(Pty.Read(2, 5s), Frame('Q', 5));
    Pty.Write("R");
    std::this_thread::sleep_for(20ms); // the unit pauses inside its reply
    Pty.Write(std::string(1, '\x05'));
    ASSERT_TRUE(DeliverUntil(Comm, Sink, [&] { return !Codec.ParsedLengths.empty(); }));
    EXPECT_EQ(Codec.ParsedLengths, std::vector<int>{2});
    EXPECT_EQ(UpsTable[5].OkCount, 1);
    Engine.FastStep();
    EXPECT_EQ(CommDebug.TxFrames, 2);
}

// With the codec's frame rule the port hands a whole reply over at once, not
// after the line's silence: with a read interval of a minute the test could
// only pass that way. A reply in two pieces is still one chunk.
TEST_F(FastPollTest, WholeFrameIsHandedOverWithoutWaitingForTheReadInterval) {
    UserPara.PortInfo.ReadIntervalTimeout = 60000;
    Engine.Codecs[0].FrameRest = [](const uint8_t* bytes,
                                    std::size_t count) -> std::optional<std::size_t> {
        if (bytes[0] != 'R')
            return std::nullopt;
        return count < 2 ? 2 - count : 0;
    };
    AddDevice(5);
    ASSERT_TRUE(Engine.Start());
    Engine.Timer1Timer();
    ASSERT_EQ(Pty.Read(2, 5s), Frame('Q', 5));
    Pty.Write("R");
    Pty.Write(std::string(1, '\x05'));
    ASSERT_TRUE(DeliverUntil(
        Comm, Sink, [&] { return !Codec.ParsedLengths.empty(); }, 20s));
    EXPECT_EQ(Codec.ParsedLengths, std::vector<int>{2});
    EXPECT_EQ(UpsTable[5].OkCount, 1);
}

TEST_F(FastPollTest, QueuedCommandsSearchAndManualModeWorkAsWithFixedWaits) {
    AddDevice(5);
    ReplyDelayMs = {{3, 20}, {9, 20}}; // 5 stays silent
    std::vector<int> found;
    uint8_t current = 2;
    SearchHooks.NextSearchAddress = [&] {
        if (++current > 4)
            SearchMode = 0;
        return current;
    };
    SearchHooks.DeviceFound = [&](uint8_t address) { found.push_back(address); };
    CommandQueue[0] = {255, 9, 6, 40004, 1};
    TRecordingTrace trace;
    Engine.Trace = &trace;
    Engine.TraceVisible = true;
    ASSERT_TRUE(Engine.Start());
    Engine.TraceVisible = true;
    RunFor(100); // the command to 9 goes out
    RunFor(100); // 9 answered at once: 5 is asked
    SearchMode = 255;
    RunFor(2 * TestTimeoutMs + 100); // 5 times out, then probes 3 (answers) and 4 (silent)
    EXPECT_EQ(found, std::vector<int>{3});
    ManualSendMode = 255;
    RunFor(2 * TestTimeoutMs);
    const std::size_t sent = trace.Sent.size();
    RunFor(3000);
    EXPECT_EQ(trace.Sent.size(), sent) << "no request in manual mode";
    const std::vector<std::string> first{Frame('W', 9), Frame('Q', 5), Frame('P', 3),
                                         Frame('P', 4)};
    ASSERT_GE(trace.Sent.size(), first.size());
    EXPECT_TRUE(std::equal(first.begin(), first.end(), trace.Sent.begin()));
    EXPECT_EQ(BusHealth.Units[9].GoodReplies, 1u);
    EXPECT_EQ(BusHealth.Units[3].GoodReplies, 1u);
}

TEST_F(FastPollTest, QueuedCommandDoesNotStartABusCycle) {
    AddDevice(5);
    ReplyDelayMs = {{5, 40}};
    ASSERT_TRUE(Engine.Start());
    RunUntil(1190); // 5 asked at 1100, 1140, 1180
    EXPECT_EQ(BusHealth.LastCycleMs, 40);
    CommandQueue[0] = {255, 5, 6, 40004, 1};
    RunUntil(1299); // the command at 1220, the poll at 1260
    EXPECT_EQ(BusHealth.LastCycleMs, 80) << "the cycle runs from poll to poll, command included";
    EXPECT_EQ(BusHealth.Units[5].Requests, 5u);
}

// No cycle runs on a closed line: the status bar shows none, and the first
// figure after the reopening is a whole cycle on the new line.
TEST_F(FastPollTest, ClosedLineShowsNoBusCycle) {
    AddDevice(5);
    ReplyDelayMs = {{5, 40}};
    ASSERT_TRUE(Engine.Start());
    RunUntil(1190);
    ASSERT_EQ(BusHealth.LastCycleMs, 40);
    Engine.CloseComm();
    EXPECT_EQ(BusHealth.LastCycleMs, -1);
    EXPECT_EQ(BusCycleStatus(BusHealth, 0), "");
    Engine.OpenComm();
    RunFor(30);
    EXPECT_EQ(BusHealth.LastCycleMs, -1) << "one poll since the reopening is no cycle yet";
}

// Fixed and fast timing write the same data-log rounds and log the same
// events in the same order; only the time between them differs.
class FastPollSameRecords : public FastPollTest, public ::testing::WithParamInterface<bool> {};

TEST_P(FastPollSameRecords, DataLogRoundsAndEventOrder) {
    UserPara.PortInfo.FastPoll = GetParam();
    UserPara.RecInterval = 100;
    for (uint8_t address : {5, 7, 9})
        AddDevice(address);
    ReplyDelayMs = {{5, 30}, {9, 60}};
    ASSERT_TRUE(Engine.Start());
    RunFor(3000);
    ReplyDelayMs.erase(9); // 9 falls silent
    RunFor(60000);
    ReplyDelayMs[9] = 60; // and comes back
    RunFor(30000);

    const std::vector<std::pair<int, int>> events{{0, 20}, {0, 23}, {5, 22},
                                                  {9, 22}, {9, 18}, {9, 22}};
    EXPECT_EQ(CommEvents(), events);

    std::vector<int> addresses;
    for (const TDataRec& rec : DataRecords())
        addresses.push_back(rec.Address);
    // 930 ticks: rounds on the first tick and then every 101 ticks, 10 in
    // all; the first comes before any reply, 5 is in each of the other nine.
    EXPECT_EQ(std::count(addresses.begin(), addresses.end(), 5), 9);
    EXPECT_EQ(std::count(addresses.begin(), addresses.end(), 7), 0);
    for (std::size_t i = 0; i < addresses.size(); ++i) {
        if (addresses[i] == 9) {
            EXPECT_TRUE(i > 0 && addresses[i - 1] == 5) << "list order within a round";
        }
    }
    const std::vector<int> lastRounds{5, 9, 5, 9, 5, 9};
    ASSERT_GE(addresses.size(), lastRounds.size());
    EXPECT_TRUE(std::equal(lastRounds.begin(), lastRounds.end(), addresses.end() - 6));
}

INSTANTIATE_TEST_SUITE_P(Timing, FastPollSameRecords, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Fast" : "Fixed"; });

} // namespace
