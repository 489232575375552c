// Section [Mqtt] of the settings file: defaults, values out of range, a
// round trip, and the password file that keeps the password out of it.

#include "config/IniFile.h"
#include "config/MqttSettings.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

namespace {

TEST(MqttSettings, ReadFromTheSection) {
    struct {
        const char* Text;
        uint16_t Port;
        int32_t Interval;
        bool Tls;
        bool Enabled;
    } const cases[] = {
        {"", 1883, 60, false, false},
        {"[Mqtt]\nHost=broker\nPort=8883\nTls=1\nInterval=30\n", 8883, 30, true, true},
        {"[Mqtt]\nHost=broker\nPort=0\nInterval=1\n", 1883, 60, false, true},
        {"[Mqtt]\nHost=broker\nPort=70000\nInterval=x\nTls=2\n", 1883, 60, false, true},
        {"[mqtt]\nhost = b\nport=1884\n", 1884, 60, false, true},
    };
    for (const auto& c : cases) {
        const TMqttSettings s = LoadMqttSettings(TIniFile(c.Text));
        EXPECT_EQ(s.Port, c.Port) << c.Text;
        EXPECT_EQ(s.IntervalS, c.Interval) << c.Text;
        EXPECT_EQ(s.Tls, c.Tls) << c.Text;
        EXPECT_EQ(s.Enabled(), c.Enabled) << c.Text;
    }
}

TEST(MqttSettings, StoredAndReadBackWithOtherSectionsKept) {
    TMqttSettings s;
    s.Host = "10.0.0.5";
    s.Port = 8883;
    s.ClientId = "desk-1";
    s.User = "ups";
    s.PasswordFile = "/etc/pelmora/mqtt.pass";
    s.TopicPrefix = "site/room 2";
    s.Tls = true;
    s.CaFile = "/etc/ssl/ca.pem";
    s.IntervalS = 120;
    TIniFile ini("[CommMast]\nComName=COM3\n");
    StoreMqttSettings(ini, s);
    const TIniFile back(ini.Text());
    EXPECT_EQ(LoadMqttSettings(back), s);
    EXPECT_EQ(back.ReadString("CommMast", "ComName", ""), "COM3");
    EXPECT_EQ(ini.Text().find("Password="), std::string::npos);
}

TEST(MqttSettings, TopicPrefixAndItsDefault) {
    const std::pair<const char*, std::string> cases[] = {
        {"", DefaultTopicPrefix()},
        {"site/line1/", "site/line1"},
        {"site", "site"},
    };
    for (const auto& [prefix, expected] : cases) {
        TMqttSettings s;
        s.TopicPrefix = prefix;
        EXPECT_EQ(EffectiveTopicPrefix(s), expected) << prefix;
    }
    EXPECT_TRUE(DefaultTopicPrefix().starts_with("pelmora/"));
}

TEST(MqttSettings, PasswordFile) {
    TTempFolder folder;
    const std::pair<std::string, std::string> cases[] = {
        {"secret\n", "secret"}, {"secret\r\nsecond line\n", "secret"}, {"no end", "no end"}};
    for (const auto& [text, expected] : cases) {
        WriteBytes(folder.Path() + "pass", text);
        std::string password, error;
        EXPECT_TRUE(ReadPasswordFile(folder.Path() + "pass", password, error));
        EXPECT_EQ(password, expected);
    }
    std::string password, error;
    EXPECT_FALSE(ReadPasswordFile(folder.Path() + "missing", password, error));
    EXPECT_NE(error.find("cannot read the password file " + folder.Path() + "missing"),
              std::string::npos)
        << error;
}

} // namespace
