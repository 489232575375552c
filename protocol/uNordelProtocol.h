#pragma once
// The three-phase line-frequency UPS protocol (protocol index 1): YD/T 1363
// ASCII frames with version 0x11, five read commands per device whose replies
// carry IEEE singles, switch codes and alarm bytes. The object builds one
// request at a time into TxBuffer and checks and decodes each received block
// into the record of the address it asked. No write or control commands.
//
//   request  ~ 11 ADR 2A CID2 0000 CHKSUM CR          (always 18 bytes)
//   reply    ~ 11 ADR 2A RTN LENGTH INFO CHKSUM CR    (18 + LENID bytes)
//            0 1  3   5  7   9      13   13+LENID
//
// Switch states, state and alarms follow rules of this protocol's own (not
// the status-word rules of the other codecs), and are decoded only once a
// device has given four good replies since its counters were last reset.
// User-interface thread only.

#include "protocol/CodecHooks.h"
#include "protocol/EngineState.h"
#include "record/UpsInfoRec.h"

#include <cstdint>
#include <span>
#include <string>

class TNordelProtocol {
public:
    // Create: VerText "11", no command outstanding, first request to address 1.
    TNordelProtocol(TTxBuffer& txBuffer, TRxBuffer& rxBuffer);
    TNordelProtocol(const TNordelProtocol&) = delete;
    TNordelProtocol& operator=(const TNordelProtocol&) = delete;

    // Builds the next request into TxBuf and sets FrameLen and Addr: the probe
    // for SearchAddress during a search (step counter untouched), otherwise
    // the next step of the current device's sequence (five steps, one while
    // the device is lost), moving on with NextPollDevice after the last step.
    // False, with nothing built, in manual send mode.
    [[nodiscard]] bool BuildQuery();
    // The 18-byte request for Addr and Cmd, followed by a zero byte; for a Cmd
    // other than 1..5 nothing is built and FrameLen is 0.
    void BuildFrame();
    // Checks one received block of `length` bytes (never reading past it):
    // start, version, address, device type and return code, length field (a
    // reply too short for the positions its command reads fails here too),
    // checksum. A rejected block adds 1 to one of the error counters "A" to
    // "F" and changes nothing else. A good one is decoded into the record of Addr by
    // the outstanding Cmd, which is then cleared so that repeated copies of the
    // reply are good but decode nothing. True = good reply.
    [[nodiscard]] bool ParseReply(const uint8_t* bytes, int length);

    std::string VerText = "11";     // protocol version as sent
    uint8_t Cmd = 0;                // command of the outstanding request, 1..5; 0 = none
    TUpsInfoRec* Rec;               // record of the device addressed
    TTxBuffer& TxBuf;               // where requests are built
    std::span<const uint8_t> RxBuf; // the block ParseReply is looking at
    uint16_t Addr = 1;              // device addressed by the current request
    int32_t FrameLen = 0;           // length of the request in TxBuf (18 once built)

private:
    [[nodiscard]] int CheckFrame() const;
    void Decode();
    void DecodeStatus();
    void DecodeAlarms();
    [[nodiscard]] int32_t ThreePhaseState() const;
};

// The poll engine's entry for protocol index 1, calling into codec (which
// must outlive the hooks).
[[nodiscard]] TCodecHooks MakeNordelHooks(TNordelProtocol& codec);
