// Day numbers: conversions (H. Hinnant's civil-day algorithms), text, and calendar arithmetic
// through the report dates' calendar.
#include "pages/growth/GrowthDates.h"

#include "pages/common/CalendarDate.h"

#include <sdk/CivilDays.h>

#include <algorithm>

namespace GrowthDates {

namespace {

CalendarDate CalendarOf(int day) {
    const Civil civil = ToCivil(day);
    CalendarDate date;
    date.year = static_cast<WORD>(civil.year);
    date.month = static_cast<WORD>(civil.month);
    date.day = static_cast<WORD>(civil.day);
    return date;
}

} // namespace

int FromCivil(int y, int m, int d) {
    return CivilDays::FromDate(y, m, d);
}

Civil ToCivil(int days) {
    const CivilDays::Date date = CivilDays::ToDate(days);
    return Civil{date.year, date.month, date.day};
}

XStringW Format(int day) {
    return CalendarOf(day).Format();
}

std::optional<int> Parse(const XStringW& text) {
    CalendarDate date;
    if (!date.Parse(text))
        return std::nullopt;
    return FromCivil(date.year, date.month, date.day);
}

int AddMonths(int day, int months) {
    CalendarDate date = CalendarOf(day);
    date.AddMonths(months);
    return FromCivil(date.year, date.month, date.day);
}

int AddYears(int day, int years) {
    return AddMonths(day, 12 * years);
}

double YearsBetween(int from, int to) {
    if (to <= from)
        return 0.0;
    int whole = 0;
    while (AddYears(from, whole + 1) <= to)
        ++whole;
    const int anchor = AddYears(from, whole);
    const int nextYear = AddYears(from, whole + 1) - anchor;
    return whole + static_cast<double>(to - anchor) / nextYear;
}

int Weekday(int day) {
    // 1970-01-01 was a Thursday.
    return ((day % 7) + 7 + 3) % 7;
}

} // namespace GrowthDates
