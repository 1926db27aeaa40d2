// ChartScale: round value ticks and calendar date ticks.
#include "pages/growth/ChartScale.h"

#include "pages/growth/GrowthDates.h"

#include <algorithm>
#include <cmath>

namespace ChartScale {

ValueTicks NiceTicks(double minimum, double maximum, int maxTicks) {
    ValueTicks axis;
    maxTicks = std::max(1, maxTicks);
    if (!std::isfinite(minimum) || !std::isfinite(maximum)) {
        minimum = 0.0;
        maximum = 0.0;
    }
    if (minimum > maximum)
        std::swap(minimum, maximum);
    // Beyond this a chart of percentages says nothing anyway; the cap keeps the tick loop short.
    minimum = std::max(minimum, -1e12);
    maximum = std::min(maximum, 1e12);
    double span = maximum - minimum;
    if (span <= 0.0) {
        // A flat line sits in the middle of a small axis of its own size.
        const double half = std::max(std::abs(minimum) * 0.1, 1.0);
        minimum -= half;
        maximum += half;
        span = maximum - minimum;
    }
    const double raw = span / maxTicks;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    static constexpr double kSteps[] = {1.0, 2.0, 2.5, 5.0, 10.0};
    double step = magnitude * 10.0;
    for (double factor : kSteps) {
        if (factor * magnitude >= raw * (1.0 - 1e-9)) {
            step = factor * magnitude;
            break;
        }
    }
    // Rounding to the step can add an interval at each end; widen the step until the count fits.
    for (int attempt = 0; attempt < 8; ++attempt) {
        axis.low = std::floor(minimum / step + 1e-9) * step;
        axis.high = std::ceil(maximum / step - 1e-9) * step;
        if ((axis.high - axis.low) / step <= maxTicks + 1e-9)
            break;
        const double m = std::pow(10.0, std::floor(std::log10(step) + 1e-9));
        const double f = step / m;
        step = (f < 1.5 ? 2.0 : f < 2.25 ? 2.5 : f < 3.5 ? 5.0 : 10.0) * m;
    }
    axis.step = step;
    const double exponent = std::floor(std::log10(step) + 1e-9);
    const double mantissa = step / std::pow(10.0, exponent);
    axis.decimals = std::max(0, static_cast<int>(-exponent) + (std::abs(mantissa - 2.5) < 1e-9 ? 1 : 0));
    const int count = static_cast<int>(std::lround((axis.high - axis.low) / step));
    for (int k = 0; k <= count; ++k) {
        double tick = axis.low + k * step;
        if (std::abs(tick) < step * 1e-9)
            tick = 0.0; // no "-0%"
        axis.ticks.push_back(tick);
    }
    return axis;
}

XStringW PercentLabel(double value, int decimals) {
    XStringW text;
    text.Format(L"%.*f%%", std::clamp(decimals, 0, 6), value);
    if (text.str().rfind(L"-0", 0) == 0 && std::abs(value) < 0.5 * std::pow(10.0, -decimals))
        text = XStringW(text.str().substr(1));
    return text;
}

std::vector<int> DateTickDays(int start, int end, DateStep step) {
    std::vector<int> days;
    if (end <= start)
        return days;
    if (step == DateStep::Week) {
        // Mondays.
        int day = start + 1;
        day += (7 - GrowthDates::Weekday(day)) % 7;
        for (; day <= end; day += 7)
            days.push_back(day);
        return days;
    }
    int months = 1;
    switch (step) {
    case DateStep::Quarter:
        months = 3;
        break;
    case DateStep::HalfYear:
        months = 6;
        break;
    case DateStep::Year:
        months = 12;
        break;
    case DateStep::TwoYears:
        months = 24;
        break;
    case DateStep::FiveYears:
        months = 60;
        break;
    default:
        break;
    }
    // Month numbers counted from year 0, so that quarters, halves and years fall on their calendar
    // boundaries (January, April, ...; even years; years ending in 0 or 5).
    const GrowthDates::Civil first = GrowthDates::ToCivil(start + 1);
    long long index = static_cast<long long>(first.year) * 12 + (first.month - 1);
    if (first.day != 1)
        ++index;
    index = (index + months - 1) / months * months;
    for (;; index += months) {
        const int day =
            GrowthDates::FromCivil(static_cast<int>(index / 12), static_cast<int>(index % 12) + 1, 1);
        if (day > end)
            break;
        days.push_back(day);
    }
    return days;
}

DateTicks ChooseDateTicks(int start, int end, int maxTicks) {
    static constexpr DateStep kSteps[] = {DateStep::Week,     DateStep::Month, DateStep::Quarter,
                                          DateStep::HalfYear, DateStep::Year,  DateStep::TwoYears,
                                          DateStep::FiveYears};
    DateTicks ticks;
    for (DateStep step : kSteps) {
        ticks.step = step;
        ticks.days = DateTickDays(start, end, step);
        if (static_cast<int>(ticks.days.size()) <= std::max(1, maxTicks))
            break;
    }
    return ticks;
}

XStringW DateLabel(int day, DateStep step) {
    const GrowthDates::Civil civil = GrowthDates::ToCivil(day);
    XStringW text;
    switch (step) {
    case DateStep::Week:
        text.Format(L"%02d-%02d", civil.month, civil.day);
        break;
    case DateStep::Month:
    case DateStep::Quarter:
    case DateStep::HalfYear:
        text.Format(L"%04d-%02d", civil.year, civil.month);
        break;
    default:
        text.Format(L"%04d", civil.year);
        break;
    }
    return text;
}

} // namespace ChartScale
