#pragma once
// The modular UPS protocol (VER 0x31): five read commands whose replies carry
// fixed-point values and the same status words as the Modbus registers.

#include "tools/sim/YdtResponder.h"

extern const TYdtProtocol ModularProtocol;
