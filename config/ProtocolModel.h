#pragma once
// The unit family of a Protocol setting in English, as other programs are
// told it (the event command's PELMORA_MODEL, MQTT's model): the line's units
// are known by their protocol only.

#include <cstdint>
#include <string>

[[nodiscard]] std::string ProtocolModelName(uint8_t protocol);
