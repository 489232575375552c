// The trace window's texts and diagnostic values, without a window.

#include "base/SharedFlags.h"
#include "comm/DebugValue.h"
#include "comm/TraceText.h"
#include "config/UUserParaIni.h"
#include "record/UpsRecordOps.h"
#include "tests/comm/EngineRig.h"
#include "tests/support/CodecState.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct TEchoRow {
    std::vector<uint8_t> Bytes;
    bool Hex;
    std::string Line;
};

class EchoLines : public ::testing::TestWithParam<TEchoRow> {};

TEST_P(EchoLines, HexPairsOrShownCharacters) {
    const TEchoRow& row = GetParam();
    EXPECT_EQ(EchoLine(row.Bytes.data(), int(row.Bytes.size()), row.Hex), row.Line);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, EchoLines,
    ::testing::Values(TEchoRow{{1, 3, 171}, true, "01 03 AB "}, TEchoRow{{}, true, ""},
                      TEchoRow{{'~', '2', '0', 'A', 'z', '\r', '\n'}, false, "~20Az\r\n"},
                      // Outside LF, CR, '0'..'z' and '~': 0x7F.
                      TEchoRow{
                          {' ', '/', '{', '}', 0, 0x80, 0xFF}, false, std::string(7, '\x7F')}));

TEST(TraceText, CountersLineAndRejectLetters) {
    CommDebug = {};
    RefreshRatePct();
    EXPECT_EQ(CommInfoLine(), "Send:0;  AcK:0;  AckOK:0;  Rate:0.0");
    EXPECT_EQ(CommErrLine(), "");
    CommDebug.TxFrames = 120;
    CommDebug.RxFrames = 118;
    CommDebug.RxGood = 118;
    RefreshRatePct();
    EXPECT_EQ(CommInfoLine(), "Send:120;  AcK:118;  AckOK:118;  Rate:98.3");
    CommDebug.ErrCnt[2] = 2;
    CommDebug.ErrCnt[5] = 1;
    CommDebug.ErrCnt[6] = 9; // never shown: no letter beyond F
    EXPECT_EQ(CommErrLine(), "C:2; F:1; ");
    CommDebug = {};
}

TEST(TraceText, RateAndGridCells) {
    EXPECT_EQ(RateText(0), "0.0");
    EXPECT_EQ(RateText(98.36), "98.4");
    EXPECT_EQ(RateText(100), "100.0");
    EXPECT_EQ(RateText(1234.56), "1234.6");
    EXPECT_EQ(RateText(12345.6), "12346.0");
    EXPECT_EQ(DebugCellText(255, false), "255");
    EXPECT_EQ(DebugCellText(-1, false), "-1");
    EXPECT_EQ(DebugCellText(255, true), "00FF");
    EXPECT_EQ(DebugCellText(-1, true), "FFFFFFFF");
    EXPECT_EQ(DebugCellText(0x12345, true), "12345");
}

class DebugValues : public ::testing::Test, protected TEngineRig {
protected:
    void SetUp() override {
        ResetCodecState();
        DbgVal = {};
        DbgCnt = {};
        UserPara = {};
        TPortInfo& port = UserPara.PortInfo;
        port.ComName = Pty.SlavePath();
        port.BaudRate = 19200;
        port.ReadIntervalTimeout = 35;
        port.WaitTimer = 7;
        port.MaxReSend = 3;
        port.CommErrCnt = 4;
        port.CommLostCnt = 10;
        port.Protocol = 1;
    }
};

// Every number of the table, each set to a value of its own.
TEST_F(DebugValues, EachNumberReadsItsState) {
    EXPECT_EQ(DebugValue(Engine, 21), 0);
    ASSERT_TRUE(Engine.Start());
    Engine.AwaitingReply = 255;
    Engine.WaitTicks = 6;
    Engine.SendTries = 1;
    Engine.SendLimit = 3;
    Engine.TxLength = 18;
    Engine.EngineStep = 5;
    CommDebug.TxFrames = 300;
    CommDebug.RxFrames = 299;
    CommDebug.RxGood = 150;
    CommDebug.RatePct = 50.9;
    for (int i = 0; i < 10; ++i) {
        CommDebug.ErrCnt[std::size_t(i)] = 40 + i;
        UpsTable[std::size_t(i)].SendCount = 1000 + i;
        UpsTable[std::size_t(i)].OkCount = 2000 + i;
        UpsTable[std::size_t(i)].RecvCount = 3000 + i;
    }
    for (int i = 0; i < DbgValCount; ++i)
        DbgVal[std::size_t(i)] = 500 + i;
    for (std::size_t i = 0; i < DbgCntSize; ++i)
        DbgCnt[i] = int32_t(7000 + i);

    const std::vector<std::pair<int, int32_t>> rows = {
        {22, 19200}, {23, 35},    {24, 300},  {25, 299},   {26, 99},     {27, 7},      {28, 3},
        {29, 4},     {30, 10},    {50, 1},    {53, 6},     {54, 1},      {55, 3},      {56, 18},
        {57, 5},     {58, 1},     {100, 300}, {101, 0},    {102, 299},   {103, 150},   {104, 50},
        {105, 99},   {110, 40},   {119, 49},  {200, 1000}, {209, 1009},  {210, 2000},  {219, 2009},
        {220, 3000}, {229, 3009}, {300, 500}, {319, 519},  {1000, 7000}, {1100, 7100}, {0, 0},
        {20, 0},     {31, 0},     {51, 0},    {59, 0},     {106, 0},     {120, 0},     {230, 0},
        {320, 0},    {999, 0},    {1101, 0},  {65535, 0}};
    for (const auto& [number, value] : rows)
        EXPECT_EQ(DebugValue(Engine, uint16_t(number)), value) << number;
    EXPECT_NE(DebugValue(Engine, 21), 0);

    // Long runs: the percentage is worked out without overflowing.
    CommDebug.TxFrames = CommDebug.RxFrames = 2000000000;
    EXPECT_EQ(DebugValue(Engine, 26), 100);
    CommDebug.TxFrames = 0;
    EXPECT_EQ(DebugValue(Engine, 26), 0);
    Engine.AwaitingReply = 0;
    EXPECT_EQ(DebugValue(Engine, 50), 0);
    Engine.CloseComm();
    EXPECT_EQ(DebugValue(Engine, 21), 0);
}

} // namespace
