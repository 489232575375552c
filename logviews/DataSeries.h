#pragma once
// The samples of each unit in a loaded month, for the charts: per address the
// record numbers in time order (4 bytes a sample), read in place from the
// table's mapped file. The month itself is never copied.

#include "logging/UDataLogClass.h"
#include "logviews/DataLogTable.h"
#include "logviews/JobProgress.h"

#include <cstdint>
#include <map>
#include <vector>

// One unit's samples of one column, as base/Envelope.h reads a series.
struct TDataSeries {
    const uint8_t* Data = nullptr;
    const std::vector<uint32_t>* Records = nullptr;
    int Col = FirstChartCol;

    [[nodiscard]] std::size_t Size() const { return Records->size(); }
    [[nodiscard]] const uint8_t* Record(std::size_t i) const {
        return Data + std::size_t((*Records)[i]) * DataRecSize;
    }
    [[nodiscard]] double Time(std::size_t i) const;
    [[nodiscard]] double Value(std::size_t i) const { return DataCellValue(Record(i), Col); }
};

struct TDataSeriesIndex {
    std::map<uint8_t, std::vector<uint32_t>> ByAddress;
    double First = 0, Last = 0; // the earliest and latest time stamp

    [[nodiscard]] TDataSeries Series(const TDataLogTable& table, uint8_t address, int col) const {
        return {table.FileData(), &ByAddress.at(address), col};
    }
};

// Groups the table's rows by address, each in time order (file order among
// equal times: the hour a clock set back repeats keeps both passes). Runs on
// a worker; empty when cancelled.
[[nodiscard]] TDataSeriesIndex IndexDataSeries(const TDataLogTable& table, TJobProgress& progress);
