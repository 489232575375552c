#pragma once
// What a log grid shows and what its CSV export writes: a header row and data
// rows of text cells, formatted on demand from the records behind them. The
// grid keeps a minimum number of rows; the rows beyond the filled ones are
// blank and are exported too.

#include <cstdint>
#include <string>

// The text encoding of an exported CSV file.
enum class TCsvEncoding {
    Gbk,     // as the program keeps its texts
    Utf8Bom, // UTF-8 after a byte order mark, which spreadsheets open without asking
};

class TGridSource {
public:
    virtual ~TGridSource() = default;

    [[nodiscard]] virtual int ColumnCount() const = 0;
    // Rows of records that passed the filter.
    [[nodiscard]] virtual int64_t FilledRows() const = 0;
    // Data rows the grid shows: the filled ones, at least MinimumRows().
    [[nodiscard]] int64_t RowCount() const;
    [[nodiscard]] virtual int64_t MinimumRows() const = 0;

    // UTF-8.
    [[nodiscard]] virtual std::string HeaderText(int col) const = 0;
    // Appends the UTF-8 text of a cell, numbers with "." as the decimal
    // point; a blank row appends nothing.
    virtual void AppendCell(int64_t row, int col, std::string& out) const = 0;
    // True for columns of numbers, whose point the grid shows as the locale's.
    [[nodiscard]] virtual bool IsNumberColumn(int col) const = 0;

    // Appends one CSV line without its line end: every field in the encoding
    // (no byte order mark), quoted when it needs to be, and followed by ",".
    // Row -1 is the header. The export calls it from several threads at once.
    virtual void AppendCsvLine(int64_t row, TCsvEncoding encoding, std::string& out) const;
    // True once the records behind the rows changed under the grid, so that
    // what was exported is not what the rows showed.
    [[nodiscard]] virtual bool SourceChanged() const { return false; }

    [[nodiscard]] std::string CellText(int64_t row, int col) const {
        std::string text;
        AppendCell(row, col, text);
        return text;
    }
};
