// WealthBuilder: net values to reinvested wealth, with bad rows left out.
#include "pages/growth/GrowthSeries.h"

#include <cmath>

namespace {

// No net value or close of a fund or an index comes near a million; a larger number is a slip of
// the data, as is one that is not positive.
constexpr double kLargestValue = 1.0e6;
// No fund gains more than this factor in one day, or keeps less than its inverse.
constexpr double kLargestDailyGrowth = 5.0;
// A row this many days or more after the one before it, with nothing near it after, stands alone.
constexpr int kLonelyGap = 366;
// This many rows in a row that agree with each other but not with the history before them are a
// new level of the data (a unit change nobody recorded), not a run of slips.
constexpr size_t kNewLevelRows = 5;

bool Usable(double value) {
    return std::isfinite(value) && value > 0.0 && value <= kLargestValue;
}

bool Plausible(double growth) {
    return std::isfinite(growth) && growth >= 1.0 / kLargestDailyGrowth && growth <= kLargestDailyGrowth;
}

} // namespace

WealthBuilder::WealthBuilder(int lastDay) : m_lastDay(lastDay) {}

double WealthBuilder::Growth(const Row& from, const Row& to) {
    const bool totals = Usable(from.total) && Usable(to.total);
    return totals ? 1.0 + (to.total - from.total) / from.unit : to.unit / from.unit;
}

void WealthBuilder::AddNetValues(int day, double unit, double total) {
    if (!Usable(unit)) {
        ++m_ignored;
        return;
    }
    const Row row{day, unit, Usable(total) ? total : 0.0};
    const int lastSeen = m_lonely ? m_lonelyRow.day : !m_run.empty() ? m_run.back().day : m_last.day;
    if ((m_started || m_lonely || !m_run.empty()) && day <= lastSeen)
        return; // the same day again, or out of order: the first one stands
    if (day > m_lastDay) {
        ++m_ignored;
        return;
    }
    if (m_lonely) {
        // The row held back after a long gap: alone when this one is far from it too.
        const Row held = m_lonelyRow;
        m_lonely = false;
        if (day - held.day >= kLonelyGap)
            ++m_ignored;
        else
            Take(held);
    }
    if (m_started && m_run.empty() && day - m_last.day >= kLonelyGap) {
        m_lonelyRow = row;
        m_lonely = true;
        return;
    }
    Take(row);
}

void WealthBuilder::Take(const Row& row) {
    if (!m_started) {
        m_started = true;
        m_last = row;
        m_days.push_back(row.day);
        m_wealth.push_back(1.0);
        return;
    }
    const double growth = Growth(m_last, row);
    if (Plausible(growth)) {
        // A slip is over: the rows held as a possible new level were slips too.
        m_ignored += static_cast<int>(m_run.size());
        m_run.clear();
        Append(row, growth);
        return;
    }
    // Not against the last good row: a slip, unless it and the rows after it agree with each
    // other long enough to be the data's new level.
    if (!m_run.empty() && !Plausible(Growth(m_run.back(), row))) {
        m_ignored += static_cast<int>(m_run.size());
        m_run.clear();
    }
    m_run.push_back(row);
    if (m_run.size() < kNewLevelRows)
        return;
    // The level changed between the last good row and the run: that step counts as no change.
    m_last = m_run.front();
    m_days.push_back(m_last.day);
    m_wealth.push_back(m_wealth.back());
    for (size_t k = 1; k < m_run.size(); ++k)
        Append(m_run[k], Growth(m_last, m_run[k]));
    m_run.clear();
}

void WealthBuilder::Append(const Row& row, double growth) {
    const double wealth = m_wealth.back() * growth;
    if (!std::isfinite(wealth) || wealth <= 0.0) {
        ++m_ignored;
        return;
    }
    m_days.push_back(row.day);
    m_wealth.push_back(wealth);
    m_last = row;
}

void WealthBuilder::Finish(GrowthSeries& series) {
    // A row held back after a long gap with nothing after it is alone; so are slips not yet
    // followed by a good row.
    m_ignored += (m_lonely ? 1 : 0) + static_cast<int>(m_run.size());
    series.days = std::move(m_days);
    series.wealth = std::move(m_wealth);
    series.ignoredRows = m_ignored;
    *this = WealthBuilder(m_lastDay);
}
