#pragma once
// The data log interval as the setting dialog shows it. RecInterval counts
// the poll engine's 100 ms ticks (0 = logging off); the dialog shows whole
// seconds, 10..300.

#include <cstdint>
#include <string_view>

inline constexpr int MinIntervalSeconds = 10;
inline constexpr int MaxIntervalSeconds = 300;
inline constexpr int OffIntervalSeconds = 60; // shown while logging is off

struct TIntervalSetting {
    bool Enabled = false;
    int Seconds = OffIntervalSeconds;
};

// 600 -> on, 60 s; 50 -> on, 10 s (the lower limit); 0 -> off, 60 s.
[[nodiscard]] TIntervalSetting IntervalFromRecInterval(int32_t recInterval);
// Seconds x 10 when enabled, else 0.
[[nodiscard]] int32_t RecIntervalFrom(const TIntervalSetting& setting);
// A typed value brought to the nearer limit; a text that is no number counts as 10.
[[nodiscard]] int IntervalFromText(std::string_view text);
