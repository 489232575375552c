#include "feed/RecordSnapshot.h"

#include "comm/PollEngine.h"
#include "record/EquipList.h"

#include <cstring>
#include <type_traits>

namespace {

// Byte for byte: a value that compares equal but is stored otherwise (a
// negative zero, say) is taken as changed, which only costs a copy.
template <typename T> bool SameBytes(const T& a, const T& b) {
    static_assert(std::is_trivially_copyable_v<T>);
    return std::memcmp(&a, &b, sizeof(T)) == 0;
}

bool Unchanged(const TUnitSnapshot& before, const TEquipItem& item, const std::string& name,
               const TUpsInfoRec& rec, const TUnitHealth& health) {
    return before.Address == item.Address && before.Name == name &&
           SameBytes(before.Record, rec) && SameBytes(before.Health, health);
}

} // namespace

TRecordSnapshot TakeRecordSnapshot(const TPollEngine& engine, const TRecordSnapshot* previous) {
    TRecordSnapshot snapshot;
    snapshot.Units.reserve(EquipList.Count);
    for (int pos = 1; pos <= EquipList.Count; ++pos) {
        const TEquipItem& item = EquipList.At(pos);
        const TUpsInfoRec* rec = RecordOf(item.Address);
        if (!rec)
            continue; // a damaged list names an address beyond the table
        const TUnitHealth& health = BusHealth.Units[item.Address];
        std::string name = ShownEquipName(item.Name);
        const std::size_t at = snapshot.Units.size();
        if (previous && at < previous->Units.size() &&
            Unchanged(previous->Units[at], item, name, *rec, health))
            snapshot.Units.PushShared(previous->Units, at);
        else
            snapshot.Units.push_back({item.Address, std::move(name), *rec, health});
    }
    snapshot.LastCycleMs = BusHealth.LastCycleMs;
    snapshot.CycleCount = BusHealth.CycleCount;
    snapshot.PortOpen = engine.IsCommOpen();
    return snapshot;
}
