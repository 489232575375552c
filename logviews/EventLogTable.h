#pragma once
// The event viewer's grid: the records of the live event log that pass a
// time and address filter, numbered newest = 1, as four text columns (index,
// time, address, event text) formatted on demand.

#include "logging/EventRowText.h"
#include "logging/uEventLogClass.h"
#include "logviews/GridSource.h"
#include "logviews/LogTexts.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A word of 0 sets no condition. Day is only looked at with Month and Year,
// Month only with Year, as the time filter's modes set them.
struct TEventFilter {
    uint16_t Year = 0, Month = 0, Day = 0, Addr = 0;
};

[[nodiscard]] bool EventPassesFilter(const TEventRec& rec, const TEventFilter& filter);


class TEventLogTable : public TGridSource {
public:
    static constexpr int64_t BlankRows = 2;

    // Empty: header and the blank rows.
    void Reset(uint8_t language);
    // Reads the live file; false, and empty, when it cannot be opened.
    [[nodiscard]] bool Load(const std::string& path, const TEventFilter& filter, uint8_t language);
    // The bytes of a live file; a partial record at the end is ignored.
    void LoadBytes(std::string_view bytes, const TEventFilter& filter, uint8_t language);

    // Stable: rows that compare equal keep their order.
    void Sort(int col, bool descending);

    int ColumnCount() const override { return EventColumnCount; }
    int64_t FilledRows() const override { return int64_t(FRows.size()); }
    int64_t MinimumRows() const override { return BlankRows; }
    std::string HeaderText(int col) const override;
    void AppendCell(int64_t row, int col, std::string& out) const override;
    bool IsNumberColumn(int col) const override { return col == 0 || col == 2; }

private:
    struct TRow {
        int32_t Index;
        TEventRec Rec;
    };
    std::vector<TRow> FRows;
    uint8_t FLanguage = 0;
};
