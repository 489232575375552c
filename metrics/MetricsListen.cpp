#include "metrics/MetricsListen.h"

#include "config/IniFile.h"

#include <arpa/inet.h>
#include <charconv>

std::optional<TListenAddress> ParseListen(std::string_view value, std::string& error) {
    error.clear();
    while (!value.empty() && (value.front() == ' ' || value.front() == '\t'))
        value.remove_prefix(1);
    while (!value.empty() && (value.back() == ' ' || value.back() == '\t'))
        value.remove_suffix(1);
    if (value.empty())
        return std::nullopt;
    const std::string shown(value);
    const std::size_t colon = value.rfind(':');
    if (colon == std::string_view::npos) {
        error = "Metrics Listen \"" + shown + "\" is not host:port";
        return std::nullopt;
    }
    std::string host(value.substr(0, colon));
    const std::string_view portText = value.substr(colon + 1);
    unsigned port = 0;
    const auto [end, ec] =
        std::from_chars(portText.data(), portText.data() + portText.size(), port);
    if (ec != std::errc{} || end != portText.data() + portText.size() || port > 65535) {
        error = "Metrics Listen \"" + shown + "\": bad port";
        return std::nullopt;
    }
    if (host == "localhost")
        host = "127.0.0.1";
    in_addr address{};
    if (inet_pton(AF_INET, host.c_str(), &address) != 1) {
        error = "Metrics Listen \"" + shown + "\": the host must be an IPv4 address or localhost";
        return std::nullopt;
    }
    return TListenAddress{ntohl(address.s_addr), static_cast<uint16_t>(port)};
}

std::string ReadMetricsListen(const std::string& iniPath) {
    TIniFile ini;
    if (ini.Load(iniPath) != TIniFile::TLoadResult::Read)
        return {};
    return ini.ReadString(MetricsSection, MetricsListenKey, "");
}
