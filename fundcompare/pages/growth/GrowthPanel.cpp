// GrowthPanel: one axis of days for all series of a range.
#include "pages/growth/GrowthPanel.h"

#include <algorithm>
#include <limits>

GrowthPanel GrowthPanel::Build(const std::vector<const GrowthSeries*>& series, int start, int end) {
    GrowthPanel panel;
    panel.start = start;
    panel.end = std::max(start, end);
    const int span = panel.end - panel.start;

    // Mark the days that carry a value, then number them: two passes over the rows instead of a
    // sort of every series' days.
    std::vector<int> position(static_cast<size_t>(span) + 1, -1);
    for (const GrowthSeries* s : series) {
        if (s == nullptr)
            continue;
        auto from = std::lower_bound(s->days.begin(), s->days.end(), panel.start);
        for (auto it = from; it != s->days.end() && *it <= panel.end; ++it)
            position[static_cast<size_t>(*it - panel.start)] = 0;
    }
    for (int offset = 0; offset <= span; ++offset)
        if (position[static_cast<size_t>(offset)] == 0) {
            position[static_cast<size_t>(offset)] = static_cast<int>(panel.days.size());
            panel.days.push_back(panel.start + offset);
        }

    const double none = std::numeric_limits<double>::quiet_NaN();
    panel.lines.resize(series.size());
    for (size_t k = 0; k < series.size(); ++k) {
        Line& line = panel.lines[k];
        line.wealth.assign(panel.days.size(), none);
        const GrowthSeries* s = series[k];
        if (s == nullptr || s->days.empty())
            continue;
        // The line starts on its own first day on or after the range's start, never on a value
        // carried over from before it.
        auto from = std::lower_bound(s->days.begin(), s->days.end(), panel.start);
        for (auto it = from; it != s->days.end() && *it <= panel.end; ++it) {
            const int p = position[static_cast<size_t>(*it - panel.start)];
            line.wealth[static_cast<size_t>(p)] = s->wealth[static_cast<size_t>(it - s->days.begin())];
            if (line.first < 0)
                line.first = p;
            line.last = p;
        }
        for (int p = line.first + 1; line.first >= 0 && p <= line.last; ++p)
            if (std::isnan(line.wealth[static_cast<size_t>(p)]))
                line.wealth[static_cast<size_t>(p)] = line.wealth[static_cast<size_t>(p) - 1];
    }
    return panel;
}

double GrowthPanel::CumulativePercent(size_t line, size_t position) const {
    if (line >= lines.size() || position >= days.size())
        return std::numeric_limits<double>::quiet_NaN();
    const Line& l = lines[line];
    if (l.first < 0)
        return std::numeric_limits<double>::quiet_NaN();
    const double percent = (l.wealth[position] / l.wealth[static_cast<size_t>(l.first)] - 1.0) * 100.0;
    return std::isfinite(percent) ? percent : std::numeric_limits<double>::quiet_NaN();
}
