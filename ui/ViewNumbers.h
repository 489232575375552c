#pragma once
// Number texts of the windows that show readings: the real-time view and
// the overview.

#include <QString>
#include <cstdint>

// Exactly `decimals` digits after the point, from the value rounded to five
// significant digits; a value with more than five digits before the point
// is written in exponent form ("1.2346E+5"). NaN and infinities give "NAN",
// "INF" and "-INF".
[[nodiscard]] QString FixedText(double value, int decimals);

// Two status words as hex4 + "-" + hex4, for example "0123-ABCD".
[[nodiscard]] QString Hex4Pair(uint16_t first, uint16_t second);
