// The text of /metrics: names, labels and their escaping, what a lost unit
// shows, and the real promtool's verdict on it.

#include "metrics/MetricsText.h"
#include "tests/metrics/MetricsFixture.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sys/wait.h>

namespace {

bool Has(const std::string& text, const std::string& line) {
    return text.find("\n" + line + "\n") != std::string::npos;
}

TEST(MetricsText, SeriesOfALiveAndALostUnit) {
    const std::string text = MetricsText(TwoUnits(), "1.2.3.4");
    const std::string live = R"(address="3",name="Rack \"A\" \\ 机房\nrow 2")";
    const std::string lost = "address=\"9\",name=\"bad \xEF\xBF\xBD byte\"";
    const char* lines[] = {
        "pelmora_build_info{version=\"1.2.3.4\"} 1",
        "pelmora_port_open 1",
        "pelmora_bus_cycle_seconds 7.9",
        "pelmora_bus_cycles_total 4",
    };
    for (const char* line : lines)
        EXPECT_TRUE(Has(text, line)) << line;
    const std::string unitLines[] = {
        "pelmora_up{" + live + "} 1",
        "pelmora_up{" + lost + "} 0",
        "pelmora_input_voltage_volts{" + live + ",phase=\"a\"} 229.5",
        "pelmora_output_frequency_hertz{" + live + "} 50",
        "pelmora_battery_charge_ratio{" + live + "} 0.87",
        "pelmora_battery_support_time_seconds{" + live + "} 720",
        "pelmora_state{" + live + ",state=\"on_battery\"} 1",
        "pelmora_state{" + live + ",state=\"online\"} 0",
        "pelmora_requests_total{" + lost + "} 0",
        "pelmora_rejected_replies_total{" + live + ",letter=\"C\"} 1",
        "pelmora_reply_time_seconds{" + live + "} 0.085",
    };
    for (const std::string& line : unitLines)
        EXPECT_TRUE(Has(text, line)) << line;
    EXPECT_EQ(text.find("pelmora_input_voltage_volts{" + lost), std::string::npos)
        << "a lost unit's last readings are not shown as current";
    EXPECT_EQ(text.find("pelmora_state{" + lost), std::string::npos);
}

TEST(MetricsText, NothingYetGivesTheProgramSeriesOnly) {
    const std::string text = MetricsText(TRecordSnapshot{}, "");
    EXPECT_TRUE(Has(text, "pelmora_port_open 0"));
    EXPECT_EQ(text.find("pelmora_bus_cycle_seconds"), std::string::npos);
    EXPECT_EQ(text.find("pelmora_up{"), std::string::npos);
}

// promtool reads the text from its standard input and says what it dislikes.
TEST(MetricsText, PromtoolAcceptsIt) {
    TTempFolder folder;
    const std::string path = folder.Path() + "metrics.txt";
    for (const TRecordSnapshot& snapshot : {TwoUnits(), TRecordSnapshot{}}) {
        WriteBytes(path, MetricsText(snapshot, "1.0"));
        const std::string command = "promtool check metrics < " + path + " 2>&1";
        FILE* pipe = ::popen(command.c_str(), "r");
        ASSERT_NE(pipe, nullptr);
        std::string said;
        char buffer[512];
        while (std::fgets(buffer, sizeof buffer, pipe))
            said += buffer;
        const int status = ::pclose(pipe);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << said;
    }
}

} // namespace
