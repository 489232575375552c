// Feeds arbitrary bytes to every hex helper as text and checks the properties
// the codecs rely on. The first byte also chooses widths and positions, so
// the seed frames are fuzzed both as text and as parameters.
#include "base/funcUnit.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace {

void Require(bool ok) {
    if (!ok)
        std::abort();
}

uint32_t SumOfPositions(std::string_view frame, int lastPos) {
    uint32_t sum = 0;
    for (std::size_t i = 1; i < frame.size() && int(i) <= lastPos; ++i)
        sum += uint8_t(frame[i]);
    return sum;
}

void CheckTextHelpers(std::string_view text, uint8_t p) {
    const std::string hex = HexCharsOnly(text);
    Require(hex.size() <= text.size());
    for (char c : hex)
        Require((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'));
    // Typed hex text and its display must agree digit for digit.
    const auto bytes = HexTextToBytes(text);
    Require(bytes.size() == hex.size() / 2);
    Require(BytesToHexText(bytes, int(bytes.size()), "") == hex.substr(0, bytes.size() * 2));

    const int width = p % 10;
    const int32_t v = HexTextToInt(text, width);
    Require(width > 0 || v == 0);
    (void)Hex4ToWord(text);
    (void)HexToSingle(text);
    const std::string_view field = FrameText(text, p % 32, p / 32);
    Require(field.size() <= p / 32);
    (void)HexToSingle(field);
    (void)HexTextToInt(field, 8);
}

void CheckFrameFields(std::string_view text, uint8_t p) {
    const int lastPos = int(text.size()) - int(p % 8);
    const std::string chk = FrameChecksum(text, lastPos);
    Require(chk.size() == 4);
    Require(((uint32_t(Hex4ToWord(chk)) + SumOfPositions(text, lastPos)) & 0xFFFF) == 0);

    const int32_t lenid = HexTextToInt(text, 4);
    const std::string len = LengthField(lenid);
    Require(len.size() == 4 && (HexTextToInt(len.substr(1), 3) == (lenid & 0xFFF)));
    Require(((HexDigitValue(len[0]) + (lenid & 0xF) + ((lenid >> 4) & 0xF) + ((lenid >> 8) & 0xF)) &
             0xF) == 0);
}

void CheckNumberHelpers(std::string_view text, uint8_t p) {
    const int32_t value = HexTextToInt(text, 8);
    Require(Int16ToText(value) == std::to_string(int16_t(value)));
    Require(IntToFixedDigits(value, p % 16).size() == std::size_t(p % 16));
    Require(WordToHex4(uint32_t(value)) == WordToHex4(uint32_t(value) & 0xFFFF));
    Require(BitIsSet(uint32_t(value), p) == int((uint32_t(value) >> (p % 32)) & 1));
}

void CheckCrc(std::span<const uint8_t> bytes) {
    std::vector<uint8_t> framed(bytes.begin(), bytes.end());
    const uint16_t crc = Crc16(bytes);
    framed.push_back(uint8_t(crc & 0xFF));
    framed.push_back(uint8_t(crc >> 8));
    Require(Crc16(framed) == 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const uint8_t p = size ? data[0] : 0;
    for (uint8_t b : bytes)
        Require(HexDigitValue(char(b)) <= 16);
    CheckTextHelpers(text, p);
    CheckFrameFields(text, p);
    CheckNumberHelpers(text, p);
    CheckCrc(bytes);
    (void)BytesToHexText(bytes, int(p), " ");
    return 0;
}
