#include "record/DeviceEventSink.h"
#include "record/UpsInfoRec.h"
#include "status/StatusChangeLog.h"

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

namespace {

struct Call {
    bool alarm;
    uint8_t selectorOrRaised;
    uint8_t address;
    int32_t code; // alarm code; 0 for device events
    bool operator==(const Call&) const = default;
};

Call State(uint8_t address) {
    return {false, DevEvtState, address, 0};
}
Call Raised(uint8_t address, int32_t code) {
    return {true, 1, address, code};
}
Call Cleared(uint8_t address, int32_t code) {
    return {true, 0, address, code};
}

void PrintTo(const Call& c, std::ostream* os) {
    *os << (c.alarm ? "alarm" : "device") << "(" << int(c.selectorOrRaised) << ", addr "
        << int(c.address) << ", code " << c.code << ")";
}

class RecordingSink : public TDeviceEventSink {
public:
    std::vector<Call> Calls;
    void LogDeviceEvent(uint8_t selector, uint8_t address) override {
        Calls.push_back({false, selector, address, 0});
    }
    void LogAlarmEvent(uint8_t address, int32_t alarmCode, uint8_t raised) override {
        Calls.push_back({true, raised, address, alarmCode});
    }
};

// A unit whose alarm list is what it reported (the codecs set the flag).
TUpsInfoRec Device(uint8_t address) {
    TUpsInfoRec rec;
    rec.Address = address;
    rec.AlarmsReported = 1;
    return rec;
}

void SetAlarms(TUpsInfoRec& rec, std::vector<int32_t> codes) {
    rec.AlarmCodes.fill(0);
    std::copy(codes.begin(), codes.end(), rec.AlarmCodes.begin());
    rec.AlarmCount = static_cast<uint8_t>(codes.size());
}

TEST(StateChangeLog, LogsFirstKnownStateAndEveryChange) {
    RecordingSink sink;
    TUpsInfoRec rec = Device(7);
    rec.DataValid = 1;
    for (int32_t state : {4, 4, 5, 5, 4, 4}) {
        rec.UpsState = state;
        LogStateChange(rec, sink);
        EXPECT_EQ(rec.LoggedState, state);
    }
    EXPECT_EQ(sink.Calls, (std::vector<Call>{State(7), State(7), State(7)}));
}

struct ArmingCase {
    uint8_t dataValid;
    int32_t okCount;
    bool logs;
};

class StateLogArming : public ::testing::TestWithParam<ArmingCase> {};

TEST_P(StateLogArming, NeedsAStatusReplyOrSixGoodReplies) {
    const ArmingCase& c = GetParam();
    RecordingSink sink;
    TUpsInfoRec rec = Device(3);
    rec.DataValid = c.dataValid;
    rec.OkCount = c.okCount;
    rec.UpsState = 5;
    LogStateChange(rec, sink);
    EXPECT_EQ(sink.Calls.size(), c.logs ? 1u : 0u);
    EXPECT_EQ(rec.DataValid, c.logs ? 1 : 0);
    EXPECT_EQ(rec.LoggedState, c.logs ? 5 : -1);
}

INSTANTIATE_TEST_SUITE_P(Rule, StateLogArming,
                         ::testing::Values(ArmingCase{0, 0, false}, ArmingCase{0, 5, false},
                                           ArmingCase{0, 6, true}, ArmingCase{0, 10000, true},
                                           ArmingCase{1, 0, true}));

TEST(StateChangeLog, SixthGoodReplyArmsEvenWithoutStateChange) {
    RecordingSink sink;
    TUpsInfoRec rec = Device(9);
    for (int32_t ok = 1; ok <= 6; ++ok) {
        rec.OkCount = ok;
        LogStateChange(rec, sink);
        EXPECT_EQ(rec.DataValid, ok == 6 ? 1 : 0) << "after good reply " << ok;
    }
    // No state known yet, so nothing to write; the next known state is logged.
    EXPECT_TRUE(sink.Calls.empty());
    rec.UpsState = 3;
    LogStateChange(rec, sink);
    EXPECT_EQ(sink.Calls, (std::vector<Call>{State(9)}));
}

TEST(StateChangeLog, AddressZeroNeverLogsOrArms) {
    RecordingSink sink;
    TUpsInfoRec rec = Device(0);
    rec.OkCount = 50;
    rec.UpsState = 4;
    LogStateChange(rec, sink);
    rec.DataValid = 1;
    LogStateChange(rec, sink);
    EXPECT_TRUE(sink.Calls.empty());
    EXPECT_EQ(rec.LoggedState, -1);
}

TEST(AlarmChangeLog, RaisedBeforeClearedEachInItsListOrder) {
    RecordingSink sink;
    TUpsInfoRec rec = Device(12);
    SetAlarms(rec, {45, 7, 3, 20});
    LogAlarmChanges(rec, sink);
    sink.Calls.clear();
    SetAlarms(rec, {50, 7, 1, 20, 2});
    LogAlarmChanges(rec, sink);
    EXPECT_EQ(sink.Calls, (std::vector<Call>{Raised(12, 50), Raised(12, 1), Raised(12, 2),
                                             Cleared(12, 45), Cleared(12, 3)}));
    EXPECT_EQ(rec.LoggedAlarmCount, 5);
    EXPECT_EQ(rec.LoggedAlarmCodes, rec.AlarmCodes);
}

TEST(AlarmChangeLog, AlarmComesThenGoes) {
    RecordingSink sink;
    TUpsInfoRec rec = Device(1);
    const std::vector<std::vector<int32_t>> replies = {{}, {43}, {43}, {}, {}};
    for (const auto& alarms : replies) {
        SetAlarms(rec, alarms);
        LogAlarmChanges(rec, sink);
    }
    EXPECT_EQ(sink.Calls, (std::vector<Call>{Raised(1, 43), Cleared(1, 43)}));
}

TEST(AlarmChangeLog, EntriesPastTheCountsAreIgnored) {
    RecordingSink sink;
    TUpsInfoRec rec = Device(2);
    rec.LoggedAlarmCodes = {5, 6, 99};
    rec.LoggedAlarmCount = 2;
    rec.AlarmCodes = {6, 7, 5};
    rec.AlarmCount = 2;
    LogAlarmChanges(rec, sink);
    EXPECT_EQ(sink.Calls, (std::vector<Call>{Raised(2, 7), Cleared(2, 5)}));
}

TEST(AlarmChangeLog, DamagedCountsNeverReadPastTheList) {
    RecordingSink sink;
    TUpsInfoRec rec = Device(4);
    for (int i = 0; i < MaxAlarmCodes; ++i)
        rec.AlarmCodes[i] = rec.LoggedAlarmCodes[i] = 1000 + i;
    rec.LoggedAlarmCodes[MaxAlarmCodes - 1] = 5;
    rec.AlarmCount = 200;
    rec.LoggedAlarmCount = 255;
    LogAlarmChanges(rec, sink);
    // Only the last entries differ; anything read beyond the lists would add events.
    EXPECT_EQ(sink.Calls, (std::vector<Call>{Raised(4, 1000 + MaxAlarmCodes - 1), Cleared(4, 5)}));
    EXPECT_EQ(rec.LoggedAlarmCount, MaxAlarmCodes);
}

// The view empties a silent unit's list; its standing alarms were never
// cleared, so its return must not log them as cleared and raised again.
TEST(AlarmChangeLog, AListTheUnitDidNotReportLogsNothing) {
    RecordingSink sink;
    TUpsInfoRec rec = Device(3);
    SetAlarms(rec, {23, 51});
    LogAlarmChanges(rec, sink);
    sink.Calls.clear();
    SetAlarms(rec, {});
    rec.AlarmsReported = 0; // emptied while the unit was silent
    LogAlarmChanges(rec, sink);
    EXPECT_TRUE(sink.Calls.empty());
    SetAlarms(rec, {51, 9}); // reported again: only what changed meanwhile
    rec.AlarmsReported = 1;
    LogAlarmChanges(rec, sink);
    EXPECT_EQ(sink.Calls, (std::vector<Call>{Raised(3, 9), Cleared(3, 23)}));
}

TEST(AlarmChangeLog, AddressZeroNeverLogsAlarms) {
    RecordingSink sink;
    TUpsInfoRec rec = Device(0);
    SetAlarms(rec, {1, 2});
    LogAlarmChanges(rec, sink);
    EXPECT_TRUE(sink.Calls.empty());
    EXPECT_EQ(rec.LoggedAlarmCount, 0);
}

} // namespace
