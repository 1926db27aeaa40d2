// The index entry computed from weekly returns, the star kinds, and what the delegate tells the map.
#include "pages/riskreturn/MyNewStarDelegate.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace RiskModel;

TEST(RiskIndexEntry, SteadyWeeksCompoundAndHaveNoDeviation) {
    const std::vector<double> weeks(260, 0.01);
    const AverageEntry entry = ComputeIndexEntry(weeks);
    for (int h = 0; h < kHorizonCount; ++h) {
        EXPECT_TRUE(entry[h].present) << h;
        EXPECT_EQ(entry[h].name, XStringW(L"上证指数"));
        // Annualising the compound growth of 52 x s weeks gives the one-year figure every time.
        EXPECT_NEAR(entry[h].returnValue, std::pow(1.01, 52) - 1.0, 1e-9) << h;
        EXPECT_NEAR(entry[h].stdDev, 0.0, 1e-12) << h;
    }
    EXPECT_NEAR(entry[0].returnValue, 0.6777, 1e-4);
}

TEST(RiskIndexEntry, UsesOnlyTheLatestWeeksOfEachHorizonWithThePopulationDeviation) {
    // The latest 52 weeks alternate +2 % and -2 %; older weeks are wild and must not count for one
    // year.
    std::vector<double> weeks;
    for (int i = 0; i < 52; ++i)
        weeks.push_back(i % 2 == 0 ? 0.02 : -0.02);
    for (int i = 0; i < 52; ++i)
        weeks.push_back(0.5);
    const AverageEntry entry = ComputeIndexEntry(weeks);
    ASSERT_TRUE(entry[0].present);
    EXPECT_NEAR(entry[0].returnValue, std::pow(1.02 * 0.98, 26) - 1.0, 1e-12);
    EXPECT_NEAR(entry[0].stdDev, 0.02 * std::sqrt(52.0), 1e-12); // divided by n, not n - 1
    ASSERT_TRUE(entry[1].present);
    EXPECT_NEAR(entry[1].returnValue, std::sqrt(std::pow(1.02 * 0.98, 26) * std::pow(1.5, 52)) - 1.0, 1e-9);
}

TEST(RiskIndexEntry, AShortSeriesLeavesTheLongerHorizonsOut) {
    EXPECT_FALSE(ComputeIndexEntry({}).at(0).present);
    const AverageEntry entry = ComputeIndexEntry(std::vector<double>(120, 0.001));
    EXPECT_TRUE(entry[0].present);
    EXPECT_TRUE(entry[1].present);
    EXPECT_FALSE(entry[2].present);
    EXPECT_FALSE(entry[3].present);
    EXPECT_FALSE(ComputeIndexEntry(std::vector<double>(51, 0.01))[0].present);
}

TEST(RiskIndexEntry, AWeekLosingMoreThanEverythingGivesNoFigureRatherThanNaN) {
    std::vector<double> weeks(52, 0.01);
    weeks[3] = -1.5;
    EXPECT_FALSE(ComputeIndexEntry(weeks)[0].present);
}

TEST(RiskStarKind, FollowsTheInvestmentTypeExactly) {
    EXPECT_EQ(FundStarKind(L"QDII"), 1);
    EXPECT_EQ(FundStarKind(L"保本型"), 2);
    EXPECT_EQ(FundStarKind(L"债券型"), 3);
    EXPECT_EQ(FundStarKind(L"指数型"), 4);
    EXPECT_EQ(FundStarKind(L"混合型"), 5);
    EXPECT_EQ(FundStarKind(L"股票型"), 6);
    EXPECT_EQ(FundStarKind(L"股票型 "), 7);
    EXPECT_EQ(FundStarKind(L""), 7);
}

namespace {

AverageEntry TypeEntry(const wchar_t* name, double base) {
    AverageEntry entry;
    for (int h = 0; h < kHorizonCount; ++h)
        entry[h] = AverageStar{name, base + h * 0.01, base / 2 + h * 0.01, true};
    return entry;
}

} // namespace

TEST(RiskStarDelegate, FundStarsComeFirstThenTheAveragesWithTheIndexLast) {
    MyNewStarDelegate delegate;
    delegate.SetStars({FundStar{L"000001", L"F001", L"华夏成长股票", L"股票型", 0.1234, 0.25}});
    AverageEntry index = ComputeIndexEntry(std::vector<double>(60, 0.01));
    delegate.SetAverages({TypeEntry(L"股票型", 0.10), TypeEntry(L"债券型", 0.04), index});
    EXPECT_EQ(delegate.GetStarCount(), 4);
    EXPECT_EQ(delegate.GetAverageCount(), 0);

    Control::StarInfo info;
    ASSERT_TRUE(delegate.GetStar(0, info));
    EXPECT_EQ(info.starLabel, XStringW(L"[F001]"));
    EXPECT_EQ(info.name, XStringW(L"华夏成长股票"));
    EXPECT_EQ(info.subtitle, XStringW(L"股票型"));
    EXPECT_DOUBLE_EQ(info.returnValue, 12.34);
    EXPECT_DOUBLE_EQ(info.stdDev, 25.0);
    EXPECT_EQ(info.kind, 6);

    info.starLabel = L"stale";
    ASSERT_TRUE(delegate.GetStar(2, info));
    EXPECT_EQ(info.starLabel, XStringW());
    EXPECT_EQ(info.name, XStringW(L"债券型"));
    EXPECT_EQ(info.subtitle, XStringW(L"平均值"));
    EXPECT_DOUBLE_EQ(info.returnValue, 4.0);
    EXPECT_EQ(info.kind, 9);

    ASSERT_TRUE(delegate.GetStar(3, info));
    EXPECT_EQ(info.name, XStringW(L"上证指数"));
    EXPECT_EQ(info.subtitle, XStringW(L"年化"));
    EXPECT_EQ(info.kind, 10);

    // Two years need 104 weeks; the index has 60, so its star is left out, not made up.
    delegate.SetHorizon(1);
    EXPECT_FALSE(delegate.GetStar(3, info));
    ASSERT_TRUE(delegate.GetStar(1, info));
    EXPECT_DOUBLE_EQ(info.returnValue, 11.0);

    EXPECT_FALSE(delegate.GetStar(4, info));
    EXPECT_FALSE(delegate.GetStar(-1, info));
}

TEST(RiskStarDelegate, AnswersRangesCaptionsAndPercentText) {
    MyNewStarDelegate delegate;
    double upper = 0, lower = 0;
    EXPECT_TRUE(delegate.GetStdDevRange(upper, lower));
    EXPECT_EQ(upper, 50.0);
    EXPECT_EQ(lower, 0.0);
    EXPECT_TRUE(delegate.GetReturnRange(upper, lower));
    EXPECT_EQ(upper, 160.0);
    EXPECT_EQ(lower, -50.0);
    EXPECT_EQ(delegate.FormatPercent(12.345), XStringW(L"12.35%"));
    EXPECT_EQ(delegate.FormatPercent2(-3.0), XStringW(L"-3.00%"));
    EXPECT_EQ(delegate.GetReturnCaption(), XStringW(L"最近一年收益率"));
    delegate.SetHorizon(1);
    EXPECT_EQ(delegate.GetReturnCaption(), XStringW(L"最近二年收益率"));
    EXPECT_EQ(delegate.GetStdDevCaption(), XStringW(L"二年标准差"));
    delegate.SetHorizon(9); // a stray position stays within the horizons
    EXPECT_EQ(delegate.GetStdDevCaption(), XStringW(L"五年标准差"));
}

TEST(RiskStarDelegate, AverageStarKeepsTheLabelAndIgnoresPositionsOutside) {
    MyNewStarDelegate delegate;
    delegate.SetAverages({TypeEntry(L"混合型", 0.08)});
    Control::StarInfo info;
    info.starLabel = L"keep";
    EXPECT_TRUE(delegate.GetAverageStar(0, info));
    EXPECT_EQ(info.starLabel, XStringW(L"keep"));
    EXPECT_EQ(info.name, XStringW(L"混合型"));
    EXPECT_EQ(info.kind, 8);
    Control::StarInfo untouched;
    EXPECT_TRUE(delegate.GetAverageStar(-1, untouched));
    EXPECT_TRUE(delegate.GetAverageStar(5, untouched));
    EXPECT_EQ(untouched.kind, 0);
}

TEST(RiskModelFit, RangesHugTheValuesWithAMarginAndKeepDeviationsAboveZero) {
    double lower = 0, upper = 0;
    // A spread of 20 points: two points of margin each side, rounded out to whole percent.
    ASSERT_TRUE(RiskModel::FitRange({5.0, 25.0, 12.0}, true, lower, upper));
    EXPECT_EQ(lower, 3.0);
    EXPECT_EQ(upper, 27.0);
    // A single value still gets a range around it; a deviation range stops at zero.
    ASSERT_TRUE(RiskModel::FitRange({0.5}, true, lower, upper));
    EXPECT_EQ(lower, 0.0);
    EXPECT_EQ(upper, 2.0);
    // Returns may go below zero; values that are no numbers are ignored.
    ASSERT_TRUE(RiskModel::FitRange({-30.0, std::nan(""), 10.0, HUGE_VAL}, false, lower, upper));
    EXPECT_EQ(lower, -34.0);
    EXPECT_EQ(upper, 14.0);
    EXPECT_FALSE(RiskModel::FitRange({std::nan("")}, false, lower, upper));
    EXPECT_FALSE(RiskModel::FitRange({}, false, lower, upper));
}
