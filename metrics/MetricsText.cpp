#include "metrics/MetricsText.h"

#include "status/StatusCodes.h"

#include <array>
#include <charconv>
#include <utility>

namespace {

// The state-set of pelmora_state: one series per state code.
constexpr std::array<std::pair<int32_t, const char*>, 11> StateNames{{
    {StateStandby, "standby"},
    {StateNoOutput, "no_output"},
    {StateBypass, "bypass"},
    {StateOnline, "online"},
    {StateBattery, "on_battery"},
    {StateBattSelfTest, "battery_self_test"},
    {StateInvSoftStart, "inverter_soft_start"},
    {StateEco, "eco"},
    {StateEpo, "emergency_power_off"},
    {StateMaintBypass, "maintenance_bypass"},
    {StateFault, "fault"},
}};

constexpr std::array<const char*, RejectLetterCount + 1> RejectLetters{"A", "B", "C",    "D",
                                                                       "E", "F", "other"};

// Length of the UTF-8 sequence starting at s[at], 0 when it is not one.
std::size_t Utf8Length(std::string_view s, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char lead = byte(at);
    std::size_t length = lead < 0x80                   ? 1
                         : lead >= 0xC2 && lead < 0xE0 ? 2
                         : lead >= 0xE0 && lead < 0xF0 ? 3
                         : lead >= 0xF0 && lead < 0xF5 ? 4
                                                       : 0;
    if (length == 0 || at + length > s.size())
        return 0;
    for (std::size_t i = 1; i < length; ++i)
        if ((byte(at + i) & 0xC0) != 0x80)
            return 0;
    return length;
}

class TWriter {
public:
    explicit TWriter(std::string& out) : FOut(out) {}

    void Family(const char* name, const char* type, const char* help) {
        FOut += "# HELP ";
        FOut += name;
        FOut += ' ';
        FOut += help;
        FOut += "\n# TYPE ";
        FOut += name;
        FOut += ' ';
        FOut += type;
        FOut += '\n';
    }
    // The unit's labels are made once per unit and reused by its series.
    void Sample(const char* name, const std::string& labels, double value) {
        FOut += name;
        if (!labels.empty()) {
            FOut += '{';
            FOut += labels;
            FOut += '}';
        }
        // Shortest text that reads back as the same double; no locale.
        char number[40];
        number[0] = ' ';
        char* end = std::to_chars(number + 1, number + sizeof number - 1, value).ptr;
        *end++ = '\n';
        FOut.append(number, std::size_t(end - number));
    }

private:
    std::string& FOut;
};

std::string UnitLabels(const TUnitSnapshot& unit) {
    return "address=\"" + std::to_string(unit.Address) + "\",name=\"" +
           EscapeLabelValue(unit.Name) + "\"";
}

std::string With(const std::string& labels, const char* key, const char* value) {
    return labels + "," + key + "=\"" + value + "\"";
}

bool Communicating(const TUnitSnapshot& unit) {
    return unit.Record.CommState == CommCommunicating;
}

} // namespace

std::string EscapeLabelValue(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (std::size_t at = 0; at < value.size();) {
        const char c = value[at];
        if (c == '\\' || c == '"') {
            out += '\\';
            out += c;
            ++at;
        } else if (c == '\n') {
            out += "\\n";
            ++at;
        } else if (const std::size_t length = Utf8Length(value, at)) {
            out.append(value.substr(at, length));
            at += length;
        } else {
            out += "\xEF\xBF\xBD"; // U+FFFD for a byte that is no UTF-8
            ++at;
        }
    }
    return out;
}

std::string MetricsText(const TRecordSnapshot& snapshot, std::string_view version) {
    std::string out;
    out.reserve(1024 + snapshot.Units.size() * 2600);
    TWriter w(out);
    std::vector<std::string> labels;
    labels.reserve(snapshot.Units.size());
    for (const TUnitSnapshot& unit : snapshot.Units)
        labels.push_back(UnitLabels(unit));

    w.Family("pelmora_build_info", "gauge", "The program's version.");
    w.Sample("pelmora_build_info", "version=\"" + EscapeLabelValue(version) + "\"", 1);
    w.Family("pelmora_port_open", "gauge", "1 while the serial port is open.");
    w.Sample("pelmora_port_open", "", snapshot.PortOpen ? 1 : 0);
    if (snapshot.LastCycleMs >= 0) {
        w.Family("pelmora_bus_cycle_seconds", "gauge",
                 "Length of the last full poll cycle over the device list.");
        w.Sample("pelmora_bus_cycle_seconds", "", double(snapshot.LastCycleMs) / 1000);
    }
    w.Family("pelmora_bus_cycles_total", "counter", "Full poll cycles over the device list.");
    w.Sample("pelmora_bus_cycles_total", "", snapshot.CycleCount);

    const auto perUnit = [&](const char* name, const char* type, const char* help, bool liveOnly,
                             auto&& sample) {
        w.Family(name, type, help);
        for (std::size_t i = 0; i < snapshot.Units.size(); ++i)
            if (!liveOnly || Communicating(snapshot.Units[i]))
                sample(snapshot.Units[i], labels[i]);
    };
    const auto phases = [&](const char* name, const std::string& l, double a, double b, double c) {
        w.Sample(name, With(l, "phase", "a"), a);
        w.Sample(name, With(l, "phase", "b"), b);
        w.Sample(name, With(l, "phase", "c"), c);
    };

    perUnit("pelmora_up", "gauge", "1 while the unit communicates, 0 when not.", false,
            [&](const TUnitSnapshot& u, const std::string& l) {
                w.Sample("pelmora_up", l, Communicating(u) ? 1 : 0);
            });
    perUnit("pelmora_input_voltage_volts", "gauge", "Input voltage by phase.", true,
            [&](const TUnitSnapshot& u, const std::string& l) {
                const TUpsInfoRec& r = u.Record;
                phases("pelmora_input_voltage_volts", l, r.InputVoltA, r.InputVoltB, r.InputVoltC);
            });
    perUnit("pelmora_output_voltage_volts", "gauge", "Output voltage by phase.", true,
            [&](const TUnitSnapshot& u, const std::string& l) {
                const TUpsInfoRec& r = u.Record;
                phases("pelmora_output_voltage_volts", l, r.OutputVoltA, r.OutputVoltB,
                       r.OutputVoltC);
            });
    perUnit("pelmora_load_ratio", "gauge", "Output load by phase, 1 = full load.", true,
            [&](const TUnitSnapshot& u, const std::string& l) {
                const TUpsInfoRec& r = u.Record;
                phases("pelmora_load_ratio", l, r.LoadPctA / 100, r.LoadPctB / 100,
                       r.LoadPctC / 100);
            });
    perUnit("pelmora_output_frequency_hertz", "gauge", "Output frequency.", true,
            [&](const TUnitSnapshot& u, const std::string& l) {
                w.Sample("pelmora_output_frequency_hertz", l, u.Record.OutputFreq);
            });
    perUnit("pelmora_dc_voltage_volts", "gauge", "DC bus voltage.", true,
            [&](const TUnitSnapshot& u, const std::string& l) {
                w.Sample("pelmora_dc_voltage_volts", l, u.Record.DcInputVolt);
            });
    perUnit("pelmora_battery_voltage_volts", "gauge", "Battery voltage.", true,
            [&](const TUnitSnapshot& u, const std::string& l) {
                w.Sample("pelmora_battery_voltage_volts", l,
                         u.Record.BattVolt1 + u.Record.BattVolt2);
            });
    perUnit("pelmora_battery_charge_ratio", "gauge", "Battery charge, 1 = full.", true,
            [&](const TUnitSnapshot& u, const std::string& l) {
                w.Sample("pelmora_battery_charge_ratio", l, u.Record.BattCapacity / 100.0);
            });
    perUnit("pelmora_battery_support_time_seconds", "gauge",
            "Time the battery can still carry the load.", true,
            [&](const TUnitSnapshot& u, const std::string& l) {
                w.Sample("pelmora_battery_support_time_seconds", l,
                         u.Record.BattSupportTime * 60.0);
            });
    perUnit("pelmora_state", "gauge", "The unit's state: 1 for the state it is in.", true,
            [&](const TUnitSnapshot& u, const std::string& l) {
                for (const auto& [code, state] : StateNames)
                    w.Sample("pelmora_state", With(l, "state", state),
                             u.Record.UpsState == code ? 1 : 0);
            });
    perUnit("pelmora_requests_total", "counter", "Requests sent to the unit.", false,
            [&](const TUnitSnapshot& u, const std::string& l) {
                w.Sample("pelmora_requests_total", l, u.Health.Requests);
            });
    perUnit("pelmora_good_replies_total", "counter", "Replies the codec accepted.", false,
            [&](const TUnitSnapshot& u, const std::string& l) {
                w.Sample("pelmora_good_replies_total", l, u.Health.GoodReplies);
            });
    perUnit("pelmora_rejected_replies_total", "counter",
            "Replies the codec rejected, by its letter.", false,
            [&](const TUnitSnapshot& u, const std::string& l) {
                for (std::size_t i = 0; i < RejectLetters.size(); ++i)
                    w.Sample("pelmora_rejected_replies_total", With(l, "letter", RejectLetters[i]),
                             u.Health.Rejects[i]);
            });
    perUnit("pelmora_reply_time_seconds", "gauge", "Time the unit took for its last reply.", false,
            [&](const TUnitSnapshot& u, const std::string& l) {
                if (u.Health.LastReplyMs >= 0)
                    w.Sample("pelmora_reply_time_seconds", l, double(u.Health.LastReplyMs) / 1000);
            });
    return out;
}
