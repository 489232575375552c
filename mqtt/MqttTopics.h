#pragma once
// The topics one publisher writes, made from the topic prefix:
//   <prefix>/status                 "online" / "offline" (the last will)
//   <prefix>/<address>/state        a unit's retained JSON state
//   <prefix>/<address>/availability "online" / "offline" per unit
//   <prefix>/events                 each logged event, once
//   homeassistant/<component>/<node>/<address>_<key>/config  discovery
// <node> is the prefix made safe for a discovery topic and an id, so two
// agents with their own prefixes never take each other's units.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

inline constexpr std::string_view DiscoveryPrefix = "homeassistant";

class TMqttTopics {
public:
    explicit TMqttTopics(std::string prefix);

    [[nodiscard]] const std::string& Prefix() const { return FPrefix; }
    [[nodiscard]] const std::string& NodeId() const { return FNodeId; }
    [[nodiscard]] std::string Status() const { return FPrefix + "/status"; }
    [[nodiscard]] std::string Events() const { return FPrefix + "/events"; }
    [[nodiscard]] std::string State(uint8_t address) const;
    [[nodiscard]] std::string Availability(uint8_t address) const;
    [[nodiscard]] std::string Discovery(std::string_view component, uint8_t address,
                                        std::string_view key) const;
    // An id unique to this publisher: "<node>_<address>[_<key>]".
    [[nodiscard]] std::string UniqueId(uint8_t address, std::string_view key = {}) const;

    // What a publisher subscribes to for a moment after connecting, to find
    // what is retained for units no longer listed.
    [[nodiscard]] std::string DiscoveryFilter() const;
    [[nodiscard]] std::string UnitFilter() const { return FPrefix + "/+/+"; }
    // The unit address a retained topic of this publisher belongs to.
    [[nodiscard]] std::optional<uint8_t> AddressOf(std::string_view topic) const;

private:
    std::string FPrefix;
    std::string FNodeId;
};
