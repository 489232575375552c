// Modbus / VEX answered as a device: reads by the monitor's poll sequence,
// writes landing in registers and commands, exceptions for what cannot be done.

#include "tests/tools/SimTestFrames.h"
#include "tools/sim/ModbusRegisters.h"
#include "tools/sim/ModbusResponder.h"
#include "tools/sim/StatusWords.h"

#include <gtest/gtest.h>

namespace {

using TBytes = std::vector<uint8_t>;

class SimModbus : public testing::Test {
protected:
    SimModbus() {
        Units.emplace(1, MakeUnit(1, "VEX610"));
        Units.emplace(7, MakeUnit(7, "LNM7100"));
    }

    TBytes Ask(const TBytes& request) {
        return AnswerModbus(Units, request, DefaultUnlockValue).Bytes;
    }

    // The register values of a read reply, after checking its frame.
    std::vector<int> Registers(const TBytes& reply, uint8_t address, uint8_t func, int count) {
        EXPECT_EQ(reply.size(), 5u + 2 * count);
        EXPECT_EQ(Crc16(reply), 0);
        EXPECT_EQ(reply.at(0), address);
        EXPECT_EQ(reply.at(1), func);
        EXPECT_EQ(reply.at(2), 2 * count);
        std::vector<int> regs;
        for (std::size_t i = 3; i + 3 < reply.size(); i += 2) {
            regs.push_back((reply[i] << 8) | reply[i + 1]);
        }
        return regs;
    }

    // The exception code of a reply, 0 when it is not an exception.
    static int ExceptionOf(const TBytes& reply) {
        return reply.size() == 5 && (reply[1] & 0x80) && Crc16(reply) == 0 ? reply[2] : 0;
    }

    // Writes one register; the exception code, 0 when the echo came back.
    int Write(uint8_t address, int reg, int value) {
        const TBytes request = ModbusRequest(address, 6, reg, value);
        const TBytes reply = Ask(request);
        return reply == request ? 0 : ExceptionOf(reply);
    }

    TSimUnit& Unit(uint8_t address) { return Units.at(address); }

    TSimUnits Units;
};

} // namespace

TEST_F(SimModbus, PollSequenceExamplesAnswerWithTheRegisterMap) {
    TSimUnit& u = Unit(1);
    u.Measure.InputVolt = {221.3, 222, 223};
    u.Measure.OutputFreq = 50.02;
    u.Measure.LoadPct = {35, 36, 37};
    u.Measure.BattCapacity = 97;
    u.Measure.BattSupportTime = 51;
    u.Measure.BattVolt1 = 216.4;
    u.Alarms = {0, 43};

    const auto step1 = Registers(Ask({0x01, 0x04, 0x75, 0x30, 0x00, 0x0E, 0x6B, 0xCD}), 1, 4, 14);
    EXPECT_EQ(step1.at(0), 2213); // 30001
    EXPECT_EQ(step1.at(2), 2230); // 30003
    EXPECT_EQ(step1.at(13), 500); // 30014, 50.0 Hz

    const auto step2 = Registers(Ask({0x01, 0x04, 0x75, 0x44, 0x00, 0x12, 0x2A, 0x1E}), 1, 4, 18);
    EXPECT_EQ(step2.at(0), 35);    // 30021
    EXPECT_EQ(step2.at(10), 2164); // 30031
    EXPECT_EQ(step2.at(16), 97);   // 30037
    EXPECT_EQ(step2.at(17), 51);   // 30038

    const auto step3 = Registers(Ask(ModbusRequest(1, 4, 30081, 11)), 1, 4, 11);
    // The unit still calls itself online (4); the monitor sees the fault bit.
    const std::vector<int> words = {4,      0xCC00, 0,      0xC700, 0, // DevState, W0, W1, W4, W5
                                    0x8000, 0,      0x0010, 0,      0, 0}; // W2, W3, W6, W7, W8, W9
    EXPECT_EQ(step3, words);

    const auto step4 = Registers(Ask({0x01, 0x03, 0x9C, 0x40, 0x00, 0x1C, 0x6B, 0x87}), 1, 3, 28);
    EXPECT_EQ(step4.at(4), 220);     // 40005
    EXPECT_EQ(step4.at(12), 0xFFEC); // 40013, -20 %

    EXPECT_EQ(Registers(Ask(ModbusRequest(1, 3, 40029, 1)), 1, 3, 1).at(0), 0);
}

TEST_F(SimModbus, ParameterWritesLandInTheHoldingRegisters) {
    const TBytes request = {0x01, 0x06, 0x9C, 0x4C, 0xFF, 0xEC}; // 40013 = -20
    const TBytes echo = Ask(WithCrc(request));
    EXPECT_EQ(echo, WithCrc(request));
    EXPECT_EQ(Write(1, 40005, 230), 0);
    EXPECT_EQ(Write(1, 40029, 2), 0);
    EXPECT_EQ(HoldingValue(Unit(1), 40005), 230);
    EXPECT_EQ(HoldingValue(Unit(1), 40029), 2);
    const auto regs = Registers(Ask(ModbusRequest(1, 3, 40005, 9)), 1, 3, 9);
    EXPECT_EQ(regs.at(0), 230);
    EXPECT_EQ(regs.at(8), 0xFFEC);
}

TEST_F(SimModbus, MultipleRegisterWriteLandsEveryValue) {
    const TBytes request = WithCrc({0x01, 0x10, 0x9C, 0x4A, 0x00, 0x03, 0x06, // 40011..40013
                                    0x00, 0x02, 0x00, 0x0A, 0xFF, 0xE2});
    EXPECT_EQ(Ask(request), WithCrc({0x01, 0x10, 0x9C, 0x4A, 0x00, 0x03}));
    EXPECT_EQ(HoldingValue(Unit(1), 40011), 2);
    EXPECT_EQ(HoldingValue(Unit(1), 40012), 10);
    EXPECT_EQ(HoldingValue(Unit(1), 40013), 0xFFE2);

    // A range through the reserved 40010 is refused as a whole.
    const TBytes reserved = WithCrc({0x01, 0x10, 0x9C, 0x48, 0x00, 0x02, 0x04, 0, 9, 0, 9});
    EXPECT_EQ(ExceptionOf(Ask(reserved)), ExIllegalAddress);
    EXPECT_EQ(HoldingValue(Unit(1), 40009), 0);
    // A byte count that does not match the register count.
    const TBytes mismatch = WithCrc({0x01, 0x10, 0x9C, 0x4A, 0x00, 0x02, 0x02, 0, 1});
    EXPECT_EQ(ExceptionOf(Ask(mismatch)), ExIllegalValue);
}

TEST_F(SimModbus, CommandRegistersSwitchAndTest) {
    const struct {
        TSimState Before;
        int Reg, Value, Exception;
        TSimState After;
    } rows[] = {
        {TSimState::Standby, 20001, 1, 0, TSimState::Online},
        {TSimState::Bypass, 20001, 1, 0, TSimState::Online},
        {TSimState::Standby, 20001, 2, ExIllegalValue, TSimState::Standby},
        {TSimState::Fault, 20001, 1, ExIllegalFunction, TSimState::Fault},
        {TSimState::Online, 20002, 1, 0, TSimState::Standby},
        {TSimState::Battery, 20002, 1, 0, TSimState::Standby},
        {TSimState::MaintBypass, 20002, 1, 0, TSimState::MaintBypass},
        {TSimState::Online, 20003, 60, 0, TSimState::BatteryTest},
        {TSimState::BatteryTest, 20003, 0, 0, TSimState::Online},
        {TSimState::Online, 20003, 0, 0, TSimState::Online},
        {TSimState::Battery, 20003, 60, ExIllegalFunction, TSimState::Battery},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row.Reg) + "=" + std::to_string(row.Value));
        SetUnitState(Unit(1), row.Before);
        EXPECT_EQ(Write(1, row.Reg, row.Value), row.Exception);
        EXPECT_EQ(Unit(1).State, row.After);
    }
}

TEST_F(SimModbus, BatteryTestRunsForTheGivenSecondsThenEnds) {
    ASSERT_EQ(Write(1, 20003, 60), 0);
    TickUnit(Unit(1), 59);
    EXPECT_EQ(Unit(1).State, TSimState::BatteryTest);
    EXPECT_EQ(Registers(Ask(ModbusRequest(1, 4, 30082, 1)), 1, 4, 1).at(0) & 0x0600, 0x0200);
    TickUnit(Unit(1), 2);
    EXPECT_EQ(Unit(1).State, TSimState::Online);
}

// A scenario's battery-test state has no duration: it lasts until the
// scenario ends it, discharging the battery as a test does.
TEST_F(SimModbus, BatteryTestWithoutDurationLastsUntilEnded) {
    SetUnitState(Unit(1), TSimState::BatteryTest);
    TickUnit(Unit(1), 3600);
    EXPECT_EQ(Unit(1).State, TSimState::BatteryTest);
}

// On battery and during a test the battery discharges, and says so.
TEST_F(SimModbus, DischargingStatesSetTheDischargingBit) {
    const std::pair<TSimState, bool> rows[] = {
        {TSimState::Battery, true},  {TSimState::BatteryTest, true}, {TSimState::Online, false},
        {TSimState::Standby, false}, {TSimState::Bypass, false},     {TSimState::Economy, false},
    };
    for (const auto& [state, discharging] : rows) {
        EXPECT_EQ((WordsForState(state)[0] & 0x0100) != 0, discharging) << int(state);
    }
}

TEST_F(SimModbus, LockedModelTakesOneParameterPerUnlock) {
    EXPECT_EQ(Write(7, 40005, 230), ExIllegalFunction);
    EXPECT_EQ(HoldingValue(Unit(7), 40005), 220);
    EXPECT_EQ(Write(7, 50000, DefaultUnlockValue), 0);
    EXPECT_EQ(Write(7, 40005, 230), 0);
    EXPECT_EQ(HoldingValue(Unit(7), 40005), 230);
    EXPECT_EQ(Write(7, 40005, 240), ExIllegalFunction); // the unlock is used up
    EXPECT_EQ(Write(7, 50000, 12), ExIllegalValue);
    EXPECT_EQ(Write(7, 40005, 240), ExIllegalFunction);
    EXPECT_EQ(Write(1, 50000, DefaultUnlockValue), ExIllegalAddress); // no lock on other models
    EXPECT_EQ(Write(7, 20002, 1), 0);                                 // commands are not locked
}

TEST_F(SimModbus, RequestsItCannotServeGetExceptions) {
    const struct {
        const char* Name;
        TBytes Request;
        int Exception;
    } rows[] = {
        {"input bank read as holding", ModbusRequest(1, 3, 30001, 1), ExIllegalAddress},
        {"read past the holding bank", ModbusRequest(1, 3, 40029, 2), ExIllegalAddress},
        {"read past the input bank", ModbusRequest(1, 4, 30095, 10), ExIllegalAddress},
        {"read of no registers", ModbusRequest(1, 4, 30001, 0), ExIllegalValue},
        {"read of too many", ModbusRequest(1, 4, 30001, 126), ExIllegalValue},
        {"write to a reserved register", ModbusRequest(1, 6, 40010, 1), ExIllegalAddress},
        {"write to an input register", ModbusRequest(1, 6, 30001, 1), ExIllegalAddress},
        {"unknown function", ModbusRequest(1, 5, 1, 0xFF00), ExIllegalFunction},
        {"read with a trailing byte", WithCrc({1, 4, 0x75, 0x30, 0, 1, 0}), ExIllegalValue},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Name);
        const TBytes reply = Ask(row.Request);
        EXPECT_EQ(ExceptionOf(reply), row.Exception);
        EXPECT_EQ(reply.at(1), row.Request[1] | 0x80);
    }
}

TEST_F(SimModbus, SomeRequestsGetNoAnswer) {
    Unit(7).Silent = true;
    TBytes badCrc = ModbusRequest(1, 4, 30001, 14);
    badCrc.back() ^= 0x01;
    EXPECT_TRUE(Ask(badCrc).empty());
    EXPECT_TRUE(Ask(ModbusRequest(9, 4, 30001, 14)).empty()); // nobody there
    EXPECT_TRUE(Ask(ModbusRequest(7, 4, 30001, 14)).empty()); // silent
    EXPECT_TRUE(Ask({0x01, 0x04}).empty());
}

TEST_F(SimModbus, BroadcastWritesReachEveryAnsweringUnitSilently) {
    Unit(7).Silent = true;
    EXPECT_TRUE(Ask(ModbusRequest(0, 6, 40006, 60)).empty());
    EXPECT_EQ(HoldingValue(Unit(1), 40006), 60);
    EXPECT_EQ(HoldingValue(Unit(7), 40006), 50);
}
