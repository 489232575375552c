#pragma once
// The codec both YD/T 1363 protocols run. A variant is data: its version
// text, the command a bus search probes with, and the command rows of one
// device's poll sequence, each with the fields its reply carries. One object
// walks those tables to build the requests (YdtFrame.h), check the replies
// and decode them into the record of the address asked; uYDTV31 and
// uNordelProtocol hold only their tables and the decoders that truly differ.
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
#include <string_view>

// How the characters at a reply position are read into a number.
enum class TYdtRead : uint8_t {
    Word,   // four characters; a character that is not a hex digit is skipped
    Hex4,   // four characters; the scan stops at a character that is not a hex digit
    Byte,   // two characters; the scan stops likewise
    Single, // eight characters: an IEEE single, least significant byte first
};

[[nodiscard]] constexpr int YdtWidth(TYdtRead read) {
    switch (read) {
    case TYdtRead::Byte:
        return 2;
    case TYdtRead::Single:
        return 8;
    default:
        return 4;
    }
}

// One value of a reply: where it sits (counted from "~" at 0), how it is
// read, and where it goes in the record.
struct TYdtField {
    int Pos;
    TYdtRead Read;
    void (*Store)(TUpsInfoRec& rec, double value);
};

// The first frame position past `count` items of `width` characters from `pos`.
[[nodiscard]] constexpr int YdtEnd(int pos, int count, int width) {
    return pos + count * width;
}

// One command of the poll sequence. Its fields are stored first; Then, when
// set, decodes what the fields cannot say (derived values, code tables,
// alarm lists). ThenReads is the first position past what Then reads of the
// reply (0 = nothing), worked out from Then's own table with YdtEnd.
struct TYdtCommand {
    std::string_view Cid2;
    std::span<const TYdtField> Fields;
    void (*Then)(std::span<const uint8_t> reply, TUpsInfoRec& rec) = nullptr;
    int ThenReads = 0;
};

// The INFO characters a reply to `command` must hold: every position its
// fields and its Then read. A shorter reply is no answer to the command
// rather than decoded from whatever the buffer held before.
[[nodiscard]] int YdtMinInfo(const TYdtCommand& command);

struct TYdtVariant {
    std::string_view Version;              // two hex characters, as sent
    uint8_t ProbeCmd;                      // the Cmd a bus search sends
    std::span<const TYdtCommand> Commands; // Cmd 1 first: the poll sequence of one device
};

class TYdtCodec {
public:
    // Starts with no request outstanding, addressed to device 1.
    TYdtCodec(const TYdtVariant& variant, TTxBuffer& txBuffer, const TRxBuffer& rxBuffer);
    TYdtCodec(const TYdtCodec&) = delete;
    TYdtCodec& operator=(const TYdtCodec&) = delete;

    // The next request into TxBuf: the probe of SearchAddress during a bus
    // search (the step counter untouched), nothing in manual send mode,
    // otherwise the next step of the current device's sequence (one step
    // only while the device is lost), moving on through the device list when
    // the sequence is done. False when no frame was built; then FrameLen does
    // not describe TxBuf.
    [[nodiscard]] bool BuildQuery();
    // The 18-byte request for Addr and Cmd, followed by a zero byte that is
    // not part of it; FrameLen 0 and nothing built for a Cmd outside 1..n.
    void BuildFrame();
    // Checks one received chunk of `length` bytes against the outstanding
    // request, never reading past it (start, version, address, device type
    // and return code, length field, checksum; a reply too short for what its
    // command reads fails the length check) and decodes a good one into the
    // record of Addr. A rejected chunk changes nothing; its verdict names
    // the first check it failed. Cmd is then cleared, so a repeated copy of a
    // good reply is good but decodes nothing.
    [[nodiscard]] TReplyVerdict ParseReply(const uint8_t* bytes, int length);

    std::string VerText;            // the version as sent
    uint8_t Cmd = 0;                // command of the outstanding request, 1..n; 0 = none
    TUpsInfoRec* Rec;               // record of the device addressed
    TTxBuffer& TxBuf;               // where requests are built
    std::span<const uint8_t> RxBuf; // the chunk being parsed
    uint16_t Addr = 1;              // bus address of the current request
    int32_t FrameLen = 0;           // length of the request in TxBuf

private:
    // The row of Cmd, nullptr for 0 (nothing outstanding) or any other value.
    [[nodiscard]] const TYdtCommand* CommandOf(uint8_t cmd) const;

    const TYdtVariant& FVariant;
};

// The poll engine's entry for a YD/T protocol index, calling into `codec`,
// which must outlive the engine.
[[nodiscard]] TCodecHooks MakeYdtHooks(TYdtCodec& codec);
