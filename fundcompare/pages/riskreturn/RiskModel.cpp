// RiskModel: the index entry and the star kinds.
#include "pages/riskreturn/RiskModel.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace RiskModel {

AverageEntry ComputeIndexEntry(const std::vector<double>& weeks) {
    AverageEntry entry;
    for (int h = 0; h < kHorizonCount; ++h) {
        AverageStar& star = entry[static_cast<size_t>(h)];
        star.name = kIndexName;
        const int years = kHorizons[static_cast<size_t>(h)].years;
        const size_t n = static_cast<size_t>(52 * years);
        if (weeks.size() < n) {
            star.present = false;
            continue;
        }
        double growth = 1.0;
        double sum = 0.0;
        for (size_t i = 0; i < n; ++i) {
            growth *= 1.0 + weeks[i];
            sum += weeks[i];
        }
        const double mean = sum / static_cast<double>(n);
        double squares = 0.0;
        for (size_t i = 0; i < n; ++i)
            squares += (weeks[i] - mean) * (weeks[i] - mean);
        // growth is 1 + R, so the annualised return is growth^(1/s) - 1.
        star.returnValue = std::pow(growth, 1.0 / years) - 1.0;
        star.stdDev = std::sqrt(squares / static_cast<double>(n)) * std::sqrt(52.0);
        // A week losing more than everything makes the growth negative: no real return exists.
        star.present = growth >= 0.0 && std::isfinite(star.returnValue) && std::isfinite(star.stdDev);
    }
    return entry;
}

XStringW DescribeMissing(const std::vector<MissingFund>& missing, int h) {
    if (missing.empty())
        return XStringW();
    const Horizon& horizon = kHorizons[static_cast<size_t>(std::clamp(h, 0, kHorizonCount - 1))];
    std::wstring text = std::wstring(L"以下") + std::to_wstring(missing.size()) + L"只对比基金没有“" +
                        horizon.label + L"”的数据，图中未画出：";
    for (size_t i = 0; i < missing.size(); ++i) {
        const MissingFund& fund = missing[i];
        if (i > 0)
            text += L"；";
        text += fund.name.empty() ? fund.code.str() : fund.name.str() + L"(" + fund.code.str() + L")";
        switch (fund.reason) {
        case MissingFund::Reason::NotCovered:
            text += L" 不在风险统计范围内";
            break;
        case MissingFund::Reason::TooYoung:
            text += L" 运作不足" + std::to_wstring(horizon.years) + L"年";
            break;
        case MissingFund::Reason::NoFigures:
            text += L" 无数据";
            break;
        }
    }
    return XStringW(text);
}

bool FitRange(const std::vector<double>& values, bool nonNegative, double& lower, double& upper) {
    bool any = false;
    double lo = 0.0, hi = 0.0;
    for (double v : values) {
        if (!std::isfinite(v))
            continue;
        lo = any ? std::min(lo, v) : v;
        hi = any ? std::max(hi, v) : v;
        any = true;
    }
    if (!any)
        return false;
    const double margin = std::max((hi - lo) * 0.1, 1.0);
    lower = std::floor(lo - margin);
    upper = std::ceil(hi + margin);
    if (nonNegative && lo >= 0.0)
        lower = std::max(lower, 0.0);
    return true;
}

int FundStarKind(const XStringW& investtype) {
    static const wchar_t* const kTypes[] = {L"QDII", L"保本型", L"债券型", L"指数型", L"混合型", L"股票型"};
    for (int i = 0; i < 6; ++i) {
        if (investtype == XStringW(kTypes[i]))
            return i + 1;
    }
    return 7;
}

} // namespace RiskModel
