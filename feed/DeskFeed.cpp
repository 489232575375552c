#include "feed/DeskFeed.h"

#include "comm/PollEngine.h"
#include "logging/uEventLogClass.h"

TDeskFeed::TDeskFeed(TPollEngine& engine, TEventLog& eventLog)
    : FEngine(engine), FEventLog(eventLog) {
    Snapshots.Publish(TakeRecordSnapshot(engine));
    FEngine.RecordsChanged = [this] { Snapshots.Publish(TakeRecordSnapshot(FEngine)); };
    FEventLog.Appended = [this](const TEventRec& event) { Events.Publish(event); };
}

TDeskFeed::~TDeskFeed() {
    FEngine.RecordsChanged = nullptr;
    FEventLog.Appended = nullptr;
}
