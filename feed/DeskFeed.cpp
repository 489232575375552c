#include "feed/DeskFeed.h"

#include "comm/PollEngine.h"
#include "logging/uEventLogClass.h"
#include "status/StatusCodes.h"

TDeskFeed::TDeskFeed(TPollEngine& engine, TEventLog& eventLog)
    : FEngine(engine), FEventLog(eventLog) {
    Snapshots.Publish(TakeRecordSnapshot(engine));
    FEngine.RecordsChanged = [this] { PublishSnapshot(); };
    FEventLog.Appended = [this](const TEventRec& event) {
        // A lost port is tried again until it opens; one the user closed is
        // not, so the engine's retry countdown tells the two apart.
        const bool portEvent = event.Kind == EventKindProgram && event.Address == 0;
        Events.Publish(event,
                       portEvent && event.Code == EventCommLost && FEngine.ReopenCountdown == 0);
        // The port opened or closed (also by the user, with no reply to
        // follow): readers see the port's state with the event.
        if (portEvent)
            PublishSnapshot();
    };
}

// Only the engine's thread publishes, so the current snapshot is the one
// this feed published last.
void TDeskFeed::PublishSnapshot() {
    Snapshots.Publish(TakeRecordSnapshot(FEngine, Snapshots.Current().get()));
}

TDeskFeed::~TDeskFeed() {
    FEngine.RecordsChanged = nullptr;
    FEventLog.Appended = nullptr;
}
