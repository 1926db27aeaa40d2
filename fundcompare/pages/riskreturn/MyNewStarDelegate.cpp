// MyNewStarDelegate: what the star map reads.
#include "pages/riskreturn/MyNewStarDelegate.h"

#include "grid/ValueFormater.h"

#include <algorithm>

void MyNewStarDelegate::SetHorizon(int horizon) {
    m_horizon = std::clamp(horizon, 0, RiskModel::kHorizonCount - 1);
}

std::vector<double> MyNewStarDelegate::ShownValues(bool returns) const {
    std::vector<double> values;
    for (const RiskModel::FundStar& star : m_stars)
        values.push_back((returns ? star.returnValue : star.stdDev) * 100.0);
    for (const RiskModel::AverageEntry& entry : m_averages) {
        const RiskModel::AverageStar& average = entry[static_cast<size_t>(m_horizon)];
        if (average.present)
            values.push_back((returns ? average.returnValue : average.stdDev) * 100.0);
    }
    return values;
}

bool MyNewStarDelegate::GetStdDevRange(double& upper, double& lower) {
    if (!m_fitToData || !RiskModel::FitRange(ShownValues(false), true, lower, upper)) {
        upper = 50.0;
        lower = 0.0;
    }
    return true;
}

bool MyNewStarDelegate::GetReturnRange(double& upper, double& lower) {
    if (!m_fitToData || !RiskModel::FitRange(ShownValues(true), false, lower, upper)) {
        upper = 160.0;
        lower = -50.0;
    }
    return true;
}

int MyNewStarDelegate::GetStarCount() {
    return static_cast<int>(m_stars.size() + m_averages.size());
}

bool MyNewStarDelegate::GetStar(int index, Control::StarInfo& info) {
    if (index < 0)
        return false;
    const size_t i = static_cast<size_t>(index);
    if (i < m_stars.size()) {
        const RiskModel::FundStar& star = m_stars[i];
        info.starLabel = XStringW(L"[") + star.code + XStringW(L"]");
        info.name = star.name;
        info.subtitle = star.investtype;
        info.stdDev = star.stdDev * 100.0;
        info.returnValue = star.returnValue * 100.0;
        info.kind = RiskModel::FundStarKind(star.investtype);
        return true;
    }
    const size_t j = i - m_stars.size();
    if (j >= m_averages.size())
        return false;
    const RiskModel::AverageStar& average = m_averages[j][static_cast<size_t>(m_horizon)];
    if (!average.present)
        return false;
    info.starLabel = XStringW();
    info.name = average.name;
    info.subtitle = average.name == XStringW(RiskModel::kIndexName) ? L"年化" : L"平均值";
    info.stdDev = average.stdDev * 100.0;
    info.returnValue = average.returnValue * 100.0;
    info.kind = 8 + static_cast<int>(j);
    return true;
}

bool MyNewStarDelegate::GetAverageStar(int index, Control::StarInfo& info) {
    if (index < 0 || static_cast<size_t>(index) >= m_averages.size())
        return true;
    const RiskModel::AverageStar& average =
        m_averages[static_cast<size_t>(index)][static_cast<size_t>(m_horizon)];
    info.name = average.name;
    info.subtitle = L"平均值";
    info.stdDev = average.stdDev * 100.0;
    info.returnValue = average.returnValue * 100.0;
    info.kind = 8 + index;
    return true;
}

XStringW MyNewStarDelegate::FormatPercent(double value) {
    XStringW text;
    text.Format(L"%.2f%%", value);
    return DropSignOfZero(text);
}

XStringW MyNewStarDelegate::GetReturnCaption() {
    return RiskModel::kHorizons[static_cast<size_t>(m_horizon)].returnCaption;
}

XStringW MyNewStarDelegate::GetStdDevCaption() {
    return RiskModel::kHorizons[static_cast<size_t>(m_horizon)].stdDevCaption;
}
