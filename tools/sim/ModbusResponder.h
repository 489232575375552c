#pragma once
// A device speaking Modbus RTU (protocols Modbus and VEX share the frames and
// the register map): reads of input and holding registers (functions 4, 3),
// single and multiple register writes (6, 16), exceptions for everything it
// cannot do. Broadcast writes (address 0) are carried out without a reply.

#include "tools/sim/SimReply.h"
#include "tools/sim/SimUnit.h"

#include <cstdint>
#include <span>

// Most registers one read or write may cover.
constexpr int MaxReadCount = 125;
constexpr int MaxWriteCount = 123;

// Answer to one request frame, CRC included. A frame with a wrong CRC, for a
// unit that is not on the bus or is silent, gets no answer.
[[nodiscard]] TSimReply AnswerModbus(TSimUnits& units, std::span<const uint8_t> frame,
                                     uint16_t unlockValue);
