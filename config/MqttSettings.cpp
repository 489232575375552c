#include "config/MqttSettings.h"

#include "config/IniFile.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <unistd.h>

std::string DefaultTopicPrefix() {
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0 || name[0] == '\0')
        return "pelmora/localhost";
    return std::string("pelmora/") + name;
}

std::string EffectiveTopicPrefix(const TMqttSettings& settings) {
    std::string prefix = settings.TopicPrefix;
    while (!prefix.empty() && prefix.back() == '/')
        prefix.pop_back();
    return prefix.empty() ? DefaultTopicPrefix() : prefix;
}

TMqttSettings LoadMqttSettings(const TIniFile& ini) {
    TMqttSettings s;
    s.Host = ini.ReadString(MqttSection, "Host", "");
    const int32_t port = ini.ReadInteger(MqttSection, "Port", MqttDefaultPort);
    s.Port = port > 0 && port <= 65535 ? uint16_t(port) : MqttDefaultPort;
    s.ClientId = ini.ReadString(MqttSection, "ClientId", "");
    s.User = ini.ReadString(MqttSection, "User", "");
    s.PasswordFile = ini.ReadString(MqttSection, "PasswordFile", "");
    s.TopicPrefix = ini.ReadString(MqttSection, "TopicPrefix", "");
    s.Tls = ini.ReadInteger(MqttSection, "Tls", 0) == 1;
    s.CaFile = ini.ReadString(MqttSection, "CaFile", "");
    const int32_t interval = ini.ReadInteger(MqttSection, "Interval", MqttDefaultIntervalS);
    s.IntervalS = interval >= MqttMinIntervalS ? interval : MqttDefaultIntervalS;
    return s;
}

void StoreMqttSettings(TIniFile& ini, const TMqttSettings& s) {
    ini.WriteString(MqttSection, "Host", s.Host);
    ini.WriteInteger(MqttSection, "Port", s.Port);
    ini.WriteString(MqttSection, "ClientId", s.ClientId);
    ini.WriteString(MqttSection, "User", s.User);
    ini.WriteString(MqttSection, "PasswordFile", s.PasswordFile);
    ini.WriteString(MqttSection, "TopicPrefix", s.TopicPrefix);
    ini.WriteInteger(MqttSection, "Tls", s.Tls ? 1 : 0);
    ini.WriteString(MqttSection, "CaFile", s.CaFile);
    ini.WriteInteger(MqttSection, "Interval", s.IntervalS);
}

TMqttSettings ReadMqttSettings(const std::string& iniPath) {
    TIniFile ini;
    if (ini.Load(iniPath) != TIniFile::TLoadResult::Read)
        return {};
    return LoadMqttSettings(ini);
}

bool ReadPasswordFile(const std::string& path, std::string& password, std::string& error) {
    std::ifstream in(path);
    if (!in) {
        error = "cannot read the password file " + path + ": " + std::strerror(errno);
        return false;
    }
    std::getline(in, password);
    if (!password.empty() && password.back() == '\r')
        password.pop_back();
    return true;
}
