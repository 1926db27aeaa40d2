// CalendarDate: parsing, month and year arithmetic, and the quarter-end list.
#include "pages/common/CalendarDate.h"

#include <platform/winbase.h>

#include <algorithm>

namespace {

constexpr int kMinYear = 1;
constexpr int kMaxYear = 9999;
// The years a date of fund data can name. A year outside them is a typing error or a stand-in
// ("9999-12-31", "0001-01-01") that would otherwise open a page on a day without data.
constexpr int kFirstDataYear = 1900;
constexpr int kLastDataYear = 2999;
// A bound on the report-date list, far beyond any real history (250 years of quarters), so that
// odd dates can never make the walk run on.
constexpr size_t kMaxReportDates = 1000;

bool readNumber(const XStringW& text, size_t from, size_t count, int& value) {
    value = 0;
    for (size_t i = from; i < from + count; ++i) {
        wchar_t c = text[i];
        if (c < L'0' || c > L'9')
            return false;
        value = value * 10 + (c - L'0');
    }
    return true;
}

} // namespace

CalendarDate CalendarDate::FromLocalClock() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    CalendarDate date;
    date.year = now.wYear;
    date.month = now.wMonth;
    date.day = now.wDay;
    date.UpdateDayOfWeek();
    return date;
}

bool CalendarDate::IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int CalendarDate::DaysInMonth(int year, int month) {
    switch (month) {
    case 2:
        return IsLeapYear(year) ? 29 : 28;
    case 4:
    case 6:
    case 9:
    case 11:
        return 30;
    default:
        return 31;
    }
}

bool CalendarDate::Parse(const XStringW& text) {
    if (text.length() != 10 || text[4] != L'-' || text[7] != L'-')
        return false;
    int y, m, d;
    if (!readNumber(text, 0, 4, y) || !readNumber(text, 5, 2, m) || !readNumber(text, 8, 2, d))
        return false;
    if (y < kFirstDataYear || y > kLastDataYear || m < 1 || m > 12 || d < 1 || d > DaysInMonth(y, m))
        return false;
    year = static_cast<WORD>(y);
    month = static_cast<WORD>(m);
    day = static_cast<WORD>(d);
    UpdateDayOfWeek();
    return true;
}

void CalendarDate::AddMonths(int months) {
    // Whole years first, then the remaining months with carry or borrow into the year.
    long long y = year + months / 12;
    int m = month + months % 12;
    if (m > 12) {
        m -= 12;
        ++y;
    } else if (m < 1) {
        m += 12;
        --y;
    }
    y = std::clamp<long long>(y, kMinYear, kMaxYear);
    year = static_cast<WORD>(y);
    month = static_cast<WORD>(m);
    day = static_cast<WORD>(std::min<int>(day, DaysInMonth(year, month)));
    UpdateDayOfWeek();
}

void CalendarDate::AddYears(int years) {
    year = static_cast<WORD>(std::clamp<long long>(static_cast<long long>(year) + years, kMinYear, kMaxYear));
    day = static_cast<WORD>(std::min<int>(day, DaysInMonth(year, month)));
    UpdateDayOfWeek();
}

void CalendarDate::SetDay(int newDay) {
    day = static_cast<WORD>(std::clamp(newDay, 1, DaysInMonth(year, month)));
    UpdateDayOfWeek();
}

XStringW CalendarDate::Format() const {
    return XStringW().Format(L"%04d-%02d-%02d", year, month, day);
}

void CalendarDate::UpdateDayOfWeek() {
    // Zeller's congruence, with January and February as months 13 and 14 of the previous year.
    int m = month, y = year;
    if (m < 3) {
        m += 12;
        --y;
    }
    int k = y % 100, j = y / 100;
    int h = (day + 13 * (m + 1) / 5 + k + k / 4 + j / 4 + 5 * j) % 7; // 0 = Saturday
    dayOfWeek = static_cast<WORD>((h + 6) % 7);
}

std::vector<XStringW> BuildReportDateList(const XStringW& latest, const XStringW& earliest) {
    std::vector<XStringW> dates;
    CalendarDate date;
    if (!date.Parse(latest))
        return dates;
    dates.push_back(date.Format());
    CalendarDate first;
    if (!first.Parse(earliest))
        return dates;
    const XStringW earliestText = first.Format();
    while (dates.back().compare(earliestText) > 0 && dates.size() < kMaxReportDates &&
           date.year > kFirstDataYear) {
        date.AddMonths(-3);
        date.SetDay(date.month == 3 || date.month == 12 ? 31 : 30);
        dates.push_back(date.Format());
    }
    return dates;
}
