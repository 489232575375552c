// The chart's index of a loaded month: per unit, its samples in time order,
// whatever order the grid shows them in and wherever a clock was set back;
// damaged time stamps are left out.

#include "logging/TimeStamp.h"
#include "logging/UDataLogClass.h"
#include "logviews/DataSeries.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {
struct TSample {
    uint8_t Address;
    double Minute; // of 2026-10-25
};

std::vector<uint8_t> MonthBytes(const std::vector<TSample>& samples) {
    std::vector<uint8_t> bytes;
    const double day = EncodeTimeStamp({2026, 10, 25, 0, 0, 0, 0});
    for (const TSample& s : samples) {
        TUpsInfoRec ups;
        ups.InputVoltA = s.Minute;
        const TDataRecBytes rec = EncodeDataRec(MakeDataRec(ups, s.Address, day + s.Minute / 1440));
        bytes.insert(bytes.end(), rec.begin(), rec.end());
    }
    return bytes;
}

std::vector<double> Minutes(const TDataSeries& s) {
    std::vector<double> out;
    for (std::size_t i = 0; i < s.Size(); ++i)
        out.push_back(s.Value(i));
    return out;
}
} // namespace

TEST(DataSeries, EachUnitInTimeOrder) {
    // Unit 3's clock goes back an hour at 03:00 (180 -> 120); unit 7 in order;
    // one record with a stamp that is no number.
    const double nan = std::nan("");
    const std::vector<uint8_t> bytes = MonthBytes({{3, 100},
                                                   {7, 100},
                                                   {3, 170},
                                                   {7, 170},
                                                   {3, 180},
                                                   {3, 120},
                                                   {7, nan},
                                                   {3, 130},
                                                   {3, 190},
                                                   {7, 190}});
    struct TCase {
        const char* Name;
        std::vector<uint32_t> Rows; // the grid's order; empty: file order
    };
    for (const TCase& c :
         {TCase{"file order", {}}, TCase{"sorted backwards", {9, 8, 7, 6, 5, 4, 3, 2, 1, 0}},
          TCase{"shuffled", {4, 0, 9, 2, 7, 5, 1, 8, 3, 6}}}) {
        TDataLogTable table;
        table.LoadBytes(bytes.data(), bytes.size(), TRecFilter{});
        if (!c.Rows.empty())
            table.SetRows(c.Rows);
        TJobProgress progress;
        const TDataSeriesIndex index = IndexDataSeries(table, progress);
        ASSERT_EQ(index.ByAddress.size(), 2u) << c.Name;
        EXPECT_EQ(Minutes(index.Series(table, 3, FirstChartCol)),
                  (std::vector<double>{100, 120, 130, 170, 180, 190}))
            << c.Name;
        EXPECT_EQ(Minutes(index.Series(table, 7, FirstChartCol)),
                  (std::vector<double>{100, 170, 190}))
            << c.Name;
        EXPECT_EQ(index.First, EncodeTimeStamp({2026, 10, 25, 1, 40, 0, 0})) << c.Name;
        EXPECT_EQ(index.Last, EncodeTimeStamp({2026, 10, 25, 3, 10, 0, 0})) << c.Name;
    }
}

TEST(DataSeries, ACancelledIndexIsEmpty) {
    const std::vector<uint8_t> bytes = MonthBytes({{3, 100}, {7, 100}});
    TDataLogTable table;
    table.LoadBytes(bytes.data(), bytes.size(), TRecFilter{});
    TJobProgress progress;
    progress.Cancelled = true;
    EXPECT_TRUE(IndexDataSeries(table, progress).ByAddress.empty());
}
