#pragma once
// The modular UPS codec, protocol index 0 and the monitor's default: ASCII
// frames of the YD/T 1363 format, version 3.1, to UPS devices (CID1 0x2A).
// Each device is polled with five read commands; the replies are checked and
// decoded into the device's record. The state and alarm replies carry the
// same 16-bit status words as the Modbus register map, so state, switch
// flags and alarm list come from the common status rules.
//
// Bytes in, bytes out: requests are built into the engine's transmit buffer,
// replies are read only within the bytes received. Main thread only.

#include "protocol/CodecHooks.h"
#include "protocol/EngineState.h"
#include "protocol/YdtFrame.h"
#include "record/UpsInfoRec.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

constexpr int YdtV31RequestLength = YdtRequestLength; // every request; a reply is 18 + LENID

class TYdtV31Protocol {
public:
    // Starts with no request outstanding, addressed to device 1.
    TYdtV31Protocol(TTxBuffer& txBuffer, const TRxBuffer& rxBuffer);
    TYdtV31Protocol(const TYdtV31Protocol&) = delete;
    TYdtV31Protocol& operator=(const TYdtV31Protocol&) = delete;

    // The next request into TxBuf: a status probe of SearchAddress during a
    // bus search, nothing in manual send mode, otherwise the next step of the
    // current device's sequence (one step only while the device is lost),
    // moving on through the device list when the sequence is done. False when
    // no frame was built; then FrameLen does not describe TxBuf.
    [[nodiscard]] bool BuildQuery();
    // The 18-byte request for Addr and Cmd; FrameLen 0 for an unknown Cmd.
    void BuildFrame();
    // Checks one received chunk against the outstanding request (start,
    // version, address, device type and return code, length field, checksum;
    // a reply too short for what its command reads fails the length check)
    // and decodes a good one. A rejected chunk counts one CommDebug.ErrCnt
    // reason and changes nothing else. A repeated good reply is good but
    // decodes nothing.
    [[nodiscard]] bool ParseReply(const uint8_t* bytes, int length);

    std::string VerText = "31";     // the version as sent
    uint8_t Cmd = 0;                // command of the outstanding request, 1..5; 0 = none
    TUpsInfoRec* Rec;               // record of the device addressed
    TTxBuffer& TxBuf;               // where requests are built
    std::span<const uint8_t> RxBuf; // the chunk being parsed
    uint16_t Addr = 1;              // bus address of the current request
    int32_t FrameLen = 0;           // length of the request in TxBuf

private:
    struct TCommand; // CID2, reply positions and decoder of one command

    // The command for Cmd 1..5, nullptr for any other value.
    [[nodiscard]] static const TCommand* CommandOf(uint8_t cmd);
    // The ErrCnt reason of a rejected chunk in RxBuf, or YdtReplyGood.
    [[nodiscard]] int RejectReason() const;
    void DecodeAnalog();
    void DecodeStatus();
    void DecodeAlarms();
    void DecodeLoad();
    void DecodeBattery();
};

// The poll engine's entry for protocol index 0, calling into `protocol`,
// which must outlive the engine.
[[nodiscard]] TCodecHooks MakeYdtV31Hooks(TYdtV31Protocol& protocol);
