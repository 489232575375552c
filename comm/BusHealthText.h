#pragma once
// The bus health figures as the operator reads them, in either language:
// a unit's lines for the device tree's tool tip, the pieces the trace
// window's list shows per address, and the bus cycle for the status bar.

#include "base/LangText.h"
#include "comm/BusHealth.h"

#include <algorithm>
#include <cstdint>
#include <string>

constexpr TTextPair HealthRequestsText = {"请求", "Requests"};
constexpr TTextPair HealthGoodText = {"正确应答", "Good replies"};
constexpr TTextPair HealthRejectsText = {"拒收", "Rejected"};
constexpr TTextPair HealthReplyTimeText = {"应答时间", "Reply time"};
constexpr TTextPair HealthMeanText = {"平均", "mean"};
constexpr TTextPair HealthSinceGoodText = {"距上次正确应答", "Since last good reply"};
constexpr TTextPair HealthOtherText = {"其他", "other"};
constexpr TTextPair HealthNoneText = {"无", "none"};
constexpr TTextPair BusCycleText = {"轮询周期", "Bus cycle"};

// Milliseconds as seconds with one decimal ("12.4 s"), whatever the locale.
[[nodiscard]] std::string SecondsFigure(int64_t ms);
// "85 ms", or the "none" text for a negative time.
[[nodiscard]] std::string MillisecondsText(int64_t ms, uint8_t language);
// The rejects with their letters, "2 (C 1, other 1)", or "0".
[[nodiscard]] std::string RejectsText(const TUnitHealth& unit, uint8_t language);
// Time since the last good reply, or the "none" text.
[[nodiscard]] std::string SinceGoodText(const TUnitHealth& unit, int64_t now, uint8_t language);
// Four lines: requests and good replies, rejects, reply times, time since
// the last good reply.
[[nodiscard]] std::string UnitHealthText(const TUnitHealth& unit, int64_t now, uint8_t language);
// "Bus cycle 12.4 s", or empty before the first full cycle.
[[nodiscard]] std::string BusCycleStatus(const TBusHealth& health, uint8_t language);
