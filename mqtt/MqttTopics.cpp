#include "mqtt/MqttTopics.h"

#include <charconv>

namespace {

std::optional<uint8_t> ParseAddress(std::string_view text) {
    unsigned value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc{} || end != text.data() + text.size() || value < 1 || value > 252)
        return std::nullopt;
    return uint8_t(value);
}

} // namespace

TMqttTopics::TMqttTopics(std::string prefix) : FPrefix(std::move(prefix)) {
    for (const char c : FPrefix) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == '_' || c == '-';
        FNodeId += plain ? c : '_';
    }
}

std::string TMqttTopics::State(uint8_t address) const {
    return FPrefix + "/" + std::to_string(address) + "/state";
}

std::string TMqttTopics::Availability(uint8_t address) const {
    return FPrefix + "/" + std::to_string(address) + "/availability";
}

std::string TMqttTopics::Discovery(std::string_view component, uint8_t address,
                                   std::string_view key) const {
    return std::string(DiscoveryPrefix) + "/" + std::string(component) + "/" + FNodeId + "/" +
           std::to_string(address) + "_" + std::string(key) + "/config";
}

std::string TMqttTopics::UniqueId(uint8_t address, std::string_view key) const {
    std::string id = FNodeId + "_" + std::to_string(address);
    if (!key.empty())
        id += "_" + std::string(key);
    return id;
}

std::string TMqttTopics::DiscoveryFilter() const {
    return std::string(DiscoveryPrefix) + "/+/" + FNodeId + "/+/config";
}

std::optional<uint8_t> TMqttTopics::AddressOf(std::string_view topic) const {
    const std::string discovery = std::string(DiscoveryPrefix) + "/";
    if (topic.starts_with(discovery)) {
        // homeassistant/<component>/<node>/<address>_<key>/config
        const std::string node = "/" + FNodeId + "/";
        const std::size_t at = topic.find(node, discovery.size());
        if (at == std::string_view::npos || !topic.ends_with("/config"))
            return std::nullopt;
        const std::string_view object = topic.substr(at + node.size());
        return ParseAddress(object.substr(0, object.find('_')));
    }
    // <prefix>/<address>/state or /availability
    if (!topic.starts_with(FPrefix + "/"))
        return std::nullopt;
    const std::string_view rest = topic.substr(FPrefix.size() + 1);
    const std::size_t slash = rest.find('/');
    if (slash == std::string_view::npos)
        return std::nullopt;
    const std::string_view leaf = rest.substr(slash + 1);
    if (leaf != "state" && leaf != "availability")
        return std::nullopt;
    return ParseAddress(rest.substr(0, slash));
}
