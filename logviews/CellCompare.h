#pragma once
// Order of two grid cells when the user sorts by a column: cells that both
// hold numbers compare by value, any other pair as text (byte by byte, so the
// order does not depend on the machine's locale). The fixed time format makes
// text order chronological.

#include <string_view>

// <0, 0, >0 as a < b, a == b, a > b.
[[nodiscard]] int CompareCells(std::string_view a, std::string_view b);
