#include "base/ProgramFolder.h"
#include "logging/DataLogMonths.h"
#include "logging/TimeStamp.h"
#include "logging/UDataLogClass.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {
class DataLogTest : public ::testing::Test {
protected:
    void SetUp() override { SetProgramFolder(Folder.Path()); }

    static TDataRec Sample(double time, uint8_t address, double inputVoltA) {
        TUpsInfoRec ups;
        ups.InputVoltA = inputVoltA;
        return MakeDataRec(ups, address, time);
    }
    static std::string Bytes(const TDataRec& rec) {
        const TDataRecBytes b = EncodeDataRec(rec);
        return {b.begin(), b.end()};
    }

    TTempFolder Folder;
    TDataLog Log{Folder.Path() + "Record/"};
};
} // namespace

TEST_F(DataLogTest, RecordBytesAreLaidOutExactly) {
    TUpsInfoRec ups;
    ups.InputVoltA = 220.5;
    ups.BattCapacity = 87;
    ups.BattSupportTime = 0x0102;
    ups.DischargeCur = -1.25;
    const TDataRec rec = MakeDataRec(ups, 0xFC, 39813.5);
    const TDataRecBytes b = EncodeDataRec(rec);

    const uint8_t time[8] = {0x00, 0x00, 0x00, 0x00, 0xB0, 0x70, 0xE3, 0x40}; // 39813.5
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(b[i], time[i]) << i;
    EXPECT_EQ(b[8], 0xFC);
    for (int reserved = 9; reserved < 16; ++reserved)
        EXPECT_EQ(b[reserved], 0) << reserved;
    const TMeasureBlock values = EncodeMeasureBlock(ups);
    EXPECT_TRUE(std::equal(values.begin(), values.end(), b.begin() + 16));
    EXPECT_EQ(b[104], 87);   // BattCapacity
    EXPECT_EQ(b[108], 0x02); // BattSupportTime, low byte first
    EXPECT_EQ(b[127], 0xBF); // -1.25 ends in BF

    const TDataRec back = DecodeDataRec(b);
    EXPECT_EQ(back.Time, 39813.5);
    EXPECT_EQ(back.Address, 0xFC);
    EXPECT_EQ(back.Values, values);
}

TEST_F(DataLogTest, EachRecordGoesToTheFileOfItsOwnMonth) {
    struct TRow {
        TTimeParts Time;
        const char* File;
    };
    const TRow rows[] = {
        {{2008, 12, 31, 23, 59, 59, 900}, "DataLog2008_12.dat"},
        {{2009, 1, 1, 0, 0, 0, 50}, "DataLog2009_01.dat"},
        {{2009, 1, 15, 12, 0, 0, 0}, "DataLog2009_01.dat"},
        {{2024, 2, 29, 8, 0, 0, 0}, "DataLog2024_02.dat"},
    };
    for (const TRow& row : rows) {
        const double time = EncodeTimeStamp(row.Time);
        EXPECT_EQ(DataLogFileName(time), row.File);
        EXPECT_EQ(Log.MonthFilePath(time), RecordPath() + row.File);
        EXPECT_TRUE(Log.Append(Sample(time, 1, 230.0)));
    }
    EXPECT_EQ(std::filesystem::file_size(RecordPath() + "DataLog2008_12.dat"), 128u);
    EXPECT_EQ(std::filesystem::file_size(RecordPath() + "DataLog2009_01.dat"), 256u);
    EXPECT_EQ(std::filesystem::file_size(RecordPath() + "DataLog2024_02.dat"), 128u);
}

TEST_F(DataLogTest, AppendsKeepTheOrderWritten) {
    const double time = EncodeTimeStamp({2009, 3, 1, 10, 0, 0, 0});
    const TDataRec recs[] = {Sample(time, 3, 1.0), Sample(time + 1e-6, 1, 2.0),
                             Sample(time + 2e-6, 2, 3.0)};
    for (const TDataRec& rec : recs)
        EXPECT_TRUE(Log.Append(rec));
    EXPECT_EQ(ReadBytes(Log.MonthFilePath(time)), Bytes(recs[0]) + Bytes(recs[1]) + Bytes(recs[2]));
    EXPECT_EQ(Log.RecordCount(Log.MonthFilePath(time)), 3);
}

TEST_F(DataLogTest, PartialTailIsNotCountedAndIsOverwritten) {
    const double time = EncodeTimeStamp({2009, 3, 1, 10, 0, 0, 0});
    const std::string path = Log.MonthFilePath(time);
    std::filesystem::create_directories(RecordPath());
    const std::string first = Bytes(Sample(time, 1, 1.0));
    for (std::size_t tail : {1u, 64u, 127u}) {
        WriteBytes(path, first + std::string(tail, '\xEE'));
        EXPECT_EQ(Log.RecordCount(path), 1) << tail;
        const TDataRec next = Sample(time, 2, 2.0);
        EXPECT_TRUE(Log.Append(next));
        EXPECT_EQ(ReadBytes(path), first + Bytes(next)) << tail;
    }
}

TEST_F(DataLogTest, RecordCountCreatesAMissingFileEmpty) {
    std::filesystem::create_directories(RecordPath());
    const std::string path = RecordPath() + "DataLog2010_05.dat";
    EXPECT_EQ(Log.RecordCount(path), 0);
    EXPECT_TRUE(FileExists(path));
    EXPECT_THROW((void)Log.RecordCount(Folder.Path() + "missing/DataLog2010_05.dat"),
                 std::runtime_error);
}

TEST_F(DataLogTest, AFailedAppendReportsFalseWithoutThrowing) {
    WriteBytes(Folder.Path() + "Record", "not a folder");
    EXPECT_FALSE(Log.Append(Sample(39813.5, 1, 1.0)));
}

// The month files, as the deletion dialog lists and deletes them.
TEST(DataLogMonths, ListsMonthFilesOnlyAndDeletes) {
    TTempFolder folder;
    for (const char* name : {"DataLog2008_12.dat", "EventLog.dat", "TreeNode.dat",
                             "DataLog2008_11.dat", "DataLog2009_01.txt", "DataLogX.dat"})
        WriteBytes(folder.Path() + name, "");
    std::filesystem::create_directory(folder.Path() + "DataLog2007_01.dat");
    EXPECT_EQ(ListDataLogMonths(folder.Path()),
              (std::vector<std::string>{"DataLog2008_11", "DataLog2008_12", "DataLogX"}));
    EXPECT_TRUE(DeleteDataLogMonth(folder.Path(), "DataLog2008_11"));
    EXPECT_FALSE(DeleteDataLogMonth(folder.Path(), "DataLog2008_11"));
    EXPECT_EQ(ListDataLogMonths(folder.Path()),
              (std::vector<std::string>{"DataLog2008_12", "DataLogX"}));
    EXPECT_EQ(ListDataLogMonths(folder.Path() + "missing/"), std::vector<std::string>{});
}
