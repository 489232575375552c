#include "logviews/DataSeries.h"

#include "base/LittleEndian.h"

#include <algorithm>
#include <array>
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
    // The grid's rows usually come in file order, which is time order: then
    // the sorts below are skipped.
    bool fileOrder = true, timeOrder = true;
    std::array<std::vector<uint32_t>*, 256> bucket{};
    std::array<double, 256> lastTime{};
    for (std::size_t first = 0; first < rows.size(); first += Slice) {
        if (progress.Stopping())
            return {};
        const std::size_t last = std::min(rows.size(), first + Slice);
        for (std::size_t i = first; i < last; ++i) {
            const uint8_t* rec = data + std::size_t(rows[i]) * DataRecSize;
            // A damaged stamp has no place on a time axis (and would break the sort).
            const double t = le::GetF64(rec);
            if (!std::isfinite(t))
                continue;
            const uint8_t address = rec[OffAddress];
            if (bucket[address] == nullptr) {
                bucket[address] = &index.ByAddress[address];
                lastTime[address] = t;
            }
            std::vector<uint32_t>& records = *bucket[address];
            fileOrder = fileOrder && (records.empty() || records.back() < rows[i]);
            timeOrder = timeOrder && lastTime[address] <= t;
            lastTime[address] = t;
            records.push_back(rows[i]);
        }
        progress.Position.store(int64_t(last), std::memory_order_relaxed);
    }
    bool any = false;
    for (auto& [address, records] : index.ByAddress) {
        if (progress.Stopping())
            return {};
        // A sort of the grid may have put the rows in any order, and a clock
        // set back the times out of file order.
        if (!fileOrder)
            std::sort(records.begin(), records.end());
        if (!(fileOrder && timeOrder))
            std::stable_sort(records.begin(), records.end(), [data](uint32_t a, uint32_t b) {
                return le::GetF64(data + std::size_t(a) * DataRecSize) <
                       le::GetF64(data + std::size_t(b) * DataRecSize);
            });
        const TDataSeries s{data, &records, FirstChartCol};
        const double first = s.Time(0), last = s.Time(s.Size() - 1);
        index.First = any ? std::min(index.First, first) : first;
        index.Last = any ? std::max(index.Last, last) : last;
        any = true;
    }
    return index;
}
