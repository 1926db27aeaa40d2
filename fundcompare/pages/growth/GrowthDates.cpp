// Day numbers: conversions (H. Hinnant's civil-day algorithms), text, and calendar arithmetic.
#include "pages/growth/GrowthDates.h"

#include <sdk/CivilDays.h>

#include <algorithm>

namespace GrowthDates {

int FromCivil(int y, int m, int d) {
    return CivilDays::FromDate(y, m, d);
}

Civil ToCivil(int days) {
    const CivilDays::Date date = CivilDays::ToDate(days);
    return Civil{date.year, date.month, date.day};
}

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static constexpr int kLengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 30;
    return month == 2 && IsLeapYear(year) ? 29 : kLengths[month - 1];
}

XStringW Format(int day) {
    const Civil civil = ToCivil(day);
    XStringW text;
    text.Format(L"%04d-%02d-%02d", civil.year, civil.month, civil.day);
    return text;
}

std::optional<int> Parse(const XStringW& text) {
    const std::wstring& s = text.str();
    if (s.size() != 10 || s[4] != L'-' || s[7] != L'-')
        return std::nullopt;
    auto number = [&](size_t from, size_t length) {
        int value = 0;
        for (size_t k = from; k < from + length; ++k) {
            if (s[k] < L'0' || s[k] > L'9')
                return -1;
            value = value * 10 + (s[k] - L'0');
        }
        return value;
    };
    const int year = number(0, 4), month = number(5, 2), day = number(8, 2);
    if (year < 1900 || year > 2999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month))
        return std::nullopt;
    return FromCivil(year, month, day);
}

int AddMonths(int day, int months) {
    const Civil civil = ToCivil(day);
    const int index = civil.year * 12 + (civil.month - 1) + months;
    const int year = index >= 0 ? index / 12 : (index - 11) / 12;
    const int month = index - year * 12 + 1;
    return FromCivil(year, month, std::min(civil.day, DaysInMonth(year, month)));
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
