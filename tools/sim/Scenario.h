#pragma once
// Scenario files: which units are on the bus and what happens to them when.
//
//   # comment (to the end of the line, outside quotes)
//   unit 1 model "UPS-A" state online        a unit and how it starts
//   unit 2 online alarm 43,51 delay 40       the word 'state' may be left out
//   at 30s unit 3 battery                    an event at scenario time 30 s
//   at 45s unit 2 alarm +7,-43               add and remove alarm codes
//   at 1.5m unit 4 silent                    stop answering (at 90s: answer)
//   at 2m unit 1 param 40005 230             set a holding register
//
// Clauses, in any order and number: model "NAME" | state STATE | STATE |
// alarm LIST | silent | answer | delay MS | param REGISTER VALUE.
// STATE: online battery bypass economy battery-test fault maintenance
// standby epo. LIST: "none", plain codes (the new set: 12,7), or signed
// codes (+7,-12). Times: 500ms, 30s, 1.5m, 1h; a bare number is seconds.
// Every unit an event names must be defined by a 'unit' line somewhere.

#include "tools/sim/SimUnit.h"

#include <cstdint>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct TAlarmOp {
    enum TKind : uint8_t { Replace, Add, Remove } Kind = Replace;
    std::set<int> Codes;
};

struct TUnitChange {
    std::optional<std::string> Model;
    std::optional<TSimState> State;
    std::vector<TAlarmOp> Alarms; // applied in order
    std::optional<bool> Silent;
    std::optional<int> DelayMs;
    std::vector<std::pair<int, uint16_t>> Params; // holding register, value
};

struct TScenarioUnit {
    uint8_t Address = 0;
    TUnitChange Setup;
    int Line = 0;
};

struct TScenarioEvent {
    double AtSeconds = 0;
    uint8_t Address = 0;
    TUnitChange Change;
    int Line = 0;
    std::string Text; // the line as written, for the log
};

struct TScenario {
    std::vector<TScenarioUnit> Units;
    std::vector<TScenarioEvent> Events; // by time; equal times in file order
};

// A line the parser cannot take; what() reads "line N: <reason>".
class TScenarioError : public std::runtime_error {
public:
    TScenarioError(int line, const std::string& reason);
    [[nodiscard]] int Line() const { return FLine; }

private:
    int FLine;
};

[[nodiscard]] TScenario ParseScenario(std::string_view text);

// Reads and parses a file; errors (also unreadable files) are thrown as
// std::runtime_error whose text starts with the file name.
[[nodiscard]] TScenario LoadScenario(const std::string& path);

// The scenario word for a state, and back.
[[nodiscard]] const char* StateName(TSimState state);
[[nodiscard]] std::optional<TSimState> StateFromName(std::string_view name);

// True for every alarm code some protocol can carry.
[[nodiscard]] bool IsKnownAlarm(int code);
