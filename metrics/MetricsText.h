#pragma once
// /metrics in the Prometheus text format (version 0.0.4), made from one
// record snapshot only: a scrape never touches the engine or the bus.
// Every per-unit series carries the labels address and name; measurements
// are left out while a unit is not communicating, so no stale reading is
// ever shown as current.

#include "feed/RecordSnapshot.h"

#include <string>
#include <string_view>

[[nodiscard]] std::string MetricsText(const TRecordSnapshot& snapshot, std::string_view version);
// A label value as the format requires: backslash, double quote and line
// feed escaped; bytes that are not UTF-8 replaced, as the format is UTF-8.
[[nodiscard]] std::string EscapeLabelValue(std::string_view value);
