// The star map's label placement with the crowd the issue of dropped average labels came from:
// 100 funds and the eight reference stars, in a full window's plot and in a small one. A frame
// budget of 16 ms holds the whole chart; placement is the part that grows with the stars.
#include "FundStarMapLayout.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <vector>

namespace {

using namespace Control::StarMapLayout;

std::vector<LabelRequest> Crowd(const RECT& plot) {
    std::mt19937 random(7);
    std::normal_distribution<double> across(0.45, 0.15), up(0.55, 0.15);
    auto at = [&](double fx, double fy) {
        fx = std::clamp(fx, 0.0, 1.0);
        fy = std::clamp(fy, 0.0, 1.0);
        return POINT{plot.left + static_cast<LONG>(fx * (plot.right - plot.left - 1)),
                     plot.bottom - 1 - static_cast<LONG>(fy * (plot.bottom - plot.top - 1))};
    };
    std::vector<LabelRequest> requests;
    for (int i = 0; i < 100; ++i)
        requests.push_back({at(across(random), up(random)), 6, {56, 14}, false});
    for (int i = 0; i < 8; ++i)
        requests.push_back({at(across(random), up(random)), 7, {42, 14}, true});
    return requests;
}

void PlaceHundredFunds(benchmark::State& state) {
    const RECT plot{72, 36, static_cast<LONG>(state.range(0)) - 24, static_cast<LONG>(state.range(1)) - 44};
    const std::vector<LabelRequest> requests = Crowd(plot);
    for (auto _ : state)
        benchmark::DoNotOptimize(PlaceLabels(requests, plot));
}
BENCHMARK(PlaceHundredFunds)
    ->Args({1280, 700})
    ->Args({640, 400})
    ->Args({360, 240})
    ->Unit(benchmark::kMillisecond);

} // namespace
