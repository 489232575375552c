// The rules of the control windows, without windows: the password gate, the
// parameter items (values offered, matching, checks, queuing) and the battery
// test and on/off commands. Queued writes are built into frames by the real
// Modbus codec, so a test sees what would go out on the line.

#include "control/ControlCommand.h"
#include "control/ParamItems.h"
#include "control/ParamQueue.h"
#include "control/ParamValidation.h"
#include "control/PasswordCheck.h"
#include "control/UserSetFields.h"
#include "protocol/ModelUnlock.h"
#include "tests/protocol/KModbusTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

class ControlRulesTest : public ::testing::Test {
protected:
    void SetUp() override { ResetModbusState(); }

    // The frame the codec sends for the next queued command.
    TBytes NextFrame() {
        TMModbus codec(TxBuffer);
        codec.BuildQuery();
        return TBytes(TxBuffer.begin(), TxBuffer.begin() + codec.FrameLen);
    }
};

// --- Password gate

struct TGateCase {
    const char* Typed;
    bool Accepted;
    const char* ModelAfter;
};

TEST_F(ControlRulesTest, GateAcceptsExactlyTheFiveModelsAndKeepsWhatWasTyped) {
    const TGateCase cases[] = {
        {"VEX610", true, "VEX610"},        {"VEX610RT", true, "VEX610RT"},
        {"VEX305", true, "VEX305"},        {"QRT5100", true, "QRT5100"},
        {"LNM7100", true, "LNM7100"},      {"  VEX610RT  ", true, "VEX610RT"},
        {"\tQRT5100 ", true, "QRT5100"},   {"vex610rt", false, "vex610rt"},
        {"VEX610 RT", false, "VEX610 RT"}, {"", false, ""},
        {"VEX6100", false, "VEX6100"},
    };
    for (const TGateCase& c : cases) {
        ModelName = "before";
        TPasswordCheck gate;
        const TPswOutcome outcome = gate.Press(c.Typed);
        EXPECT_EQ(outcome == TPswOutcome::Accepted, c.Accepted) << "typed '" << c.Typed << "'";
        EXPECT_EQ(ModelName, c.ModelAfter) << "typed '" << c.Typed << "'";
    }
}

TEST_F(ControlRulesTest, GateGivesUpAtTheThirdRefusalAndEachGateHasThreeTries) {
    TPasswordCheck gate;
    EXPECT_EQ(gate.Press("a"), TPswOutcome::Refused);
    EXPECT_EQ(gate.Press("b"), TPswOutcome::Refused);
    EXPECT_EQ(gate.Press("c"), TPswOutcome::GiveUp);
    EXPECT_EQ(gate.TryCount(), 3);

    TPasswordCheck next;
    EXPECT_EQ(next.Press("x"), TPswOutcome::Refused);
    EXPECT_EQ(next.Press("y"), TPswOutcome::Refused);
    EXPECT_EQ(next.Press("VEX305"), TPswOutcome::Accepted);
}

// What was typed last chooses the poll sequence: four requests per device,
// five for the model with the operation mode register.
TEST_F(ControlRulesTest, TheModelTypedChoosesThePollSequence) {
    SetDevices({1}, 0);
    TMModbus codec(TxBuffer);
    // The first request goes to address 0, lost at start; the third is the
    // device's own.
    const auto stepsPerDevice = [&] {
        PollStep = 0;
        EquipList.PollPos = 0;
        TMModbus codec(TxBuffer);
        for (int i = 0; i < 3; ++i)
            codec.BuildQuery();
        return int(PollStepCount);
    };
    TPasswordCheck gate;
    (void)gate.Press("VEX610RT");
    EXPECT_EQ(stepsPerDevice(), 5);
    (void)gate.Press("not a model");
    EXPECT_EQ(ModelName, "not a model");
    EXPECT_EQ(stepsPerDevice(), 4);
}

// --- Parameter items: values offered

std::vector<std::string> Texts(const std::vector<TValueChoice>& choices) {
    std::vector<std::string> out;
    for (const auto& c : choices)
        out.push_back(c.Text);
    return out;
}

std::vector<int32_t> Values(const std::vector<TValueChoice>& choices) {
    std::vector<int32_t> out;
    for (const auto& c : choices)
        out.push_back(c.Value);
    return out;
}

TEST_F(ControlRulesTest, TheListHasTheOperationModeForOneModelOnly) {
    EXPECT_EQ(ParamItemCountFor("VEX610RT"), 20);
    for (const char* model : {"", "VEX610", "VEX305", "QRT5100", "LNM7100", "vex610rt"})
        EXPECT_EQ(ParamItemCountFor(model), 19) << model;
    EXPECT_EQ(ParamItemAt(OperationModeItem).Register, 40029);
    EXPECT_EQ(ParamItemAt(StatusControlItem).Editor, TEditorKind::Switches);
}

struct TChoiceCase {
    int Item;
    const char* Model;
    uint8_t SysVoltLevel;
    std::vector<std::string> Texts;
    std::vector<int32_t> Values;
};

TEST_F(ControlRulesTest, ValuesOfferedByModelAndDevice) {
    const TChoiceCase cases[] = {
        {0, "VEX610", 220, {"Normal", "ECO", "Parallel"}, {0, 1, 4}},
        {1, "VEX305", 220, {"110V", "115V", "120V", "127V"}, {110, 115, 120, 127}},
        {1, "VEX610", 110, {"220V", "230V", "240V"}, {220, 230, 240}},
        {2, "", 0, {"50Hz", "60Hz"}, {50, 60}},
        {3, "", 0, {"1%", "2%", "4%", "5%", "10%"}, {1, 2, 4, 5, 10}},
        {4, "", 240, {"10%", "15%"}, {10, 15}},
        {4, "", 231, {"10%", "15%"}, {10, 15}},
        {4, "", 230, {"10%", "15%", "20%"}, {10, 15, 20}},
        {4, "", 220, {"10%", "15%", "20%", "25%"}, {10, 15, 20, 25}},
        {4, "", 120, {"10%", "15%", "20%", "25%"}, {10, 15, 20, 25}},
        {5, "VEX610", 220, {"-45%", "-30%", "-20%"}, {-45, -30, -20}},
        {5, "VEX610", 127, {"-45%", "-30%", "-20%", "-10%"}, {-45, -30, -20, -10}},
        {5, "VEX305", 220, {"-45%", "-30%", "-20%", "-10%"}, {-45, -30, -20, -10}},
        {6, "", 0, {"0%", "1%", "2%", "3%", "4%", "5%"}, {0, 10, 20, 30, 40, 50}},
        {7, "QRT5100", 0, {"16", "18", "20"}, {16, 18, 20}},
        {7, "VEX305", 0, {"24"}, {24}},
        {7,
         "LNM7100",
         0,
         {"26", "28", "30", "32", "34", "36", "38", "40"},
         {26, 28, 30, 32, 34, 36, 38, 40}},
        {10,
         "",
         0,
         {"2.20", "2.21", "2.22", "2.23", "2.24", "2.25", "2.26", "2.27", "2.28", "2.29"},
         {220, 221, 222, 223, 224, 225, 226, 227, 228, 229}},
        {19, "VEX610RT", 0, {"Normal", "Freq Variable"}, {0, 2}},
        {8, "", 0, {}, {}}, // an entry item offers no list
    };
    for (const TChoiceCase& c : cases) {
        TUpsInfoRec device;
        device.SysVoltLevel = c.SysVoltLevel;
        const auto choices = ValueChoices(c.Item, c.Model, device, 0);
        EXPECT_EQ(Texts(choices), c.Texts) << "item " << c.Item << " model " << c.Model;
        EXPECT_EQ(Values(choices), c.Values) << "item " << c.Item << " model " << c.Model;
    }
    const auto boost = ValueChoices(9, "", {}, 0);
    ASSERT_EQ(boost.size(), 11u);
    EXPECT_EQ(boost.front().Text, "2.30");
    EXPECT_EQ(boost.back().Text, "2.40");
    EXPECT_EQ(boost.back().Value, 240);
    EXPECT_EQ(Texts(ValueChoices(19, "VEX610RT", {}, 1)),
              (std::vector<std::string>{"普通模式", "变频模式"}));
    EXPECT_EQ(Texts(ValueChoices(0, "VEX610", {}, 1)),
              (std::vector<std::string>{"普通", "ECO", "并机"}));
}

// --- Parameter items: which offered value the device's value stands for

struct TMatchCase {
    int Item;
    const char* Model;
    std::function<void(TUpsInfoRec&)> Device;
    int Expected;
};

TEST_F(ControlRulesTest, TheDevicesValueSelectsItsEntry) {
    using R = TUpsInfoRec;
    const TMatchCase cases[] = {
        {0, "", [](R& d) { d.WorkMode = 4; }, 2},
        {0, "", [](R& d) { d.WorkMode = 2; }, -1}, // "Master" cannot be chosen here
        {1, "VEX305", [](R& d) { d.SysVoltLevel = 127; }, 3},
        {1, "VEX610", [](R& d) { d.SysVoltLevel = 127; }, -1},
        {2, "", [](R& d) { d.SysFreqLevel = 60; }, 1},
        {3, "", [](R& d) { d.BypassFreqRange = 3; }, -1},
        {4, "", [](R& d) { d.SysVoltLevel = 220, d.BypassVoltUpper = 5; }, 0},
        {4, "", [](R& d) { d.SysVoltLevel = 220, d.BypassVoltUpper = 11; }, 1},
        {4, "", [](R& d) { d.SysVoltLevel = 220, d.BypassVoltUpper = 16; }, 2},
        {4, "", [](R& d) { d.SysVoltLevel = 220, d.BypassVoltUpper = 22; }, -1},
        {4, "", [](R& d) { d.SysVoltLevel = 220, d.BypassVoltUpper = 25; }, 3},
        {4, "", [](R& d) { d.SysVoltLevel = 220, d.BypassVoltUpper = 200; }, 3},
        {4, "", [](R& d) { d.SysVoltLevel = 240, d.BypassVoltUpper = 20; }, -1},
        {5, "", [](R& d) { d.SysVoltLevel = 220, d.BypassVoltLower = -30; }, 1},
        {5, "", [](R& d) { d.SysVoltLevel = 220, d.BypassVoltLower = -10; }, -1},
        {5, "", [](R& d) { d.SysVoltLevel = 120, d.BypassVoltLower = -10; }, 3},
        {6, "", [](R& d) { d.InvVoltAdjust = 9; }, 0},
        {6, "", [](R& d) { d.InvVoltAdjust = 10; }, 1},
        {6, "", [](R& d) { d.InvVoltAdjust = 49; }, 4},
        {6, "", [](R& d) { d.InvVoltAdjust = 80; }, 5},
        {6, "", [](R& d) { d.InvVoltAdjust = -5; }, 0},
        {7, "QRT5100", [](R& d) { d.BattNumber = 18; }, 1},
        {7, "VEX305", [](R& d) { d.BattNumber = 32; }, 0},
        {7, "", [](R& d) { d.BattNumber = 26; }, 0},
        {7, "", [](R& d) { d.BattNumber = 41; }, 7},
        {7, "", [](R& d) { d.BattNumber = 42; }, -1},
        {7, "", [](R& d) { d.BattNumber = 24; }, -1},
        {9, "", [](R& d) { d.BoostVoltLimit = 235; }, 5},
        {9, "", [](R& d) { d.BoostVoltLimit = 241; }, -1},
        {10, "", [](R& d) { d.FloatVolt = 229; }, 9},
        {10, "", [](R& d) { d.FloatVolt = 230; }, -1},
        {19, "VEX610RT", [](R& d) { d.OperationMode = 2; }, 1},
        {19, "VEX610RT", [](R& d) { d.OperationMode = 1; }, -1},
    };
    for (const TMatchCase& c : cases) {
        TUpsInfoRec device;
        c.Device(device);
        EXPECT_EQ(MatchingChoice(c.Item, c.Model, device), c.Expected)
            << "item " << c.Item << " model " << c.Model;
    }
}

TEST_F(ControlRulesTest, EntryItemsShowTheDevicesValue) {
    TUpsInfoRec d;
    d.EodVolt = 175;
    d.ParallelId = 7;
    d.BattCapacityAh = 2000;
    EXPECT_EQ(EntryText(11, d), "1.75");
    EXPECT_EQ(EntryText(18, d), "7");
    EXPECT_EQ(EntryText(12, d), "2000");
    d.EodVolt = 180;
    EXPECT_EQ(EntryText(11, d), "1.80");
}

// --- Parameter items: the check of "Set"

TParamInput Entry(const char* text) {
    TParamInput input;
    input.Entry = text;
    return input;
}

TParamInput Choice(int index, int32_t value) {
    TParamInput input;
    input.Choice = index;
    input.ChoiceValue = value;
    return input;
}

TParamInput Switches(bool buzzerDisable, bool boostDisable) {
    TParamInput input;
    input.BuzzerDisable = buzzerDisable;
    input.BoostDisable = boostDisable;
    return input;
}

struct TCheckCase {
    int Item;
    TParamInput Input;
    bool Ok;
    uint16_t Value;
    const char* Message;   // English; "" for none
    const char* Rewritten; // "" for none
};

TEST_F(ControlRulesTest, TheCheckOfEachItem) {
    TUpsInfoRec device;
    device.BattCapacityAh = 100;
    device.BattGroups = 2;
    device.ParallelAmount = 3;
    const TCheckCase cases[] = {
        {13, Entry("50"), true, 50, "", ""},
        {13, Entry("51"), false, 0, "[Max Charge current] value is invalid", "50"},
        {13, Entry(""), false, 0, "[Max Charge current] value is invalid", "50"},
        {17, Entry("0"), true, 0, "", ""},
        {17, Entry("2"), true, 2, "", ""},
        {17, Entry("3"), false, 0, "[Parallel Redundancy] value is invalid", "2"},
        {18, Entry("0"), false, 0, "[Parallel ID] value is invalid", ""},
        {18, Entry("15"), false, 0, "[Parallel ID] value is invalid", ""},
        {18, Entry("65537"), true, 1, "", ""}, // 16-bit reduction
        {18, Entry("14"), true, 14, "", ""},
        {18, Entry("x"), false, 0, "[Parallel ID] value is invalid", ""},
        {11, Entry("2.0"), false, 0, "[EOD Volt] value is invalid", "1.80"},
        {11, Entry("1.2"), true, 120, "", ""},
        {11, Entry("1.9"), true, 190, "", ""},
        {11, Entry("1.755"), true, 175, "", ""},
        {11, Entry("1.9001"), false, 0, "[EOD Volt] value is invalid", "1.80"},
        {11, Entry("1.19"), false, 0, "[EOD Volt] value is invalid", "1.80"},
        {11, Entry("1.8.1"), false, 0, "[EOD Volt] value is invalid", "1.80"},
        {11, Entry(""), false, 0, "[EOD Volt] value is invalid", "1.80"},
        {14, Entry("600"), true, 600, "", ""},
        {14, Entry("601"), false, 0, "[Boost Last Time] value is invalid", "30"},
        {12, Entry("0"), false, 0, "[Single Battery Capability] value is invalid", ""},
        {12, Entry("2000"), true, 2000, "", ""},
        {8, Entry("8"), true, 8, "", ""},
        {8, Entry("9"), false, 0, "[Battery Group] value is invalid", ""},
        {16, Entry(""), false, 0, "[Parallel Amount] value is invalid", ""},
        {16, Entry("70000"), true, 4464, "", ""},
        {0, Choice(-1, 0), false, 0, "[Work Mode] value is invalid", ""},
        {2, Choice(-1, 0), false, 0, "[System Frequence Level] value is invalid", ""},
        {4, Choice(-1, 0), false, 0, "[Bypass Volt Upper Limit] value is invalid", ""},
        {5, Choice(2, -20), true, 0xFFEC, "", ""},
        {7, Choice(-1, 0), false, 0, "[Battery Num] value is invalid", ""},
        {19, Choice(-1, 0), false, 0, "[Operation Mode] value is invalid", ""},
        {15, Switches(true, false), true, 0x1000, "", ""},
        {15, Switches(true, true), true, 0x3000, "", ""},
        {15, Switches(false, false), true, 0, "", ""},
    };
    for (const TCheckCase& c : cases) {
        const TParamCheck check = ValidateItem(c.Item, c.Input, "VEX610", device);
        const std::string what =
            "item " + std::to_string(c.Item) + " entry '" + c.Input.Entry + "'";
        EXPECT_EQ(check.Ok, c.Ok) << what;
        if (c.Ok) {
            EXPECT_EQ(check.Value, c.Value) << what;
        }
        EXPECT_EQ(check.Message ? check.Message->En : "", std::string(c.Message)) << what;
        EXPECT_EQ(check.Rewritten.value_or(""), c.Rewritten) << what;
    }
}

TEST_F(ControlRulesTest, TheCheckFollowsTheModelAndTheDevice) {
    // The low-voltage model has one battery number, always accepted.
    const TParamCheck vex305 = ValidateItem(7, {}, "VEX305", {});
    EXPECT_TRUE(vex305.Ok);
    EXPECT_EQ(vex305.Value, 24);
    // No parallel system: only 0 redundancy, and the entry offers 0.
    TUpsInfoRec single;
    EXPECT_TRUE(ValidateItem(17, Entry("0"), "", single).Ok);
    EXPECT_EQ(ValidateItem(17, Entry("1"), "", single).Rewritten.value_or(""), "0");
    // Chinese messages name the item in Chinese.
    EXPECT_STREQ(ValidateItem(18, Entry("0"), "", single).Message->Zh, "[并机系统ID]数值无效");
}

// --- Queuing a parameter write

TEST_F(ControlRulesTest, AParameterGoesIntoSlotZeroAndOutAsFunction6) {
    TUpsInfoRec shown;
    shown.SysVoltLevel = 230;
    shown.StatusControl = 0x00FF;
    QueueParamWrite(40013, uint16_t(-20), shown, 5, 2, "VEX610");
    EXPECT_EQ(ParamWrite.BypassVoltLower, -20);
    EXPECT_EQ(ParamWrite.SysVoltLevel, 230) << "ParamWrite holds the device's values";
    EXPECT_EQ(CommandQueue[1].Pending, 0);
    EXPECT_EQ(Hex(NextFrame()), Hex(WithCrc({5, 6, 0x9C, 0x4C, 0xFF, 0xEC})));
}

TEST_F(ControlRulesTest, TheStatusControlBitsReplaceEveryOtherBit) {
    TUpsInfoRec shown;
    shown.StatusControl = 0xFFFF;
    const TParamCheck check = ValidateItem(15, Switches(true, false), "", shown);
    QueueParamWrite(40027, check.Value, shown, 1, 3, "");
    EXPECT_EQ(Hex(NextFrame()), Hex(WithCrc({1, 6, 0x9C, 0x5A, 0x10, 0x00})));
}

TEST_F(ControlRulesTest, EightBitParametersKeepTheLowByte) {
    QueueParamWrite(40005, 0x01E6, {}, 1, 2, "");
    EXPECT_EQ(ParamWrite.SysVoltLevel, 0xE6);
    EXPECT_EQ(Hex(NextFrame()), Hex(WithCrc({1, 6, 0x9C, 0x44, 0x00, 0xE6})));
}

TEST_F(ControlRulesTest, TheLockedModelSendsTheUnlockFirst) {
    QueueParamWrite(40012, 15, {}, 7, 2, "LNM7100");
    EXPECT_EQ(Hex(NextFrame()), Hex(WithCrc({7, 6, 0xC3, 0x4F, 0x00, WriteUnlockValue})));
    EXPECT_EQ(Hex(NextFrame()), Hex(WithCrc({7, 6, 0x9C, 0x4B, 0x00, 15})));
}

TEST_F(ControlRulesTest, ALaterSetReplacesOneNotYetSent) {
    QueueParamWrite(40012, 15, {}, 1, 2, "");
    QueueParamWrite(40006, 60, {}, 1, 2, "");
    EXPECT_EQ(Hex(NextFrame()), Hex(WithCrc({1, 6, 0x9C, 0x45, 0x00, 60})));
    EXPECT_EQ(CommandQueue[0].Pending, 0);
}

TEST_F(ControlRulesTest, TheAsciiProtocolsQueueNothing) {
    for (uint8_t protocol : {0, 1, 4}) {
        QueueParamWrite(40012, 15, {}, 1, protocol, "LNM7100");
        EXPECT_EQ(ParamWrite.BypassVoltUpper, 15);
        for (const TCommandSlot& slot : CommandQueue)
            EXPECT_EQ(slot.Pending, 0) << "protocol " << int(protocol);
    }
}

// --- Battery test and remote on/off

TEST_F(ControlRulesTest, TheTestTimeTyped) {
    EXPECT_EQ(BatteryTestSeconds("60"), uint16_t(60));
    EXPECT_EQ(BatteryTestSeconds("70000"), uint16_t(4464));
    EXPECT_EQ(BatteryTestSeconds("12a"), uint16_t(1));
    EXPECT_EQ(BatteryTestSeconds(""), std::nullopt);
}

TEST_F(ControlRulesTest, CommandsGoIntoSlotOneWithTheirValue) {
    CommandQueue[1].Count = 7;
    QueueControlCommand(3, RegBatteryTest, 60);
    EXPECT_EQ(CommandQueue[1].Pending, 255);
    EXPECT_EQ(CommandQueue[1].Slave, 3);
    EXPECT_EQ(CommandQueue[1].Func, 6);
    EXPECT_EQ(CommandQueue[1].Register, 20003);
    EXPECT_EQ(CommandQueue[1].Count, 7) << "function 6 leaves the count alone";
    EXPECT_EQ(CommandValue, 60);
    EXPECT_EQ(CommandQueue[0].Pending, 0);
    EXPECT_EQ(Hex(NextFrame()), Hex(WithCrc({3, 6, 0x4E, 0x22, 0x00, 60})));
}

TEST_F(ControlRulesTest, ACancelBeforeTheTestWentOutSendsOnlyTheCancel) {
    QueueControlCommand(1, RegBatteryTest, 60);
    QueueControlCommand(1, RegBatteryTest, 0);
    EXPECT_EQ(Hex(NextFrame()), Hex(WithCrc({1, 6, 0x4E, 0x22, 0x00, 0x00})));
    EXPECT_EQ(CommandQueue[1].Pending, 0);
}

TEST_F(ControlRulesTest, SwitchOnAndOff) {
    QueueControlCommand(1, RegSwitchOn, 1);
    EXPECT_EQ(Hex(NextFrame()), Hex({1, 6, 0x4E, 0x20, 0x00, 0x01, 0x5E, 0xE8}));
    QueueControlCommand(1, RegSwitchOff, 1);
    EXPECT_EQ(Hex(NextFrame()), Hex(WithCrc({1, 6, 0x4E, 0x21, 0x00, 0x01})));
}

// --- User setting fields

std::string Shown(const char* editName, const TUpsInfoRec& d, uint8_t language = 0) {
    for (const TUserSetField& f : UserSetFields()) {
        if (std::string(f.EditName) == editName)
            return f.Show(d, language);
    }
    return "no field " + std::string(editName);
}

TEST_F(ControlRulesTest, UserSetFieldsShowTheParameters) {
    TUpsInfoRec d;
    d.BypassVoltLower = -20;
    d.InvVoltAdjust = 25;
    d.EodVolt = 175;
    d.BoostVoltLimit = 235;
    d.BypassVoltUpper = 15;
    d.WorkMode = 3;
    d.OperationMode = 1;
    d.StatusControl = 0x1000;
    EXPECT_EQ(Shown("edtBpsVMin", d), "-20%");
    EXPECT_EQ(Shown("edtOutputVFine", d), "2.5%");
    EXPECT_EQ(Shown("edtEodV", d), "1.75");
    EXPECT_EQ(Shown("edtBattBoostV", d), "2.35");
    EXPECT_EQ(Shown("edtBpsVMax", d), "15%");
    EXPECT_EQ(Shown("edtSetMode", d), "Slave");
    EXPECT_EQ(Shown("edtOptVolt", d), "Sleep");
    EXPECT_EQ(Shown("edtOptVolt", d, 1), "休眠模式");
    EXPECT_EQ(Shown("edtBuzzer", d), "disable");
    EXPECT_EQ(Shown("edtBoostChg", d, 1), "启用");
    EXPECT_EQ(Shown("edtBuzzer", d, 1), "禁用");
    EXPECT_EQ(Shown("edtSetMode", d, 1), "从机");
    d.StatusControl = 0x3000;
    d.WorkMode = 7;
    d.OperationMode = 9;
    EXPECT_EQ(Shown("edtBoostChg", d), "disable");
    EXPECT_EQ(Shown("edtSetMode", d), "");
    EXPECT_EQ(Shown("edtOptVolt", d), "9");
}

} // namespace
