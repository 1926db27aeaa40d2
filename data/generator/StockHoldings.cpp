// The invented stock market and the funds' picks from it.
#include "StockHoldings.h"

#include "NameParts.h"
#include "Prng.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <set>

namespace SampleDb {
namespace {

// A well-mixed number of a few inputs, so that a fund's taste for a stock is fixed without keeping
// a stream per pair.
std::uint64_t Mix(std::uint64_t a, std::uint64_t b, std::uint64_t c = 0) {
    std::uint64_t state = a ^ (b * 0x9E3779B97F4A7C15ull) ^ (c * 0xC2B2AE3D27D4EB4Full);
    SplitMix64(state);
    return SplitMix64(state);
}

double UnitOf(std::uint64_t hash) {
    return static_cast<double>(hash >> 11) * 0x1.0p-53;
}

// Standard normal from a hash, by Box-Muller over two derived halves.
double NormalOf(std::uint64_t hash) {
    const double u1 = 1.0 - UnitOf(Mix(hash, 1));
    const double u2 = UnitOf(Mix(hash, 2));
    return std::sqrt(-2.0 * std::log(u1)) * std::cos(6.283185307179586 * u2);
}

double Round(double value, int decimals) {
    const double scale = std::pow(10.0, decimals);
    return std::round(value * scale) / scale;
}

std::uint64_t TextHash(const std::string& text) {
    std::uint64_t hash = 1469598103934665603ull;
    for (char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

// Styles that buy the market's large stocks, and styles that look for smaller ones.
bool ValueStyle(const std::string& style) {
    for (const char* value : {"价值型", "稳健成长型", "平衡型", "收益型", "稳健收益型", "保本型"})
        if (style == value)
            return true;
    return false;
}

bool GrowthStyle(const std::string& style) {
    for (const char* growth : {"成长型", "积极成长型", "积极配置型", "灵活配置型", "分级型"})
        if (style == growth)
            return true;
    return false;
}

constexpr int kMaxIndustryId = 24;

} // namespace

// ---- The market ----------------------------------------------------------------------------------

StockMarket::StockMarket(std::uint64_t seed) : m_byIndustry(kMaxIndustryId + 1) {
    Prng rng(seed, 6);
    std::set<int> codes;
    std::set<std::string> names;
    constexpr int kPrefixes = static_cast<int>(std::size(kStockFirstChars) * std::size(kStockSecondChars));
    int nameTurn = 0;
    for (const StockIndustry& industry : kStockIndustries) {
        const Industry* leaf = nullptr;
        for (const Industry& candidate : kLeafIndustries)
            if (candidate.id == industry.id)
                leaf = &candidate;
        const double weight = leaf != nullptr ? leaf->weight : 0.01;
        const int count = std::max(12, static_cast<int>(std::lround(weight * 1400.0)));
        std::vector<int>& members = m_byIndustry[static_cast<std::size_t>(industry.id)];
        for (int j = 0; j < count; ++j) {
            StockInfo stock;
            // A few giants and a long tail, as in any market.
            stock.size = std::pow(static_cast<double>(j + 1), -0.9) * weight * 1000.0 *
                         std::exp(rng.Normal(0.0, 0.25));
            stock.price = Round(std::exp(rng.Uniform(std::log(3.0), std::log(60.0))), 2);
            stock.industryId = industry.id;
            // Codes that no exchange gives to a listed company: 7xxxxx is the range of
            // subscriptions and rights, not of shares.
            int code = 700001 + rng.Below(99998);
            while (codes.count(code) != 0)
                code = code == 799999 ? 700001 : code + 1;
            codes.insert(code);
            stock.code = std::to_string(code);
            for (int attempt = 0;; ++attempt) {
                const int turn = (nameTurn++ * 37 + attempt) % kPrefixes;
                const char* first = kStockFirstChars[turn % std::size(kStockFirstChars)];
                const char* second = kStockSecondChars[turn / std::size(kStockFirstChars)];
                const char* suffix = industry.suffixes[(j + attempt) % industry.suffixCount];
                std::string name = std::string(first) + second + suffix;
                if (names.insert(name).second) {
                    stock.name = std::move(name);
                    break;
                }
            }
            members.push_back(static_cast<int>(m_stocks.size()));
            m_stocks.push_back(std::move(stock));
        }
        std::stable_sort(members.begin(), members.end(),
                         [this](int a, int b) { return m_stocks[a].size > m_stocks[b].size; });
    }
}

const std::vector<int>& StockMarket::OfIndustry(int industryId) const {
    static const std::vector<int> kNone;
    if (industryId < 0 || industryId > kMaxIndustryId)
        return kNone;
    return m_byIndustry[static_cast<std::size_t>(industryId)];
}

// ---- A fund's picks ------------------------------------------------------------------------------

StockPicker::StockPicker(const StockMarket& market, std::uint64_t seed, const StockFund& fund)
    : m_market(market), m_fund(fund), m_seed(seed), m_rankings(kMaxIndustryId + 1), m_ranked(kMaxIndustryId + 1) {}

const std::vector<int>& StockPicker::Ranking(int industryId) {
    if (industryId < 0 || industryId > kMaxIndustryId)
        return m_market.OfIndustry(-1);
    if (m_fund.indexFund)
        return m_market.OfIndustry(industryId); // by size, as an index weighs them
    std::vector<int>& ranking = m_rankings[static_cast<std::size_t>(industryId)];
    if (m_ranked[static_cast<std::size_t>(industryId)])
        return ranking;
    m_ranked[static_cast<std::size_t>(industryId)] = true;
    const std::vector<int>& members = m_market.OfIndustry(industryId);
    const double sizeLean = ValueStyle(m_fund.style) ? 1.0 : GrowthStyle(m_fund.style) ? 0.45 : 0.7;
    const std::uint64_t styleKey = TextHash(m_fund.style);
    std::vector<std::pair<double, int>> scored;
    scored.reserve(members.size());
    for (int stock : members) {
        const auto s = static_cast<std::uint64_t>(stock);
        double score = sizeLean * std::log(m_market.Stocks()[static_cast<std::size_t>(stock)].size);
        if (UnitOf(Mix(m_seed ^ 0x636F6D70ull, m_fund.company, s)) < 0.2) // the company's research list
            score += 1.2;
        if (UnitOf(Mix(m_seed ^ 0x7374796Cull, styleKey, s)) < 0.25) // what the style looks for
            score += 0.8;
        // The fund's own taste: a Gumbel draw, fixed for the fund's life.
        const double u = std::max(1e-12, UnitOf(Mix(m_seed, static_cast<std::uint64_t>(m_fund.index), s)));
        score -= std::log(-std::log(u));
        scored.emplace_back(score, stock);
    }
    std::stable_sort(scored.begin(), scored.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    ranking.reserve(scored.size());
    for (const auto& [score, stock] : scored)
        ranking.push_back(stock);
    return ranking;
}

void StockPicker::Report(int report, const std::vector<std::pair<int, double>>& industryShares,
                         double netYuan, double level, bool full, std::vector<StockLine>& lines) {
    lines.clear();
    double total = 0.0;
    for (const auto& [id, share] : industryShares)
        if (share > 0.0)
            total += share;
    if (!(total > 0.0) || !(netYuan > 0.0))
        return;
    Prng rng(m_seed, (std::uint64_t{3} << 32) ^ Mix(static_cast<std::uint64_t>(m_fund.index),
                                                     static_cast<std::uint64_t>(report)));
    std::vector<int> picks;
    std::vector<double> raw;
    for (const auto& [id, share] : industryShares) {
        if (!(share > 0.0))
            continue;
        const std::vector<int>& ranking = Ranking(id);
        if (ranking.empty())
            continue;
        const int wanted = std::clamp(static_cast<int>(std::lround(m_fund.fullSize * share / total)), 1,
                                      static_cast<int>(ranking.size()));
        // A few places around the cut change hands from report to report.
        picks.assign(ranking.begin(), ranking.begin() + std::min<std::size_t>(ranking.size(), wanted + 3));
        if (!m_fund.indexFund)
            for (std::size_t j = 0; j + 1 < picks.size(); ++j)
                if (rng.Chance(0.12))
                    std::swap(picks[j], picks[j + 1]);
        picks.resize(static_cast<std::size_t>(wanted));
        raw.clear();
        double sum = 0.0;
        for (int stock : picks) {
            const double size = m_market.Stocks()[static_cast<std::size_t>(stock)].size;
            double weight = size;
            if (!m_fund.indexFund) {
                const double taste =
                    NormalOf(Mix(m_seed ^ 0x77656967ull, static_cast<std::uint64_t>(m_fund.index),
                                 static_cast<std::uint64_t>(stock)));
                weight = std::sqrt(size) * std::exp(0.35 * taste + 0.15 * rng.Normal());
            }
            raw.push_back(weight);
            sum += weight;
        }
        for (std::size_t j = 0; j < picks.size(); ++j) {
            const StockInfo& stock = m_market.Stocks()[static_cast<std::size_t>(picks[j])];
            StockLine line;
            line.stock = picks[j];
            const double w = share * raw[j] / sum;
            line.percent = Round(w, 6);
            line.marketvalue = Round(w * netYuan, 2);
            const double price = stock.price * level;
            line.shares = std::max(100.0, std::round(line.marketvalue / price / 100.0) * 100.0);
            lines.push_back(line);
        }
    }
    std::stable_sort(lines.begin(), lines.end(), [](const StockLine& a, const StockLine& b) {
        return a.marketvalue != b.marketvalue ? a.marketvalue > b.marketvalue : a.stock < b.stock;
    });
    if (!full && lines.size() > 10)
        lines.resize(10);
}

} // namespace SampleDb
