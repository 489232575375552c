// The modular UPS codec's own decoders: the replies it decodes into the
// record, and a round trip through the simulator's modular UPS responder.
// What it shares with the three-phase codec is in test_ydtcodec.cpp.

#include "base/funcUnit.h"
#include "protocol/EngineState.h"
#include "protocol/uYDTV31.h"
#include "record/EquipList.h"
#include "record/UpsRecordOps.h"
#include "status/StatusRules.h"
#include "tests/support/CodecState.h"
#include "tools/sim/SimBus.h"
#include "tools/sim/StatusWords.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

namespace {

std::string Sent(const TYdtV31Protocol& codec) {
    return std::string(TxBuffer.begin(), TxBuffer.begin() + codec.FrameLen);
}

// INFO of n characters, '0' everywhere but at the given frame positions.
std::string Info(int n, std::vector<std::pair<int, std::string>> fields) {
    std::string info(std::size_t(n), '0');
    for (const auto& [pos, text] : fields)
        info.replace(std::size_t(pos - 13), text.size(), text);
    return info;
}

// A reply frame as a device sends it.
std::string Reply(int address, const std::string& info, int version = 0x31, int rtn = 0,
                  int deviceType = 0x2A) {
    const std::string head = "~" + WordToHex4(version).substr(2) + WordToHex4(address).substr(2) +
                             WordToHex4(deviceType).substr(2) + WordToHex4(rtn).substr(2) +
                             LengthField(int32_t(info.size())) + info;
    return head + FrameChecksum(head, int(head.size()) - 1) + "\r";
}

// Example replies to address 1, one per command.
const std::string AnalogReply = "~31012A00002E0055F0565456B855F055F055F0000000000000A8C01388F3F8\r";
const std::string StatusReply = "~31012A00901600000004CC00C700000000F934\r";
const std::string AlarmReply = "~31012A00802600000000000000000000800100000010100080F665\r";
const std::string BatteryReply = "~31012A00101E000000000000000000000000430064F7E0\r";
const std::string LoadReply = Reply(1, Info(146, {{95, "001E"},
                                                  {99, "001F"},
                                                  {103, "0020"},
                                                  {143, "00C8"},
                                                  {147, "0096"},
                                                  {151, "0019"},
                                                  {155, "004B"}}));

class YdtV31Test : public ::testing::Test {
protected:
    void SetUp() override {
        ResetCodecState();
        TxBuffer.fill(0xEE);
        RxBuffer.fill(0);
    }

    void SetList(std::initializer_list<uint8_t> addresses) {
        for (uint8_t a : addresses)
            ASSERT_TRUE(AppendEquip(TEquipItem{0, a, "UPS"}));
    }

    // The chunk in a block of exactly its size, so that reading past it is caught.
    bool Parse(const std::string& chunk) {
        const std::vector<uint8_t> bytes(chunk.begin(), chunk.end());
        return codec.ParseReply(bytes.data(), int(bytes.size())).Good;
    }

    // Cmd as BuildQuery leaves it for a request to address 1.
    void Expect(uint8_t cmd) {
        codec.Addr = 1;
        codec.Cmd = cmd;
    }

    TYdtV31Protocol codec{TxBuffer, RxBuffer};
    TUpsInfoRec& rec = UpsTable[1];
};

// ---- Search probe ----------------------------------------------------------

TEST_F(YdtV31Test, SearchProbeAnswerIsDecodedIntoTheProbedRecord) {
    SearchMode = 255;
    SearchAddress = 0x10;
    ASSERT_TRUE(codec.BuildQuery());
    EXPECT_EQ(Sent(codec), "~31102A430000FDA1\r");
    EXPECT_TRUE(Parse(Reply(0x10, Info(22, {{19, "04"}, {21, "CC00"}, {25, "C700"}}))));
    EXPECT_EQ(UpsTable[0x10].UpsState, 4);
}

// ---- Decoding --------------------------------------------------------------

TEST_F(YdtV31Test, AnalogReplyFillsVoltagesAndFrequencyInHundredths) {
    rec.LoadPctA = 7; // not carried by this reply
    Expect(1);
    ASSERT_TRUE(Parse(AnalogReply));
    EXPECT_DOUBLE_EQ(rec.InputVoltA, 220.00);
    EXPECT_DOUBLE_EQ(rec.InputVoltB, 221.00);
    EXPECT_DOUBLE_EQ(rec.InputVoltC, 222.00);
    EXPECT_DOUBLE_EQ(rec.OutputVoltA, 220.00);
    EXPECT_DOUBLE_EQ(rec.OutputVoltB, 220.00);
    EXPECT_DOUBLE_EQ(rec.OutputVoltC, 220.00);
    EXPECT_DOUBLE_EQ(rec.DcInputVolt, 432.00);
    EXPECT_DOUBLE_EQ(rec.OutputFreq, 50.00);
    EXPECT_DOUBLE_EQ(rec.LoadPctA, 7);
    EXPECT_EQ(codec.Cmd, 0);
}

TEST_F(YdtV31Test, AnalogWordsSkipCharactersThatAreNotHexDigits) {
    // The three unused values (39, 43, 47) are not looked at.
    Expect(1);
    ASSERT_TRUE(
        Parse(Reply(1, Info(46, {{15, "12 4"}, {19, "ffff"}, {39, "FFFF"}, {55, "1387"}}))));
    EXPECT_DOUBLE_EQ(rec.InputVoltA, 0x124 / 100.0);
    EXPECT_DOUBLE_EQ(rec.InputVoltB, 655.35);
    EXPECT_DOUBLE_EQ(rec.InputVoltC, 0);
    EXPECT_DOUBLE_EQ(rec.OutputFreq, 49.99);
}

TEST_F(YdtV31Test, StatusReplySetsWordsStateAndSwitchFlagsOnTheFirstGoodReply) {
    // A device just back from a loss: no good replies counted yet.
    ASSERT_EQ(rec.CommState, CommLost);
    ASSERT_EQ(rec.OkCount, 0);
    rec.StatusWord[1] = 0x1234; // not carried by this protocol
    Expect(2);
    ASSERT_TRUE(Parse(StatusReply));
    EXPECT_EQ(rec.DevState, 4);
    EXPECT_EQ(rec.StatusWord[0], 0xCC00);
    EXPECT_EQ(rec.StatusWord[4], 0xC700);
    EXPECT_EQ(rec.StatusWord[5], 0);
    EXPECT_EQ(rec.StatusWord[8], 0);
    EXPECT_EQ(rec.StatusWord[1], 0x1234);
    EXPECT_EQ(rec.UpsState, 4);
    EXPECT_EQ(rec.DataValid, 1);
    EXPECT_EQ(rec.InputSwitch, 1);
    EXPECT_EQ(rec.BypassSwitch, 1);
    EXPECT_EQ(rec.OutputSwitch, 1);
    EXPECT_EQ(rec.MaintBypassSwitch, 0);
    EXPECT_EQ(rec.InputSupply, 1);
    EXPECT_EQ(rec.UpsSupply, 1);
}

struct TStatusRow {
    const char* W0;
    const char* W4;
    const char* W5;
    const char* W8;
    int32_t State;
    uint16_t Word8;
};

TEST_F(YdtV31Test, StatusReplyStateFollowsTheStatusWords) {
    const TStatusRow rows[] = {
        {"EC00", "C700", "0000", "00", 9, 0},    // W0 bit 13: EPO whatever else is set
        {"4800", "0700", "0000", "00", 5, 0},    // battery
        {"4A00", "0700", "0000", "00", 6, 0},    // battery self-test
        {"0800", "0700", "0000", "00", 2, 0},    // no output
        {"0000", "0480", "0800", "FF", 8, 0xFF}, // ECO; W8 keeps its two digits
        {"0000", "2000", "0000", "00", 10, 0},   // maintenance bypass
        {"0000", "0208", "0000", "00", 9, 0},    // W4 bit 3: EPO
    };
    for (const TStatusRow& row : rows) {
        Expect(2);
        ASSERT_TRUE(Parse(Reply(
            1, Info(22, {{19, "01"}, {21, row.W0}, {25, row.W4}, {29, row.W5}, {33, row.W8}}))));
        EXPECT_EQ(rec.UpsState, row.State) << row.W0 << " " << row.W4;
        EXPECT_EQ(rec.StatusWord[8], row.Word8);
    }
}

std::vector<int32_t> AlarmList(const TUpsInfoRec& r) {
    return {r.AlarmCodes.begin(), r.AlarmCodes.begin() + r.AlarmCount};
}

TEST_F(YdtV31Test, AlarmReplyRebuildsTheAlarmList) {
    Expect(3);
    ASSERT_TRUE(Parse(AlarmReply));
    EXPECT_EQ(rec.StatusWord[2], 0x8001);
    EXPECT_EQ(rec.StatusWord[3], 0);
    EXPECT_EQ(rec.StatusWord[6], 0x0010);
    EXPECT_EQ(rec.StatusWord[7], 0x1000);
    EXPECT_EQ(rec.StatusWord[9], 0x8000);
    EXPECT_EQ(AlarmList(rec), (std::vector<int32_t>{0, 15, 43, 51, 64}));

    // The next alarm reply replaces the list as a whole.
    Expect(3);
    ASSERT_TRUE(Parse(Reply(1, Info(38, {{37, "8000"}}))));
    EXPECT_EQ(AlarmList(rec), (std::vector<int32_t>{16}));
    EXPECT_EQ(rec.AlarmCodes[1], 0);
}

// Only the alarm reply carries the alarm words: after the view emptied a
// silent unit's list, the other replies leave it unreported.
TEST_F(YdtV31Test, OnlyTheAlarmReplyReportsTheAlarmList) {
    for (uint8_t cmd : {1, 2, 4, 5}) {
        Expect(cmd);
        ASSERT_TRUE(Parse(Reply(1, Info(146, {}))));
        EXPECT_EQ(rec.AlarmsReported, 0) << int(cmd);
    }
    Expect(3);
    ASSERT_TRUE(Parse(AlarmReply));
    EXPECT_EQ(rec.AlarmsReported, 1);
}

TEST_F(YdtV31Test, BatteryAndEnvironmentAlarmByteRaisesAlarms64To71) {
    // The byte at 49 holds bits 8-15 of W9, where these alarms live.
    Expect(3);
    ASSERT_TRUE(Parse(Reply(1, Info(38, {{49, "FF"}}))));
    EXPECT_EQ(rec.StatusWord[9], 0xFF00);
    EXPECT_EQ(AlarmList(rec), (std::vector<int32_t>{64, 65, 66, 67, 68, 69, 70, 71}));
}

TEST_F(YdtV31Test, LoadReplyFillsLoadsAndSumsTheCurrents) {
    Expect(4);
    ASSERT_TRUE(Parse(LoadReply));
    EXPECT_DOUBLE_EQ(rec.LoadPctA, 30);
    EXPECT_DOUBLE_EQ(rec.LoadPctB, 31);
    EXPECT_DOUBLE_EQ(rec.LoadPctC, 32);
    EXPECT_DOUBLE_EQ(rec.ChargeCur1, 2.00);
    EXPECT_DOUBLE_EQ(rec.ChargeCur2, 1.50);
    EXPECT_DOUBLE_EQ(rec.DischargeCur1, 0.25);
    EXPECT_DOUBLE_EQ(rec.DischargeCur2, 0.75);
    EXPECT_DOUBLE_EQ(rec.ChargeCur, 3.50);
    EXPECT_DOUBLE_EQ(rec.DischargeCur, 1.00);
}

TEST_F(YdtV31Test, BatteryReplyFillsSupportTimeAndCapacityOnly) {
    rec.BattVolt1 = 3;
    rec.BattTestFlag = 1;
    Expect(5);
    ASSERT_TRUE(Parse(BatteryReply));
    EXPECT_EQ(rec.BattSupportTime, 67);
    EXPECT_EQ(rec.BattCapacity, 100);
    EXPECT_DOUBLE_EQ(rec.BattVolt1, 3);
    EXPECT_EQ(rec.BattTestFlag, 1);

    Expect(5);
    ASSERT_TRUE(Parse(Reply(1, Info(30, {{35, "FFFF"}, {39, "FFFF"}}))));
    EXPECT_EQ(rec.BattSupportTime, 0xFFFF);
    EXPECT_EQ(rec.BattCapacity, 65535); // widened, not sign-extended
}

TEST_F(YdtV31Test, ReplyOfTheLongestChunkIsDecoded) {
    // 400 bytes is as much as one chunk holds; LENID 382.
    const std::string info = Info(382, {{95, "0050"}, {99, "0051"}, {103, "0052"}, {143, "0064"}});
    const std::string reply = Reply(1, info);
    ASSERT_EQ(reply.size(), RxBufferSize);
    Expect(4);
    ASSERT_TRUE(Parse(reply));
    EXPECT_DOUBLE_EQ(rec.LoadPctA, 80);
    EXPECT_DOUBLE_EQ(rec.ChargeCur, 1.00);
}

// ---- Simulator round trip ---------------------------------------------------

// Requests built by the codec go to the simulated bus; every answer goes
// back to the codec and, when good, counts for the record as the engine does.
void PollRounds(TYdtV31Protocol& codec, TSimBus& bus, int n) {
    TNoEvents events;
    for (int i = 0; i < n; ++i) {
        ASSERT_TRUE(codec.BuildQuery());
        const TSimReply reply =
            bus.Answer(std::span<const uint8_t>(TxBuffer.data(), std::size_t(codec.FrameLen)));
        if (reply.Bytes.empty())
            continue;
        ASSERT_TRUE(codec.ParseReply(reply.Bytes.data(), int(reply.Bytes.size())))
            << "request " << i;
        RecordNoteGoodReply(UpsTable[codec.Addr], events);
    }
}

double Hundredth(double v) {
    return std::round(v * 100) / 100;
}

TEST_F(YdtV31Test, SimulatedUnitIsDecodedWithItsValues) {
    TSimBus bus;
    bus.Protocol = TSimProtocol::Modular;
    TSimUnit unit = MakeUnit(3, "VEX610");
    SetUnitState(unit, TSimState::Online);
    unit.Alarms = {12, 43, 64};
    bus.Units.emplace(3, unit);
    SetList({3});

    // Address 1 (nobody), then unit 3 lost: one request; then its sequence.
    PollRounds(codec, bus, 6);
    const TUpsInfoRec& r = UpsTable[3];
    const TSimMeasure& m = unit.Measure;
    EXPECT_DOUBLE_EQ(r.InputVoltA, Hundredth(m.InputVolt[0]));
    EXPECT_DOUBLE_EQ(r.InputVoltC, Hundredth(m.InputVolt[2]));
    EXPECT_DOUBLE_EQ(r.OutputVoltB, Hundredth(m.OutputVolt[1]));
    EXPECT_DOUBLE_EQ(r.DcInputVolt, Hundredth(m.BattVolt1 + m.BattVolt2));
    EXPECT_DOUBLE_EQ(r.OutputFreq, Hundredth(m.OutputFreq));
    EXPECT_DOUBLE_EQ(r.LoadPctA, std::round(m.LoadPct[0]));
    EXPECT_DOUBLE_EQ(r.LoadPctC, std::round(m.LoadPct[2]));
    EXPECT_DOUBLE_EQ(r.ChargeCur, Hundredth(m.ChargeCur1) + Hundredth(m.ChargeCur2));
    EXPECT_DOUBLE_EQ(r.DischargeCur, Hundredth(m.DischargeCur1) + Hundredth(m.DischargeCur2));
    EXPECT_EQ(r.BattSupportTime, std::lround(m.BattSupportTime));
    EXPECT_EQ(r.BattCapacity, std::lround(m.BattCapacity));

    const TSimWords w = UnitWords(unit);
    for (int k : {0, 2, 3, 4, 5, 6, 7})
        EXPECT_EQ(r.StatusWord[std::size_t(k)], w[std::size_t(k)]) << "W" << k;
    EXPECT_EQ(r.StatusWord[8], w[8] & 0xFF);
    EXPECT_EQ(r.StatusWord[9], w[9] & 0xFF00);
    EXPECT_EQ(r.DevState, DeviceStateNumber(TSimState::Online));
    EXPECT_EQ(r.UpsState, 4);
    EXPECT_EQ(AlarmList(r), (std::vector<int32_t>{12, 43, 64}));
}

TEST_F(YdtV31Test, SimulatedStatesReachTheRecordAsStateCodes) {
    const std::pair<TSimState, int32_t> rows[] = {
        {TSimState::Standby, 1}, {TSimState::Online, 4},       {TSimState::Battery, 5},
        {TSimState::Bypass, 3},  {TSimState::Economy, 8},      {TSimState::BatteryTest, 6},
        {TSimState::Fault, 11},  {TSimState::MaintBypass, 10}, {TSimState::Epo, 9},
    };
    for (const auto& [state, code] : rows) {
        SetUp();
        SetList({7});
        TSimBus bus;
        TSimUnit unit = MakeUnit(7, "VEX610");
        SetUnitState(unit, state);
        bus.Units.emplace(7, unit);
        // The fault words come with the alarm reply (step 3), so the state
        // shows them from the status reply of the next pass on.
        TYdtV31Protocol fresh{TxBuffer, RxBuffer};
        PollRounds(fresh, bus, 8);
        EXPECT_EQ(fresh.Addr, 7);
        EXPECT_EQ(PollStep, 2);
        EXPECT_EQ(UpsTable[7].UpsState, code) << int(state);
    }
}

} // namespace
