// The poll engine with fixed timing, driven tick by tick against a real
// pseudo-terminal (PollEngineFixture.h).

#include "tests/comm/PollEngineFixture.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <memory>
#include <vector>

namespace {

// ---------------------------------------------------------------------------
// Timing of one request for each MaxReSend, with the device answering every
// transmission at once: a reply neither shortens the wait nor cancels the
// remaining transmissions.

struct TTimingRow {
    uint8_t MaxReSend;
    int SendsPerRequest;
};

class PollEngineTiming : public PollEngineTest, public ::testing::WithParamInterface<TTimingRow> {};

std::vector<uint8_t> OneRequestSteps(int sends) {
    std::vector<uint8_t> steps{StepBuilt, StepWaitOver};
    for (int i = 0; i < sends; ++i) {
        steps.insert(steps.end(), TicksPerTransmission, StepWaiting);
        steps.push_back(StepWaitOver);
    }
    return steps;
}

TEST_P(PollEngineTiming, RequestsFollowTheTickTable) {
    const TTimingRow row = GetParam();
    UserPara.PortInfo.MaxReSend = row.MaxReSend;
    AddDevice(5);
    ASSERT_TRUE(Engine.Start());

    const int requests = 3;
    std::vector<uint8_t> expected;
    for (int r = 0; r < requests; ++r) {
        const auto one = OneRequestSteps(row.SendsPerRequest);
        expected.insert(expected.end(), one.begin(), one.end());
    }
    std::vector<uint8_t> steps;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const int sentBefore = CommDebug.TxFrames;
        Engine.Timer1Timer();
        steps.push_back(Engine.EngineStep);
        if (CommDebug.TxFrames > sentBefore)
            Deliver(Frame('R', 5));
    }
    EXPECT_EQ(steps, expected);
    Engine.Timer1Timer();
    EXPECT_EQ(Engine.EngineStep, StepBuilt) << "the next request follows at once";

    const int sends = requests * row.SendsPerRequest;
    EXPECT_EQ(CommDebug.TxFrames, sends);
    EXPECT_EQ(UpsTable[5].SendCount, sends);
    std::string wire;
    for (int i = 0; i < sends; ++i)
        wire += Frame('Q', 5);
    EXPECT_EQ(Pty.Read(wire.size(), 5s), wire);
    EXPECT_EQ(Pty.Read(1, 50ms), "") << "nothing more on the line";
}

INSTANTIATE_TEST_SUITE_P(MaxReSend, PollEngineTiming,
                         ::testing::Values(TTimingRow{0, 0}, TTimingRow{1, 0}, TTimingRow{2, 1},
                                           TTimingRow{3, 2}),
                         [](const auto& info) {
                             return "MaxReSend" + std::to_string(info.param.MaxReSend);
                         });

TEST_F(PollEngineTest, SendLimitIsTakenWhenTheRequestIsBuilt) {
    AddDevice(5);
    ASSERT_TRUE(Engine.Start());
    Ticks(1); // built with MaxReSend 2
    UserPara.PortInfo.MaxReSend = 3;
    Ticks(12);
    EXPECT_EQ(CommDebug.TxFrames, 1);
    EXPECT_EQ(Engine.AwaitingReply, 0);
}

// ---------------------------------------------------------------------------
// Start, end and the port cycle.

TEST_F(PollEngineTest, StartAndEndWriteTheProgramEvents) {
    SearchMode = 255;
    ManualSendMode = 255;
    ASSERT_TRUE(Engine.Start());
    EXPECT_TRUE(Engine.IsCommOpen());
    EXPECT_EQ(SearchMode, 0);
    EXPECT_EQ(ManualSendMode, 0);
    Ticks(3);
    Engine.Finish();
    EXPECT_FALSE(Engine.IsCommOpen());
    const std::vector<std::pair<int, int>> expected{{0, 20}, {0, 23}, {0, 21}};
    EXPECT_EQ(CommEvents(), expected);
}

// The exit closes the port before the engine logs the program end; ticks
// that still come in between must not take that closing for a lost port.
TEST_F(PollEngineTest, TicksBetweenTheExitClosingAndTheEndLogNoPortLoss) {
    AddDevice(5);
    ASSERT_TRUE(Engine.Start());
    Ticks(3);
    Engine.StopForExit();
    EXPECT_FALSE(Engine.IsCommOpen());
    const int32_t sent = CommDebug.TxFrames;
    Ticks(15);
    EXPECT_EQ(CommDebug.TxFrames, sent);
    Engine.Finish();
    const std::vector<std::pair<int, int>> expected{{0, 20}, {0, 23}, {0, 21}};
    EXPECT_EQ(CommEvents(), expected);
}

TEST_F(PollEngineTest, PortThatFailsAtStartLeavesTheEngineRunningClosed) {
    UserPara.PortInfo.ComName = Folder.Path() + "no-such-port";
    UserPara.RecInterval = 1;
    AddDevice(5);
    UpsTable[5].CommState = CommCommunicating;
    EXPECT_FALSE(Engine.Start());
    EXPECT_FALSE(Engine.IsCommOpen());
    Ticks(5);
    EXPECT_EQ(CommDebug.TxFrames, 0);
    EXPECT_EQ(Engine.EngineStep, 0) << "no poll tick while closed";
    EXPECT_EQ(Engine.RecCountdown, 1) << "the data-log timer still runs";
    EXPECT_TRUE(DataRecords().empty()) << "a closed port logs nothing";
    const std::vector<std::pair<int, int>> expected{{0, 20}};
    EXPECT_EQ(CommEvents(), expected);
}

TEST_F(PollEngineTest, NameWithoutDeviceOpensNothingAndRaisesNothing) {
    for (const char* name : {"COMX", "COM0", "", "ttyS0"}) {
        UserPara.PortInfo.ComName = name;
        EXPECT_NO_THROW(Engine.OpenComm()) << name;
        EXPECT_FALSE(Engine.IsCommOpen()) << name;
    }
}

TEST_F(PollEngineTest, OpenCommTakesTheSettings) {
    UserPara.PortInfo.BaudRate = 19200;
    UserPara.PortInfo.ReadIntervalTimeout = 150;
    UserPara.PortInfo.StopBits = 2;
    Engine.OpenComm();
    EXPECT_EQ(Comm.BaudRate(), 19200u);
    EXPECT_EQ(Comm.ReadIntervalTimeout(), 150u);
    EXPECT_EQ(Comm.StopBits(), TStopBits::_2);
    EXPECT_FALSE(Comm.Outx_XonXoffFlow());
    EXPECT_FALSE(Comm.Inx_XonXoffFlow());

    UserPara.PortInfo.StopBits = 0;
    Engine.OpenComm(); // reopens an open port
    EXPECT_TRUE(Engine.IsCommOpen());
    EXPECT_EQ(Comm.StopBits(), TStopBits::_1);
    EXPECT_EQ(UserPara.PortInfo.StopBits, 1) << "any other value becomes 1";
}

TEST_F(PollEngineTest, ClosingAndReopeningThePortIsLoggedAndResetsTheRecords) {
    AddDevice(5);
    ASSERT_TRUE(Engine.Start());
    Ticks(2); // built, transmitted
    Deliver(Frame('R', 5));
    Ticks(3); // waiting
    ASSERT_EQ(UpsTable[5].CommState, CommCommunicating);
    ASSERT_EQ(UpsTable[5].OkCount, 1);
    const uint8_t waitTicks = Engine.WaitTicks;

    Engine.CloseComm();
    Ticks(1);
    EXPECT_EQ(UpsTable[5].OkCount, 0) << "all records reset";
    EXPECT_EQ(UpsTable[5].SendCount, 0);
    EXPECT_EQ(UpsTable[5].CommState, CommCommunicating) << "the communication state is kept";
    Ticks(20);
    EXPECT_EQ(Engine.WaitTicks, waitTicks) << "the request waits while the port is closed";
    EXPECT_EQ(Engine.AwaitingReply, 255);

    Engine.OpenComm();
    Ticks(1);
    EXPECT_EQ(Engine.WaitTicks, waitTicks - 1) << "and continues where it stopped";
    const std::vector<std::pair<int, int>> expected{{0, 20}, {0, 23}, {5, 22}, {0, 18}, {0, 23}};
    EXPECT_EQ(CommEvents(), expected);
}

// The adapter goes away (here: the other end of the pseudo-terminal closes)
// and comes back under the same name, as a USB adapter replugged behind a
// stable link does.
class PollEngineReplug : public PollEngineTest {
protected:
    std::string Link = Folder.Path() + "ttyUPS";
    std::unique_ptr<TPtyPair> Pty2;

    void SetUp() override {
        PollEngineTest::SetUp();
        std::filesystem::create_directories(Folder.Path());
        std::filesystem::create_symlink(Pty.SlavePath(), Link);
        UserPara.PortInfo.ComName = Link;
        AddDevice(5);
        ASSERT_TRUE(Engine.Start());
        Ticks(2); // the first request is out
        Pty.CloseMaster();
        ASSERT_TRUE(DeliverUntil(Comm, Sink, [&] { return !Engine.IsCommOpen(); }));
        Ticks(1);
    }
    void Replug() {
        Pty2 = std::make_unique<TPtyPair>();
        std::filesystem::remove(Link);
        std::filesystem::create_symlink(Pty2->SlavePath(), Link);
    }
};

TEST_F(PollEngineReplug, LostPortIsLoggedAndTriedAgainUntilItOpens) {
    const std::vector<std::pair<int, int>> lost{{0, 20}, {0, 23}, {0, 18}};
    EXPECT_EQ(CommEvents(), lost);
    EXPECT_EQ(UpsTable[5].SendCount, 0) << "records reset as for a closed port";

    Ticks(3 * ReopenTicks); // nothing behind the link yet
    EXPECT_FALSE(Engine.IsCommOpen());
    EXPECT_EQ(CommEvents(), lost);

    Replug();
    Ticks(ReopenTicks - 2);
    EXPECT_FALSE(Engine.IsCommOpen()) << "tried on the retry tick only, not in a loop";
    Ticks(2);
    ASSERT_TRUE(Engine.IsCommOpen());
    const std::vector<std::pair<int, int>> back{{0, 20}, {0, 23}, {0, 18}, {0, 23}};
    EXPECT_EQ(CommEvents(), back);
    TickUntilSent(CommDebug.TxFrames + 1);
    EXPECT_EQ(Pty2->Read(2, 5s), Frame('Q', 5)) << "polling resumes on the new device";
}

TEST_F(PollEngineReplug, ClosingByTheUserEndsTheRetrying) {
    Engine.CloseComm();
    Replug();
    Ticks(3 * ReopenTicks);
    EXPECT_FALSE(Engine.IsCommOpen());
    Engine.OpenComm();
    EXPECT_TRUE(Engine.IsCommOpen());
}

// ---------------------------------------------------------------------------
// Communication state of a device through the engine.

TEST_F(PollEngineTest, SilentDeviceTurnsToErrorThenLostAndBackOnItsNextReply) {
    AddDevice(5);
    ASSERT_TRUE(Engine.Start());
    TickUntilSent(1);
    Deliver(Frame('R', 5));
    ASSERT_EQ(UpsTable[5].CommState, CommCommunicating);

    // Transmissions after the last good reply, and the state each leaves.
    const uint8_t expected[] = {0, 0, 0, 1, 1, 1, 1, 1, 1, 2};
    for (int n = 1; n <= 10; ++n) {
        TickUntilSent(1 + n);
        EXPECT_EQ(UpsTable[5].CommState, expected[n - 1]) << "transmission " << n;
    }
    auto events = CommEvents();
    ASSERT_EQ(events.back(), (std::pair<int, int>{5, 18}));
    EXPECT_EQ(EventText(18, 2), "Communication lost");

    TickUntilSent(15);
    EXPECT_EQ(CommEvents().size(), events.size()) << "lost is logged once";
    Deliver(Frame('R', 5));
    EXPECT_EQ(UpsTable[5].CommState, CommCommunicating);
    EXPECT_EQ(CommEvents().back(), (std::pair<int, int>{5, 22}));
}

TEST_F(PollEngineTest, NoiseIsAttributedAndRejectedWhileTheDeviceStaysCommunicating) {
    AddDevice(5);
    ASSERT_TRUE(Engine.Start());
    const int requests = 12;
    for (int r = 1; r <= requests; ++r) {
        TickUntilSent(r);
        ASSERT_EQ(Pty.Read(2, 5s), Frame('Q', 5));
        // The device answers on the line; the reader thread hands the chunk over.
        const std::size_t parsed = Codec.ParsedLengths.size();
        Pty.Write(Frame('R', 5));
        ASSERT_TRUE(DeliverUntil(Comm, Sink, [&] { return Codec.ParsedLengths.size() > parsed; }));
        Deliver(std::string("\xff\x00~noise\r", 9));
        Ticks(3);
    }
    EXPECT_EQ(UpsTable[5].CommState, CommCommunicating);
    EXPECT_EQ(UpsTable[5].FailCount, 0);
    EXPECT_EQ(UpsTable[5].OkCount, requests);
    EXPECT_EQ(UpsTable[5].RecvCount, 2 * requests) << "noise counts as a frame of the device";
    EXPECT_EQ(CommDebug.RxFrames, 2 * requests);
    EXPECT_EQ(CommDebug.RxGood, requests);
    EXPECT_EQ(DbgCnt[0], requests);
    EXPECT_EQ(RxLedCount, LedOnCount);
    const std::vector<std::pair<int, int>> expected{{0, 20}, {0, 23}, {5, 22}};
    EXPECT_EQ(CommEvents(), expected);
}

TEST_F(PollEngineTest, ChunkLongerThanTheReceiveBufferIsCut) {
    AddDevice(5);
    ASSERT_TRUE(Engine.Start());
    TickUntilSent(1);
    std::string chunk(1000, '\0');
    for (std::size_t i = 0; i < chunk.size(); ++i)
        chunk[i] = static_cast<char>(i % 251);
    Deliver(chunk);
    EXPECT_EQ(Codec.ParsedLengths, std::vector<int>{400});
    EXPECT_EQ(std::string(RxBuffer.begin(), RxBuffer.end()), chunk.substr(0, RxBufferSize));
    EXPECT_EQ(CommDebug.RxFrames, 1);
    EXPECT_EQ(DbgCnt[0], 1);
    EXPECT_EQ(UpsTable[5].RecvCount, 1);
}

// The engine counts a rejected chunk by the letter the codec's verdict
// names, for the trace window and the bus health alike; a reject without a
// letter is counted as "other" and under no letter.
TEST_F(PollEngineTest, RejectedChunksAreCountedByTheLetterOfTheVerdict) {
    AddDevice(5);
    ASSERT_TRUE(Engine.Start());
    TickUntilSent(1);
    Deliver(Frame('R', 7)); // another unit's reply: "C"
    Deliver("garbage");     // no letter
    Deliver(Frame('R', 7));
    std::array<int32_t, 10> letters{};
    letters[ErrAddress] = 2;
    EXPECT_EQ(CommDebug.ErrCnt, letters);
    EXPECT_EQ(BusHealth.Units[5].Rejects[ErrAddress], 2u);
    EXPECT_EQ(BusHealth.Units[5].Rejects[RejectOther], 1u);
    EXPECT_EQ(DbgCnt[0], 3);
    Deliver(Frame('R', 5));
    EXPECT_EQ(CommDebug.ErrCnt, letters);
    EXPECT_EQ(CommDebug.RxGood, 1);
}

TEST_F(PollEngineTest, ProtocolWithoutCodecBuildsNothingAndRejectsEverything) {
    AddDevice(5);
    ASSERT_TRUE(Engine.Start());
    for (uint8_t protocol : {1, 4, 255}) {
        UserPara.PortInfo.Protocol = protocol;
        EXPECT_EQ(Ticks(3), (std::vector<uint8_t>(3, StepBuildPoll))) << int(protocol);
        Deliver(Frame('R', 5));
    }
    EXPECT_EQ(CommDebug.TxFrames, 0);
    EXPECT_EQ(DbgCnt[0], 3);
    EXPECT_TRUE(Codec.ParsedLengths.empty());
}

// ---------------------------------------------------------------------------
// Manual mode, queued commands, search.

TEST_F(PollEngineTest, ManualModeLetsTheRequestInProgressFinishAndBuildsNoMore) {
    AddDevice(5);
    ASSERT_TRUE(Engine.Start());
    Ticks(1);
    ManualSendMode = 255;
    Ticks(12);
    EXPECT_EQ(CommDebug.TxFrames, 1) << "the request in progress was transmitted";
    EXPECT_EQ(Ticks(30), (std::vector<uint8_t>(30, StepIdle)));
    EXPECT_EQ(CommDebug.TxFrames, 1);

    const uint8_t frame[] = {1, 3, 0, 0, 0, 10};
    EXPECT_TRUE(Engine.SendManualFrame(frame, sizeof frame));
    EXPECT_EQ(Engine.TxLength, 6);
    EXPECT_EQ(CommDebug.TxFrames, 2);
    EXPECT_EQ(TxLedCount, LedOnCount);
    EXPECT_EQ(Pty.Read(8, 5s), Frame('Q', 5) + std::string(frame, frame + 6));

    const std::vector<uint8_t> tooLong(TxBufferSize + 1, 0x55);
    EXPECT_FALSE(Engine.SendManualFrame(tooLong.data(), tooLong.size()));
    EXPECT_EQ(CommDebug.TxFrames, 2);
    EXPECT_EQ(TxBuffer[0], 1) << "TxBuffer untouched";

    ManualSendMode = 0;
    Ticks(1);
    EXPECT_EQ(Engine.EngineStep, StepBuilt);
}

TEST_F(PollEngineTest, QueuedCommandGoesAheadOfPollingToItsSlave) {
    AddDevice(5);
    CommandQueue[3] = {255, 9, 6, 40004, 1};
    ASSERT_TRUE(Engine.Start());
    Ticks(2);
    EXPECT_EQ(EquipList.PollAddress, 9);
    EXPECT_EQ(CommandQueue[3].Pending, 0);
    EXPECT_EQ(UpsTable[9].SendCount, 1) << "the transmission counts against the slave";
    EXPECT_EQ(UpsTable[5].SendCount, 0);
    Deliver(Frame('R', 9));
    EXPECT_EQ(UpsTable[9].OkCount, 1);
    TickUntilSent(2);
    EXPECT_EQ(Pty.Read(4, 5s), Frame('W', 9) + Frame('Q', 5));
}

TEST_F(PollEngineTest, SearchProbesEachAddressOnceAndReportsTheAnswers) {
    AddDevice(5);
    std::vector<int> found;
    uint8_t current = 2;
    const uint8_t last = 4;
    SearchHooks.NextSearchAddress = [&] {
        if (++current > last)
            SearchMode = 0;
        return current;
    };
    SearchHooks.DeviceFound = [&](uint8_t address) { found.push_back(address); };
    ASSERT_TRUE(Engine.Start());
    SearchMode = 255;

    std::vector<uint8_t> steps = Ticks(1);
    EXPECT_EQ(steps.back(), StepBuilt);
    EXPECT_EQ(SearchAddress, 3);
    TickUntilSent(1);
    Deliver(Frame('R', 3));
    TickUntilSent(2);
    Ticks(12); // address 4 stays silent
    EXPECT_EQ(Engine.EngineStep, StepSearchEnded);
    EXPECT_EQ(SearchMode, 0);
    EXPECT_EQ(found, std::vector<int>{3});
    EXPECT_EQ(Pty.Read(4, 5s), Frame('P', 3) + Frame('P', 4));
    Ticks(1);
    EXPECT_EQ(Engine.EngineStep, StepBuilt) << "polling resumes";
    EXPECT_EQ(EquipList.PollAddress, 5);
}

TEST_F(PollEngineTest, SearchWithoutASearchWindowEndsAtOnce) {
    ASSERT_TRUE(Engine.Start());
    SearchMode = 255;
    Ticks(1);
    EXPECT_EQ(Engine.EngineStep, StepSearchEnded);
    EXPECT_EQ(SearchMode, 0);
}

// ---------------------------------------------------------------------------
// Data log timer.

// The port open, nothing on the bus asked, and one unit holding a reading:
// the data log's timing alone decides what is written.
void HoldReading(uint8_t address) {
    UpsTable[address].CommState = CommCommunicating;
    UpsTable[address].DataValid = 1;
}

TEST_F(PollEngineTest, DataLogIsOffWithRecIntervalZero) {
    Engine.Codecs[0].BuildQuery = [] { return TBuiltQuery{}; };
    AddDevice(5);
    ASSERT_TRUE(Engine.Start());
    HoldReading(5);
    Ticks(2000);
    EXPECT_TRUE(DataRecords().empty());
    EXPECT_EQ(Engine.RecCountdown, 0);
}

TEST_F(PollEngineTest, DataLogWritesOnTheFirstTickThenEveryIntervalPlusOne) {
    Engine.Codecs[0].BuildQuery = [] { return TBuiltQuery{}; };
    UserPara.RecInterval = 600;
    AddDevice(5);
    ASSERT_TRUE(Engine.Start());
    HoldReading(5);
    // (ticks so far, records expected)
    const std::pair<int, std::size_t> rows[] = {{1, 1}, {601, 1}, {602, 2}, {1202, 2}, {1203, 3}};
    int done = 0;
    for (const auto& [ticks, records] : rows) {
        Ticks(ticks - done);
        done = ticks;
        EXPECT_EQ(DataRecords().size(), records) << "after " << ticks << " ticks";
    }
    Engine.RecCountdown = 0; // the data log dialog saved: sample at once
    Ticks(1);
    EXPECT_EQ(DataRecords().size(), 4u);
}

TEST_F(PollEngineTest, DataLogRecordsOnlyUnitsWithAReadingInListOrder) {
    ASSERT_TRUE(Engine.Start());
    for (uint8_t address : {7, 3, 9, 4})
        AddDevice(address);
    UpsTable[7].CommState = CommCommunicating;
    UpsTable[7].DataValid = 1;
    UpsTable[7].InputVoltA = 230.5;
    UpsTable[3].CommState = CommError;
    UpsTable[3].DataValid = 1;
    UpsTable[9].CommState = CommCommunicating;
    UpsTable[9].DataValid = 1;
    UpsTable[9].BattCapacity = 88;
    UpsTable[4].CommState = CommCommunicating; // communicating, but no reading since the reset
    Engine.WriteDataLog();
    const auto records = DataRecords();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].Address, 7);
    EXPECT_EQ(records[0].Values, EncodeMeasureBlock(UpsTable[7]));
    EXPECT_EQ(records[1].Address, 9);
    EXPECT_EQ(records[1].Values, EncodeMeasureBlock(UpsTable[9]));
}

// Close COM, a name with no device, or an adapter gone: the rounds go on
// counting and log nothing; after a reopen a unit is logged only once it has
// answered again, never with what it held before.
TEST_F(PollEngineTest, DataLogLeavesAGapWhileThePortIsClosedAndUntilTheUnitAnswers) {
    Engine.Codecs[0].BuildQuery = [] { return TBuiltQuery{}; };
    UserPara.RecInterval = 1;
    AddDevice(5);
    ASSERT_TRUE(Engine.Start());
    struct Step {
        const char* what;
        std::function<void()> act;
        std::size_t records;
    };
    const Step steps[] = {
        {"reading held", [] { HoldReading(5); }, 1},
        {"Close COM", [this] { Engine.CloseComm(); }, 1},
        {"held values while closed", [] { HoldReading(5); }, 1},
        {"Open COM, no answer yet", [this] { Engine.OpenComm(); }, 1},
        {"the unit answered", [] { HoldReading(5); }, 2},
        {"Close and Open between two rounds",
         [this] {
             HoldReading(5);
             Engine.CloseComm();
             Engine.OpenComm();
         },
         2},
        {"no device by that name",
         [this] {
             UserPara.PortInfo.ComName = "";
             Engine.OpenComm();
             HoldReading(5);
         },
         2},
    };
    for (const Step& step : steps) {
        step.act();
        Ticks(2);
        EXPECT_EQ(DataRecords().size(), step.records) << step.what;
    }
}

TEST_F(PollEngineTest, TickWritesTheTimerDiagnostics) {
    UserPara.PortInfo.ComName = "";
    ASSERT_TRUE(Engine.Start());
    Ticks(7);
    EXPECT_EQ(DbgVal[DbgEngineTimerInterval], EngineTimerInterval);
    EXPECT_EQ(DbgVal[DbgEngineTicks], 7);
}

} // namespace
