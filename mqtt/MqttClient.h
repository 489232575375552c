#pragma once
// A libmosquitto client made from the [Mqtt] settings: client id, login,
// TLS and the last will on "<prefix>/status", with the texts a user reads
// when it cannot connect. Shared by the publisher and the connection test.

#include "config/MqttSettings.h"

#include <string>

struct mosquitto;

struct TMqttClientDeleter {
    void operator()(mosquitto* client) const;
};

// The client, or nullptr with `error` set (the password file cannot be
// read, TLS cannot be set up). `userData` is handed to every callback.
[[nodiscard]] mosquitto* MakeMqttClient(const TMqttSettings& settings, void* userData,
                                        std::string& error);
// "host:port"
[[nodiscard]] std::string MqttServerText(const TMqttSettings& settings);
// A libmosquitto error code (MOSQ_ERR_*) as the reason a connection failed,
// with a hint where one helps (TLS: the CA file).
[[nodiscard]] std::string MqttErrorText(int code, const TMqttSettings& settings);
// A refused CONNACK (1..5) as the reason a login failed.
[[nodiscard]] std::string MqttRefusalText(int connack, const TMqttSettings& settings);
