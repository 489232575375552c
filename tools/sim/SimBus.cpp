#include "tools/sim/SimBus.h"

#include "tools/sim/ModbusResponder.h"
#include "tools/sim/ModularResponder.h"
#include "tools/sim/ThreePhaseResponder.h"

#include <string_view>

std::optional<TSimProtocol> ProtocolFromIndex(int index) {
    if (index < 0 || index > 3) {
        return std::nullopt;
    }
    return static_cast<TSimProtocol>(index);
}

bool IsAsciiProtocol(TSimProtocol protocol) {
    return protocol == TSimProtocol::Modular || protocol == TSimProtocol::ThreePhase;
}

TSimReply TSimBus::Answer(std::span<const uint8_t> frame) {
    const std::string_view text(reinterpret_cast<const char*>(frame.data()), frame.size());
    switch (Protocol) {
    case TSimProtocol::Modular:
        return AnswerYdt(ModularProtocol, Units, text);
    case TSimProtocol::ThreePhase:
        return AnswerYdt(ThreePhaseProtocol, Units, text);
    case TSimProtocol::Modbus:
    case TSimProtocol::Vex:
        return AnswerModbus(Units, frame, UnlockValue);
    }
    return {};
}

void TSimBus::Tick(double seconds) {
    for (auto& [address, unit] : Units) {
        TickUnit(unit, seconds);
    }
}

int TSimBus::ResponseDelayMs(uint8_t address) const {
    const auto it = Units.find(address);
    return it == Units.end() ? DefaultResponseDelayMs : it->second.ResponseDelayMs;
}
