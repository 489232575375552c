#include "tools/sim/Scenario.h"

#include "tools/sim/StatusWords.h"
#include "tools/sim/ThreePhaseResponder.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <map>
#include <sstream>

namespace {

struct TStateNameRow {
    TSimState State;
    const char* Name;
};
constexpr TStateNameRow StateNames[] = {
    {TSimState::Online, "online"},
    {TSimState::Battery, "battery"},
    {TSimState::Bypass, "bypass"},
    {TSimState::Economy, "economy"},
    {TSimState::BatteryTest, "battery-test"},
    {TSimState::Fault, "fault"},
    {TSimState::MaintBypass, "maintenance"},
    {TSimState::Standby, "standby"},
    {TSimState::Epo, "epo"},
};

struct TTimeUnit {
    const char* Suffix;
    double Seconds;
};
constexpr TTimeUnit TimeUnits[] = {{"ms", 0.001}, {"s", 1}, {"m", 60}, {"h", 3600}, {"", 1}};

constexpr int MaxDelayMs = 5000;

struct TToken {
    std::string Text;
    bool Quoted = false;
};

// Splits a line into words and "quoted strings"; '#' outside quotes ends it.
std::vector<TToken> Tokenize(std::string_view line, int lineNo) {
    std::vector<TToken> tokens;
    std::size_t i = 0;
    while (i < line.size()) {
        const char c = line[i];
        if (c == '#') {
            break;
        }
        if (c == ' ' || c == '\t' || c == '\r') {
            ++i;
        } else if (c == '"') {
            const std::size_t end = line.find('"', i + 1);
            if (end == std::string_view::npos) {
                throw TScenarioError(lineNo, "unterminated quote");
            }
            tokens.push_back({std::string(line.substr(i + 1, end - i - 1)), true});
            i = end + 1;
        } else {
            const std::size_t end = line.find_first_of(" \t\r#\"", i);
            const std::size_t stop = end == std::string_view::npos ? line.size() : end;
            tokens.push_back({std::string(line.substr(i, stop - i)), false});
            i = stop;
        }
    }
    return tokens;
}

// Reads the clauses of one line, token by token.
class TLineReader {
public:
    TLineReader(std::vector<TToken> tokens, int lineNo)
        : FTokens(std::move(tokens)), FLine(lineNo) {}

    [[nodiscard]] bool AtEnd() const { return FPos >= FTokens.size(); }
    [[noreturn]] void Fail(const std::string& reason) const { throw TScenarioError(FLine, reason); }

    const TToken& Next(const std::string& what) {
        if (AtEnd()) {
            Fail("missing " + what);
        }
        return FTokens[FPos++];
    }

    void Expect(const std::string& word) {
        const TToken& t = Next("'" + word + "'");
        if (t.Quoted || t.Text != word) {
            Fail("expected '" + word + "', found '" + t.Text + "'");
        }
    }

    long Integer(const std::string& what, long lo, long hi) {
        const std::string& text = Next(what).Text;
        long value = 0;
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (ec != std::errc() || end != text.data() + text.size() || value < lo || value > hi) {
            Fail("bad " + what + " '" + text + "' (" + std::to_string(lo) + " to " +
                 std::to_string(hi) + ")");
        }
        return value;
    }

    uint8_t Address() { return static_cast<uint8_t>(Integer("unit address", 1, 252)); }

    double Time();
    void AlarmClause(TUnitChange& change);
    void Clause(TUnitChange& change);
    TUnitChange Clauses();

private:
    std::vector<TToken> FTokens;
    std::size_t FPos = 0;
    int FLine;
};

double TLineReader::Time() {
    const std::string text = Next("time").Text;
    for (const TTimeUnit& u : TimeUnits) {
        const std::string_view suffix = u.Suffix;
        if (!text.ends_with(suffix)) {
            continue;
        }
        const std::size_t len = text.size() - suffix.size();
        double value = 0;
        const auto [end, ec] = std::from_chars(text.data(), text.data() + len, value);
        if (len > 0 && ec == std::errc() && end == text.data() + len && value >= 0) {
            return value * u.Seconds;
        }
    }
    Fail("bad time '" + text + "' (examples: 500ms, 30s, 1.5m, 1h)");
}

// "none", plain codes (the new set) or signed codes (each added or removed,
// in order).
void TLineReader::AlarmClause(TUnitChange& change) {
    const std::string list = Next("alarm list").Text;
    if (list == "none") {
        change.Alarms.push_back({TAlarmOp::Replace, {}});
        return;
    }
    std::vector<TAlarmOp> ops;
    TAlarmOp plain{TAlarmOp::Replace, {}};
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t comma = std::min(list.find(',', start), list.size());
        std::string_view item = std::string_view(list).substr(start, comma - start);
        start = comma + 1;
        const char sign = !item.empty() && (item[0] == '+' || item[0] == '-') ? item[0] : 0;
        item.remove_prefix(sign ? 1 : 0);
        int code = -1;
        const auto [end, ec] = std::from_chars(item.data(), item.data() + item.size(), code);
        if (item.empty() || ec != std::errc() || end != item.data() + item.size() ||
            !IsKnownAlarm(code)) {
            Fail("bad alarm code '" + std::string(item) + "' in '" + list + "'");
        }
        if (sign) {
            ops.push_back({sign == '+' ? TAlarmOp::Add : TAlarmOp::Remove, {code}});
        } else {
            plain.Codes.insert(code);
        }
    }
    if (!ops.empty() && !plain.Codes.empty()) {
        Fail("alarm list mixes plain and +/- codes: '" + list + "'");
    }
    if (ops.empty()) {
        ops.push_back(std::move(plain));
    }
    change.Alarms.insert(change.Alarms.end(), ops.begin(), ops.end());
}

void TLineReader::Clause(TUnitChange& change) {
    const TToken& t = Next("clause");
    const std::string word = t.Text;
    if (t.Quoted) {
        Fail("unexpected text \"" + word + "\"");
    }
    if (word == "model") {
        change.Model = Next("model name").Text;
    } else if (word == "state") {
        const std::string name = Next("state").Text;
        change.State = StateFromName(name);
        if (!change.State) {
            Fail("unknown state '" + name + "'");
        }
    } else if (const auto state = StateFromName(word)) {
        change.State = state;
    } else if (word == "alarm") {
        AlarmClause(change);
    } else if (word == "silent" || word == "answer") {
        change.Silent = word == "silent";
    } else if (word == "delay") {
        change.DelayMs = static_cast<int>(Integer("delay in ms", 0, MaxDelayMs));
    } else if (word == "param") {
        const auto reg = static_cast<int>(Integer("holding register", HoldingFirst, HoldingLast));
        const auto value = static_cast<uint16_t>(Integer("register value", -32768, 65535));
        change.Params.emplace_back(reg, value);
    } else {
        Fail("unknown word '" + word + "'");
    }
}

TUnitChange TLineReader::Clauses() {
    TUnitChange change;
    while (!AtEnd()) {
        Clause(change);
    }
    return change;
}

// The line without its comment and surrounding blanks, for the log.
std::string Trimmed(std::string_view line) {
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        quoted = quoted != (line[i] == '"');
        if (line[i] == '#' && !quoted) {
            line = line.substr(0, i);
            break;
        }
    }
    const std::size_t first = line.find_first_not_of(" \t\r");
    const std::size_t last = line.find_last_not_of(" \t\r");
    return first == std::string_view::npos ? "" : std::string(line.substr(first, last - first + 1));
}

void ParseLine(std::string_view line, int lineNo, TScenario& scenario) {
    std::vector<TToken> tokens = Tokenize(line, lineNo);
    if (tokens.empty()) {
        return;
    }
    const TToken head = tokens.front();
    TLineReader reader(std::move(tokens), lineNo);
    (void)reader.Next("keyword");
    if (!head.Quoted && head.Text == "unit") {
        const uint8_t address = reader.Address();
        scenario.Units.push_back({address, reader.Clauses(), lineNo});
    } else if (!head.Quoted && head.Text == "at") {
        TScenarioEvent event;
        event.AtSeconds = reader.Time();
        reader.Expect("unit");
        event.Address = reader.Address();
        if (reader.AtEnd()) {
            reader.Fail("nothing happens to unit " + std::to_string(event.Address));
        }
        event.Change = reader.Clauses();
        event.Line = lineNo;
        event.Text = Trimmed(line);
        scenario.Events.push_back(std::move(event));
    } else {
        reader.Fail("expected 'unit' or 'at', found '" + head.Text + "'");
    }
}

// Each unit defined once; events only for defined units.
void CheckUnits(const TScenario& scenario) {
    std::map<uint8_t, int> defined;
    for (const TScenarioUnit& u : scenario.Units) {
        const auto [it, fresh] = defined.emplace(u.Address, u.Line);
        if (!fresh) {
            throw TScenarioError(u.Line, "unit " + std::to_string(u.Address) +
                                             " is already defined on line " +
                                             std::to_string(it->second));
        }
    }
    for (const TScenarioEvent& e : scenario.Events) {
        if (!defined.contains(e.Address)) {
            throw TScenarioError(e.Line, "unit " + std::to_string(e.Address) + " is not defined");
        }
    }
}

} // namespace

TScenarioError::TScenarioError(int line, const std::string& reason)
    : std::runtime_error("line " + std::to_string(line) + ": " + reason), FLine(line) {}

TScenario ParseScenario(std::string_view text) {
    TScenario scenario;
    int lineNo = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        ParseLine(text.substr(start, end - start), ++lineNo, scenario);
        start = end + 1;
    }
    CheckUnits(scenario);
    std::stable_sort(scenario.Events.begin(), scenario.Events.end(),
                     [](const auto& a, const auto& b) { return a.AtSeconds < b.AtSeconds; });
    return scenario;
}

TScenario LoadScenario(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        throw std::runtime_error(path + ": cannot read the scenario file");
    }
    std::ostringstream text;
    text << file.rdbuf();
    try {
        return ParseScenario(text.str());
    } catch (const TScenarioError& e) {
        throw std::runtime_error(path + ": " + e.what());
    }
}

const char* StateName(TSimState state) {
    for (const auto& row : StateNames) {
        if (row.State == state) {
            return row.Name;
        }
    }
    return "?";
}

std::optional<TSimState> StateFromName(std::string_view name) {
    for (const auto& row : StateNames) {
        if (name == row.Name) {
            return row.State;
        }
    }
    return std::nullopt;
}

bool IsKnownAlarm(int code) {
    return IsWordAlarm(code) || IsThreePhaseAlarm(code);
}
