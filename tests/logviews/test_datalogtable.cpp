// The data viewer's table, its sort and the CSV export.
#include "base/LittleEndian.h"
#include "logging/TimeStamp.h"
#include "logging/UDataLogClass.h"
#include "logviews/CellCompare.h"
#include "logviews/CsvExport.h"
#include "logviews/DataLogTable.h"
#include "logviews/LineBlocks.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>

namespace {
struct TSample {
    TTimeParts When;
    uint8_t Address;
    double Volt = 220.0; // every voltage
    double Load = 35.0;  // every load
    int32_t Capacity = 100;
    uint16_t Support = 45;
};

std::string Bytes(const std::vector<TSample>& samples) {
    std::string bytes;
    for (const TSample& s : samples) {
        TUpsInfoRec ups;
        ups.InputVoltA = ups.InputVoltB = ups.InputVoltC = s.Volt;
        ups.OutputVoltA = ups.OutputVoltB = ups.OutputVoltC = s.Volt;
        ups.LoadPctA = ups.LoadPctB = ups.LoadPctC = s.Load;
        ups.OutputFreq = 50.0;
        ups.DcInputVolt = 240.5;
        ups.BattCapacity = s.Capacity;
        ups.BattSupportTime = s.Support;
        const TDataRecBytes b = EncodeDataRec(MakeDataRec(ups, s.Address, EncodeTimeStamp(s.When)));
        bytes.append(b.begin(), b.end());
    }
    return bytes;
}

TDataLogTable Loaded(const std::string& bytes, TRecFilter filter = {}) {
    TDataLogTable t;
    t.LoadBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), filter);
    return t;
}

std::vector<std::string> Column(const TDataLogTable& t, int col) {
    std::vector<std::string> cells;
    for (int64_t r = 0; r < t.FilledRows(); ++r)
        cells.push_back(t.CellText(r, col));
    return cells;
}

std::string CsvLine(const TGridSource& t, int64_t row) {
    std::string line;
    t.AppendCsvLine(row, TCsvEncoding::Gbk, line);
    return line;
}

using V = std::vector<std::string>;

const std::vector<TSample> Month = {
    {{2008, 12, 5, 10, 31, 7, 0}, 3, 220.14, 35.4, 100, 45},
    {{2008, 12, 5, 10, 31, 8, 0}, 5, 219.8, 40.0, 0, 0},
    {{2008, 12, 4, 23, 59, 59, 0}, 3, 221.0, 9.6, -1, 120},
    {{2008, 12, 6, 0, 0, 0, 0}, 3, 50.05, 100.0, 7, 7},
    {{2008, 12, 5, 0, 0, 0, 0}, 12, 1000.0, 5.0, 60, 3},
};

TEST(DataLogTable, DayAndAddressFilters) {
    struct {
        const char* Name;
        TRecFilter Filter;
        V Addresses;
    } cases[] = {
        {"month", {2008, 12, 0, 0, ""}, {"3", "5", "3", "3", "12"}},
        {"month, address 3", {2008, 12, 0, 3, ""}, {"3", "3", "3"}},
        {"day 2008-12-05", {2008, 12, 5, 0, ""}, {"3", "5", "12"}},
        {"day 2008-12-05, address 3", {2008, 12, 5, 3, ""}, {"3"}},
        {"address without samples", {2008, 12, 0, 200, ""}, {}},
    };
    for (const auto& c : cases) {
        const TDataLogTable t = Loaded(Bytes(Month), c.Filter);
        EXPECT_EQ(Column(t, 1), c.Addresses) << c.Name;
        EXPECT_EQ(t.RowCount(), 19) << c.Name;
    }
}

TEST(DataLogTable, CellFormatsAndEmptyBatteryCells) {
    const TDataLogTable t = Loaded(Bytes(Month));
    EXPECT_EQ(Column(t, 0)[0], "2008-12-05 10:31:07");
    // 50.05 is a half of the last decimal: away from zero.
    EXPECT_EQ(Column(t, 2), (V{"220.1", "219.8", "221.0", "50.1", "1000.0"}));
    EXPECT_EQ(Column(t, 8), (V{"35", "40", "10", "100", "5"}));
    EXPECT_EQ(Column(t, 11)[0], "50.0");
    EXPECT_EQ(Column(t, 12)[0], "240.5");
    EXPECT_EQ(Column(t, 13), (V{"100", "", "", "7", "60"})); // 0 and -1 empty
    EXPECT_EQ(Column(t, 14), (V{"45", "", "120", "7", "3"}));
    EXPECT_EQ(t.HeaderText(14), "BattSuppTime(min)");
    EXPECT_EQ(TDataLogTable(1).HeaderText(2), "输入A相电压(V)");
}

TEST(DataLogTable, CsvLinesAsTheGridShowsThem) {
    const TDataLogTable t = Loaded(Bytes(Month));
    EXPECT_EQ(CsvLine(t, 0), "2008-12-05 10:31:07,3,220.1,220.1,220.1,220.1,220.1,220.1,35,35,35,"
                             "50.0,240.5,100,45,");
    // Capacity and backup time 0: two empty fields.
    EXPECT_EQ(CsvLine(t, 1), "2008-12-05 10:31:08,5,219.8,219.8,219.8,219.8,219.8,219.8,40,40,40,"
                             "50.0,240.5,,,");
    EXPECT_EQ(CsvLine(t, 5), std::string(15, ','));
    EXPECT_EQ(CsvLine(t, -1), "Time,Address,InV-A (V),InV-B (V),InV-C (V),OutV-A (V),OutV-B (V),"
                              "OutV-C (V),Load-A (%),Load-B (%),Load-C (%),OutFreq (Hz),DC V(V),"
                              "BattCapa (%),BattSuppTime(min),");
    TDataLogTable zh(1);
    EXPECT_EQ(CsvLine(zh, -1).substr(0, 14), "\xCA\xB1\xBC\xE4,\xC9\xE8\xB1\xB8\xB5\xD8\xD6\xB7,");
}

TEST(DataLogTable, SortsByValueStablyAndToggles) {
    TDataLogTable t = Loaded(Bytes(Month));
    TJobProgress progress;
    struct {
        int Col;
        bool Descending;
        int ShownCol;
        V Expected;
    } steps[] = {
        // Loads as numbers: 5 < 10 < 35 < 40 < 100 (as text "100" < "35").
        {8, false, 8, {"5", "10", "35", "40", "100"}},
        {8, true, 8, {"100", "40", "35", "10", "5"}},
        // Equal addresses keep the previous (load descending) order.
        {1, false, 8, {"100", "35", "10", "40", "5"}},
        {1, true, 1, {"12", "5", "3", "3", "3"}},
        {0,
         false,
         0,
         {"2008-12-04 23:59:59", "2008-12-05 00:00:00", "2008-12-05 10:31:07",
          "2008-12-05 10:31:08", "2008-12-06 00:00:00"}},
        // Empty capacity cells (0, -1) before the numbers, in time order.
        {13,
         false,
         0,
         {"2008-12-04 23:59:59", "2008-12-05 10:31:08", "2008-12-06 00:00:00",
          "2008-12-05 00:00:00", "2008-12-05 10:31:07"}},
        {2, true, 2, {"1000.0", "221.0", "220.1", "219.8", "50.1"}},
    };
    for (const auto& s : steps) {
        auto rows = t.SortedRows(s.Col, s.Descending, progress);
        ASSERT_TRUE(rows.has_value());
        t.SetRows(std::move(*rows));
        EXPECT_EQ(Column(t, s.ShownCol), s.Expected) << "column " << s.Col;
    }
}

TEST(DataLogTable, SortKeepsOddValuesInOneOrder) {
    TSample odd = Month[0];
    std::vector<TSample> samples;
    for (double v : {1e30, -1e300, std::nan(""), -0.0, 0.0, 1e-300, -5.5})
        samples.push_back({odd.When, 1, v});
    TDataLogTable t = Loaded(Bytes(samples));
    TJobProgress progress;
    t.SetRows(*t.SortedRows(2, false, progress));
    EXPECT_EQ(Column(t, 2), (V{"-1.0000E+300", "-5.5", "0.0", "0.0", "0.0", "1.0000E+030", "NAN"}));
    // The same with 32-bit keys, infinities included.
    samples.clear();
    const double inf = std::numeric_limits<double>::infinity();
    for (double v : {inf, std::nan(""), 5.5, -inf, -5.5, 21474836.0})
        samples.push_back({odd.When, 1, v});
    t = Loaded(Bytes(samples));
    t.SetRows(*t.SortedRows(2, false, progress));
    EXPECT_EQ(Column(t, 2), (V{"-INF", "-5.5", "5.5", "2.1475E+007", "INF", "NAN"}));
    t.SetRows(*t.SortedRows(2, true, progress));
    EXPECT_EQ(Column(t, 2), (V{"NAN", "INF", "2.1475E+007", "5.5", "-5.5", "-INF"}));
}

TEST(DataLogTable, SortFollowsTheShownNumbers) {
    // Values a hair apart that show differently, and values beyond single
    // precision, still sort as their texts read.
    struct {
        std::vector<double> Values;
        V Ascending;
    } cases[] = {
        {{220.05000000000001, 220.04, 220.04999999999998}, {"220.0", "220.1", "220.1"}},
        {{2e39, -1e39, 1e39, 1.00001e39},
         {"-1.0000E+039", "1.0000E+039", "1.0000E+039", "2.0000E+039"}},
    };
    for (const auto& c : cases) {
        std::vector<TSample> samples;
        for (double v : c.Values)
            samples.push_back({Month[0].When, 1, v});
        TDataLogTable t = Loaded(Bytes(samples));
        TJobProgress progress;
        t.SetRows(*t.SortedRows(2, false, progress));
        EXPECT_EQ(Column(t, 2), c.Ascending);
    }
}

TEST(DataLogTable, LargeAndSmallTablesSortStablyByEveryKeyWidth) {
    // One radix pass and two, on small and large tables: times decades apart,
    // voltages, addresses; checked against the shown cells.
    for (std::size_t rows : {std::size_t(1000), std::size_t(70000)}) {
        std::vector<TSample> samples;
        uint32_t noise = 7;
        for (std::size_t i = 0; i < rows; ++i) {
            noise = noise * 1664525u + 1013904223u;
            samples.push_back({{2000 + int(noise % 60), 1 + int(noise >> 8) % 12, 1, 0, 0, 0, 0},
                               uint8_t(noise >> 24),
                               200 + double(noise % 4001) / 100.0});
        }
        TDataLogTable t = Loaded(Bytes(samples));
        TJobProgress progress;
        for (int col : {1, 2, 0}) {
            for (bool descending : {false, true}) {
                t.SetRows(*t.SortedRows(col, descending, progress));
                const V cells = Column(t, col);
                for (std::size_t r = 1; r < cells.size(); ++r) {
                    const int order = CompareCells(cells[r - 1], cells[r]);
                    ASSERT_TRUE(descending ? order >= 0 : order <= 0)
                        << rows << " rows, column " << col << ", row " << r;
                }
            }
        }
        // The sorts by time kept equal times in the order of the voltage sort
        // before them (descending): the sort is stable.
        const V times = Column(t, 0), volts = Column(t, 2);
        for (std::size_t r = 1; r < times.size(); ++r) {
            if (times[r - 1] == times[r]) {
                ASSERT_GE(std::stod(volts[r - 1]), std::stod(volts[r])) << rows;
            }
        }
    }
}

TEST(DataLogTable, SortFarApartTimesStillInOrder) {
    // A damaged stamp (year 1) and one of 9999: more than 32 bits of seconds.
    std::vector<TSample> samples = {
        {{9999, 1, 1, 0, 0, 0, 0}, 1}, {{2008, 12, 5, 0, 0, 0, 0}, 2}, {{1, 1, 1, 0, 0, 0, 0}, 3}};
    TDataLogTable t = Loaded(Bytes(samples));
    TJobProgress progress;
    t.SetRows(*t.SortedRows(0, false, progress));
    EXPECT_EQ(Column(t, 1), (V{"3", "2", "1"}));
    t.SetRows(*t.SortedRows(0, true, progress));
    EXPECT_EQ(Column(t, 1), (V{"1", "2", "3"}));
}

// A large table reads its keys in file order; a damaged stamp among them
// still sends it to the wide keys.
TEST(DataLogTable, LargeTableWithAFarApartTimeStillInOrder) {
    std::vector<TSample> samples;
    for (int i = 0; i < 70000; ++i)
        samples.push_back({{2008, 12, 1 + i % 28, 0, 0, 0, 0}, uint8_t(1 + i % 200)});
    samples[123] = {{1, 1, 1, 0, 0, 0, 0}, 250};
    TDataLogTable t = Loaded(Bytes(samples));
    TJobProgress progress;
    t.SetRows(*t.SortedRows(1, true, progress)); // rows all over the file
    t.SetRows(*t.SortedRows(0, false, progress));
    const V addresses = Column(t, 1);
    EXPECT_EQ(addresses.front(), "250");
    const V times = Column(t, 0);
    for (std::size_t r = 2; r < times.size(); ++r)
        ASSERT_LE(times[r - 1], times[r]) << r;
}

TEST(DataLogTable, CancelledSortAndLoadChangeNothing) {
    TTempFolder folder;
    const std::string path = DataLogMonthPath(folder.Path(), 2008, 12);
    WriteBytes(path, Bytes(Month));
    TJobProgress cancelled;
    cancelled.Cancelled = true;
    TDataLogTable t;
    EXPECT_EQ(t.Load({2008, 12, 0, 0, path}, cancelled), TDataLogTable::TLoadResult::Cancelled);
    EXPECT_EQ(t.FilledRows(), 0);
    TJobProgress progress;
    EXPECT_EQ(t.Load({2008, 12, 0, 0, path}, progress), TDataLogTable::TLoadResult::Loaded);
    EXPECT_EQ(progress.Position, 5);
    EXPECT_FALSE(t.SortedRows(8, false, cancelled).has_value());
    EXPECT_EQ(Column(t, 1), (V{"3", "5", "3", "3", "12"}));
    // A large table reads its keys on several threads; each one stops.
    const TDataLogTable large = Loaded(Bytes(std::vector<TSample>(70000, Month[0])));
    EXPECT_FALSE(large.SortedRows(2, false, cancelled).has_value());
}

TEST(DataLogTable, MissingMonthAndPartialTail) {
    TTempFolder folder;
    TJobProgress progress;
    TDataLogTable t;
    EXPECT_EQ(t.Load({2008, 11, 0, 0, DataLogMonthPath(folder.Path(), 2008, 11)}, progress),
              TDataLogTable::TLoadResult::NoFile);
    EXPECT_EQ(t.RowCount(), 19);
    EXPECT_FALSE(FileExists(DataLogMonthPath(folder.Path(), 2008, 11))); // never created
    const TDataLogTable torn = Loaded(Bytes(Month) + std::string(100, '\0'));
    EXPECT_EQ(torn.FilledRows(), 5);
    EXPECT_EQ(DataLogMonthPath("/r/", 2008, 3), "/r/DataLog2008_03.dat");
}

class CsvExportTest : public ::testing::Test {
protected:
    TTempFolder Folder;
    TJobProgress Progress;
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(Folder.Path()))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST_F(CsvExportTest, TwoSamplesWriteTwentyLines) {
    const std::string path = Folder.Path() + "report.csv";
    WriteBytes(path, "old contents");
    const TExportOutcome out = ExportCsv(Loaded(Bytes({Month[0], Month[1]})), path, Progress);
    ASSERT_EQ(out.Result, TExportResult::Written) << out.Error;
    const std::string text = ReadBytes(path);
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line, '\n');)
        lines.push_back(line);
    ASSERT_EQ(lines.size(), 20u);
    EXPECT_EQ(lines[1].substr(0, 22), "2008-12-05 10:31:07,3,");
    for (int i = 3; i < 20; ++i)
        EXPECT_EQ(lines[std::size_t(i)], std::string(15, ',') + "\r");
    EXPECT_EQ(text.substr(text.size() - 17), std::string(15, ',') + "\r\n");
    EXPECT_EQ(Progress.Position, 20);
    EXPECT_EQ(Entries(), (V{"report.csv"})); // no temporary left beside it
}

TEST_F(CsvExportTest, CancelledOrFailedExportLeavesTheOldFile) {
    const std::string path = Folder.Path() + "report.csv";
    WriteBytes(path, "old contents");
    Progress.Cancelled = true;
    std::vector<TSample> many(5000, Month[0]);
    EXPECT_EQ(ExportCsv(Loaded(Bytes(many)), path, Progress).Result, TExportResult::Cancelled);
    EXPECT_EQ(ReadBytes(path), "old contents");
    EXPECT_EQ(Entries(), (V{"report.csv"}));
    TJobProgress fresh;
    const TExportOutcome failed =
        ExportCsv(Loaded(Bytes(Month)), Folder.Path() + "no/such/folder.csv", fresh);
    EXPECT_EQ(failed.Result, TExportResult::Failed);
    EXPECT_NE(failed.Error.find("no/such/folder.csv"), std::string::npos);
}

TEST_F(CsvExportTest, ANewExportFollowsTheUmaskAReplacedOneKeepsItsMode) {
    const std::string path = Folder.Path() + "report.csv";
    const mode_t old = ::umask(077);
    const TExportOutcome fresh = ExportCsv(Loaded(Bytes(Month)), path, Progress);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    ASSERT_EQ(::chmod(path.c_str(), 0664), 0);
    TJobProgress again;
    const TExportOutcome replaced = ExportCsv(Loaded(Bytes(Month)), path, again);
    ::umask(old);
    ASSERT_EQ(fresh.Result, TExportResult::Written) << fresh.Error;
    ASSERT_EQ(replaced.Result, TExportResult::Written) << replaced.Error;
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0664u);
}

// A grid whose rows cannot be formatted (out of memory, say) half way.
class TFailingGrid : public TDataLogTable {
public:
    void AppendCsvLine(int64_t row, TCsvEncoding encoding, std::string& out) const override {
        if (row == 10)
            throw std::runtime_error("no memory left");
        TDataLogTable::AppendCsvLine(row, encoding, out);
    }
};

TEST_F(CsvExportTest, AGridThatThrowsLeavesNoFile) {
    const std::string path = Folder.Path() + "report.csv";
    const TExportOutcome out = ExportCsv(TFailingGrid(), path, Progress);
    EXPECT_EQ(out.Result, TExportResult::Failed);
    EXPECT_NE(out.Error.find("no memory left"), std::string::npos);
    EXPECT_EQ(Entries(), V{});
}

// Lines made on several threads come back whole and in order, however the
// blocks fall; the caller may stop at any block; a failing line ends the work
// with its exception and no thread left waiting.
TEST(LineBlocks, InOrderStoppableAndFailing) {
    const TLineFormat numbered = [](int64_t line, std::string& out) {
        out += std::to_string(line) + "\n";
    };
    for (const int64_t blockLines : {1, 7, 1000, 5000}) {
        std::string all;
        int64_t lastDone = 0;
        EXPECT_TRUE(
            MakeLineBlocks(2000, blockLines, numbered, [&](const std::string& block, int64_t done) {
                all += block;
                EXPECT_GT(done, lastDone);
                lastDone = done;
                return true;
            }));
        std::string expected;
        for (int i = 0; i < 2000; ++i)
            expected += std::to_string(i) + "\n";
        EXPECT_EQ(all, expected) << blockLines;
        EXPECT_EQ(lastDone, 2000);
    }
    int taken = 0;
    EXPECT_FALSE(MakeLineBlocks(2000, 10, numbered, [&](const std::string& block, int64_t) {
        EXPECT_EQ(block.substr(0, block.find('\n')), std::to_string(taken * 10));
        return ++taken < 3;
    }));
    EXPECT_EQ(taken, 3);
    const TLineFormat failing = [](int64_t line, std::string& out) {
        if (line == 1234)
            throw std::runtime_error("line 1234");
        out += 'x';
    };
    EXPECT_THROW(
        MakeLineBlocks(2000, 10, failing, [](const std::string&, int64_t) { return true; }),
        std::runtime_error);
    EXPECT_TRUE(MakeLineBlocks(0, 10, failing, [](const std::string&, int64_t) { return false; }));
}
} // namespace
