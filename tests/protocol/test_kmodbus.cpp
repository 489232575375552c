// The Modbus / VEX codec: request bytes, the poll sequence with its step
// count rules, the command queue ahead of polling, reply decoding with the
// register map and scaling, every rejection, chunking, search probes, and a
// round trip through the bus simulator's Modbus responder.

#include "tests/protocol/KModbusTestSupport.h"

#include "protocol/ModelUnlock.h"
#include "status/StatusCodes.h"
#include "tools/sim/ModbusRegisters.h"
#include "tools/sim/ModbusResponder.h"
#include "tools/sim/StatusWords.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <sstream>

namespace {

class KModbus : public testing::Test {
protected:
    void SetUp() override { Fresh(); }

    // Program start: a clean state and a new codec.
    void Fresh() {
        ResetModbusState();
        Codec = std::make_unique<TMModbus>(TxBuffer);
    }

    TBytes Build() {
        Codec->BuildQuery();
        return BuiltFrame(*Codec);
    }
    TReplyVerdict Parse(const TBytes& bytes) {
        return Codec->ParseReply(bytes.data(), int(bytes.size()));
    }

    // "address:step" of the next n requests, read back from the frames sent.
    std::string Sequence(int n) {
        static const std::map<int, int> StepOfPduAddress = {
            {0x7530, 1}, {0x7544, 2}, {0x7580, 3}, {0x9C40, 4}, {0x9C5C, 5}};
        std::ostringstream out;
        for (int i = 0; i < n; ++i) {
            const TBytes f = Build();
            const auto step = StepOfPduAddress.find((f.at(2) << 8) | f.at(3));
            out << (i ? " " : "") << int(f.at(0)) << ':'
                << (step == StepOfPduAddress.end() ? 0 : step->second);
        }
        return out.str();
    }

    // Polls device `address` (alone in the list, communicating, five-step
    // model) until the request of `step` is built.
    void AskStep(uint8_t address, int step) {
        SetDevices({address}, 0);
        ModelName = FiveStepModel;
        for (int i = 0; i < 8; ++i) {
            Codec->BuildQuery();
            if (Codec->CurAddr == address && PollStep == step)
                return;
        }
        FAIL() << "step " << step << " never built";
    }

    std::unique_ptr<TMModbus> Codec;
};

// ---------------------------------------------------------------- requests

struct TRequestRow {
    const char* Name;
    TCommandSlot Slot;
    std::function<void()> Prepare;
    TBytes Expected;
};

TEST_F(KModbus, QueuedRequestsGoOutByteForByte) {
    const std::vector<TRequestRow> rows = {
        {"write 1 to 20001 (switch-on)",
         {255, 1, 6, 20001, 1},
         [] { CommandValue = 1; },
         {0x01, 0x06, 0x4E, 0x20, 0x00, 0x01, 0x5E, 0xE8}},
        {"battery self-test of 300 s at address 5",
         {255, 5, 6, 20003, 1},
         [] { CommandValue = 300; },
         {0x05, 0x06, 0x4E, 0x22, 0x01, 0x2C, 0x3F, 0x21}},
        {"bypass lower limit -20 % goes out as FF EC",
         {255, 1, 6, 40013, 1},
         [] { ParamWrite.BypassVoltLower = -20; },
         {0x01, 0x06, 0x9C, 0x4C, 0xFF, 0xEC, 0x26, 0x30}},
        {"unlock write carries the shared unlock value",
         {255, 7, 6, UnlockRegister, 1},
         [] {},
         {0x07, 0x06, 0xC3, 0x4F, 0x00, 0x47, 0xC4, 0x0D}},
        {"40028 is written as 0 whatever ParamWrite holds",
         {255, 1, 6, 40028, 1},
         [] { ParamWrite.Hold40028 = 0x1234; },
         {0x01, 0x06, 0x9C, 0x5B, 0x00, 0x00, 0xD6, 0x49}},
        {"function 16 over 40012..40013",
         {255, 1, 16, 40012, 2},
         [] {
             ParamWrite.BypassVoltUpper = 15;
             ParamWrite.BypassVoltLower = -20;
         },
         {0x01, 0x10, 0x9C, 0x4B, 0x00, 0x02, 0x04, 0x00, 0x0F, 0xFF, 0xEC, 0x3F, 0x54}},
        {"a queued read of the holding registers at address 17",
         {255, 17, 3, 40001, 28},
         [] {},
         {0x11, 0x03, 0x9C, 0x40, 0x00, 0x1C, 0x69, 0x17}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Name);
        Fresh();
        row.Prepare();
        CommandQueue[0] = row.Slot;
        EXPECT_EQ(Hex(Build()), Hex(row.Expected));
        EXPECT_EQ(Codec->CurAddr, row.Slot.Slave);
        EXPECT_EQ(EquipList.PollAddress, row.Slot.Slave);
        EXPECT_EQ(CommandQueue[0].Pending, 0);
    }
}

TEST_F(KModbus, PollStepsGoOutByteForByte) {
    // Device 1 communicating with the five-step model: after the first
    // request to address 0 come steps 1 to 5 of device 1.
    SetDevices({1}, 0);
    ModelName = "VEX610RT";
    const TBytes expected[] = {
        {0x00, 0x04, 0x75, 0x30, 0x00, 0x0E, 0x6A, 0x1C},
        {0x01, 0x04, 0x75, 0x30, 0x00, 0x0E, 0x6B, 0xCD},
        {0x01, 0x04, 0x75, 0x44, 0x00, 0x12, 0x2A, 0x1E},
        {0x01, 0x04, 0x75, 0x80, 0x00, 0x0B, 0xAA, 0x29},
        {0x01, 0x03, 0x9C, 0x40, 0x00, 0x1C, 0x6B, 0x87},
        {0x01, 0x03, 0x9C, 0x5C, 0x00, 0x01, 0x6A, 0x48},
    };
    for (const TBytes& e : expected)
        EXPECT_EQ(Hex(Build()), Hex(e));
}

TEST_F(KModbus, FramesItCannotBuildLeaveNothingToSend) {
    const std::vector<TCommandSlot> slots = {
        {255, 1, 5, 1, 1},        // function 5 is not built
        {255, 1, 16, 40002, 124}, // 257 bytes would not fit the transmit buffer
        {255, 1, 16, 40002, -1},
    };
    for (const auto& slot : slots) {
        SCOPED_TRACE(int(slot.Func) * 1000 + slot.Count);
        CommandQueue[0] = slot;
        Codec->BuildQuery();
        EXPECT_EQ(Codec->FrameLen, 0);
        EXPECT_EQ(Codec->CurAddr, 1);
    }
    CommandQueue[0] = {255, 1, 16, 40002, 123};
    Codec->BuildQuery();
    EXPECT_EQ(Codec->FrameLen, 2 * 123 + 9);
    EXPECT_EQ(Crc16(BuiltFrame(*Codec)), 0);
}

// ------------------------------------------------------- step count rules

struct TSequenceRow {
    const char* Name;
    std::string Model;
    std::map<uint8_t, uint8_t> Devices; // address -> CommState, polled in address order
    int Requests;
    std::string Expected;
};

TEST_F(KModbus, StepCountFollowsCommStateAndModel) {
    const std::vector<TSequenceRow> rows = {
        {"lost devices get one step-1 request per visit",
         "",
         {{1, 2}, {2, 2}},
         5,
         "0:1 1:1 2:1 1:1 2:1"},
        {"communicating devices get four steps",
         "",
         {{1, 0}, {2, 0}},
         10,
         "0:1 1:1 1:2 1:3 1:4 2:1 2:2 2:3 2:4 1:1"},
        {"a device in error still gets the full sequence",
         "",
         {{1, 1}},
         6,
         "0:1 1:1 1:2 1:3 1:4 1:1"},
        {"VEX610RT adds step 5",
         "VEX610RT",
         {{1, 0}, {2, 0}},
         8,
         "0:1 1:1 1:2 1:3 1:4 1:5 2:1 2:2"},
        {"the model name is compared exactly", "vex610rt", {{1, 0}}, 6, "0:1 1:1 1:2 1:3 1:4 1:1"},
        {"another model polls four steps", "VEX610", {{1, 0}}, 6, "0:1 1:1 1:2 1:3 1:4 1:1"},
        {"a lost device between two communicating ones",
         "",
         {{1, 0}, {2, 2}, {3, 0}},
         8,
         "0:1 1:1 1:2 1:3 1:4 2:1 3:1 3:2"},
        {"an empty list polls address 0 alone", "", {}, 3, "0:1 0:1 0:1"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Name);
        Fresh();
        for (auto [address, state] : row.Devices)
            SetDevices({address}, state);
        ModelName = row.Model;
        EXPECT_EQ(Sequence(row.Requests), row.Expected);
        EXPECT_LE(PollStep, PollStepCount);
    }
}

class TNullSink : public TDeviceEventSink {
public:
    void LogDeviceEvent(uint8_t, uint8_t) override {}
    void LogAlarmEvent(uint8_t, int32_t, uint8_t) override {}
};

TEST_F(KModbus, LostDeviceThatAnswersGetsStepTwoNext) {
    SetDevices({1, 2}, 2);
    EXPECT_EQ(Sequence(2), "0:1 1:1");
    ASSERT_TRUE(Parse(ReadReply(1, 4, std::vector<uint16_t>(14, 0))));
    TNullSink sink;
    RecordNoteGoodReply(UpsTable[1], sink); // what the receive handler does next
    EXPECT_EQ(Sequence(5), "1:2 1:3 1:4 2:1 1:1");
}

TEST_F(KModbus, ModelAcceptedMidSequenceExtendsItAtOnce) {
    SetDevices({1}, 0);
    EXPECT_EQ(Sequence(5), "0:1 1:1 1:2 1:3 1:4");
    ModelName = "VEX610RT";
    EXPECT_EQ(Sequence(2), "1:5 1:1");
}

TEST_F(KModbus, StepCounterLeftHighByAnotherProtocolWrapsToStepOne) {
    SetDevices({1}, 0);
    PollStep = 255;
    EXPECT_EQ(Sequence(2), "1:1 1:2");
}

// ---------------------------------------------------------- command queue

TEST_F(KModbus, QueuedCommandsGoFirstLowestSlotFirstAndPollingResumes) {
    SetDevices({1, 2}, 0);
    EXPECT_EQ(Sequence(3), "0:1 1:1 1:2");
    CommandValue = 1;
    CommandQueue[3] = {255, 1, 6, 20002, 1};
    CommandQueue[1] = {255, 1, 6, 20001, 1};

    const TBytes first = Build();
    EXPECT_EQ(first.at(3), 0x20) << "slot 1 (20001) goes first";
    EXPECT_EQ(CommandQueue[1].Pending, 0);
    EXPECT_EQ(CommandQueue[3].Pending, 255);
    const TBytes second = Build();
    EXPECT_EQ(second.at(3), 0x21);
    EXPECT_EQ(CommandQueue[3].Pending, 0);
    EXPECT_EQ(PollStep, 2) << "commands do not move the step counter";

    EXPECT_EQ(Sequence(3), "1:3 1:4 2:1");
}

TEST_F(KModbus, AfterACommandTheSequenceContinuesAtTheCommandsAddress) {
    SetDevices({1, 2, 3}, 0);
    EXPECT_EQ(Sequence(3), "0:1 1:1 1:2");
    CommandQueue[0] = {255, 3, 6, 20001, 1};
    EXPECT_EQ(Build().at(0), 3);
    // The remaining steps of the interrupted pass go to the command's
    // address; the list then moves on from where it was.
    EXPECT_EQ(Sequence(3), "3:3 3:4 2:1");
}

TEST_F(KModbus, SearchProbesTheSearchAddressAndLeavesStepsAndQueueAlone) {
    SetDevices({1}, 0);
    EXPECT_EQ(Sequence(3), "0:1 1:1 1:2");
    CommandQueue[0] = {255, 1, 6, 20001, 1};
    SearchMode = 255;
    SearchAddress = 17;
    EXPECT_EQ(Hex(Build()), Hex({0x11, 0x04, 0x75, 0x30, 0x00, 0x0E, 0x69, 0x5D}));
    EXPECT_EQ(Codec->CurAddr, 17);
    EXPECT_EQ(PollStep, 2);
    EXPECT_EQ(CommandQueue[0].Pending, 255);
}

TEST_F(KModbus, ManualSendModeBuildsNothing) {
    SetDevices({1}, 0);
    const TBytes before = Build();
    ManualSendMode = 255;
    CommandQueue[0] = {255, 1, 6, 20001, 1};
    Codec->BuildQuery();
    EXPECT_EQ(BuiltFrame(*Codec), before);
    EXPECT_EQ(CommandQueue[0].Pending, 255);
    EXPECT_EQ(PollStep, 1);
}

// --------------------------------------------------------------- decoding

TEST_F(KModbus, StepOneAndTwoDecodeMeasurementsWithScaling) {
    AskStep(1, 1);
    // 30004..30010 are read but have no field: a value there lands nowhere.
    std::vector<uint16_t> regs(14, 0xFFFF);
    regs[0] = 2213, regs[1] = 2222, regs[2] = 2231;
    regs[10] = 2200, regs[11] = 2201, regs[12] = 2202, regs[13] = 500;
    ASSERT_TRUE(Parse(ReadReply(1, 4, regs)));
    const TUpsInfoRec& r = UpsTable[1];
    EXPECT_DOUBLE_EQ(r.InputVoltA, 221.3);
    EXPECT_DOUBLE_EQ(r.InputVoltB, 222.2);
    EXPECT_DOUBLE_EQ(r.InputVoltC, 223.1);
    EXPECT_DOUBLE_EQ(r.OutputVoltA, 220.0);
    EXPECT_DOUBLE_EQ(r.OutputVoltB, 220.1);
    EXPECT_DOUBLE_EQ(r.OutputVoltC, 220.2);
    EXPECT_DOUBLE_EQ(r.OutputFreq, 50.0);
    EXPECT_DOUBLE_EQ(r.LoadPctA, 0);

    AskStep(1, 2);
    regs.assign(18, 0xFFFF);
    regs[0] = 35, regs[1] = 36, regs[2] = 137;
    regs[10] = 2164, regs[11] = 2170; // battery halves
    regs[12] = 12, regs[13] = 13;     // charge
    regs[14] = 0, regs[15] = 5;       // discharge
    regs[16] = 65535, regs[17] = 51;
    ASSERT_TRUE(Parse(ReadReply(1, 4, regs)));
    EXPECT_DOUBLE_EQ(r.LoadPctA, 35);
    EXPECT_DOUBLE_EQ(r.LoadPctB, 36);
    EXPECT_DOUBLE_EQ(r.LoadPctC, 137);
    EXPECT_DOUBLE_EQ(r.DcInputVolt, 216.4 + 217.0);
    EXPECT_DOUBLE_EQ(r.ChargeCur, 1.2 + 1.3);
    EXPECT_DOUBLE_EQ(r.DischargeCur, 0.5);
    EXPECT_EQ(r.BattCapacity, 65535) << "widened unsigned, never negative";
    EXPECT_EQ(r.BattSupportTime, 51);
    EXPECT_DOUBLE_EQ(r.InputVoltA, 221.3) << "step 2 leaves step 1's registers";
}

// Every read reply rebuilds the alarm list from the words held; only the
// status step brings the alarm words themselves.
TEST_F(KModbus, OnlyTheStatusStepReportsTheAlarmList) {
    const struct { int Step, Func, Count; } others[] = {{1, 4, 14}, {2, 4, 18}, {4, 3, 28}};
    for (const auto& o : others) {
        AskStep(1, o.Step);
        ASSERT_TRUE(Parse(ReadReply(1, uint8_t(o.Func), std::vector<uint16_t>(o.Count, 0))));
        EXPECT_EQ(UpsTable[1].AlarmsReported, 0) << o.Step;
    }
    AskStep(1, 3);
    ASSERT_TRUE(Parse(ReadReply(1, 4, std::vector<uint16_t>(11, 0))));
    EXPECT_EQ(UpsTable[1].AlarmsReported, 1);
}

TEST_F(KModbus, StepThreeStoresStatusWordsInRegisterOrderAndDerivesState) {
    AskStep(1, 3);
    const std::vector<uint16_t> regs = {
        0x1204, // 30081 DevState: low byte
        0xCC00, // 30082 W0: input switch, mains, output on, inverter supply
        0x0001, // 30083 W1
        0x4700, // 30084 W4: output switch, inverter feeding the output
        0x0002, // 30085 W5
        0x0000, // 30086 W2: any bit here would be a fault
        0x4000, // 30087 W3: alarm 17
        0x0001, // 30088 W6: alarm 47 (a warning bit)
        0x8000, // 30089 W7: alarm 48
        0x1234, // 30090 W8
        0x0100, // 30091 W9: alarm 71
    };
    ASSERT_TRUE(Parse(ReadReply(1, 4, regs)));
    const TUpsInfoRec& r = UpsTable[1];
    const std::array<uint16_t, 10> words = {0xCC00, 0x0001, 0x0000, 0x4000, 0x4700,
                                            0x0002, 0x0001, 0x8000, 0x1234, 0x0100};
    EXPECT_EQ(r.StatusWord, words);
    EXPECT_EQ(r.DevState, 0x04);
    EXPECT_EQ(r.UpsState, StateOnline);
    EXPECT_EQ(r.DataValid, 1);
    EXPECT_EQ(r.InputSwitch, 1);
    EXPECT_EQ(r.OutputSwitch, 1);
    EXPECT_EQ(r.InputSupply, 1);
    EXPECT_EQ(r.UpsSupply, 1);
    ASSERT_EQ(r.AlarmCount, 4);
    EXPECT_EQ(std::vector<int32_t>(r.AlarmCodes.begin(), r.AlarmCodes.begin() + 4),
              (std::vector<int32_t>{17, 47, 48, 71}));
}

struct THoldingRow {
    int Register;
    uint16_t Value;
    std::function<int64_t(const TUpsInfoRec&)> Field;
    int64_t Expected;
};

TEST_F(KModbus, StepsFourAndFiveStoreHoldingRegistersByWidth) {
    using R = const TUpsInfoRec&;
    const std::vector<THoldingRow> rows = {
        {40002, 0x1203, [](R r) { return r.ParallelId; }, 0x03}, // 8-bit: low byte
        {40003, 0x0007, [](R r) { return r.Hold40003; }, 7},
        {40004, 0xFFFF, [](R r) { return r.WorkMode; }, 65535}, // widened
        {40005, 230, [](R r) { return r.SysVoltLevel; }, 230},
        {40006, 50, [](R r) { return r.SysFreqLevel; }, 50},
        {40007, 3, [](R r) { return r.ParallelAmount; }, 3},
        {40008, 1, [](R r) { return r.ParallelRedundancy; }, 1},
        {40009, 9, [](R r) { return r.Hold40009; }, 9},
        {40011, 5, [](R r) { return r.BypassFreqRange; }, 5},
        {40012, 15, [](R r) { return r.BypassVoltUpper; }, 15},
        {40013, 0xFFEC, [](R r) { return r.BypassVoltLower; }, -20}, // signed 16-bit
        {40014, 30, [](R r) { return r.InvVoltAdjust; }, 30},
        {40015, 32, [](R r) { return r.BattNumber; }, 32},
        {40016, 16, [](R r) { return r.Hold40016; }, 16},
        {40017, 2, [](R r) { return r.BattGroups; }, 2},
        {40018, 235, [](R r) { return r.BoostVoltLimit; }, 235},
        {40019, 225, [](R r) { return r.FloatVolt; }, 225},
        {40020, 175, [](R r) { return r.EodVolt; }, 175},
        {40021, 100, [](R r) { return r.BattCapacityAh; }, 100},
        {40022, 22, [](R r) { return r.Hold40022; }, 22},
        {40023, 50, [](R r) { return r.MaxChargeCur; }, 50},
        {40025, 600, [](R r) { return r.BoostTime; }, 600},
        {40027, 0x3000, [](R r) { return r.StatusControl; }, 0x3000},
        {40028, 0xBEEF, [](R r) { return r.Hold40028; }, 0xBEEF},
    };
    AskStep(1, 4);
    std::vector<uint16_t> regs(28, 0x5A5A); // 40001, 40010, 40024, 40026: no field
    for (const auto& row : rows)
        regs.at(std::size_t(row.Register - 40001)) = row.Value;
    ASSERT_TRUE(Parse(ReadReply(1, 3, regs)));
    for (const auto& row : rows)
        EXPECT_EQ(row.Field(UpsTable[1]), row.Expected) << row.Register;

    AskStep(1, 5);
    ASSERT_TRUE(Parse(ReadReply(1, 3, {0x0102})));
    EXPECT_EQ(UpsTable[1].OperationMode, 2);
    EXPECT_EQ(UpsTable[1].BoostTime, 600);
}

TEST_F(KModbus, ParamsOfRecordAndValueForRegisterRoundTripEveryWrittenField) {
    AskStep(1, 4);
    std::vector<uint16_t> regs(28);
    for (std::size_t i = 0; i < regs.size(); ++i)
        regs[i] = uint16_t(0x0100 + 3 * i); // low bytes differ per register
    regs[40013 - 40001] = 0xFFD3;           // -45
    ASSERT_TRUE(Parse(ReadReply(1, 3, regs)));
    ParamWrite = ParamsOfRecord(UpsTable[1]);
    EXPECT_EQ(ParamWrite.BypassVoltLower, -45);
    for (int reg = 40002; reg <= 40027; ++reg) {
        if (reg == 40010 || reg == 40024 || reg == 40026)
            continue;
        const uint16_t read = regs[std::size_t(reg - 40001)];
        const bool eightBit = reg <= 40012 && reg != 40004;
        EXPECT_EQ(Codec->ValueForRegister(reg), eightBit ? (read & 0xFF) : read) << reg;
    }
}

struct TWriteValueRow {
    int32_t Register;
    uint16_t Expected;
};

TEST_F(KModbus, ValueForRegisterBySource) {
    CommandValue = 600;
    ParamWrite.ParallelId = 14;
    ParamWrite.WorkMode = 0x10004; // only the low 16 bits go out
    ParamWrite.Hold40028 = 77;
    ParamWrite.OperationMode = 2;
    const TWriteValueRow rows[] = {
        {20001, 600}, {20002, 600}, {20003, 600}, {20004, 0},
        {20000, 0},   {40001, 0},   {40002, 14},  {40004, 4},
        {40010, 0},   {40024, 0},   {40026, 0},   {40028, 0},
        {40029, 2},   {40030, 0},   {30001, 0},   {UnlockRegister, WriteUnlockValue},
    };
    for (const auto& row : rows)
        EXPECT_EQ(Codec->ValueForRegister(row.Register), row.Expected) << row.Register;
    EXPECT_EQ(WriteUnlockValue, DefaultUnlockValue) << "the simulator checks the same value";
}

// ------------------------------------------------------------- rejections

// What a rejected chunk must not change.
struct TRecordView {
    TMeasureBlock Measure;
    TStatusBlock Status;
    int32_t UpsState;
    uint8_t AlarmCount, InputSwitch, OutputSwitch;
    bool operator==(const TRecordView&) const = default;
};
TRecordView View(const TUpsInfoRec& r) {
    return {EncodeMeasureBlock(r), EncodeStatusBlock(r), r.UpsState,
            r.AlarmCount,          r.InputSwitch,        r.OutputSwitch};
}

TBytes StepOneReply(uint8_t address = 1) {
    std::vector<uint16_t> regs(14);
    for (std::size_t i = 0; i < regs.size(); ++i)
        regs[i] = uint16_t(2200 + i);
    return ReadReply(address, 4, regs);
}

struct TRejectRow {
    const char* Name;
    TBytes Chunk;
};

TEST_F(KModbus, RejectedChunksReturnFalseAndLeaveTheRecord) {
    const TBytes good = StepOneReply();
    TBytes badCrc = good;
    badCrc.back() ^= 0x01;
    TBytes flippedData = good;
    flippedData[5] ^= 0x10;
    const std::vector<TRejectRow> rows = {
        {"reply from another address", StepOneReply(2)},
        {"CRC error", badCrc},
        {"data changed on the line", flippedData},
        {"exception reply 0x84", WithCrc({0x01, 0x84, 0x02})},
        {"truncated frame", TBytes(good.begin(), good.begin() + 20)},
        {"frame without its CRC", TBytes(good.begin(), good.end() - 2)},
        {"extra byte after the CRC", Concat(good, {0x55})},
        {"garbage before the frame", Concat({0xFF, 0x00}, good)},
        {"garbage starting with the address", Concat({0x01}, good)},
        {"two frames in one chunk", Concat(good, good)},
        {"400 bytes of a frame and noise", Concat(good, TBytes(400 - good.size(), 0x55))},
        {"address and CRC only, no function", WithCrc({0x01})},
        {"a lone address byte", {0x01}},
        {"empty chunk", {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Name);
        Fresh();
        AskStep(1, 1);
        const TRecordView before = View(UpsTable[1]);
        EXPECT_EQ(Parse(row.Chunk), Rejected()) << "letters are ASCII-only";
        EXPECT_TRUE(View(UpsTable[1]) == before);
    }
    EXPECT_FALSE(Codec->ParseReply(nullptr, 8));
}

TEST_F(KModbus, ByteCountThatDisagreesStoresWhatIsThereAndFails) {
    AskStep(1, 1);
    // 26 bytes counted in a frame that holds 14 registers: 13 are stored.
    TBytes f = StepOneReply();
    f[2] = 26;
    f.resize(f.size() - 2);
    f = WithCrc(f);
    EXPECT_FALSE(Parse(f));
    EXPECT_DOUBLE_EQ(UpsTable[1].OutputVoltC, 221.2); // 30013, the 13th
    EXPECT_DOUBLE_EQ(UpsTable[1].OutputFreq, 0);      // 30014 not stored
}

TEST_F(KModbus, ByteCountClaimingMoreThanTheFrameHoldsStoresOnlyWhatCame) {
    AskStep(1, 1);
    // Byte count 28 but only five registers on the line, CRC right: the CRC
    // bytes must not be taken for registers and nothing beyond is read.
    TBytes f = {0x01, 0x04, 28, 0x08, 0x98, 0x08, 0x99, 0x08, 0x9A, 0x00, 0x01, 0x00, 0x02};
    EXPECT_FALSE(Parse(WithCrc(f)));
    EXPECT_DOUBLE_EQ(UpsTable[1].InputVoltA, 220.0);
    EXPECT_DOUBLE_EQ(UpsTable[1].InputVoltC, 220.2);
    EXPECT_DOUBLE_EQ(UpsTable[1].OutputVoltA, 0);
}

TEST_F(KModbus, ByteCountZeroStoresNothingButRederivesFlagsAndAlarms) {
    AskStep(1, 1);
    UpsTable[1].StatusWord[7] = 0x8000; // alarm 48, not yet in the list
    UpsTable[1].StatusWord[0] = 0x8000; // input switch closed
    EXPECT_FALSE(Parse(WithCrc({0x01, 0x04, 0x00})));
    EXPECT_EQ(UpsTable[1].AlarmCount, 1);
    EXPECT_EQ(UpsTable[1].AlarmCodes[0], 48);
    EXPECT_EQ(UpsTable[1].InputSwitch, 1);
    EXPECT_DOUBLE_EQ(UpsTable[1].InputVoltA, 0);
}

TEST_F(KModbus, SplitFrameIsTwoBadChunksAndStoresNothing) {
    AskStep(1, 1);
    const TBytes good = StepOneReply();
    const TRecordView before = View(UpsTable[1]);
    EXPECT_FALSE(Parse(TBytes(good.begin(), good.begin() + 3)));
    EXPECT_FALSE(Parse(TBytes(good.begin() + 3, good.end())));
    EXPECT_TRUE(View(UpsTable[1]) == before);
}

// ------------------------------------------------ repeats, writes, search

TEST_F(KModbus, RepeatedRepliesDecodeEveryCopyAndLateOnesAreRefused) {
    SetDevices({1, 2}, 0);
    EXPECT_EQ(Sequence(2), "0:1 1:1");
    const TBytes reply = StepOneReply();
    EXPECT_TRUE(Parse(reply));
    UpsTable[1].InputVoltA = 0;
    EXPECT_TRUE(Parse(reply)) << "the engine may send a request twice";
    EXPECT_DOUBLE_EQ(UpsTable[1].InputVoltA, 220.0);
    (void)Build();
    (void)Build();
    (void)Build();
    ASSERT_EQ(Sequence(1), "2:1");
    EXPECT_FALSE(Parse(reply)) << "device 1's late reply while device 2 is polled";
}

TEST_F(KModbus, WriteRepliesAreGoodUnlessExceptions) {
    SetDevices({1}, 0);
    CommandValue = 1;
    CommandQueue[0] = {255, 1, 6, 20001, 1};
    const TBytes request = Build();
    const TRecordView before = View(UpsTable[1]);
    EXPECT_TRUE(Parse(request)) << "function 6 echoes the request";
    EXPECT_TRUE(Parse(WithCrc({0x01, 0x10, 0x4E, 0x20, 0x00, 0x01})));
    EXPECT_FALSE(Parse(WithCrc({0x01, 0x86, 0x01})));
    EXPECT_TRUE(View(UpsTable[1]) == before);
}

TEST_F(KModbus, SearchAcceptsAnyCorrectFrameFromTheProbedAddressWithoutDecoding) {
    SearchMode = 255;
    SearchAddress = 9;
    Codec->BuildQuery();
    const TRecordView before = View(UpsTable[9]);
    EXPECT_TRUE(Parse(StepOneReply(9)));
    EXPECT_TRUE(Parse(WithCrc({0x09, 0x84, 0x02}))) << "an exception still shows a device";
    EXPECT_TRUE(Parse(WithCrc({0x09, 0x2B, 0x0E, 0x01})));
    EXPECT_TRUE(View(UpsTable[9]) == before);
    EXPECT_FALSE(Parse(StepOneReply(10)));
    TBytes bad = StepOneReply(9);
    bad[4] ^= 1;
    EXPECT_FALSE(Parse(bad));
}

TEST_F(KModbus, HooksReportLengthAndAddressAndPassChunksThrough) {
    SetDevices({4}, 0);
    const TCodecHooks hooks = MakeModbusHooks(*Codec);
    TBuiltQuery built = hooks.BuildQuery();
    EXPECT_EQ(built.Length, 8);
    EXPECT_EQ(built.Address, 0);
    built = hooks.BuildQuery();
    EXPECT_EQ(built.Address, 4);
    const TBytes reply = StepOneReply(4);
    EXPECT_TRUE(hooks.ParseReply(reply.data(), int(reply.size())));
    EXPECT_FALSE(hooks.ParseReply(reply.data(), int(reply.size()) - 1));
}

// ------------------------------------------------------ simulator round trip

class KModbusSim : public KModbus {
protected:
    // The simulator's answer to the request in TxBuffer, parsed by the codec.
    bool AskSimulator() {
        const TSimReply reply = AnswerModbus(Units, BuiltFrame(*Codec), DefaultUnlockValue);
        return Codec->ParseReply(reply.Bytes.data(), int(reply.Bytes.size())).Good;
    }
    TSimUnits Units;
};

TEST_F(KModbusSim, FullSequenceDecodesTheUnitsValues) {
    TSimUnit& u = Units.emplace(1, MakeUnit(1, "VEX610RT")).first->second;
    u.Measure.InputVolt = {221.3, 222.0, 219.9};
    u.Measure.OutputVolt = {220.0, 220.1, 219.8};
    u.Measure.OutputFreq = 50.02;
    u.Measure.LoadPct = {35, 36, 37};
    u.Measure.BattVolt1 = 216.4;
    u.Measure.BattVolt2 = 217.1;
    u.Measure.ChargeCur1 = 1.5;
    u.Measure.ChargeCur2 = 1.4;
    u.Measure.BattCapacity = 97;
    u.Measure.BattSupportTime = 51;
    u.Alarms = {17, 48, 71};
    SetHoldingValue(u, 40013, uint16_t(-30));
    SetHoldingValue(u, 40029, 2);
    SetDevices({1}, 0);
    ModelName = "VEX610RT";

    Codec->BuildQuery(); // address 0: nobody answers there
    for (int step = 1; step <= 5; ++step) {
        Codec->BuildQuery();
        ASSERT_EQ(Codec->CurAddr, 1);
        EXPECT_TRUE(AskSimulator()) << "step " << step;
    }
    const TUpsInfoRec& r = UpsTable[1];
    EXPECT_DOUBLE_EQ(r.InputVoltA, 221.3);
    EXPECT_DOUBLE_EQ(r.InputVoltC, 219.9);
    EXPECT_DOUBLE_EQ(r.OutputVoltB, 220.1);
    EXPECT_DOUBLE_EQ(r.OutputFreq, 50.0);
    EXPECT_DOUBLE_EQ(r.LoadPctC, 37);
    EXPECT_DOUBLE_EQ(r.DcInputVolt, 216.4 + 217.1);
    EXPECT_DOUBLE_EQ(r.ChargeCur, 1.5 + 1.4);
    EXPECT_EQ(r.BattCapacity, 97);
    EXPECT_EQ(r.BattSupportTime, 51);
    EXPECT_EQ(r.StatusWord, UnitWords(u));
    EXPECT_EQ(r.DevState, DeviceStateNumber(u.State));
    EXPECT_EQ(r.UpsState, StateOnline);
    EXPECT_EQ(std::vector<int32_t>(r.AlarmCodes.begin(), r.AlarmCodes.begin() + r.AlarmCount),
              (std::vector<int32_t>{17, 48, 71}));
    EXPECT_EQ(r.SysVoltLevel, HoldingValue(u, 40005) & 0xFF);
    EXPECT_EQ(r.BattNumber, HoldingValue(u, 40015));
    EXPECT_EQ(r.BypassVoltLower, -30);
    EXPECT_EQ(r.OperationMode, 2);
}

TEST_F(KModbusSim, LockedModelTakesAParameterOnlyAfterTheUnlockWrite) {
    TSimUnit& u = Units.emplace(7, MakeUnit(7, std::string(UnlockModel))).first->second;
    SetDevices({7}, 0);
    ParamWrite.BypassVoltLower = -20;

    CommandQueue[0] = {255, 7, 6, 40013, 1};
    Codec->BuildQuery();
    EXPECT_FALSE(AskSimulator()) << "refused without the unlock";

    CommandQueue[0] = {255, 7, 6, UnlockRegister, 1};
    CommandQueue[1] = {255, 7, 6, 40013, 1};
    Codec->BuildQuery();
    EXPECT_TRUE(AskSimulator());
    Codec->BuildQuery();
    EXPECT_TRUE(AskSimulator());
    EXPECT_EQ(HoldingValue(u, 40013), 0xFFEC);
}

} // namespace
