// Section [Notify] of the settings file: defaults, values out of range, and
// a store that keeps what it does not know.

#include "config/IniFile.h"
#include "config/NotifySettings.h"

#include <gtest/gtest.h>

TEST(NotifySettings, MissingOrOutOfRangeValuesReadAsTheirDefaults) {
    const TNotifySettings defaults;
    EXPECT_TRUE(defaults.Desktop);
    EXPECT_EQ(defaults.GatherSeconds, 3);
    EXPECT_FALSE(defaults.CloseToTray);
    const struct {
        const char* Text;
        int32_t Gather;
        int32_t Limit;
    } cases[] = {
        {"", 3, 60},
        {"[Notify]\nGatherSeconds=0\nCommandTimeLimit=1\n", 0, 1},
        {"[Notify]\nGatherSeconds=61\nCommandTimeLimit=0\n", 3, 60},
        {"[Notify]\nGatherSeconds=-5\nCommandTimeLimit=99999\n", 3, 60},
        {"[Notify]\nGatherSeconds=ten\n", 3, 60},
    };
    for (const auto& c : cases) {
        const TNotifySettings read = ReadNotifySettings(TIniFile(c.Text));
        EXPECT_EQ(read.GatherSeconds, c.Gather) << c.Text;
        EXPECT_EQ(read.CommandTimeLimit, c.Limit) << c.Text;
    }
    EXPECT_EQ(ReadNotifySettings("/nonexistent/UserParaIni.ini"), defaults);
}

TEST(NotifySettings, StoredAndReadBackWithUnknownKeysKept) {
    TNotifySettings settings;
    settings.Desktop = false;
    settings.PortLost = false;
    settings.GatherSeconds = 10;
    settings.Command = "/usr/local/bin/ups event";
    settings.CommandTimeLimit = 120;
    settings.CloseToTray = true;
    TIniFile ini("[Notify]\nSound=bell.wav\n[Other]\nKey=1\n");
    StoreNotifySettings(settings, ini);
    const TIniFile again(ini.Text());
    EXPECT_EQ(ReadNotifySettings(again), settings);
    EXPECT_EQ(again.ReadString("Notify", "Sound", ""), "bell.wav");
    EXPECT_EQ(again.ReadString("Other", "Key", ""), "1");
}
