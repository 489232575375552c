// Cell texts, cell order, CSV fields and the interval rules of the log windows.
#include "logging/TimeStamp.h"
#include "logviews/CellCompare.h"
#include "logviews/CellText.h"
#include "logviews/CsvExport.h"
#include "logviews/CsvField.h"
#include "logviews/DataLogInterval.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <limits>

namespace {
struct TFixedCase {
    double Value;
    int Precision, Decimals;
    const char* Text;
};

std::string Fixed(double v, int p, int d) {
    std::string s;
    AppendFixed(s, v, p, d);
    return s;
}

TEST(CellText, FixedPointTable) {
    const double inf = std::numeric_limits<double>::infinity();
    const TFixedCase cases[] = {
        {220.14, 5, 1, "220.1"},
        {220.15, 5, 1, "220.2"}, // 220.15 is stored a little above .15
        {0.25, 5, 1, "0.3"},     // a half rounds away from zero
        {0.35, 5, 1, "0.4"},     // stored a little below .35, still read as a half
        {220.25, 5, 1, "220.3"},
        {-0.25, 5, 1, "-0.3"},
        {36.5, 4, 0, "37"},
        {37.5, 4, 0, "38"},
        {-36.5, 4, 0, "-37"},
        {0.05, 5, 1, "0.1"},
        {0.049999, 5, 1, "0.0"},
        {221.0, 5, 1, "221.0"},
        {0, 5, 1, "0.0"},
        {-0.04, 5, 1, "0.0"}, // rounds to zero: no minus sign
        {-12.34, 5, 1, "-12.3"},
        {50.0, 5, 1, "50.0"},
        {9999.94, 5, 1, "9999.9"},
        {9999.96, 5, 1, "10000.0"},
        {12345.67, 5, 1, "12346.0"}, // five significant digits, then zeros
        {99999.4, 5, 1, "99999.0"},
        {123456, 5, 1, "1.2346E+005"},
        {-123456, 5, 1, "-1.2346E+005"},
        {1e300, 5, 1, "1.0000E+300"},
        {35.4, 4, 0, "35"},
        {35.6, 4, 0, "36"},
        {9999.4, 4, 0, "9999"},
        {12346, 4, 0, "1.235E+004"},
        {std::nan(""), 5, 1, "NAN"},
        {inf, 5, 1, "INF"},
        {-inf, 4, 0, "-INF"},
    };
    for (const TFixedCase& c : cases)
        EXPECT_EQ(Fixed(c.Value, c.Precision, c.Decimals), c.Text) << c.Value;
}

// The quick path rounds with one product; the decimal conversion of the
// standard library is the reference. With 15 significant digits only the
// decimals round, so the two must agree on every value, negative ones
// included; a half of the last shown decimal, exact or a hair either side,
// goes away from zero, as the reference does with the value moved a few units
// in the last place that way.
TEST(CellText, QuickRoundingAgreesWithExactConversion) {
    uint64_t noise = 12345;
    auto next = [&noise] {
        noise = noise * 6364136223846793005ULL + 1442695040888963407ULL;
        return double(noise >> 11) / double(1ULL << 53); // [0, 1)
    };
    for (int i = 0; i < 200'000; ++i) {
        const int decimals = i % 4;
        double value = (next() - 0.5) * 200'000.0;
        if (i % 3 == 1) // on or next to a half of the last shown decimal
            value = std::nextafter((std::floor(value) + 0.5) / std::pow(10.0, decimals),
                                   i % 2 ? 1e9 : -1e9);
        else if (i % 3 == 2)
            value = (std::floor(value * 8) + 4) / 8 / std::pow(10.0, decimals);
        const double shifted =
            i % 3 == 0 ? value
                       : value + 8 * (std::nextafter(value, std::copysign(1e9, value)) - value);
        char expected[64];
        char* end = std::to_chars(expected, expected + sizeof expected, shifted,
                                  std::chars_format::fixed, decimals)
                        .ptr;
        std::string reference(expected, end);
        if (reference.find_first_of("123456789") == std::string::npos && reference[0] == '-')
            reference.erase(0, 1);
        ASSERT_EQ(Fixed(value, 15, decimals), reference) << value << " " << decimals;
    }
}

TEST(CellText, DecimalsAndTimes) {
    std::string s;
    AppendDecimal(s, -2147483648LL);
    s += ' ';
    AppendDecimal(s, 0);
    EXPECT_EQ(s, "-2147483648 0");
    s.clear();
    AppendTimeStamp(s, EncodeTimeStamp({2008, 12, 5, 10, 31, 7, 0}));
    EXPECT_EQ(s, "2008-12-05 10:31:07");
    EXPECT_EQ(FormatTimeStamp(std::nan("")), "1899-12-30 00:00:00");
    // The seconds order the shown texts.
    EXPECT_LT(TimeStampSeconds(EncodeTimeStamp({2008, 12, 5, 10, 31, 7, 0})),
              TimeStampSeconds(EncodeTimeStamp({2008, 12, 5, 10, 31, 8, 0})));
    EXPECT_EQ(TimeStampDay(1899, 12, 31), 1);
}

TEST(CellCompare, NumbersByValueOtherCellsAsText) {
    struct {
        const char* A;
        const char* B;
        int Order;
    } cases[] = {
        {"9", "10", -1},      // as numbers; as text "10" < "9"
        {"220.1", "50.0", 1}, // as numbers
        {"-3", "2", -1},
        {"2.0", "2", 0},
        {"", "5", -1}, // an empty cell is text
        {"abc", "abd", -1},
        {"10", "9a", -1}, // "9a" is text: both as text
        {"NAN", "1", 1},  // "NAN" is text, "N" after "1"
        {"2008-12-05 10:31:07", "2008-12-05 09:31:07", 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CompareCells(c.A, c.B), c.Order) << c.A << " vs " << c.B;
        EXPECT_EQ(CompareCells(c.B, c.A), -c.Order) << c.B << " vs " << c.A;
    }
}

TEST(CsvField, QuotesOnlyFieldsThatWouldShiftColumns) {
    struct {
        const char* Field;
        const char* Written;
    } cases[] = {
        {"220.1", "220.1"},
        {"", ""},
        {"UPS 1; room \"B\"", "\"UPS 1; room \"\"B\"\"\""},
        {"a,b", "\"a,b\""},
        {"line\r\nbreak", "\"line\r\nbreak\""},
        {"lf\nonly", "\"lf\nonly\""},
    };
    for (const auto& c : cases) {
        std::string out;
        AppendCsvField(out, c.Field);
        EXPECT_EQ(out, c.Written) << c.Field;
    }
}

TEST(CsvFileName, AddsTheExtensionUnlessTheNameHoldsIt) {
    EXPECT_EQ(CsvFileName("/tmp/report"), "/tmp/report.csv");
    EXPECT_EQ(CsvFileName("/tmp/report.csv"), "/tmp/report.csv");
    EXPECT_EQ(CsvFileName("/tmp/report.csv.txt"), "/tmp/report.csv.txt");
    EXPECT_EQ(CsvFileName("/tmp/report.CSV"), "/tmp/report.CSV.csv");
}

TEST(DataLogInterval, DialogStartValuesAndStoredValues) {
    struct {
        int32_t RecInterval;
        bool Enabled;
        int Seconds;
        int32_t StoredByOk; // OK without changes
    } cases[] = {
        {600, true, 60, 600},    {50, true, 10, 100},     {0, false, 60, 0},
        {3000, true, 300, 3000}, {5000, true, 300, 3000}, {105, true, 10, 100},
    };
    for (const auto& c : cases) {
        const TIntervalSetting s = IntervalFromRecInterval(c.RecInterval);
        EXPECT_EQ(s.Enabled, c.Enabled) << c.RecInterval;
        EXPECT_EQ(s.Seconds, c.Seconds) << c.RecInterval;
        EXPECT_EQ(RecIntervalFrom(s), c.StoredByOk) << c.RecInterval;
    }
    EXPECT_EQ(RecIntervalFrom({true, 60}), 600); // ticked from off
}

TEST(DataLogInterval, TypedTextIsBroughtIntoRange) {
    struct {
        const char* Text;
        int Seconds;
    } cases[] = {
        {"60", 60},   {" 45 ", 45}, {"5", 10},
        {"301", 300}, {"-7", 10},   {"", 10},
        {"abc", 10},  {"12x", 10},  {"99999999999999999999", 300},
        {"+20", 20},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IntervalFromText(c.Text), c.Seconds) << '"' << c.Text << '"';
}
} // namespace
