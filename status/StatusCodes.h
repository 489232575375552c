#pragma once
// The numbered vocabulary of UPS conditions. These numbers are stored in the
// device records and in the event log files, so they never change.

#include <cstdint>

// Event codes: program and communication events (event log kind 0).
constexpr int32_t EventCommLost = 18;        // port or device communication lost
constexpr int32_t EventCommError = 19;       // shown in the device tree, never logged
constexpr int32_t EventSoftwareOpen = 20;    // communication engine started
constexpr int32_t EventSoftwareClosed = 21;  // communication engine stopped
constexpr int32_t EventCommEstablished = 22; // device answered again after loss
constexpr int32_t EventCommRecovered = 23;   // serial port usable again

// State codes: the values of TUpsInfoRec::UpsState (event log kind 1).
constexpr int32_t StateNone = -1; // no state known yet
constexpr int32_t StateStandby = 1;
constexpr int32_t StateNoOutput = 2;
constexpr int32_t StateBypass = 3;
constexpr int32_t StateOnline = 4;
constexpr int32_t StateBattery = 5;
constexpr int32_t StateBattSelfTest = 6;
constexpr int32_t StateInvSoftStart = 7;
constexpr int32_t StateEco = 8;
constexpr int32_t StateEpo = 9;
constexpr int32_t StateMaintBypass = 10;
constexpr int32_t StateFault = 11;
// Never derived from a device; callers show it for a lost device or port.
constexpr int32_t StateCommLost = 18;

// Alarm codes (event log kind 2) come in two families:
//  0..71    one bit of a status word each (BuildAlarmList);
//  100..210 from the three-phase protocol's alarm reply.
// In the three-phase family alarm byte b[j] gives code 100 + j (with the
// exceptions below) and leading status byte c[k] gives code 201 + k.
constexpr int32_t AlarmThreePhaseByteBase = 100;
constexpr int32_t AlarmThreePhaseStatusBase = 201;
constexpr int32_t AlarmLbsFault = 135;          // b[35] = 0xF1
constexpr int32_t AlarmBcbDisconnected = 148;   // b[48] = 0
constexpr int32_t AlarmBcbBreak = 160;          // b[48] = 0xF1
constexpr int32_t AlarmBattUnderVoltage = 206;  // c[5] = 1
constexpr int32_t AlarmBattOverVoltage = 207;   // c[5] = 2
constexpr int32_t AlarmNoBattery = 208;         // c[5] = 0xF0
constexpr int32_t AlarmBattLowPreWarning = 209; // c[5] = 0xE1
constexpr int32_t AlarmBattReverse = 210;       // c[5] any other nonzero value
