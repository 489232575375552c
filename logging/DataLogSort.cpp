// Sorting the data viewer's rows. The order of two cells is that of their
// shown texts (numbers by value, the time as text), but millions of rows
// cannot be sorted by formatting cells: each row gets a 32-bit key that orders
// as its cell does, packed with the row's current position, and a radix sort
// on the key bits orders the pairs. Being stable, it keeps rows with equal
// cells in the order they were shown.
#include "logging/DataLogTable.h"

#include "base/LittleEndian.h"
#include "logging/CellText.h"
#include "logging/TimeStamp.h"
#include "logging/UDataLogClass.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

namespace {
constexpr int DigitBits = 11;
constexpr std::size_t Buckets = std::size_t(1) << DigitBits;

// Unsigned key that orders as the signed value.
uint64_t SignedKey(int64_t v) {
    return uint64_t(v) ^ (uint64_t(1) << 63);
}

// Unsigned key of a measured value: its shown number, so that cells that
// show the same text tie. The single-precision value keeps every difference
// that five significant digits show and fits the 32-bit sort; a shown number
// beyond its range needs the double (`wide`). Not-a-number ("NAN") goes last.
uint64_t ValueKey(double v, int col, bool wide) {
    const bool load = col >= 8 && col <= 10;
    const double shown = ShownValue(v, load ? 4 : 5, load ? 0 : 1);
    if (std::isnan(shown))
        return wide ? std::numeric_limits<uint64_t>::max() : std::numeric_limits<uint32_t>::max();
    if (wide) {
        const uint64_t bits = std::bit_cast<uint64_t>(shown == 0 ? 0.0 : shown);
        return bits >> 63 ? ~bits : bits | (uint64_t(1) << 63);
    }
    float f = float(shown);
    if (f == 0.0f)
        f = 0.0f; // -0.0 shows as 0.0
    const uint32_t bits = std::bit_cast<uint32_t>(f);
    return bits & 0x8000'0000u ? ~bits : bits | 0x8000'0000u;
}

bool BeyondFloat(const uint8_t* rec, int col) {
    if (col < 2 || col > 12)
        return false;
    const double v = le::GetF64(rec + 16 + std::size_t(col - 2) * 8);
    return std::isfinite(v) && std::fabs(v) > double(std::numeric_limits<float>::max()) * 0.99;
}

uint64_t CellKey(const uint8_t* rec, int col, bool wide) {
    switch (col) {
    case 0:
        return SignedKey(TimeStampSeconds(le::GetF64(rec)));
    case 1:
        return rec[8];
    case 13: {
        // An empty cell (0 or less) sorts before every number.
        const int32_t capacity = le::GetI32(rec + 104);
        return capacity > 0 ? uint64_t(capacity) : 0;
    }
    case 14:
        return le::GetU16(rec + 108);
    default:
        return ValueKey(le::GetF64(rec + 16 + std::size_t(col - 2) * 8), col, wide);
    }
}

// Sorts (key << 32 | position) words by their top `bits` key bits.
bool RadixSort(std::vector<uint64_t>& words, int bits, TJobProgress& progress) {
    std::vector<uint64_t> scratch(words.size());
    const int passes = std::max(1, (bits + DigitBits - 1) / DigitBits);
    progress.Set(0, passes);
    for (int pass = 0; pass < passes; ++pass) {
        if (progress.Stopping())
            return false;
        const int shift = 32 + pass * DigitBits;
        std::vector<std::size_t> count(Buckets + 1, 0);
        for (uint64_t w : words)
            ++count[((w >> shift) & (Buckets - 1)) + 1];
        for (std::size_t b = 1; b <= Buckets; ++b)
            count[b] += count[b - 1];
        for (uint64_t w : words)
            scratch[count[(w >> shift) & (Buckets - 1)]++] = w;
        words.swap(scratch);
        progress.Position.store(pass + 1, std::memory_order_relaxed);
    }
    return true;
}
} // namespace

std::optional<std::vector<uint32_t>> TDataLogTable::SortedRows(int col, bool descending,
                                                               TJobProgress& progress) const {
    const std::size_t n = FRows.size();
    if (col < 0 || col >= DataColumnCount)
        return FRows;
    std::vector<uint64_t> keys(n);
    uint64_t low = std::numeric_limits<uint64_t>::max(), high = 0;
    bool wide = false;
    for (int round = 0; round < 2; ++round) {
        low = std::numeric_limits<uint64_t>::max(), high = 0;
        bool beyond = false;
        for (std::size_t i = 0; i < n; ++i) {
            if (i % (1 << 16) == 0 && progress.Stopping())
                return std::nullopt;
            const uint8_t* rec = FFile.Data() + std::size_t(FRows[i]) * DataRecSize;
            keys[i] = CellKey(rec, col, wide);
            beyond = beyond || (!wide && BeyondFloat(rec, col));
            low = std::min(low, keys[i]);
            high = std::max(high, keys[i]);
        }
        // Values beyond single precision (a damaged record): the keys again, wide.
        if (!beyond)
            break;
        wide = true;
    }
    if (n == 0)
        return FRows;
    if (high - low <= std::numeric_limits<uint32_t>::max()) {
        // Keys relative to the smallest fit 32 bits: pack them with positions.
        for (std::size_t i = 0; i < n; ++i) {
            const uint64_t k = descending ? high - keys[i] : keys[i] - low;
            keys[i] = k << 32 | i;
        }
        if (!RadixSort(keys, std::bit_width(high - low), progress))
            return std::nullopt;
        std::vector<uint32_t> sorted(n);
        for (std::size_t i = 0; i < n; ++i)
            sorted[i] = FRows[keys[i] & 0xFFFF'FFFFu];
        return sorted;
    }
    // Only times years apart (a damaged stamp) need all 64 bits.
    std::vector<uint32_t> order(n);
    for (std::size_t i = 0; i < n; ++i)
        order[i] = uint32_t(i);
    std::stable_sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
        return descending ? keys[a] > keys[b] : keys[a] < keys[b];
    });
    for (std::size_t i = 0; i < n; ++i)
        order[i] = FRows[order[i]];
    return order;
}
