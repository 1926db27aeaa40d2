// Parses arbitrary formats with the three formatters and formats awkward values with each.
#include "grid/ValueFormater.h"

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <limits>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    if (size > 4096)
        return 0;
    XStringW format = XStringW::FromUtf8(std::string_view(reinterpret_cast<const char*>(data), size));

    ValueFormater<double> real;
    bool ok = real.Parse(format);
    // A failed parse must leave the reset state.
    if (!ok &&
        (!real.Prefix().empty() || !real.Units().empty() || !real.ValueMap().empty() || real.Operator() != 0))
        std::abort();
    for (double v : {0.0, -0.0, 1.5, -123456789.25, 1e300, -1e-300, std::numeric_limits<double>::quiet_NaN(),
                     std::numeric_limits<double>::infinity()})
        (void)real.FormatValue(v);

    ValueFormater<int> integer;
    integer.Parse(format);
    for (int v : {0, 1, -1, 10000, INT_MAX, INT_MIN})
        (void)integer.FormatValue(v);

    ValueFormater<XStringW> text;
    text.Parse(format);
    for (const wchar_t* v : {L"", L"0", L"股票", L"--"})
        (void)text.FormatValue(v);
    return 0;
}
