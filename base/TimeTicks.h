#pragma once
// Ticks of a time axis in log time stamps (days since 1899-12-30, local wall
// time). The steps are round (minutes, hours, days) and the ticks their whole
// multiples, so day ticks fall on midnight and hour ticks on the hour. The
// axis is wall time as logged: a day with a change of daylight saving time is
// as wide as any other, and its ticks and labels stay on the clock's hours.

#include <vector>

struct TTimeTicks {
    double Step = 0; // days
    std::vector<double> At;
};

// Ticks between start and end on width pixels, at least minPixels apart.
[[nodiscard]] TTimeTicks TimeTicks(double start, double end, int width, int minPixels);
