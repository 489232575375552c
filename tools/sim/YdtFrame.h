#pragma once
// The YD/T 1363 ASCII frame as a device sees it: checking a request and
// building a reply. Every byte of the header and of the INFO part travels as
// two upper-case hex digits:
//
//   ~ VER ADR CID1 CID2/RTN LENGTH INFO CHKSUM CR
//   0 1   3   5    7        9      13   13+LENID
//
// A device answers a request that is addressed to it even when the request is
// damaged, with a return code that says what was wrong, as long as it can read
// the address and the device type.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Return codes (RTN) of a reply.
constexpr uint8_t RtnOk = 0x00;
constexpr uint8_t RtnBadVersion = 0x01;
constexpr uint8_t RtnBadChecksum = 0x02;
constexpr uint8_t RtnBadLength = 0x03;  // LCHKSUM or LENID wrong
constexpr uint8_t RtnBadCommand = 0x04; // CID2 not known

constexpr uint8_t YdtUpsDeviceType = 0x2A; // CID1 of a UPS
constexpr std::size_t YdtMinFrame = 18;    // a frame without INFO

struct TYdtRequest {
    uint8_t Version = 0;
    uint8_t Address = 0;
    uint8_t DeviceType = 0;
    uint8_t Command = 0;
    std::string Info;
    uint8_t Problem = RtnOk; // what the checks found, RtnOk when none
};

// Reads a frame from '~' to its CR. Nothing (no answer at all) when the
// frame is too short or its address or device type cannot be read. Version,
// checksum and length are checked in that order against `version`; the first
// failure sets Problem.
[[nodiscard]] std::optional<TYdtRequest> ReadYdtRequest(std::string_view frame, uint8_t version);

// A whole reply frame: header, LENGTH of the INFO, INFO, CHKSUM and CR.
[[nodiscard]] std::string BuildYdtReply(uint8_t version, uint8_t address, uint8_t rtn,
                                        std::string_view info);

// Two upper-case hex digits of the low byte of value.
[[nodiscard]] std::string ByteToHex2(uint32_t value);

// Eight hex digits of an IEEE-754 single, least significant byte first, the
// way the three-phase protocol carries its measurements (100.0 -> "0000C842").
[[nodiscard]] std::string SingleToHex8(float value);
