#include "logging/TimeStamp.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ctime>
#include <limits>

struct TStampRow {
    TTimeParts Parts;
    double Stamp;
    const char* Text;
};

// Day numbers as every program counting from 1899-12-30 has them.
const TStampRow StampRows[] = {
    {{1899, 12, 30, 0, 0, 0, 0}, 0.0, "1899-12-30 00:00:00"},
    {{1900, 1, 1, 0, 0, 0, 0}, 2.0, "1900-01-01 00:00:00"},
    {{1900, 3, 1, 0, 0, 0, 0}, 61.0, "1900-03-01 00:00:00"}, // 1900 has no 29 February
    {{1970, 1, 1, 6, 0, 0, 0}, 25569.25, "1970-01-01 06:00:00"},
    {{2000, 2, 29, 18, 0, 0, 0}, 36585.75, "2000-02-29 18:00:00"},
    {{2008, 12, 31, 12, 0, 0, 0}, 39813.5, "2008-12-31 12:00:00"},
    {{2038, 1, 19, 3, 14, 8, 0}, 50424.0 + 11648.0 / 86400, "2038-01-19 03:14:08"},
};

TEST(TimeStamp, CalendarFieldsAndDayNumbersAgree) {
    for (const TStampRow& row : StampRows) {
        EXPECT_DOUBLE_EQ(EncodeTimeStamp(row.Parts), row.Stamp) << row.Text;
        EXPECT_EQ(FormatTimeStamp(row.Stamp), row.Text);
        const TTimeParts back = DecodeTimeStamp(row.Stamp);
        EXPECT_EQ(EncodeTimeStamp(back), row.Stamp) << row.Text;
    }
}

TEST(TimeStamp, MillisecondsSurviveAndRoundToTheNearest) {
    const TTimeParts p = DecodeTimeStamp(EncodeTimeStamp({2008, 12, 31, 23, 59, 59, 900}));
    EXPECT_EQ(p.Second, 59);
    EXPECT_EQ(p.Millisecond, 900);
    // 0.4 ms before midnight is already the next day, to the millisecond.
    const double nearMidnight = EncodeTimeStamp({2009, 1, 1, 0, 0, 0, 0}) - 0.4 / 86400000;
    EXPECT_EQ(FormatTimeStamp(nearMidnight), "2009-01-01 00:00:00");
    // Seconds are cut, not rounded, when shown.
    EXPECT_EQ(FormatTimeStamp(EncodeTimeStamp({2008, 12, 31, 23, 59, 59, 999})),
              "2008-12-31 23:59:59");
    // A stamp exactly half way between two milliseconds (3/2048 of a day is
    // 126562.5 ms) rounds away from zero, on both sides of the epoch.
    EXPECT_EQ(DecodeTimeStamp(3.0 / 2048).Millisecond, 563);
    EXPECT_EQ(DecodeTimeStamp(-3.0 / 2048).Millisecond, 437);
    EXPECT_EQ(TimeStampSeconds(1.0 / 2048) - TimeStampSeconds(0), 42); // 42187.5 ms
}

TEST(TimeStamp, StampsNoDateFitsReadAsDayZero) {
    const double rows[] = {std::numeric_limits<double>::quiet_NaN(),
                           std::numeric_limits<double>::infinity(),
                           -std::numeric_limits<double>::infinity(),
                           1e300,
                           -1e300,
                           2958466.0,  // 10000-01-01
                           -693594.5}; // before 0001-01-01
    for (double stamp : rows)
        EXPECT_EQ(FormatTimeStamp(stamp), "1899-12-30 00:00:00") << stamp;
    EXPECT_EQ(FormatTimeStamp(2958465.5), "9999-12-31 12:00:00");
    EXPECT_EQ(FormatTimeStamp(-693593.0), "0001-01-01 00:00:00");
}

TEST(TimeStamp, NowIsTheLocalClock) {
    const std::time_t before = std::time(nullptr);
    const double now = NowTimeStamp();
    const std::time_t after = std::time(nullptr);
    std::tm local{};
    localtime_r(&before, &local);
    const double low = EncodeTimeStamp({local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                                        local.tm_hour, local.tm_min, local.tm_sec, 0});
    localtime_r(&after, &local);
    const double high = EncodeTimeStamp({local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                                         local.tm_hour, local.tm_min, local.tm_sec, 999});
    EXPECT_GE(now, low);
    EXPECT_LE(now, high);
}
