#pragma once
// The register map of a simulated Modbus / VEX unit. Register numbers are the
// five-digit ones (30001 input, 40001 holding, 20001 command); on the wire the
// PDU carries the number minus one.

#include "protocol/ModelUnlock.h"
#include "tools/sim/SimUnit.h"

#include <cstdint>
#include <optional>

// Modbus exception codes.
constexpr uint8_t ExNone = 0;
constexpr uint8_t ExIllegalFunction = 0x01; // also: not possible in the unit's present state
constexpr uint8_t ExIllegalAddress = 0x02;
constexpr uint8_t ExIllegalValue = 0x03;

// The value an "LNM7100" unit wants in register 50000 before each parameter
// write (the monitor's parameter dialog sends it ahead of every write).
constexpr uint16_t DefaultUnlockValue = WriteUnlockValue;
constexpr const char* LockedModel = "LNM7100";

// Value of register `reg` for a read with function code `func` (4 input
// registers, 3 holding registers); nothing when the register cannot be read
// that way. Reserved registers inside a bank read 0.
[[nodiscard]] std::optional<uint16_t> ReadRegister(const TSimUnit& unit, int func, int reg);

// True when `reg` is a register that can be written at all.
[[nodiscard]] bool IsWritableRegister(int reg);

// Writes `value` into `reg` of the unit and carries out what the register
// commands; the exception code, ExNone when the write was taken.
[[nodiscard]] uint8_t WriteRegister(TSimUnit& unit, int reg, uint16_t value, uint16_t unlockValue);
