// Ranking of the fund universe per period.
#include "pages/performance/PerformanceRanking.h"

#include <platform/wcrt.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cwchar>

namespace {

// The peer groups: six named investment types and one group for every other type.
constexpr std::array<const wchar_t*, 6> kPeerTypes = {L"股票型", L"指数型", L"债券型",
                                                      L"混合型", L"保本型", L"QDII"};
constexpr size_t kOtherTypes = kPeerTypes.size();

size_t peerGroup(const XStringW& investtype) {
    for (size_t i = 0; i < kPeerTypes.size(); ++i)
        if (std::wcscmp(investtype.c_str(), kPeerTypes[i]) == 0)
            return i;
    return kOtherTypes;
}

} // namespace

XStringW RankText::Text() const {
    if (empty())
        return XStringW();
    return XStringW().Format(L"%d/%d", rank, count);
}

PeriodValue ReadPeriodValue(const XStringW& text) {
    PeriodValue v;
    if (text.empty()) {
        v.missing = true;
        return v;
    }
    double parsed = _wtof(text.c_str());
    if (!std::isfinite(parsed)) {
        v.missing = true;
        return v;
    }
    v.value = parsed;
    return v;
}

void ComputeRanks(std::vector<PerformanceFundRecord>& funds, int period) {
    if (period < 0 || period >= kPeriodCount)
        return;
    const auto p = static_cast<size_t>(period);
    // Sort small keys rather than the records, then move every record once into its place.
    struct Key {
        double value;
        std::uint32_t index;
        std::uint8_t group;
        bool missing;
    };
    std::vector<Key> keys(funds.size());
    for (size_t i = 0; i < funds.size(); ++i) {
        const PeriodValue& v = funds[i].values[p];
        keys[i] = Key{v.value, static_cast<std::uint32_t>(i),
                      static_cast<std::uint8_t>(peerGroup(funds[i].investtype)), v.missing};
    }
    std::sort(keys.begin(), keys.end(), [](const Key& a, const Key& b) {
        if (a.missing != b.missing)
            return !a.missing;
        return !a.missing && a.value > b.value;
    });
    size_t ranked = 0;
    while (ranked < keys.size() && !keys[ranked].missing)
        ++ranked;

    std::array<size_t, kOtherTypes + 1> groupCount{};
    for (size_t i = 0; i < ranked; ++i)
        ++groupCount[keys[i].group];

    struct GroupState {
        size_t counter = 1;
        double previousValue = 0;
        RankText previousRank;
    };
    std::array<GroupState, kOtherTypes + 1> groups;
    RankText previousAll;
    for (size_t s = 0; s < ranked; ++s) {
        PeriodValue& v = funds[keys[s].index].values[p];
        if (s > 0 && v.value == keys[s - 1].value)
            v.allRank = previousAll;
        else
            v.allRank = RankText{static_cast<int>(s + 1), static_cast<int>(ranked)};
        previousAll = v.allRank;

        GroupState& group = groups[keys[s].group];
        if (group.counter == 1 || v.value != group.previousValue)
            v.typeRank =
                RankText{static_cast<int>(group.counter), static_cast<int>(groupCount[keys[s].group])};
        else
            v.typeRank = group.previousRank;
        ++group.counter;
        group.previousValue = v.value;
        group.previousRank = v.typeRank;
    }
    for (size_t s = ranked; s < keys.size(); ++s) {
        PeriodValue& v = funds[keys[s].index].values[p];
        v.typeRank = RankText{};
        v.allRank = RankText{};
    }

    std::vector<PerformanceFundRecord> sorted;
    sorted.reserve(funds.size());
    for (const Key& key : keys)
        sorted.push_back(std::move(funds[key.index]));
    funds.swap(sorted);
}

double ShownGrowth(int period, double value) {
    // One year of compounding is the value itself; computing it would only add rounding noise.
    switch (period) {
    case 7:
    case 8:
        return std::pow(1 + value, period - 5) - 1;
    case 9:
        return std::pow(1 + value, 5) - 1;
    default:
        return value;
    }
}
