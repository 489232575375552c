// The bus health figures and their texts in both languages.

#include "comm/BusHealth.h"
#include "comm/BusHealthText.h"

#include <gtest/gtest.h>

namespace {

TEST(BusHealth, CountsRepliesRejectsAndCycles) {
    TBusHealth health;
    health.NoteRequest(4);
    health.NoteRequest(4);
    health.NoteRequest(4);
    health.NoteGoodReply(4, 40, 1000);
    health.NoteGoodReply(4, 61, 2000);
    for (int letter : {5, 2, 5, -1, 9})
        health.NoteReject(4, letter);
    const TUnitHealth& unit = health.Units[4];
    EXPECT_EQ(unit.Requests, 3u);
    EXPECT_EQ(unit.LastReplyMs, 61);
    EXPECT_EQ(unit.MeanReplyMs(), 50);
    EXPECT_EQ(unit.LastGoodAt, 2000);
    EXPECT_EQ(unit.RejectCount(), 5u);
    EXPECT_EQ(RejectsText(unit, 0), "5 (C 1, F 2, other 2)");
    EXPECT_EQ(TUnitHealth{}.MeanReplyMs(), -1);

    EXPECT_EQ(health.LastCycleMs, -1);
    health.NoteCycleStart(500);
    EXPECT_EQ(health.LastCycleMs, -1) << "one start is no cycle yet";
    health.NoteCycleStart(12900);
    EXPECT_EQ(health.LastCycleMs, 12400);
    EXPECT_EQ(health.CycleCount, 1u);
}

TEST(BusHealthText, ReadsTheSameInBothLanguages) {
    TUnitHealth unit;
    unit.Requests = 120;
    unit.GoodReplies = 118;
    unit.Rejects[0] = 2;
    unit.LastReplyMs = 85;
    unit.ReplyMsSum = 118 * 90;
    unit.LastGoodAt = 10000;
    EXPECT_EQ(UnitHealthText(unit, 12149, 0), "Requests 120, Good replies 118\n"
                                              "Rejected 2 (A 2)\n"
                                              "Reply time 85 ms, mean 90 ms\n"
                                              "Since last good reply 2.1 s");
    EXPECT_EQ(UnitHealthText(unit, 12150, 1), "请求 120, 正确应答 118\n"
                                              "拒收 2 (A 2)\n"
                                              "应答时间 85 ms, 平均 90 ms\n"
                                              "距上次正确应答 2.2 s");
    EXPECT_EQ(UnitHealthText(TUnitHealth{}, 0, 1), "请求 0, 正确应答 0\n"
                                                   "拒收 0\n"
                                                   "应答时间 无, 平均 无\n"
                                                   "距上次正确应答 无");

    TBusHealth bus;
    EXPECT_EQ(BusCycleStatus(bus, 0), "") << "nothing before the first full cycle";
    bus.LastCycleMs = 12400;
    EXPECT_EQ(BusCycleStatus(bus, 0), "Bus cycle 12.4 s");
    EXPECT_EQ(BusCycleStatus(bus, 1), "轮询周期 12.4 s");
    const std::pair<int64_t, const char*> seconds[] = {{0, "0.0 s"},          {49, "0.0 s"},
                                                       {50, "0.1 s"},         {999, "1.0 s"},
                                                       {1627450, "1627.5 s"}, {-3, "0.0 s"}};
    for (const auto& [ms, text] : seconds)
        EXPECT_EQ(SecondsFigure(ms), text) << ms;
}

} // namespace
