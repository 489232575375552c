#pragma once
// Where the Prometheus endpoint listens: "[Metrics] Listen=" of the settings
// file, "host:port" with an IPv4 address or "localhost" (127.0.0.1:9757 is
// the documented example). Empty or missing: the endpoint is off. Any other
// address than a loopback one is the user's explicit choice.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct TListenAddress {
    uint32_t Ipv4 = 0; // host byte order
    uint16_t Port = 0; // 0 = any free port (tests)
};

inline constexpr const char* MetricsSection = "Metrics";
inline constexpr const char* MetricsListenKey = "Listen";

// The parsed address, or nullopt with `error` set ("" when the value is
// empty, i.e. the endpoint is off).
[[nodiscard]] std::optional<TListenAddress> ParseListen(std::string_view value, std::string& error);
// The Listen value of the settings file at `iniPath`; "" when there is none.
[[nodiscard]] std::string ReadMetricsListen(const std::string& iniPath);
