#pragma once
// The captions of the real-time view in both languages, one row per control
// (by object name). The texts built at every refresh (state, supply and
// alarm texts) come from their own tables.

#include "base/LangText.h"

#include <span>

enum class TViewTextKind {
    Caption, // label text, group title or tab text
    Hint,    // tool tip
};

struct TViewCaption {
    const char* ObjectName;
    TViewTextKind Kind;
    TTextPair Text;
};

[[nodiscard]] std::span<const TViewCaption> RealTimeViewCaptions();
