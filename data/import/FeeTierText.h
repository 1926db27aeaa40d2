// Reading the fee schedules of fee files: a tier's range ("100万≤金额<500万", "持有<7天", "不限"), a
// bound in a column of its own ("100万", "1年"), a tier's fee ("1.5%", "1000元/笔") and a fund's
// tiers written in one cell ("金额<100万: 1.5%; 金额≥100万: 1000元/笔"), and the check that a fund's
// tiers of one kind cover every amount or period once.
//
// A tier includes its lower bound and excludes its upper one, as mainland fee schedules mean it
// (100万≤金额<500万). Ranges are read only in that sense: a range that would include its upper bound
// or exclude its lower one ("金额≤100万", "100万<金额") is refused rather than read one way or the
// other. Amounts are yuan (元, 万, 亿; a bare number is yuan); holding periods are days (天 or 日,
// 周 = 7 days, 月 or 个月 = 30 days, 年 = 365 days; a bare number is days).
#pragma once

#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace FundImport {

// The two kinds of tiered fee, as tb_fundfeetier.feetype numbers them.
enum class TierKind { Purchase = 1, Redemption = 2 };

inline constexpr double kNoUpperBound = std::numeric_limits<double>::infinity();

struct TierRangeCell {
    bool ok = false;
    double lower = 0.0;
    double upper = kNoUpperBound;
    std::string reason;
};
// A range; empty text and 不限, 全部, 所有 are every amount (or period).
TierRangeCell ReadTierRange(std::string_view text, TierKind kind);

struct TierBoundCell {
    enum State { Missing, Ok, Bad } state = Missing;
    double value = 0.0;
    std::string reason;
};
// A bound of a tier in a 下限 or 上限 column: an amount or a period with its unit, at least 0.
TierBoundCell ReadTierBound(std::string_view text, TierKind kind);

struct TierFeeCell {
    bool ok = false;
    bool missing = false;
    bool fixed = false; // value is yuan per purchase, else a fraction of the amount
    double value = 0.0;
    std::string reason;
};
// A fee: "1.5%", a bare number (a percentage when `percent`, as under a Chinese header, else a
// fraction), 免费 or 不收取 (0), or a fixed fee per purchase ("1000元/笔", "每笔1000元"). A rate is
// from 0 to below 100 %.
TierFeeCell ReadTierFee(std::string_view text, bool percent);

struct FeeTier {
    double lower = 0.0;
    double upper = kNoUpperBound;
    bool fixed = false;
    double value = 0.0;    // the rate (a fraction) or the fixed fee in yuan
    std::int64_t line = 0; // where the tier came from, for messages
};

struct TierListCell {
    bool ok = false;
    bool missing = false;
    std::vector<FeeTier> tiers;
    std::string reason;
};
// A fund's tiers of one kind in one cell, each "RANGE: FEE", separated by ";" or a line break.
TierListCell ReadTierList(std::string_view text, TierKind kind, bool percent);

// Puts a fund's tiers of one kind in order and checks that they start at 0, follow each other
// without a gap or an overlap and end without an upper bound, and that only subscriptions have
// fixed fees. Empty when they do; else the reason, with `offending` set to the tier it concerns.
std::string CheckTiers(std::vector<FeeTier>& tiers, TierKind kind, std::size_t& offending);

// A bound as the messages write it: "100万", "5000元", "7天", "2年".
std::string BoundText(double value, TierKind kind);

} // namespace FundImport
