#include "logviews/DataLogTable.h"

#include "base/LittleEndian.h"
#include "logging/TimeStamp.h"
#include "logging/UDataLogClass.h"
#include "logviews/CellText.h"

#include <cmath>
#include <limits>
#include <utility>

namespace {
// Offsets in the 128-byte record.
constexpr std::size_t OffTime = 0, OffAddress = 8, OffFirstValue = 16, OffCapacity = 104,
                      OffSupport = 108;
// Columns 2..12 are the doubles at 16, 24, ... 96; loads (8..10) show no decimals.
constexpr int FirstValueCol = 2, LastValueCol = 12, FirstLoadCol = 8, LastLoadCol = 10;
static_assert(OffFirstValue + (LastValueCol - FirstValueCol) * 8 + 8 == OffCapacity);
// Records scanned between two looks at the cancel flag.
constexpr std::size_t ScanSlice = 1 << 16;
// Rows ahead of the one being exported whose record is fetched early.
constexpr int64_t PrefetchRows = 16;
constexpr int64_t MsPerDay = 86'400'000;

double ValueOf(const uint8_t* rec, int col) {
    return le::GetF64(rec + OffFirstValue + std::size_t(col - FirstValueCol) * 8);
}

// The day the shown time of a stamp falls on, as DecodeTimeStamp rounds it;
// INT64_MIN when the stamp shows no date of its own.
int64_t ShownDay(double stamp) {
    if (!std::isfinite(stamp) || std::fabs(stamp) > 1e7)
        return INT64_MIN;
    const int64_t ms = std::llround(stamp * double(MsPerDay));
    return ms >= 0 ? ms / MsPerDay : (ms - MsPerDay + 1) / MsPerDay;
}

bool IsLoadCol(int col) {
    return col >= FirstLoadCol && col <= LastLoadCol;
}

// Inlined where the column is known, the export writes each line without a
// choice per cell.
[[gnu::always_inline]] inline char* WriteCell(const uint8_t* rec, int col, char* p) {
    if (col == 0)
        return WriteTimeStamp(p, le::GetF64(rec + OffTime));
    if (col == 1)
        return WriteDecimal(p, le::GetU8(rec + OffAddress));
    if (col >= FirstValueCol && col <= LastValueCol)
        return WriteFixed(p, ValueOf(rec, col), IsLoadCol(col) ? 4 : 5, IsLoadCol(col) ? 0 : 1);
    if (col == 13) {
        const int32_t capacity = le::GetI32(rec + OffCapacity);
        return capacity > 0 ? WriteDecimal(p, capacity) : p;
    }
    if (col == 14) {
        const uint16_t support = le::GetU16(rec + OffSupport);
        return support != 0 ? WriteDecimal(p, support) : p;
    }
    return p;
}

// Every cell of a record, each followed by ",".
template <int... Col>
char* WriteCells(const uint8_t* rec, char* p, std::integer_sequence<int, Col...>) {
    ((p = WriteCell(rec, Col, p), *p++ = ','), ...);
    return p;
}
} // namespace

std::string DataLogMonthPath(const std::string& folder, int year, int month) {
    std::string name = folder + "DataLog";
    AppendDecimal(name, year);
    name += month < 10 ? "_0" : "_";
    AppendDecimal(name, month);
    return name + ".dat";
}

char* WriteDataCell(const uint8_t* rec, int col, char* p) {
    return WriteCell(rec, col, p);
}

double DataCellValue(const uint8_t* rec, int col) {
    constexpr double Empty = std::numeric_limits<double>::quiet_NaN();
    if (col >= FirstValueCol && col <= LastValueCol)
        return ValueOf(rec, col);
    if (col == 13) {
        const int32_t capacity = le::GetI32(rec + OffCapacity);
        return capacity > 0 ? capacity : Empty;
    }
    if (col == 14) {
        const uint16_t support = le::GetU16(rec + OffSupport);
        return support != 0 ? support : Empty;
    }
    return Empty;
}

int DataValueDecimals(int col) {
    return col >= FirstValueCol && col <= LastValueCol && !IsLoadCol(col) ? 1 : 0;
}

void AppendDataValue(std::string& out, double value, int col) {
    if (col >= FirstValueCol && col <= LastValueCol)
        AppendFixed(out, value, IsLoadCol(col) ? 4 : 5, DataValueDecimals(col));
    else
        AppendFixed(out, value, 15, 0);
}

void AppendDataCell(const uint8_t* rec, int col, std::string& out) {
    char buf[MaxNumberChars];
    out.append(buf, WriteDataCell(rec, col, buf));
}

TDataLogTable::TLoadResult TDataLogTable::Load(const TRecFilter& filter, TJobProgress& progress) {
    FRows.clear();
    if (!FFile.Open(filter.FileName, DataRecSize))
        return TLoadResult::NoFile;
    if (!Scan(filter, progress)) {
        FRows.clear();
        FFile = TMappedFile();
        return TLoadResult::Cancelled;
    }
    return TLoadResult::Loaded;
}

void TDataLogTable::LoadBytes(const uint8_t* bytes, std::size_t size, const TRecFilter& filter) {
    FRows.clear();
    FFile.Adopt(bytes, size, DataRecSize);
    TJobProgress progress;
    (void)Scan(filter, progress);
}

bool TDataLogTable::Scan(const TRecFilter& filter, TJobProgress& progress) {
    // A record number is 32 bits: a month file beyond 512 GB shows its start.
    const std::size_t count = std::min<std::size_t>(FFile.Size() / DataRecSize, UINT32_MAX);
    const uint8_t* data = FFile.Data();
    const int64_t day =
        filter.Day != 0 ? TimeStampDay(filter.Year, filter.Month, filter.Day) : INT64_MIN;
    progress.Set(0, int64_t(count));
    FRows.reserve(filter.Day == 0 && filter.Addr == 0 ? count : 0);
    for (std::size_t first = 0; first < count; first += ScanSlice) {
        if (progress.Stopping())
            return false;
        const std::size_t last = std::min(count, first + ScanSlice);
        for (std::size_t i = first; i < last; ++i) {
            const uint8_t* rec = data + i * DataRecSize;
            if (filter.Addr != 0 && rec[OffAddress] != filter.Addr)
                continue;
            if (filter.Day != 0 && ShownDay(le::GetF64(rec + OffTime)) != day)
                continue;
            FRows.push_back(uint32_t(i));
        }
        progress.Position.store(int64_t(last), std::memory_order_relaxed);
    }
    FRows.shrink_to_fit();
    return true;
}

const uint8_t* TDataLogTable::Record(int64_t row) const {
    if (row < 0 || row >= FilledRows())
        return nullptr;
    return FFile.Data() + std::size_t(FRows[std::size_t(row)]) * DataRecSize;
}

std::string TDataLogTable::HeaderText(int col) const {
    return PickText(DataColumnTexts[col], FLanguage);
}

void TDataLogTable::AppendCell(int64_t row, int col, std::string& out) const {
    if (const uint8_t* rec = Record(row))
        AppendDataCell(rec, col, out);
}

void TDataLogTable::AppendCsvLine(int64_t row, TCsvEncoding encoding, std::string& out) const {
    const uint8_t* rec = Record(row);
    if (rec == nullptr) {
        // The header has texts to convert; a blank row is fifteen commas.
        if (row < 0)
            TGridSource::AppendCsvLine(row, encoding, out);
        else
            out.append(DataColumnCount, ',');
        return;
    }
    // The export goes row by row; after a sort the records lie all over the
    // file, so both cache lines of a record a few rows on are asked for early.
    if (const uint8_t* ahead = Record(row + PrefetchRows)) {
        __builtin_prefetch(ahead);
        __builtin_prefetch(ahead + DataRecSize / 2);
    }
    // Times and numbers are plain ASCII and never need quoting.
    char line[DataColumnCount * (MaxNumberChars + 1)];
    out.append(line, WriteCells(rec, line, std::make_integer_sequence<int, DataColumnCount>()));
}
