// Reading fee tiers: a small tokenizer of ranges (numbers with units, comparison signs, the word of
// the amount or period), the fee cell, the one-cell tier list and the check of a fund's tiers.
#include "FeeTierText.h"

#include "CellText.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>

namespace FundImport {
namespace {

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

bool EndsWith(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

bool Digit(char c) {
    return c >= '0' && c <= '9';
}

enum class Op { Less, LessEqual, Greater, GreaterEqual };

struct Token {
    enum Type { Number, Compare, Word } type = Word;
    double value = 0.0;
    Op op = Op::Less;
    std::string_view text;
};

// The comparison signs, longest first so that "<=" is not read as "<".
struct Sign {
    std::string_view text;
    Op op;
};
constexpr Sign kSigns[] = {
    {"<=", Op::LessEqual}, {">=", Op::GreaterEqual}, {"＜＝", Op::LessEqual}, {"＞＝", Op::GreaterEqual},
    {"≤", Op::LessEqual},  {"≦", Op::LessEqual},     {"≥", Op::GreaterEqual}, {"≧", Op::GreaterEqual},
    {"<", Op::Less},       {"＜", Op::Less},         {">", Op::Greater},      {"＞", Op::Greater},
};

struct Unit {
    std::string_view text;
    double scale;
    bool days;
};
constexpr Unit kUnits[] = {
    {"万元", 1e4, false}, {"亿元", 1e8, false}, {"万", 1e4, false},  {"亿", 1e8, false},
    {"元", 1.0, false},   {"个月", 30.0, true}, {"天", 1.0, true},   {"日", 1.0, true},
    {"周", 7.0, true},    {"月", 30.0, true},   {"年", 365.0, true},
};

const Sign* SignAt(std::string_view text) {
    for (const Sign& sign : kSigns)
        if (StartsWith(text, sign.text))
            return &sign;
    return nullptr;
}

bool IsBlank(std::string_view text) {
    return StartsWith(text, " ") || StartsWith(text, "\t") || StartsWith(text, "\xE3\x80\x80");
}

std::size_t BlankLength(std::string_view text) {
    return StartsWith(text, "\xE3\x80\x80") ? 3 : 1;
}

// A number with its unit at the start of `text`, in yuan or days; `length` is what it took. False
// with a reason when the unit does not suit the kind or the number cannot be read.
bool ReadQuantity(std::string_view text, TierKind kind, double& value, std::size_t& length,
                  std::string& reason) {
    std::size_t at = 0;
    std::string digits;
    while (at < text.size() && (Digit(text[at]) || text[at] == '.' || text[at] == ','))
        digits.push_back(text[at++]);
    const NumberCell number = ReadNumber(digits);
    if (number.state != NumberCell::Ok) {
        reason = "'" + std::string(text.substr(0, at)) + "' is not a number";
        return false;
    }
    while (at < text.size() && IsBlank(text.substr(at)))
        at += BlankLength(text.substr(at));
    double scale = 1.0;
    for (const Unit& unit : kUnits) {
        if (!StartsWith(text.substr(at), unit.text))
            continue;
        if (unit.days != (kind == TierKind::Redemption)) {
            reason = "'" + std::string(unit.text) +
                     (kind == TierKind::Redemption ? "' is no unit of a holding period"
                                                   : "' is no unit of an amount");
            return false;
        }
        scale = unit.scale;
        at += unit.text.size();
        break;
    }
    value = number.value * scale;
    if (!std::isfinite(value)) {
        reason = "'" + std::string(text.substr(0, at)) + "' is too large";
        return false;
    }
    length = at;
    return true;
}

TierRangeCell RangeFail(std::string_view text, const std::string& why) {
    TierRangeCell cell;
    cell.reason = "'" + std::string(text) + "' " + why;
    return cell;
}

constexpr const char* kRangeAdvice =
    "is not a tier range; write it as 100万≤金额<500万, 100万-500万, 金额<100万 or ≥500万 (periods: 7天-1年)";
constexpr const char* kBoundAdvice =
    "would include its upper bound or leave out its lower one; a tier runs from its lower bound, "
    "included, to its upper bound, left out (100万≤金额<500万)";

} // namespace

TierRangeCell ReadTierRange(std::string_view text, TierKind kind) {
    const std::string_view whole = Trim(text);
    TierRangeCell cell;
    if (whole.empty() || whole == "不限" || whole == "全部" || whole == "所有" || whole == "任意" ||
        whole == "all") {
        cell.ok = true;
        return cell;
    }
    std::vector<Token> tokens;
    std::string_view rest = whole;
    while (!rest.empty()) {
        if (IsBlank(rest)) {
            rest.remove_prefix(BlankLength(rest));
            continue;
        }
        if (const Sign* sign = SignAt(rest)) {
            tokens.push_back({Token::Compare, 0.0, sign->op, sign->text});
            rest.remove_prefix(sign->text.size());
            continue;
        }
        if (Digit(rest.front())) {
            double value = 0.0;
            std::size_t length = 0;
            std::string reason;
            if (!ReadQuantity(rest, kind, value, length, reason))
                return RangeFail(whole, "has " + reason);
            tokens.push_back({Token::Number, value, Op::Less, rest.substr(0, length)});
            rest.remove_prefix(length);
            continue;
        }
        // A word: everything up to the next blank, sign or digit.
        std::size_t length = 0;
        while (length < rest.size() && !Digit(rest[length]) && SignAt(rest.substr(length)) == nullptr &&
               !IsBlank(rest.substr(length)))
            ++length;
        tokens.push_back({Token::Word, 0.0, Op::Less, rest.substr(0, length)});
        rest.remove_prefix(length);
    }
    auto is = [&tokens](std::initializer_list<Token::Type> types) {
        if (tokens.size() != types.size())
            return false;
        std::size_t k = 0;
        for (Token::Type type : types)
            if (tokens[k++].type != type)
                return false;
        return true;
    };
    double lower = 0.0, upper = kNoUpperBound;
    // A dash between two bounds, as the fee page and many fund houses write a tier: 100万-500万.
    const bool dashed = is({Token::Number, Token::Word, Token::Number}) &&
                        (tokens[1].text == "-" || tokens[1].text == "~" || tokens[1].text == "～" ||
                         tokens[1].text == "至" || tokens[1].text == "到" || tokens[1].text == "—");
    if (dashed) {
        lower = tokens[0].value;
        upper = tokens[2].value;
    } else if (is({Token::Compare, Token::Number})) {
        // <100万 or ≥500万, the quantity understood
        if (tokens[0].op == Op::Less)
            upper = tokens[1].value;
        else if (tokens[0].op == Op::GreaterEqual)
            lower = tokens[1].value;
        else
            return RangeFail(whole, kBoundAdvice);
    } else if (is({Token::Word, Token::Compare, Token::Number})) {
        // 金额<100万 or 金额≥500万
        if (tokens[1].op == Op::Less)
            upper = tokens[2].value;
        else if (tokens[1].op == Op::GreaterEqual)
            lower = tokens[2].value;
        else
            return RangeFail(whole, kBoundAdvice);
    } else if (is({Token::Number, Token::Compare, Token::Word})) {
        // 500万≤金额 or 100万>金额
        if (tokens[1].op == Op::LessEqual)
            lower = tokens[0].value;
        else if (tokens[1].op == Op::Greater)
            upper = tokens[0].value;
        else
            return RangeFail(whole, kBoundAdvice);
    } else if (is({Token::Number, Token::Compare, Token::Word, Token::Compare, Token::Number})) {
        // 100万≤金额<500万 or 500万>金额≥100万
        if (tokens[1].op == Op::LessEqual && tokens[3].op == Op::Less) {
            lower = tokens[0].value;
            upper = tokens[4].value;
        } else if (tokens[1].op == Op::Greater && tokens[3].op == Op::GreaterEqual) {
            lower = tokens[4].value;
            upper = tokens[0].value;
        } else {
            return RangeFail(whole, kBoundAdvice);
        }
    } else {
        return RangeFail(whole, kRangeAdvice);
    }
    if (!(lower < upper))
        return RangeFail(whole, "is empty: its lower bound is not below its upper one");
    cell.ok = true;
    cell.lower = lower;
    cell.upper = upper;
    return cell;
}

TierBoundCell ReadTierBound(std::string_view text, TierKind kind) {
    TierBoundCell cell;
    text = Trim(text);
    if (text.empty() || text == "--" || text == "-" || text == "—" || text == "不限" || text == "无")
        return cell;
    double value = 0.0;
    std::size_t length = 0;
    std::string reason;
    if (!Digit(text.front()) || !ReadQuantity(text, kind, value, length, reason) || length != text.size()) {
        cell.state = TierBoundCell::Bad;
        cell.reason = reason.empty() ? "'" + std::string(text) +
                                           (kind == TierKind::Redemption ? "' is not a holding period"
                                                                         : "' is not an amount")
                                     : reason;
        return cell;
    }
    cell.state = TierBoundCell::Ok;
    cell.value = value;
    return cell;
}

TierFeeCell ReadTierFee(std::string_view text, bool percent) {
    TierFeeCell cell;
    const std::string_view whole = Trim(text);
    if (whole.empty() || whole == "--" || whole == "-" || whole == "—" || whole == "N/A") {
        cell.ok = true;
        cell.missing = true;
        return cell;
    }
    if (whole == "免费" || whole == "免收" || whole == "不收取" || whole == "免" || whole == "free") {
        cell.ok = true;
        return cell;
    }
    std::string_view body = whole;
    for (std::string_view suffix : {"/笔", "每笔", "/次", "/order", " per order"})
        if (EndsWith(body, suffix)) {
            body.remove_suffix(suffix.size());
            cell.fixed = true;
            break;
        }
    if (!cell.fixed && StartsWith(body, "每笔")) {
        body.remove_prefix(std::string_view("每笔").size());
        cell.fixed = true;
    }
    const NumberCell number = ReadNumber(body);
    if (number.state != NumberCell::Ok || (cell.fixed && number.percentSign)) {
        cell.reason = "'" + std::string(whole) + "' is not a fee (write 1.5% or 1000元/笔)";
        return cell;
    }
    cell.value = number.value;
    if (!cell.fixed && !number.percentSign && percent)
        cell.value /= 100.0;
    if (!(cell.value >= 0.0) || (!cell.fixed && !(cell.value < 1.0))) {
        cell.reason = "'" + std::string(whole) + "' is not a fee: a rate is from 0 to below 100%";
        return cell;
    }
    cell.ok = true;
    return cell;
}

TierListCell ReadTierList(std::string_view text, TierKind kind, bool percent) {
    TierListCell cell;
    const std::string_view whole = Trim(text);
    if (whole.empty() || whole == "--" || whole == "-" || whole == "—") {
        cell.ok = true;
        cell.missing = true;
        return cell;
    }
    std::string_view rest = whole;
    while (!rest.empty()) {
        // The next tier ends at ";", "；" or a line break.
        std::size_t end = rest.size(), skip = 0;
        for (std::string_view separator : {";", "；", "\n"}) {
            const std::size_t at = rest.find(separator);
            if (at != std::string_view::npos && at < end) {
                end = at;
                skip = separator.size();
            }
        }
        const std::string_view part = Trim(rest.substr(0, end));
        rest.remove_prefix(std::min(rest.size(), end + skip));
        if (part.empty())
            continue;
        std::size_t colon = part.rfind("：");
        std::size_t colonLength = 3;
        const std::size_t ascii = part.rfind(':');
        if (ascii != std::string_view::npos && (colon == std::string_view::npos || ascii > colon)) {
            colon = ascii;
            colonLength = 1;
        }
        if (colon == std::string_view::npos) {
            cell.reason =
                "'" + std::string(part) + "' is not a tier; write each as RANGE: FEE (金额<100万: 1.5%)";
            return cell;
        }
        const TierRangeCell range = ReadTierRange(part.substr(0, colon), kind);
        if (!range.ok) {
            cell.reason = range.reason;
            return cell;
        }
        const TierFeeCell fee = ReadTierFee(part.substr(colon + colonLength), percent);
        if (!fee.ok || fee.missing) {
            cell.reason = fee.ok ? "'" + std::string(part) + "' gives no fee" : fee.reason;
            return cell;
        }
        cell.tiers.push_back({range.lower, range.upper, fee.fixed, fee.value, 0});
    }
    cell.ok = true;
    cell.missing = cell.tiers.empty();
    return cell;
}

std::string CheckTiers(std::vector<FeeTier>& tiers, TierKind kind, std::size_t& offending) {
    std::stable_sort(tiers.begin(), tiers.end(),
                     [](const FeeTier& a, const FeeTier& b) { return a.lower < b.lower; });
    const char* what = kind == TierKind::Redemption ? "the redemption tiers" : "the subscription tiers";
    for (std::size_t k = 0; k < tiers.size(); ++k) {
        offending = k;
        if (tiers[k].fixed && kind == TierKind::Redemption)
            return "a redemption fee is a rate, not a fixed fee per purchase";
        const double from = k == 0 ? 0.0 : tiers[k - 1].upper;
        if (tiers[k].lower < from)
            return std::string(what) + " overlap from " + BoundText(tiers[k].lower, kind);
        if (tiers[k].lower > from)
            return std::string(what) + " leave " + BoundText(from, kind) + " to " +
                   BoundText(tiers[k].lower, kind) + " without a fee";
    }
    if (!tiers.empty() && std::isfinite(tiers.back().upper)) {
        offending = tiers.size() - 1;
        return std::string(what) + " leave " + BoundText(tiers.back().upper, kind) +
               " and more without a fee";
    }
    return {};
}

std::string BoundText(double value, TierKind kind) {
    char text[48];
    if (kind == TierKind::Redemption) {
        const double years = value / 365.0;
        if (value > 0 && years == std::floor(years))
            std::snprintf(text, sizeof text, "%.10g年", years);
        else
            std::snprintf(text, sizeof text, "%.10g天", value);
    } else if (value >= 1e4) {
        std::snprintf(text, sizeof text, "%.10g万", value / 1e4);
    } else {
        std::snprintf(text, sizeof text, "%.10g元", value);
    }
    return text;
}

} // namespace FundImport
