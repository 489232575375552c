#pragma once
// The data viewer's grid: the samples of one month file that pass a day and
// address filter, in fifteen columns formatted on demand. The month file is
// mapped, not copied: the grid holds one 4-byte record number per matching
// sample, so a month of 252 units sampled every minute (11 million samples,
// 1.4 GB) costs 45 MB beyond the file's pages.
//
// Loading and sorting a large month take a while: both run on a worker
// thread, report progress and can be cancelled. A load builds a new table;
// a sort builds a new order beside the shown one; the window swaps either in
// on its own thread, so the grid never sees a half-built state.

#include "logviews/GridSource.h"
#include "logviews/JobProgress.h"
#include "logviews/LogTexts.h"
#include "logviews/MappedFile.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A word of 0 sets no condition. Day is 0 in the by-month mode.
struct TRecFilter {
    uint16_t Year = 0, Month = 0, Day = 0, Addr = 0;
    std::string FileName;
};

// folder + "DataLog" + year + "_" + month as two digits + ".dat"
[[nodiscard]] std::string DataLogMonthPath(const std::string& folder, int year, int month);

// Appends the text of one column of a 128-byte record: the time, the address,
// eleven measured values, and the battery capacity and backup time (empty
// when 0, the capacity also when negative).
void AppendDataCell(const uint8_t* rec, int col, std::string& out);
// The same into a buffer with MaxNumberChars free; returns the end.
char* WriteDataCell(const uint8_t* rec, int col, char* p);

// The measured columns a chart can draw: the eleven values, the battery
// capacity and the backup time.
inline constexpr int FirstChartCol = 2, LastChartCol = 14;
// The number a measured column's cell shows; not a number where the cell is
// empty (capacity or backup time of 0).
[[nodiscard]] double DataCellValue(const uint8_t* rec, int col);
// The decimals a measured column's cells show, and a value shown so.
[[nodiscard]] int DataValueDecimals(int col);
void AppendDataValue(std::string& out, double value, int col);

class TDataLogTable : public TGridSource {
public:
    static constexpr int64_t BlankRows = 19;
    enum class TLoadResult { Loaded, NoFile, Cancelled };

    explicit TDataLogTable(uint8_t language = 0) : FLanguage(language) {}

    // Reads filter.FileName. NoFile (a month without a file, or one that
    // cannot be opened) and Cancelled leave the table empty.
    [[nodiscard]] TLoadResult Load(const TRecFilter& filter, TJobProgress& progress);
    // The same from bytes held in memory; a partial record at the end is ignored.
    void LoadBytes(const uint8_t* bytes, std::size_t size, const TRecFilter& filter);

    // The record numbers of the filled rows ordered by column col, rows that
    // compare equal in their current order; nothing when cancelled. Safe to
    // run on a worker while the grid reads the table.
    [[nodiscard]] std::optional<std::vector<uint32_t>> SortedRows(int col, bool descending,
                                                                  TJobProgress& progress) const;
    // Shows the rows in this order (from SortedRows).
    void SetRows(std::vector<uint32_t> rows) { FRows = std::move(rows); }

    int ColumnCount() const override { return DataColumnCount; }
    int64_t FilledRows() const override { return int64_t(FRows.size()); }
    int64_t MinimumRows() const override { return BlankRows; }
    std::string HeaderText(int col) const override;
    void AppendCell(int64_t row, int col, std::string& out) const override;
    bool IsNumberColumn(int col) const override { return col > 0; }
    void AppendCsvLine(int64_t row, TCsvEncoding encoding, std::string& out) const override;
    // True once the month file shrank under the table (its rows then read as
    // zeros until the table is replaced). Safe from any thread.
    [[nodiscard]] bool FileChanged() const { return FFile.Changed(); }
    bool SourceChanged() const override { return FileChanged(); }
    // The mapped month and the record numbers of the rows: what a chart
    // reads in place, for as long as this table lives.
    [[nodiscard]] const uint8_t* FileData() const { return FFile.Data(); }
    [[nodiscard]] const std::vector<uint32_t>& RecordNumbers() const { return FRows; }

private:
    [[nodiscard]] bool Scan(const TRecFilter& filter, TJobProgress& progress);
    [[nodiscard]] const uint8_t* Record(int64_t row) const;
    [[nodiscard]] bool ShownOrderKeys(int col, int64_t base, std::vector<uint32_t>& keys,
                                      TJobProgress& progress) const;

    TMappedFile FFile;
    std::vector<uint32_t> FRows; // record numbers in the file, in shown order
    uint8_t FLanguage;
};
