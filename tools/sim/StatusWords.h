#pragma once
// The ten 16-bit status words a unit reports (the same words go out in the
// Modbus input registers and in the modular ASCII replies), built from its
// state and alarm codes, and the state number the device reports itself.

#include "tools/sim/SimUnit.h"

#include <array>
#include <cstdint>
#include <set>

using TSimWords = std::array<uint16_t, 10>; // StatusWord0..StatusWord9

// Words of the state alone, no alarm bits.
[[nodiscard]] TSimWords WordsForState(TSimState state);

// True for the alarm codes that are one bit of a status word (0..25, 32..56,
// 64..71).
[[nodiscard]] bool IsWordAlarm(int code);

// Words of the unit: its state's words with the bit of every word alarm set.
// A unit in the fault state with no alarm that marks a fault reports an
// inverter fault (alarm 32), since a fault state needs a fault to show.
[[nodiscard]] TSimWords UnitWords(const TSimUnit& unit);

// State number 1..11 that the device reports as its own (DevState).
[[nodiscard]] uint8_t DeviceStateNumber(TSimState state);
