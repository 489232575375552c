#pragma once
// Change detection run after every good reply: writes a state event when the
// device's state changed and an alarm event for every alarm raised or cleared
// since the last comparison. Its memory lives in the record (LoggedState,
// LoggedAlarmCodes/LoggedAlarmCount). Address 0 is never a device and logs
// nothing.

#include "record/DeviceEventSink.h"
#include "record/UpsInfoRec.h"

// State logging is armed once a status reply was decoded (DataValid = 1) or
// the device gave more than five good replies (which then sets DataValid).
// LoggedState is updated before the event is written, even if the write fails.
void LogStateChange(TUpsInfoRec& rec, TDeviceEventSink& sink);

// Raised alarms first (in AlarmCodes order), then cleared ones (in
// LoggedAlarmCodes order); then the current list becomes the logged list.
void LogAlarmChanges(TUpsInfoRec& rec, TDeviceEventSink& sink);
