#pragma once
// A copy of everything a reader may want of the listed units at one moment:
// their records and bus health in device list order, and the bus cycle. Made
// on the engine's thread, then never changed, so any thread may read it.

#include "feed/UnitList.h"

#include <cstdint>

class TPollEngine;

struct TRecordSnapshot {
    TUnitList Units;          // device list order
    int64_t LastCycleMs = -1;         // last full bus cycle, -1 = none yet
    uint32_t CycleCount = 0;
    bool PortOpen = false;
    uint64_t Sequence = 0; // 1 for the first published, then counting up
};

// Reads UpsTable, EquipList and BusHealth: only on the engine's thread. A
// unit that is in previous, at the same place and exactly as it is now, is
// shared with it.
[[nodiscard]] TRecordSnapshot TakeRecordSnapshot(const TPollEngine& engine,
                                                 const TRecordSnapshot* previous = nullptr);
