// The desktop notifications that logged events make: which events matter,
// the gathering of a storm into one summary, recoveries replacing what they
// end, muting. Time is passed in, so every window is driven, never waited.

#include "notify/AlertGatherer.h"
#include "status/StatusCodes.h"

#include <gtest/gtest.h>

namespace {
TEventRec StateEvent(uint8_t address, int32_t state) {
    TEventRec e;
    e.Address = address;
    e.Kind = EventKindState;
    e.Code = state;
    return e;
}
TEventRec AlarmEvent(uint8_t address, int32_t code, bool raised) {
    TEventRec e;
    e.Address = address;
    e.Kind = EventKindAlarm;
    e.Code = code;
    e.AlarmFlag = raised ? 1 : 0;
    return e;
}
TEventRec CommEvent(uint8_t address, int32_t code) {
    TEventRec e;
    e.Address = address;
    e.Code = code;
    return e;
}
TAlertUnit Unit(uint8_t address) {
    return {address, "UPS " + std::to_string(address)};
}

class AlertGathererTest : public ::testing::Test {
protected:
    AlertGathererTest() { Gatherer.Configure(Options); }
    std::vector<TDesktopNote> Feed(const TEventRec& e, int64_t at) {
        return Gatherer.Take(e, Unit(e.Address), at);
    }
    TGatherOptions Options;
    TAlertGatherer Gatherer;
};
} // namespace

TEST(AlertKinds, EventsReadAsTheConditionsOperatorsAreToldOf) {
    struct TCase {
        TEventRec Event;
        std::optional<TAlertCondition> Condition;
        bool Recovery;
        TSeverity Severity;
    };
    const TCase cases[] = {
        {StateEvent(1, StateBattery), TAlertCondition::OnBattery, false, TSeverity::Critical},
        {StateEvent(1, StateBypass), TAlertCondition::Bypass, false, TSeverity::Warning},
        {StateEvent(1, StateMaintBypass), TAlertCondition::Bypass, false, TSeverity::Warning},
        {StateEvent(1, StateFault), TAlertCondition::Fault, false, TSeverity::Critical},
        {StateEvent(1, StateOnline), std::nullopt, false, TSeverity::Info},
        {AlarmEvent(1, 23, true), TAlertCondition::BatteryLow, false, TSeverity::Critical},
        {AlarmEvent(1, AlarmBattLowPreWarning, true), TAlertCondition::BatteryLow, false,
         TSeverity::Critical},
        {AlarmEvent(1, 51, true), TAlertCondition::Overload, false, TSeverity::Warning},
        {AlarmEvent(1, 119, false), TAlertCondition::Overload, true, TSeverity::Info},
        {AlarmEvent(1, 9, true), TAlertCondition::Fault, false, TSeverity::Critical},
        {AlarmEvent(1, 149, true), std::nullopt, false, TSeverity::Info}, // no text
        {CommEvent(5, EventCommLost), TAlertCondition::CommLost, false, TSeverity::Warning},
        {CommEvent(5, EventCommEstablished), TAlertCondition::CommLost, true, TSeverity::Info},
        {CommEvent(0, EventCommLost), TAlertCondition::PortLost, false, TSeverity::Critical},
        {CommEvent(0, EventCommRecovered), TAlertCondition::PortLost, true, TSeverity::Info},
        {CommEvent(0, EventSoftwareOpen), std::nullopt, false, TSeverity::Info},
    };
    for (const TCase& c : cases) {
        const TEventMeaning m = ReadEvent(c.Event);
        SCOPED_TRACE("kind " + std::to_string(c.Event.Kind) + " code " +
                     std::to_string(c.Event.Code));
        EXPECT_EQ(m.Condition, c.Condition);
        EXPECT_EQ(m.Recovery, c.Recovery);
        EXPECT_EQ(m.Severity, c.Severity);
    }
}

TEST_F(AlertGathererTest, OneUnitOnBatteryIsShownAtOnceAndItsRecoveryReplacesIt) {
    const auto raised = Feed(StateEvent(3, StateBattery), 0);
    ASSERT_EQ(raised.size(), 1U);
    EXPECT_EQ(raised[0].Title, "On battery");
    EXPECT_EQ(raised[0].Body, "UPS 3 (Address 3): Battery Status");
    EXPECT_EQ(raised[0].Urgency, TSeverity::Critical);

    const auto back = Feed(StateEvent(3, StateOnline), 60000);
    ASSERT_EQ(back.size(), 1U);
    EXPECT_EQ(back[0].Key, raised[0].Key);
    EXPECT_EQ(back[0].Title, "Recovered: On battery");
    EXPECT_EQ(back[0].Urgency, TSeverity::Info);
}

TEST_F(AlertGathererTest, AStormWithinTheWindowBecomesOneSummaryNamingEveryUnit) {
    std::vector<TDesktopNote> notes;
    for (uint8_t a = 1; a <= 16; ++a) // 2.5 s apart: each restarts the 3 s window
        for (const TDesktopNote& n : Feed(StateEvent(a, StateBattery), (a - 1) * 2500))
            notes.push_back(n);
    ASSERT_EQ(notes.size(), 16U);
    for (const TDesktopNote& n : notes)
        EXPECT_EQ(n.Key, notes.front().Key);
    EXPECT_EQ(notes.back().Title, "16 units on battery");
    EXPECT_EQ(notes.back().Body.rfind("16 units on battery: UPS 1, UPS 2, ", 0), 0U);
    EXPECT_NE(notes.back().Body.find("UPS 16"), std::string::npos);
}

TEST_F(AlertGathererTest, TheWindowClosesAfterItsTimeAndAtItsCap) {
    const uint32_t first = Feed(StateEvent(1, StateBattery), 0).at(0).Key;
    // 3 s of quiet: a new notification.
    const uint32_t second = Feed(StateEvent(2, StateBattery), 3000).at(0).Key;
    EXPECT_NE(second, first);
    // Events every 2 s keep the window open, but not past the 60 s cap.
    uint32_t last = second;
    int64_t at = 3000;
    for (uint8_t a = 3; a <= 40; ++a) {
        at += 2000;
        last = Feed(StateEvent(a, StateBattery), at).at(0).Key;
        if (at - 3000 < 60000) {
            EXPECT_EQ(last, second) << "at " << at;
        }
    }
    EXPECT_NE(last, second);
}

TEST_F(AlertGathererTest, KindsAreGatheredApartAndOnlyTheShownOnes) {
    Options.Shown[static_cast<std::size_t>(TAlertCondition::Bypass)] = false;
    Gatherer.Configure(Options);
    const uint32_t battery = Feed(StateEvent(1, StateBattery), 0).at(0).Key;
    const uint32_t overload = Feed(AlarmEvent(2, 51, true), 100).at(0).Key;
    EXPECT_NE(battery, overload);
    EXPECT_TRUE(Feed(StateEvent(3, StateBypass), 200).empty());
}

TEST_F(AlertGathererTest, AUnitLeavesASummaryOnRecoveryAndTheLastTurnsItIntoARecovery) {
    Feed(StateEvent(1, StateBattery), 0);
    Feed(StateEvent(2, StateBattery), 500);
    const auto one = Feed(StateEvent(1, StateOnline), 10000);
    ASSERT_EQ(one.size(), 1U);
    EXPECT_EQ(one[0].Body, "1 unit on battery: UPS 2");
    const auto both = Feed(StateEvent(2, StateOnline), 11000);
    ASSERT_EQ(both.size(), 1U);
    EXPECT_EQ(both[0].Body, "2 units recovered from on battery: UPS 1, UPS 2");
    EXPECT_EQ(both[0].Key, one[0].Key);
}

TEST_F(AlertGathererTest, AConditionWithSeveralCausesEndsWithTheLast) {
    ASSERT_EQ(Feed(AlarmEvent(1, 9, true), 0).size(), 1U);  // fan fault
    EXPECT_TRUE(Feed(AlarmEvent(1, 32, true), 10).empty()); // inverter fault, same unit
    EXPECT_TRUE(Feed(AlarmEvent(1, 9, false), 20000).empty());
    EXPECT_EQ(Feed(AlarmEvent(1, 32, false), 30000).size(), 1U);
    // A state that stays the same logs again after a loss of communication:
    // it is no new condition.
    Feed(StateEvent(4, StateBattery), 40000);
    EXPECT_TRUE(Feed(StateEvent(4, StateBattery), 50000).empty());
}

TEST_F(AlertGathererTest, NothingIsShownWhileMuted) {
    Gatherer.MuteUntil(MuteMs);
    EXPECT_TRUE(Feed(StateEvent(1, StateBattery), 0).empty());
    EXPECT_TRUE(Feed(CommEvent(0, EventCommLost), 10).empty());
    EXPECT_TRUE(Feed(StateEvent(1, StateOnline), 20).empty());
    // After the hour: shown again, and a recovery of a condition raised while
    // muted, which nobody saw, shows nothing.
    Feed(StateEvent(2, StateBattery), 1000);
    EXPECT_EQ(Feed(StateEvent(3, StateBattery), MuteMs).size(), 1U);
    EXPECT_TRUE(Feed(StateEvent(2, StateOnline), MuteMs + 10).empty());
}

TEST_F(AlertGathererTest, ChineseTextsNameTheUnitAndTheCount) {
    Options.Language = 1;
    Gatherer.Configure(Options);
    const auto one = Feed(StateEvent(1, StateBattery), 0);
    EXPECT_EQ(one.at(0).Title, "电池供电");
    EXPECT_EQ(one.at(0).Body, "UPS 1（地址 1）：电池状态");
    const auto two = Feed(StateEvent(2, StateBattery), 10);
    EXPECT_EQ(two.at(0).Body, "2 台 UPS 电池供电：UPS 1、UPS 2");
    const auto port = Feed(CommEvent(0, EventCommLost), 20);
    EXPECT_EQ(port.at(0).Title, "串口断开");
}
