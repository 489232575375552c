// The three-phase UPS codec: requests per step and address, the poll sequence
// and search probes, reply checks with their error counters, decoding into the
// record, and a round trip through the simulator's three-phase responder.

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

class TNoEvents : public TDeviceEventSink {
public:
    void LogDeviceEvent(uint8_t, uint8_t) override {}
    void LogAlarmEvent(uint8_t, int32_t, uint8_t) override {}
};

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
        return Counted(codec.ParseReply(bytes.data(), int(bytes.size())));
    }

    // The chunk the way the poll engine hands it over: cut to 400 bytes in
    // RxBuffer, whose remaining bytes still hold whatever came before.
    bool ParseViaRxBuffer(std::string_view chunk) {
        const std::size_t n = std::min(chunk.size(), RxBuffer.size());
        std::copy_n(chunk.begin(), n, RxBuffer.begin());
        return Counted(codec.ParseReply(RxBuffer.data(), int(n)));
    }

    std::string Sent() const { return {TxBuffer.begin(), TxBuffer.begin() + codec.FrameLen}; }

    TNordelProtocol codec{TxBuffer, RxBuffer};
    TNoEvents events;
};

TEST_F(Nordel, StartsAddressedToDeviceOneWithNothingOutstanding) {
    EXPECT_EQ(codec.VerText, "11");
    EXPECT_EQ(codec.Cmd, 0);
    EXPECT_EQ(codec.Addr, 1);
}

TEST_F(Nordel, RequestBytesPerStepAndAddress) {
    struct Row {
        uint16_t address;
        uint8_t cmd;
        std::string_view frame;
    };
    const Row rows[] = {
        {1, 1, "~11012A410000FDA5\r"},    {1, 2, "~11012A430000FDA3\r"},
        {1, 3, "~11012A440000FDA2\r"},    {1, 4, "~11012AE20000FD93\r"},
        {1, 5, "~11012AE30000FD92\r"},    {0x1F, 3, "~111F2A440000FD8C\r"},
        {0xAB, 2, "~11AB2A430000FD81\r"}, {252, 5, "~11FC2AE30000FD6A\r"},
        {0, 1, "~11002A410000FDA6\r"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.frame);
        Asked(row.address, row.cmd);
        codec.BuildFrame();
        EXPECT_EQ(codec.FrameLen, 18);
        EXPECT_EQ(Sent(), row.frame);
        EXPECT_EQ(TxBuffer[18], 0); // terminator after the frame
    }
    for (uint8_t cmd : {0, 6, 255}) {
        Asked(1, cmd);
        codec.BuildFrame();
        EXPECT_EQ(codec.FrameLen, 0) << int(cmd);
    }
}

struct TStepRow {
    uint16_t address;
    uint8_t cmd;
    uint8_t stepCount;
};

void ExpectSequence(TNordelProtocol& codec, const std::vector<TStepRow>& rows) {
    static const std::string_view cid2[] = {"41", "43", "44", "E2", "E3"};
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(i);
        ASSERT_TRUE(codec.BuildQuery());
        EXPECT_EQ(codec.Addr, rows[i].address);
        EXPECT_EQ(codec.Cmd, rows[i].cmd);
        EXPECT_EQ(PollStep, rows[i].cmd);
        EXPECT_EQ(PollStepCount, rows[i].stepCount);
        const std::string sent(TxBuffer.begin(), TxBuffer.begin() + codec.FrameLen);
        EXPECT_EQ(sent.substr(3, 2), Hex2(rows[i].address));
        EXPECT_EQ(sent.substr(7, 2), cid2[rows[i].cmd - 1]);
    }
}

// Address 1 first, whether listed or not, as a lost device (one step); then
// the list: five steps for a communicating device, one for a lost one.
TEST_F(Nordel, PollSequenceStartsAtAddressOneThenWalksTheList) {
    ASSERT_TRUE(AppendEquip({0, 5, "five"}));
    ASSERT_TRUE(AppendEquip({0, 7, "seven"}));
    UpsTable[5].CommState = CommCommunicating;
    ExpectSequence(codec, {{1, 1, 1},
                           {5, 1, 1},
                           {5, 2, 5},
                           {5, 3, 5},
                           {5, 4, 5},
                           {5, 5, 5},
                           {7, 1, 5},
                           {5, 1, 1},
                           {5, 2, 5}});
}

TEST_F(Nordel, LostDeviceThatAnswersGetsStepTwoNext) {
    ASSERT_TRUE(AppendEquip({0, 7, "seven"}));
    ExpectSequence(codec, {{1, 1, 1}, {7, 1, 1}});
    RecordNoteGoodReply(UpsTable[7], events);
    ExpectSequence(codec, {{7, 2, 5}, {7, 3, 5}});
}

TEST_F(Nordel, EmptyListPollsAddressZero) {
    ExpectSequence(codec, {{1, 1, 1}, {0, 1, 1}, {0, 1, 1}});
}

TEST_F(Nordel, SearchProbeIsAStatusRequestAndLeavesTheStepCounter) {
    PollStep = 3;
    PollStepCount = 5;
    SearchMode = 255;
    SearchAddress = 0x1F;
    ManualSendMode = 255; // the search still probes
    ASSERT_TRUE(codec.BuildQuery());
    EXPECT_EQ(Sent(), "~111F2A430000FD8D\r");
    EXPECT_EQ(codec.Addr, 0x1F);
    EXPECT_EQ(codec.Cmd, 2);
    EXPECT_EQ(PollStep, 3);
    EXPECT_EQ(PollStepCount, 5);

    EXPECT_FALSE(Parse(Reply(StatusInfo(OnlineCodes), {.Address = 0x20})));
    EXPECT_EQ(CommDebug.ErrCnt[ErrAddress], 1);
    EXPECT_TRUE(Parse(Reply(StatusInfo(OnlineCodes), {.Address = 0x1F})));
}

// A search range typed up to 255 probes addresses that have no record. The
// probe goes out, the answer is refused before anything is decoded, and the
// poll carries on from the probed address to the list without touching a
// record that does not exist (the address sanitizer run catches that).
TEST_F(Nordel, AddressesWithoutARecordAreProbedButNeverDecoded) {
    ASSERT_TRUE(AppendEquip({0, 5, "five"}));
    const std::string status = StatusInfo(OnlineCodes);
    for (const uint8_t address : {253, 254, 255, 0}) {
        SCOPED_TRACE(int(address));
        CommDebug = TCommDebug{};
        PollStep = 0;
        UpsTable[252].OkCount = 4;
        const TMeasureBlock lastRecord = EncodeMeasureBlock(UpsTable[252]);
        SearchMode = 255;
        SearchAddress = address;
        ASSERT_TRUE(codec.BuildQuery());
        EXPECT_EQ(Sent().substr(3, 2), Hex2(address));
        EXPECT_FALSE(Parse(Reply(status, {.Address = address})));
        EXPECT_EQ(CommDebug.ErrCnt[ErrAddress], 1);
        EXPECT_EQ(RejectedReplies(), 1);

        SearchMode = 0;
        ASSERT_TRUE(codec.BuildQuery()); // the step left by the search, at the probed address
        EXPECT_EQ(codec.Addr, address);
        EXPECT_EQ(codec.FrameLen, 18);
        EXPECT_FALSE(Parse(Reply(status, {.Address = address})));
        ASSERT_TRUE(codec.BuildQuery());
        EXPECT_EQ(codec.Addr, 5);
        EXPECT_EQ(EncodeMeasureBlock(UpsTable[252]), lastRecord);
    }
}

TEST_F(Nordel, ManualSendModeBuildsNothing) {
    ManualSendMode = 255;
    PollStep = 2;
    const TTxBuffer before = TxBuffer;
    EXPECT_FALSE(codec.BuildQuery());
    EXPECT_EQ(TxBuffer, before);
    EXPECT_EQ(PollStep, 2);
    EXPECT_EQ(MakeNordelHooks(codec).BuildQuery().Length, 0);
}

TEST_F(Nordel, HooksBuildAndParseThroughTheCodec) {
    const TCodecHooks hooks = MakeNordelHooks(codec);
    const TBuiltQuery built = hooks.BuildQuery();
    EXPECT_EQ(built.Length, 18);
    EXPECT_EQ(built.Address, 1);
    EXPECT_EQ(Sent(), "~11012A410000FDA5\r");
    const std::string reply = Reply(AnalogInfo(AnalogValues));
    const std::vector<uint8_t> bytes(reply.begin(), reply.end());
    EXPECT_TRUE(hooks.ParseReply(bytes.data(), int(bytes.size())));
    EXPECT_DOUBLE_EQ(UpsTable[1].OutputVoltA, 220);
}

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

TEST_F(Nordel, RepeatedReplyIsGoodButDecodesNothing) {
    const std::string reply = Reply(AnalogInfo(AnalogValues));
    Asked(1, 1);
    ASSERT_TRUE(Parse(reply));
    EXPECT_EQ(codec.Cmd, 0);
    UpsTable[1].OutputVoltA = -1;
    EXPECT_TRUE(Parse(reply));
    EXPECT_TRUE(Parse(reply));
    EXPECT_EQ(UpsTable[1].OutputVoltA, -1);
    EXPECT_EQ(RejectedReplies(), 0);
}

std::string Replace(std::string frame, std::size_t pos, std::string_view text) {
    return frame.replace(pos, text.size(), text);
}

// Each rejected chunk counts exactly one reason and leaves the record and
// the outstanding command alone.
TEST_F(Nordel, RejectedRepliesCountOneReason) {
    const std::string good = Reply(AnalogInfo(AnalogValues));
    const std::string info = AnalogInfo(AnalogValues);
    const std::size_t chk = good.size() - 5;
    // LENID 90 is "105A"; the same LENID with another LCHKSUM digit.
    const std::string badLchk = Closed(Replace(good, 9, "2").substr(0, chk));
    struct Row {
        const char* name;
        std::string chunk;
        int reason;
    };
    const Row rows[] = {
        {"start byte", Replace(good, 0, "!"), ErrStartByte},
        {"empty chunk", "", ErrStartByte},
        {"garbage before the frame", std::string("\xFF\x00", 2) + good, ErrStartByte},
        {"second half of a split frame", good.substr(50), ErrStartByte},
        {"version 31", Reply(info, {.Ver = "31"}), ErrVersion},
        {"another address", Reply(info, {.Address = 2}), ErrAddress},
        {"device type", Reply(info, {.Cid1 = "2B"}), ErrDevType},
        {"return code", Reply(info, {.Rtn = "01"}), ErrDevType},
        {"wrong LCHKSUM", badLchk, ErrLength},
        {"extra byte after CR", good + "\r", ErrLength},
        {"two frames in one chunk", good + good, ErrLength},
        {"first half of a split frame", good.substr(0, 50), ErrLength},
        {"truncated before CR", good.substr(0, good.size() - 1), ErrLength},
        {"header only", "~11012A00", ErrLength},
        {"no INFO", Reply(""), ErrLength},
        {"INFO too short for the analog values", Reply(info.substr(0, 89)), ErrLength},
        {"chunk of 450 bytes", good + std::string(450 - good.size(), 'A'), ErrLength},
        {"wrong checksum", Replace(good, chk, "0000"), ErrChecksum},
        {"damaged INFO", Replace(good, 20, "F"), ErrChecksum},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        CommDebug = TCommDebug{};
        Asked(1, 1);
        const TMeasureBlock before = EncodeMeasureBlock(UpsTable[1]);
        EXPECT_FALSE(Parse(row.chunk));
        EXPECT_EQ(CommDebug.ErrCnt[std::size_t(row.reason)], 1);
        EXPECT_EQ(RejectedReplies(), 1);
        EXPECT_EQ(codec.Cmd, 1);
        EXPECT_EQ(EncodeMeasureBlock(UpsTable[1]), before);
    }
}

// A reply must hold every position its command reads; exactly enough is good.
TEST_F(Nordel, ReplyLengthMustCoverWhatItsCommandReads) {
    struct Row {
        uint8_t cmd;
        int minInfo;
    };
    const Row rows[] = {{1, 90}, {2, 24}, {3, 130}, {4, 124}, {5, 108}, {0, 0}};
    UpsTable[1].OkCount = 4;
    for (const Row& row : rows) {
        SCOPED_TRACE(int(row.cmd));
        CommDebug = TCommDebug{};
        if (row.minInfo > 0) {
            Asked(1, row.cmd);
            EXPECT_FALSE(Parse(Reply(Info(row.minInfo - 1))));
            EXPECT_EQ(CommDebug.ErrCnt[ErrLength], 1);
        }
        for (int extra : {0, 40}) {
            Asked(1, row.cmd);
            EXPECT_TRUE(Parse(Reply(Info(row.minInfo + extra))));
        }
    }
}

TEST_F(Nordel, SplitFrameIsRejectedAndTheWholeFrameStillDecodes) {
    const std::string good = Reply(AnalogInfo(AnalogValues));
    Asked(1, 1);
    EXPECT_FALSE(ParseViaRxBuffer(good.substr(0, 60)));
    EXPECT_FALSE(ParseViaRxBuffer(good.substr(60)));
    EXPECT_TRUE(ParseViaRxBuffer(good));
    EXPECT_DOUBLE_EQ(UpsTable[1].OutputVoltA, 220);
}

// A short chunk over an earlier, longer one in RxBuffer must not pick up the
// earlier chunk's values.
TEST_F(Nordel, StaleBufferContentIsNeverDecoded) {
    Asked(1, 1);
    ASSERT_TRUE(ParseViaRxBuffer(Reply(AnalogInfo(AnalogValues))));
    UpsTable[1].OutputVoltA = -1;
    Asked(1, 1);
    EXPECT_FALSE(ParseViaRxBuffer(Reply("")));
    EXPECT_FALSE(ParseViaRxBuffer(Reply(Info(40))));
    EXPECT_EQ(CommDebug.ErrCnt[ErrLength], 2);
    EXPECT_EQ(UpsTable[1].OutputVoltA, -1);
}

TEST_F(Nordel, ChunkCutTo400BytesIsRejected) {
    Asked(1, 1);
    const std::string good = Reply(AnalogInfo(AnalogValues));
    EXPECT_FALSE(ParseViaRxBuffer(good + std::string(400, '0')));
    EXPECT_EQ(CommDebug.ErrCnt[ErrLength], 1);
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
    EXPECT_EQ(RejectedReplies(), 0);

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
