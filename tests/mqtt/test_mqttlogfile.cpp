// The publisher's lines for the user: stamped, GBK on disk, and kept small
// by turning the file into "<name>.1" before it passes its cap.

#include "base/GbkText.h"
#include "mqtt/MqttLogFile.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <regex>

namespace {

TEST(MqttLogFile, LinesAreStampedAndWrittenInGbk) {
    TTempFolder folder;
    TMqttLogFile log(folder.Path() + "mqtt.log");
    log.Add("MQTT: cannot connect to 127.0.0.1:1: 拒绝");
    const std::string bytes = ReadBytes(folder.Path() + "mqtt.log");
    EXPECT_TRUE(std::regex_match(
        GbkToUtf8(bytes), std::regex("\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d MQTT: cannot "
                                     "connect to 127\\.0\\.0\\.1:1: 拒绝\n")))
        << bytes;
    EXPECT_EQ(bytes.find("拒绝"), std::string::npos) << "not UTF-8 on disk";
}

TEST(MqttLogFile, AFullFileMakesRoomAndKeepsOneBefore) {
    TTempFolder folder;
    const std::string path = folder.Path() + "mqtt.log";
    constexpr std::size_t Cap = 200;
    TMqttLogFile log(path, Cap);
    for (int i = 0; i < 40; ++i)
        log.Add("MQTT: line " + std::to_string(i));
    const std::string now = ReadBytes(path), before = ReadBytes(path + ".1");
    EXPECT_LE(now.size(), Cap);
    EXPECT_LE(before.size(), Cap);
    EXPECT_NE(now.find("MQTT: line 39\n"), std::string::npos) << "the newest line is kept";
    EXPECT_FALSE(before.empty());
    EXPECT_EQ(before.find("MQTT: line 0\n"), std::string::npos) << "the oldest are gone";
}

} // namespace
