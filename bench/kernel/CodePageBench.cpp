// Decoding the module's GB2312 text resources and cell texts into wide text.
#include <platform/winnls.h>
#include <sdk/XStringA.h>
#include <sdk/XStringW.h>

#include <benchmark/benchmark.h>

#include <string>

namespace {

// A query template of the size the pages load, in GB2312.
std::string sampleGb2312() {
    XStringW line(
        L"SELECT [fnd].*, [com].[name] AS company FROM tb_fund fnd WHERE [tot_ass].[assettype]='资产总计' ");
    XStringW text;
    for (int i = 0; i < 20; ++i)
        text += line;
    return text.ToMultiByte(936).str();
}

void BM_DecodeQueryTemplate(benchmark::State& state) {
    const std::string bytes = sampleGb2312();
    for (auto _ : state)
        benchmark::DoNotOptimize(XStringW::FromMultiByte(bytes.data(), bytes.size(), 936));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_DecodeQueryTemplate);

void BM_Utf8RoundTripOfAFundName(benchmark::State& state) {
    const XStringW name(L"华夏大盘精选混合型证券投资基金");
    for (auto _ : state)
        benchmark::DoNotOptimize(XStringW::FromUtf8(name.ToUtf8()));
}
BENCHMARK(BM_Utf8RoundTripOfAFundName);

} // namespace

BENCHMARK_MAIN();
