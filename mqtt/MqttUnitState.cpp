#include "mqtt/MqttUnitState.h"

#include "mqtt/MqttJson.h"
#include "status/StatusCodes.h"
#include "status/StatusTexts.h"

#include <utility>

namespace {

constexpr uint8_t English = 0;

constexpr std::array<std::pair<int32_t, std::string_view>, 11> StateNames{{
    {StateStandby, "standby"},
    {StateNoOutput, "no output"},
    {StateBypass, "bypass"},
    {StateOnline, "online"},
    {StateBattery, "on battery"},
    {StateBattSelfTest, "battery self test"},
    {StateInvSoftStart, "inverter soft start"},
    {StateEco, "eco"},
    {StateEpo, "emergency power off"},
    {StateMaintBypass, "maintenance bypass"},
    {StateFault, "fault"},
}};

// A unit reports its alarms only while it communicates; an emptied list of a
// silent unit shows none.
int AlarmCountOf(const TUpsInfoRec& rec) {
    return rec.AlarmsReported ? rec.AlarmCount : 0;
}

bool Communicating(const TUpsInfoRec& rec) {
    return rec.CommState == CommCommunicating;
}

} // namespace

const std::array<TMqttMeasure, MqttMeasureCount>& MqttMeasures() {
    static constexpr std::array<TMqttMeasure, MqttMeasureCount> Measures{{
        {"input_voltage_a", "Input voltage A", "V", "voltage",
         [](const TUpsInfoRec& r) { return r.InputVoltA; }},
        {"input_voltage_b", "Input voltage B", "V", "voltage",
         [](const TUpsInfoRec& r) { return r.InputVoltB; }},
        {"input_voltage_c", "Input voltage C", "V", "voltage",
         [](const TUpsInfoRec& r) { return r.InputVoltC; }},
        {"output_voltage_a", "Output voltage A", "V", "voltage",
         [](const TUpsInfoRec& r) { return r.OutputVoltA; }},
        {"output_voltage_b", "Output voltage B", "V", "voltage",
         [](const TUpsInfoRec& r) { return r.OutputVoltB; }},
        {"output_voltage_c", "Output voltage C", "V", "voltage",
         [](const TUpsInfoRec& r) { return r.OutputVoltC; }},
        {"load_a", "Load A", "%", nullptr, [](const TUpsInfoRec& r) { return r.LoadPctA; }},
        {"load_b", "Load B", "%", nullptr, [](const TUpsInfoRec& r) { return r.LoadPctB; }},
        {"load_c", "Load C", "%", nullptr, [](const TUpsInfoRec& r) { return r.LoadPctC; }},
        {"output_frequency", "Output frequency", "Hz", "frequency",
         [](const TUpsInfoRec& r) { return r.OutputFreq; }},
        {"dc_bus_voltage", "DC bus voltage", "V", "voltage",
         [](const TUpsInfoRec& r) { return r.DcInputVolt; }},
        {"battery_voltage", "Battery voltage", "V", "voltage",
         [](const TUpsInfoRec& r) { return r.BattVolt1 + r.BattVolt2; }},
        {"battery_charge", "Battery charge", "%", "battery",
         [](const TUpsInfoRec& r) { return double(r.BattCapacity); }},
        {"battery_runtime", "Battery runtime", "min", "duration",
         [](const TUpsInfoRec& r) { return double(r.BattSupportTime); }},
        {"charge_current", "Charge current", "A", "current",
         [](const TUpsInfoRec& r) { return r.ChargeCur; }},
        {"discharge_current", "Discharge current", "A", "current",
         [](const TUpsInfoRec& r) { return r.DischargeCur; }},
    }};
    return Measures;
}

std::string_view MqttStateName(int32_t upsState) {
    for (const auto& [code, name] : StateNames)
        if (code == upsState)
            return name;
    return "unknown";
}

std::string_view MqttCommName(uint8_t commState) {
    switch (commState) {
    case CommCommunicating:
        return "communicating";
    case CommError:
        return "error";
    default:
        return "lost";
    }
}

bool MqttUnitAvailable(const TUpsInfoRec& rec) {
    return rec.CommState != CommLost;
}

std::string UnitStateJson(const TUnitSnapshot& unit, std::string_view model) {
    const TUpsInfoRec& rec = unit.Record;
    std::string out;
    out.reserve(1200);
    out += "{\"address\":";
    out += std::to_string(unit.Address);
    out += ",\"name\":";
    AppendJsonString(out, unit.Name);
    out += ",\"model\":";
    AppendJsonString(out, model);
    out += ",\"communication\":\"";
    out += MqttCommName(rec.CommState);
    out += '"';
    if (Communicating(rec)) {
        out += ",\"state\":\"";
        out += MqttStateName(rec.UpsState);
        out += "\",\"on_battery\":";
        out += rec.UpsState == StateBattery ? "true" : "false";
        out += ",\"alarm\":";
        out += AlarmCountOf(rec) > 0 ? "true" : "false";
        out += ",\"alarms\":[";
        for (int i = 0; i < AlarmCountOf(rec); ++i) {
            if (i > 0)
                out += ',';
            const int32_t code = rec.AlarmCodes[std::size_t(i)];
            const std::string text = AlarmText(code, English);
            AppendJsonString(out, text.empty() ? "alarm " + std::to_string(code) : text);
        }
        out += ']';
        for (const TMqttMeasure& m : MqttMeasures()) {
            out += ",\"";
            out += m.Key;
            out += "\":{\"value\":";
            AppendJsonNumber(out, m.Read(rec));
            out += ",\"unit\":\"";
            out += m.Unit;
            out += "\"}";
        }
    }
    out += '}';
    return out;
}

TUnitStateView UnitStateViewOf(const TUpsInfoRec& rec) {
    TUnitStateView view;
    view.Comm = rec.CommState;
    if (!Communicating(rec))
        return view;
    for (std::size_t i = 0; i < MqttMeasureCount; ++i)
        view.Values[i] = MqttMeasures()[i].Read(rec);
    view.State = rec.UpsState;
    view.AlarmCount = uint8_t(AlarmCountOf(rec));
    for (int i = 0; i < view.AlarmCount; ++i)
        view.Alarms[std::size_t(i)] = rec.AlarmCodes[std::size_t(i)];
    return view;
}
