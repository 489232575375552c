#include "status/StatusChangeLog.h"

#include <algorithm>
#include <span>

namespace {

// A device decoded in six good replies is trusted even before a status reply.
constexpr int32_t ArmingOkCount = 5;

// The valid part of an alarm list. The count comes from the record and is
// clamped so that a damaged count never reads past the array.
std::span<const int32_t> ValidCodes(const std::array<int32_t, MaxAlarmCodes>& codes,
                                    uint8_t count) {
    return std::span<const int32_t>(codes).first(std::min<std::size_t>(count, MaxAlarmCodes));
}

bool Contains(std::span<const int32_t> codes, int32_t code) {
    return std::find(codes.begin(), codes.end(), code) != codes.end();
}

// Writes one event for every code of `from` that `other` does not hold.
void LogMissing(std::span<const int32_t> from, std::span<const int32_t> other, uint8_t address,
                uint8_t raised, TDeviceEventSink& sink) {
    for (int32_t code : from)
        if (!Contains(other, code))
            sink.LogAlarmEvent(address, code, raised);
}

} // namespace

void LogStateChange(TUpsInfoRec& rec, TDeviceEventSink& sink) {
    if (rec.Address == 0)
        return;
    if (rec.DataValid != 1 && rec.OkCount <= ArmingOkCount)
        return;
    rec.DataValid = 1;
    if (rec.UpsState == rec.LoggedState)
        return;
    rec.LoggedState = rec.UpsState;
    sink.LogDeviceEvent(DevEvtState, rec.Address);
}

void LogAlarmChanges(TUpsInfoRec& rec, TDeviceEventSink& sink) {
    if (rec.Address == 0 || !rec.AlarmsReported)
        return;
    const auto current = ValidCodes(rec.AlarmCodes, rec.AlarmCount);
    const auto logged = ValidCodes(rec.LoggedAlarmCodes, rec.LoggedAlarmCount);
    LogMissing(current, logged, rec.Address, 1, sink);
    LogMissing(logged, current, rec.Address, 0, sink);
    rec.LoggedAlarmCodes = rec.AlarmCodes;
    rec.LoggedAlarmCount = static_cast<uint8_t>(current.size());
}
