// The year that the performance statements may carry.
#include "pages/performance/PerformanceQueries.h"

#include <platform/winbase.h>

XStringW SafeYear(const XStringW& text) {
    bool digits = text.length() == 4;
    for (size_t i = 0; digits && i < 4; ++i)
        digits = text[i] >= L'0' && text[i] <= L'9';
    if (digits)
        return text;
    SYSTEMTIME now{};
    GetSystemTime(&now);
    return XStringW().Format(L"%d", static_cast<int>(now.wYear));
}
