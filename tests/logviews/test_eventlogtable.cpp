// The event viewer's table: filters, numbering, texts, sorting and its CSV file.
#include "logging/TimeStamp.h"
#include "logviews/CsvExport.h"
#include "logviews/EventLogTable.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
TEventRec Event(int y, int m, int d, int hour, uint8_t address, uint8_t kind, int32_t code,
                uint8_t flag = 255) {
    TEventRec rec;
    rec.Time = EncodeTimeStamp({y, m, d, hour, 0, 0, 0});
    rec.Address = address;
    rec.Kind = kind;
    rec.Code = code;
    rec.AlarmFlag = flag;
    return rec;
}

std::string Bytes(const std::vector<TEventRec>& recs) {
    std::string bytes;
    for (const TEventRec& r : recs) {
        const TEventRecBytes b = EncodeEventRec(r);
        bytes.append(b.begin(), b.end());
    }
    return bytes;
}

// Column `col` of every filled row.
std::vector<std::string> Column(const TEventLogTable& t, int col) {
    std::vector<std::string> cells;
    for (int64_t r = 0; r < t.FilledRows(); ++r)
        cells.push_back(t.CellText(r, col));
    return cells;
}

using V = std::vector<std::string>;

// A small log: program events, device events and alarms over two months.
const std::vector<TEventRec> Log = {
    Event(2008, 11, 30, 23, 0, EventKindProgram, 20),     // index 7
    Event(2008, 12, 1, 0, 5, EventKindState, 5),          // 6
    Event(2008, 12, 5, 23, 3, EventKindAlarm, 21, 1),     // 5
    Event(2008, 12, 5, 1, 5, EventKindAlarm, 21, 0),      // 4
    Event(2008, 12, 5, 2, 5, EventKindAlarm, 99, 0),      // 3: no text, skipped
    Event(2009, 1, 2, 12, 0, EventKindProgram, 21),       // 2
    Event(2008, 12, 6, 12, 12, EventKindProgram + 7, 20), // 1: unknown kind, skipped
};

TEST(EventLogTable, FiltersKeepTheirRecordsAndSkippedCodesKeepTheirIndex) {
    struct {
        const char* Name;
        TEventFilter Filter;
        V Indexes;
    } cases[] = {
        {"all", {}, {"7", "6", "5", "4", "2"}},
        {"year 2008", {2008, 0, 0, 0}, {"7", "6", "5", "4"}},
        {"month 2008-12", {2008, 12, 0, 0}, {"6", "5", "4"}},
        {"month 2008-12, address 5", {2008, 12, 0, 5}, {"6", "4"}},
        {"day 2008-12-05, any hour", {2008, 12, 5, 0}, {"5", "4"}},
        {"address 5, program events excluded", {0, 0, 0, 5}, {"6", "4"}},
        {"year without events", {2010, 0, 0, 0}, {}},
    };
    for (const auto& c : cases) {
        TEventLogTable t;
        t.LoadBytes(Bytes(Log), c.Filter, 0);
        EXPECT_EQ(Column(t, 0), c.Indexes) << c.Name;
        EXPECT_EQ(t.RowCount(), std::max<int64_t>(2, int64_t(c.Indexes.size()))) << c.Name;
    }
}

TEST(EventLogTable, CellsInBothLanguages) {
    TEventLogTable t;
    t.LoadBytes(Bytes(Log), {}, 0);
    EXPECT_EQ(Column(t, 1)[0], "2008-11-30 23:00:00");
    EXPECT_EQ(Column(t, 2), (V{"", "5", "3", "5", ""})); // address 0 stays empty
    EXPECT_EQ(Column(t, 3),
              (V{"Monitor software is open", "Battery Status", "Battery under voltage",
                 "Recover from: Battery under voltage", "Monitor software is closed"}));
    EXPECT_EQ(t.HeaderText(0), "Index");
    t.LoadBytes(Bytes(Log), {}, 1);
    EXPECT_EQ(Column(t, 3)[3], "恢复于: 电池电压低");
    EXPECT_EQ(t.HeaderText(3), "事件");
    // Blank rows have empty cells.
    t.LoadBytes({}, {}, 0);
    EXPECT_EQ(t.RowCount(), 2);
    EXPECT_EQ(t.CellText(1, 0), "");
}

TEST(EventLogTable, PartialTailIsIgnored) {
    TEventLogTable t;
    t.LoadBytes(Bytes(Log) + std::string(47, '\x7f'), {}, 0);
    EXPECT_EQ(Column(t, 0), (V{"7", "6", "5", "4", "2"}));
}

TEST(EventLogTable, SortsNumbersByValueAndTextsAsText) {
    // Twelve program events, so that indexes 10..12 would sort before 2 as text.
    std::vector<TEventRec> recs;
    for (int i = 0; i < 12; ++i)
        recs.push_back(Event(2008, 12, 1 + i, 0, uint8_t(i % 3 == 0 ? 0 : 12 - i), 0, 20));
    TEventLogTable t;
    t.LoadBytes(Bytes(recs), {}, 0);
    t.Sort(0, false);
    EXPECT_EQ(Column(t, 0), (V{"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12"}));
    t.Sort(0, true);
    EXPECT_EQ(Column(t, 0).front(), "12");
    t.Sort(1, false);
    EXPECT_EQ(Column(t, 1).front(), "2008-12-01 00:00:00");
    EXPECT_EQ(Column(t, 1).back(), "2008-12-12 00:00:00");
    // Addresses by value; the empty cells (address 0) are text and come first,
    // keeping their time order (the sort is stable).
    t.Sort(2, false);
    EXPECT_EQ(Column(t, 2), (V{"", "", "", "", "1", "2", "4", "5", "7", "8", "10", "11"}));
    EXPECT_EQ(Column(t, 1)[0], "2008-12-01 00:00:00");
    t.Sort(2, true);
    EXPECT_EQ(Column(t, 2).front(), "11");
}

TEST(EventLogTable, LoadsTheLiveFileAndAMissingOneGivesNoRows) {
    TTempFolder folder;
    const std::string path = folder.Path() + "EventLog.dat";
    WriteBytes(path, Bytes(Log));
    TEventLogTable t;
    EXPECT_TRUE(t.Load(path, {}, 0));
    EXPECT_EQ(t.FilledRows(), 5);
    EXPECT_FALSE(t.Load(folder.Path() + "missing.dat", {}, 0));
    EXPECT_EQ(t.FilledRows(), 0);
}

TEST(EventLogTable, CsvLinesAreGbkWithATrailingComma) {
    TEventLogTable t;
    std::vector<TEventRec> recs = {Event(2008, 12, 5, 10, 3, EventKindAlarm, 21, 0)};
    t.LoadBytes(Bytes(recs), {}, 1);
    std::string header, row, blank;
    t.AppendCsvLine(-1, TCsvEncoding::Gbk, header);
    t.AppendCsvLine(0, TCsvEncoding::Gbk, row);
    t.AppendCsvLine(1, TCsvEncoding::Gbk, blank);
    EXPECT_EQ(header, "\xD0\xF2\xBA\xC5,\xCA\xB1\xBC\xE4,\xC9\xE8\xB1\xB8\xB5\xD8\xD6\xB7,"
                      "\xCA\xC2\xBC\xFE,"); // 序号,时间,设备地址,事件,
    EXPECT_EQ(row, "1,2008-12-05 10:00:00,3,\xBB\xD6\xB8\xB4\xD3\xDA: \xB5\xE7\xB3\xD8\xB5\xE7"
                   "\xD1\xB9\xB5\xCD,"); // 恢复于: 电池电压低
    EXPECT_EQ(blank, ",,,,");
}

// The whole exported file, Chinese texts in a row, in each encoding offered:
// GBK as stored, or UTF-8 after its byte order mark; the blank rows follow.
TEST(EventLogTable, CsvFileInEitherEncodingByteForByte) {
    TEventLogTable t;
    t.LoadBytes(Bytes({Event(2008, 12, 5, 10, 3, EventKindAlarm, 21, 0)}), {}, 1);
    const struct {
        TCsvEncoding Encoding;
        std::string File;
    } cases[] = {
        {TCsvEncoding::Gbk,
         "\xD0\xF2\xBA\xC5,\xCA\xB1\xBC\xE4,\xC9\xE8\xB1\xB8\xB5\xD8\xD6\xB7,\xCA\xC2\xBC\xFE,\r\n"
         "1,2008-12-05 10:00:00,3,\xBB\xD6\xB8\xB4\xD3\xDA: "
         "\xB5\xE7\xB3\xD8\xB5\xE7\xD1\xB9\xB5\xCD,\r\n"
         ",,,,\r\n"},
        {TCsvEncoding::Utf8Bom, "\xEF\xBB\xBF"
                                "序号,时间,设备地址,事件,\r\n"
                                "1,2008-12-05 10:00:00,3,恢复于: 电池电压低,\r\n"
                                ",,,,\r\n"},
    };
    TTempFolder folder;
    for (const auto& c : cases) {
        const std::string path = folder.Path() + "events.csv";
        TJobProgress progress;
        const TExportOutcome out = ExportCsv(t, path, progress, c.Encoding);
        ASSERT_EQ(out.Result, TExportResult::Written) << out.Error;
        EXPECT_EQ(ReadBytes(path), c.File) << int(c.Encoding);
    }
}
} // namespace
