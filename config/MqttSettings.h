#pragma once
// Section [Mqtt] of the settings file: where the readings are published.
// An empty Host means publishing is off. The password is never kept here:
// PasswordFile names a file that holds it, readable by the user only.

#include <cstdint>
#include <string>

class TIniFile;

inline constexpr const char* MqttSection = "Mqtt";
constexpr uint16_t MqttDefaultPort = 1883;
constexpr int32_t MqttDefaultIntervalS = 60;
constexpr int32_t MqttMinIntervalS = 5; // a shorter one only floods the broker

struct TMqttSettings {
    std::string Host; // empty: off
    uint16_t Port = MqttDefaultPort;
    std::string ClientId; // empty: a random one
    std::string User;
    std::string PasswordFile;
    std::string TopicPrefix; // empty: DefaultTopicPrefix()
    bool Tls = false;
    std::string CaFile; // empty with Tls: the system's certificates
    int32_t IntervalS = MqttDefaultIntervalS;

    [[nodiscard]] bool Enabled() const { return !Host.empty(); }
    bool operator==(const TMqttSettings&) const = default;
};

// "pelmora/<host name>", the prefix when TopicPrefix is empty.
[[nodiscard]] std::string DefaultTopicPrefix();
// TopicPrefix, or the default; trailing '/' removed.
[[nodiscard]] std::string EffectiveTopicPrefix(const TMqttSettings& settings);

// Values out of range (a port of 0 or above 65535, an interval below 5 s)
// read as their defaults.
[[nodiscard]] TMqttSettings LoadMqttSettings(const TIniFile& ini);
void StoreMqttSettings(TIniFile& ini, const TMqttSettings& settings);
// The section of the settings file at `iniPath`; defaults (off) when the
// file cannot be read.
[[nodiscard]] TMqttSettings ReadMqttSettings(const std::string& iniPath);

// How a connection test went; the window words it in its language. Reason
// is the library's or the broker's own text, or what could not be read.
struct TMqttTestAnswer {
    enum class TKind { Connected, Refused, CannotConnect, NoAnswer, Unusable };
    TKind Kind = TKind::Unusable;
    std::string Server; // "host:port"
    std::string Reason;
    int TimeoutS = 0; // NoAnswer: how long it waited
    bool operator==(const TMqttTestAnswer&) const = default;
};

// The first line of the password file, without its line end. False with
// `error` set when it cannot be read.
[[nodiscard]] bool ReadPasswordFile(const std::string& path, std::string& password,
                                    std::string& error);
