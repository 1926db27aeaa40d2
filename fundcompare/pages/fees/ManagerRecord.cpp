// ManagerRecord: stints, returns under each manager and the count of changes.
#include "pages/fees/ManagerRecord.h"

#include "pages/growth/GrowthDates.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

namespace {

// The index of the last day on or before `day`; -1 when every day is after it.
int AtOrBefore(const std::vector<int>& days, int day) {
    auto it = std::upper_bound(days.begin(), days.end(), day);
    return static_cast<int>(it - days.begin()) - 1;
}

} // namespace

double ManagerRecord::ReturnBetween(const GrowthSeries& series, int from, int to, int* fromDay, int* toDay) {
    if (fromDay != nullptr)
        *fromDay = -1;
    if (toDay != nullptr)
        *toDay = -1;
    if (series.Empty() || series.wealth.size() != series.days.size())
        return StintFigures::kNone;
    const int first = std::max(0, AtOrBefore(series.days, from));
    const int last = AtOrBefore(series.days, to);
    if (last <= first)
        return StintFigures::kNone;
    const double base = series.wealth[static_cast<size_t>(first)];
    const double end = series.wealth[static_cast<size_t>(last)];
    if (!(base > 0.0) || !std::isfinite(end))
        return StintFigures::kNone;
    if (fromDay != nullptr)
        *fromDay = series.days[static_cast<size_t>(first)];
    if (toDay != nullptr)
        *toDay = series.days[static_cast<size_t>(last)];
    return end / base - 1.0;
}

double ManagerRecord::TenureYears(const ManagerStint& stint, int asOf) {
    if (stint.start < 0)
        return StintFigures::kNone;
    const int end = stint.end >= 0 ? stint.end : asOf;
    if (end < stint.start)
        return 0.0;
    return (end - stint.start) / 365.25;
}

StintFigures ManagerRecord::Figures(const ManagerStint& stint, int asOf, const GrowthSeries* fund,
                                    const GrowthSeries* index) {
    StintFigures figures;
    figures.stint = stint;
    figures.tenureYears = TenureYears(stint, asOf);
    if (stint.start < 0 || fund == nullptr)
        return figures;
    const int end = stint.end >= 0 ? stint.end : asOf;
    figures.fundReturn = ReturnBetween(*fund, stint.start, end, &figures.fromDay, &figures.toDay);
    if (figures.fromDay < 0)
        return figures;
    const int span = figures.toDay - figures.fromDay;
    if (span > 365 && figures.fundReturn > -1.0)
        figures.annualReturn = std::pow(1.0 + figures.fundReturn, 365.0 / span) - 1.0;
    if (index != nullptr) {
        int indexFrom = -1, indexTo = -1;
        const double r = ReturnBetween(*index, figures.fromDay, figures.toDay, &indexFrom, &indexTo);
        // The index counts only when it covers the fund's first day: a later start would compare
        // different days.
        if (indexFrom >= 0 && indexFrom <= figures.fromDay && figures.fromDay - indexFrom <= 10)
            figures.indexReturn = r;
    }
    return figures;
}

int ManagerRecord::Changes(const std::vector<ManagerStint>& stints) {
    int first = -1;
    for (const ManagerStint& stint : stints)
        if (stint.start >= 0 && (first < 0 || stint.start < first))
            first = stint.start;
    std::set<int> days;
    for (const ManagerStint& stint : stints) {
        if (stint.start > first)
            days.insert(stint.start);
        if (stint.end >= 0)
            days.insert(stint.end);
    }
    return static_cast<int>(days.size());
}

std::vector<ManagerStint> ManagerRecord::Current(const std::vector<ManagerStint>& stints) {
    std::map<XStringW, ManagerStint> latest;
    for (const ManagerStint& stint : stints) {
        if (stint.end >= 0)
            continue;
        auto found = latest.find(stint.name);
        if (found == latest.end() || stint.start > found->second.start)
            latest[stint.name] = stint;
    }
    std::vector<ManagerStint> current;
    for (auto& entry : latest)
        current.push_back(entry.second);
    std::stable_sort(current.begin(), current.end(),
                     [](const ManagerStint& a, const ManagerStint& b) { return a.start < b.start; });
    return current;
}

int ManagerRecord::ParseDay(const XStringW& text) {
    // Dates may carry a time of day ("2010-03-01 00:00:00"), as some exports write them.
    const std::wstring& s = text.str();
    if (s.size() < 10 || (s.size() > 10 && s[10] != L' ' && s[10] != L'T'))
        return -1;
    const std::optional<int> day = GrowthDates::Parse(XStringW(s.substr(0, 10)));
    return day ? *day : -1;
}
