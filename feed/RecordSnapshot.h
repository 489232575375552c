#pragma once
// A copy of everything a reader may want of the listed units at one moment:
// their records and bus health in device list order, and the bus cycle. Made
// on the engine's thread, then never changed, so any thread may read it.

#include "comm/BusHealth.h"
#include "record/UpsInfoRec.h"

#include <cstdint>
#include <string>
#include <vector>

class TPollEngine;

struct TUnitSnapshot {
    uint8_t Address = 0;
    std::string Name; // as the device tree shows it, UTF-8
    TUpsInfoRec Record;
    TUnitHealth Health;
};

struct TRecordSnapshot {
    std::vector<TUnitSnapshot> Units; // device list order
    int64_t LastCycleMs = -1;         // last full bus cycle, -1 = none yet
    uint32_t CycleCount = 0;
    bool PortOpen = false;
    uint64_t Sequence = 0; // 1 for the first published, then counting up
};

// Reads UpsTable, EquipList and BusHealth: only on the engine's thread.
[[nodiscard]] TRecordSnapshot TakeRecordSnapshot(const TPollEngine& engine);
