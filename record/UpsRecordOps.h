#pragma once
// The operations that drive a record's communication counters and state.
// Called by the poll engine and the receive handler on the user-interface
// thread; every operation is constant-time and allocates nothing.

#include "record/DeviceEventSink.h"
#include "record/UpsInfoRec.h"

// Start values of all 253 records of UpsTable: Address = index, CommState 2
// (lost until the first good reply), UpsState and LoggedState -1, all else 0.
void InitTable();

// A request frame was sent (or re-sent) to rec's address: counts it, moves
// CommState to 1 after 4 and to 2 after 10 unanswered requests (logging the
// communication-lost event once), and updates SuccessRate.
void RecordNoteRequest(TUpsInfoRec& rec, TDeviceEventSink& sink);

// A block, good or bad, was received while rec's address was polled.
void RecordNoteFrame(TUpsInfoRec& rec);

// The protocol accepted a reply: clears FailCount and, for a real device
// address, counts the reply and restores communication (logging the
// communication-established event when it had been lost).
void RecordNoteGoodReply(TUpsInfoRec& rec, TDeviceEventSink& sink);

// Clears the counters, UpsState, LoggedState and DataValid of one record;
// CommState, FailCount, measurements, flags and alarm lists stay.
void ResetRecordComm(TUpsInfoRec& rec);

// ResetRecordComm for every record of UpsTable.
void ResetAllRecords();
