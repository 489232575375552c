#include "base/TimeTicks.h"

#include <cmath>
#include <cstdint>

namespace {
constexpr int64_t MsPerMinute = 60'000, MsPerHour = 60 * MsPerMinute, MsPerDay = 24 * MsPerHour;
constexpr int64_t Steps[] = {MsPerMinute,      2 * MsPerMinute,  5 * MsPerMinute, 10 * MsPerMinute,
                             15 * MsPerMinute, 30 * MsPerMinute, MsPerHour,       2 * MsPerHour,
                             3 * MsPerHour,    6 * MsPerHour,    12 * MsPerHour,  MsPerDay,
                             2 * MsPerDay,     7 * MsPerDay,     14 * MsPerDay,   28 * MsPerDay};
} // namespace

TTimeTicks TimeTicks(double start, double end, int width, int minPixels) {
    TTimeTicks ticks;
    if (!(end > start) || width <= 0 || !std::isfinite(start) || !std::isfinite(end))
        return ticks;
    // Counted in whole milliseconds, the ticks are exact multiples of the step.
    const double spanMs = (end - start) * double(MsPerDay);
    const double wanted = spanMs * double(std::max(minPixels, 1)) / double(width);
    int64_t step = Steps[std::size(Steps) - 1];
    for (int64_t s : Steps)
        if (double(s) >= wanted) {
            step = s;
            break;
        }
    ticks.Step = double(step) / double(MsPerDay);
    const auto first = int64_t(std::ceil(start * double(MsPerDay) / double(step)));
    const auto last = int64_t(std::floor(end * double(MsPerDay) / double(step)));
    for (int64_t k = first; k <= last; ++k)
        ticks.At.push_back(double(k * step) / double(MsPerDay));
    return ticks;
}
