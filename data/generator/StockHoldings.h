// The sample's stock market and the stock holdings of its funds.
//
// The market is a list of invented stocks (invented names, codes in a range no exchange gives to a
// listed company), each with an industry of the report classification and a size; the large
// stocks of an industry are few, as in a real market. A fund's holdings at a report date follow its
// industry allocation at that date: the stocks of each industry it holds share that industry's
// weight, so that a full list adds up to the industry table. Which stocks a fund picks comes from a
// ranking of its own, fixed for the fund's life: large stocks first (value styles lean to them more,
// growth styles less), then the favourites of the fund's company and of its style, then the fund's
// own taste. Funds of one company and one style therefore share more stocks, index funds hold
// nearly the same ones, and a fund's list changes a little from one report to the next.
//
// Everything is drawn from the seed and the fund's place in the order funds are made, never from
// a shared stream, so that the holdings of one fund do not depend on how many others there are.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace SampleDb {

struct StockInfo {
    std::string code;
    std::string name;
    int industryId = 0;  // a leaf industry of tb_industryname
    double size = 0.0;   // market value in units of the smallest, for ranking and index weights
    double price = 0.0;  // yuan per share when the market stands at 1
};

class StockMarket {
public:
    explicit StockMarket(std::uint64_t seed);

    const std::vector<StockInfo>& Stocks() const { return m_stocks; }
    // The stocks of an industry, largest first; empty for an id without stocks.
    const std::vector<int>& OfIndustry(int industryId) const;

private:
    std::vector<StockInfo> m_stocks;
    std::vector<std::vector<int>> m_byIndustry; // by industry id
};

// What a fund's stock picking depends on.
struct StockFund {
    int index = 0;             // the fund's place in the order funds are made
    std::uint64_t company = 0; // any number that tells companies apart
    std::string style;         // tb_fund.investstyle
    bool indexFund = false;    // holds the market by size, without a taste of its own
    int fullSize = 0;          // the number of stocks of a full list
};

// One line of a report, before its rank.
struct StockLine {
    int stock = 0; // in StockMarket::Stocks()
    double shares = 0.0;
    double marketvalue = 0.0;
    double percent = 0.0; // share of net assets
};

class StockPicker {
public:
    StockPicker(const StockMarket& market, std::uint64_t seed, const StockFund& fund);

    // The lines of the fund's report number `report` (any number that tells reports apart; the
    // same number gives the same lines): for each leaf industry with its share of net assets,
    // stocks of that industry sharing it, largest line first. `level` is the market's level (1 at
    // the start) and sets the prices; `full` lists every holding, else the ten largest.
    void Report(int report, const std::vector<std::pair<int, double>>& industryShares, double netYuan,
                double level, bool full, std::vector<StockLine>& lines);

private:
    const std::vector<int>& Ranking(int industryId);

    const StockMarket& m_market;
    StockFund m_fund;
    std::uint64_t m_seed;
    std::vector<std::vector<int>> m_rankings; // by industry id, made when first needed
    std::vector<bool> m_ranked;
};

} // namespace SampleDb
