// Ranking of the fund universe per period.
#include "pages/performance/PerformanceRanking.h"

#include <platform/wcrt.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <cwchar>
#include <utility>

namespace {

// The peer groups: six named investment types and one group for every other type.
constexpr std::array<const wchar_t*, 6> kPeerTypes = {L"股票型", L"指数型", L"债券型",
                                                      L"混合型", L"保本型", L"QDII"};
constexpr size_t kOtherTypes = kPeerTypes.size();

// A period's sort key: ascending keys are descending values, and every missing value has the
// largest key, so that funds without a value come last. Zero and minus zero, which compare equal,
// get the same key.
std::uint64_t SortKey(const PeriodValue& v) {
    if (v.missing)
        return ~std::uint64_t{0};
    const double value = v.value == 0 ? 0.0 : v.value;
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    // The usual map of a double onto an unsigned integer of the same order, then reversed.
    const std::uint64_t ascending =
        (bits & (std::uint64_t{1} << 63)) != 0 ? ~bits : bits | (std::uint64_t{1} << 63);
    // The largest key stays free for the missing values.
    return std::min(~ascending, ~std::uint64_t{0} - 1);
}

struct Key {
    std::uint64_t sort;
    std::uint32_t index;
};

// Sorts by key, stably, eleven bits at a time from the lowest; a digit that all keys share costs
// one counting pass and no move. Thirteen sorts of the whole universe are a good part of the page's
// first show, and this is several times faster than a comparison sort there.
void RadixSort(std::vector<Key>& keys, std::vector<Key>& scratch) {
    constexpr int kBits = 11;
    constexpr std::uint64_t kMask = (1u << kBits) - 1;
    scratch.resize(keys.size());
    std::array<std::uint32_t, kMask + 1> count;
    for (int shift = 0; shift < 64; shift += kBits) {
        count.fill(0);
        for (const Key& key : keys)
            ++count[(key.sort >> shift) & kMask];
        if (keys.empty() || count[(keys.front().sort >> shift) & kMask] == keys.size())
            continue;
        std::uint32_t total = 0;
        for (std::uint32_t& c : count)
            total += std::exchange(c, total);
        for (const Key& key : keys)
            scratch[count[(key.sort >> shift) & kMask]++] = key;
        keys.swap(scratch);
    }
}

// Ranks one period's values (by fund index). `order` holds the funds in their current order and
// receives the order of this period's sort.
void RankColumn(std::vector<PeriodValue>& values, std::vector<std::uint32_t>& order,
                const std::vector<std::uint8_t>& groups, std::vector<Key>& keys, std::vector<Key>& scratch) {
    keys.resize(order.size());
    for (size_t i = 0; i < order.size(); ++i)
        keys[i] = Key{SortKey(values[order[i]]), order[i]};
    RadixSort(keys, scratch);
    size_t ranked = 0;
    while (ranked < keys.size() && !values[keys[ranked].index].missing)
        ++ranked;

    std::array<size_t, kOtherTypes + 1> groupCount{};
    for (size_t i = 0; i < ranked; ++i)
        ++groupCount[groups[keys[i].index]];

    struct GroupState {
        size_t counter = 1;
        double previousValue = 0;
        RankText previousRank;
    };
    std::array<GroupState, kOtherTypes + 1> groupStates;
    RankText previousAll;
    double previousValue = 0;
    for (size_t s = 0; s < ranked; ++s) {
        PeriodValue& v = values[keys[s].index];
        if (s > 0 && v.value == previousValue)
            v.allRank = previousAll;
        else
            v.allRank = RankText{static_cast<int>(s + 1), static_cast<int>(ranked)};
        previousAll = v.allRank;
        previousValue = v.value;

        const std::uint8_t g = groups[keys[s].index];
        GroupState& group = groupStates[g];
        if (group.counter == 1 || v.value != group.previousValue)
            v.typeRank = RankText{static_cast<int>(group.counter), static_cast<int>(groupCount[g])};
        else
            v.typeRank = group.previousRank;
        ++group.counter;
        group.previousValue = v.value;
        group.previousRank = v.typeRank;
    }
    for (size_t s = ranked; s < keys.size(); ++s) {
        PeriodValue& v = values[keys[s].index];
        v.typeRank = RankText{};
        v.allRank = RankText{};
    }
    for (size_t i = 0; i < keys.size(); ++i)
        order[i] = keys[i].index;
}

} // namespace

std::uint8_t PeerGroup(const XStringW& investtype) {
    for (size_t i = 0; i < kPeerTypes.size(); ++i)
        if (std::wcscmp(investtype.c_str(), kPeerTypes[i]) == 0)
            return static_cast<std::uint8_t>(i);
    return static_cast<std::uint8_t>(kOtherTypes);
}

std::vector<std::uint32_t> RankPeriodColumns(const std::vector<std::vector<PeriodValue>*>& columns,
                                             const std::vector<std::uint8_t>& groups) {
    std::vector<std::uint32_t> order(groups.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = static_cast<std::uint32_t>(i);
    std::vector<Key> keys, scratch;
    for (std::vector<PeriodValue>* column : columns)
        RankColumn(*column, order, groups, keys, scratch);
    return order;
}

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
    std::vector<PeriodValue> column(funds.size());
    std::vector<std::uint8_t> groups(funds.size());
    for (size_t i = 0; i < funds.size(); ++i) {
        column[i] = funds[i].values[p];
        groups[i] = PeerGroup(funds[i].investtype);
    }
    const std::vector<std::uint32_t> order = RankPeriodColumns({&column}, groups);
    std::vector<PerformanceFundRecord> sorted;
    sorted.reserve(funds.size());
    for (std::uint32_t index : order) {
        sorted.push_back(std::move(funds[index]));
        sorted.back().values[p] = column[index];
    }
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
