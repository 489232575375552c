#include "feed/RecordSnapshot.h"

#include "comm/PollEngine.h"
#include "record/EquipList.h"

TRecordSnapshot TakeRecordSnapshot(const TPollEngine& engine) {
    TRecordSnapshot snapshot;
    snapshot.Units.reserve(EquipList.Count);
    for (int pos = 1; pos <= EquipList.Count; ++pos) {
        const TEquipItem& item = EquipList.At(pos);
        const TUpsInfoRec* rec = RecordOf(item.Address);
        if (!rec)
            continue; // a damaged list names an address beyond the table
        snapshot.Units.push_back(
            {item.Address, ShownEquipName(item.Name), *rec, BusHealth.Units[item.Address]});
    }
    snapshot.LastCycleMs = BusHealth.LastCycleMs;
    snapshot.CycleCount = BusHealth.CycleCount;
    snapshot.PortOpen = engine.IsCommOpen();
    return snapshot;
}
