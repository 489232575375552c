// Alarms of the real monitor against the real simulator, with fast poll:
// sixteen units lose the mains at once. The desktop (a session bus and a
// notification service of the test's own) gets at most two new
// notifications, the last naming all sixteen; the event command runs once
// for every logged event with that event in its environment.

#include "status/StatusCodes.h"
#include "tests/e2e/E2eRun.h"
#include "tests/notify/SessionBus.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <map>
#include <set>
#include <sstream>

namespace {

using namespace std::chrono_literals;

constexpr int UnitCount = 16;

std::vector<std::string> Split(const std::string& line, char by) {
    std::vector<std::string> parts;
    std::istringstream in(line);
    for (std::string part; std::getline(in, part, by);)
        parts.push_back(part);
    return parts;
}

std::vector<std::vector<std::string>> NotifyCalls(const TSessionBus& bus) {
    std::vector<std::vector<std::string>> calls;
    for (const std::string& line : bus.Calls())
        if (line.rfind("Notify\t", 0) == 0)
            calls.push_back(Split(line, '\t'));
    return calls;
}

bool NamesEveryUnit(const std::string& body) {
    for (int unit = 1; unit <= UnitCount; ++unit) {
        // Each name ends with the list's separator or the body's end, so
        // "UPS 1" is not taken for the start of "UPS 10".
        const std::string name = "UPS " + std::to_string(unit);
        if (body.find(name + ",") == std::string::npos &&
            body.compare(body.size() - std::min(body.size(), name.size()), name.size(), name) != 0)
            return false;
    }
    return body.find(std::to_string(UnitCount) + " units on battery") != std::string::npos;
}

// Each run of the recording command: its PELMORA_ variables.
std::vector<std::map<std::string, std::string>> CommandRuns(const std::string& path) {
    std::vector<std::map<std::string, std::string>> runs;
    std::map<std::string, std::string> run;
    for (const std::string& entry : Split(ReadBytes(path), '\0')) {
        if (entry == "--\n") {
            runs.push_back(run);
            run.clear();
        } else if (entry.rfind("PELMORA_", 0) == 0) {
            const auto eq = entry.find('=');
            run[entry.substr(0, eq)] = entry.substr(eq + 1);
        }
    }
    return runs;
}

TEST(E2eAlarms, SixteenUnitsOnBatteryMakeOneSummaryAndACommandRunPerEvent) {
    TSessionBus bus;
    bus.StartRecorder();
    const std::string runs = bus.Folder() + "runs.env";
    const std::string command = bus.Folder() + "record.sh";
    WriteBytes(command,
               "#!/bin/sh\nenv -0 >> '" + runs + "'\nprintf -- '--\\n\\0' >> '" + runs + "'\n");
    ::chmod(command.c_str(), 0755);

    TE2eConfig config;
    config.Protocol = 0;
    config.FastPoll = true;
    config.SessionBus = bus.Address();
    config.Settings = {{"Notify", "Command", command}, {"Notify", "GatherSeconds", "3"}};
    std::ostringstream scenario;
    for (int unit = 1; unit <= UnitCount; ++unit) {
        scenario << "unit " << unit << " online\n";
        config.Devices.push_back({0, uint8_t(unit), "UPS " + std::to_string(unit)});
    }
    // The mains go while the monitor is still finding the units: a unit
    // first seen on battery is told as one that goes there.
    for (int unit = 1; unit <= UnitCount; ++unit)
        scenario << "at 6s unit " << unit << " battery\n";
    config.Scenario = scenario.str();
    TE2eRun run(config);

    const bool summarised = WaitUntil(
        [&] {
            const auto calls = NotifyCalls(bus);
            return !calls.empty() && NamesEveryUnit(calls.back()[5]);
        },
        60s);
    const auto calls = NotifyCalls(bus);
    std::string shown;
    for (const auto& call : calls)
        shown += call[1] + " | " + call[4] + " | " + call[5] + "\n";
    EXPECT_TRUE(summarised) << shown << run.MonitorLog();
    int fresh = 0;
    for (const auto& call : calls)
        fresh += call[1] == "0" ? 1 : 0;
    EXPECT_GE(fresh, 1) << shown;
    EXPECT_LE(fresh, 2) << shown;
    EXPECT_EQ(calls.back()[2], "2") << "on battery is critical";

    ASSERT_TRUE(run.StopMonitor());
    EXPECT_EQ(run.MonitorExitStatus(), 0);

    // Once per logged event, the program's end among them; its start is
    // logged before the alarms begin.
    std::multiset<std::string> logged, ran;
    for (const TEventRec& e : run.Events())
        if (e.Code != EventSoftwareOpen)
            logged.insert(std::to_string(e.Kind) + "/" + std::to_string(e.Code) + "@" +
                          std::to_string(e.Address));
    const auto commandRuns = CommandRuns(runs);
    for (const auto& r : commandRuns)
        ran.insert(r.at("PELMORA_EVENT_KIND") + "/" + r.at("PELMORA_EVENT_CODE") + "@" +
                   r.at("PELMORA_ADDRESS"));
    EXPECT_EQ(ran, logged);
    int onBattery = 0;
    for (const auto& r : commandRuns)
        if (r.at("PELMORA_EVENT_KIND") == "1" && r.at("PELMORA_EVENT_CODE") == "5") {
            ++onBattery;
            EXPECT_EQ(r.at("PELMORA_SEVERITY"), "critical");
            EXPECT_EQ(r.at("PELMORA_EVENT_TEXT"), "Battery Status");
            EXPECT_EQ(r.at("PELMORA_UNIT"), "UPS " + r.at("PELMORA_ADDRESS"));
            EXPECT_EQ(r.at("PELMORA_MODEL"), "Multimode UPS");
        }
    EXPECT_EQ(onBattery, UnitCount);
}

} // namespace
