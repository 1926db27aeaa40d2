// Builds series from arbitrary net values (any doubles, NaN and infinities included) and arbitrary
// day steps, lays them on a range, and computes every figure and the correlation matrix: nothing
// may crash, every figure is a finite number or missing, correlations stay within [-1, 1] and a
// drawdown within [-1, 0]. Date text is parsed on the side and must format back to itself.
#include "pages/growth/GrowthDates.h"
#include "pages/growth/GrowthFigures.h"
#include "pages/growth/GrowthPanel.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

void Check(double value, double low, double high) {
    if (!std::isnan(value) && (!std::isfinite(value) || value < low || value > high))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    if (size > 4096)
        return 0;
    if (size >= 10) {
        const XStringW text = XStringW::FromUtf8(std::string_view(reinterpret_cast<const char*>(data), 10));
        if (auto day = GrowthDates::Parse(text))
            if (GrowthDates::Parse(GrowthDates::Format(*day)) != day)
                std::abort();
    }
    // Records of 17 bytes: series number, day step, unit value, accumulated value.
    std::vector<WealthBuilder> builders(4);
    std::vector<int> days(4, 14000);
    for (size_t at = 0; at + 17 <= size; at += 17) {
        const int series = data[at] % 4;
        days[series] += data[at + 1] % 8;
        double unit = 0, total = 0;
        std::memcpy(&unit, data + at + 1, sizeof unit);
        std::memcpy(&total, data + at + 9, sizeof total);
        builders[series].AddNetValues(days[series], unit, total);
    }
    std::vector<GrowthSeries> series(4);
    std::vector<const GrowthSeries*> pointers;
    for (int k = 0; k < 4; ++k) {
        builders[k].Finish(series[k]);
        pointers.push_back(&series[k]);
    }
    const int start = 14000 + (size > 0 ? data[0] % 64 : 0);
    const GrowthPanel panel = GrowthPanel::Build(pointers, start, start + 400);
    for (size_t k = 0; k < 4; ++k) {
        const GrowthFigures::Figures f =
            GrowthFigures::Compute(series[k], &series[3], start, start + 400, 0.015);
        Check(f.maxDrawdown, -1.0, 0.0);
        Check(f.correlation, -1.0, 1.0);
        for (double value :
             {f.totalReturn, f.annualReturn, f.volatility, f.sharpe, f.sortino, f.calmar, f.beta, f.alpha})
            Check(value, -INFINITY, INFINITY);
        for (size_t p = 0; p < panel.days.size(); ++p)
            Check(panel.CumulativePercent(k, p), -INFINITY, INFINITY);
    }
    for (double value : GrowthFigures::CorrelationMatrix(pointers, start, start + 400))
        Check(value, -1.0, 1.0);
    return 0;
}
