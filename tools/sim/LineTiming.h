#pragma once
// Time one character takes on the line: start bit, 8 data bits, stop bit.

#include <cstdint>

constexpr int BitsPerChar = 10;

[[nodiscard]] constexpr int64_t CharTimeUs(int baud) {
    return baud > 0 ? (int64_t{BitsPerChar} * 1000000 + baud - 1) / baud : 0;
}
