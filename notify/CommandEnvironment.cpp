#include "notify/CommandEnvironment.h"

#include "logging/EventRowText.h"
#include "logging/TimeStamp.h"
#include "notify/AlertKinds.h"

#include <cstdio>
#include <ctime>

std::string IsoTime(double stamp) {
    const TTimeParts parts = DecodeTimeStamp(stamp);
    std::tm local{};
    local.tm_year = parts.Year - 1900;
    local.tm_mon = parts.Month - 1;
    local.tm_mday = parts.Day;
    local.tm_hour = parts.Hour;
    local.tm_min = parts.Minute;
    local.tm_sec = parts.Second;
    local.tm_isdst = -1;
    // mktime finds the offset in force at that local time.
    std::mktime(&local);
    const long offset = local.tm_gmtoff / 60;
    const long hours = (offset < 0 ? -offset : offset) / 60;
    const long minutes = (offset < 0 ? -offset : offset) % 60;
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d%c%02ld:%02ld", parts.Year,
                  parts.Month, parts.Day, parts.Hour, parts.Minute, parts.Second,
                  offset < 0 ? '-' : '+', hours, minutes);
    return text;
}

std::vector<std::string> EventVariables(const TEventRec& event, const TEventUnit& unit,
                                        bool closedByUser) {
    const TEventMeaning meaning = ReadEvent(event, closedByUser);
    const std::string raised =
        event.Kind == EventKindAlarm ? std::to_string(event.AlarmFlag == 0 ? 0 : 1) : "";
    return {
        "PELMORA_EVENT_CODE=" + std::to_string(event.Code),
        "PELMORA_EVENT_KIND=" + std::to_string(event.Kind),
        "PELMORA_ALARM_RAISED=" + raised,
        "PELMORA_EVENT_TEXT=" + EventRowText(event, 0),
        "PELMORA_EVENT_TEXT_ZH=" + EventRowText(event, 1),
        "PELMORA_ADDRESS=" + std::to_string(event.Address),
        "PELMORA_UNIT=" + unit.Name,
        "PELMORA_MODEL=" + unit.Model,
        "PELMORA_TIME=" + IsoTime(event.Time),
        std::string("PELMORA_SEVERITY=") + SeverityName(meaning.Severity),
    };
}
