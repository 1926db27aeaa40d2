// Parses arbitrary text as dates, walks the report-date list between two of them, and checks that
// every date produced formats back to something that parses to itself.
#include "pages/common/CalendarDate.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    if (size > 256)
        return 0;
    XStringW text = XStringW::FromUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
    size_t middle = text.length() / 2;
    XStringW latest = text.substr(0, middle), earliest = text.substr(middle);

    CalendarDate date;
    if (date.Parse(latest)) {
        CalendarDate again;
        if (!again.Parse(date.Format()) || again.Format() != date.Format() ||
            again.dayOfWeek != date.dayOfWeek)
            std::abort();
        date.AddMonths(static_cast<int>(size) * 37 - 5000);
        date.AddYears(static_cast<int>(size) - 128);
        if (date.month < 1 || date.month > 12 || date.day < 1 ||
            date.day > CalendarDate::DaysInMonth(date.year, date.month))
            std::abort();
    }
    for (const XStringW& entry : BuildReportDateList(latest, earliest)) {
        CalendarDate check;
        if (!check.Parse(entry))
            std::abort();
    }
    return 0;
}
