#pragma once
// Time stamps of the log files: an IEEE double counting days since
// 1899-12-30 00:00 local time, the fraction being the time of day.

#include <cstdint>
#include <string>

struct TTimeParts {
    int Year = 1899, Month = 12, Day = 30;
    int Hour = 0, Minute = 0, Second = 0, Millisecond = 0;
};

// The local clock, to the millisecond.
double NowTimeStamp();

// Calendar fields (local time) to a time stamp. The fields must form a valid
// date and time.
double EncodeTimeStamp(const TTimeParts& parts);

// Rounded to the millisecond. A stamp that no calendar date of the years
// 1..9999 fits (not a number, infinite, far out of range) reads as day 0,
// 1899-12-30 00:00:00, so damaged files still display.
TTimeParts DecodeTimeStamp(double stamp);

// "yyyy-mm-dd hh:mm:ss"
std::string FormatTimeStamp(double stamp);
// The same text appended to out, or written to p[0..18] returning p + 19,
// without a temporary string (CSV export).
void AppendTimeStamp(std::string& out, double stamp);
char* WriteTimeStamp(char* p, double stamp);

// Whole seconds of the shown time since 0001-01-01 00:00:00: ordering by it is
// ordering by the "yyyy-mm-dd hh:mm:ss" text.
int64_t TimeStampSeconds(double stamp);

// Days since 1899-12-30 of a calendar date (the whole part of its stamps).
int64_t TimeStampDay(int year, int month, int day);
