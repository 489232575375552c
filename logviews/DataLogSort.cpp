// Sorting the data viewer's rows. The order of two cells is that of their
// shown texts (numbers by value, the time as text), but millions of rows
// cannot be sorted by formatting cells: each row gets a 32-bit key that orders
// as its cell does, and a radix sort on the keys orders the row positions.
// Being stable, it keeps rows with equal cells in the order they were shown.
//
// Memory, beyond the shown rows (4 bytes each) that the grid goes on reading
// meanwhile: the keys, then the positions and the keys in the order of the
// first radix pass, 12 bytes a row.
#include "logviews/DataLogTable.h"

#include "base/LittleEndian.h"
#include "logging/TimeStamp.h"
#include "logging/UDataLogClass.h"
#include "logviews/CellText.h"
#include "logviews/SplitWork.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cmath>
#include <limits>
#include <numeric>

namespace {
// A table at least this large may read its keys in file order.
constexpr std::size_t LargeTable = std::size_t(1) << 16;
constexpr std::size_t PrefetchAhead = 16; // rows ahead whose key is asked for early
// The fewest records worth a thread of their own when the keys are read.
constexpr std::size_t KeysPerThread = std::size_t(1) << 14;
constexpr std::size_t CancelSlice = 1 << 16;
constexpr int64_t Half = int64_t(1) << 31;

bool IsLoadCol(int col) {
    return col >= 8 && col <= 10;
}

double ValueOf(const uint8_t* rec, int col) {
    return le::GetF64(rec + 16 + std::size_t(col - 2) * 8);
}

uint64_t DoubleKey(double shown) {
    if (std::isnan(shown))
        return std::numeric_limits<uint64_t>::max();
    const uint64_t bits = std::bit_cast<uint64_t>(shown == 0 ? 0.0 : shown);
    return bits >> 63 ? ~bits : bits | (uint64_t(1) << 63);
}

int Precision(int col) {
    return IsLoadCol(col) ? 4 : 5;
}

int Decimals(int col) {
    return IsLoadCol(col) ? 0 : 1;
}

double Shown(const uint8_t* rec, int col) {
    return ShownValue(ValueOf(rec, col), Precision(col), Decimals(col));
}

// Key of a measured value: its shown number in tenths (units for the loads),
// so that cells that show the same text tie, and most columns span few keys
// (one radix pass). "-INF" goes first, "INF" and then "NAN" last. False for a
// number beyond 31 bits, which only a damaged record holds: the wide keys.
bool ValueKey(const uint8_t* rec, int col, uint32_t& key) {
    const double value = ValueOf(rec, col);
    int64_t scaled = 0;
    if (!ShownScaled(value, Precision(col), Decimals(col), scaled)) {
        if (std::isnan(value))
            key = std::numeric_limits<uint32_t>::max();
        else if (std::isinf(value))
            key = value < 0 ? 0 : std::numeric_limits<uint32_t>::max() - 1;
        else
            return false;
        return true;
    }
    // Finite keys lie in 3 .. 2^32 - 3, between those of the infinities.
    key = uint32_t(scaled + Half);
    return scaled > -(Half - 2) && scaled < Half - 2;
}

uint32_t CapacityKey(const uint8_t* rec) {
    // An empty cell (0 or less) sorts before every number.
    const int32_t capacity = le::GetI32(rec + 104);
    return capacity > 0 ? uint32_t(capacity) : 0;
}

// The 32-bit key of a cell; false when it has none (a time more than 68 years
// from `base`, a number beyond 31 bits).
bool NarrowKey(const uint8_t* rec, int col, int64_t base, uint32_t& key) {
    switch (col) {
    case 0: {
        const int64_t offset = TimeStampSeconds(le::GetF64(rec)) - base;
        key = uint32_t(offset + Half);
        return offset >= -Half && offset < Half;
    }
    case 1:
        key = rec[8];
        return true;
    case 13:
        key = CapacityKey(rec);
        return true;
    case 14:
        key = le::GetU16(rec + 108);
        return true;
    default:
        return ValueKey(rec, col, key);
    }
}

uint64_t WideKey(const uint8_t* rec, int col) {
    switch (col) {
    case 0:
        return uint64_t(TimeStampSeconds(le::GetF64(rec))) ^ (uint64_t(1) << 63);
    case 1:
        return rec[8];
    case 13:
        return CapacityKey(rec);
    case 14:
        return le::GetU16(rec + 108);
    default:
        return DoubleKey(Shown(rec, col));
    }
}

// One stable counting pass over items 0..n-1, split into ranges that count
// and then place their items side by side: digitOf(j) is the bucket of item
// j (below `buckets`), place(j, at) puts it at position `at`.
template <class DigitOf, class Place>
void CountingPass(std::size_t n, std::size_t buckets, DigitOf digitOf, Place place) {
    const std::size_t ranges = RangeCount(n, KeysPerThread);
    // Per range and bucket: the count, then where the range's next item goes.
    std::vector<std::size_t> next(ranges * buckets);
    SplitWork(n, ranges, [&](std::size_t range, std::size_t first, std::size_t last) {
        std::size_t* count = &next[range * buckets];
        for (std::size_t j = first; j < last; ++j)
            ++count[digitOf(j)];
        return true;
    });
    std::size_t total = 0;
    for (std::size_t b = 0; b < buckets; ++b) {
        for (std::size_t range = 0; range < ranges; ++range) {
            const std::size_t count = next[range * buckets + b];
            next[range * buckets + b] = total;
            total += count;
        }
    }
    SplitWork(n, ranges, [&](std::size_t range, std::size_t first, std::size_t last) {
        std::size_t* at = &next[range * buckets];
        for (std::size_t j = first; j < last; ++j)
            place(j, at[digitOf(j)]++);
        return true;
    });
}

// Positions 0..n-1 ordered by keys[position], stably, looking at the low
// `bits` bits (at most 32): one pass of up to 16 bits, or two passes of half
// the bits each, the first carrying the keys along so that neither pass reads
// a key out of order. The keys' storage becomes the order. Nothing when
// cancelled.
std::optional<std::vector<uint32_t>> RadixOrder(std::vector<uint32_t> keys, int bits,
                                                TJobProgress& progress) {
    const std::size_t n = keys.size();
    const int passes = bits > 16 ? 2 : 1;
    const int digitBits = std::max(1, (bits + passes - 1) / passes);
    const uint32_t mask = (uint32_t(1) << digitBits) - 1;
    const std::size_t buckets = std::size_t(mask) + 1;
    auto lowDigit = [&keys, mask](std::size_t j) { return keys[j] & mask; };
    if (passes == 1) {
        std::vector<uint32_t> order(n);
        CountingPass(n, buckets, lowDigit,
                     [&order](std::size_t j, std::size_t at) { order[at] = uint32_t(j); });
        progress.Position.store(2 * int64_t(n), std::memory_order_relaxed);
        return order;
    }
    std::vector<uint32_t> positions(n), carried(n);
    CountingPass(n, buckets, lowDigit, [&](std::size_t j, std::size_t at) {
        positions[at] = uint32_t(j);
        carried[at] = keys[j];
    });
    progress.Position.store(int64_t(n + n / 2), std::memory_order_relaxed);
    if (progress.Stopping())
        return std::nullopt;
    CountingPass(
        n, buckets, [&carried, digitBits](std::size_t j) { return carried[j] >> digitBits; },
        [&](std::size_t j, std::size_t at) { keys[at] = positions[j]; });
    progress.Position.store(2 * int64_t(n), std::memory_order_relaxed);
    return keys;
}
} // namespace

// The key of every shown row, in shown order; false when a row has no
// narrow key. After a sort the rows lie all over the file, and reading a
// record per row would wait on memory at every step; when the rows are most
// of the file, the keys are read in file order first (4 bytes a record,
// freed before the sort's own arrays are made) and then picked by row.
bool TDataLogTable::ShownOrderKeys(int col, int64_t base, std::vector<uint32_t>& keys,
                                   TJobProgress& progress) const {
    const std::size_t n = FRows.size();
    const std::size_t records = FFile.Size() / DataRecSize;
    keys.assign(n, 0);
    if (n >= LargeTable && records <= 2 * n) {
        std::vector<uint32_t> byRecord(records);
        std::atomic<bool> cancelled{false};
        const bool narrow =
            SplitWork(records, RangeCount(records, KeysPerThread),
                      [&](std::size_t, std::size_t first, std::size_t last) {
                for (std::size_t r = first; r < last; ++r) {
                    if ((r - first) % CancelSlice == 0 && progress.Stopping()) {
                        cancelled = true;
                        return false;
                    }
                    if (!NarrowKey(FFile.Data() + r * DataRecSize, col, base, byRecord[r]))
                        return false;
                }
                return true;
            });
        if (cancelled)
            return false;
        if (narrow) {
            SplitWork(n, RangeCount(n, KeysPerThread), [&](std::size_t, std::size_t first,
                                                           std::size_t last) {
                for (std::size_t i = first; i < last; ++i) {
                    if (i + PrefetchAhead < last)
                        __builtin_prefetch(&byRecord[FRows[i + PrefetchAhead]]);
                    keys[i] = byRecord[FRows[i]];
                }
                return true;
            });
            progress.Position.store(int64_t(n), std::memory_order_relaxed);
            return true;
        }
        // A record without a narrow key may lie outside the shown rows:
        // ask the rows themselves.
    }
    for (std::size_t i = 0; i < n; ++i) {
        if (i % CancelSlice == 0) {
            if (progress.Stopping())
                return false;
            progress.Position.store(int64_t(i), std::memory_order_relaxed);
        }
        const uint8_t* rec = FFile.Data() + std::size_t(FRows[i]) * DataRecSize;
        if (i + PrefetchAhead < n)
            __builtin_prefetch(FFile.Data() + std::size_t(FRows[i + PrefetchAhead]) * DataRecSize);
        if (!NarrowKey(rec, col, base, keys[i]))
            return false;
    }
    return true;
}

std::optional<std::vector<uint32_t>> TDataLogTable::SortedRows(int col, bool descending,
                                                               TJobProgress& progress) const {
    const std::size_t n = FRows.size();
    if (col < 0 || col >= DataColumnCount || n == 0)
        return FRows;
    // Progress: the keys are the first half of the work, the passes the second.
    progress.Set(0, 2 * int64_t(n));
    auto record = [this](std::size_t row) {
        return FFile.Data() + std::size_t(FRows[row]) * DataRecSize;
    };
    const int64_t base = col == 0 ? TimeStampSeconds(le::GetF64(record(0))) : 0;
    std::vector<uint32_t> keys;
    bool narrow = ShownOrderKeys(col, base, keys, progress);
    if (progress.Stopping())
        return std::nullopt;
    uint32_t low = std::numeric_limits<uint32_t>::max(), high = 0;
    for (uint32_t k : keys) {
        low = std::min(low, k);
        high = std::max(high, k);
    }
    if (narrow) {
        for (uint32_t& k : keys)
            k = descending ? high - k : k - low;
        const int bits = std::bit_width(high - low);
        std::optional<std::vector<uint32_t>> order = RadixOrder(std::move(keys), bits, progress);
        if (!order)
            return std::nullopt;
        SplitWork(n, RangeCount(n, KeysPerThread), [&](std::size_t, std::size_t first,
                                                       std::size_t last) {
            for (std::size_t i = first; i < last; ++i)
                (*order)[i] = FRows[(*order)[i]];
            return true;
        });
        return order;
    }
    // A damaged record: a time decades from the others, a number beyond
    // 31 bits. The keys again, 64 bits wide.
    keys = {};
    std::vector<uint64_t> wide(n);
    for (std::size_t i = 0; i < n; ++i)
        wide[i] = WideKey(record(i), col);
    std::vector<uint32_t> order(n);
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
        return descending ? wide[a] > wide[b] : wide[a] < wide[b];
    });
    for (uint32_t& pos : order)
        pos = FRows[pos];
    return order;
}
