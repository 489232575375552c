// Feeds arbitrary bytes to the event viewer as its live file. The first byte
// chooses the language, the time filter and an address; the rest is the file.
// Checks what the viewer relies on: indexes unique and within the file's
// record count, every kept record passing the filter, every row turning into
// a CSV line of exactly four fields, and sorting keeping the rows.
#include "logviews/CellCompare.h"
#include "logviews/EventLogTable.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>

namespace {
void Require(bool ok) {
    if (!ok)
        std::abort();
}

// Fields of a CSV line, quotes understood.
int CsvFields(const std::string& line) {
    int fields = 0;
    bool quoted = false;
    for (char c : line) {
        if (c == '"')
            quoted = !quoted;
        else if (c == ',' && !quoted)
            ++fields;
    }
    Require(!quoted);
    return fields;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const uint8_t p = data[0];
    const std::string_view file(reinterpret_cast<const char*>(data + 1), size - 1);
    TEventFilter filter;
    const int mode = p & 3;
    filter.Year = mode >= 1 ? 2008 : 0;
    filter.Month = mode >= 2 ? 12 : 0;
    filter.Day = mode >= 3 ? 5 : 0;
    filter.Addr = (p & 4) ? uint16_t(p >> 4) : 0;
    const uint8_t language = (p & 8) ? 1 : 0;
    const TCsvEncoding encoding = (p & 0x20) ? TCsvEncoding::Utf8Bom : TCsvEncoding::Gbk;

    TEventLogTable table;
    table.LoadBytes(file, filter, language);
    const int64_t count = int64_t(file.size() / EventRecSize);
    Require(table.FilledRows() <= count);
    Require(table.RowCount() >= TEventLogTable::BlankRows);
    std::set<std::string> indexes;
    for (int64_t row = 0; row < table.RowCount(); ++row) {
        const std::string index = table.CellText(row, 0);
        if (row < table.FilledRows()) {
            const long n = std::strtol(index.c_str(), nullptr, 10);
            Require(n >= 1 && n <= count && indexes.insert(index).second);
            Require(!table.CellText(row, 3).empty());
        }
        std::string line;
        table.AppendCsvLine(row, encoding, line);
        Require(CsvFields(line) == EventColumnCount);
    }
    for (int col = 0; col < EventColumnCount; ++col) {
        table.Sort(col, (p & 0x10) != 0);
        Require(table.FilledRows() == int64_t(indexes.size()));
    }
    return 0;
}
