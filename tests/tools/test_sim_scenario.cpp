// Scenario files and the command line: what parses, what does not (and says
// which line), and how events change units over scenario time.

#include "tools/sim/ScenarioPlayer.h"
#include "tools/sim/SimOptions.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <unistd.h>

namespace {

const char* const Example = R"(# four units
unit 1 model "UPS-A" state online
unit 2 state online alarm 12    # a fault alarm
unit 3 model "LNM7100" delay 40 param 40005 230
unit 4 bypass alarm 43,205

at 60s unit 4 silent
at 30s unit 3 battery
at 45s unit 2 alarm +7,-12
at 1.5m unit 4 answer
at 500ms unit 1 alarm none
)";

TSimUnits Build(const char* text) {
    return BuildUnits(ParseScenario(text), {});
}

} // namespace

TEST(SimScenario, UnitsStartAsDefined) {
    const TSimUnits units = Build(Example);
    ASSERT_EQ(units.size(), 4u);
    EXPECT_EQ(units.at(1).Model, "UPS-A");
    EXPECT_EQ(units.at(1).State, TSimState::Online);
    EXPECT_EQ(units.at(2).Alarms, std::set<int>{12});
    EXPECT_EQ(units.at(2).Model, DefaultModel);
    EXPECT_EQ(units.at(3).ResponseDelayMs, 40);
    EXPECT_EQ(HoldingValue(units.at(3), 40005), 230);
    EXPECT_EQ(units.at(4).State, TSimState::Bypass);
    EXPECT_EQ(units.at(4).Alarms, (std::set<int>{43, 205}));
}

TEST(SimScenario, EventsComeInTimeOrderAndChangeUnitsWhenDue) {
    TScenario scenario = ParseScenario(Example);
    std::vector<double> times;
    for (const auto& e : scenario.Events) {
        times.push_back(e.AtSeconds);
    }
    EXPECT_EQ(times, (std::vector<double>{0.5, 30, 45, 60, 90}));
    EXPECT_EQ(scenario.Events[1].Text, "at 30s unit 3 battery");
    EXPECT_EQ(scenario.Events[1].Line, 8);
    const TScenario renamed = ParseScenario("unit 1\nat 1s unit 1 model \"A#1\"  # renamed");
    EXPECT_EQ(renamed.Events.at(0).Text, "at 1s unit 1 model \"A#1\"");
    EXPECT_EQ(renamed.Events.at(0).Change.Model, "A#1");

    TSimUnits units = BuildUnits(scenario, {});
    TScenarioPlayer player(scenario.Events);
    EXPECT_EQ(player.Advance(units, 29.9).size(), 1u);
    EXPECT_EQ(units.at(3).State, TSimState::Online);
    EXPECT_EQ(player.Advance(units, 30).size(), 1u);
    EXPECT_EQ(units.at(3).State, TSimState::Battery);
    EXPECT_EQ(units.at(3).Measure.InputVolt[0], 0); // mains lost at once
    EXPECT_EQ(player.Advance(units, 30).size(), 0u);
    EXPECT_EQ(player.Advance(units, 60).size(), 2u);
    EXPECT_EQ(units.at(2).Alarms, std::set<int>{7});
    EXPECT_TRUE(units.at(4).Silent);
    EXPECT_EQ(player.NextTime(), 90);
    EXPECT_EQ(player.Advance(units, 1e9).size(), 1u);
    EXPECT_FALSE(units.at(4).Silent);
    EXPECT_TRUE(player.Finished());
}

TEST(SimScenario, ExtraAddressesJoinAsOnlineUnits) {
    const TSimUnits units = BuildUnits(ParseScenario("unit 2 battery"), {1, 2});
    ASSERT_EQ(units.size(), 2u);
    EXPECT_EQ(units.at(1).State, TSimState::Online);
    EXPECT_EQ(units.at(2).State, TSimState::Battery); // the scenario's unit stays
}

TEST(SimScenario, BadLinesAreRefusedNamingTheLine) {
    const struct {
        const char* Text;
        const char* Message;
    } rows[] = {
        {"unit 0", "line 1: bad unit address '0' (1 to 252)"},
        {"unit 253", "line 1: bad unit address '253' (1 to 252)"},
        {"unit x1", "line 1: bad unit address 'x1' (1 to 252)"},
        {"unit", "line 1: missing unit address"},
        {"# fine\nunit 1 state onlne", "line 2: unknown state 'onlne'"},
        {"unit 1 fly", "line 1: unknown word 'fly'"},
        {"unit 1 model", "line 1: missing model name"},
        {"unit 1 model \"UPS-A", "line 1: unterminated quote"},
        {"unit 1 \"UPS-A\"", "line 1: unexpected text \"UPS-A\""},
        {"unit 1 alarm 26", "line 1: bad alarm code '26' in '26'"},
        {"unit 1 alarm 12,,7", "line 1: bad alarm code '' in '12,,7'"},
        {"unit 1 alarm 12,+7", "line 1: alarm list mixes plain and +/- codes: '12,+7'"},
        {"unit 1 delay 9999", "line 1: bad delay in ms '9999' (0 to 5000)"},
        {"unit 1 param 40005", "line 1: missing register value"},
        {"unit 1 param 30001 5", "line 1: bad holding register '30001' (40001 to 40029)"},
        {"hello", "line 1: expected 'unit' or 'at', found 'hello'"},
        {"unit 1\nat 30x unit 1 battery",
         "line 2: bad time '30x' (examples: 500ms, 30s, 1.5m, 1h)"},
        {"unit 1\nat -5s unit 1 battery",
         "line 2: bad time '-5s' (examples: 500ms, 30s, 1.5m, 1h)"},
        {"unit 1\nat 5s 1 battery", "line 2: expected 'unit', found '1'"},
        {"unit 1\nat 5s unit 1", "line 2: nothing happens to unit 1"},
        {"at 5s unit 9 battery\nunit 1", "line 1: unit 9 is not defined"},
        {"unit 1\n\nunit 1 battery", "line 3: unit 1 is already defined on line 1"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Text);
        try {
            (void)ParseScenario(row.Text);
            ADD_FAILURE() << "accepted";
        } catch (const TScenarioError& e) {
            EXPECT_STREQ(e.what(), row.Message);
        }
    }
}

TEST(SimScenario, DefaultScenarioParses) {
    const TScenario scenario = LoadScenario(SIM_SCENARIO_DIR "/default.txt");
    const TSimUnits units = BuildUnits(scenario, {});
    EXPECT_GE(units.size(), 3u);
    std::set<TSimState> states;
    bool alarms = false;
    for (const auto& [address, unit] : units) {
        states.insert(unit.State);
        alarms = alarms || !unit.Alarms.empty();
    }
    EXPECT_GE(states.size(), 2u);
    EXPECT_TRUE(alarms);

    // Some unit goes on battery at 30 s and comes back online later.
    TSimUnits played = units;
    TScenarioPlayer player(scenario.Events);
    (void)player.Advance(played, 30);
    uint8_t onBattery = 0;
    for (const auto& [address, unit] : played) {
        if (unit.State == TSimState::Battery && units.at(address).State != TSimState::Battery) {
            onBattery = address;
        }
    }
    ASSERT_NE(onBattery, 0);
    (void)player.Advance(played, 1e9);
    EXPECT_EQ(played.at(onBattery).State, TSimState::Online);
}

TEST(SimScenario, FileErrorsNameTheFile) {
    char dir[] = "/tmp/simscenXXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string path = std::string(dir) + "/bad.txt";
    std::ofstream(path) << "unit 1\nunit 2 state sleepy\n";
    EXPECT_THROW(
        {
            try {
                (void)LoadScenario(path);
            } catch (const std::runtime_error& e) {
                EXPECT_EQ(std::string(e.what()), path + ": line 2: unknown state 'sleepy'");
                throw;
            }
        },
        std::runtime_error);
    unlink(path.c_str());
    rmdir(dir);
    EXPECT_THROW((void)LoadScenario(path), std::runtime_error);
}

TEST(SimOptionsTest, OptionsAreRead) {
    const TSimOptions o = ParseSimOptions({"--protocol", "2", "--units=1,2,252", "--scenario",
                                           "s.txt", "--baud", "2400", "--link", "/tmp/l",
                                           "--time-scale", "10", "--quiet", "--unlock", "42"});
    EXPECT_EQ(o.Protocol, 2);
    EXPECT_EQ(o.Units, (std::vector<int>{1, 2, 252}));
    EXPECT_EQ(o.ScenarioPath, "s.txt");
    EXPECT_EQ(o.Baud, 2400);
    EXPECT_EQ(o.LinkPath, "/tmp/l");
    EXPECT_EQ(o.TimeScale, 10);
    EXPECT_EQ(o.UnlockValue, 42);
    EXPECT_TRUE(o.Quiet);

    const TSimOptions d = ParseSimOptions({});
    EXPECT_EQ(d.Protocol, 0);
    EXPECT_EQ(d.Baud, 9600);
    EXPECT_EQ(d.TimeScale, 1);
}

TEST(SimOptionsTest, BadOptionsSayWhichAndWhy) {
    const struct {
        std::vector<std::string> Args;
        const char* Message;
    } rows[] = {
        {{"--protocol", "4"}, "--protocol: expected a whole number from 0 to 3, got '4'"},
        {{"--units", "1,0"}, "--units: expected a whole number from 1 to 252, got '0'"},
        {{"--units", "1,,2"}, "--units: expected a whole number from 1 to 252, got ''"},
        {{"--time-scale", "0"}, "--time-scale: expected a positive number, got '0'"},
        {{"--baud"}, "--baud: needs a value"},
        {{"--fast"}, "--fast: unknown option (see --help)"},
        {{"--link", "/tmp/l", "--device", "/dev/ttyS0"},
         "--link: a link is made only for a pseudo-terminal, not with --device"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Message);
        try {
            (void)ParseSimOptions(row.Args);
            ADD_FAILURE() << "accepted";
        } catch (const std::invalid_argument& e) {
            EXPECT_STREQ(e.what(), row.Message);
        }
    }
}

// The system voltage level of a scenario sets what the unit measures, so a
// 120 V or 100 V unit can be put on the bus; a mains failure and return keep
// the unit's own nominal voltage.
TEST(SimScenario, VoltageLevelSetsTheMeasuredMains) {
    const TScenario scenario = LoadScenario(SIM_SCENARIO_DIR "/mains-120v.txt");
    TSimUnits units = BuildUnits(scenario, {});
    const struct {
        uint8_t Address;
        double Volts;
    } expected[] = {{1, 120}, {2, 100}, {3, 230}};
    for (const auto& row : expected) {
        const TSimUnit& unit = units.at(row.Address);
        EXPECT_EQ(HoldingValue(unit, 40005), row.Volts) << int(row.Address);
        for (int phase = 0; phase < 3; ++phase) {
            EXPECT_EQ(unit.Measure.InputVolt[phase], row.Volts) << int(row.Address);
            EXPECT_EQ(unit.Measure.OutputVolt[phase], row.Volts) << int(row.Address);
        }
    }
    TScenarioPlayer player(scenario.Events);
    (void)player.Advance(units, 30);
    EXPECT_EQ(units.at(1).Measure.InputVolt[0], 0);
    (void)player.Advance(units, 60);
    TickUnit(units.at(1), 600); // drift settles near the nominal voltage
    EXPECT_NEAR(units.at(1).Measure.InputVolt[0], 120, 5);
}
