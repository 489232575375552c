// The three-phase UPS codec's own decoders: singles, switch codes and alarm
// bytes into the record, and a round trip through the simulator's
// three-phase responder. What it shares with the modular codec is in
// test_ydtcodec.cpp.

#include "protocol/uNordelProtocol.h"

#include "base/funcUnit.h"
#include "record/EquipList.h"
#include "record/UpsRecordOps.h"
#include "status/StatusCodes.h"
#include "tests/support/CodecState.h"
#include "tools/sim/SimBus.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

std::string Hex2(int value) {
    return WordToHex4(uint32_t(value)).substr(2);
}

// Eight hex digits of a single, least significant byte first.
std::string Single(float value) {
    const auto bits = std::bit_cast<uint32_t>(value);
    std::string text;
    for (int k = 0; k < 4; ++k)
        text += Hex2(int((bits >> (8 * k)) & 0xFF));
    return text;
}

using TFields = std::vector<std::pair<int, std::string>>;

// INFO of `length` '0' characters with each text written at its frame position.
std::string Info(int length, const TFields& fields = {}) {
    std::string info(std::size_t(length), '0');
    for (const auto& [pos, text] : fields)
        info.replace(std::size_t(pos - 13), text.size(), text);
    return info;
}

// The CHKSUM of everything before its place, then CR.
std::string Closed(std::string head) {
    return head + FrameChecksum(head, int(head.size()) - 1) + "\r";
}

struct THeader {
    int Address = 1;
    std::string_view Ver = "11";
    std::string_view Cid1 = "2A";
    std::string_view Rtn = "00";
};

std::string Reply(const std::string& info, const THeader& h = {}) {
    return Closed("~" + std::string(h.Ver) + Hex2(h.Address) + std::string(h.Cid1) +
                  std::string(h.Rtn) + LengthField(int32_t(info.size())) + info);
}

// Analog INFO: F0..F10 at 15 + 8k.
std::string AnalogInfo(const std::vector<float>& values) {
    TFields fields;
    for (std::size_t k = 0; k < values.size(); ++k)
        fields.emplace_back(15 + 8 * int(k), Single(values[k]));
    return Info(90, fields);
}

const std::vector<float> AnalogValues = {380, 381, 379.5f, 220, 221.5f, 219, 1, 2, 3, 432.5f, 50};

// Status INFO: the seven codes at 15, 19, 25, 29, 31, 33, 35.
std::string StatusInfo(const std::vector<std::string>& codes) {
    const int positions[] = {15, 19, 25, 29, 31, 33, 35};
    TFields fields;
    for (std::size_t i = 0; i < codes.size(); ++i)
        fields.emplace_back(positions[i], codes[i]);
    return Info(24, fields);
}

const std::vector<std::string> OnlineCodes = {"01", "E1", "E0", "E1", "E0", "E1", "E1"};

// Alarm INFO: c[k] at 15 + 2k, b[j] at 31 + 2j; b[48] (battery breaker)
// closed unless given.
std::string AlarmInfo(const std::vector<std::pair<int, int>>& c,
                      std::vector<std::pair<int, int>> b) {
    if (std::none_of(b.begin(), b.end(), [](const auto& e) { return e.first == 48; }))
        b.emplace_back(48, 0xE0);
    TFields fields;
    for (const auto& [k, v] : c)
        fields.emplace_back(15 + 2 * k, Hex2(v));
    for (const auto& [j, v] : b)
        fields.emplace_back(31 + 2 * j, Hex2(v));
    return Info(130, fields);
}

std::vector<int32_t> Alarms(const TUpsInfoRec& rec) {
    return {rec.AlarmCodes.begin(), rec.AlarmCodes.begin() + rec.AlarmCount};
}

class Nordel : public ::testing::Test {
protected:
    void SetUp() override {
        ResetCodecState();
        TxBuffer.fill(0xEE);
        RxBuffer.fill(0);
    }

    // As if BuildQuery had just sent command `cmd` to `address`.
    void Asked(uint16_t address, uint8_t cmd) {
        codec.Addr = address;
        codec.Cmd = cmd;
    }

    // The chunk in a buffer of exactly its size, so that reading past it is
    // caught by the address sanitizer.
    bool Parse(std::string_view chunk) {
        const std::vector<uint8_t> bytes(chunk.begin(), chunk.end());
        return codec.ParseReply(bytes.data(), int(bytes.size())).Good;
    }

    TNordelProtocol codec{TxBuffer, RxBuffer};
    TNoEvents events;
};

// Analog, load and battery-time replies decode at once, even before the
// device has any good reply counted.
TEST_F(Nordel, AnalogReplyDecodesElevenSinglesAtOnce) {
    std::vector<float> values = AnalogValues;
    std::string info = AnalogInfo(values);
    info.replace(39 - 13, 8, "00005C43"); // 220.0 as the device sends it
    info.replace(95 - 13, 8, "00004842"); // 50.0
    Asked(1, 1);
    ASSERT_TRUE(Parse(Reply(info)));
    const TUpsInfoRec& rec = UpsTable[1];
    EXPECT_DOUBLE_EQ(rec.InputVoltA, 380 / std::sqrt(3.0));
    EXPECT_DOUBLE_EQ(rec.InputVoltB, 381 / std::sqrt(3.0));
    EXPECT_DOUBLE_EQ(rec.InputVoltC, 379.5 / std::sqrt(3.0));
    EXPECT_DOUBLE_EQ(rec.OutputVoltA, 220);
    EXPECT_DOUBLE_EQ(rec.OutputVoltB, 221.5);
    EXPECT_DOUBLE_EQ(rec.OutputVoltC, 219);
    EXPECT_DOUBLE_EQ(rec.DcInputVolt, 432.5);
    EXPECT_DOUBLE_EQ(rec.OutputFreq, 50);
    // F6..F8 land nowhere.
    EXPECT_EQ(rec.LoadPctA + rec.LoadPctB + rec.LoadPctC, 0);
    EXPECT_EQ(rec.BattCapacity, 0);
    EXPECT_EQ(codec.Cmd, 0);
}

TEST_F(Nordel, LoadReplyDecodesThreePhaseLoads) {
    Asked(1, 4);
    ASSERT_TRUE(Parse(Reply(Info(
        124, {{113, "0000C842"}, {121, Single(37.5f)}, {129, Single(0.25f)}, {105, Single(9)}}))));
    EXPECT_DOUBLE_EQ(UpsTable[1].LoadPctA, 100);
    EXPECT_DOUBLE_EQ(UpsTable[1].LoadPctB, 37.5);
    EXPECT_DOUBLE_EQ(UpsTable[1].LoadPctC, 0.25);
}

TEST_F(Nordel, BatteryReplyRoundsSupportTimeIntoSixteenBits) {
    struct Row {
        float minutes;
        uint16_t stored;
    };
    const Row rows[] = {
        {12.5f, 12},
        {13.5f, 14},
        {7.4f, 7},
        {0.5f, 0},
        {65534.5f, 65534},
        {65535, 65535},
        {-3, 0},
        {70000, 65535},
        {std::numeric_limits<float>::quiet_NaN(), 0},
        {std::numeric_limits<float>::infinity(), 65535},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.minutes);
        UpsTable[1].BattSupportTime = 4321;
        Asked(1, 5);
        ASSERT_TRUE(Parse(Reply(Info(108, {{113, Single(row.minutes)}}))));
        EXPECT_EQ(UpsTable[1].BattSupportTime, row.stored);
    }
}

TEST_F(Nordel, ExampleStatusReplySetsSwitchesAndOnlineState) {
    UpsTable[1].OkCount = 4;
    Asked(1, 2);
    ASSERT_TRUE(Parse("~11012A007018000100E10000E000E1E0E1E1F897\r"));
    const TUpsInfoRec& rec = UpsTable[1];
    EXPECT_EQ(rec.UpsSupply, 1);
    EXPECT_EQ(rec.BattTestFlag, 0);
    EXPECT_EQ(rec.InputSupply, 1);
    EXPECT_EQ(rec.InputSwitch, 1);
    EXPECT_EQ(rec.MaintBypassSwitch, 0);
    EXPECT_EQ(rec.BypassSwitch, 1);
    EXPECT_EQ(rec.OutputSwitch, 1);
    EXPECT_EQ(rec.UpsState, StateOnline);
    EXPECT_EQ(rec.DataValid, 1);
}

TEST_F(Nordel, StatusCodesGiveFlagsAndState) {
    struct Row {
        std::vector<std::string> codes; // ups, test, input, in, maint, bypass, out
        uint8_t ups, test, input, in, maint, bypass, out;
        int32_t state;
    };
    const Row rows[] = {
        {{"01", "E1", "E0", "E1", "E0", "E1", "E1"}, 1, 0, 1, 1, 0, 1, 1, StateOnline},
        {{"01", "E1", "E1", "E1", "E0", "E0", "E1"}, 1, 0, 2, 1, 0, 0, 1, StateBattery},
        {{"01", "E0", "E1", "E0", "E0", "E1", "E1"}, 1, 1, 2, 0, 0, 1, 1, StateBattSelfTest},
        {{"01", "E0", "E0", "E1", "E0", "E1", "E1"}, 1, 1, 1, 1, 0, 1, 1, StateOnline},
        {{"01", "E1", "E3", "E0", "E0", "E0", "E0"}, 1, 0, 0, 0, 0, 0, 0, StateStandby},
        {{"02", "E1", "E0", "E1", "E0", "E1", "E1"}, 2, 0, 1, 1, 0, 1, 1, StateBypass},
        {{"01", "E1", "E0", "E1", "E1", "E1", "E1"}, 1, 0, 1, 1, 1, 1, 1, StateMaintBypass},
        {{"E9", "E1", "E0", "E1", "E0", "E1", "E0"}, 0, 0, 1, 1, 0, 1, 0, StateStandby},
        {{"E9", "E1", "E1", "E1", "E1", "E0", "E0"}, 0, 0, 2, 1, 1, 0, 0, StateMaintBypass},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.codes[0] + row.codes[1] + row.codes[2] + row.codes[4]);
        TUpsInfoRec& rec = UpsTable[1];
        rec.OkCount = 4;
        Asked(1, 2);
        ASSERT_TRUE(Parse(Reply(StatusInfo(row.codes))));
        EXPECT_EQ(rec.UpsSupply, row.ups);
        EXPECT_EQ(rec.BattTestFlag, row.test);
        EXPECT_EQ(rec.InputSupply, row.input);
        EXPECT_EQ(rec.InputSwitch, row.in);
        EXPECT_EQ(rec.MaintBypassSwitch, row.maint);
        EXPECT_EQ(rec.BypassSwitch, row.bypass);
        EXPECT_EQ(rec.OutputSwitch, row.out);
        EXPECT_EQ(rec.UpsState, row.state);
    }
}

// Codes are compared as text; an unknown one leaves its field as it was,
// except the battery-test flag, which only "E0" sets.
TEST_F(Nordel, UnknownStatusCodesLeaveFieldsAsTheyWere) {
    TUpsInfoRec& rec = UpsTable[1];
    rec.OkCount = 4;
    rec.UpsSupply = 2;
    rec.BattTestFlag = 1;
    rec.InputSupply = 2;
    rec.InputSwitch = rec.MaintBypassSwitch = rec.BypassSwitch = rec.OutputSwitch = 1;
    Asked(1, 2);
    ASSERT_TRUE(Parse(Reply(StatusInfo({"00", "e0", "e0", "E2", "00", "e1", "FF"}))));
    EXPECT_EQ(rec.UpsSupply, 2);
    EXPECT_EQ(rec.BattTestFlag, 0);
    EXPECT_EQ(rec.InputSupply, 2);
    EXPECT_EQ(rec.InputSwitch, 1);
    EXPECT_EQ(rec.MaintBypassSwitch, 1);
    EXPECT_EQ(rec.BypassSwitch, 1);
    EXPECT_EQ(rec.OutputSwitch, 1);
    EXPECT_EQ(rec.UpsState, StateMaintBypass);
}

TEST_F(Nordel, AlarmBytesGiveTheirCodesInOrder) {
    struct Row {
        const char* name;
        std::vector<std::pair<int, int>> c, b;
        std::vector<int32_t> codes;
    };
    const Row rows[] = {
        {"quiet", {}, {}, {}},
        {"breaker open", {}, {{48, 0x00}}, {148}},
        {"breaker broken", {}, {{48, 0xF1}}, {160}},
        {"LBS byte 01", {}, {{35, 0x01}}, {}},
        {"LBS fault", {}, {{35, 0xF1}}, {135}},
        {"plain bytes",
         {},
         {{0, 1}, {34, 0xFF}, {36, 2}, {49, 1}, {55, 1}},
         {100, 134, 136, 149, 155}},
        {"leading bytes",
         {{0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 0xFF}},
         {},
         {201, 202, 203, 204, 205}},
        {"battery under voltage", {{5, 0x01}}, {}, {206}},
        {"battery over voltage", {{5, 0x02}}, {}, {207}},
        {"no battery", {{5, 0xF0}}, {}, {208}},
        {"battery low", {{5, 0xE1}}, {}, {209}},
        {"battery reversed", {{5, 0xE3}}, {}, {210}},
        {"battery other", {{5, 0x7F}}, {}, {210}},
        {"c6 unused", {{6, 0xFF}}, {}, {}},
        {"mixed",
         {{0, 1}, {4, 1}, {5, 0xE1}},
         {{0, 1}, {35, 0xF1}, {48, 0x00}, {55, 1}},
         {100, 135, 148, 155, 201, 205, 209}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TUpsInfoRec& rec = UpsTable[1];
        rec.OkCount = 4;
        rec.AlarmCodes.fill(999);
        rec.AlarmCount = MaxAlarmCodes;
        Asked(1, 3);
        ASSERT_TRUE(Parse(Reply(AlarmInfo(row.c, row.b))));
        EXPECT_EQ(Alarms(rec), row.codes);
        // The old list is replaced as a whole.
        EXPECT_TRUE(std::all_of(rec.AlarmCodes.begin() + rec.AlarmCount, rec.AlarmCodes.end(),
                                [](int32_t code) { return code == 0; }));
    }
}

TEST_F(Nordel, AllAlarmBytesSetFitTheList) {
    std::vector<std::pair<int, int>> c, b;
    for (int k = 0; k < 7; ++k)
        c.emplace_back(k, 0xFF);
    for (int j = 0; j < 56; ++j)
        b.emplace_back(j, 0xF1);
    UpsTable[1].OkCount = 4;
    Asked(1, 3);
    ASSERT_TRUE(Parse(Reply(AlarmInfo(c, b))));
    // 54 plain bytes, 135, 160, 201..205 and 210.
    EXPECT_EQ(UpsTable[1].AlarmCount, 62);
}

// The receive handler counts each good reply after ParseReply; status and
// alarms are decoded only from the fifth good reply after a reset on.
TEST_F(Nordel, StatusAndAlarmsWaitForFourGoodReplies) {
    TUpsInfoRec& rec = UpsTable[1];
    const std::string status = Reply(StatusInfo(OnlineCodes));
    const std::string alarms = Reply(AlarmInfo({{0, 1}}, {}));
    for (int reply = 1; reply <= 5; ++reply) {
        SCOPED_TRACE(reply);
        const bool decoded = reply == 5;
        Asked(1, reply % 2 ? 2 : 3);
        ASSERT_TRUE(Parse(reply % 2 ? status : alarms));
        RecordNoteGoodReply(rec, events);
        EXPECT_EQ(rec.UpsState, decoded ? StateOnline : StateNone);
        EXPECT_EQ(rec.DataValid, decoded ? 1 : 0);
        EXPECT_EQ(rec.OutputSwitch, decoded ? 1 : 0);
        EXPECT_EQ(rec.AlarmCount, 0);
    }
    Asked(1, 3);
    ASSERT_TRUE(Parse(alarms));
    EXPECT_EQ(Alarms(rec), (std::vector<int32_t>{201}));

    // After a loss the count starts again.
    ResetRecordComm(rec);
    Asked(1, 2);
    ASSERT_TRUE(Parse(Reply(StatusInfo({"02", "E1", "E0", "E1", "E0", "E1", "E0"}))));
    EXPECT_EQ(rec.UpsState, StateNone);
    EXPECT_EQ(rec.UpsSupply, 1);
    EXPECT_EQ(rec.OutputSwitch, 1);
}

// The simulator's three-phase responder answers each request the codec builds.
class NordelSim : public Nordel {
protected:
    NordelSim() { bus.Protocol = TSimProtocol::ThreePhase; }

    TSimUnit& AddUnit(uint8_t address, TSimState state, std::set<int> alarms = {}) {
        TSimUnit unit = MakeUnit(address, DefaultModel);
        SetUnitState(unit, state);
        unit.Alarms = std::move(alarms);
        bus.Units[address] = unit;
        return bus.Units[address];
    }

    // Sends what BuildQuery left in TxBuffer and returns the unit's reply.
    std::string Exchange() {
        const TSimReply reply =
            bus.Answer(std::span<const uint8_t>(TxBuffer.data(), std::size_t(codec.FrameLen)));
        return {reply.Bytes.begin(), reply.Bytes.end()};
    }

    TSimBus bus;
};

TEST_F(NordelSim, PollSequenceDecodesTheUnitsValues) {
    const TSimUnit& unit = AddUnit(3, TSimState::Online, {101, 135, 160, 203, 209});
    ASSERT_TRUE(AppendEquip({0, 3, "three"}));
    TUpsInfoRec& rec = UpsTable[3];
    rec.CommState = CommCommunicating;
    rec.OkCount = 4;

    ASSERT_TRUE(codec.BuildQuery());
    EXPECT_EQ(codec.Addr, 1);
    EXPECT_TRUE(Exchange().empty()); // nobody at address 1
    for (uint8_t step = 1; step <= 5; ++step) {
        SCOPED_TRACE(int(step));
        ASSERT_TRUE(codec.BuildQuery());
        ASSERT_EQ(codec.Addr, 3);
        const std::string reply = Exchange();
        ASSERT_FALSE(reply.empty());
        EXPECT_TRUE(Parse(reply));
    }

    const TSimMeasure& m = unit.Measure;
    EXPECT_NEAR(rec.InputVoltA, m.InputVolt[0], 0.01);
    EXPECT_NEAR(rec.InputVoltB, m.InputVolt[1], 0.01);
    EXPECT_NEAR(rec.InputVoltC, m.InputVolt[2], 0.01);
    EXPECT_NEAR(rec.OutputVoltA, m.OutputVolt[0], 0.01);
    EXPECT_NEAR(rec.OutputVoltB, m.OutputVolt[1], 0.01);
    EXPECT_NEAR(rec.OutputVoltC, m.OutputVolt[2], 0.01);
    EXPECT_NEAR(rec.DcInputVolt, m.BattVolt1 + m.BattVolt2, 0.01);
    EXPECT_NEAR(rec.OutputFreq, m.OutputFreq, 0.001);
    EXPECT_NEAR(rec.LoadPctA, m.LoadPct[0], 0.001);
    EXPECT_NEAR(rec.LoadPctB, m.LoadPct[1], 0.001);
    EXPECT_NEAR(rec.LoadPctC, m.LoadPct[2], 0.001);
    EXPECT_NEAR(rec.BattSupportTime, m.BattSupportTime, 0.5);
    EXPECT_GT(rec.OutputVoltA, 0);
    EXPECT_GT(rec.LoadPctA, 0);
    EXPECT_EQ(rec.UpsState, StateOnline);
    EXPECT_EQ(rec.InputSwitch, 1);
    EXPECT_EQ(rec.OutputSwitch, 1);
    EXPECT_EQ(rec.MaintBypassSwitch, 0);
    EXPECT_EQ(Alarms(rec), (std::vector<int32_t>{101, 135, 160, 203, 209}));
}

TEST_F(NordelSim, SearchProbeOfEachStateGivesTheThreePhaseState) {
    struct Row {
        TSimState state;
        int32_t expected;
    };
    const Row rows[] = {
        {TSimState::Standby, StateStandby}, {TSimState::Online, StateOnline},
        {TSimState::Battery, StateBattery}, {TSimState::BatteryTest, StateBattSelfTest},
        {TSimState::Bypass, StateBypass},   {TSimState::Economy, StateBypass},
        {TSimState::Fault, StateBypass},    {TSimState::MaintBypass, StateMaintBypass},
        {TSimState::Epo, StateStandby},
    };
    SearchMode = 255;
    SearchAddress = 9;
    for (const Row& row : rows) {
        SCOPED_TRACE(int(row.state));
        AddUnit(9, row.state);
        UpsTable[9].OkCount = 4;
        ASSERT_TRUE(codec.BuildQuery());
        EXPECT_TRUE(Parse(Exchange()));
        EXPECT_EQ(UpsTable[9].UpsState, row.expected);
    }
}

} // namespace
