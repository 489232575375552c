#include "record/UpsInfoRec.h"
#include "status/StatusCodes.h"
#include "status/UnitCondition.h"

#include <gtest/gtest.h>

namespace {

struct ConditionCase {
    const char* name;
    uint8_t commState;
    int32_t state;
    uint8_t alarms;
    TUnitCondition expected;
};

class UnitConditionRule : public ::testing::TestWithParam<ConditionCase> {};

TEST_P(UnitConditionRule, FromTheRecord) {
    TUpsInfoRec rec;
    rec.CommState = GetParam().commState;
    rec.UpsState = GetParam().state;
    rec.AlarmCount = GetParam().alarms;
    EXPECT_EQ(UnitConditionOf(rec), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    States, UnitConditionRule,
    ::testing::Values(
        ConditionCase{"Online", CommCommunicating, StateOnline, 0, TUnitCondition::Normal},
        ConditionCase{"Standby", CommCommunicating, StateStandby, 0, TUnitCondition::Normal},
        ConditionCase{"Eco", CommCommunicating, StateEco, 0, TUnitCondition::Normal},
        ConditionCase{"NotYetKnown", CommCommunicating, StateNone, 0, TUnitCondition::Normal},
        ConditionCase{"OnlineWithAlarm", CommCommunicating, StateOnline, 2, TUnitCondition::Alarm},
        ConditionCase{"Battery", CommCommunicating, StateBattery, 1, TUnitCondition::OnBattery},
        ConditionCase{"Bypass", CommCommunicating, StateBypass, 0, TUnitCondition::Bypass},
        ConditionCase{"MaintBypass", CommCommunicating, StateMaintBypass, 0,
                      TUnitCondition::Bypass},
        ConditionCase{"Fault", CommCommunicating, StateFault, 3, TUnitCondition::Fault},
        ConditionCase{"Epo", CommCommunicating, StateEpo, 0, TUnitCondition::Fault},
        // Unanswered requests adding up: the last reading still stands.
        ConditionCase{"CommError", CommError, StateBattery, 0, TUnitCondition::OnBattery},
        // A lost unit's last state must not read as current.
        ConditionCase{"LostOnBattery", CommLost, StateBattery, 1, TUnitCondition::NotCommunicating},
        ConditionCase{"LostFault", CommLost, StateFault, 0, TUnitCondition::NotCommunicating}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(UnitConditionText, EveryConditionHasBothTexts) {
    for (int c = 0; c <= int(TUnitCondition::Fault); ++c) {
        const TTextPair text = UnitConditionText(TUnitCondition(c));
        EXPECT_STRNE(text.Zh, "") << c;
        EXPECT_STRNE(text.En, "") << c;
    }
    EXPECT_STREQ(UnitConditionText(TUnitCondition::OnBattery).Zh, "电池供电");
}

} // namespace
