#include "logging/CellText.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace {
constexpr int64_t Pow10[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000};

int DigitCount(uint64_t v) {
    int n = 1;
    while (v >= 10) {
        v /= 10;
        ++n;
    }
    return n;
}

void AppendUnsigned(std::string& out, uint64_t v) {
    char buf[24];
    char* end = buf + sizeof buf;
    char* p = end;
    do {
        *--p = char('0' + v % 10);
        v /= 10;
    } while (v != 0);
    out.append(p, end);
}

// `scaled` is the value times 10^decimals, already rounded.
void AppendScaled(std::string& out, int64_t scaled, int decimals) {
    if (scaled < 0)
        out += '-';
    const uint64_t mag = uint64_t(std::llabs(scaled));
    AppendUnsigned(out, mag / uint64_t(Pow10[decimals]));
    if (decimals == 0)
        return;
    out += '.';
    const std::size_t at = out.size();
    AppendUnsigned(out, mag % uint64_t(Pow10[decimals]));
    out.insert(at, std::size_t(decimals) - (out.size() - at), '0');
}

bool AllZero(const char* first, const char* last) {
    for (; first != last; ++first)
        if (*first >= '1' && *first <= '9')
            return false;
    return true;
}

// Exact decimal conversion: every case the fast path leaves.
void AppendExact(std::string& out, double value, int precision, int decimals) {
    char buf[400];
    // The value rounded to `precision` significant digits tells how many
    // integer digits it has and how many decimals survive that rounding.
    auto sci = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific,
                             precision - 1);
    const char* e = buf;
    while (*e != 'e')
        ++e;
    int exponent = 0;
    std::from_chars(e + (e[1] == '+' ? 2 : 1), sci.ptr, exponent);
    if (exponent + 1 > precision) {
        // Exponent form: d.dddE+xxx with `precision` digits.
        out.append(buf, std::size_t(e - buf));
        out += 'E';
        out += exponent < 0 ? '-' : '+';
        const std::size_t at = out.size();
        AppendUnsigned(out, uint64_t(std::abs(exponent)));
        if (out.size() - at < 3)
            out.insert(at, 3 - (out.size() - at), '0');
        return;
    }
    const char* first = buf;
    const char* last = sci.ptr;
    if (precision - 1 - exponent >= decimals) {
        last = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals).ptr;
    } else {
        // Fewer decimals survive than are shown: the rest are zeros.
        last = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed,
                             std::max(0, precision - 1 - exponent))
                   .ptr;
    }
    if (*first == '-' && AllZero(first, last))
        ++first;
    const std::size_t at = out.size();
    out.append(first, std::size_t(last - first));
    const std::size_t point = out.find('.', at);
    const int shown = point == std::string::npos ? 0 : int(out.size() - point - 1);
    if (decimals > 0 && point == std::string::npos)
        out += '.';
    out.append(std::size_t(decimals - shown), '0');
}
} // namespace

void AppendFixed(std::string& out, double value, int precision, int decimals) {
    if (std::isnan(value)) {
        out += "NAN";
        return;
    }
    if (std::isinf(value)) {
        out += value < 0 ? "-INF" : "INF";
        return;
    }
    // Fast path: one product and one rounding, taken only where they give the
    // exact decimal result: far from a rounding boundary, and no more digits
    // than `precision`.
    const double scaled = value * double(Pow10[decimals]);
    if (std::fabs(scaled) < 1e15) {
        const double whole = std::nearbyint(scaled);
        const double frac = std::fabs(scaled - std::trunc(scaled));
        const bool nearTie = std::fabs(frac - 0.5) < 1e-6;
        const int64_t n = int64_t(whole);
        if (!nearTie && DigitCount(uint64_t(std::llabs(n))) <= precision) {
            AppendScaled(out, n == 0 ? 0 : n, decimals);
            return;
        }
    }
    AppendExact(out, value, precision, decimals);
}

void AppendDecimal(std::string& out, int64_t value) {
    if (value < 0) {
        out += '-';
        AppendUnsigned(out, uint64_t(0) - uint64_t(value));
        return;
    }
    AppendUnsigned(out, uint64_t(value));
}
