#pragma once
// The modular UPS codec, protocol index 0 and the monitor's default: ASCII
// frames of the YD/T 1363 format, version 3.1, to UPS devices (CID1 0x2A).
// Each device is polled with five read commands; the replies are checked and
// decoded into the device's record. The state and alarm replies carry the
// same 16-bit status words as the Modbus register map, so state, switch
// flags and alarm list come from the common status rules.
//
// This file holds the version's tables; the YD/T codec (YdtCodec.h) walks them.

#include "protocol/CodecHooks.h"
#include "protocol/EngineState.h"
#include "protocol/YdtCodec.h"

constexpr int YdtV31RequestLength = YdtRequestLength; // every request; a reply is 18 + LENID

class TYdtV31Protocol : public TYdtCodec {
public:
    // Starts with no request outstanding, addressed to device 1.
    TYdtV31Protocol(TTxBuffer& txBuffer, const TRxBuffer& rxBuffer);
};

// The poll engine's entry for protocol index 0, calling into `protocol`,
// which must outlive the engine.
[[nodiscard]] inline TCodecHooks MakeYdtV31Hooks(TYdtV31Protocol& protocol) {
    return MakeYdtHooks(protocol);
}
