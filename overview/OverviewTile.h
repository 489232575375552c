#pragma once
// One tile of the overview: what an operator reads of a listed unit at a
// glance, taken from its record and bus health on the thread that owns them.
// The texts are UTF-8 in the language asked for.

#include "status/UnitCondition.h"

#include <cstdint>
#include <string>
#include <vector>

struct TEquipItem;
struct TUnitHealth;

struct TOverviewTile {
    uint8_t Address = 0;
    std::string Name; // as the device tree shows it
    TUnitCondition Condition = TUnitCondition::NotCommunicating;
    // Figures are shown only for a unit that answers and has been read since
    // the port opened; a silent unit's last values would mislead.
    bool HasReading = false;
    double LoadPct = 0;       // the most loaded output phase
    int32_t BattCapacity = 0; // %
    double InputVolt = 0;     // phase A
    double OutputVolt = 0;    // phase A
    int64_t LastGoodAt = -1;  // clock time of the last good reply, -1 = none

    bool operator==(const TOverviewTile&) const = default;
};

[[nodiscard]] TOverviewTile TileOf(const TEquipItem& item, const TUpsInfoRec& rec,
                                   const TUnitHealth& health);
// A tile for every unit of the device list, in list order, from EquipList,
// UpsTable and BusHealth: on the thread that owns them only.
[[nodiscard]] std::vector<TOverviewTile> CollectTiles();

[[nodiscard]] inline bool NeedsAttention(const TOverviewTile& tile) {
    return tile.Condition != TUnitCondition::Normal;
}

enum class TOverviewOrder : uint8_t {
    Address,
    Name,  // case-blind for Latin letters, then by address
    State, // worst condition first, then by address
};

// Keeps only the units that need attention when asked, then sorts.
void ArrangeTiles(std::vector<TOverviewTile>& tiles, TOverviewOrder order, bool attentionOnly);

// "<name>, address <n>, <condition>" / "<name>，地址 <n>，<condition>".
[[nodiscard]] std::string TileAccessibleName(const TOverviewTile& tile, uint8_t language);
// Time since the last good reply, coarse enough that a tile is not redrawn
// at every refresh: under ten seconds, then tens of seconds, minutes, hours,
// days; none before the first. Its text changes exactly when the step does.
struct TSinceStep {
    enum TUnit : uint8_t { None, UnderTen, TensOfSeconds, Minutes, Hours, Days } Unit = None;
    int64_t Count = 0; // seconds (whole tens), minutes, hours or days

    bool operator==(const TSinceStep&) const = default;
};
[[nodiscard]] TSinceStep TileSinceStep(const TOverviewTile& tile, int64_t now);
// "< 10 s", "40 s", "4 min", "3 h", "2 d"; the "none" text before the first.
[[nodiscard]] std::string TileSinceText(const TOverviewTile& tile, int64_t now, uint8_t language);
