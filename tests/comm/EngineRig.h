#pragma once
// A poll engine over a real pseudo-terminal, with its event and data logs in
// a temporary folder: the slave side is the serial port, the master side
// plays the bus. The test delivers the port's notices itself.

#include "comm/PollEngine.h"
#include "comm/SPComm.h"
#include "logging/UDataLogClass.h"
#include "logging/uEventLogClass.h"
#include "tests/comm/PtyHarness.h"
#include "tests/support/TempFolder.h"

struct TEngineRig {
    TTempFolder Folder;
    TPtyPair Pty;
    TQueueSink Sink;
    TComm Comm{Sink};
    TEventLog Events{Folder.Path() + "Record/", EventLogFileName, Folder.Path() + "Backup/"};
    TDataLog DataLog{Folder.Path() + "Record/"};
    TPollEngine Engine{Comm, Events, DataLog};
};
