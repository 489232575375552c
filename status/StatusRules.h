#pragma once
// Rules that turn the raw status words of a device record into its state
// code, switch and supply flags and alarm list. Used by the Modbus/VEX and
// the modular UPS codecs after decoding; the three-phase codec has its own.

#include "record/UpsInfoRec.h"

#include <array>
#include <cstdint>

using TStatusWords = std::array<uint16_t, 10>; // StatusWord0..StatusWord9

// Operating state 1..11 (see StatusCodes.h); the first matching rule wins.
[[nodiscard]] int32_t StateFromWords(const TStatusWords& w);

// Sets InputSwitch, BypassSwitch, OutputSwitch, MaintBypassSwitch,
// InputSupply and UpsSupply from the status words; BattTestFlag is untouched.
void DeriveSwitchFlags(TUpsInfoRec& rec);

// Replaces AlarmCodes/AlarmCount as a whole with the alarms 0..71 whose bits
// are set, in ascending code order; entries after the count become zero.
void BuildAlarmList(TUpsInfoRec& rec);
