// GrowthSettings: the growth page's settings, all under the configuration node
// "/Quenda2/GrowthCompare", each with a default that stands when the key is missing or unusable:
//   RiskFreeRate   the yearly risk-free rate in percent (default 1.5), -5 to 50
//   DefaultRange   the range shown first: 0 近1月, 1 近3月, 2 近6月, 3 近1年 (default), 4 近3年,
//                  5 近5年, 6 成立以来
#pragma once

#include <sdk/App.h>

struct GrowthSettings {
    static constexpr const char* kRiskFreeRateKey = "/Quenda2/GrowthCompare/RiskFreeRate";
    static constexpr const char* kDefaultRangeKey = "/Quenda2/GrowthCompare/DefaultRange";
    static constexpr double kDefaultRiskFreePercent = 1.5;
    static constexpr int kDefaultRange = 3;

    double riskFreePercent = kDefaultRiskFreePercent;
    int defaultRange = kDefaultRange;

    // The settings of the application's configuration; the defaults without one.
    static GrowthSettings Read(IApp* app);
};
