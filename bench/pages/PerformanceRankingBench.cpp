// The thirteen ranking passes of the performance page over a fund universe of the benchmark size.
#include "pages/performance/PerformanceRanking.h"

#include <benchmark/benchmark.h>

#include <cstdint>

namespace {

std::vector<PerformanceFundRecord> universe(int count) {
    const wchar_t* types[] = {L"股票型", L"指数型", L"债券型", L"混合型", L"保本型", L"QDII", L"货币型"};
    std::uint64_t state = 42;
    auto next = [&state] {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<double>(state >> 11) / static_cast<double>(1ULL << 53);
    };
    std::vector<PerformanceFundRecord> funds(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        PerformanceFundRecord& f = funds[static_cast<size_t>(i)];
        f.code = XStringW().Format(L"%06d", i);
        f.investtype = types[i % 7];
        for (PeriodValue& v : f.values) {
            v.missing = next() < 0.1;
            // Rounded to basis points, as stored, so that ties occur.
            v.value = v.missing ? -1.0 : static_cast<int>((next() - 0.3) * 10000) / 10000.0;
        }
    }
    return funds;
}

void BM_RankAllPeriods(benchmark::State& state) {
    const auto base = universe(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        auto funds = base;
        state.ResumeTiming();
        for (int p = 0; p < kPeriodCount; ++p)
            ComputeRanks(funds, p);
        benchmark::DoNotOptimize(funds.data());
    }
}
BENCHMARK(BM_RankAllPeriods)->Arg(12000)->Unit(benchmark::kMillisecond);

// The copy that the ranking benchmark excludes, to tell the two costs apart.
void BM_CopyUniverse(benchmark::State& state) {
    const auto base = universe(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        auto funds = base;
        benchmark::DoNotOptimize(funds.data());
    }
}
BENCHMARK(BM_CopyUniverse)->Arg(12000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
