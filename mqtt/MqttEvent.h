#pragma once
// One logged event on "<prefix>/events" (QoS 1, not retained): when, what
// (kind, code, English and Chinese texts), which unit. Address 0 is the
// program or its serial port, without a unit name.

#include "feed/EventStream.h"

#include <string>
#include <string_view>

// `name` is the unit's name as the device list has it, UTF-8.
[[nodiscard]] std::string EventJson(const TStreamedEvent& event, std::string_view name);
