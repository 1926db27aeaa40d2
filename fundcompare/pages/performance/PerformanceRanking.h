// The performance page's fund records and its two rankings over the whole fund universe: the rank
// among funds of the same investment type and the rank among all funds, per period.
#pragma once

#include <sdk/XStringW.h>

#include <array>
#include <cstdint>
#include <vector>

// Number of comparison periods: latest day, week, month, quarter, half year, year to date, the
// last one, two, three and five years, and three calendar years.
constexpr int kPeriodCount = 13;

// A rank written "rank/count"; empty (rank 0) when the fund is not ranked. Kept as numbers because
// the whole universe is ranked thirteen times while only the compared funds are ever shown.
struct RankText {
    int rank = 0;
    int count = 0;

    bool empty() const { return rank == 0; }
    XStringW Text() const;
    friend bool operator==(const RankText&, const RankText&) = default;
};

struct PeriodValue {
    double value = -1.0;  // the return as a fraction; -1.0 until read
    bool missing = false; // the database gave no value
    RankText typeRank;    // among funds of the same investment type
    RankText allRank;     // among all funds
};

struct PerformanceFundRecord {
    XStringW code;
    XStringW aliascode;
    XStringW name;
    XStringW investtype;
    XStringW buystate;
    std::array<PeriodValue, kPeriodCount> values;
};

// Reads one period's value from the text the database gave: empty text is a missing value; so is
// text that does not make a finite number, which could not be ranked.
PeriodValue ReadPeriodValue(const XStringW& text);

// Sorts the funds by the period's value (funds with a value first, higher values first) and
// writes both ranks of every fund that has a value; ties share the rank of the first fund of the
// tie (1, 2, 2, 4). Funds without a value get empty ranks.
void ComputeRanks(std::vector<PerformanceFundRecord>& funds, int period);

// The peer group of an investment type: 0 to 5 for the six named types, 6 for every other.
std::uint8_t PeerGroup(const XStringW& investtype);
// The same ranking over periods kept as columns, columns[k][i] being the value of fund i: the
// periods are ranked one after the other, each sort starting from the order the previous one left,
// and the ranks are written into the columns. Returns the funds' order after the last sort.
std::vector<std::uint32_t> RankPeriodColumns(const std::vector<std::vector<PeriodValue>*>& columns,
                                             const std::vector<std::uint8_t>& groups);

// The growth the list shows for a stored value: the multi-year average yields (periods 6 to 9)
// compound over their whole number of years, every other period shows the value itself.
double ShownGrowth(int period, double value);
