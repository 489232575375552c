#include "record/UpsInfoRec.h"
#include "status/StatusCodes.h"
#include "status/StatusRules.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Only the words a case names are nonzero.
struct Words {
    uint16_t w0 = 0, w2 = 0, w3 = 0, w4 = 0, w5 = 0, w6 = 0;
    TStatusWords All() const { return {w0, 0, w2, w3, w4, w5, w6, 0, 0, 0}; }
};

struct StateCase {
    const char* name;
    Words words;
    int32_t expected;
};

class StateDerivation : public ::testing::TestWithParam<StateCase> {};

TEST_P(StateDerivation, FirstMatchingRuleWins) {
    EXPECT_EQ(StateFromWords(GetParam().words.All()), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, StateDerivation,
    ::testing::Values(StateCase{"AllZeroIsStandby", {}, StateStandby},
                      // EPO beats everything, fault included.
                      StateCase{"EpoFromW0", {.w0 = 0x2000, .w2 = 0xFFFF}, StateEpo},
                      StateCase{"EpoFromW4", {.w4 = 0x0008}, StateEpo},
                      StateCase{"FaultW2", {.w2 = 0x8001}, StateFault},
                      StateCase{"FaultW3Bit15", {.w3 = 0x8000}, StateFault},
                      StateCase{"W3OtherBitsNoFault", {.w3 = 0x7FFF}, StateStandby},
                      StateCase{"W6MaskedBitIsFault", {.w6 = 0x0004}, StateFault},
                      StateCase{"W6Bit7IsFault", {.w6 = 0x0080}, StateFault},
                      StateCase{"W6UnmaskedBitsNoFault", {.w6 = 0x0373}, StateStandby},
                      StateCase{"FaultBeatsMaintBypass", {.w2 = 0x0001, .w4 = 0x2000}, StateFault},
                      StateCase{"MaintBypass", {.w4 = 0x2700}, StateMaintBypass},
                      // No output supply: the inverter bits decide.
                      StateCase{"NoSupplyInverterOff", {.w4 = 0x0000}, StateStandby},
                      StateCase{"NoSupplySoftStart", {.w4 = 0x0200}, StateInvSoftStart},
                      StateCase{"NoSupplyInverter0400", {.w4 = 0x0400}, StateNoOutput},
                      StateCase{"NoSupplyInverterOn", {.w0 = 0x4C00, .w4 = 0x0600}, StateNoOutput},
                      // Bypass supply.
                      StateCase{"Eco", {.w4 = 0x0480, .w5 = 0x0800}, StateEco},
                      StateCase{"BypassWithoutW5Bit11", {.w4 = 0x0480}, StateBypass},
                      StateCase{"BypassWithoutW4Bit10", {.w4 = 0x0080, .w5 = 0xFFFF}, StateBypass},
                      // Inverter supply.
                      StateCase{"Online", {.w0 = 0x4C00, .w4 = 0x0700}, StateOnline},
                      StateCase{"Battery", {.w0 = 0x4800, .w4 = 0x0700}, StateBattery},
                      StateCase{"BatterySelfTest", {.w0 = 0x4A00, .w4 = 0x0700}, StateBattSelfTest},
                      StateCase{"InverterNotReady", {.w0 = 0x0800, .w4 = 0x0700}, StateNoOutput},
                      StateCase{
                          "OnlineBeatsSelfTestBit", {.w0 = 0x4600, .w4 = 0x0780}, StateOnline},
                      StateCase{"InverterSupplyInverterOff", {.w4 = 0x0100}, StateStandby},
                      StateCase{"InverterSupplySoftStart", {.w4 = 0x0300}, StateInvSoftStart},
                      StateCase{"InverterSupply0400", {.w0 = 0x4C00, .w4 = 0x0580}, StateStandby}),
    [](const auto& info) { return std::string(info.param.name); });

struct SwitchCase {
    const char* name;
    uint16_t w0, w4;
    uint8_t input, bypass, output, maint, inputSupply, upsSupply;
};

class SwitchFlags : public ::testing::TestWithParam<SwitchCase> {};

TEST_P(SwitchFlags, FollowTheirBits) {
    const SwitchCase& c = GetParam();
    TUpsInfoRec rec;
    // Words other than W0 and W4 must not matter; old flag values are replaced.
    rec.StatusWord.fill(0xFFFF);
    rec.StatusWord[0] = c.w0;
    rec.StatusWord[4] = c.w4;
    rec.InputSwitch = rec.BypassSwitch = rec.OutputSwitch = rec.MaintBypassSwitch = 7;
    rec.InputSupply = rec.UpsSupply = 7;
    rec.BattTestFlag = 1;
    DeriveSwitchFlags(rec);
    EXPECT_EQ(rec.InputSwitch, c.input);
    EXPECT_EQ(rec.BypassSwitch, c.bypass);
    EXPECT_EQ(rec.OutputSwitch, c.output);
    EXPECT_EQ(rec.MaintBypassSwitch, c.maint);
    EXPECT_EQ(rec.InputSupply, c.inputSupply);
    EXPECT_EQ(rec.UpsSupply, c.upsSupply);
    EXPECT_EQ(rec.BattTestFlag, 1) << "the battery test flag belongs to another protocol";
}

INSTANTIATE_TEST_SUITE_P(
    Rules, SwitchFlags,
    ::testing::Values(SwitchCase{"AllClear", 0, 0, 0, 0, 0, 0, 0, 0},
                      SwitchCase{"InputSwitch", 0x8000, 0, 1, 0, 0, 0, 0, 0},
                      SwitchCase{"BypassSwitch", 0, 0x8000, 0, 1, 0, 0, 0, 0},
                      SwitchCase{"OutputSwitch", 0, 0x4000, 0, 0, 1, 0, 0, 0},
                      SwitchCase{"MaintBypassSwitch", 0, 0x2000, 0, 0, 0, 1, 0, 0},
                      SwitchCase{"MainsSupply", 0x0C00, 0, 0, 0, 0, 0, 1, 0},
                      SwitchCase{"BatterySupply", 0x0800, 0, 0, 0, 0, 0, 2, 0},
                      SwitchCase{"NoInputWithoutBit11", 0x0400, 0, 0, 0, 0, 0, 0, 0},
                      SwitchCase{"InverterSupply", 0, 0x0100, 0, 0, 0, 0, 0, 1},
                      SwitchCase{"InverterBeatsBypass", 0, 0x0180, 0, 0, 0, 0, 0, 1},
                      SwitchCase{"BypassSupply", 0, 0x0080, 0, 0, 0, 0, 0, 2},
                      SwitchCase{"Everything", 0xFFFF, 0xFFFF, 1, 1, 1, 1, 1, 1}),
    [](const auto& info) { return std::string(info.param.name); });

struct AlarmCase {
    const char* name;
    int word;
    uint16_t value;
    std::vector<int32_t> expected;
};

class AlarmList : public ::testing::TestWithParam<AlarmCase> {};

std::vector<int32_t> Range(int32_t first, int32_t last) {
    std::vector<int32_t> v;
    for (int32_t c = first; c <= last; ++c)
        v.push_back(c);
    return v;
}

std::vector<int32_t> ListOf(const TUpsInfoRec& rec) {
    return {rec.AlarmCodes.begin(), rec.AlarmCodes.begin() + rec.AlarmCount};
}

TEST_P(AlarmList, ListsTheSetBitsOfOneWord) {
    const AlarmCase& c = GetParam();
    TUpsInfoRec rec;
    rec.StatusWord[c.word] = c.value;
    BuildAlarmList(rec);
    EXPECT_EQ(ListOf(rec), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Words, AlarmList,
    ::testing::Values(
        AlarmCase{"W2Ends", 2, 0x8001, {0, 15}}, AlarmCase{"W2All", 2, 0xFFFF, Range(0, 15)},
        AlarmCase{"W3HighBits", 3, 0xFFFF, Range(16, 25)},
        AlarmCase{"W3LowBitsIgnored", 3, 0x003F, {}}, AlarmCase{"W6Bit4", 6, 0x0010, {43}},
        AlarmCase{"W6Bit2", 6, 0x0004, {45}}, AlarmCase{"W6All", 6, 0xFFFF, Range(32, 47)},
        AlarmCase{"W7HighBits", 7, 0xFFFF, Range(48, 56)},
        AlarmCase{"W7LowBitsIgnored", 7, 0x007F, {}},
        AlarmCase{"W9HighByte", 9, 0xFF00, Range(64, 71)},
        AlarmCase{"W9LowByteIgnored", 9, 0x00FF, {}}, AlarmCase{"W0RaisesNothing", 0, 0xFFFF, {}},
        AlarmCase{"W1RaisesNothing", 1, 0xFFFF, {}}, AlarmCase{"W4RaisesNothing", 4, 0xFFFF, {}},
        AlarmCase{"W5RaisesNothing", 5, 0xFFFF, {}}, AlarmCase{"W8RaisesNothing", 8, 0xFFFF, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(AlarmListBuild, AllBitsGiveAscendingCodesThatFit) {
    TUpsInfoRec rec;
    rec.StatusWord.fill(0xFFFF);
    BuildAlarmList(rec);
    std::vector<int32_t> expected = Range(0, 25);
    for (auto part : {Range(32, 56), Range(64, 71)})
        expected.insert(expected.end(), part.begin(), part.end());
    EXPECT_EQ(ListOf(rec), expected);
    EXPECT_EQ(rec.AlarmCount, 59);
}

TEST(AlarmListBuild, ReplacesThePreviousListAndZeroesTheTail) {
    TUpsInfoRec rec;
    rec.AlarmCodes.fill(99);
    rec.AlarmCount = MaxAlarmCodes;
    rec.StatusWord[9] = 0x0100;
    BuildAlarmList(rec);
    ASSERT_EQ(rec.AlarmCount, 1);
    EXPECT_EQ(rec.AlarmCodes[0], 71);
    for (int i = 1; i < MaxAlarmCodes; ++i)
        EXPECT_EQ(rec.AlarmCodes[i], 0) << "entry " << i;
    rec.StatusWord[9] = 0;
    BuildAlarmList(rec);
    EXPECT_EQ(rec.AlarmCount, 0);
    EXPECT_EQ(rec.AlarmCodes[0], 0);
}

} // namespace
