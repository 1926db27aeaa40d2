// ChartScale: the axes of the growth chart. Values get round ticks (1, 2, 2.5 or 5 times a power
// of ten); dates get ticks on the first day of a week, month, quarter, half year or year, the
// finest step that keeps the labels apart.
#pragma once

#include <sdk/XStringW.h>

#include <vector>

namespace ChartScale {

struct ValueTicks {
    double low = 0.0; // the axis runs from low to high, both multiples of step
    double high = 1.0;
    double step = 1.0;
    int decimals = 0; // decimals a label needs to show the step exactly
    std::vector<double> ticks;
};

// Round ticks covering [minimum, maximum] with at most `maxTicks` intervals (at least 1). A flat or
// empty span, or values that are not finite, still give a usable axis around them.
ValueTicks NiceTicks(double minimum, double maximum, int maxTicks);
// A tick as a percent label: "12.5%", "-10%".
XStringW PercentLabel(double value, int decimals);

enum class DateStep { Week, Month, Quarter, HalfYear, Year, TwoYears, FiveYears };

struct DateTicks {
    DateStep step = DateStep::Month;
    std::vector<int> days; // tick days inside (start, end]
};

// The finest step whose ticks in (start, end] number at most `maxTicks`; the coarsest step when
// none is that sparse.
DateTicks ChooseDateTicks(int start, int end, int maxTicks);
// The ticks of one step in (start, end].
std::vector<int> DateTickDays(int start, int end, DateStep step);
// "MM-DD" for weeks, "YYYY-MM" for months to half years, "YYYY" for years.
XStringW DateLabel(int day, DateStep step);

} // namespace ChartScale
