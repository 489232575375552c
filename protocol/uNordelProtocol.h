#pragma once
// The three-phase line-frequency UPS protocol (protocol index 1): YD/T 1363
// ASCII frames with version 0x11, five read commands per device whose replies
// carry IEEE singles, switch codes and alarm bytes. No write or control
// commands.
//
// Switch states, state and alarms follow rules of this protocol's own (not
// the status-word rules of the other codecs), and are decoded only once a
// device has given four good replies since its counters were last reset.
//
// This file holds the version's tables and those decoders; the YD/T codec
// (YdtCodec.h) walks them. User-interface thread only.

#include "protocol/CodecHooks.h"
#include "protocol/EngineState.h"
#include "protocol/YdtCodec.h"

class TNordelProtocol : public TYdtCodec {
public:
    // Create: VerText "11", no command outstanding, first request to address 1.
    TNordelProtocol(TTxBuffer& txBuffer, const TRxBuffer& rxBuffer);
};

// The poll engine's entry for protocol index 1, calling into codec (which
// must outlive the hooks).
[[nodiscard]] inline TCodecHooks MakeNordelHooks(TNordelProtocol& codec) {
    return MakeYdtHooks(codec);
}
