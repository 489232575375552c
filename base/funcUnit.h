#pragma once
// Hex text helpers of the ASCII protocols and the trace window, the LENGTH and
// CHKSUM fields of the YD/T 1363 frame format, hex-encoded IEEE singles, the
// Modbus CRC and a few number-to-text helpers. All functions are pure.
//
// Every function reads only the characters or bytes it is given: a text that
// is shorter than the number of characters a function looks at is treated as
// if the missing characters were absent (see each function), never read past.
// Hex digits produced are upper case; hex digits accepted are either case.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The characters at pos..pos+count-1 of a frame, cut short at the frame's end
// (empty when pos is beyond it). Lets decoders address fixed positions of a
// received block without reading past what was received.
[[nodiscard]] std::string_view FrameText(std::string_view frame, std::size_t pos,
                                         std::size_t count);
[[nodiscard]] std::string_view FrameText(std::span<const uint8_t> frame, std::size_t pos,
                                         std::size_t count);

// 0..15 for '0'-'9', 'A'-'F', 'a'-'f'; 16 for every other character.
[[nodiscard]] uint8_t HexDigitValue(char c);

// Value of the first `width` characters of text, left-padded with '0' to
// `width`; the scan stops at the first non-hex character. Accumulates in 32
// bits (wrapping), so width 8 "FFFFFFFF" gives -1. Empty text or width <= 0
// gives 0.
[[nodiscard]] int32_t HexTextToInt(std::string_view text, int width);

// Value of the first four characters of text in 16 bits; characters that are
// not hex digits are skipped (so "12 4" gives 0x124). Fewer than four
// characters: only those present are looked at.
[[nodiscard]] uint16_t Hex4ToWord(std::string_view text);

// Four upper-case hex digits of value modulo 65536.
[[nodiscard]] std::string WordToHex4(uint32_t value);

// 1 when bit (bit modulo 32, bit 0 least significant) of value is set, else 0.
[[nodiscard]] int BitIsSet(uint32_t value, int bit);

// LENGTH field for LENID INFO characters: LCHKSUM digit, then the three low
// hex digits of LENID (0 -> "0000", 4 -> "C004", 18 -> "D012").
[[nodiscard]] std::string LengthField(int32_t lenid);

// CHKSUM field: 16-bit two's complement of the sum of frame positions 1 to
// lastPos (position 0, the start character, is not included). Positions
// beyond the frame's end are not summed; lastPos < 1 sums nothing ("0000").
[[nodiscard]] std::string FrameChecksum(std::string_view frame, int lastPos);
[[nodiscard]] std::string FrameChecksum(std::span<const uint8_t> frame, int lastPos);

// The hex digits of text, upper-cased, in order; every other character dropped.
[[nodiscard]] std::string HexCharsOnly(std::string_view text);

// Bytes from typed hex text: non-hex characters are dropped, digits are
// paired from the left, a final unpaired digit is dropped ("7e 31-3" -> 7E 31).
[[nodiscard]] std::vector<uint8_t> HexTextToBytes(std::string_view text);

// The first `count` bytes (at most bytes.size(); count <= 0 gives "") as two
// hex digits each, every byte followed by separator (the last one too).
[[nodiscard]] std::string BytesToHexText(std::span<const uint8_t> bytes, int count,
                                         std::string_view separator);

// Decimal text of value taken as a signed 16-bit number (65535 -> "-1").
[[nodiscard]] std::string Int16ToText(int32_t value);

// IEEE-754 single from eight hex characters, two per byte, least significant
// byte first ("0000C842" -> 100.0), widened to double. Each byte is read with
// HexTextToInt width 2, so missing or bad characters read as described there.
[[nodiscard]] double HexToSingle(std::string_view text);

// Decimal text of value, '0'-padded in front to at least `digits` characters,
// then only the last `digits` characters (7,3 -> "007"; 1234,3 -> "234");
// digits <= 0 gives "".
[[nodiscard]] std::string IntToFixedDigits(int32_t value, int digits);

// CRC-16/MODBUS (reflected polynomial 0xA001, initial 0xFFFF, no final
// inversion; "123456789" -> 0x4B37). Sent low byte first; over a whole frame
// including its CRC a correct frame gives 0.
[[nodiscard]] uint16_t Crc16(std::span<const uint8_t> bytes);
