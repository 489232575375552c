#include "logviews/EventLogTable.h"

#include "logging/TimeStamp.h"
#include "logviews/CellCompare.h"
#include "logviews/CellText.h"
#include "logviews/LogTexts.h"
#include "status/StatusTexts.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <numeric>

bool EventPassesFilter(const TEventRec& rec, const TEventFilter& f) {
    if (f.Addr != 0 && f.Addr != rec.Address)
        return false;
    if (f.Year == 0)
        return true;
    const TTimeParts date = DecodeTimeStamp(rec.Time);
    if (f.Day != 0)
        return date.Year == f.Year && date.Month == f.Month && date.Day == f.Day;
    if (f.Month != 0)
        return date.Year == f.Year && date.Month == f.Month;
    return date.Year == f.Year;
}

void TEventLogTable::Reset(uint8_t language) {
    FRows.clear();
    FLanguage = language;
}

bool TEventLogTable::Load(const std::string& path, const TEventFilter& filter, uint8_t language) {
    Reset(language);
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    LoadBytes(bytes, filter, language);
    return true;
}

void TEventLogTable::LoadBytes(std::string_view bytes, const TEventFilter& filter,
                               uint8_t language) {
    Reset(language);
    const int64_t count = int64_t(bytes.size() / EventRecSize);
    for (int64_t k = 0; k < count; ++k) {
        TEventRecBytes raw;
        std::copy_n(bytes.data() + k * int64_t(EventRecSize), EventRecSize, raw.begin());
        const TEventRec rec = DecodeEventRec(raw);
        // Skipped records still use up their index number.
        if (EventPassesFilter(rec, filter) && !EventRowText(rec, language).empty())
            FRows.push_back({int32_t(count - k), rec});
    }
}

void TEventLogTable::Sort(int col, bool descending) {
    if (col < 0 || col >= EventColumnCount)
        return;
    std::vector<std::string> cells(FRows.size());
    for (std::size_t i = 0; i < FRows.size(); ++i)
        AppendCell(int64_t(i), col, cells[i]);
    std::vector<std::size_t> order(FRows.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const int c = CompareCells(cells[a], cells[b]);
        return descending ? c > 0 : c < 0;
    });
    std::vector<TRow> sorted;
    sorted.reserve(FRows.size());
    for (std::size_t i : order)
        sorted.push_back(FRows[i]);
    FRows = std::move(sorted);
}

std::string TEventLogTable::HeaderText(int col) const {
    return PickText(EventColumnTexts[col], FLanguage);
}

void TEventLogTable::AppendCell(int64_t row, int col, std::string& out) const {
    if (row < 0 || row >= FilledRows())
        return;
    const TRow& r = FRows[std::size_t(row)];
    switch (col) {
    case 0:
        AppendDecimal(out, r.Index);
        break;
    case 1:
        AppendTimeStamp(out, r.Rec.Time);
        break;
    case 2:
        if (r.Rec.Address != 0)
            AppendDecimal(out, r.Rec.Address);
        break;
    case 3:
        out += EventRowText(r.Rec, FLanguage);
        break;
    default:
        break;
    }
}
