#pragma once
// Where the record operations and the change detection send per-device events.
// The event log store implements it; tests record the calls.

#include <cstdint>

// Selectors of the device event, as the event log store understands them.
enum : uint8_t {
    DevEvtEstablished = 2, // code 22
    DevEvtLost = 3,        // code 18
    DevEvtState = 6,       // kind 1, code = UpsState
};

class TDeviceEventSink {
public:
    virtual ~TDeviceEventSink() = default;
    virtual void LogDeviceEvent(uint8_t selector, uint8_t address) = 0;
    // Kind 2 record: raised = 1, cleared = 0.
    virtual void LogAlarmEvent(uint8_t address, int32_t alarmCode, uint8_t raised) = 0;
};
