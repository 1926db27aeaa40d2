// The figures of the risk-return chart: the horizons, the per-fund and per-type records read from
// the database, and the index entry computed from the weekly returns of the Shanghai index.
#pragma once

#include <sdk/XStringW.h>

#include <array>
#include <vector>

namespace RiskModel {

inline constexpr int kHorizonCount = 4;

// One horizon of the horizon box: its label, the years it spans and the two axis captions.
struct Horizon {
    const wchar_t* label;
    int years;
    const wchar_t* returnCaption;
    const wchar_t* stdDevCaption;
};

inline constexpr std::array<Horizon, kHorizonCount> kHorizons{{
    {L"最近1年(年化)", 1, L"最近一年收益率", L"一年标准差"},
    {L"最近2年(年化)", 2, L"最近二年收益率", L"二年标准差"},
    {L"最近3年(年化)", 3, L"最近三年收益率", L"三年标准差"},
    {L"最近5年(年化)", 5, L"最近五年收益率", L"五年标准差"},
}};

// The name of the index entry among the averages.
inline constexpr const wchar_t kIndexName[] = L"上证指数";

// Returns and standard deviations are fractions (0.12 is 12 %); a figure missing in the database
// reads as 0.
struct RiskFundRecord {
    XStringW aliascode, code, name, investtype;
    std::array<double, kHorizonCount> returns{};
    std::array<double, kHorizonCount> stdDevs{};
};

struct FundStar {
    XStringW aliascode, code, name, investtype;
    double returnValue = 0.0;
    double stdDev = 0.0;
};

// One point of an average entry. `present` is false for a horizon that has no figure to show (the
// index when its weekly series is shorter than the horizon).
struct AverageStar {
    XStringW name;
    double returnValue = 0.0;
    double stdDev = 0.0;
    bool present = true;
};

// One investment type (or the index): its point for each horizon, in horizon order.
using AverageEntry = std::array<AverageStar, kHorizonCount>;

// A fund star is drawn only when its return is told apart from zero, which is how a missing
// figure reads.
inline constexpr double kMinimumReturn = 0.00001;

// The index entry from the weekly returns, latest week first. Each horizon of s years uses the
// latest 52 x s weeks: the annualised compound return and the population standard deviation of
// the weeks scaled by the square root of 52. A horizon with fewer weeks than it spans, or whose
// figures are not finite (a weekly loss beyond -100 %), is left out rather than computed from a
// shorter span that would pass for the full one.
AverageEntry ComputeIndexEntry(const std::vector<double>& weeks);

// A compared fund that has no star at a horizon, and why: the risk figures leave it out (a
// money-market, delisted or unknown fund), it has figures for a shorter horizon only (too young
// for this one), or it has none at all.
struct MissingFund {
    enum class Reason { NotCovered, TooYoung, NoFigures };
    XStringW code, name;
    Reason reason = Reason::NoFigures;
};

// What the page writes under the map about the funds without a star at horizon h; empty when
// every compared fund has one.
XStringW DescribeMissing(const std::vector<MissingFund>& missing, int h);

// An axis range fitted to the values (percent): from the smallest to the largest finite value,
// widened on both sides by a tenth of their spread and at least one percentage point, then
// rounded out to whole percent. A standard deviation cannot be negative, so with `nonNegative`
// the range does not reach below zero for values that do not. False when no value is finite.
bool FitRange(const std::vector<double>& values, bool nonNegative, double& lower, double& upper);

// The star image of a fund's investment type, compared exactly: 1 QDII, 2 capital-guaranteed,
// 3 bond, 4 index, 5 hybrid, 6 equity, 7 anything else.
int FundStarKind(const XStringW& investtype);

} // namespace RiskModel
