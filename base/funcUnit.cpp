#include "base/funcUnit.h"

#include <algorithm>
#include <bit>

namespace {
constexpr char HexDigits[] = "0123456789ABCDEF";
constexpr uint8_t NotHex = 16;

std::string_view AsText(std::span<const uint8_t> bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}
} // namespace

std::string_view FrameText(std::string_view frame, std::size_t pos, std::size_t count) {
    if (pos >= frame.size())
        return {};
    return frame.substr(pos, count);
}

std::string_view FrameText(std::span<const uint8_t> frame, std::size_t pos, std::size_t count) {
    return FrameText(AsText(frame), pos, count);
}

uint8_t HexDigitValue(char c) {
    if (c >= '0' && c <= '9')
        return uint8_t(c - '0');
    if (c >= 'A' && c <= 'F')
        return uint8_t(c - 'A' + 10);
    if (c >= 'a' && c <= 'f')
        return uint8_t(c - 'a' + 10);
    return NotHex;
}

int32_t HexTextToInt(std::string_view text, int width) {
    if (width <= 0)
        return 0;
    // Padding with '0' in front adds nothing to the value, so a text shorter
    // than width is simply scanned whole.
    const std::string_view scanned = text.substr(0, std::size_t(width));
    uint32_t result = 0;
    for (char c : scanned) {
        const uint8_t d = HexDigitValue(c);
        if (d == NotHex)
            break;
        result = result * 16 + d;
    }
    return int32_t(result);
}

uint16_t Hex4ToWord(std::string_view text) {
    uint16_t result = 0;
    for (char c : text.substr(0, 4)) {
        const uint8_t d = HexDigitValue(c);
        if (d != NotHex)
            result = uint16_t(result * 16 + d);
    }
    return result;
}

std::string WordToHex4(uint32_t value) {
    std::string out(4, '0');
    for (int i = 3; i >= 0; --i, value >>= 4)
        out[std::size_t(i)] = HexDigits[value & 0xF];
    return out;
}

int BitIsSet(uint32_t value, int bit) {
    return int((value >> (unsigned(bit) & 31u)) & 1u);
}

std::string LengthField(int32_t lenid) {
    const uint32_t v = uint32_t(lenid);
    const uint32_t nibbleSum = (v & 0xF) + ((v >> 4) & 0xF) + ((v >> 8) & 0xF);
    const uint32_t lchksum = (0u - nibbleSum) & 0xF;
    std::string out = WordToHex4(v);
    out[0] = HexDigits[lchksum];
    return out;
}

std::string FrameChecksum(std::string_view frame, int lastPos) {
    // Position 0, the start character, is not part of the sum.
    const std::size_t end = lastPos < 1 ? 0 : std::min(frame.size(), std::size_t(lastPos) + 1);
    uint32_t sum = 0;
    for (std::size_t i = 1; i < end; ++i)
        sum += uint8_t(frame[i]);
    return WordToHex4(0u - sum);
}

std::string FrameChecksum(std::span<const uint8_t> frame, int lastPos) {
    return FrameChecksum(AsText(frame), lastPos);
}

std::string HexCharsOnly(std::string_view text) {
    std::string out;
    for (char c : text) {
        const uint8_t d = HexDigitValue(c);
        if (d != NotHex)
            out += HexDigits[d];
    }
    return out;
}

std::vector<uint8_t> HexTextToBytes(std::string_view text) {
    const std::string t = HexCharsOnly(text);
    std::vector<uint8_t> bytes(t.size() / 2);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = uint8_t(HexDigitValue(t[2 * i]) * 16 + HexDigitValue(t[2 * i + 1]));
    return bytes;
}

std::string BytesToHexText(std::span<const uint8_t> bytes, int count, std::string_view separator) {
    std::string out;
    const std::size_t n = count <= 0 ? 0 : std::min(bytes.size(), std::size_t(count));
    out.reserve(n * (2 + separator.size()));
    for (std::size_t i = 0; i < n; ++i) {
        out += HexDigits[bytes[i] >> 4];
        out += HexDigits[bytes[i] & 0xF];
        out += separator;
    }
    return out;
}

std::string Int16ToText(int32_t value) {
    return std::to_string(int16_t(uint16_t(value)));
}

double HexToSingle(std::string_view text) {
    uint32_t bits = 0;
    for (std::size_t k = 0; k < 4; ++k) {
        const auto b = uint32_t(HexTextToInt(FrameText(text, 2 * k, 2), 2));
        bits |= b << (8 * k);
    }
    return double(std::bit_cast<float>(bits));
}

std::string IntToFixedDigits(int32_t value, int digits) {
    if (digits <= 0)
        return {};
    std::string text = std::to_string(value);
    const auto want = std::size_t(digits);
    if (text.size() < want)
        text.insert(0, want - text.size(), '0');
    return text.substr(text.size() - want);
}

uint16_t Crc16(std::span<const uint8_t> bytes) {
    uint16_t crc = 0xFFFF;
    for (uint8_t b : bytes) {
        crc ^= b;
        for (int i = 0; i < 8; ++i)
            crc = (crc & 1) ? uint16_t((crc >> 1) ^ 0xA001) : uint16_t(crc >> 1);
    }
    return crc;
}
