#pragma once
// Whole numbers typed into the control dialogs' entry fields.

#include <cstdint>
#include <string_view>

// The text as a whole decimal number in the 32-bit range, or def when it is
// not one (empty, other characters, out of range).
[[nodiscard]] int32_t WholeNumberOr(std::string_view text, int32_t def);
