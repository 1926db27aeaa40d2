// FeeCalculator: what holding a fund costs — its fee schedule as the fee tables give it, and the
// cost of putting an amount into it and taking the money out after a number of days.
//
// The model, which the page states in its caption and docs/fees.md in full:
// - The subscription fee is taken from the amount paid, front-end, by the tier of that amount. A
//   rate is charged the mainland way ("外扣法"): the amount buys units worth amount / (1 + rate),
//   and the fee is the rest. A fixed fee (1000 yuan a purchase) is taken as it stands.
// - The yearly fees (management, custody, sales service) accrue day by day on the holding's value,
//   which grows at a yearly rate after those fees (0 unless the page estimates it from the fund's
//   past returns). A fee that the table leaves unknown counts as 0 when another is known.
// - The redemption fee is the rate of the tier the holding period falls in, on the value redeemed.
// - A tier runs from its lower bound (included) to its upper bound (excluded).
// - A year is 365 days.
#pragma once

#include <sdk/XStringW.h>

#include <limits>
#include <vector>

struct FeeTier {
    static constexpr double kNone = std::numeric_limits<double>::quiet_NaN();
    static constexpr double kNoEnd = std::numeric_limits<double>::infinity();

    double lower = 0.0;
    double upper = kNoEnd;
    double rate = kNone;  // a fraction of the amount
    double fixed = kNone; // yuan per purchase

    bool IsFixed() const { return fixed == fixed; }
};

struct FundFees {
    XStringW code;
    XStringW aliascode;
    XStringW name;
    XStringW investType; // 股票型, 债券型...; empty when the database does not say
    bool known = false;  // the fund has a live fee row
    XStringW shareClass;
    double management = FeeTier::kNone; // yearly fractions of the net assets
    double custody = FeeTier::kNone;
    double sales = FeeTier::kNone;
    double minPurchase = FeeTier::kNone; // yuan
    std::vector<FeeTier> purchase;       // by amount, ascending
    std::vector<FeeTier> redemption;     // by days held, ascending
};

struct FeeCost {
    double subscription = FeeTier::kNone; // yuan; unknown without purchase tiers
    double invested = FeeTier::kNone;     // what the amount buys after the subscription fee
    double yearly = FeeTier::kNone;       // yuan over the period
    double redemption = FeeTier::kNone;   // yuan; unknown without redemption tiers
    double endValue = FeeTier::kNone;     // the holding's value when redeemed, before the fee
    double total = FeeTier::kNone;        // the three, unknown ones counting 0; unknown without yearly fees
    double perYear = FeeTier::kNone;      // total / amount / years, a fraction
    bool complete = false;                // all three fees known
    bool belowMinimum = false;            // the amount is below the fund's smallest purchase
};

class FeeCalculator {
public:
    static constexpr int kDaysPerYear = 365;

    // The tier whose range holds the value (lower <= value < upper); null when none does.
    static const FeeTier* Find(const std::vector<FeeTier>& tiers, double value);
    // The sum of the yearly fees that are known; unknown when none is.
    static double YearlyRate(const FundFees& fees);
    // The cost of paying `amount` yuan into the fund and redeeming after `days` days, the holding
    // growing by `growth` a year after the yearly fees. Unknown (NaN) figures where the fees are;
    // an amount or period that is not a positive finite number gives nothing.
    static FeeCost Compute(const FundFees& fees, double amount, int days, double growth);

    // The tiers as one readable line: "<100万 1.50%；100万-500万 1.00%；≥500万 1000元/笔", periods
    // in days, months or years ("<7天 1.50%；7天-1年 0.50%；≥2年 0"). "--" for none.
    static XStringW DescribeTiers(const std::vector<FeeTier>& tiers, bool amounts);
    // The same, a line per tier.
    static std::vector<XStringW> TierLines(const std::vector<FeeTier>& tiers, bool amounts);
    // One tier's line: its range, then its rate or fixed fee ("100万-500万 1%").
    static XStringW TierLine(const FeeTier& tier, bool amounts);
    // A bound as the page writes it: amounts in 元, 万 or 亿, periods in 天, 个月 or 年.
    static XStringW BoundText(double value, bool amount);
    // A rate as a percentage with up to two decimals ("1.5%", "0.25%", "0").
    static XStringW RateText(double rate);
    // Yuan with two decimals ("1477.83"), a percentage with two ("1.80%"); "--" for NaN, and never
    // a negative zero.
    static XStringW MoneyText(double value);
    static XStringW PercentText(double fraction);
};
