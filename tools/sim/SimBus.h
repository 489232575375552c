#pragma once
// The units on the line and the protocol they all speak: one request frame
// in, the reply of the addressed unit out.

#include "tools/sim/ModbusRegisters.h"
#include "tools/sim/SimReply.h"
#include "tools/sim/SimUnit.h"

#include <cstdint>
#include <optional>
#include <span>

// The protocol indices of the monitor's settings.
enum class TSimProtocol : uint8_t { Modular = 0, ThreePhase = 1, Modbus = 2, Vex = 3 };

[[nodiscard]] std::optional<TSimProtocol> ProtocolFromIndex(int index);
// True for the two protocols with ASCII frames ('~' ... CR).
[[nodiscard]] bool IsAsciiProtocol(TSimProtocol protocol);

struct TSimBus {
    TSimProtocol Protocol = TSimProtocol::Modular;
    TSimUnits Units;
    uint16_t UnlockValue = DefaultUnlockValue;

    // The reply to one complete request frame; no bytes when nobody answers.
    [[nodiscard]] TSimReply Answer(std::span<const uint8_t> frame);

    // Simulated time passes for every unit.
    void Tick(double seconds);

    // How long the unit at address waits before it answers.
    [[nodiscard]] int ResponseDelayMs(uint8_t address) const;
};
