// HoldingsOverlap: how much of two portfolios is the same. A portfolio is a list of weights (shares
// of net assets, as fractions) by key: a stock, or an industry. The overlap of two funds is the sum,
// over the keys both hold, of the smaller of their two weights: the part of each fund's money that
// sits in the same places as the other's. It runs from 0 (nothing in common) to the smaller of the
// two funds' summed weights (one holds all the other holds, at least as much); a fund's overlap with
// itself is its summed weight. A fund without a report at the date has no overlap: NaN, shown "--".
//
// Pure figures, no database and no window: the page reads the rows, this turns them into numbers.
#pragma once

#include <cstddef>
#include <vector>

class HoldingsOverlap {
public:
    struct Weight {
        int key = 0;       // a stock or an industry, numbered by the caller
        double weight = 0; // share of net assets, 0.05 is 5 %
    };
    // A fund's weights, ascending by key, one per key.
    struct Portfolio {
        bool reported = false; // the fund has a report at the date
        std::vector<Weight> weights;
    };

    // A report's lines as a portfolio: sorted by key, the lines of one key added up (a report that
    // lists a stock twice, as an index part and an active part), weights that are no number or below
    // zero left out.
    static Portfolio Make(std::vector<Weight> lines, bool reported = true);
    // The summed weight of a portfolio; NaN when the fund has no report.
    static double Total(const Portfolio& portfolio);
    // Σ over common keys of min(a, b); NaN when either fund has no report.
    static double Overlap(const Portfolio& a, const Portfolio& b);
    // Every pair, row-major n x n; the diagonal is each fund's total.
    static std::vector<double> Matrix(const std::vector<Portfolio>& portfolios);
    // The keys both hold, the largest common weight (the smaller of the two) first.
    static std::vector<Weight> Common(const Portfolio& a, const Portfolio& b);
};
