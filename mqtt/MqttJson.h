#pragma once
// The little JSON the payloads need, written straight into a string: quoted
// texts (UTF-8 checked, control characters escaped) and numbers that read
// back as the same double, never in the locale's format.

#include <string>
#include <string_view>

// `value` as a JSON string with its quotes.
void AppendJsonString(std::string& out, std::string_view value);
// The shortest text of `value`; `null` for a value that is not finite.
void AppendJsonNumber(std::string& out, double value);
