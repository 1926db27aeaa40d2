// ManagerRecord: a fund's managers over its life and how the fund did under each, worked out from
// the manager rows and the fund's daily wealth (GrowthSeries, dividends reinvested).
//
// A stint runs from its start date to its end date, or to the data's last day while the manager
// still runs the fund. Its return is the fund's wealth on the last history day on or before the
// end over that on the last history day on or before the start (the net value the manager took
// over); a manager who started before the history counts from its first day, which the record
// gives as `fromDay`. The index's return is taken between the same two days. A return is
// annualised only over more than a year of days.
#pragma once

#include "pages/growth/GrowthSeries.h"

#include <sdk/XStringW.h>

#include <limits>
#include <vector>

struct ManagerStint {
    XStringW name;
    int start = -1; // days since 1970-01-01; -1 unknown
    int end = -1;   // -1 while the manager runs the fund
};

struct StintFigures {
    static constexpr double kNone = std::numeric_limits<double>::quiet_NaN();

    ManagerStint stint;
    double tenureYears = kNone;
    int fromDay = -1; // the first day of the return; -1 without one
    int toDay = -1;   // its last day
    double fundReturn = kNone;
    double annualReturn = kNone;
    double indexReturn = kNone;
};

class ManagerRecord {
public:
    // The figures of one stint, `asOf` standing for the end of a stint that goes on. Either series
    // may be null (no history).
    static StintFigures Figures(const ManagerStint& stint, int asOf, const GrowthSeries* fund,
                                const GrowthSeries* index);
    // The return of a series between the last days on or before `from` and `to`, from its first
    // day when `from` is before it; the days used are given back. Unknown when the series has no
    // day on or before `to` after the first day used.
    static double ReturnBetween(const GrowthSeries& series, int from, int to, int* fromDay, int* toDay);
    // The times the fund's managers changed: the distinct days after the first start on which a
    // manager started, and the days on which one left (a joining and a leaving on one day are one
    // change; co-managers starting together are none).
    static int Changes(const std::vector<ManagerStint>& stints);
    // The stints that go on, one per manager: of a manager who left and came back, the latest.
    static std::vector<ManagerStint> Current(const std::vector<ManagerStint>& stints);
    // Years of a stint up to `asOf` (days / 365.25).
    static double TenureYears(const ManagerStint& stint, int asOf);
    // "YYYY-MM-DD" (or a date with a time after it) as days since 1970-01-01; -1 for anything else.
    static int ParseDay(const XStringW& text);
};
