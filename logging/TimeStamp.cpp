#include "logging/TimeStamp.h"

#include "logging/TwoDigits.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <ctime>

namespace {
constexpr int64_t MsPerDay = 86'400'000;

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
constexpr int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, TTimeParts& p) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    p.Day = int(doy - (153 * mp + 2) / 5 + 1);
    p.Month = int(mp < 10 ? mp + 3 : mp - 9);
    p.Year = int(yoe + era * 400 + (p.Month <= 2));
}

constexpr int64_t Epoch = DaysFromCivil(1899, 12, 30);
// Milliseconds from the epoch to 0001-01-01 and to 10000-01-01: the four-digit
// years a stamp can show. Constants, so that stamps made while other files'
// globals are initialised already see them.
constexpr int64_t FirstMs = (DaysFromCivil(1, 1, 1) - Epoch) * MsPerDay;
constexpr int64_t EndMs = (DaysFromCivil(10000, 1, 1) - Epoch) * MsPerDay;
} // namespace

double EncodeTimeStamp(const TTimeParts& p) {
    const int64_t days = DaysFromCivil(p.Year, p.Month, p.Day) - Epoch;
    const int64_t ms = ((int64_t(p.Hour) * 60 + p.Minute) * 60 + p.Second) * 1000 + p.Millisecond;
    return double(days) + double(ms) / double(MsPerDay);
}

namespace {
// The milliseconds since the epoch a stamp shows, rounded half away from zero;
// false for a stamp no four-digit year fits. Sorting a month by time rounds
// every stamp: the rounding is done without a library call.
bool ShownMilliseconds(double stamp, int64_t& total) {
    // The first test keeps the product below 2^51; the second is exact.
    if (!std::isfinite(stamp) || std::fabs(stamp) > 1e7)
        return false;
    const double product = stamp * double(MsPerDay);
    // Adding and taking away 1.5 * 2^52 rounds to the nearest, ties to even.
    constexpr double RoundingShift = 6755399441055744.0;
    double nearest = (product + RoundingShift) - RoundingShift;
    if (std::fabs(product - nearest) == 0.5)
        nearest = product + std::copysign(0.5, product);
    total = int64_t(nearest);
    return total >= FirstMs && total < EndMs;
}

// The day and the millisecond of the day a stamp shows; false for a stamp no
// four-digit year fits.
bool SplitTimeStamp(double stamp, int64_t& days, int64_t& ms) {
    int64_t total = 0;
    if (!ShownMilliseconds(stamp, total))
        return false;
    days = total / MsPerDay;
    ms = total % MsPerDay;
    if (ms < 0) {
        ms += MsPerDay;
        --days;
    }
    return true;
}
} // namespace

TTimeParts DecodeTimeStamp(double stamp) {
    TTimeParts p;
    int64_t days = 0, ms = 0;
    if (!SplitTimeStamp(stamp, days, ms))
        return p;
    CivilFromDays(days + Epoch, p);
    p.Hour = int(ms / 3'600'000);
    p.Minute = int(ms / 60'000 % 60);
    p.Second = int(ms / 1000 % 60);
    p.Millisecond = int(ms % 1000);
    return p;
}

double NowTimeStamp() {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    tm local{};
    localtime_r(&ts.tv_sec, &local);
    return EncodeTimeStamp({local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                            local.tm_min, local.tm_sec, int(ts.tv_nsec / 1'000'000)});
}

std::string FormatTimeStamp(double stamp) {
    std::string text;
    AppendTimeStamp(text, stamp);
    return text;
}

void AppendTimeStamp(std::string& out, double stamp) {
    char buf[19];
    out.append(buf, WriteTimeStamp(buf, stamp));
}

char* WriteTimeStamp(char* buf, double stamp) {
    int64_t days = 0, ms = 0;
    if (!SplitTimeStamp(stamp, days, ms))
        days = ms = 0;
    // A log's rows mostly share their day with the row before: the text of
    // the last date this thread wrote is kept for the next.
    thread_local struct {
        int64_t Day = INT64_MIN;
        char Text[10];
    } last;
    if (days != last.Day) {
        TTimeParts p;
        CivilFromDays(days + Epoch, p);
        char* d = WriteTwoDigits(WriteTwoDigits(last.Text, p.Year / 100), p.Year % 100);
        *d++ = '-';
        d = WriteTwoDigits(d, p.Month);
        *d++ = '-';
        WriteTwoDigits(d, p.Day);
        last.Day = days;
    }
    std::memcpy(buf, last.Text, 10);
    char* t = buf + 10;
    *t++ = ' ';
    t = WriteTwoDigits(t, int(ms / 3'600'000));
    *t++ = ':';
    t = WriteTwoDigits(t, int(ms / 60'000 % 60));
    *t++ = ':';
    return WriteTwoDigits(t, int(ms / 1000 % 60));
}

int64_t TimeStampSeconds(double stamp) {
    // What DecodeTimeStamp shows, without the calendar: the rounded
    // milliseconds, day 0 for a stamp it does not show.
    int64_t ms = 0;
    if (!ShownMilliseconds(stamp, ms))
        ms = 0;
    const int64_t fromFirst = ms - FirstMs; // never negative
    return fromFirst / 1000;
}

int64_t TimeStampDay(int year, int month, int day) {
    return DaysFromCivil(year, month, day) - Epoch;
}
