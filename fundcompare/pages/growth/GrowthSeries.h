// GrowthSeries: one line of the growth page, a fund's or the index's wealth day by day, and
// WealthBuilder, which makes it from the rows of the net-value history.
//
// The wealth of a day is what one unit held from the series' first day is worth, with every cash
// dividend reinvested at the unit net value of its ex-dividend day. The accumulated net value
// grows on each day by the unit value of the day before times the day's total return, so the
// day's growth factor is 1 + (total[d] - total[d-1]) / unit[d-1]; a day without a usable
// accumulated value falls back to the unit values alone, unit[d] / unit[d-1].
#pragma once

#include <sdk/XStringW.h>

#include <vector>

struct GrowthSeries {
    XStringW code;      // fund code, or the index code
    XStringW aliascode; // the code shown to the user
    XStringW name;
    bool isIndex = false;
    std::vector<int> days;      // days since 1970-01-01, strictly ascending
    std::vector<double> wealth; // 1 on the first day
    int ignoredRows = 0;        // rows of the history left out as bad data

    bool Empty() const { return days.empty(); }
};

// Bad rows are left out and counted, and none of them becomes the reference the next row is
// measured against:
//   - a value that is not a finite number in (0, 1e6];
//   - a row dated after the builder's last day (today, for the program);
//   - a row a year or more after the one before it with none within a year after it;
//   - a row whose growth from the last good row is beyond a factor of 5 either way, unless five
//     rows in a row agree with each other at that new level, which then continues the series (the
//     step to it counted as no change).
class WealthBuilder {
public:
    explicit WealthBuilder(int lastDay = 2147483647);

    // A fund's day: unit and accumulated net value. Days that do not come after the last one taken
    // are skipped; an accumulated value that is not usable is ignored for that day.
    void AddNetValues(int day, double unit, double total);
    // An index's day: its close, under the same rules as a unit value.
    void AddClose(int day, double close) { AddNetValues(day, close, 0.0); }

    // Hands the days, wealth and count of ignored rows over to the series (replacing what it held)
    // and starts afresh.
    void Finish(GrowthSeries& series);

private:
    struct Row {
        int day = 0;
        double unit = 0.0;
        double total = 0.0; // 0 when the row has no usable accumulated value
    };
    static double Growth(const Row& from, const Row& to);
    void Take(const Row& row);
    void Append(const Row& row, double growth);

    int m_lastDay;
    std::vector<int> m_days;
    std::vector<double> m_wealth;
    bool m_started = false;
    Row m_last;            // the last row taken: the reference of the next
    bool m_lonely = false; // a row after a long gap, held until the next shows whether it is alone
    Row m_lonelyRow;
    std::vector<Row> m_run; // rows that do not fit the history, held as a possible new level
    int m_ignored = 0;
};
