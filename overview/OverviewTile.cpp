#include "overview/OverviewTile.h"

#include "comm/BusHealth.h"
#include "comm/BusHealthText.h"
#include "record/EquipList.h"

#include <algorithm>
#include <cctype>

namespace {

bool NameBefore(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(
        a.begin(), a.end(), b.begin(), b.end(),
        [](unsigned char x, unsigned char y) { return std::tolower(x) < std::tolower(y); });
}

} // namespace

TOverviewTile TileOf(const TEquipItem& item, const TUpsInfoRec& rec, const TUnitHealth& health) {
    TOverviewTile tile;
    tile.Address = item.Address;
    tile.Name = ShownEquipName(item.Name);
    tile.Condition = UnitConditionOf(rec);
    tile.HasReading = rec.CommState != CommLost && rec.DataValid != 0;
    if (tile.HasReading) {
        tile.LoadPct = std::max({rec.LoadPctA, rec.LoadPctB, rec.LoadPctC});
        tile.BattCapacity = rec.BattCapacity;
        tile.InputVolt = rec.InputVoltA;
        tile.OutputVolt = rec.OutputVoltA;
    }
    tile.LastGoodAt = health.LastGoodAt;
    return tile;
}

std::vector<TOverviewTile> CollectTiles() {
    std::vector<TOverviewTile> tiles;
    tiles.reserve(EquipList.Count);
    for (int pos = 1; pos <= EquipList.Count; ++pos) {
        const TEquipItem& item = EquipList.At(pos);
        const TUpsInfoRec* rec = RecordOf(item.Address);
        if (rec != nullptr)
            tiles.push_back(TileOf(item, *rec, BusHealth.Units[item.Address]));
    }
    return tiles;
}

void ArrangeTiles(std::vector<TOverviewTile>& tiles, TOverviewOrder order, bool attentionOnly) {
    if (attentionOnly)
        std::erase_if(tiles, [](const TOverviewTile& t) { return !NeedsAttention(t); });
    const auto byAddress = [](const TOverviewTile& a, const TOverviewTile& b) {
        return a.Address < b.Address;
    };
    switch (order) {
    case TOverviewOrder::Address:
        std::stable_sort(tiles.begin(), tiles.end(), byAddress);
        break;
    case TOverviewOrder::Name:
        std::stable_sort(tiles.begin(), tiles.end(), [&](const auto& a, const auto& b) {
            if (NameBefore(a.Name, b.Name) || NameBefore(b.Name, a.Name))
                return NameBefore(a.Name, b.Name);
            return byAddress(a, b);
        });
        break;
    case TOverviewOrder::State:
        std::stable_sort(tiles.begin(), tiles.end(), [&](const auto& a, const auto& b) {
            if (a.Condition != b.Condition)
                return a.Condition > b.Condition;
            return byAddress(a, b);
        });
        break;
    }
}

std::string TileAccessibleName(const TOverviewTile& tile, uint8_t language) {
    const std::string condition = PickText(UnitConditionText(tile.Condition), language);
    const std::string address = std::to_string(tile.Address);
    if (language == 1)
        return tile.Name + "，地址 " + address + "，" + condition;
    return tile.Name + ", address " + address + ", " + condition;
}

TSinceStep TileSinceStep(const TOverviewTile& tile, int64_t now) {
    if (tile.LastGoodAt < 0)
        return {};
    const int64_t s = std::max<int64_t>(0, now - tile.LastGoodAt) / 1000;
    if (s < 10)
        return {TSinceStep::UnderTen, 0};
    if (s < 60)
        return {TSinceStep::TensOfSeconds, s / 10 * 10};
    if (s < 3600)
        return {TSinceStep::Minutes, s / 60};
    if (s < 86400)
        return {TSinceStep::Hours, s / 3600};
    return {TSinceStep::Days, s / 86400};
}

std::string TileSinceText(const TOverviewTile& tile, int64_t now, uint8_t language) {
    const TSinceStep step = TileSinceStep(tile, now);
    const std::string count = std::to_string(step.Count);
    const bool zh = language == 1;
    switch (step.Unit) {
    case TSinceStep::None:
        return PickText(HealthNoneText, language);
    case TSinceStep::UnderTen:
        return "< 10 s";
    case TSinceStep::TensOfSeconds:
        return count + " s";
    case TSinceStep::Minutes:
        return count + (zh ? " 分钟" : " min");
    case TSinceStep::Hours:
        return count + (zh ? " 小时" : " h");
    case TSinceStep::Days:
        return count + (zh ? " 天" : " d");
    }
    return {};
}
