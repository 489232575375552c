#pragma once
// Hooks the readers' snapshots and event stream to an engine and its event
// log: a snapshot after each reply and each ended request and with each event
// of the program or the port, every logged event into the stream. The engine's host owns one for as
// long as the engine runs.

#include "feed/EventStream.h"
#include "feed/SnapshotHub.h"

class TPollEngine;
class TEventLog;

class TDeskFeed {
public:
    // Publishes a first snapshot at once. Both must outlive the feed.
    TDeskFeed(TPollEngine& engine, TEventLog& eventLog);
    ~TDeskFeed();
    TDeskFeed(const TDeskFeed&) = delete;
    TDeskFeed& operator=(const TDeskFeed&) = delete;

    TSnapshotHub Snapshots;
    TEventStream Events;

private:
    void PublishSnapshot();

    TPollEngine& FEngine;
    TEventLog& FEventLog;
};
