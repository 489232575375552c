#pragma once
// The shape of a long series drawn on a few pixels: each pixel column keeps
// the minimum and the maximum of the samples it covers, so a one-sample spike
// shows at any zoom, where taking one sample in N would drop it. A pixel
// column no sample falls in stays empty, and a line joins two samples only
// when they lie no further apart than the series' gap, so a time the unit was
// not logged is drawn as a gap, not bridged.
//
// A series is read in place through Time(i) and Value(i) (times ascending,
// Size() samples): the chart reads the mapped log file, never a copy of it.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

struct TEnvelopeColumn {
    double Min = std::numeric_limits<double>::quiet_NaN(); // NaN: no sample here
    double Max = std::numeric_limits<double>::quiet_NaN();
    double First = 0, Last = 0; // the first and last sample's value in the column
    bool JoinsPrevious = false; // a line from the previous filled column's Last
    [[nodiscard]] bool Filled() const { return !std::isnan(Min); }
};

// Times Start..End over Width pixel columns; samples further apart than
// MaxGap are not joined.
struct TEnvelopeFrame {
    double Start = 0, End = 1;
    int Width = 1;
    double MaxGap = 0;
};

// The index of the first sample at or after time t.
template <class Series> std::size_t FirstSampleFrom(const Series& s, double t) {
    std::size_t lo = 0, hi = s.Size();
    while (lo < hi) {
        const std::size_t mid = lo + (hi - lo) / 2;
        if (s.Time(mid) < t)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

// Fills out with frame.Width columns. Samples whose value is not a number
// count as not logged.
template <class Series>
void BuildEnvelope(const Series& s, const TEnvelopeFrame& frame,
                   std::vector<TEnvelopeColumn>& out) {
    out.assign(std::size_t(std::max(frame.Width, 0)), TEnvelopeColumn{});
    if (out.empty() || !(frame.End > frame.Start))
        return;
    const double perColumn = double(frame.Width) / (frame.End - frame.Start);
    const std::size_t count = s.Size();
    std::size_t i = FirstSampleFrom(s, frame.Start);
    // The last sample before the frame decides whether the first one joins it.
    double previous = std::numeric_limits<double>::quiet_NaN();
    for (std::size_t j = i; j-- > 0;)
        if (!std::isnan(s.Value(j))) {
            previous = s.Time(j);
            break;
        }
    for (; i < count; ++i) {
        const double t = s.Time(i);
        if (!(t < frame.End))
            break;
        const double v = s.Value(i);
        if (std::isnan(v))
            continue;
        const auto at = std::min<int64_t>(int64_t((t - frame.Start) * perColumn), frame.Width - 1);
        TEnvelopeColumn& c = out[std::size_t(at)];
        if (!c.Filled()) {
            c.Min = c.Max = c.First = v;
            c.JoinsPrevious = !std::isnan(previous) && t - previous <= frame.MaxGap;
        } else {
            c.Min = std::min(c.Min, v);
            c.Max = std::max(c.Max, v);
        }
        c.Last = v;
        previous = t;
    }
}

// The step the series is logged at: the median distance of neighbouring
// samples (0 for fewer than two), so a few long pauses do not count.
template <class Series> double TypicalStep(const Series& s) {
    const std::size_t count = s.Size();
    if (count < 2)
        return 0;
    std::vector<double> steps(count - 1);
    for (std::size_t i = 1; i < count; ++i)
        steps[i - 1] = s.Time(i) - s.Time(i - 1);
    auto middle = steps.begin() + std::ptrdiff_t(steps.size() / 2);
    std::nth_element(steps.begin(), middle, steps.end());
    return *middle;
}
