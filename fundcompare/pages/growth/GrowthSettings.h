// GrowthSettings: the growth page's settings, all under the configuration node
// "/Quenda2/GrowthCompare", each with a default that stands when the key is missing or unusable:
//   RiskFreeRate   the yearly risk-free rate in percent (default 1.5), -5 to 50
//   DefaultRange   the range shown first: 0 近1月, 1 近3月, 2 近6月, 3 近1年 (default), 4 近3年,
//                  5 近5年, 6 成立以来
//   Benchmark      the code of the index the figures and the chart measure against (default empty:
//                  the composite); a code the database no longer has falls back to the default
#pragma once

#include <sdk/App.h>
#include <sdk/XStringW.h>

struct GrowthSettings {
    static constexpr const char* kRiskFreeRateKey = "/Quenda2/GrowthCompare/RiskFreeRate";
    static constexpr const char* kDefaultRangeKey = "/Quenda2/GrowthCompare/DefaultRange";
    static constexpr const char* kBenchmarkKey = "/Quenda2/GrowthCompare/Benchmark";
    static constexpr double kDefaultRiskFreePercent = 1.5;
    static constexpr int kDefaultRange = 3;

    double riskFreePercent = kDefaultRiskFreePercent;
    int defaultRange = kDefaultRange;
    XStringW benchmark;

    // The settings of the application's configuration; the defaults without one.
    static GrowthSettings Read(IApp* app);
    // Keeps the chosen benchmark in the configuration and saves it; false with the reason when
    // the configuration cannot be written.
    static bool WriteBenchmark(IApp* app, const XStringW& code, XStringW& error);
};
