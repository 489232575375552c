#include "base/ProgramFolder.h"
#include "logging/TimeStamp.h"
#include "logging/uEventLogClass.h"
#include "tests/support/EventLogFile.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <set>

namespace {
class EventLogTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetProgramFolder(Folder.Path());
        UpsTable = TUpsTable{};
    }

    std::string LivePath() const { return RecordPath() + "EventLog.dat"; }
    std::string Backup(const std::string& name) const { return BackupPath() + name; }

    // n distinct records (Code = index), straight into the live file.
    std::string Records(int n, int firstCode = 0) const {
        std::string bytes;
        for (int i = 0; i < n; ++i) {
            TEventRec rec;
            rec.Code = firstCode + i;
            const TEventRecBytes b = EncodeEventRec(rec);
            bytes.append(b.begin(), b.end());
        }
        return bytes;
    }
    void FillLive(const std::string& bytes) {
        std::filesystem::create_directories(RecordPath());
        WriteBytes(LivePath(), bytes);
    }
    std::vector<TEventRec> LiveRecords() const { return ReadEventRecords(LivePath()); }
    std::set<std::string> BackupNames() const {
        std::set<std::string> names;
        if (std::filesystem::exists(BackupPath()))
            for (const auto& e : std::filesystem::directory_iterator(BackupPath()))
                names.insert(e.path().filename().string());
        return names;
    }
    static TEventRec Coded(int32_t code) {
        TEventRec rec;
        rec.Code = code;
        return rec;
    }

    TTempFolder Folder;
    TEventLog Log{Folder.Path() + "Record/", EventLogFileName, Folder.Path() + "Backup/"};
};

std::string RotationName(int n) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "EventLog_%03d.dat", n);
    return buf;
}
} // namespace

TEST_F(EventLogTest, FirstUseCreatesTheFolderAndTheFile) {
    EXPECT_EQ(Log.FullPath(), Folder.Path() + "Record/EventLog.dat");
    EXPECT_EQ(Log.RecordCount(), 0);
    EXPECT_TRUE(FileExists(LivePath()));

    std::filesystem::remove_all(RecordPath());
    EXPECT_TRUE(Log.Append(Coded(20)));
    EXPECT_EQ(ReadBytes(LivePath()).size(), 48u);
    EXPECT_EQ(Log.RecordCount(), 1);
}

TEST_F(EventLogTest, RecordBytesAreLaidOutExactly) {
    TEventRec rec;
    rec.Time = 39813.5; // 2008-12-31 12:00
    rec.Address = 0xFC;
    rec.Kind = EventKindAlarm;
    rec.Code = 0x01020304;
    rec.AlarmFlag = 1;
    for (std::size_t i = 0; i < StatusBlockSize; ++i)
        rec.StatusSnapshot[i] = uint8_t(0xA0 + i);
    const TEventRecBytes b = EncodeEventRec(rec);

    // 39813.5 = 0x40E370B000000000
    const uint8_t time[8] = {0x00, 0x00, 0x00, 0x00, 0xB0, 0x70, 0xE3, 0x40};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(b[i], time[i]) << i;
    EXPECT_EQ(b[8], 0xFC);
    EXPECT_EQ(b[9], 2);
    EXPECT_EQ(b[12], 0x04);
    EXPECT_EQ(b[15], 0x01);
    EXPECT_EQ(b[16], 1);
    EXPECT_EQ(b[18], 0xA0);
    EXPECT_EQ(b[43], 0xA0 + 25);
    for (int reserved : {10, 11, 17, 44, 45, 46, 47})
        EXPECT_EQ(b[reserved], 0) << reserved;

    const TEventRec back = DecodeEventRec(b);
    EXPECT_EQ(EncodeEventRec(back), b);
}

TEST_F(EventLogTest, AppendsGoAfterTheLastRecordAndSetChanged) {
    EXPECT_EQ(Log.Changed, 0);
    for (int code : {20, 18, 23})
        EXPECT_TRUE(Log.Append(Coded(code)));
    EXPECT_EQ(Log.Changed, 255);
    const std::vector<TEventRec> recs = LiveRecords();
    ASSERT_EQ(recs.size(), 3u);
    EXPECT_EQ(recs[0].Code, 20);
    EXPECT_EQ(recs[2].Code, 23);
}

TEST_F(EventLogTest, AFailedAppendReportsFalseAndLeavesChanged) {
    // A plain file where the Record folder belongs.
    WriteBytes(Folder.Path() + "Record", "not a folder");
    EXPECT_FALSE(Log.Append(Coded(20)));
    Log.LogSystemEvent(SysEvtStarted); // must not throw either
    EXPECT_EQ(Log.Changed, 0);
    EXPECT_THROW((void)Log.RecordCount(), std::runtime_error);
}

TEST_F(EventLogTest, PartialTailIsNotCountedAndIsOverwritten) {
    for (std::size_t tail : {1u, 20u, 47u}) {
        FillLive(Records(3) + std::string(tail, '\xEE'));
        EXPECT_EQ(Log.RecordCount(), 3) << tail;
        EXPECT_TRUE(Log.Append(Coded(99)));
        EXPECT_EQ(ReadBytes(LivePath()), Records(3) + Records(1, 99)) << tail;
    }
}

TEST_F(EventLogTest, RotatesAtTheAppendAfterTheFiveThousandFirst) {
    FillLive(Records(5000));
    EXPECT_TRUE(Log.Append(Coded(5000)));
    EXPECT_EQ(Log.RecordCount(), 5001);
    EXPECT_TRUE(BackupNames().empty());

    EXPECT_TRUE(Log.Append(Coded(5001)));
    EXPECT_EQ(BackupNames(), std::set<std::string>{"EventLog_000.dat"});
    EXPECT_EQ(ReadBytes(Backup("EventLog_000.dat")), Records(5001));
    EXPECT_EQ(ReadBytes(LivePath()), Records(1, 5001));
}

TEST_F(EventLogTest, RotationTakesTheFirstFreeNumber) {
    const std::pair<std::vector<int>, int> rows[] = {
        {{}, 0}, {{0, 1}, 2}, {{0, 2}, 1}, {{1, 2, 3}, 0}, {{0, 1, 2, 3, 4, 5, 6, 8}, 7},
    };
    for (const auto& [present, expected] : rows) {
        std::filesystem::remove_all(BackupPath());
        std::filesystem::create_directories(BackupPath());
        for (int n : present)
            WriteBytes(Backup(RotationName(n)), "old");
        FillLive(Records(2));
        Log.Rotate();
        EXPECT_EQ(ReadBytes(Backup(RotationName(expected))), Records(2)) << expected;
        for (int n : present)
            EXPECT_EQ(ReadBytes(Backup(RotationName(n))), "old") << n;
        EXPECT_EQ(Log.RecordCount(), 0);
    }
}

TEST_F(EventLogTest, WithEveryRotationNameTakenTheLiveFileKeepsGrowing) {
    std::filesystem::create_directories(BackupPath());
    for (int n = 0; n < 1000; ++n)
        WriteBytes(Backup(RotationName(n)), "");
    FillLive(Records(5001));
    for (int code : {5001, 5002})
        EXPECT_TRUE(Log.Append(Coded(code)));
    EXPECT_EQ(ReadBytes(LivePath()), Records(5003));
    EXPECT_EQ(BackupNames().size(), 1000u);
    EXPECT_EQ(std::filesystem::file_size(Backup("EventLog_999.dat")), 0u);
}

TEST_F(EventLogTest, AFailedRotationCopyKeepsTheLiveFile) {
    // A plain file where the Backup folder belongs: no copy can be made.
    WriteBytes(Folder.Path() + "Backup", "not a folder");
    FillLive(Records(5001));
    EXPECT_TRUE(Log.Append(Coded(5001)));
    EXPECT_EQ(ReadBytes(LivePath()), Records(5002));
}

TEST_F(EventLogTest, RotationCreatesAMissingBackupFolder) {
    FillLive(Records(5001));
    EXPECT_TRUE(Log.Append(Coded(5001)));
    EXPECT_EQ(BackupNames(), std::set<std::string>{"EventLog_000.dat"});
}

TEST_F(EventLogTest, ClearCopiesToTheNextNumberedNameAndEmptiesTheFile) {
    FillLive(Records(4));
    Log.Clear();
    EXPECT_EQ(ReadBytes(Backup("EventLog1.dat")), Records(4));
    EXPECT_EQ(Log.RecordCount(), 0);

    FillLive(Records(2, 10));
    WriteBytes(Backup("EventLog3.dat"), "old"); // numbers go without gaps to the first free one
    Log.Clear();
    EXPECT_EQ(ReadBytes(Backup("EventLog2.dat")), Records(2, 10));
    EXPECT_EQ(ReadBytes(Backup("EventLog3.dat")), "old");
    EXPECT_EQ(Log.Changed, 0);
}

TEST_F(EventLogTest, ClearOfAnEmptyFileMakesNoBackup) {
    for (const std::string& content : {std::string(), std::string(30, '\x01')}) {
        FillLive(content);
        Log.Clear();
        EXPECT_TRUE(BackupNames().empty());
        EXPECT_EQ(ReadBytes(LivePath()), "");
    }
}

TEST_F(EventLogTest, AClearThatCannotCopyKeepsTheFileAndSaysSo) {
    WriteBytes(Folder.Path() + "Backup", "not a folder");
    FillLive(Records(3));
    EXPECT_THROW(Log.Clear(), std::runtime_error);
    EXPECT_EQ(ReadBytes(LivePath()), Records(3));
}

TEST_F(EventLogTest, SystemSelectorsWriteTheirCodesAndNothingElse) {
    const std::map<int, int32_t> written = {{0, 20}, {1, 21}, {3, 18}, {4, 23}};
    const double before = NowTimeStamp();
    for (int selector = 0; selector < 256; ++selector)
        Log.LogSystemEvent(uint8_t(selector));
    const double after = NowTimeStamp();

    const std::vector<TEventRec> recs = LiveRecords();
    ASSERT_EQ(recs.size(), written.size());
    auto expected = written.begin();
    for (const TEventRec& rec : recs) {
        EXPECT_EQ(rec.Code, expected->second) << expected->first;
        EXPECT_EQ(rec.Address, 0);
        EXPECT_EQ(rec.Kind, EventKindProgram);
        EXPECT_EQ(rec.AlarmFlag, 255);
        EXPECT_GE(rec.Time, before);
        EXPECT_LE(rec.Time, after);
        ++expected;
    }
}

TEST_F(EventLogTest, DeviceSelectorsWriteTheirCodesWithTheDeviceSnapshot) {
    TUpsInfoRec& ups = UpsTable[7];
    ups.UpsState = 9;
    ups.StatusWord[0] = 0x1234;
    ups.StatusWord[9] = 0xBEEF;
    ups.DevState = 3;
    ups.DataValid = 1;
    struct TRow {
        int Selector;
        uint8_t Kind;
        int32_t Code;
    };
    const TRow written[] = {
        {2, EventKindProgram, 22}, {3, EventKindProgram, 18}, {6, EventKindState, 9}};
    for (int selector = 0; selector < 256; ++selector)
        Log.LogDeviceEvent(uint8_t(selector), 7);

    const std::vector<TEventRec> recs = LiveRecords();
    ASSERT_EQ(recs.size(), std::size(written));
    for (std::size_t i = 0; i < recs.size(); ++i) {
        EXPECT_EQ(recs[i].Kind, written[i].Kind) << written[i].Selector;
        EXPECT_EQ(recs[i].Code, written[i].Code) << written[i].Selector;
        EXPECT_EQ(recs[i].Address, 7);
        EXPECT_EQ(recs[i].AlarmFlag, 255);
        EXPECT_EQ(recs[i].StatusSnapshot, EncodeStatusBlock(ups));
    }
}

TEST_F(EventLogTest, DeviceEventsBeyondTheTableWriteNothing) {
    for (int address : {253, 254, 255})
        Log.LogDeviceEvent(DevEvtLost, uint8_t(address));
    Log.LogDeviceEvent(DevEvtLost, 252);
    const std::vector<TEventRec> recs = LiveRecords();
    ASSERT_EQ(recs.size(), 1u);
    EXPECT_EQ(recs[0].Address, 252);
}

TEST_F(EventLogTest, AlarmEventsCarryTheCodeAndWhetherRaised) {
    TDeviceEventSink& sink = Log; // the record operations see only the interface
    sink.LogAlarmEvent(5, 104, 1);
    sink.LogAlarmEvent(5, 104, 0);
    sink.LogAlarmEvent(6, 3, 7);
    const std::vector<TEventRec> recs = LiveRecords();
    ASSERT_EQ(recs.size(), 3u);
    const uint8_t flags[] = {1, 0, 1};
    for (std::size_t i = 0; i < recs.size(); ++i) {
        EXPECT_EQ(recs[i].Kind, EventKindAlarm);
        EXPECT_EQ(recs[i].AlarmFlag, flags[i]) << i;
    }
    EXPECT_EQ(recs[1].Code, 104);
    EXPECT_EQ(recs[1].Address, 5);
    EXPECT_EQ(recs[2].Code, 3);
}
