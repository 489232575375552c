// The chart's envelope and time ticks: a one-sample spike survives every zoom,
// a pause in the logging stays a gap, and the ticks of a month and of a day
// with a change of daylight saving time fall on the clock's round times.

#include "base/Envelope.h"
#include "base/TimeTicks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <vector>

namespace {
constexpr double Minute = 1.0 / 1440;
constexpr double March2026 = 46082; // 2026-03-01 as a log time stamp

struct TSeries {
    std::vector<double> Times, Values;
    std::size_t Size() const { return Times.size(); }
    double Time(std::size_t i) const { return Times[i]; }
    double Value(std::size_t i) const { return Values[i]; }
};

// A month at one sample a minute of a flat 230, with one sample of 400.
TSeries MonthWithSpike(std::size_t spikeAt) {
    TSeries s;
    for (std::size_t i = 0; i < 31 * 1440; ++i) {
        s.Times.push_back(March2026 + double(i) * Minute);
        s.Values.push_back(i == spikeAt ? 400 : 230);
    }
    return s;
}

// The envelope sample by sample, as the tree must give it.
std::vector<TEnvelopeColumn> Reference(const TSeries& s, const TEnvelopeFrame& frame) {
    std::vector<TEnvelopeColumn> out(std::size_t(frame.Width));
    double previous = NAN;
    for (std::size_t i = 0; i < s.Size(); ++i) {
        const double t = s.Time(i), v = s.Value(i);
        if (std::isnan(v))
            continue;
        if (t >= frame.Start && t < frame.End) {
            auto& c = out[std::size_t(std::min<int64_t>(
                int64_t((t - frame.Start) * (frame.Width / (frame.End - frame.Start))),
                frame.Width - 1))];
            if (!c.Filled()) {
                c.Min = c.Max = c.First = v;
                c.JoinsPrevious = !std::isnan(previous) && t - previous <= frame.MaxGap;
            }
            c.Min = std::min(c.Min, v);
            c.Max = std::max(c.Max, v);
            c.Last = v;
        }
        previous = t < frame.End ? t : previous;
    }
    return out;
}

void ExpectSame(const std::vector<TEnvelopeColumn>& a, const std::vector<TEnvelopeColumn>& b) {
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
        ASSERT_EQ(a[i].Filled(), b[i].Filled()) << i;
        if (!a[i].Filled())
            continue;
        EXPECT_EQ(a[i].Min, b[i].Min) << i;
        EXPECT_EQ(a[i].Max, b[i].Max) << i;
        EXPECT_EQ(a[i].First, b[i].First) << i;
        EXPECT_EQ(a[i].Last, b[i].Last) << i;
        EXPECT_EQ(a[i].JoinsPrevious, b[i].JoinsPrevious) << i;
    }
}

// The tree's envelope, checked against the sample by sample one.
std::vector<TEnvelopeColumn> Envelope(const TSeries& s, double start, double end, int width) {
    const TEnvelopeTree tree(s);
    const TEnvelopeFrame frame{start, end, width, 2.5 * tree.Step()};
    std::vector<TEnvelopeColumn> out;
    tree.Build(s, frame, out);
    ExpectSame(out, Reference(s, frame));
    return out;
}

double Highest(const std::vector<TEnvelopeColumn>& columns) {
    double high = -INFINITY;
    for (const TEnvelopeColumn& c : columns)
        if (c.Filled())
            high = std::max(high, c.Max);
    return high;
}

std::string Day(double stamp) {
    const std::time_t t = std::time_t(std::llround((stamp - 25569) * 86400)); // as UTC
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", std::gmtime(&t));
    return text;
}
} // namespace

TEST(Envelope, OneSampleSpikeShowsAtEveryZoom) {
    const std::size_t spike = 17 * 1440 + 613;
    const TSeries s = MonthWithSpike(spike);
    const double at = s.Times[spike];
    // From the whole month on 1920 and on 200 pixels down to ten minutes,
    // with the spike at the edges of the frame as well as inside it.
    struct TCase {
        double Before, After;
        int Width;
    };
    for (const TCase& c :
         {TCase{17 * 1440 + 613, 13 * 1440 - 614, 1920},
          TCase{17 * 1440 + 613, 13 * 1440 - 614, 200}, TCase{3 * 1440, 4 * 1440, 1920},
          TCase{720, 720, 1920}, TCase{5, 5, 1920}, TCase{0, 60, 1920}, TCase{60, 0.5, 1920}}) {
        const auto columns = Envelope(s, at - c.Before * Minute, at + c.After * Minute, c.Width);
        EXPECT_EQ(Highest(columns), 400) << c.Before << " " << c.After << " " << c.Width;
        int spikes = 0;
        for (const TEnvelopeColumn& col : columns)
            spikes += col.Filled() && col.Max == 400;
        EXPECT_EQ(spikes, 1);
    }
}

TEST(Envelope, ColumnsHoldTheirMinimumAndMaximum) {
    TSeries s;
    for (int i = 0; i < 10; ++i) {
        s.Times.push_back(i * Minute);
        s.Values.push_back(i % 2 == 0 ? -i : i);
    }
    // Two columns of five samples each.
    const auto columns = Envelope(s, 0, 10 * Minute, 2);
    ASSERT_EQ(columns.size(), 2u);
    EXPECT_EQ(columns[0].Min, -4);
    EXPECT_EQ(columns[0].Max, 3);
    EXPECT_EQ(columns[0].First, 0);
    EXPECT_EQ(columns[0].Last, -4);
    EXPECT_EQ(columns[1].Min, -8);
    EXPECT_EQ(columns[1].Max, 9);
    EXPECT_TRUE(columns[1].JoinsPrevious);
}

TEST(Envelope, APauseInTheLoggingStaysAGap) {
    // A day logged, six hours not, another day logged; and a sample that
    // shows no number in the middle of the first day.
    TSeries s;
    for (int i = 0; i < 1440; ++i)
        s.Times.push_back(March2026 + i * Minute);
    for (int i = 0; i < 1440; ++i)
        s.Times.push_back(March2026 + 1.25 + i * Minute);
    s.Values.assign(s.Times.size(), 230);
    s.Values[700] = NAN;
    const double pauseStart = March2026 + 1439 * Minute, pauseEnd = March2026 + 1.25;
    for (int width : {100, 1920, 20000}) {
        const auto columns = Envelope(s, March2026, March2026 + 2.25, width);
        ASSERT_FALSE(HasFatalFailure());
        const double perColumn = 2.25 / width;
        bool joinedOverPause = false;
        int emptyInPause = 0;
        for (std::size_t i = 0; i < columns.size(); ++i) {
            const double start = March2026 + double(i) * perColumn;
            if (start > pauseStart + perColumn && start + perColumn < pauseEnd)
                emptyInPause += !columns[i].Filled();
            if (columns[i].Filled() && start <= pauseEnd && start + perColumn > pauseEnd)
                joinedOverPause = columns[i].JoinsPrevious;
        }
        EXPECT_FALSE(joinedOverPause) << width;
        EXPECT_GT(emptyInPause, 0) << width;
        // One sample missing is no pause: the line goes on over it.
        int breaks = 0;
        for (std::size_t i = 1; i < columns.size(); ++i)
            breaks += columns[i].Filled() && !columns[i].JoinsPrevious;
        EXPECT_EQ(breaks, 1) << width;
    }
}

TEST(Envelope, TheTreeGivesWhatEverySampleGives) {
    // Uneven steps, pauses, values that are no number and a repeated hour
    // (times that tie), over frames that cut groups anywhere.
    TSeries s;
    double t = March2026;
    for (int i = 0; i < 5000; ++i) {
        t += (i % 97 == 0 ? 45 : i % 13 == 0 ? 0 : 1 + i % 3) * Minute;
        s.Times.push_back(t);
        s.Values.push_back(i % 211 == 0 ? NAN : std::sin(i * 0.37) * 100 + (i % 50 == 0 ? 900 : 0));
    }
    const double span = t - March2026;
    for (double from : {-1.0, 0.0, 0.001, 0.37, 0.9})
        for (double length : {0.004, 0.05, 0.3, 1.0, 2.0})
            for (int width : {1, 7, 333, 1920})
                Envelope(s, March2026 + from * span, March2026 + (from + length) * span, width);
}

TEST(Envelope, AFrameBeyondTheSamplesIsEmpty) {
    const TSeries s = MonthWithSpike(0);
    for (const auto& c : Envelope(s, March2026 + 40, March2026 + 41, 100))
        EXPECT_FALSE(c.Filled());
    EXPECT_TRUE(Envelope(s, March2026 + 1, March2026 + 1, 100)[0].Filled() == false);
    EXPECT_TRUE(Envelope(TSeries{}, 0, 1, 10).size() == 10u);
}

TEST(TimeTicks, AMonthIsMarkedOnMidnights) {
    // March 2026 on a wide and on a narrow chart.
    for (int width : {1920, 400}) {
        const TTimeTicks ticks = TimeTicks(March2026, March2026 + 31, width, 80);
        ASSERT_GE(ticks.Step, 1.0);
        ASSERT_FALSE(ticks.At.empty());
        for (double t : ticks.At) {
            EXPECT_EQ(t, std::floor(t)) << Day(t);
            EXPECT_GE(t, March2026);
            EXPECT_LE(t, March2026 + 31);
        }
        EXPECT_LE(double(width) / double(ticks.At.size()), double(width)); // at least one
        EXPECT_GE(ticks.Step * width / 31, 80);
    }
    const TTimeTicks wide = TimeTicks(March2026, March2026 + 31, 1920, 80);
    EXPECT_EQ(Day(wide.At.front()), "2026-03-01 00:00"); // even days from 1899-12-30
    EXPECT_EQ(Day(wide.At.back()), "2026-03-31 00:00");
}

TEST(TimeTicks, ADayWithAChangeOfDaylightSavingTimeKeepsItsHours) {
    // In Berlin the clocks go from 02:00 to 03:00 on 2026-03-29 and back on
    // 2026-10-25. The axis is the logged wall time: every hour of those days
    // gets its tick, equally spaced, whatever the local zone does.
    setenv("TZ", "Europe/Berlin", 1);
    tzset();
    for (double day : {March2026 + 28, March2026 + 238}) {
        const TTimeTicks ticks = TimeTicks(day, day + 1, 1920, 60);
        EXPECT_DOUBLE_EQ(ticks.Step, 1.0 / 24);
        ASSERT_EQ(ticks.At.size(), 25u) << Day(day);
        for (std::size_t h = 0; h < ticks.At.size(); ++h)
            EXPECT_EQ(Day(ticks.At[h]).substr(11),
                      (h % 24 < 10 ? "0" : "") + std::to_string(h % 24) + ":00")
                << Day(day);
    }
    EXPECT_EQ(Day(March2026 + 238), "2026-10-25 00:00");
    unsetenv("TZ");
    tzset();
}

TEST(TimeTicks, NothingToMarkOnAnEmptyOrBrokenRange) {
    EXPECT_TRUE(TimeTicks(5, 5, 100, 50).At.empty());
    EXPECT_TRUE(TimeTicks(5, 6, 0, 50).At.empty());
    EXPECT_TRUE(TimeTicks(NAN, 6, 100, 50).At.empty());
}
