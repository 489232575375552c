#include "mqtt/MqttEvent.h"

#include "logging/EventRowText.h"
#include "logging/TimeStamp.h"
#include "mqtt/MqttJson.h"
#include "status/StatusTexts.h"

namespace {

constexpr uint8_t English = 0;
constexpr uint8_t Chinese = 1;

const char* KindName(uint8_t kind) {
    switch (kind) {
    case EventKindState:
        return "state";
    case EventKindAlarm:
        return "alarm";
    default:
        return "program";
    }
}

} // namespace

std::string EventJson(const TStreamedEvent& event, std::string_view name) {
    const TEventRec& e = event.Event;
    std::string out = "{\"sequence\":" + std::to_string(event.Sequence) + ",\"time\":";
    AppendJsonString(out, FormatTimeStamp(e.Time));
    out += ",\"kind\":\"";
    out += KindName(e.Kind);
    out += "\",\"code\":" + std::to_string(e.Code);
    if (e.Kind == EventKindAlarm)
        out += e.AlarmFlag == 1 ? ",\"alarm\":\"raised\"" : ",\"alarm\":\"cleared\"";
    out += ",\"address\":" + std::to_string(e.Address);
    if (e.Address != 0) {
        out += ",\"name\":";
        AppendJsonString(out, name);
    }
    out += ",\"text\":";
    AppendJsonString(out, EventRowText(e, English));
    out += ",\"text_zh\":";
    AppendJsonString(out, EventRowText(e, Chinese));
    out += '}';
    return out;
}
