#include "mqtt/MqttJson.h"

#include "metrics/MetricsText.h"

#include <charconv>
#include <cmath>

void AppendJsonString(std::string& out, std::string_view value) {
    // The label escaping already quotes backslash, double quote and line
    // feed as JSON does and replaces bytes that are not UTF-8; what JSON
    // adds is the other control characters.
    out += '"';
    for (const char c : EscapeLabelValue(value)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20) {
            constexpr char Hex[] = "0123456789abcdef";
            out += "\\u00";
            out += Hex[byte >> 4];
            out += Hex[byte & 0xF];
        } else {
            out += c;
        }
    }
    out += '"';
}

void AppendJsonNumber(std::string& out, double value) {
    if (!std::isfinite(value)) {
        out += "null";
        return;
    }
    char number[32];
    const char* end = std::to_chars(number, number + sizeof number, value).ptr;
    out.append(number, std::size_t(end - number));
}
