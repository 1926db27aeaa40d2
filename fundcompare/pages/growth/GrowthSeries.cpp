// WealthBuilder: net values to reinvested wealth.
#include "pages/growth/GrowthSeries.h"

#include <cmath>

namespace {

bool Usable(double value) {
    return std::isfinite(value) && value > 0.0;
}

} // namespace

void WealthBuilder::AddNetValues(int day, double unit, double total) {
    if (!Usable(unit) || (!m_days.empty() && day <= m_days.back()))
        return;
    const bool hasTotal = Usable(total);
    if (m_days.empty()) {
        m_days.push_back(day);
        m_wealth.push_back(1.0);
    } else {
        const double growth =
            hasTotal && m_lastTotal > 0.0 ? 1.0 + (total - m_lastTotal) / m_lastUnit : unit / m_lastUnit;
        // A day that would wipe the fund out, or a number that is no number, is a bad row; so is
        // one that takes the wealth beyond what a double holds.
        const double wealth = m_wealth.back() * growth;
        if (!Usable(growth) || !Usable(wealth))
            return;
        m_days.push_back(day);
        m_wealth.push_back(wealth);
    }
    m_lastUnit = unit;
    m_lastTotal = hasTotal ? total : 0.0;
}

void WealthBuilder::Finish(GrowthSeries& series) {
    series.days = std::move(m_days);
    series.wealth = std::move(m_wealth);
    m_days.clear();
    m_wealth.clear();
    m_lastUnit = 0.0;
    m_lastTotal = 0.0;
}
