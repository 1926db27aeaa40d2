// Day numbers for the growth page: a date is the count of days since 1970-01-01, so that the chart
// can place days on a line and ranges are plain integer intervals. The calendar itself (month
// lengths, leap years, whole months and years) is the one of the report dates, CalendarDate.
#pragma once

#include <sdk/XStringW.h>

#include <optional>

namespace GrowthDates {

struct Civil {
    int year = 1970;
    int month = 1; // 1 to 12
    int day = 1;
};

int FromCivil(int year, int month, int day);
Civil ToCivil(int day);

// "YYYY-MM-DD".
XStringW Format(int day);
// Exactly "YYYY-MM-DD" naming a real calendar day (years 1900 to 2999); nothing otherwise.
std::optional<int> Parse(const XStringW& text);

// Whole months or years later (earlier for negative counts); the day of the month is clamped to
// the length of the month reached, so 31 March less one month is 28 or 29 February.
int AddMonths(int day, int months);
int AddYears(int day, int years);

// The length of [from, to] in years: the whole years that fit (counted on the calendar, so that
// 2007-12-31 to 2010-12-31 is exactly 3), plus the days left over divided by the length of the
// year that follows. 0 when `to` is not after `from`.
double YearsBetween(int from, int to);

// Monday 0 to Sunday 6.
int Weekday(int day);

} // namespace GrowthDates
