// The cost of holding a fund, worked out by hand: subscription tiers at and around their bounds, a
// fixed fee per purchase, redemption at a period exactly on a bound, a fund without tiers, a C
// class, growth over the period, and the readable tier texts.
#include "pages/fees/FeeCalculator.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr double kWan = 10000.0;

FeeTier Rate(double lower, double upper, double rate) {
    FeeTier tier;
    tier.lower = lower;
    tier.upper = upper;
    tier.rate = rate;
    return tier;
}

FeeTier Fixed(double lower, double fee) {
    FeeTier tier;
    tier.lower = lower;
    tier.fixed = fee;
    return tier;
}

// An A-class equity fund as fund houses write it.
FundFees EquityA() {
    FundFees fees;
    fees.code = L"F001";
    fees.known = true;
    fees.shareClass = L"A";
    fees.management = 0.015;
    fees.custody = 0.0025;
    fees.sales = 0.0;
    fees.minPurchase = 1000.0;
    fees.purchase = {Rate(0, 100 * kWan, 0.015), Rate(100 * kWan, 500 * kWan, 0.01),
                     Fixed(500 * kWan, 1000.0)};
    fees.redemption = {Rate(0, 7, 0.015), Rate(7, 365, 0.005), Rate(365, 730, 0.0025),
                       Rate(730, FeeTier::kNoEnd, 0)};
    return fees;
}

TEST(FeeCalculator, AnAmountExactlyOnABoundFallsInTheTierAbove) {
    const FundFees fees = EquityA();
    EXPECT_DOUBLE_EQ(FeeCalculator::Find(fees.purchase, 100 * kWan)->rate, 0.01);
    EXPECT_DOUBLE_EQ(FeeCalculator::Find(fees.purchase, 100 * kWan - 0.01)->rate, 0.015);
    EXPECT_DOUBLE_EQ(FeeCalculator::Find(fees.purchase, 0)->rate, 0.015);
    EXPECT_TRUE(FeeCalculator::Find(fees.purchase, 500 * kWan)->IsFixed());
    EXPECT_EQ(FeeCalculator::Find(fees.purchase, -1), nullptr);
    EXPECT_EQ(FeeCalculator::Find(fees.purchase, std::nan("")), nullptr);

    // 1,000,000 yuan at 1 %, charged on top: the amount buys 1,000,000 / 1.01.
    const FeeCost onBound = FeeCalculator::Compute(fees, 100 * kWan, 365, 0.0);
    EXPECT_NEAR(onBound.subscription, 1e6 - 1e6 / 1.01, 1e-6);
    EXPECT_NEAR(onBound.subscription, 9900.99, 0.005);
    const FeeCost below = FeeCalculator::Compute(fees, 100 * kWan - 100, 365, 0.0);
    EXPECT_NEAR(below.subscription, 999900 - 999900 / 1.015, 1e-6);
    // The default of the page: 100,000 yuan at 1.5 %.
    EXPECT_NEAR(FeeCalculator::Compute(fees, 1e5, 1095, 0.0).subscription, 1477.83, 0.005);
}

TEST(FeeCalculator, AFixedFeeIsTakenPerPurchaseAsItStands) {
    const FundFees fees = EquityA();
    const FeeCost cost = FeeCalculator::Compute(fees, 500 * kWan, 1095, 0.0);
    EXPECT_DOUBLE_EQ(cost.subscription, 1000.0);
    EXPECT_DOUBLE_EQ(cost.invested, 500 * kWan - 1000.0);
    // A fixed fee above the amount takes no more than the amount.
    FundFees odd = fees;
    odd.purchase = {Fixed(0, 1000.0)};
    EXPECT_DOUBLE_EQ(FeeCalculator::Compute(odd, 600, 30, 0.0).subscription, 600.0);
}

TEST(FeeCalculator, APeriodExactlyOnARedemptionBoundTakesTheTierAbove) {
    const FundFees fees = EquityA();
    const double invested = 1e5 / 1.015;
    EXPECT_NEAR(FeeCalculator::Compute(fees, 1e5, 6, 0.0).redemption, invested * 0.015, 1e-6);
    EXPECT_NEAR(FeeCalculator::Compute(fees, 1e5, 7, 0.0).redemption, invested * 0.005, 1e-6);
    EXPECT_NEAR(FeeCalculator::Compute(fees, 1e5, 364, 0.0).redemption, invested * 0.005, 1e-6);
    EXPECT_NEAR(FeeCalculator::Compute(fees, 1e5, 365, 0.0).redemption, invested * 0.0025, 1e-6);
    EXPECT_DOUBLE_EQ(FeeCalculator::Compute(fees, 1e5, 730, 0.0).redemption, 0.0);
}

TEST(FeeCalculator, YearlyFeesAccrueOnTheInvestedValueAndMakeUpTheTotal) {
    const FundFees fees = EquityA();
    const FeeCost cost = FeeCalculator::Compute(fees, 1e5, 1095, 0.0);
    const double invested = 1e5 / 1.015;
    EXPECT_NEAR(cost.yearly, invested * 0.0175 * 3, 1e-6);
    EXPECT_NEAR(cost.total, cost.subscription + cost.yearly + cost.redemption, 1e-9);
    EXPECT_NEAR(cost.perYear, cost.total / 1e5 / 3, 1e-12);
    EXPECT_TRUE(cost.complete);
    EXPECT_FALSE(cost.belowMinimum);
    EXPECT_TRUE(FeeCalculator::Compute(fees, 999, 1095, 0.0).belowMinimum);
    EXPECT_FALSE(FeeCalculator::Compute(fees, 1000, 1095, 0.0).belowMinimum);
}

TEST(FeeCalculator, GrowthIsCompoundedDayByDayAndRaisesFeesAndRedemption) {
    const FundFees fees = EquityA();
    const int days = 400;
    const FeeCost cost = FeeCalculator::Compute(fees, 1e5, days, 0.10);
    // The same by walking the days.
    const double invested = 1e5 / 1.015;
    const double factor = std::pow(1.10, 1.0 / 365);
    double value = invested, yearly = 0.0;
    for (int d = 0; d < days; ++d) {
        yearly += value * 0.0175 / 365;
        value *= factor;
    }
    EXPECT_NEAR(cost.yearly, yearly, 1e-6);
    EXPECT_NEAR(cost.endValue, value, 1e-6);
    EXPECT_NEAR(cost.redemption, value * 0.0025, 1e-6);
    EXPECT_GT(cost.yearly, FeeCalculator::Compute(fees, 1e5, days, 0.0).yearly);
    // A loss of everything or worse is no growth the model can use: it counts as none.
    EXPECT_DOUBLE_EQ(FeeCalculator::Compute(fees, 1e5, days, -1.5).yearly,
                     FeeCalculator::Compute(fees, 1e5, days, 0.0).yearly);
}

TEST(FeeCalculator, AFundWithoutTiersCountsItsYearlyFeesAndIsNotComplete) {
    FundFees fees = EquityA();
    fees.purchase.clear();
    fees.redemption.clear();
    const FeeCost cost = FeeCalculator::Compute(fees, 1e5, 730, 0.0);
    EXPECT_TRUE(std::isnan(cost.subscription));
    EXPECT_TRUE(std::isnan(cost.redemption));
    EXPECT_DOUBLE_EQ(cost.invested, 1e5);
    EXPECT_NEAR(cost.total, 1e5 * 0.0175 * 2, 1e-6);
    EXPECT_FALSE(cost.complete);

    // Without any yearly fee there is no total at all.
    FundFees unknown;
    unknown.purchase = EquityA().purchase;
    const FeeCost none = FeeCalculator::Compute(unknown, 1e5, 730, 0.0);
    EXPECT_TRUE(std::isnan(none.total));
    EXPECT_TRUE(std::isnan(FeeCalculator::YearlyRate(unknown)));
}

TEST(FeeCalculator, ACClassPaysNoSubscriptionButASalesServiceFee) {
    FundFees fees;
    fees.known = true;
    fees.shareClass = L"C";
    fees.management = 0.012;
    fees.custody = 0.002;
    fees.sales = 0.004;
    fees.purchase = {Rate(0, FeeTier::kNoEnd, 0.0)};
    fees.redemption = {Rate(0, 7, 0.015), Rate(7, 30, 0.005), Rate(30, FeeTier::kNoEnd, 0.0)};
    const FeeCost cost = FeeCalculator::Compute(fees, 1e5, 365, 0.0);
    EXPECT_DOUBLE_EQ(cost.subscription, 0.0);
    EXPECT_NEAR(cost.yearly, 1e5 * 0.018, 1e-6);
    EXPECT_DOUBLE_EQ(cost.redemption, 0.0);
    EXPECT_NEAR(FeeCalculator::Compute(fees, 1e5, 29, 0.0).redemption, 500.0, 1e-9);
    EXPECT_DOUBLE_EQ(FeeCalculator::Compute(fees, 1e5, 30, 0.0).redemption, 0.0);
    // A fee left unknown counts as none beside the known ones.
    fees.custody = FeeTier::kNone;
    EXPECT_NEAR(FeeCalculator::YearlyRate(fees), 0.016, 1e-15);
}

TEST(FeeCalculator, NoAmountOrPeriodGivesNothing) {
    const FundFees fees = EquityA();
    for (const FeeCost& cost :
         {FeeCalculator::Compute(fees, 0, 365, 0), FeeCalculator::Compute(fees, -5, 365, 0),
          FeeCalculator::Compute(fees, 1e5, 0, 0), FeeCalculator::Compute(fees, std::nan(""), 365, 0),
          FeeCalculator::Compute(fees, INFINITY, 365, 0)}) {
        EXPECT_TRUE(std::isnan(cost.total));
        EXPECT_FALSE(cost.complete);
    }
}

TEST(FeeCalculator, TiersReadAsFundHousesWriteThem) {
    const FundFees fees = EquityA();
    EXPECT_EQ(FeeCalculator::DescribeTiers(fees.purchase, true).str(),
              L"<100万 1.5%；100万-500万 1%；≥500万 1000元/笔");
    EXPECT_EQ(FeeCalculator::DescribeTiers(fees.redemption, false).str(),
              L"<7天 1.5%；7天-1年 0.5%；1年-2年 0.25%；≥2年 0");
    EXPECT_EQ(FeeCalculator::DescribeTiers({}, true).str(), L"--");
    EXPECT_EQ(FeeCalculator::DescribeTiers({Rate(0, FeeTier::kNoEnd, 0)}, true).str(), L"不限 0");
    EXPECT_EQ(FeeCalculator::TierLines(fees.purchase, true).size(), 3u);
    EXPECT_EQ(FeeCalculator::BoundText(30, false).str(), L"1个月");
    EXPECT_EQ(FeeCalculator::BoundText(180, false).str(), L"6个月");
    EXPECT_EQ(FeeCalculator::BoundText(1095, false).str(), L"3年");
    EXPECT_EQ(FeeCalculator::BoundText(400, false).str(), L"400天");
    EXPECT_EQ(FeeCalculator::BoundText(1.5e8, true).str(), L"1.5亿");
    EXPECT_EQ(FeeCalculator::BoundText(5000, true).str(), L"5000元");
    EXPECT_EQ(FeeCalculator::RateText(0.0025).str(), L"0.25%");
    EXPECT_EQ(FeeCalculator::RateText(0.0).str(), L"0");
    EXPECT_EQ(FeeCalculator::RateText(std::nan("")).str(), L"--");
}

} // namespace
