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

// The columns come from a tree of sample groups built once per series: a
// group whose samples all fall in one pixel column is taken whole, so a
// repaint reads a few groups per column, not every sample in view. Groups
// of 2 samples, then 8 groups each, up to a handful at the top.
class TEnvelopeTree {
public:
    template <class Series> explicit TEnvelopeTree(const Series& s);

    // The step the series is logged at: the median distance of neighbouring
    // samples (0 for fewer than two), so a few long pauses do not count.
    [[nodiscard]] double Step() const { return FStep; }

    // Fills out with frame.Width columns. Samples whose value is not a number
    // count as not logged.
    template <class Series>
    void Build(const Series& s, const TEnvelopeFrame& frame,
               std::vector<TEnvelopeColumn>& out) const;

private:
    // Small leaves: a repaint reads every sample of a leaf that crosses the
    // edge of a pixel column, from the mapped file, where a read costs most.
    static constexpr std::size_t Leaf = 2, Fan = 8;
    struct TGroup {
        double TFirst = 0, TLast = 0, VFirst = 0, VLast = 0;
        double Min = std::numeric_limits<double>::quiet_NaN(), Max = Min; // NaN: no sample
    };
    struct TWalk;
    template <class Series>
    void Visit(const Series& s, TWalk& walk, std::size_t level, std::size_t k) const;

    std::vector<std::vector<TGroup>> FLevels; // [0] groups of Leaf samples
    double FStep = 0;
};

struct TEnvelopeTree::TWalk {
    const TEnvelopeFrame& Frame;
    std::vector<TEnvelopeColumn>& Out;
    double PerColumn;
    double Previous = std::numeric_limits<double>::quiet_NaN();
    bool Done = false;

    [[nodiscard]] int64_t Column(double t) const {
        return std::min<int64_t>(int64_t((t - Frame.Start) * PerColumn), Frame.Width - 1);
    }
    // Samples from tFirst to tLast, all in one column and the frame.
    void Merge(double tFirst, double tLast, double vFirst, double vLast, double min, double max) {
        TEnvelopeColumn& c = Out[std::size_t(Column(tFirst))];
        if (!c.Filled()) {
            c.Min = min;
            c.Max = max;
            c.First = vFirst;
            c.JoinsPrevious = !std::isnan(Previous) && tFirst - Previous <= Frame.MaxGap;
        } else {
            c.Min = std::min(c.Min, min);
            c.Max = std::max(c.Max, max);
        }
        c.Last = vLast;
        Previous = tLast;
    }
};

template <class Series> TEnvelopeTree::TEnvelopeTree(const Series& s) {
    const std::size_t count = s.Size();
    std::vector<TGroup> groups((count + Leaf - 1) / Leaf);
    std::vector<double> steps;
    steps.reserve(count);
    double previous = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const double t = s.Time(i);
        if (i > 0)
            steps.push_back(t - previous);
        previous = t;
        const double v = s.Value(i);
        if (std::isnan(v))
            continue;
        TGroup& g = groups[i / Leaf];
        if (std::isnan(g.Min)) {
            g.TFirst = t;
            g.VFirst = g.Min = g.Max = v;
        }
        g.Min = std::min(g.Min, v);
        g.Max = std::max(g.Max, v);
        g.TLast = t;
        g.VLast = v;
    }
    if (!steps.empty()) {
        auto middle = steps.begin() + std::ptrdiff_t(steps.size() / 2);
        std::nth_element(steps.begin(), middle, steps.end());
        FStep = *middle;
    }
    FLevels.push_back(std::move(groups));
    while (FLevels.back().size() > Fan) {
        const std::vector<TGroup>& below = FLevels.back();
        std::vector<TGroup> above((below.size() + Fan - 1) / Fan);
        for (std::size_t k = 0; k < below.size(); ++k) {
            const TGroup& b = below[k];
            TGroup& a = above[k / Fan];
            if (std::isnan(b.Min))
                continue;
            if (std::isnan(a.Min)) {
                a = b;
                continue;
            }
            a.Min = std::min(a.Min, b.Min);
            a.Max = std::max(a.Max, b.Max);
            a.TLast = b.TLast;
            a.VLast = b.VLast;
        }
        FLevels.push_back(std::move(above));
    }
}

template <class Series>
void TEnvelopeTree::Build(const Series& s, const TEnvelopeFrame& frame,
                          std::vector<TEnvelopeColumn>& out) const {
    out.assign(std::size_t(std::max(frame.Width, 0)), TEnvelopeColumn{});
    if (out.empty() || !(frame.End > frame.Start))
        return;
    TWalk walk{frame, out, double(frame.Width) / (frame.End - frame.Start)};
    for (std::size_t k = 0; k < FLevels.back().size() && !walk.Done; ++k)
        Visit(s, walk, FLevels.size() - 1, k);
}

template <class Series>
void TEnvelopeTree::Visit(const Series& s, TWalk& walk, std::size_t level, std::size_t k) const {
    const TGroup& g = FLevels[level][k];
    if (std::isnan(g.Min))
        return;
    if (g.TLast < walk.Frame.Start) {
        walk.Previous = g.TLast;
        return;
    }
    if (!(g.TFirst < walk.Frame.End)) {
        walk.Done = true;
        return;
    }
    if (g.TFirst >= walk.Frame.Start && g.TLast < walk.Frame.End &&
        walk.Column(g.TFirst) == walk.Column(g.TLast)) {
        walk.Merge(g.TFirst, g.TLast, g.VFirst, g.VLast, g.Min, g.Max);
        return;
    }
    if (level > 0) {
        const std::size_t end = std::min((k + 1) * Fan, FLevels[level - 1].size());
        for (std::size_t child = k * Fan; child < end && !walk.Done; ++child)
            Visit(s, walk, level - 1, child);
        return;
    }
    const std::size_t end = std::min((k + 1) * Leaf, s.Size());
    for (std::size_t i = k * Leaf; i < end; ++i) {
        const double v = s.Value(i);
        if (std::isnan(v))
            continue;
        const double t = s.Time(i);
        if (t < walk.Frame.Start) {
            walk.Previous = t;
            continue;
        }
        if (!(t < walk.Frame.End)) {
            walk.Done = true;
            return;
        }
        walk.Merge(t, t, v, v, v, v);
    }
}
