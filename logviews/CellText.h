#pragma once
// Cell texts of the log grids and their CSV files. Numbers are written with
// "." as the decimal point whatever the locale, so a CSV always reads back the
// same; the grid swaps in the locale's point when it shows them. The Write*
// forms fill a character buffer (at least MaxNumberChars free) and return the
// end; the CSV export formats millions of cells with them.

#include <cstddef>
#include <cstdint>
#include <string>

inline constexpr std::size_t MaxNumberChars = 32;

// The value rounded once, to at most `precision` significant digits and at
// most `decimals` decimal places (round half to even on exact binary ties),
// then shown with exactly `decimals` decimals: 220.14 -> "220.1" (5, 1),
// 35.6 -> "36" (4, 0), 12345.67 -> "12346.0" (5, 1). When the rounded value
// has more integer digits than `precision` it is shown in exponent form,
// 123456 -> "1.2346E+005". Not-a-number and infinities show "NAN", "INF",
// "-INF"; a value that rounds to zero never shows a minus sign.
// precision 1..15, decimals 0..3.
char* WriteFixed(char* p, double value, int precision, int decimals);
void AppendFixed(std::string& out, double value, int precision, int decimals);

// The number AppendFixed shows (a not-a-number value stays one): sorting by
// it is sorting by the shown numbers.
double ShownValue(double value, int precision, int decimals);
// The same number times 10^decimals, which is whole: cells of one column order
// by it as by their shown numbers, and tie where the texts are the same.
// False for a value that shows no number ("NAN", "INF") or one beyond 2^62.
bool ShownScaled(double value, int precision, int decimals, int64_t& scaled);

char* WriteDecimal(char* p, int64_t value);
void AppendDecimal(std::string& out, int64_t value);
