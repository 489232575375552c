#pragma once
// The texts of the trace window, free of any window: the echo of a frame,
// the statistics line, the rejected-reply letters and the debug grid cells.

#include <cstdint>
#include <string>

// One memo line for a frame: with `hex` each byte as two upper-case hex
// digits and a blank ("01 03 AB "); otherwise each byte as its character
// when it is LF, CR, '0'..'z' or '~', and as 0x7F when it is anything else.
[[nodiscard]] std::string EchoLine(const uint8_t* bytes, int length, bool hex);

// CommDebug.RatePct := RxGood * 100 / TxFrames, 0 before anything was sent.
void RefreshRatePct();

// "Send:120;  AcK:118;  AckOK:0;  Rate:0.0" from CommDebug.
[[nodiscard]] std::string CommInfoLine();

// The rate with one decimal, rounded to at most 5 significant digits first
// (98.36 -> "98.4", 12345.6 -> "12346.0").
[[nodiscard]] std::string RateText(double rate);

// "C:2; F:1; ": the letter and count of each rejected-reply reason A..F
// counted at least once, in order.
[[nodiscard]] std::string CommErrLine();

// A debug grid value: decimal, or with `hex` upper-case hex of at least four
// digits, a negative value as its eight-digit two's complement.
[[nodiscard]] std::string DebugCellText(int32_t value, bool hex);
