#include "logviews/DataSeries.h"

#include "base/LittleEndian.h"

#include <algorithm>
#include <cmath>

double TDataSeries::Time(std::size_t i) const {
    return le::GetF64(Record(i));
}

TDataSeriesIndex IndexDataSeries(const TDataLogTable& table, TJobProgress& progress) {
    TDataSeriesIndex index;
    const std::vector<uint32_t>& rows = table.RecordNumbers();
    const uint8_t* data = table.FileData();
    progress.Set(0, int64_t(rows.size()));
    constexpr std::size_t OffAddress = 8, Slice = 1 << 16;
    for (std::size_t first = 0; first < rows.size(); first += Slice) {
        if (progress.Stopping())
            return {};
        const std::size_t last = std::min(rows.size(), first + Slice);
        for (std::size_t i = first; i < last; ++i) {
            const uint8_t* rec = data + std::size_t(rows[i]) * DataRecSize;
            // A damaged stamp has no place on a time axis (and would break the sort).
            if (std::isfinite(le::GetF64(rec)))
                index.ByAddress[rec[OffAddress]].push_back(rows[i]);
        }
        progress.Position.store(int64_t(last), std::memory_order_relaxed);
    }
    bool any = false;
    for (auto& [address, records] : index.ByAddress) {
        if (progress.Stopping())
            return {};
        // A sort of the grid may have put the rows in any order.
        std::sort(records.begin(), records.end());
        const TDataSeries s{data, &records, FirstChartCol};
        std::stable_sort(records.begin(), records.end(), [data](uint32_t a, uint32_t b) {
            return le::GetF64(data + std::size_t(a) * DataRecSize) <
                   le::GetF64(data + std::size_t(b) * DataRecSize);
        });
        const double first = s.Time(0), last = s.Time(s.Size() - 1);
        index.First = any ? std::min(index.First, first) : first;
        index.Last = any ? std::max(index.Last, last) : last;
        any = true;
    }
    return index;
}
