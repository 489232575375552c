#pragma once
// The three-phase line-frequency UPS protocol (VER 0x11): five read commands
// whose replies carry IEEE singles, switch codes and alarm bytes.

#include "tools/sim/YdtResponder.h"

extern const TYdtProtocol ThreePhaseProtocol;

// The alarm reply INFO: leading status bytes c[0..6] at positions 15..28, then
// alarm bytes b[0..55] at 31..142, from the unit's three-phase alarm codes
// (100..155, 160, 201..210; other codes are not carried by this protocol).
[[nodiscard]] std::string ThreePhaseAlarmInfo(const TSimUnit& unit);

// True for the alarm codes this protocol carries: 100..155, 160, 201..210.
[[nodiscard]] bool IsThreePhaseAlarm(int code);
