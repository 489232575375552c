#include "mqtt/MqttClient.h"

#include <mosquitto.h>

#include <cerrno>
#include <cstring>
#include <mutex>

namespace {

// The library's texts end in a full stop; ours go on after them.
std::string Clause(const char* text) {
    std::string clause = text;
    if (!clause.empty() && clause.back() == '.')
        clause.pop_back();
    return clause;
}

} // namespace

void TMqttClientDeleter::operator()(mosquitto* client) const {
    mosquitto_destroy(client);
}

std::string MqttServerText(const TMqttSettings& settings) {
    return settings.Host + ":" + std::to_string(settings.Port);
}

mosquitto* MakeMqttClient(const TMqttSettings& settings, void* userData, std::string& error) {
    // The library's global set-up, once per process; it is never undone as
    // other clients may still be alive.
    static std::once_flag initialised;
    std::call_once(initialised, [] { mosquitto_lib_init(); });

    std::string password;
    if (!settings.PasswordFile.empty() && !ReadPasswordFile(settings.PasswordFile, password, error))
        return nullptr;
    mosquitto* client = mosquitto_new(
        settings.ClientId.empty() ? nullptr : settings.ClientId.c_str(), true, userData);
    if (!client) {
        error = std::string("cannot make an MQTT client: ") + std::strerror(errno);
        return nullptr;
    }
    mosquitto_int_option(client, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
    int rc = MOSQ_ERR_SUCCESS;
    if (!settings.User.empty())
        rc = mosquitto_username_pw_set(client, settings.User.c_str(),
                                       settings.PasswordFile.empty() ? nullptr : password.c_str());
    if (rc == MOSQ_ERR_SUCCESS && settings.Tls) {
        // Without a CA file the system's certificates decide.
        rc = settings.CaFile.empty()
                 ? mosquitto_tls_set(client, nullptr, "/etc/ssl/certs", nullptr, nullptr, nullptr)
                 : mosquitto_tls_set(client, settings.CaFile.c_str(), nullptr, nullptr, nullptr,
                                     nullptr);
        if (rc != MOSQ_ERR_SUCCESS) {
            error = "cannot use the CA file \"" + settings.CaFile +
                    "\": " + Clause(mosquitto_strerror(rc));
            mosquitto_destroy(client);
            return nullptr;
        }
    }
    const std::string will = EffectiveTopicPrefix(settings) + "/status";
    if (rc == MOSQ_ERR_SUCCESS)
        rc = mosquitto_will_set(client, will.c_str(), 7, "offline", 1, true);
    if (rc != MOSQ_ERR_SUCCESS) {
        error = "cannot set up the MQTT client: " + Clause(mosquitto_strerror(rc));
        mosquitto_destroy(client);
        return nullptr;
    }
    return client;
}

std::string MqttErrorText(int code, const TMqttSettings& settings) {
    if (code == MOSQ_ERR_ERRNO)
        return std::strerror(errno);
    if (code == MOSQ_ERR_TLS)
        return std::string("TLS handshake failed (is the broker's certificate signed by ") +
               (settings.CaFile.empty() ? "a CA the system trusts"
                                        : "\"" + settings.CaFile + "\"") +
               " and issued for " + settings.Host + "?)";
    return Clause(mosquitto_strerror(code));
}

std::string MqttRefusalText(int connack, const TMqttSettings& settings) {
    std::string text = Clause(mosquitto_connack_string(connack));
    if (connack == 4 || connack == 5)
        text += settings.User.empty() ? " (set User and PasswordFile)"
                                      : " (check User \"" + settings.User + "\" and PasswordFile)";
    return text;
}
