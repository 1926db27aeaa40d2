// GrowthPanel: the series of the growth page laid on one axis of days for a range, which is what
// the chart draws and the figures are computed from.
//
// The axis holds every day in the range on which any series has a value. Each series begins on its
// own first day on or after the range's start (a range chosen from a Saturday starts on the Monday)
// and ends on its last day on or before the range's end. Between its first and last day in the range a series
// is carried forward over the days it lacks (a day off for that fund is a day without change); outside them
// it has no value (NaN).
#pragma once

#include "pages/growth/GrowthSeries.h"

#include <cmath>
#include <vector>

struct GrowthPanel {
    int start = 0; // the range, days since 1970-01-01
    int end = 0;
    std::vector<int> days; // the axis: ascending, within [start, end]

    struct Line {
        std::vector<double> wealth; // one value per axis position, NaN where the series has none
        int first = -1;             // first and last positions with a value; -1 for none
        int last = -1;
        bool HasValues() const { return first >= 0; }
        // At least one day's return inside the range.
        bool HasReturns() const { return first >= 0 && last > first; }
    };
    std::vector<Line> lines; // in the order of the series given to Build

    // Lays the series on the range [start, end]; null entries give lines without values.
    static GrowthPanel Build(const std::vector<const GrowthSeries*>& series, int start, int end);

    // The return in percent from the line's first value, at a position; NaN where it has none.
    double CumulativePercent(size_t line, size_t position) const;
};
