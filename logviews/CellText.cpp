#include "logviews/CellText.h"

#include "logging/TwoDigits.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

namespace {
constexpr int64_t Pow10[] = {1,
                             10,
                             100,
                             1000,
                             10000,
                             100000,
                             1000000,
                             10000000,
                             100000000,
                             1000000000,
                             10000000000,
                             100000000000,
                             1000000000000,
                             10000000000000,
                             100000000000000,
                             1000000000000000};

int DigitCount(uint64_t v) {
    int n = 1;
    for (; v >= 10000; v /= 10000)
        n += 4;
    return n + (v >= 10) + (v >= 100) + (v >= 1000);
}

char* WriteUnsigned(char* p, uint64_t v) {
    // Most cells are below 100000: their digits without a count or a loop.
    if (v < 100) {
        if (v < 10) {
            *p = char('0' + v);
            return p + 1;
        }
        return WriteTwoDigits(p, v);
    }
    if (v < 10000) {
        if (v < 1000)
            *p++ = char('0' + v / 100);
        else
            p = WriteTwoDigits(p, v / 100);
        return WriteTwoDigits(p, v % 100);
    }
    if (v < 100000) {
        *p++ = char('0' + v / 10000);
        p = WriteTwoDigits(p, v / 100 % 100);
        return WriteTwoDigits(p, v % 100);
    }
    char* end = p + DigitCount(v);
    char* q = end;
    while (v >= 100) {
        const std::size_t pair = std::size_t(v % 100) * 2;
        v /= 100;
        *--q = DigitPairs[pair + 1];
        *--q = DigitPairs[pair];
    }
    if (v >= 10) {
        *--q = DigitPairs[v * 2 + 1];
        *--q = DigitPairs[v * 2];
    } else {
        *--q = char('0' + v);
    }
    return end;
}

// `scaled` is the value times 10^decimals, already rounded.
char* WriteScaled(char* p, int64_t scaled, int decimals) {
    if (scaled < 0)
        *p++ = '-';
    const uint64_t mag = scaled < 0 ? uint64_t(0) - uint64_t(scaled) : uint64_t(scaled);
    if (decimals == 0)
        return WriteUnsigned(p, mag);
    if (decimals == 1) { // the voltages, the frequency
        p = WriteUnsigned(p, mag / 10);
        *p++ = '.';
        *p = char('0' + mag % 10);
        return p + 1;
    }
    p = WriteUnsigned(p, mag / uint64_t(Pow10[decimals]));
    *p++ = '.';
    uint64_t frac = mag % uint64_t(Pow10[decimals]);
    for (int i = decimals - 1; i >= 0; --i, frac /= 10)
        p[i] = char('0' + frac % 10);
    return p + decimals;
}

bool AllZero(const char* first, const char* last) {
    for (; first != last; ++first)
        if (*first >= '1' && *first <= '9')
            return false;
    return true;
}

// Exact decimal conversion: every case the fast path leaves.
char* WriteExact(char* p, double value, int precision, int decimals) {
    char buf[400];
    // The value rounded to `precision` significant digits tells how many
    // integer digits it has and how many decimals survive that rounding.
    auto sci =
        std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, precision - 1);
    const char* e = std::find(buf, sci.ptr, 'e');
    int exponent = 0;
    std::from_chars(e + (e[1] == '+' ? 2 : 1), sci.ptr, exponent);
    if (exponent + 1 > precision) {
        // Exponent form: d.dddE+xxx with `precision` digits.
        const std::size_t n = std::size_t(e - buf);
        std::memcpy(p, buf, n);
        p += n;
        *p++ = 'E';
        *p++ = exponent < 0 ? '-' : '+';
        const int mag = std::abs(exponent);
        if (mag < 100)
            *p++ = '0';
        if (mag < 10)
            *p++ = '0';
        return WriteUnsigned(p, uint64_t(mag));
    }
    // Fewer decimals than shown may survive the rounding: the rest are zeros.
    const int kept = std::min(decimals, std::max(0, precision - 1 - exponent));
    const char* first = buf;
    const char* last =
        std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, kept).ptr;
    if (*first == '-' && AllZero(first, last))
        ++first;
    const std::size_t n = std::size_t(last - first);
    std::memcpy(p, first, n);
    p += n;
    if (decimals > kept) {
        if (kept == 0)
            *p++ = '.';
        std::memset(p, '0', std::size_t(decimals - kept));
        p += decimals - kept;
    }
    return p;
}

// Fast path: one product and one rounding, taken wherever the result has no
// more digits than `precision`. False when the exact conversion is needed. Without branches on
// the digits: a rounding direction that differs from row to row would cost
// more than the arithmetic.
bool ScaledFast(double value, int precision, int decimals, int64_t& scaled) {
    const double product = value * double(Pow10[decimals]);
    if (!(std::fabs(product) < 1e15))
        return false;
    // Below 2^51 in magnitude, adding and taking away 1.5 * 2^52 leaves the
    // nearest whole number.
    constexpr double RoundingShift = 6755399441055744.0;
    double nearest = (product + RoundingShift) - RoundingShift;
    // A half of the last shown digit, or a value stored a hair from one (a
    // register / 10 or / 100 in binary), rounds away from zero, as a person
    // and a spreadsheet read it: 36.5 shows 37, 0.35 shows 0.4, 220.25 shows
    // 220.3.
    if (std::fabs(std::fabs(product - nearest) - 0.5) < 1e-6)
        nearest = std::copysign(std::floor(std::fabs(product)) + 1, product);
    scaled = int64_t(nearest);
    const int64_t limit = Pow10[precision];
    return uint64_t(scaled + limit - 1) < uint64_t(2 * limit - 1); // |scaled| < limit
}
} // namespace

char* WriteFixed(char* p, double value, int precision, int decimals) {
    if (std::isnan(value)) {
        std::memcpy(p, "NAN", 3);
        return p + 3;
    }
    if (std::isinf(value)) {
        if (value < 0)
            *p++ = '-';
        std::memcpy(p, "INF", 3);
        return p + 3;
    }
    int64_t scaled = 0;
    if (ScaledFast(value, precision, decimals, scaled))
        return WriteScaled(p, scaled, decimals);
    return WriteExact(p, value, precision, decimals);
}

void AppendFixed(std::string& out, double value, int precision, int decimals) {
    char buf[MaxNumberChars];
    out.append(buf, WriteFixed(buf, value, precision, decimals));
}

double ShownValue(double value, int precision, int decimals) {
    if (!std::isfinite(value))
        return value;
    int64_t scaled = 0;
    if (ScaledFast(value, precision, decimals, scaled))
        return double(scaled) / double(Pow10[decimals]);
    char buf[MaxNumberChars];
    char* end = WriteExact(buf, value, precision, decimals);
    double shown = 0;
    std::from_chars(buf, end, shown);
    return shown;
}

bool ShownScaled(double value, int precision, int decimals, int64_t& scaled) {
    if (ScaledFast(value, precision, decimals, scaled))
        return true;
    if (!std::isfinite(value))
        return false;
    const double shown = ShownValue(value, precision, decimals) * double(Pow10[decimals]);
    if (!(std::fabs(shown) < 0x1p62))
        return false;
    scaled = std::llround(shown);
    return true;
}

char* WriteDecimal(char* p, int64_t value) {
    if (value < 0) {
        *p++ = '-';
        return WriteUnsigned(p, uint64_t(0) - uint64_t(value));
    }
    return WriteUnsigned(p, uint64_t(value));
}

void AppendDecimal(std::string& out, int64_t value) {
    char buf[MaxNumberChars];
    out.append(buf, WriteDecimal(buf, value));
}
