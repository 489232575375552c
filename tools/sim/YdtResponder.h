#pragma once
// A device speaking one of the two YD/T 1363 ASCII protocols: one table row
// per command it knows (CID2 and the INFO it answers with).

#include "tools/sim/SimReply.h"
#include "tools/sim/SimUnit.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

struct TYdtCommand {
    uint8_t Command; // CID2 of the request
    std::string (*Info)(const TSimUnit&);
};

struct TYdtProtocol {
    uint8_t Version; // VER byte: 0x31 modular, 0x11 three-phase
    std::span<const TYdtCommand> Commands;
};

// Answer of the addressed unit to one frame ('~' to CR). No unit, a silent
// unit or another device type: no answer. A damaged request or an unknown
// command: a reply without INFO whose return code says why.
[[nodiscard]] TSimReply AnswerYdt(const TYdtProtocol& protocol, const TSimUnits& units,
                                  std::string_view frame);
