// FeeCalculator: tiers, the cost model and the readable fee texts.
#include "pages/fees/FeeCalculator.h"

#include <cmath>

namespace {

bool Known(double value) {
    return std::isfinite(value);
}

// Up to `decimals` decimals without trailing zeros: 1.50 -> "1.5", 2.00 -> "2".
XStringW Trimmed(double value, int decimals) {
    XStringW text;
    text.Format(L"%.*f", decimals, value);
    std::wstring s = text.str();
    if (s.find(L'.') != std::wstring::npos) {
        while (!s.empty() && s.back() == L'0')
            s.pop_back();
        if (!s.empty() && s.back() == L'.')
            s.pop_back();
    }
    if (s == L"-0")
        s = L"0";
    return XStringW(std::move(s));
}

XStringW TierFeeText(const FeeTier& tier) {
    if (tier.IsFixed())
        return Trimmed(tier.fixed, 2) + XStringW(L"元/笔");
    if (Known(tier.rate))
        return FeeCalculator::RateText(tier.rate);
    return XStringW(L"--");
}

} // namespace

const FeeTier* FeeCalculator::Find(const std::vector<FeeTier>& tiers, double value) {
    if (!(value == value))
        return nullptr;
    for (const FeeTier& tier : tiers)
        if (tier.lower <= value && value < tier.upper)
            return &tier;
    return nullptr;
}

double FeeCalculator::YearlyRate(const FundFees& fees) {
    double sum = 0.0;
    bool any = false;
    for (double fee : {fees.management, fees.custody, fees.sales})
        if (Known(fee)) {
            sum += fee;
            any = true;
        }
    return any ? sum : FeeTier::kNone;
}

FeeCost FeeCalculator::Compute(const FundFees& fees, double amount, int days, double growth) {
    FeeCost cost;
    if (!(amount > 0.0) || !Known(amount) || days <= 0)
        return cost;
    if (!Known(growth) || growth <= -1.0)
        growth = 0.0;
    cost.belowMinimum = Known(fees.minPurchase) && amount < fees.minPurchase;

    // Front-end subscription by the tier of the amount paid.
    cost.invested = amount;
    if (const FeeTier* tier = Find(fees.purchase, amount)) {
        if (tier->IsFixed())
            cost.subscription = std::fmin(std::fmax(tier->fixed, 0.0), amount);
        else if (Known(tier->rate))
            cost.subscription = amount - amount / (1.0 + tier->rate);
        if (Known(cost.subscription))
            cost.invested = amount - cost.subscription;
    }

    // Yearly fees day by day on a value growing by the daily factor: a geometric sum over the days
    // held, value(d) = invested * factor^d for d = 0 .. days - 1.
    const double rate = YearlyRate(fees);
    const double factor = std::pow(1.0 + growth, 1.0 / kDaysPerYear);
    cost.endValue = cost.invested * std::pow(factor, days);
    if (Known(rate)) {
        const double daily = rate / kDaysPerYear;
        const double sum = std::fabs(factor - 1.0) < 1e-15 ? static_cast<double>(days)
                                                           : (std::pow(factor, days) - 1.0) / (factor - 1.0);
        cost.yearly = cost.invested * daily * sum;
    }

    // Redemption at the end of the period, on the value then.
    if (const FeeTier* tier = Find(fees.redemption, static_cast<double>(days))) {
        if (tier->IsFixed())
            cost.redemption = std::fmax(tier->fixed, 0.0);
        else if (Known(tier->rate))
            cost.redemption = cost.endValue * tier->rate;
    }

    if (Known(cost.yearly)) {
        cost.total = cost.yearly + (Known(cost.subscription) ? cost.subscription : 0.0) +
                     (Known(cost.redemption) ? cost.redemption : 0.0);
        cost.perYear = cost.total / amount / (static_cast<double>(days) / kDaysPerYear);
    }
    cost.complete = Known(cost.subscription) && Known(cost.yearly) && Known(cost.redemption);
    return cost;
}

XStringW FeeCalculator::RateText(double rate) {
    if (!Known(rate))
        return XStringW(L"--");
    if (rate == 0.0)
        return XStringW(L"0");
    return Trimmed(rate * 100.0, 2) + XStringW(L"%");
}

XStringW FeeCalculator::MoneyText(double value) {
    if (!Known(value))
        return XStringW(L"--");
    XStringW text;
    text.Format(L"%.2f", value);
    return text == XStringW(L"-0.00") ? XStringW(L"0.00") : text;
}

XStringW FeeCalculator::PercentText(double fraction) {
    if (!Known(fraction))
        return XStringW(L"--");
    XStringW text;
    text.Format(L"%.2f%%", fraction * 100.0);
    return text == XStringW(L"-0.00%") ? XStringW(L"0.00%") : text;
}

XStringW FeeCalculator::BoundText(double value, bool amount) {
    if (amount) {
        if (value >= 1e8 && std::fmod(value, 1e6) == 0.0)
            return Trimmed(value / 1e8, 2) + XStringW(L"亿");
        if (value >= 1e4 && std::fmod(value, 100.0) == 0.0)
            return Trimmed(value / 1e4, 2) + XStringW(L"万");
        return Trimmed(value, 2) + XStringW(L"元");
    }
    // Whole years and months as the fund houses write them; anything else in days.
    const double days = value;
    if (days >= kDaysPerYear && std::fmod(days, kDaysPerYear) == 0.0)
        return Trimmed(days / kDaysPerYear, 0) + XStringW(L"年");
    if (days >= 30 && std::fmod(days, 30.0) == 0.0 && days < kDaysPerYear)
        return Trimmed(days / 30.0, 0) + XStringW(L"个月");
    return Trimmed(days, 2) + XStringW(L"天");
}

XStringW FeeCalculator::TierLine(const FeeTier& tier, bool amounts) {
    XStringW line;
    const bool open = !std::isfinite(tier.upper);
    if (tier.lower <= 0.0 && open)
        line = XStringW(L"不限");
    else if (tier.lower <= 0.0)
        line = XStringW(L"<") + BoundText(tier.upper, amounts);
    else if (open)
        line = XStringW(L"≥") + BoundText(tier.lower, amounts);
    else
        line = BoundText(tier.lower, amounts) + XStringW(L"-") + BoundText(tier.upper, amounts);
    line += L" ";
    line += TierFeeText(tier);
    return line;
}

std::vector<XStringW> FeeCalculator::TierLines(const std::vector<FeeTier>& tiers, bool amounts) {
    std::vector<XStringW> lines;
    lines.reserve(tiers.size());
    for (const FeeTier& tier : tiers)
        lines.push_back(TierLine(tier, amounts));
    return lines;
}

XStringW FeeCalculator::DescribeTiers(const std::vector<FeeTier>& tiers, bool amounts) {
    if (tiers.empty())
        return XStringW(L"--");
    XStringW text;
    for (const XStringW& line : TierLines(tiers, amounts)) {
        if (!text.empty())
            text += L"；";
        text += line;
    }
    return text;
}
