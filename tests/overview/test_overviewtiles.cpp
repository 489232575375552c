// The overview's tiles: what a unit's record makes of its tile, the
// attention filter and the three orders, and the texts a screen reader and
// the tile read.

#include "comm/BusHealth.h"
#include "overview/OverviewTile.h"
#include "record/EquipList.h"
#include "status/StatusCodes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TOverviewTile Tile(uint8_t address, std::string name, TUnitCondition condition) {
    TOverviewTile tile;
    tile.Address = address;
    tile.Name = std::move(name);
    tile.Condition = condition;
    return tile;
}

std::vector<int> Addresses(const std::vector<TOverviewTile>& tiles) {
    std::vector<int> out;
    for (const TOverviewTile& tile : tiles)
        out.push_back(tile.Address);
    return out;
}

const std::vector<TOverviewTile> Bus = {
    Tile(9, "ups-b", TUnitCondition::Normal),
    Tile(2, "UPS-C", TUnitCondition::OnBattery),
    Tile(30, "Ups-a", TUnitCondition::NotCommunicating),
    Tile(4, "ups-b", TUnitCondition::Alarm),
    Tile(7, "UPS-D", TUnitCondition::Fault),
    Tile(5, "ups-e", TUnitCondition::Normal),
};

TEST(ArrangeTiles, OrdersAndFilter) {
    struct Case {
        TOverviewOrder order;
        bool attentionOnly;
        std::vector<int> expected;
    };
    const Case cases[] = {
        {TOverviewOrder::Address, false, {2, 4, 5, 7, 9, 30}},
        // Latin letters compare without case; equal names by address.
        {TOverviewOrder::Name, false, {30, 4, 9, 2, 7, 5}},
        // Worst first: fault, silent, on battery, alarm, then the normal ones.
        {TOverviewOrder::State, false, {7, 30, 2, 4, 5, 9}},
        {TOverviewOrder::Address, true, {2, 4, 7, 30}},
        {TOverviewOrder::State, true, {7, 30, 2, 4}},
    };
    for (const Case& c : cases) {
        std::vector<TOverviewTile> tiles = Bus;
        ArrangeTiles(tiles, c.order, c.attentionOnly);
        EXPECT_EQ(Addresses(tiles), c.expected) << int(c.order) << " " << c.attentionOnly;
    }
}

TEST(TileOf, FiguresOnlyFromAUnitThatAnswers) {
    TEquipItem item(0, 12, "UPS 12\r\r");
    TUpsInfoRec rec;
    rec.CommState = CommCommunicating;
    rec.DataValid = 1;
    rec.UpsState = StateBattery;
    rec.LoadPctA = 30;
    rec.LoadPctB = 71.5;
    rec.LoadPctC = 40;
    rec.BattCapacity = 64;
    rec.InputVoltA = 0;
    rec.OutputVoltA = 219.6;
    TUnitHealth health;
    health.LastGoodAt = 5000;

    const TOverviewTile live = TileOf(item, rec, health);
    EXPECT_EQ(live.Name, "UPS 12");
    EXPECT_EQ(live.Condition, TUnitCondition::OnBattery);
    EXPECT_TRUE(live.HasReading);
    EXPECT_EQ(live.LoadPct, 71.5); // the most loaded phase
    EXPECT_EQ(live.BattCapacity, 64);
    EXPECT_EQ(live.OutputVolt, 219.6);
    EXPECT_EQ(live.LastGoodAt, 5000);

    rec.CommState = CommLost;
    const TOverviewTile silent = TileOf(item, rec, health);
    EXPECT_EQ(silent.Condition, TUnitCondition::NotCommunicating);
    EXPECT_FALSE(silent.HasReading);
    EXPECT_EQ(silent.LoadPct, 0);
    EXPECT_EQ(silent.LastGoodAt, 5000); // how long ago it last answered stays known

    // Answering again, but not read since the port opened.
    rec.CommState = CommCommunicating;
    rec.DataValid = 0;
    EXPECT_FALSE(TileOf(item, rec, health).HasReading);
}

TEST(CollectTiles, EveryListedUnitInListOrder) {
    EquipList = TEquipList{};
    ASSERT_TRUE(AppendEquip({0, 40, "forty"}));
    ASSERT_TRUE(AppendEquip({0, 3, "three"}));
    UpsTable[40] = {};
    UpsTable[40].CommState = CommCommunicating;
    UpsTable[40].UpsState = StateBypass;
    UpsTable[3] = {};
    BusHealth.Units[3].LastGoodAt = 77;
    const std::vector<TOverviewTile> tiles = CollectTiles();
    EXPECT_EQ(Addresses(tiles), (std::vector<int>{40, 3}));
    EXPECT_EQ(tiles[0].Condition, TUnitCondition::Bypass);
    EXPECT_EQ(tiles[1].Condition, TUnitCondition::NotCommunicating);
    EXPECT_EQ(tiles[1].LastGoodAt, 77);
    EquipList = TEquipList{};
    BusHealth.Reset();
}

TEST(TileTexts, AccessibleNameInEachLanguage) {
    const TOverviewTile tile = Tile(17, "East UPS", TUnitCondition::OnBattery);
    EXPECT_EQ(TileAccessibleName(tile, 0), "East UPS, address 17, On battery");
    EXPECT_EQ(TileAccessibleName(tile, 1), "East UPS，地址 17，电池供电");
}

TEST(TileTexts, SinceLastGoodReply) {
    struct Case {
        int64_t lastGoodAt, now;
        uint8_t language;
        const char* expected;
    };
    const Case cases[] = {
        {-1, 1000, 0, "none"},
        {-1, 1000, 1, "无"},
        {1000, 1999, 0, "< 10 s"},
        {1000, 10999, 0, "< 10 s"},
        {1000, 11000, 0, "10 s"},
        {1000, 60999, 0, "50 s"},
        {0, 61000, 0, "1 min"},
        {0, 3599999, 1, "59 分钟"},
        {0, 3600000, 0, "1 h"},
        {0, 90000000, 0, "1 d"},
        // A clock read just before the reply was noted is not "in the future".
        {5000, 4000, 0, "< 10 s"},
    };
    for (const Case& c : cases) {
        TOverviewTile tile;
        tile.LastGoodAt = c.lastGoodAt;
        EXPECT_EQ(TileSinceText(tile, c.now, c.language), c.expected)
            << c.lastGoodAt << " " << c.now;
    }
}

// The overview puts a tile into words again only when its step moves, so the
// text must never move within a step.
TEST(TileTexts, SinceTextMovesExactlyWithItsStep) {
    TOverviewTile tile;
    tile.LastGoodAt = 0;
    TSinceStep step = TileSinceStep(tile, 0);
    std::string text = TileSinceText(tile, 0, 1);
    for (int64_t now = 500; now < 200'000'000; now += now < 4'000'000 ? 500 : 30'000) {
        const TSinceStep nextStep = TileSinceStep(tile, now);
        const std::string nextText = TileSinceText(tile, now, 1);
        ASSERT_EQ(nextStep == step, nextText == text) << now << ": " << text << " -> " << nextText;
        step = nextStep;
        text = nextText;
    }
}

} // namespace
