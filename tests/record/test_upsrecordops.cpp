#include "record/UpsRecordOps.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

struct FakeSink : TDeviceEventSink {
    std::vector<std::pair<uint8_t, uint8_t>> DeviceEvents; // (selector, address)
    int AlarmEvents = 0;
    void LogDeviceEvent(uint8_t selector, uint8_t address) override {
        DeviceEvents.emplace_back(selector, address);
    }
    void LogAlarmEvent(uint8_t, int32_t, uint8_t) override { ++AlarmEvents; }
};

TUpsInfoRec CommunicatingRecord(uint8_t address) {
    TUpsInfoRec rec;
    rec.Address = address;
    rec.CommState = CommCommunicating;
    return rec;
}

} // namespace

TEST(UpsRecordOps, InitTableSetsStartValuesOfEveryRecord) {
    UpsTable[7].OkCount = 55;
    UpsTable[7].InputVoltA = 230.0;
    UpsTable[7].AlarmCount = 3;
    UpsTable[252].CommState = CommCommunicating;
    InitTable();
    for (int n = 0; n < UpsTableSize; ++n) {
        SCOPED_TRACE(n);
        const TUpsInfoRec& rec = UpsTable[n];
        EXPECT_EQ(rec.Address, n);
        EXPECT_EQ(rec.CommState, CommLost);
        EXPECT_EQ(rec.UpsState, -1);
        EXPECT_EQ(rec.LoggedState, -1);
        EXPECT_EQ(rec.FailCount, 0);
        EXPECT_EQ(rec.OkCount, 0);
        EXPECT_EQ(rec.InputVoltA, 0.0);
        EXPECT_EQ(rec.AlarmCount, 0);
    }
}

// Unanswered requests to a communicating device: error from the 4th, lost
// (with exactly one event) from the 10th.
TEST(UpsRecordOps, UnansweredRequestsMoveCommState) {
    struct Row {
        int requests;
        uint8_t commState;
        int32_t failCount;
        std::size_t lostEvents;
    };
    const Row rows[] = {
        {1, 0, 1, 0},   {3, 0, 3, 0},   {4, 1, 4, 0},     {9, 1, 9, 0},
        {10, 2, 10, 1}, {11, 2, 11, 1}, {100, 2, 100, 1}, {150, 2, 100, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.requests);
        FakeSink sink;
        TUpsInfoRec rec = CommunicatingRecord(9);
        for (int i = 0; i < row.requests; ++i)
            RecordNoteRequest(rec, sink);
        EXPECT_EQ(rec.CommState, row.commState);
        EXPECT_EQ(rec.FailCount, row.failCount);
        ASSERT_EQ(sink.DeviceEvents.size(), row.lostEvents);
        for (const auto& ev : sink.DeviceEvents)
            EXPECT_EQ(ev, std::make_pair(uint8_t(DevEvtLost), uint8_t(9)));
    }
}

TEST(UpsRecordOps, RecordAlreadyLostLogsNoFurtherLoss) {
    FakeSink sink;
    TUpsInfoRec rec; // CommState 2, as after start
    rec.Address = 3;
    for (int i = 0; i < 20; ++i)
        RecordNoteRequest(rec, sink);
    EXPECT_EQ(rec.CommState, CommLost);
    EXPECT_TRUE(sink.DeviceEvents.empty());
}

TEST(UpsRecordOps, LossClearsCountersButKeepsMeasurements) {
    FakeSink sink;
    TUpsInfoRec rec = CommunicatingRecord(5);
    rec.SendCount = 500;
    rec.OkCount = 480;
    rec.RecvCount = 490;
    rec.UpsState = 4;
    rec.LoggedState = 4;
    rec.DataValid = 1;
    rec.InputVoltA = 231.5;
    rec.StatusWord[3] = 0x55;
    rec.AlarmCount = 2;
    for (int i = 0; i < 10; ++i)
        RecordNoteRequest(rec, sink);
    EXPECT_EQ(rec.CommState, CommLost);
    EXPECT_EQ(rec.SendCount, 1); // cleared, then this request counted
    EXPECT_EQ(rec.OkCount, 0);
    EXPECT_EQ(rec.RecvCount, 0);
    EXPECT_EQ(rec.SuccessRate, 0);
    EXPECT_EQ(rec.UpsState, -1);
    EXPECT_EQ(rec.LoggedState, -1);
    EXPECT_EQ(rec.DataValid, 0);
    EXPECT_EQ(rec.InputVoltA, 231.5);
    EXPECT_EQ(rec.StatusWord[3], 0x55);
    EXPECT_EQ(rec.AlarmCount, 2);
}

// SuccessRate from the counters before the request, rounded half to even.
TEST(UpsRecordOps, RequestComputesSuccessRate) {
    struct Row {
        int32_t ok, sent, rate, sentAfter;
    };
    const Row rows[] = {
        {0, 0, 0, 1},      {1, 1, 100, 2},   {1, 2, 50, 3},    {1, 3, 33, 4},
        {2, 3, 67, 4},     {1, 8, 12, 9},    {3, 8, 38, 9},    {1, 200, 0, 201},
        {3, 200, 2, 201},  {5, 200, 2, 201}, {7, 200, 4, 201}, {9999, 9999, 100, 10000},
        {20, 10, 100, 11}, // more good replies than requests still reads 100
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.ok << "/" << row.sent);
        FakeSink sink;
        TUpsInfoRec rec = CommunicatingRecord(1);
        rec.OkCount = row.ok;
        rec.SendCount = row.sent;
        RecordNoteRequest(rec, sink);
        EXPECT_EQ(rec.SuccessRate, row.rate);
        EXPECT_EQ(rec.SendCount, row.sentAfter);
    }
}

TEST(UpsRecordOps, GoodFirstReplyShowsFullRateAtSecondRequest) {
    FakeSink sink;
    TUpsInfoRec rec = CommunicatingRecord(1);
    RecordNoteRequest(rec, sink);
    EXPECT_EQ(rec.SuccessRate, 0);
    RecordNoteGoodReply(rec, sink);
    RecordNoteRequest(rec, sink);
    EXPECT_EQ(rec.SuccessRate, 100);
    EXPECT_EQ(rec.SendCount, 2);
}

TEST(UpsRecordOps, SendCountAtCapRescalesWithoutRecomputing) {
    FakeSink sink;
    TUpsInfoRec rec = CommunicatingRecord(1);
    rec.SendCount = 10000;
    rec.OkCount = 5000;
    rec.SuccessRate = 77;
    RecordNoteRequest(rec, sink);
    EXPECT_EQ(rec.SendCount, 100);
    EXPECT_EQ(rec.OkCount, 77);
    EXPECT_EQ(rec.SuccessRate, 77);
    RecordNoteRequest(rec, sink);
    EXPECT_EQ(rec.SuccessRate, 77);
    EXPECT_EQ(rec.SendCount, 101);
}

TEST(UpsRecordOps, ReceiveAndGoodReplyCountersStopAt10000) {
    FakeSink sink;
    TUpsInfoRec rec = CommunicatingRecord(1);
    rec.RecvCount = 9999;
    rec.OkCount = 9999;
    for (int i = 0; i < 3; ++i) {
        RecordNoteFrame(rec);
        RecordNoteGoodReply(rec, sink);
    }
    EXPECT_EQ(rec.RecvCount, 10000);
    EXPECT_EQ(rec.OkCount, 10000);
}

TEST(UpsRecordOps, GoodReplyRestoresCommunication) {
    struct Row {
        uint8_t address, commBefore, commAfter;
        int32_t okAfter;
        std::size_t establishedEvents;
    };
    const Row rows[] = {
        {5, 2, 0, 1, 1},                  // lost -> communicating, one event
        {5, 1, 0, 1, 0},                  // error -> communicating, silently
        {5, 0, 0, 1, 0}, {0, 2, 2, 0, 0}, // address 0 is no device: only FailCount clears
        {0, 0, 0, 0, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << int(row.address) << " from " << int(row.commBefore));
        FakeSink sink;
        TUpsInfoRec rec;
        rec.Address = row.address;
        rec.CommState = row.commBefore;
        rec.FailCount = 12;
        RecordNoteGoodReply(rec, sink);
        EXPECT_EQ(rec.FailCount, 0);
        EXPECT_EQ(rec.CommState, row.commAfter);
        EXPECT_EQ(rec.OkCount, row.okAfter);
        ASSERT_EQ(sink.DeviceEvents.size(), row.establishedEvents);
        for (const auto& ev : sink.DeviceEvents)
            EXPECT_EQ(ev, std::make_pair(uint8_t(DevEvtEstablished), row.address));
    }
}

TEST(UpsRecordOps, LossThenRecoveryLogsEachEventOnce) {
    FakeSink sink;
    TUpsInfoRec rec = CommunicatingRecord(17);
    for (int i = 0; i < 30; ++i)
        RecordNoteRequest(rec, sink);
    for (int i = 0; i < 3; ++i) {
        RecordNoteGoodReply(rec, sink);
        RecordNoteRequest(rec, sink);
    }
    const std::vector<std::pair<uint8_t, uint8_t>> expected = {{DevEvtLost, 17},
                                                               {DevEvtEstablished, 17}};
    EXPECT_EQ(sink.DeviceEvents, expected);
    EXPECT_EQ(rec.CommState, CommCommunicating);
    EXPECT_EQ(sink.AlarmEvents, 0);
}

TEST(UpsRecordOps, ResetAllRecordsKeepsCommStateAndFailCount) {
    InitTable();
    FakeSink sink;
    TUpsInfoRec& dev = UpsTable[12];
    RecordNoteRequest(dev, sink);
    RecordNoteGoodReply(dev, sink);
    RecordNoteRequest(dev, sink);
    RecordNoteFrame(dev);
    dev.UpsState = 4;
    dev.LoggedState = 4;
    dev.DataValid = 1;
    UpsTable[200].FailCount = 6;
    UpsTable[200].CommState = CommError;

    ResetAllRecords();

    EXPECT_EQ(dev.CommState, CommCommunicating);
    EXPECT_EQ(dev.FailCount, 1);
    EXPECT_EQ(UpsTable[200].CommState, CommError);
    EXPECT_EQ(UpsTable[200].FailCount, 6);
    for (const TUpsInfoRec& rec : UpsTable) {
        SCOPED_TRACE(int(rec.Address));
        EXPECT_EQ(rec.SendCount, 0);
        EXPECT_EQ(rec.RecvCount, 0);
        EXPECT_EQ(rec.OkCount, 0);
        EXPECT_EQ(rec.DataValid, 0);
        EXPECT_EQ(rec.UpsState, -1);
        EXPECT_EQ(rec.LoggedState, -1);
    }
    // Still communicating until ten requests fail in a row.
    for (int i = 0; i < 8; ++i)
        RecordNoteRequest(dev, sink);
    EXPECT_EQ(dev.CommState, CommError);
    RecordNoteRequest(dev, sink);
    EXPECT_EQ(dev.CommState, CommLost);
}
