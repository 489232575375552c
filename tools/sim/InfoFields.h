#pragma once
// INFO parts of ASCII replies described as tables: one row per value, at the
// frame position where the monitor reads it. Positions without a row carry
// '0' digits (a zero value).

#include "tools/sim/SimUnit.h"

#include <cstddef>
#include <span>
#include <string>

enum class TInfoKind : uint8_t {
    Byte,   // two hex digits
    Word,   // four hex digits
    Single, // eight hex digits, IEEE single, least significant byte first
};

struct TInfoField {
    int Pos; // frame position of the first digit (INFO starts at 13)
    TInfoKind Kind;
    double Scale; // the value times Scale goes out (rounded for Byte and Word)
    double (*Value)(const TSimUnit&);
};

constexpr int InfoStart = 13;

// INFO of `length` characters with every field of the table written in.
[[nodiscard]] std::string BuildInfo(const TSimUnit& unit, std::span<const TInfoField> fields,
                                    std::size_t length);

// `text` written over info at frame position pos (nothing beyond the end).
void PutInfo(std::string& info, int pos, const std::string& text);
