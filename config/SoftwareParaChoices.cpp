#include "config/SoftwareParaChoices.h"

#include <algorithm>
#include <charconv>
#include <iterator>

namespace {
constexpr int32_t FallbackBaud = 2400;

int32_t BaudOf(const std::string& text) {
    int32_t value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end && !text.empty() ? value : FallbackBaud;
}
} // namespace

TSoftwareParaChoices ChoicesOnShow(TPortInfo& info, const std::vector<std::string>& ports) {
    TSoftwareParaChoices choices;
    const auto port = std::find(ports.begin(), ports.end(), info.ComName);
    choices.PortIndex = port == ports.end() ? 0 : int(std::distance(ports.begin(), port));
    choices.BaudIndex = info.BaudRate == 4800 ? 1 : info.BaudRate == 9600 ? 2 : 0;
    if (info.Protocol >= ProtocolCount)
        info.Protocol = 0;
    choices.ProtocolIndex = info.Protocol;
    return choices;
}

void TakeChoices(TPortInfo& info, const std::string& portText, const std::string& baudText,
                 int protocolIndex, bool autoStart) {
    info.ComName = portText;
    info.BaudRate = BaudOf(baudText);
    info.Protocol =
        protocolIndex >= 0 && protocolIndex < ProtocolCount ? uint8_t(protocolIndex) : 0;
    info.AutoStart = autoStart;
}
