// CalendarDate and the report-date list of the allocation pages.
#include "pages/common/CalendarDate.h"

#include <gtest/gtest.h>

#include <ctime>

namespace {

CalendarDate date(const wchar_t* text) {
    CalendarDate d;
    EXPECT_TRUE(d.Parse(text)) << XStringW(text).ToUtf8();
    return d;
}

TEST(CalendarDate, ParsesOnlyRealDatesOfTenCharacters) {
    CalendarDate d = date(L"2010-06-30");
    EXPECT_EQ(d.year, 2010);
    EXPECT_EQ(d.month, 6);
    EXPECT_EQ(d.day, 30);
    EXPECT_EQ(d.dayOfWeek, 3); // a Wednesday
    EXPECT_EQ(d.Format(), XStringW(L"2010-06-30"));

    for (const wchar_t* bad : {L"", L"2010-6-30", L"2010-06-30 ", L"20100630", L"2010-13-01", L"2010-00-10",
                               L"2010-02-29", L"2010-04-31", L"2o10-01-01", L"0000-01-01", L"2010-06-3x",
                               // Other separators, and years no fund data names.
                               L"2099/12/31", L"2010.06.30", L"2010-06/30", L"2010 06 30", L"1899-12-31",
                               L"3000-01-01", L"9999-12-31"}) {
        CalendarDate unchanged = date(L"2001-02-03");
        EXPECT_FALSE(unchanged.Parse(bad)) << XStringW(bad).ToUtf8();
        EXPECT_EQ(unchanged.Format(), XStringW(L"2001-02-03"));
    }
    EXPECT_EQ(date(L"2012-02-29").day, 29);
    EXPECT_EQ(date(L"1900-01-01").year, 1900);
    EXPECT_EQ(date(L"2999-12-31").year, 2999);
}

TEST(CalendarDate, DayOfWeekAgreesWithTheCLibrary) {
    for (int year : {1900, 1999, 2000, 2008, 2024, 2100}) {
        for (int month = 1; month <= 12; ++month) {
            CalendarDate d = date(XStringW().Format(L"%04d-%02d-15", year, month).c_str());
            std::tm tm{};
            tm.tm_year = year - 1900;
            tm.tm_mon = month - 1;
            tm.tm_mday = 15;
            tm.tm_hour = 12;
            timegm(&tm);
            EXPECT_EQ(d.dayOfWeek, tm.tm_wday) << year << "-" << month;
        }
    }
}

TEST(CalendarDate, MonthAndYearArithmeticClampsTheDay) {
    CalendarDate d = date(L"2010-03-31");
    d.AddMonths(-1);
    EXPECT_EQ(d.Format(), XStringW(L"2010-02-28"));
    d = date(L"2012-03-31");
    d.AddMonths(-1);
    EXPECT_EQ(d.Format(), XStringW(L"2012-02-29"));
    d = date(L"2010-01-31");
    d.AddMonths(-13);
    EXPECT_EQ(d.Format(), XStringW(L"2008-12-31"));
    d.AddMonths(14);
    EXPECT_EQ(d.Format(), XStringW(L"2010-02-28"));
    d = date(L"2010-11-30");
    d.AddMonths(3);
    EXPECT_EQ(d.Format(), XStringW(L"2011-02-28"));

    d = date(L"2012-02-29");
    d.AddYears(1);
    EXPECT_EQ(d.Format(), XStringW(L"2013-02-28"));
    d = date(L"2012-02-29");
    d.AddYears(4);
    EXPECT_EQ(d.Format(), XStringW(L"2016-02-29"));

    // Far moves stay within the calendar instead of wrapping the 16-bit year.
    d = date(L"2010-01-01");
    d.AddMonths(-1000000);
    EXPECT_EQ(d.year, 1);
    d.AddYears(100000);
    EXPECT_EQ(d.year, 9999);
}

TEST(ReportDates, WalkBackThroughQuarterEndsPastTheEarliestDate) {
    std::vector<XStringW> expected{L"2010-06-30", L"2010-03-31", L"2009-12-31", L"2009-09-30",
                                   L"2009-06-30", L"2009-03-31", L"2008-12-31"};
    EXPECT_EQ(BuildReportDateList(L"2010-06-30", L"2009-02-15"), expected);
    // An earliest date on a quarter end is the last entry.
    EXPECT_EQ(BuildReportDateList(L"2010-06-30", L"2010-03-31").size(), 2u);
    EXPECT_EQ(BuildReportDateList(L"2010-06-30", L"2010-06-30").size(), 1u);
    // A latest date off a quarter end walks back in steps of three months; a day that the month
    // does not have is clamped, so every entry is a real date.
    std::vector<XStringW> offQuarter{L"2010-05-17", L"2010-02-28", L"2009-11-30"};
    EXPECT_EQ(BuildReportDateList(L"2010-05-17", L"2010-01-01"), offQuarter);
}

TEST(ReportDates, MissingOrMalformedDatesNeverRunAway) {
    EXPECT_TRUE(BuildReportDateList(L"", L"").empty());
    EXPECT_TRUE(BuildReportDateList(L"garbage", L"2009-01-01").empty());
    EXPECT_TRUE(BuildReportDateList(L"2099/12/31", L"2009-01-01").empty());
    // The walk stops at the first year of data: every date it offers reads back as a date.
    for (const XStringW& entry : BuildReportDateList(L"1900-09-30", L"1900-01-01"))
        EXPECT_TRUE(CalendarDate().Parse(entry)) << entry.ToUtf8();
    EXPECT_EQ(BuildReportDateList(L"2010-06-30", L""), std::vector<XStringW>{L"2010-06-30"});
    EXPECT_EQ(BuildReportDateList(L"2010-06-30", L"not a date").size(), 1u);
    // A very old earliest date ends at the first year of the calendar.
    EXPECT_LE(BuildReportDateList(L"9999-12-31", L"0001-01-01").size(), 1000u);
}

} // namespace
