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

    bool Empty() const { return days.empty(); }
};

class WealthBuilder {
public:
    // A fund's day: unit and accumulated net value. Days that do not come after the last one taken,
    // and unit values that are not positive finite numbers, are skipped; an accumulated value that
    // is not a positive finite number is ignored for that day.
    void AddNetValues(int day, double unit, double total);
    // An index's day: its close, under the same rules as a unit value.
    void AddClose(int day, double close) { AddNetValues(day, close, 0.0); }

    // Hands the days and wealth over to the series (replacing what it held) and starts afresh.
    void Finish(GrowthSeries& series);

private:
    std::vector<int> m_days;
    std::vector<double> m_wealth;
    double m_lastUnit = 0.0;
    double m_lastTotal = 0.0;
};
