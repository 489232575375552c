#include "feed/DeskFeed.h"

#include "comm/PollEngine.h"
#include "logging/uEventLogClass.h"

TDeskFeed::TDeskFeed(TPollEngine& engine, TEventLog& eventLog)
    : FEngine(engine), FEventLog(eventLog) {
    Snapshots.Publish(TakeRecordSnapshot(engine));
    FEngine.RecordsChanged = [this] { Snapshots.Publish(TakeRecordSnapshot(FEngine)); };
    FEventLog.Appended = [this](const TEventRec& event) {
        Events.Publish(event);
        // The port opened or closed (also by the user, with no reply to
        // follow): readers see the port's state with the event.
        if (event.Kind == EventKindProgram && event.Address == 0)
            Snapshots.Publish(TakeRecordSnapshot(FEngine));
    };
}

TDeskFeed::~TDeskFeed() {
    FEngine.RecordsChanged = nullptr;
    FEventLog.Appended = nullptr;
}
