#pragma once
// The captions of the real-time view in both languages, one row per control
// (by object name). The texts built at every refresh (state, supply and
// alarm texts) come from their own tables.

#include "app/CaptionRows.h"

#include <span>

[[nodiscard]] std::span<const TCaptionRow> RealTimeViewCaptions();
