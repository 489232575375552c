// Feeds arbitrary bytes to the data viewer as a month file. The first byte
// chooses a day and an address filter and the sort column; the rest is the
// file. Checks that every kept record passes the filter, that the rows are
// whole records, that each CSV line has fifteen plain fields, and that a sort
// keeps the rows and orders the shown numbers.
#include "logging/TimeStamp.h"
#include "logging/UDataLogClass.h"
#include "logviews/CellCompare.h"
#include "logviews/DataLogTable.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

namespace {
void Require(bool ok) {
    if (!ok)
        std::abort();
}

std::optional<double> Number(const std::string& text) {
    double v = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || !std::isfinite(v))
        return std::nullopt;
    return v;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const uint8_t p = data[0];
    TRecFilter filter;
    filter.Year = 2008;
    filter.Month = 12;
    filter.Day = (p & 1) ? 5 : 0;
    filter.Addr = (p & 2) ? uint16_t(p >> 5) : 0;
    TDataLogTable table;
    table.LoadBytes(data + 1, size - 1, filter);
    const int64_t count = int64_t((size - 1) / DataRecSize);
    Require(table.FilledRows() <= count);
    for (int64_t row = 0; row < table.RowCount(); ++row) {
        std::string line;
        table.AppendCsvLine(row, TCsvEncoding::Gbk, line);
        Require(std::count(line.begin(), line.end(), ',') == DataColumnCount);
        Require(line.find('"') == std::string::npos);
        if (row >= table.FilledRows())
            continue;
        if (filter.Addr != 0)
            Require(table.CellText(row, 1) == std::to_string(filter.Addr));
        if (filter.Day != 0)
            Require(table.CellText(row, 0).compare(0, 10, "2008-12-05") == 0);
    }
    const int col = (p >> 2) % DataColumnCount;
    const bool descending = (p & 0x80) != 0;
    TJobProgress progress;
    std::optional<std::vector<uint32_t>> rows = table.SortedRows(col, descending, progress);
    Require(rows.has_value() && int64_t(rows->size()) == table.FilledRows());
    table.SetRows(std::move(*rows));
    for (int64_t row = 1; row < table.FilledRows(); ++row) {
        std::string a = table.CellText(row - 1, col), b = table.CellText(row, col);
        if (descending)
            std::swap(a, b);
        const std::optional<double> x = Number(a), y = Number(b);
        if (x && y)
            Require(*x <= *y);
        else if (col == 0)
            Require(a <= b); // the time as text
        else if (a.empty() && y)
            continue; // empty cells before the numbers
        else if (x && b.empty())
            Require(false);
    }
    return 0;
}
