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

// Fast path: one product and one rounding, taken only where they give the
// exact decimal result: far from a rounding boundary, and no more digits than
// `precision`. False when the exact conversion is needed.
bool ScaledFast(double value, int precision, int decimals, int64_t& scaled) {
    const double product = value * double(Pow10[decimals]);
    if (!(std::fabs(product) < 1e15))
        return false;
    const double frac = std::fabs(product - std::trunc(product));
    if (std::fabs(frac - 0.5) < 1e-6)
        return false;
    scaled = int64_t(std::nearbyint(product));
    return DigitCount(uint64_t(std::llabs(scaled))) <= precision;
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
    int64_t scaled = 0;
    if (ScaledFast(value, precision, decimals, scaled))
        AppendScaled(out, scaled, decimals);
    else
        AppendExact(out, value, precision, decimals);
}

double ShownValue(double value, int precision, int decimals) {
    if (!std::isfinite(value))
        return value;
    int64_t scaled = 0;
    if (ScaledFast(value, precision, decimals, scaled))
        return double(scaled) / double(Pow10[decimals]);
    std::string text;
    AppendExact(text, value, precision, decimals);
    double shown = 0;
    std::from_chars(text.data(), text.data() + text.size(), shown);
    return shown;
}

void AppendDecimal(std::string& out, int64_t value) {
    if (value < 0) {
        out += '-';
        AppendUnsigned(out, uint64_t(0) - uint64_t(value));
        return;
    }
    AppendUnsigned(out, uint64_t(value));
}
