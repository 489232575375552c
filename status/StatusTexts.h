#pragma once
// Chinese and English texts of the event, state and alarm codes.
// Texts are UTF-8. `language` is the Language setting: 1 selects Chinese,
// any other value English. A code without a text in the chosen language
// gives an empty string; callers skip empty texts.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

struct TCodeText {
    int32_t Code;
    std::string_view Chinese; // empty: no Chinese text
    std::string_view English; // empty: no English text
};

[[nodiscard]] std::string EventText(int32_t code, uint8_t language);
[[nodiscard]] std::string StateText(int32_t code, uint8_t language);
[[nodiscard]] std::string AlarmText(int32_t code, uint8_t language);

// The tables behind the look-ups, one row per code in ascending code order.
[[nodiscard]] std::span<const TCodeText> EventTextTable();
[[nodiscard]] std::span<const TCodeText> StateTextTable();
[[nodiscard]] std::span<const TCodeText> AlarmTextTable();
