// RiskModel: the index entry and the star kinds.
#include "pages/riskreturn/RiskModel.h"

#include <cmath>

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

int FundStarKind(const XStringW& investtype) {
    static const wchar_t* const kTypes[] = {L"QDII", L"保本型", L"债券型", L"指数型", L"混合型", L"股票型"};
    for (int i = 0; i < 6; ++i) {
        if (investtype == XStringW(kTypes[i]))
            return i + 1;
    }
    return 7;
}

} // namespace RiskModel
