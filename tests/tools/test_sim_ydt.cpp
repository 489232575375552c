// The two ASCII protocols answered as a device: every reply must pass the
// monitor's checks and carry the unit's values where the monitor reads them.

#include "tests/tools/SimTestFrames.h"
#include "tools/sim/ModularResponder.h"
#include "tools/sim/StatusWords.h"
#include "tools/sim/ThreePhaseResponder.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TSimUnits OneUnit(TSimState state, std::set<int> alarms = {}, const char* model = "VEX610") {
    TSimUnits units;
    TSimUnit u = MakeUnit(1, model);
    SetUnitState(u, state);
    u.Alarms = std::move(alarms);
    units.emplace(1, std::move(u));
    return units;
}

std::string Ask(const TYdtProtocol& p, const TSimUnits& units, const std::string& request) {
    return AsText(AnswerYdt(p, units, request).Bytes);
}

double Word100(const std::string& f, std::size_t pos) {
    return Hex4ToWord(f.substr(pos, 4)) / 100.0;
}
int Byte(const std::string& f, std::size_t pos) {
    return HexTextToInt(f.substr(pos, 2), 2);
}
int Word(const std::string& f, std::size_t pos) {
    return HexTextToInt(f.substr(pos, 4), 4);
}

// The monitor's state rule for the status words.
int StateFromWords(int w0, int w2, int w3, int w4, int w5, int w6) {
    if ((w0 & 0x2000) || (w4 & 0x0008))
        return 9;
    if (w2 || (w3 & 0x8000) || (w6 & 0xFC8C))
        return 11;
    if (w4 & 0x2000)
        return 10;
    const int s = w4 & 0x0180, n = w4 & 0x0600;
    if (s == 0)
        return n == 0 ? 1 : n == 0x0200 ? 7 : 2;
    if (s == 0x0080)
        return (w5 & 0x0800) && (w4 & 0x0400) ? 8 : 3;
    if (n == 0 || n == 0x0400)
        return 1;
    if (n == 0x0200)
        return 7;
    if (!(w0 & 0x4000))
        return 2;
    return (w0 & 0x0400) ? 4 : (w0 & 0x0200) ? 6 : 5;
}

// The monitor's state rule for the three-phase switch codes.
int ThreePhaseState(const std::string& f) {
    const std::string ups = f.substr(15, 2), test = f.substr(19, 2), input = f.substr(25, 2);
    if (f.substr(31, 2) == "E1")
        return 10;
    if (ups == "01")
        return input == "E0" ? 4 : input == "E1" ? (test == "E0" ? 6 : 5) : 1;
    return ups == "02" ? 3 : 1;
}

// The monitor's alarm list of a three-phase alarm reply.
std::vector<int> ThreePhaseAlarms(const std::string& f) {
    std::vector<int> codes;
    for (int j = 0; j < 56; ++j) {
        const int b = Byte(f, 31 + 2 * j);
        if (j == 35) {
            if (b == 0xF1)
                codes.push_back(135);
        } else if (j == 48) {
            if (b == 0)
                codes.push_back(148);
            if (b == 0xF1)
                codes.push_back(160);
        } else if (b != 0)
            codes.push_back(100 + j);
    }
    for (int k = 0; k < 5; ++k) {
        if (Byte(f, 15 + 2 * k) != 0)
            codes.push_back(201 + k);
    }
    const int c5 = Byte(f, 25);
    if (c5 != 0) {
        codes.push_back(c5 == 1 ? 206 : c5 == 2 ? 207 : c5 == 0xF0 ? 208 : c5 == 0xE1 ? 209 : 210);
    }
    return codes;
}

struct TStateRow {
    TSimState State;
    int Code; // the state the monitor derives
};
const TStateRow StateRows[] = {
    {TSimState::Standby, 1}, {TSimState::Online, 4},       {TSimState::Battery, 5},
    {TSimState::Bypass, 3},  {TSimState::Economy, 8},      {TSimState::BatteryTest, 6},
    {TSimState::Fault, 11},  {TSimState::MaintBypass, 10}, {TSimState::Epo, 9},
};

} // namespace

TEST(SimModular, ExampleStatusRequestGetsTheKnownReply) {
    const TSimUnits units = OneUnit(TSimState::Online);
    EXPECT_EQ(Ask(ModularProtocol, units, "~31012A430000FDA1\r"),
              "~31012A00901600000004CC00C700000000F934\r");
}

TEST(SimModular, EveryCommandPassesTheMonitorsChecks) {
    const TSimUnits units = OneUnit(TSimState::Online, {12, 64});
    const struct {
        uint8_t Command;
        std::size_t Lenid; // long enough for every position the monitor reads
    } rows[] = {{0x42, 46}, {0x43, 22}, {0x44, 38}, {0x80, 146}, {0x82, 30}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Command);
        const std::string reply = Ask(ModularProtocol, units, YdtRequest(0x31, 1, row.Command));
        EXPECT_EQ(YdtReplyProblem(reply, 0x31, 1), "");
        EXPECT_EQ(reply.size(), 18 + row.Lenid);
    }
}

TEST(SimModular, ValuesSitWhereTheMonitorReadsThem) {
    TSimUnits units = OneUnit(TSimState::Battery);
    TSimMeasure& m = units.at(1).Measure;
    m.InputVolt = {0, 0, 0};
    m.OutputVolt = {229.5, 230.25, 231};
    m.OutputFreq = 49.98;
    m.BattVolt1 = m.BattVolt2 = 210.5;
    m.LoadPct = {31, 32, 33};
    m.ChargeCur1 = m.ChargeCur2 = 0;
    m.DischargeCur1 = 11.5, m.DischargeCur2 = 11.25;
    m.BattSupportTime = 42;
    m.BattCapacity = 87;

    const std::string analog = Ask(ModularProtocol, units, "~31012A420000FDA2\r");
    EXPECT_EQ(Word100(analog, 15), 0);
    EXPECT_EQ(Word100(analog, 27), 229.5);
    EXPECT_EQ(Word100(analog, 31), 230.25);
    EXPECT_EQ(Word100(analog, 35), 231);
    EXPECT_EQ(Word100(analog, 51), 421);
    EXPECT_EQ(Word100(analog, 55), 49.98);

    const std::string load = Ask(ModularProtocol, units, YdtRequest(0x31, 1, 0x80));
    EXPECT_EQ(Word(load, 95), 31);
    EXPECT_EQ(Word(load, 103), 33);
    EXPECT_EQ(Word100(load, 143), 0);
    EXPECT_EQ(Word100(load, 151), 11.5);
    EXPECT_EQ(Word100(load, 155), 11.25);

    const std::string battery = Ask(ModularProtocol, units, YdtRequest(0x31, 1, 0x82));
    EXPECT_EQ(Word(battery, 35), 42);
    EXPECT_EQ(Word(battery, 39), 87);
}

TEST(SimModular, StatusReplyGivesTheMonitorTheUnitsState) {
    for (const TStateRow& row : StateRows) {
        SCOPED_TRACE(static_cast<int>(row.State));
        const TSimUnits units = OneUnit(row.State);
        const std::string status = Ask(ModularProtocol, units, YdtRequest(0x31, 1, 0x43));
        const std::string alarms = Ask(ModularProtocol, units, YdtRequest(0x31, 1, 0x44));
        EXPECT_EQ(Byte(status, 19), row.Code); // the device's own state number
        EXPECT_EQ(StateFromWords(Word(status, 21), Word(alarms, 33), Word(alarms, 37),
                                 Word(status, 25), Word(status, 29), Word(alarms, 41)),
                  row.Code);
    }
}

TEST(SimModular, AlarmCodesBecomeTheirWordBits) {
    // 0 and 15: W2 bits 15 and 0; 23: W3 bit 8; 43: W6 bit 4; 51: W7 bit 12;
    // 64: W9 bit 15, sent as the high byte of W9.
    const TSimUnits units = OneUnit(TSimState::Online, {0, 15, 23, 43, 51, 64});
    const std::string f = Ask(ModularProtocol, units, YdtRequest(0x31, 1, 0x44));
    EXPECT_EQ(Word(f, 33), 0x8001);
    EXPECT_EQ(Word(f, 37), 0x0100);
    EXPECT_EQ(Word(f, 41), 0x0010);
    EXPECT_EQ(Word(f, 45), 0x1000);
    EXPECT_EQ(Byte(f, 49), 0x80);
}

TEST(SimModular, DamagedRequestsGetAReturnCodeOrNothing) {
    TSimUnits units = OneUnit(TSimState::Online);
    units.emplace(2, MakeUnit(2, "VEX610"));
    units.at(2).Silent = true;
    std::string badSum = YdtRequest(0x31, 1, 0x43);
    badSum[14] = badSum[14] == '0' ? '1' : '0';
    const struct {
        const char* Name;
        std::string Request;
        bool Answered;
        uint8_t Rtn;
    } rows[] = {
        {"good", YdtRequest(0x31, 1, 0x43), true, 0x00},
        {"three-phase version", YdtRequest(0x11, 1, 0x43), true, 0x01},
        {"checksum", badSum, true, 0x02},
        {"length with a wrong LCHKSUM", YdtRequest(0x31, 1, 0x43, "1000"), true, 0x03},
        {"unknown command", YdtRequest(0x31, 1, 0x99), true, 0x04},
        {"no such unit", YdtRequest(0x31, 9, 0x43), false, 0},
        {"silent unit", YdtRequest(0x31, 2, 0x43), false, 0},
        {"another device type", YdtRequest(0x31, 1, 0x43, "0000", 0x2B), false, 0},
        {"cut short", "~31012A43\r", false, 0},
        {"no carriage return", "~31012A430000FDA1", false, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Name);
        const std::string reply = Ask(ModularProtocol, units, row.Request);
        if (!row.Answered) {
            EXPECT_EQ(reply, "");
            continue;
        }
        EXPECT_EQ(YdtReplyProblem(reply, 0x31, 1, row.Rtn), "");
        EXPECT_EQ(reply.size(), row.Rtn == 0 ? 40u : 18u);
    }
}

TEST(SimThreePhase, EveryCommandPassesTheMonitorsChecks) {
    const TSimUnits units = OneUnit(TSimState::Online, {119});
    const struct {
        uint8_t Command;
        std::size_t Lenid;
    } rows[] = {{0x41, 90}, {0x43, 24}, {0x44, 130}, {0xE2, 124}, {0xE3, 108}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Command);
        const std::string reply = Ask(ThreePhaseProtocol, units, YdtRequest(0x11, 1, row.Command));
        EXPECT_EQ(YdtReplyProblem(reply, 0x11, 1), "");
        EXPECT_EQ(reply.size(), 18 + row.Lenid);
    }
    EXPECT_EQ(
        YdtReplyProblem(Ask(ThreePhaseProtocol, units, YdtRequest(0x31, 1, 0x41)), 0x11, 1, 0x01),
        "");
}

TEST(SimThreePhase, AnalogReplyCarriesSinglesAtTheMonitorsPositions) {
    TSimUnits units = OneUnit(TSimState::Online);
    TSimMeasure& m = units.at(1).Measure;
    m.InputVolt = {220, 221, 222};
    m.OutputVolt = {230, 230.5, 231};
    m.BattVolt1 = m.BattVolt2 = 216;
    m.OutputFreq = 50;
    m.LoadPct = {40, 41, 42};
    m.BattSupportTime = 35;
    const std::string f = Ask(ThreePhaseProtocol, units, "~11012A410000FDA5\r");
    ASSERT_EQ(YdtReplyProblem(f, 0x11, 1), "");
    EXPECT_NEAR(HexToSingle(f.substr(15, 8)) / std::sqrt(3.0), 220, 1e-3);
    EXPECT_NEAR(HexToSingle(f.substr(31, 8)) / std::sqrt(3.0), 222, 1e-3);
    EXPECT_EQ(HexToSingle(f.substr(39, 8)), 230);
    EXPECT_EQ(HexToSingle(f.substr(55, 8)), 231);
    EXPECT_EQ(HexToSingle(f.substr(87, 8)), 432);
    EXPECT_EQ(f.substr(95, 8), "00004842"); // 50.0

    const std::string load = Ask(ThreePhaseProtocol, units, YdtRequest(0x11, 1, 0xE2));
    EXPECT_EQ(HexToSingle(load.substr(113, 8)), 40);
    EXPECT_EQ(HexToSingle(load.substr(129, 8)), 42);
    const std::string batt = Ask(ThreePhaseProtocol, units, YdtRequest(0x11, 1, 0xE3));
    EXPECT_EQ(HexToSingle(batt.substr(113, 8)), 35);
}

TEST(SimThreePhase, SwitchCodesGiveTheMonitorTheUnitsState) {
    // The three-phase rules know no ECO, fault or EPO state: those units show
    // the supply they are on.
    const std::map<TSimState, int> threePhase = {
        {TSimState::Economy, 3}, {TSimState::Fault, 3}, {TSimState::Epo, 1}};
    for (const TStateRow& row : StateRows) {
        SCOPED_TRACE(static_cast<int>(row.State));
        const std::string f =
            Ask(ThreePhaseProtocol, OneUnit(row.State), YdtRequest(0x11, 1, 0x43));
        const auto it = threePhase.find(row.State);
        EXPECT_EQ(ThreePhaseState(f), it != threePhase.end() ? it->second : row.Code);
    }
}

TEST(SimThreePhase, AlarmReplyCarriesTheThreePhaseCodes) {
    const struct {
        std::set<int> Alarms;
        std::vector<int> Listed;
    } rows[] = {
        {{}, {}},       // the battery breaker reads closed
        {{12, 64}, {}}, // status-word alarms are not carried
        {{100, 135, 148, 149, 155, 201, 205, 207}, {100, 135, 148, 149, 155, 201, 205, 207}},
        {{160}, {160}},
        {{206, 209}, {206}}, // one battery byte: the lowest code wins
        {{210}, {210}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::PrintToString(row.Listed));
        const std::string f = Ask(ThreePhaseProtocol, OneUnit(TSimState::Online, row.Alarms),
                                  YdtRequest(0x11, 1, 0x44));
        ASSERT_EQ(YdtReplyProblem(f, 0x11, 1), "");
        EXPECT_EQ(ThreePhaseAlarms(f), row.Listed);
    }
}
