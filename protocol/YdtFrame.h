#pragma once
// The frame envelope the two ASCII codecs share (YD/T 1363, device type
// CID1 0x2A): building a request and checking a reply. Each variant keeps its
// own command table (CID2) and decoders; this is the part that is the same
// for every command and both versions. YdtCodec.h walks a variant's tables
// through it.
//
//   request  ~ VER ADR 2A CID2 0000   CHKSUM CR         always 18 characters
//   reply    ~ VER ADR 2A RTN  LENGTH INFO CHKSUM CR    18 + LENID characters
//            0 1   3   5  7    9      13   13+LENID
//
// Example: ~31012A420000FDA2 CR asks device 1 for its analog values (CID2 42)
// in version 3.1.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

constexpr int YdtRequestLength = 18;
constexpr int YdtFrameOverhead = 18; // everything around the INFO
constexpr int YdtInfoStart = 13;
constexpr int YdtReplyGood = -1;

// The request to `address` for command cid2 in the version given as two hex
// characters ("31", "11"): the 18 characters from "~" to CR.
[[nodiscard]] std::string YdtRequest(std::string_view version, uint16_t address,
                                     std::string_view cid2);

// Why a received reply is no answer to a request built by YdtRequest, as the
// ErrCnt reason of the first check that fails, or YdtReplyGood. The checks, in
// this order: start character "~" (ErrStartByte), version (ErrVersion),
// address: the one asked, and one that a device can have, 1..252 (ErrAddress),
// CID1 0x2A and return code 0 (ErrDevType), the LENGTH field of the reply's
// own length, and at least minInfo INFO characters, the ones the command's
// decoder reads (ErrLength), CHKSUM (ErrChecksum). Reads only reply's bytes.
[[nodiscard]] int YdtRejectReason(std::span<const uint8_t> reply, std::string_view version,
                                  uint16_t address, int minInfo);

// How many more characters the reply frame begun in bytes needs, as far as
// the envelope tells: 0 once it runs from "~" to CR; until the LENGTH field is
// in, what the header still needs; then what LENGTH promises. nullopt when the
// bytes do not start with "~", when LENGTH is damaged (its LCHKSUM does not
// match) or when the frame has run past its length without its CR.
[[nodiscard]] std::optional<std::size_t> YdtFrameRest(const uint8_t* bytes, std::size_t count);
