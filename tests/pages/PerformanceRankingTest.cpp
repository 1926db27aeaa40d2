// Ranking the fund universe per period, and the growth the performance list shows.
#include "pages/performance/PerformanceRanking.h"

#include <gtest/gtest.h>

#include <map>

namespace {

PerformanceFundRecord fund(const wchar_t* code, const wchar_t* type, const wchar_t* valueText,
                           int period = 0) {
    PerformanceFundRecord r;
    r.code = code;
    r.investtype = type;
    r.values[static_cast<size_t>(period)] = ReadPeriodValue(valueText);
    return r;
}

std::map<XStringW, PeriodValue> byCode(const std::vector<PerformanceFundRecord>& funds, int period) {
    std::map<XStringW, PeriodValue> out;
    for (const auto& f : funds)
        out[f.code] = f.values[static_cast<size_t>(period)];
    return out;
}

TEST(PerformanceRanking, TiesShareTheFirstRankAndMissingValuesAreNotCounted) {
    std::vector<PerformanceFundRecord> funds{fund(L"A", L"股票型", L"0.10"), fund(L"B", L"股票型", L"0.08"),
                                             fund(L"C", L"债券型", L"0.08"), fund(L"D", L"混合型", L"0.05"),
                                             fund(L"E", L"股票型", L"")};
    ComputeRanks(funds, 0);
    auto r = byCode(funds, 0);
    EXPECT_EQ(r[L"A"].allRank.Text(), XStringW(L"1/4"));
    EXPECT_EQ(r[L"B"].allRank.Text(), XStringW(L"2/4"));
    EXPECT_EQ(r[L"C"].allRank.Text(), XStringW(L"2/4"));
    EXPECT_EQ(r[L"D"].allRank.Text(), XStringW(L"4/4"));
    EXPECT_TRUE(r[L"E"].allRank.empty());
    EXPECT_TRUE(r[L"E"].typeRank.empty());
    // The fund without a value sorts last.
    EXPECT_EQ(funds.back().code, XStringW(L"E"));
}

TEST(PerformanceRanking, ALeaderAtZeroIsRankedAndAFundWithoutAValueIsNoPeer) {
    // Every return is negative but one of exactly zero: the leader's zero is a value like any other.
    std::vector<PerformanceFundRecord> funds{fund(L"A", L"股票型", L"0"), fund(L"B", L"股票型", L"-0.01"),
                                             fund(L"C", L"股票型", L""), fund(L"D", L"债券型", L"-0.02")};
    ComputeRanks(funds, 0);
    auto r = byCode(funds, 0);
    EXPECT_EQ(r[L"A"].allRank.Text(), XStringW(L"1/3"));
    EXPECT_EQ(r[L"A"].typeRank.Text(), XStringW(L"1/2"));
    EXPECT_EQ(r[L"B"].typeRank.Text(), XStringW(L"2/2"));
    EXPECT_EQ(r[L"D"].typeRank.Text(), XStringW(L"1/1"));
    EXPECT_EQ(r[L"D"].allRank.Text(), XStringW(L"3/3"));
}

TEST(PerformanceRanking, PeerRanksCountWithinTheInvestmentType) {
    std::vector<PerformanceFundRecord> funds{fund(L"E1", L"股票型", L"0.10", 3),
                                             fund(L"E2", L"股票型", L"0.08", 3),
                                             fund(L"B1", L"债券型", L"0.09", 3)};
    for (auto& f : funds)
        for (int p = 0; p < kPeriodCount; ++p)
            if (p != 3)
                f.values[static_cast<size_t>(p)].missing = true;
    ComputeRanks(funds, 3);
    auto r = byCode(funds, 3);
    EXPECT_EQ(r[L"E1"].typeRank.Text(), XStringW(L"1/2"));
    EXPECT_EQ(r[L"E2"].typeRank.Text(), XStringW(L"2/2"));
    EXPECT_EQ(r[L"B1"].typeRank.Text(), XStringW(L"1/1"));
    EXPECT_EQ(r[L"B1"].allRank.Text(), XStringW(L"2/3"));
}

TEST(PerformanceRanking, APeerTieIsATieWithinTheTypeNotWithTheFundRankedJustBefore) {
    // The bond fund sits between the two equity funds in the overall order and has the second
    // equity fund's value: that is no tie among equity funds.
    std::vector<PerformanceFundRecord> funds{fund(L"S1", L"股票型", L"0.20"), fund(L"B1", L"债券型", L"0.10"),
                                             fund(L"S2", L"股票型", L"0.10")};
    ComputeRanks(funds, 0);
    auto r = byCode(funds, 0);
    EXPECT_EQ(r[L"S1"].typeRank.Text(), XStringW(L"1/2"));
    EXPECT_EQ(r[L"S2"].typeRank.Text(), XStringW(L"2/2"));
    EXPECT_EQ(r[L"B1"].typeRank.Text(), XStringW(L"1/1"));
    // Overall, the two funds of 0.10 do tie.
    EXPECT_EQ(r[L"B1"].allRank.Text(), XStringW(L"2/3"));
    EXPECT_EQ(r[L"S2"].allRank.Text(), XStringW(L"2/3"));

    // The same in the other order of the tie: the equity fund ranked before the bond fund.
    funds = {fund(L"S1", L"股票型", L"0.20"), fund(L"S2", L"股票型", L"0.10"),
             fund(L"B1", L"债券型", L"0.10"), fund(L"B2", L"债券型", L"0.30")};
    ComputeRanks(funds, 0);
    r = byCode(funds, 0);
    EXPECT_EQ(r[L"S2"].typeRank.Text(), XStringW(L"2/2"));
    EXPECT_EQ(r[L"B1"].typeRank.Text(), XStringW(L"2/2"));
    EXPECT_EQ(r[L"B2"].typeRank.Text(), XStringW(L"1/2"));
}

TEST(PerformanceRanking, UnknownTypesShareOneGroupAndPeerTiesShareRanks) {
    std::vector<PerformanceFundRecord> funds{fund(L"X", L"现金型", L"0.02"), fund(L"Y", L"", L"0.02"),
                                             fund(L"Z", L"其他", L"0.01"), fund(L"Q", L"QDII", L"0.03")};
    ComputeRanks(funds, 0);
    auto r = byCode(funds, 0);
    EXPECT_EQ(r[L"X"].typeRank.Text(), XStringW(L"1/3"));
    EXPECT_EQ(r[L"Y"].typeRank.Text(), XStringW(L"1/3"));
    EXPECT_EQ(r[L"Z"].typeRank.Text(), XStringW(L"3/3"));
    EXPECT_EQ(r[L"Q"].typeRank.Text(), XStringW(L"1/1"));
    EXPECT_EQ(r[L"Q"].allRank.Text(), XStringW(L"1/4"));
}

TEST(PerformanceRanking, ValuesThatAreNotNumbersCannotBeRanked) {
    EXPECT_TRUE(ReadPeriodValue(L"").missing);
    EXPECT_DOUBLE_EQ(ReadPeriodValue(L"").value, -1.0);
    EXPECT_TRUE(ReadPeriodValue(L"nan").missing);
    EXPECT_TRUE(ReadPeriodValue(L"inf").missing);
    EXPECT_FALSE(ReadPeriodValue(L"-0.25").missing);
    EXPECT_DOUBLE_EQ(ReadPeriodValue(L"-0.25").value, -0.25);

    // A universe with NaN texts sorts and ranks without trouble.
    std::vector<PerformanceFundRecord> funds;
    for (int i = 0; i < 200; ++i)
        funds.push_back(fund(XStringW().Format(L"%03d", i).c_str(), L"股票型", i % 3 == 0 ? L"nan" : L"0.1"));
    ComputeRanks(funds, 0);
    EXPECT_EQ(funds.front().values[0].allRank.Text(), XStringW(L"1/133"));
    EXPECT_TRUE(funds.back().values[0].allRank.empty());

    ComputeRanks(funds, kPeriodCount); // out of range: nothing happens
    ComputeRanks(funds, -1);
}

TEST(PerformanceRanking, MultiYearAveragesCompoundIntoTheShownGrowth) {
    EXPECT_NEAR(ShownGrowth(8, 0.10), 0.331, 1e-12);
    EXPECT_DOUBLE_EQ(ShownGrowth(6, 0.10), 0.10);
    EXPECT_NEAR(ShownGrowth(7, 0.10), 0.21, 1e-12);
    EXPECT_NEAR(ShownGrowth(9, 0.10), 0.61051, 1e-12);
    EXPECT_DOUBLE_EQ(ShownGrowth(0, -0.03), -0.03);
    EXPECT_DOUBLE_EQ(ShownGrowth(12, 0.5), 0.5);
}

} // namespace
