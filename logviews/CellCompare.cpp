#include "logviews/CellCompare.h"

#include <charconv>
#include <cmath>
#include <optional>

namespace {
std::optional<double> AsNumber(std::string_view text) {
    if (text.empty())
        return std::nullopt;
    double value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    // "NAN" and "INF" cells are texts: a not-a-number value has no order.
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}
} // namespace

int CompareCells(std::string_view a, std::string_view b) {
    const std::optional<double> x = AsNumber(a);
    const std::optional<double> y = AsNumber(b);
    if (x && y)
        return *x < *y ? -1 : (*x > *y ? 1 : 0);
    const int c = a.compare(b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}
