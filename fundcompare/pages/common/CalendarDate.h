// CalendarDate: a report date of the allocation pages, with the month arithmetic that walks back
// through quarter ends, and the list of report dates offered in a page's date box.
#pragma once

#include <platform/windef.h>
#include <sdk/XStringW.h>

#include <vector>

struct CalendarDate {
    WORD year = 1970;
    WORD month = 1;     // 1 to 12
    WORD dayOfWeek = 4; // 0 = Sunday
    WORD day = 1;

    static CalendarDate FromLocalClock();

    // Reads "YYYY-MM-DD" (exactly ten characters, digits where numbers stand, hyphens between
    // them, a real calendar day of the years 1900 to 2999). Anything else leaves the date
    // unchanged and returns false. The one reading of a date for every page of the module.
    bool Parse(const XStringW& text);
    // Moves by whole months; the day is clamped to the length of the resulting month. Years stay
    // within 1 to 9999.
    void AddMonths(int months);
    // Moves by whole years; 29 February becomes 28 February in a year that is not a leap year.
    void AddYears(int years);
    // Sets the day of the month (clamped to the month's length).
    void SetDay(int day);
    XStringW Format() const;

    static bool IsLeapYear(int year);
    static int DaysInMonth(int year, int month);

private:
    void UpdateDayOfWeek();
};

// The report dates of a date box: the latest date first, then quarter ends going back until the
// first one that is not later than the earliest date. Empty when the latest date is not a date;
// only the latest date when the earliest is not one.
std::vector<XStringW> BuildReportDateList(const XStringW& latest, const XStringW& earliest);
