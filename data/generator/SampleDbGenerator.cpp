// The sample-database generator.
//
// Sections: 1. calendar  2. fund kinds and their profiles  3. the writer  4. the market (index
// series)  5. one fund, from its name to its quarterly holdings  6. ratings  7. schema and file
// handling (Generate).
//
// The daily net-value history (DailyHistory.h) spreads every week of a fund over its trading days
// so that the days compound to the week: the latest net values come from the daily path, and the
// weekly figures can be recomputed from it.
//
// The market is simulated week by week: an index series, and for each fund weekly returns made of
// a type-dependent share of the index, a yearly excess return and noise. Everything the database
// holds about a fund's performance (period yields, calendar-year yields, risk figures, ratings, net
// values, quarterly assets) is derived from that one series, so the tables agree with each other
// the way real data does.
#include "SampleDbGenerator.h"

#include "DailyHistory.h"
#include "FundDerivation.h"
#include "NameParts.h"
#include "Prng.h"
#include "RowLoader.h"
#include "RowPipe.h"
#include "Sqlite.h"
#include "StockHoldings.h"

#include <sdk/CivilDays.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <limits>
#include <optional>
#include <string>
#include <thread>
#include <unordered_set>
#include <vector>

namespace SampleDb {
namespace {

// 1. Calendar ======================================================================================

int QuarterEndDay(int year, int quarter) {
    static constexpr int kMonth[] = {3, 6, 9, 12};
    static constexpr int kDay[] = {31, 30, 30, 31};
    return CivilDays::FromDate(year, kMonth[quarter - 1], kDay[quarter - 1]);
}

// The simulation runs on a grid of 52 weeks per calendar year; week w of year y starts on day
// 7 (w - 1) of the year, and weeks 13, 26, 39 and 52 close the quarters.
constexpr int kWeeksPerYear = 52;
constexpr int kWeeksPerQuarter = 13;

double Round(double value, int decimals) {
    const double scale = std::pow(10.0, decimals);
    return std::round(value * scale) / scale;
}

// 2. Fund kinds ====================================================================================

enum class Kind { Equity, Index, Bond, Hybrid, Guaranteed, Qdii, Money, ClosedEnd, Innovative, Collective };
constexpr int kKindCount = 10;

struct Range {
    double low, high;
};

struct Profile {
    Kind kind;
    double share;                           // share of all fund rows
    const char* fundtype;                   // legal form
    std::array<const char*, 3> investtypes; // chosen at random among the non-null ones
    std::array<const char*, 4> styles;      // investment styles, likewise
    Range beta;                             // exposure to the index
    double alphaMean, alphaSd;              // yearly excess return
    Range noise;                            // yearly volatility of the fund's own risk
    Range stock, bond, cash, resale;        // asset weights before normalising
    double warrantChance;                   // chance of a small warrant position (2005 to 2008)
    Range leverage;                         // total assets over net assets
    Range issueLog10;                       // units raised at issue, as a power of ten
};

constexpr const char* kOpenEnd = "契约型开放式";

// Proportions follow the Chinese fund market around 2010: equity and hybrid funds dominate, bond
// and index funds follow, money-market, QDII and capital-guaranteed funds are few; the closed forms
// and the brokers' products are the rows the module must leave out.
constexpr Profile kProfiles[kKindCount] = {
    {Kind::Equity,
     0.300,
     kOpenEnd,
     {"股票型"},
     {"成长型", "价值型", "积极成长型", "稳健成长型"},
     {0.75, 0.95},
     0.03,
     0.05,
     {0.05, 0.12},
     {0.80, 0.93},
     {0.00, 0.08},
     {0.03, 0.12},
     {0.00, 0.03},
     0.3,
     {1.00, 1.04},
     {8.5, 10.2}},
    {Kind::Index,
     0.110,
     kOpenEnd,
     {"指数型"},
     {"被动指数型", "增强指数型"},
     {0.95, 1.02},
     0.005,
     0.01,
     {0.02, 0.04},
     {0.90, 0.96},
     {0.00, 0.02},
     {0.02, 0.06},
     {0.00, 0.00},
     0.0,
     {1.00, 1.02},
     {8.5, 10.0}},
    {Kind::Bond,
     0.140,
     kOpenEnd,
     {"债券型"},
     {"收益型", "稳健收益型"},
     {0.00, 0.12},
     0.04,
     0.015,
     {0.02, 0.04},
     {0.00, 0.15},
     {0.70, 0.90},
     {0.03, 0.15},
     {0.00, 0.08},
     0.0,
     {1.00, 1.25},
     {8.5, 10.0}},
    {Kind::Hybrid,
     0.270,
     kOpenEnd,
     {"混合型"},
     {"平衡型", "积极配置型", "灵活配置型"},
     {0.45, 0.80},
     0.03,
     0.04,
     {0.04, 0.10},
     {0.35, 0.75},
     {0.10, 0.40},
     {0.05, 0.20},
     {0.00, 0.05},
     0.2,
     {1.00, 1.05},
     {8.5, 10.2}},
    {Kind::Guaranteed,
     0.020,
     kOpenEnd,
     {"保本型"},
     {"保本型"},
     {0.10, 0.25},
     0.03,
     0.01,
     {0.02, 0.03},
     {0.05, 0.25},
     {0.55, 0.80},
     {0.05, 0.20},
     {0.00, 0.05},
     0.0,
     {1.00, 1.05},
     {8.7, 9.8}},
    {Kind::Qdii,
     0.030,
     kOpenEnd,
     {"QDII"},
     {"全球配置型", "亚太配置型"},
     {0.20, 0.40},
     -0.02,
     0.05,
     {0.12, 0.20},
     {0.60, 0.90},
     {0.00, 0.10},
     {0.05, 0.30},
     {0.00, 0.00},
     0.0,
     {1.00, 1.02},
     {9.0, 10.5}},
    {Kind::Money,
     0.070,
     kOpenEnd,
     {"现金型"},
     {"货币型"},
     {0.00, 0.00},
     0.0,
     0.0,
     {0.00, 0.00},
     {0.00, 0.00},
     {0.30, 0.60},
     {0.20, 0.50},
     {0.05, 0.30},
     0.0,
     {1.00, 1.10},
     {9.0, 10.7}},
    {Kind::ClosedEnd,
     0.025,
     "契约型封闭式",
     {"股票型", "混合型"},
     {"成长型", "价值型"},
     {0.70, 0.90},
     0.03,
     0.05,
     {0.05, 0.10},
     {0.70, 0.90},
     {0.05, 0.20},
     {0.03, 0.10},
     {0.00, 0.02},
     0.2,
     {1.00, 1.03},
     {8.7, 9.7}},
    {Kind::Innovative,
     0.010,
     "创新型封闭式",
     {"股票型", "指数型", "债券型"},
     {"分级型"},
     {0.40, 0.90},
     0.02,
     0.04,
     {0.04, 0.08},
     {0.40, 0.90},
     {0.05, 0.50},
     {0.03, 0.10},
     {0.00, 0.02},
     0.0,
     {1.00, 1.05},
     {8.5, 9.7}},
    {Kind::Collective,
     0.025,
     "集合理财产品",
     {"混合型", "债券型", "股票型"},
     {"平衡型", "收益型"},
     {0.30, 0.70},
     0.02,
     0.05,
     {0.05, 0.10},
     {0.20, 0.70},
     {0.10, 0.50},
     {0.05, 0.20},
     {0.00, 0.05},
     0.0,
     {1.00, 1.03},
     {8.0, 9.7}},
};

bool IsClosedForm(Kind kind) {
    return kind == Kind::ClosedEnd || kind == Kind::Innovative || kind == Kind::Collective;
}

template <std::size_t N>
const char* PickNonNull(Prng& rng, const std::array<const char*, N>& items) {
    int count = 0;
    while (count < static_cast<int>(N) && items[count] != nullptr)
        ++count;
    return items[rng.Below(count)];
}

// 3. The writer ====================================================================================

// The tables the generator fills, by the number a row carries on its way to the inserting thread.
enum Table {
    kFundTable,
    kAdvisorTable,
    kCurrValueTable,
    kYieldTable,
    kYieldHistoryTable,
    kRiskTable,
    kAssetTable,
    kIndustryTable,
    kIndustryNameTable,
    kBonusTable,
    kIssueTable,
    kManagerTable,
    kRatingTable,
    kStateTable,
    kNetValueTable,
    kIndexCloseTable,
    // Stock holdings.
    kStockTable,
    kStockHoldingTable,
    // Fees
    kFeeTable,
    kFeeTierTable,
    kTableCount
};

// The INSERT statement of each table, in the order of Table.
const std::vector<std::string_view>& InsertStatements() {
    static const std::vector<std::string_view> statements = {
        "INSERT INTO tb_fund (code, aliascode, name, pycode, fundtype, investtype, investstyle, companyguid, "
        "createdate, peoples, quotient, isdellisting, isdeleted) VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?)",
        "INSERT INTO tb_investadvisor (guid, name, shortname, isdeleted) VALUES (?,?,?,?)",
        "INSERT INTO tb_currvalue (code, date, value, totalvalue, daymargin, isdeleted) VALUES (?,?,?,?,?,?)",
        "INSERT INTO tb_yield (fundcode, fundtype, date, lastweek, lastmonth, lastquarter, lasthalfyear, "
        "thisyear, yearavgyield1year, yearavgyield2year, yearavgyield3year, yearavgyield5year, isdeleted) "
        "VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?)",
        "INSERT INTO tb_yieldhistory (fundcode, exponentcode, yieldtype, year, week, percentvalue, "
        "isdeleted) "
        "VALUES (?,?,?,?,?,?,?)",
        "INSERT INTO tb_riskevaluation (fundcode, year, reportdate, increasepercent, standard, isdeleted) "
        "VALUES (?,?,?,?,?,?)",
        "INSERT INTO tb_assetallocation (id, code, date, assettype, marketvalue, percent, isdeleted) "
        "VALUES (?,?,?,?,?,?,?)",
        "INSERT INTO tb_investindustry (id, code, date, industryid, marketvalue, percent, isdeleted) "
        "VALUES (?,?,?,?,?,?,?)",
        "INSERT INTO tb_industryname (id, name, parentid) VALUES (?,?,?)",
        "INSERT INTO tb_bonus (code, type, bonus, date, isdeleted) VALUES (?,?,?,?,?)",
        "INSERT INTO tb_issueandlisting (code, issuedate, issueshares, listingdate, isdeleted) VALUES "
        "(?,?,?,?,?)",
        "INSERT INTO tb_manager (code, name, starttime, terminatetime, isdeleted) VALUES (?,?,?,?,?)",
        "INSERT INTO tb_analyticalindex (code, reportdate, year, star, isdeleted) VALUES (?,?,?,?,?)",
        "INSERT INTO tb_buyredeemstate (code, buystate, redeemstate, isdeleted) VALUES (?,?,?,?)",
        "INSERT INTO tb_netvaluehistory (id, code, date, value, totalvalue, isdeleted) VALUES (?,?,?,?,?,?)",
        "INSERT INTO tb_indexhistory (id, exponentcode, date, closevalue, isdeleted) VALUES (?,?,?,?,?)",
        // Stock holdings.
        "INSERT INTO tb_stock (code, name, industryid, isdeleted) VALUES (?,?,?,?)",
        "INSERT INTO tb_stockholding (id, code, date, rank, stockcode, stockname, shares, marketvalue, "
        "percent, "
        "isdeleted) VALUES (?,?,?,?,?,?,?,?,?,?)",
        // Fees
        "INSERT INTO tb_fundfee (code, shareclass, managementfee, custodyfee, salesfee, minpurchase, "
        "isdeleted) "
        "VALUES (?,?,?,?,?,?,?)",
        "INSERT INTO tb_fundfeetier (code, feetype, lower, upper, rate, fixedfee, isdeleted) VALUES "
        "(?,?,?,?,?,?,?)",
    };
    return statements;
}

// Thrown on the generating thread when the inserting thread has given up, to unwind the generation.
struct LoadStopped {};

// Collects the generated rows into batches and hands each full batch to the inserting thread.
class BatchWriter {
public:
    explicit BatchWriter(RowPipe& pipe) : m_pipe(pipe) { m_batch.Reserve(kBatchBytes + 4096); }

    RowBatch& Batch() { return m_batch; }
    void EndRow() {
        if (m_batch.Bytes() >= kBatchBytes)
            Flush();
    }
    void Flush() {
        if (m_batch.Empty())
            return;
        if (!m_pipe.Send(std::move(m_batch)))
            throw LoadStopped{};
        m_batch = m_pipe.TakeEmpty();
        m_batch.Reserve(kBatchBytes + 4096);
    }

private:
    // Large enough that handing a batch over costs nothing next to inserting it, small enough that
    // the inserting thread starts early and the batches in flight take little memory.
    static constexpr std::size_t kBatchBytes = 256 * 1024;

    RowPipe& m_pipe;
    RowBatch m_batch;
};

// One table's rows, written as the generator makes them.
class TableRows {
public:
    TableRows(BatchWriter& writer, Table table) : m_writer(writer), m_table(table) {}

    template <class... Values>
    void Row(const Values&... values) {
        RowBatch& batch = m_writer.Batch();
        batch.BeginRow(m_table, static_cast<int>(sizeof...(Values)));
        (batch.Add(values), ...);
        m_writer.EndRow();
        ++m_rows;
    }

    std::int64_t Rows() const { return m_rows; }

private:
    BatchWriter& m_writer;
    Table m_table;
    std::int64_t m_rows = 0;
};

// Every table's rows.
struct Writer {
    explicit Writer(BatchWriter& writer)
        : fund(writer, kFundTable), advisor(writer, kAdvisorTable), currvalue(writer, kCurrValueTable),
          yield(writer, kYieldTable), history(writer, kYieldHistoryTable), risk(writer, kRiskTable),
          asset(writer, kAssetTable), industry(writer, kIndustryTable),
          industryName(writer, kIndustryNameTable), bonus(writer, kBonusTable), issue(writer, kIssueTable),
          manager(writer, kManagerTable), rating(writer, kRatingTable), state(writer, kStateTable),
          netValue(writer, kNetValueTable), indexClose(writer, kIndexCloseTable), stock(writer, kStockTable),
          stockHolding(writer, kStockHoldingTable), fee(writer, kFeeTable), feeTier(writer, kFeeTierTable) {}

    std::int64_t Rows() const {
        return fund.Rows() + advisor.Rows() + currvalue.Rows() + yield.Rows() + history.Rows() + risk.Rows() +
               asset.Rows() + industry.Rows() + industryName.Rows() + bonus.Rows() + issue.Rows() +
               manager.Rows() + rating.Rows() + state.Rows() + netValue.Rows() + indexClose.Rows() +
               stock.Rows() + stockHolding.Rows() + fee.Rows() + feeTier.Rows();
    }

    TableRows fund, advisor, currvalue, yield, history, risk, asset, industry, industryName, bonus, issue,
        manager, rating, state, netValue, indexClose, stock, stockHolding;
    TableRows fee, feeTier;
};

// 4. The market ====================================================================================

bool WritesHistory(const Options& options, int fundIndex) {
    return options.historyFunds < 0 || fundIndex < options.historyFunds;
}

struct Market {
    int firstYear = 0;              // first calendar year of the weekly grid
    int weeks = 0;                  // length of the grid
    std::vector<double> index;      // weekly returns of sh000001, as stored
    std::vector<double> cashRate;   // yearly money-market yield, by grid year
    std::vector<double> volatility; // yearly volatility of the index, by grid year
    TradingCalendar calendar;       // the trading days of the grid
    std::vector<double> indexDaily; // daily log growth of sh000001, by calendar day

    int YearOf(int t) const { return firstYear + t / kWeeksPerYear; }
    int WeekOf(int t) const { return t % kWeeksPerYear + 1; }
    int StartDay(int t) const { return CivilDays::FromDate(YearOf(t), 1, 1) + 7 * (WeekOf(t) - 1); }
};

// An index day by day, from `level` on the evening before the grid starts. Its closes are written
// only when some fund gets a history; its weekly returns always, derived from the closes as they
// are stored, as the importer derives them from a user's closes.
void WriteIndex(const Options& options, const TradingCalendar& calendar, const char* code,
                const std::vector<double>& daily, double level, bool misprint, std::int64_t& id,
                Writer& out) {
    std::vector<Derive::CloseDay> closes(calendar.days.size());
    for (size_t i = 0; i < calendar.days.size(); ++i) {
        level *= std::exp(daily[i]);
        closes[i] = {calendar.days[i], Round(level, 2)};
        if (options.historyFunds != 0)
            out.indexClose.Row(++id, code, calendar.text[i], closes[i].close, 0);
    }
    // A withdrawn misprint of the latest close.
    if (misprint && options.historyFunds != 0)
        out.indexClose.Row(++id, code, calendar.text.back(), Round(level * 10.0, 2), 1);
    for (const Derive::WeekReturn& week : Derive::IndexWeeks(closes))
        out.history.Row(Null{}, code, 4, week.year, week.week, week.value, 0);
}

// The index day by day: each week of the weekly series spread over its trading days, from a level
// of 1250 points. A second index in the same tables, which moves with the first, is there so that
// the readers of sh000001 are seen to leave it out.
void MakeIndexDays(const Options& options, Market& market, Writer& out) {
    market.calendar = MakeTradingCalendar(market.firstYear, market.weeks / kWeeksPerYear);
    const TradingCalendar& calendar = market.calendar;
    market.indexDaily.assign(calendar.days.size(), 0.0);
    Prng rng(options.seed, 5);
    for (int t = 0; t < market.weeks; ++t) {
        const int from = calendar.weekStart[t];
        const int count = calendar.weekStart[t + 1] - from;
        const double dailySd = market.volatility[t / kWeeksPerYear] / std::sqrt(260.0);
        SpreadWeek(rng, std::log1p(market.index[t]), nullptr, 0.0, dailySd, &market.indexDaily[from], count);
    }
    Prng other(options.seed, 2);
    std::vector<double> second(calendar.days.size(), 0.0);
    for (size_t i = 1; i < second.size(); ++i)
        second[i] = 1.1 * market.indexDaily[i] + other.Normal(0.0, 0.004);
    // A bond index, so that bond funds can be measured against something like them: the year's
    // money-market yield plus a term premium of one point (about 2.5 to 5 % a year), with a small
    // daily noise (a volatility of about 1.6 % a year). Its code and name are made up.
    Prng bond(options.seed, 7);
    std::vector<double> bondDaily(calendar.days.size(), 0.0);
    for (int t = 0; t < market.weeks; ++t) {
        const double drift = std::log1p(market.cashRate[t / kWeeksPerYear] + 0.01) / 260.0;
        for (int i = calendar.weekStart[t]; i < calendar.weekStart[t + 1]; ++i)
            bondDaily[i] = drift + bond.Normal(0.0, 0.001);
    }
    // Written in code order, the order of the table's key.
    std::int64_t id = 0;
    WriteIndex(options, calendar, kBondIndexCode, bondDaily, 1000.0, false, id, out);
    WriteIndex(options, calendar, "sh000001", market.indexDaily, 1250.0, true, id, out);
    WriteIndex(options, calendar, "sz399001", second, 3000.0, false, id, out);
}

Market MakeMarket(const Options& options, Writer& out) {
    Market market;
    // The risk page needs five years of weekly index returns however few years the data cover.
    const int spanYears = std::max(options.years, 6);
    market.firstYear = kLastYear - spanYears + 1;
    market.weeks = spanYears * kWeeksPerYear;
    Prng rng(options.seed, 1);
    for (int year = 0; year < spanYears; ++year) {
        // A-share years swing between deep losses and doubling; volatility follows the mood.
        const double drift = std::clamp(rng.Normal(0.10, 0.35), -0.6, 1.3);
        const double volatility = rng.Uniform(0.16, 0.38);
        market.volatility.push_back(volatility);
        market.cashRate.push_back(Round(rng.Uniform(0.015, 0.04), 4));
        for (int week = 0; week < kWeeksPerYear; ++week) {
            const double logReturn =
                rng.Normal(std::log1p(drift) / kWeeksPerYear, volatility / std::sqrt(52.0));
            market.index.push_back(Round(std::expm1(logReturn), 6));
        }
    }
    MakeIndexDays(options, market, out);
    // A withdrawn correction of the latest week.
    out.history.Row(Null{}, "sh000001", 4, kLastYear, kWeeksPerYear, 0.5, 1);
    return market;
}

// 5. One fund ======================================================================================

constexpr int kRatingDates = 4; // the quarter ends of the last year
constexpr int kRatingYears[] = {2, 3, 5};

struct FundSeed {
    Kind kind = Kind::Equity;
    bool deleted = false;
    bool delisted = false;
};

struct RatingScores {
    std::string code;
    std::string investtype;
    // Sharpe-like score per rating date and horizon; NaN when the fund is not rated there.
    double score[kRatingDates][3];
};

// What a fund's daily path is made from.
struct DailyInputs {
    int index = 0; // the fund's place in the order funds are made
    Kind kind = Kind::Equity;
    int firstWeek = 0; // the first whole week of the fund on the grid
    int inception = 0;
    std::vector<double> r; // weekly returns, by grid week
    double beta = 0.0;
    double noise = 0.0; // weekly volatility of the fund's own part
    double startUnit = 0.0;
    double startDividends = 0.0;
    std::vector<Payout> payouts;
    std::string code;
};

// What a fund's quarterly holdings are made from: the fund's random stream as it stood when they
// were due, and its size at each quarter end. The rows are made twice, once when the fund is made,
// to count them, and again when they are written in code order; that costs less than keeping
// millions of rows in memory until every fund is made.
struct HoldingInputs {
    std::string code;
    Kind kind = Kind::Equity;
    int firstWeek = 0;
    int inception = 0;
    std::vector<double> navAtQuarter, sharesAtQuarter;
    Prng rng{0};
    // The `id` each table's first row of this fund gets: rows are numbered in the order the funds
    // are made, whatever order they are written in.
    std::int64_t firstAssetId = 0;
    std::int64_t firstIndustryId = 0;
    // What the fund's stock picks depend on (StockHoldings.h).
    int index = 0;
    std::uint64_t company = 0;
    std::string style;
};

// One row of tb_assetallocation (assettype set) or tb_investindustry (industryid set) of a fund.
struct HoldingRow {
    int quarter = 0; // on the market's grid
    const char* assettype = nullptr;
    int industryid = 0;
    double marketvalue = 0.0;
    double percent = 0.0;
    int deleted = 0;
    std::int64_t id = 0;
};

// What all funds share while they are made: the market, the companies and the names taken so far.
struct Context {
    const Options& options;
    Writer& out;
    const Market& market;
    std::vector<std::string> fundCompanyGuids;
    std::vector<std::string> brokerGuids;
    std::vector<std::string> managerPool;
    std::unordered_set<int> codes;
    std::unordered_set<std::string> names;
    std::vector<RatingScores> ratings;
    int firstReportYear = 0;
    int lastDay = 0;
    std::vector<DailyInputs> histories;  // the funds whose daily rows are still to be written
    std::vector<HoldingInputs> holdings; // likewise, their quarterly holdings
    std::int64_t assetRows = 0;          // holdings rows of the funds made so far
    std::int64_t industryRows = 0;
    const StockMarket* stocks = nullptr; // the market the funds' stock holdings come from
};

int TakeCode(Context& context, Prng& rng, int low, int high) {
    // Linear probing from a random start always ends, because no range is ever full.
    const int span = high - low + 1;
    int code = low + rng.Below(span);
    while (context.codes.count(code) != 0)
        code = code == high ? low : code + 1;
    context.codes.insert(code);
    return code;
}

std::string FormatCode(int code) {
    char text[16];
    std::snprintf(text, sizeof text, "%06d", code);
    return text;
}

template <class T, std::size_t N>
const T& Pick(Prng& rng, const T (&items)[N]) {
    return items[rng.Below(static_cast<int>(N))];
}

// The company of a fund: the first companies of the list are the large ones and run more funds.
int PickCompany(Prng& rng, int count) {
    double total = 0.0;
    for (int k = 0; k < count; ++k)
        total += 1.0 / (k + 4);
    double u = rng.Uniform() * total;
    for (int k = 0; k < count; ++k) {
        u -= 1.0 / (k + 4);
        if (u < 0.0)
            return k;
    }
    return count - 1;
}

struct FundName {
    std::string name;
    std::string pycode;
};

FundName ComposeName(Prng& rng, Kind kind, const Company& company, const char* style) {
    auto join = [](std::initializer_list<NamePart> parts) {
        FundName result;
        for (const NamePart& part : parts) {
            result.name += part.text;
            result.pycode += part.initials;
        }
        return result;
    };
    const NamePart house{company.shortName, company.initials};
    switch (kind) {
    case Kind::Equity:
        return join({house, Pick(rng, kThemes), {"股票", "GP"}});
    case Kind::Hybrid:
        return join({house, Pick(rng, kThemes), {"混合", "HH"}});
    case Kind::Bond:
        return join({house, Pick(rng, kIncomeThemes), {"债券", "ZQ"}});
    case Kind::Guaranteed:
        return join({house, Pick(rng, kIncomeThemes), {"保本", "BB"}});
    case Kind::Money:
        return join({house, Pick(rng, kIncomeThemes), {"货币", "HB"}});
    case Kind::Index:
        return std::strcmp(style, "增强指数型") == 0
                   ? join({house, Pick(rng, kIndexNames), {"增强", "ZQ"}, {"指数", "ZS"}})
                   : join({house, Pick(rng, kIndexNames), {"指数", "ZS"}});
    case Kind::Qdii:
        return join({house, Pick(rng, kQdiiThemes), {"(QDII)", "QDII"}});
    case Kind::ClosedEnd:
        return rng.Chance(0.7) ? join({{"基金", "JJ"}, Pick(rng, kClosedEndNames)})
                               : join({house, Pick(rng, kThemes), {"封闭", "FB"}});
    case Kind::Innovative:
        return join({house, Pick(rng, kThemes), {"分级", "FJ"}});
    case Kind::Collective:
        return join({house, rng.Chance(0.5) ? Pick(rng, kThemes) : Pick(rng, kIncomeThemes), {"集合", "JH"}});
    }
    return {};
}

FundName UniqueName(Context& context, Prng& rng, Kind kind, const Company& company, const char* style) {
    FundName name;
    for (int attempt = 0; attempt < 8; ++attempt) {
        name = ComposeName(rng, kind, company, style);
        if (context.names.insert(name.name).second)
            return name;
    }
    // Series numbers, as fund houses do when they launch a second fund of the same name.
    for (int series = 2;; ++series) {
        const std::string suffix = std::to_string(series);
        if (context.names.insert(name.name + suffix + "号").second)
            return {name.name + suffix + "号", name.pycode + suffix + "H"};
    }
}

const std::string& AnyManager(const Context& context, Prng& rng) {
    return context.managerPool[rng.Below(static_cast<int>(context.managerPool.size()))];
}

Prng DailyStream(const Options& options, int index) {
    return Prng(options.seed, (std::uint64_t{1} << 32) + static_cast<std::uint64_t>(index));
}

// The fund's daily path: each week from its first full week spread over the week's trading days, as
// beta times the index's day plus the fund's own part; the days before are flat at the starting
// value. Draws from the fund's own daily stream, so the same inputs always give the same path.
NetValuePath WalkDailyPath(const Market& market, const DailyInputs& fund, Prng& rng) {
    const TradingCalendar& calendar = market.calendar;
    const bool money = fund.kind == Kind::Money;
    std::vector<double> daily(calendar.days.size(), 0.0);
    for (int t = fund.firstWeek; t < market.weeks; ++t) {
        const int from = calendar.weekStart[t];
        const int count = calendar.weekStart[t + 1] - from;
        if (money)
            SpreadWeek(rng, std::log1p(fund.r[t]), nullptr, 0.0, 0.0, &daily[from], count);
        else
            SpreadWeek(rng, std::log1p(fund.r[t]), &market.indexDaily[from], fund.beta,
                       fund.noise / std::sqrt(5.0), &daily[from], count);
    }
    const int first = calendar.FirstOnOrAfter(std::max(fund.inception, calendar.days.front()));
    // The first stored day is the value the fund starts from; its share of the week goes to the
    // next day of the same week, so that a reader who starts from the first row finds every week
    // whole (a week has five trading days or more, so the next day is in it).
    if (first + 1 < static_cast<int>(daily.size()) && calendar.week[first] == calendar.week[first + 1]) {
        daily[first + 1] += daily[first];
        daily[first] = 0.0;
    }
    return WalkNetValues(calendar, first, daily, fund.startUnit, fund.startDividends, fund.payouts, money);
}

// The history table's rows: every fund that has a history, in code order, each fund's days in date
// order, now and then with a withdrawn misprint right after the day it misprints. That is the order
// of the table's key, so SQLite fills it by appending. Each path is walked again from its inputs
// rather than kept from when the fund was made, which would hold every fund's days in memory.
void WriteNetValues(Context& context) {
    std::sort(context.histories.begin(), context.histories.end(),
              [](const DailyInputs& a, const DailyInputs& b) { return a.code < b.code; });
    const TradingCalendar& calendar = context.market.calendar;
    std::int64_t id = 0;
    for (const DailyInputs& fund : context.histories) {
        Prng rng = DailyStream(context.options, fund.index);
        const NetValuePath path = WalkDailyPath(context.market, fund, rng);
        constexpr std::size_t kNone = static_cast<std::size_t>(-1);
        std::size_t misprint = kNone;
        if (path.unit.size() > 2 && rng.Chance(0.01))
            misprint = static_cast<std::size_t>(rng.Below(static_cast<int>(path.unit.size())));
        for (std::size_t k = 0; k < path.unit.size(); ++k) {
            const std::string& date = calendar.text[path.first + k];
            context.out.netValue.Row(++id, fund.code, date, Round(path.unit[k], 6), Round(path.total[k], 6),
                                     0);
            if (k == misprint)
                context.out.netValue.Row(++id, fund.code, date, Round(path.unit[k] * 1.1, 6),
                                         Round(path.total[k] * 1.1, 6), 1);
        }
    }
    context.histories.clear();
}

// A fund's quarterly balance sheets and industry holdings over the reported years, in the order they
// are made, each row numbered from the fund's first ids.
void MakeHoldings(const Context& context, const HoldingInputs& fund, std::vector<HoldingRow>& assets,
                  std::vector<HoldingRow>& industries) {
    const Market& market = context.market;
    const Kind kind = fund.kind;
    const Profile& profile = kProfiles[static_cast<int>(kind)];
    const int quarters = market.weeks / kWeeksPerQuarter;
    const int firstWeek = fund.firstWeek;
    const int inception = fund.inception;
    const std::vector<double>& navAtQuarter = fund.navAtQuarter;
    const std::vector<double>& sharesAtQuarter = fund.sharesAtQuarter;
    Prng rng = fund.rng;
    assets.clear();
    industries.clear();
    for (int q = 0; q < quarters; ++q) {
        const int year = market.firstYear + q / 4;
        const int quarterEnd = QuarterEndDay(year, q % 4 + 1);
        const int t = q * kWeeksPerQuarter + kWeeksPerQuarter - 1;
        if (year < context.firstReportYear || t < firstWeek || quarterEnd < inception + 30)
            continue;
        const auto net =
            static_cast<std::int64_t>(std::llround(sharesAtQuarter[q] * navAtQuarter[q] * 100.0));
        const auto gross = static_cast<std::int64_t>(
            std::llround(net * rng.Uniform(profile.leverage.low, profile.leverage.high)));
        static const char* const kParts[] = {"股票", "债券", "银行存款", "买入返售证券", "权证", "其它资产"};
        double weights[6] = {
            rng.Uniform(profile.stock.low, profile.stock.high),
            rng.Uniform(profile.bond.low, profile.bond.high),
            rng.Uniform(profile.cash.low, profile.cash.high),
            rng.Uniform(profile.resale.low, profile.resale.high),
            year <= 2008 && rng.Chance(profile.warrantChance) ? rng.Uniform(0.0005, 0.004) : 0.0,
            rng.Uniform(0.002, 0.02),
        };
        double weightSum = 0.0;
        for (double w : weights)
            weightSum += w;
        // Whole fen (cents), with the rounding left-over in cash, so that the parts add up exactly.
        std::int64_t parts[6];
        std::int64_t partSum = 0;
        for (int k = 0; k < 6; ++k) {
            parts[k] = static_cast<std::int64_t>(gross * (weights[k] / weightSum));
            partSum += parts[k];
        }
        parts[2] += gross - partSum;
        const double totalYuan = static_cast<double>(gross) / 100.0;
        for (int k = 0; k < 6; ++k) {
            // A zero position is usually left out of the report; a zero warrant line sometimes stays.
            if (parts[k] == 0 && !(k == 4 && rng.Chance(0.5)))
                continue;
            const double yuan = static_cast<double>(parts[k]) / 100.0;
            assets.push_back({q, kParts[k], 0, yuan, gross > 0 ? Round(yuan / totalYuan, 6) : 0.0, 0, 0});
        }
        assets.push_back({q, "资产总计", 0, totalYuan, 1.0, 0, 0});
        assets.push_back({q, "资产净值", 0, static_cast<double>(net) / 100.0,
                          gross > 0 ? Round(static_cast<double>(net) / gross, 6) : 0.0, 0, 0});
        if (q == quarters - 1 && rng.Chance(0.01)) // a withdrawn, wrong stock line
            assets.push_back({q, "股票", 0, totalYuan * 2, 2.0, 1, 0});

        if (parts[0] <= 0)
            continue;
        // Industry holdings: the stock position spread over the leaf industries around the market's
        // weights; index funds follow the market closely, active funds pick and leave out sectors.
        constexpr int kLeaves = static_cast<int>(std::size(kLeafIndustries));
        double leafWeights[kLeaves];
        double leafSum = 0.0;
        for (int k = 0; k < kLeaves; ++k) {
            const bool skipped = kind != Kind::Index && rng.Chance(0.25);
            leafWeights[k] = skipped ? 0.0
                                     : kLeafIndustries[k].weight *
                                           std::exp(rng.Normal(0.0, kind == Kind::Index ? 0.15 : 0.8));
            leafSum += leafWeights[k];
        }
        if (leafSum <= 0.0) {
            leafWeights[9] = 1.0; // machinery, the largest sector
            leafSum = 1.0;
        }
        std::int64_t leafCents[kLeaves];
        std::int64_t leafTotal = 0;
        int largest = 0;
        for (int k = 0; k < kLeaves; ++k) {
            leafCents[k] = static_cast<std::int64_t>(parts[0] * (leafWeights[k] / leafSum));
            leafTotal += leafCents[k];
            if (leafWeights[k] > leafWeights[largest])
                largest = k;
        }
        leafCents[largest] += parts[0] - leafTotal;
        const double netYuan = static_cast<double>(net) / 100.0;
        auto share = [&](double yuan) { return net > 0 ? Round(yuan / netYuan, 6) : 0.0; };
        std::int64_t manufacturing = 0;
        for (int k = 0; k < kLeaves; ++k)
            if (IsManufacturing(kLeafIndustries[k].id))
                manufacturing += leafCents[k];
        for (int k = 0; k < kLeaves; ++k) {
            if (kLeafIndustries[k].id == 4 && manufacturing > 0) {
                const double yuan = static_cast<double>(manufacturing) / 100.0;
                industries.push_back({q, nullptr, kManufacturingId, yuan, share(yuan), 0, 0});
            }
            if (leafCents[k] == 0)
                continue;
            const double yuan = static_cast<double>(leafCents[k]) / 100.0;
            industries.push_back({q, nullptr, kLeafIndustries[k].id, yuan, share(yuan), 0, 0});
        }
    }
    for (std::size_t k = 0; k < assets.size(); ++k)
        assets[k].id = fund.firstAssetId + static_cast<std::int64_t>(k);
    for (std::size_t k = 0; k < industries.size(); ++k)
        industries[k].id = fund.firstIndustryId + static_cast<std::int64_t>(k);
}

// Stock holdings cover the last two years of reports: the ten largest lines of each quarterly
// report, and every line of the last half-year and annual reports. Every line of every report would
// multiply the database's size; these are enough for each view of the holdings page.
constexpr int kStockReportQuarters = 8;

bool FullStockReport(int quarter, int quarters) {
    return quarter == quarters - 1 || quarter == quarters - 3;
}

// How many stocks a full report of a fund lists: an index fund holds its index, an equity fund a
// portfolio, a bond fund a few shares beside its bonds.
int FullListSize(Kind kind, Prng& rng) {
    switch (kind) {
    case Kind::Index:
        return rng.Between(150, 300);
    case Kind::Equity:
        return rng.Between(40, 120);
    case Kind::Hybrid:
        return rng.Between(25, 80);
    case Kind::ClosedEnd:
        return rng.Between(30, 70);
    case Kind::Innovative:
        return rng.Between(30, 80);
    case Kind::Qdii:
        return rng.Between(25, 60);
    case Kind::Collective:
        return rng.Between(10, 40);
    case Kind::Guaranteed:
        return rng.Between(5, 20);
    case Kind::Bond:
        return rng.Between(3, 12);
    case Kind::Money:
        return 0;
    }
    return 0;
}

// The stocks of the market, and one withdrawn row of an earlier name.
void WriteStocks(const StockMarket& stocks, Writer& out) {
    for (const StockInfo& stock : stocks.Stocks())
        out.stock.Row(stock.code, stock.name, stock.industryId, 0);
    const StockInfo& renamed = stocks.Stocks().front();
    out.stock.Row(renamed.code, renamed.name.substr(0, renamed.name.size() - 6) + "股份", renamed.industryId,
                  1);
}

// A fund's stock holdings: at each report date, its industry shares (leaf industries, from its
// industry rows) spread over stocks of those industries, numbered on from `id` in the order of the
// table's key. The fund's asset and industry rows are sorted by quarter.
void WriteStockHoldings(Context& context, const HoldingInputs& fund, const std::vector<HoldingRow>& assets,
                        const std::vector<HoldingRow>& industries, const std::vector<std::string>& dates,
                        const std::vector<double>& level, std::int64_t& id) {
    const int quarters = static_cast<int>(dates.size());
    Prng rng(context.options.seed, (std::uint64_t{4} << 32) + static_cast<std::uint64_t>(fund.index));
    StockFund stockFund{fund.index, fund.company, fund.style, fund.kind == Kind::Index,
                        FullListSize(fund.kind, rng)};
    if (stockFund.fullSize == 0 || industries.empty())
        return;
    StockPicker picker(*context.stocks, context.options.seed, stockFund);
    std::vector<std::pair<int, double>> shares;
    std::vector<StockLine> lines;
    std::size_t industryAt = 0, assetAt = 0;
    for (int q = std::max(0, quarters - kStockReportQuarters); q < quarters; ++q) {
        shares.clear();
        for (; industryAt < industries.size() && industries[industryAt].quarter <= q; ++industryAt) {
            const HoldingRow& row = industries[industryAt];
            if (row.quarter == q && row.deleted == 0 && row.industryid != kManufacturingId)
                shares.emplace_back(row.industryid, row.percent);
        }
        double net = 0.0;
        for (; assetAt < assets.size() && assets[assetAt].quarter <= q; ++assetAt) {
            const HoldingRow& row = assets[assetAt];
            if (row.quarter == q && row.deleted == 0 && std::strcmp(row.assettype, "资产净值") == 0)
                net = row.marketvalue;
        }
        if (shares.empty())
            continue;
        picker.Report(q, shares, net, level[static_cast<std::size_t>(q)], FullStockReport(q, quarters),
                      lines);
        // Now and then a wrong first line of the latest report, withdrawn.
        const bool misprint = q == quarters - 1 && rng.Chance(0.01);
        for (std::size_t k = 0; k < lines.size(); ++k) {
            const StockLine& line = lines[k];
            const StockInfo& stock = context.stocks->Stocks()[static_cast<std::size_t>(line.stock)];
            const auto rank = static_cast<std::int64_t>(k + 1);
            context.out.stockHolding.Row(++id, fund.code, dates[static_cast<std::size_t>(q)], rank,
                                         stock.code, stock.name, line.shares, line.marketvalue, line.percent,
                                         0);
            if (k == 0 && misprint)
                context.out.stockHolding.Row(++id, fund.code, dates[static_cast<std::size_t>(q)], rank,
                                             stock.code, stock.name, line.shares * 10, line.marketvalue * 10,
                                             line.percent * 10, 1);
        }
    }
}

// The holdings rows of every fund in the order of the tables' keys: funds by code, each fund's rows
// by report date, then asset type (industry, line), then the withdrawn flag. SQLite then fills the
// tables by appending, as it does the daily history.
void WriteHoldings(Context& context) {
    std::sort(context.holdings.begin(), context.holdings.end(),
              [](const HoldingInputs& a, const HoldingInputs& b) { return a.code < b.code; });
    const int quarters = context.market.weeks / kWeeksPerQuarter;
    std::vector<std::string> dates(static_cast<std::size_t>(quarters));
    for (int q = 0; q < quarters; ++q)
        dates[q] = CivilDays::Text(QuarterEndDay(context.market.firstYear + q / 4, q % 4 + 1));
    // The market's level at each quarter end, for the prices of the stocks held.
    std::vector<double> level(static_cast<std::size_t>(quarters), 1.0);
    double growth = 1.0;
    for (int t = 0; t < context.market.weeks; ++t) {
        growth *= 1.0 + context.market.index[static_cast<std::size_t>(t)];
        if (t % kWeeksPerQuarter == kWeeksPerQuarter - 1)
            level[static_cast<std::size_t>(t / kWeeksPerQuarter)] = growth;
    }
    std::int64_t stockId = 0;
    std::vector<HoldingRow> assets, industries;
    for (const HoldingInputs& fund : context.holdings) {
        MakeHoldings(context, fund, assets, industries);
        std::stable_sort(assets.begin(), assets.end(), [](const HoldingRow& a, const HoldingRow& b) {
            if (a.quarter != b.quarter)
                return a.quarter < b.quarter;
            // SQLite's BINARY collation compares the UTF-8 bytes, as strcmp does.
            const int order = std::strcmp(a.assettype, b.assettype);
            return order != 0 ? order < 0 : a.deleted < b.deleted;
        });
        std::stable_sort(industries.begin(), industries.end(), [](const HoldingRow& a, const HoldingRow& b) {
            return a.quarter != b.quarter         ? a.quarter < b.quarter
                   : a.industryid != b.industryid ? a.industryid < b.industryid
                                                  : a.deleted < b.deleted;
        });
        for (const HoldingRow& row : assets)
            context.out.asset.Row(row.id, fund.code, dates[row.quarter], row.assettype, row.marketvalue,
                                  row.percent, row.deleted);
        for (const HoldingRow& row : industries)
            context.out.industry.Row(row.id, fund.code, dates[row.quarter], row.industryid, row.marketvalue,
                                     row.percent, row.deleted);
        WriteStockHoldings(context, fund, assets, industries, dates, level, stockId);
    }
    context.holdings.clear();
}

// A fund's fees, as fund houses set them around 2010: yearly management and custody fees by type
// (equity about 1.5 % + 0.25 %, bond 0.3-0.7 %, money-market 0.15-0.33 %), subscription fees by
// amount falling to a fixed 1,000 yuan a purchase from 5 million, and redemption fees by holding
// period, 1.5 % under seven days as the mainland's rules ask. A C class charges a sales-service fee
// instead of a subscription fee and no redemption fee after 30 days; a money-market fund charges a
// sales-service fee and nothing to buy or sell. The closed forms trade on an exchange and have no
// tiers. A few funds have no fee data, a few a withdrawn earlier row. Drawn from the fund's own
// stream, so that the fees change none of the fund's other numbers.
void WriteFees(Context& context, int index, Kind kind, const char* style, const std::string& code,
               int inception) {
    Prng rng(context.options.seed, (std::uint64_t{2} << 32) + static_cast<std::uint64_t>(index));
    if (rng.Chance(0.01))
        return;
    Writer& out = context.out;
    constexpr double kNoEnd = std::numeric_limits<double>::infinity();
    constexpr double kWan = 10000.0;
    struct Tier {
        double lower, upper, rate, fixed; // a NaN rate or fixed fee is not given
    };
    const double none = std::numeric_limits<double>::quiet_NaN();
    auto pick = [&rng](std::initializer_list<double> values) {
        return *(values.begin() + rng.Below(static_cast<int>(values.size())));
    };
    auto rate = [&](double lower, double upper, double r) { return Tier{lower, upper, r, none}; };

    const bool closed = IsClosedForm(kind);
    const bool mayHaveC = kind == Kind::Equity || kind == Kind::Hybrid || kind == Kind::Bond ||
                          kind == Kind::Index || kind == Kind::Qdii;
    const bool classC = mayHaveC && rng.Chance(kind == Kind::Qdii ? 0.15 : 0.25);
    std::string shareClass = classC ? "C" : (!closed && rng.Chance(0.5)) ? "A" : "";
    double management = 0.0, custody = 0.0, sales = 0.0;
    double minPurchase = pick({10.0, 100.0, 1000.0});
    if (inception < CivilDays::FromDate(2006, 1, 1))
        minPurchase = 1000.0; // the older funds' first purchase
    std::vector<Tier> purchase, redemption;
    auto standardPurchase = [&](double first, double second) {
        purchase = {rate(0, 100 * kWan, first), rate(100 * kWan, 500 * kWan, second),
                    Tier{500 * kWan, kNoEnd, none, 1000.0}};
    };
    switch (kind) {
    case Kind::Equity:
    case Kind::Hybrid:
        management = rng.Chance(0.7) ? 0.015 : 0.012;
        custody = rng.Chance(0.7) ? 0.0025 : 0.002;
        if (rng.Chance(0.4))
            purchase = {rate(0, 50 * kWan, 0.015), rate(50 * kWan, 100 * kWan, 0.012),
                        rate(100 * kWan, 500 * kWan, 0.008), Tier{500 * kWan, kNoEnd, none, 1000.0}};
        else
            standardPurchase(0.015, 0.01);
        redemption = {rate(0, 7, 0.015), rate(7, 365, 0.005), rate(365, 730, 0.0025), rate(730, kNoEnd, 0.0)};
        break;
    case Kind::Index:
        if (std::strcmp(style, "增强指数型") == 0)
            management = pick({0.01, 0.012});
        else
            management = pick({0.005, 0.006, 0.0075, 0.01});
        custody = pick({0.001, 0.0015, 0.002});
        standardPurchase(pick({0.012, 0.01}), pick({0.008, 0.006}));
        redemption = {rate(0, 7, 0.015), rate(7, 365, 0.005), rate(365, 730, 0.0025), rate(730, kNoEnd, 0.0)};
        break;
    case Kind::Bond:
        management = pick({0.003, 0.004, 0.005, 0.006, 0.007});
        custody = pick({0.001, 0.0015, 0.002});
        standardPurchase(pick({0.008, 0.006}), pick({0.005, 0.004}));
        redemption = {rate(0, 7, 0.015), rate(7, 365, 0.001), rate(365, kNoEnd, 0.0)};
        break;
    case Kind::Guaranteed:
        management = 0.012;
        custody = 0.002;
        standardPurchase(0.012, 0.008);
        // Leaving before the guarantee's three years costs more than the usual half per cent.
        redemption = {rate(0, 7, 0.015), rate(7, 365, 0.02), rate(365, 730, 0.015), rate(730, 1095, 0.01),
                      rate(1095, kNoEnd, 0.0)};
        break;
    case Kind::Qdii:
        management = pick({0.015, 0.018});
        custody = pick({0.0025, 0.003, 0.0035});
        standardPurchase(0.016, 0.01);
        redemption = {rate(0, 7, 0.015), rate(7, 365, 0.005), rate(365, kNoEnd, 0.0)};
        break;
    case Kind::Money: {
        management = pick({0.0015, 0.002, 0.0025, 0.0033});
        custody = pick({0.0005, 0.0008, 0.001});
        const double u = rng.Uniform();
        shareClass = u < 0.6 ? "A" : u < 0.8 ? "B" : "";
        // The B class is for institutions: a large first purchase and almost no sales fee.
        sales = shareClass == "B" ? 0.0001 : 0.0025;
        minPurchase = shareClass == "B" ? 500 * kWan : pick({1.0, 100.0});
        purchase = {rate(0, kNoEnd, 0.0)};
        redemption = {rate(0, kNoEnd, 0.0)};
        break;
    }
    case Kind::ClosedEnd:
    case Kind::Innovative:
        management = 0.015;
        custody = 0.0025;
        break;
    case Kind::Collective:
        management = pick({0.01, 0.015});
        custody = 0.0025;
        break;
    }
    if (classC) {
        sales = kind == Kind::Bond    ? pick({0.003, 0.004})
                : kind == Kind::Index ? pick({0.002, 0.003, 0.004})
                                      : pick({0.004, 0.006});
        purchase = {rate(0, kNoEnd, 0.0)};
        redemption = {rate(0, 7, 0.015), rate(7, 30, kind == Kind::Bond ? 0.001 : 0.005),
                      rate(30, kNoEnd, 0.0)};
    }
    if (kind == Kind::ClosedEnd || kind == Kind::Innovative)
        minPurchase = none; // bought on the exchange, lot by lot
    else if (kind == Kind::Collective)
        minPurchase = 10 * kWan;

    auto given = [](double value) -> std::optional<double> {
        return std::isnan(value) || std::isinf(value) ? std::nullopt : std::optional<double>(value);
    };
    auto writeRow = [&](double managementFee, int deleted) {
        if (shareClass.empty())
            out.fee.Row(code, Null{}, managementFee, custody, sales, given(minPurchase), deleted);
        else
            out.fee.Row(code, shareClass, managementFee, custody, sales, given(minPurchase), deleted);
    };
    // A fee cut announced since: the old row stays, withdrawn, with one of its tiers.
    const bool cut = rng.Chance(0.02);
    if (cut)
        writeRow(management + 0.003, 1);
    writeRow(management, 0);
    for (const auto& [type, tiers] :
         {std::pair<int, const std::vector<Tier>*>{1, &purchase}, {2, &redemption}})
        for (const Tier& tier : *tiers)
            out.feeTier.Row(code, type, tier.lower, given(tier.upper), given(tier.rate), given(tier.fixed),
                            0);
    if (cut && !purchase.empty())
        out.feeTier.Row(code, 1, 0.0, given(purchase.front().upper), given(purchase.front().rate + 0.003),
                        given(purchase.front().fixed), 1);
}

void MakeFund(Context& context, int index, const FundSeed& seed) {
    Writer& out = context.out;
    const Market& market = context.market;
    const Profile& profile = kProfiles[static_cast<int>(seed.kind)];
    const Kind kind = seed.kind;
    Prng rng(context.options.seed, 1000 + static_cast<std::uint64_t>(index));

    // Identity.
    const bool broker = kind == Kind::Collective;
    const int companyIndex = broker ? rng.Below(static_cast<int>(std::size(kBrokers)))
                                    : PickCompany(rng, static_cast<int>(std::size(kFundCompanies)));
    const Company& company = broker ? kBrokers[companyIndex] : kFundCompanies[companyIndex];
    const std::string& companyGuid =
        broker ? context.brokerGuids[companyIndex] : context.fundCompanyGuids[companyIndex];
    const std::string code = FormatCode(kind == Kind::ClosedEnd || kind == Kind::Innovative
                                            ? TakeCode(context, rng, 150000, 184999)
                                        : broker ? TakeCode(context, rng, 900000, 999999)
                                                 : TakeCode(context, rng, 1, 599999));
    const char* investtype = PickNonNull(rng, profile.investtypes);
    const char* style = PickNonNull(rng, profile.styles);
    const FundName name = UniqueName(context, rng, kind, company, style);

    // Inception: a fifth of the funds (most closed-end ones) predate the reported years; the others
    // were launched during them, more of them recently, as the market grew.
    const int earliest = CivilDays::FromDate(1998, 3, 27);
    const int windowStart = CivilDays::FromDate(context.firstReportYear, 1, 1);
    const int latest = context.lastDay - 45;
    int inception;
    if (windowStart > earliest && rng.Chance(kind == Kind::ClosedEnd ? 0.8 : 0.2))
        inception = earliest + rng.Below(windowStart - earliest);
    else
        inception = windowStart + static_cast<int>((latest - windowStart) * std::pow(rng.Uniform(), 0.7));
    if (kind == Kind::Qdii)
        inception = std::max(inception, CivilDays::FromDate(2006, 9, 1) + rng.Below(400));
    if (kind == Kind::Money)
        inception = std::max(inception, CivilDays::FromDate(2003, 12, 30) + rng.Below(400));
    inception = std::min(inception, latest);
    const bool unknownDate = !IsClosedForm(kind) && rng.Chance(0.004);

    // The first week on the grid in which the fund existed for the whole week.
    int firstWeek = 0;
    while (firstWeek < market.weeks && market.StartDay(firstWeek) < inception)
        ++firstWeek;

    // Weekly returns, net values, shares and dividends.
    const double beta = rng.Uniform(profile.beta.low, profile.beta.high);
    const double alpha = rng.Normal(profile.alphaMean, profile.alphaSd) / kWeeksPerYear;
    const double noise = rng.Uniform(profile.noise.low, profile.noise.high) / std::sqrt(52.0);
    const double issueShares =
        std::round(std::pow(10.0, rng.Uniform(profile.issueLog10.low, profile.issueLog10.high)));
    const bool predates = inception < market.StartDay(0);
    double nav = predates ? Round(rng.Uniform(0.8, 1.6), 4) : 1.0;
    double dividends = predates && kind != Kind::Money ? Round(rng.Uniform(0.0, 0.5), 3) : 0.0;
    double shares = predates ? issueShares * rng.Uniform(0.6, 1.8) : issueShares;
    const int quarters = market.weeks / kWeeksPerQuarter;
    std::vector<double> r(market.weeks, 0.0);
    std::vector<double> navAtQuarter(quarters, 0.0), sharesAtQuarter(quarters, 0.0);
    std::vector<Payout> payouts;
    const double startUnit = nav, startDividends = dividends;
    for (int t = firstWeek; t < market.weeks; ++t) {
        const int year = market.YearOf(t);
        if (kind == Kind::Money) {
            r[t] = market.cashRate[year - market.firstYear] / kWeeksPerYear * rng.Uniform(0.8, 1.2);
        } else {
            r[t] = std::max(-0.4, alpha + beta * market.index[t] + noise * rng.Normal());
            nav *= 1.0 + r[t];
        }
        if (t % kWeeksPerQuarter == kWeeksPerQuarter - 1) {
            shares *= std::exp(rng.Normal(-0.005, kind == Kind::Money ? 0.2 : 0.1));
            navAtQuarter[t / kWeeksPerQuarter] = kind == Kind::Money ? 1.0 : nav;
            sharesAtQuarter[t / kWeeksPerQuarter] = shares;
        }
        if (t % kWeeksPerYear != kWeeksPerYear - 1)
            continue;
        const int payDayNumber = CivilDays::FromDate(year, 12, 10) + rng.Below(15);
        const std::string payDay = CivilDays::Text(payDayNumber);
        if (kind != Kind::Money && kind != Kind::Index && nav > 1.12 && rng.Chance(0.55)) {
            const double cash = Round((nav - 1.0) * rng.Uniform(0.3, 0.8), 3);
            if (cash >= 0.01) {
                nav -= cash;
                dividends += cash;
                payouts.push_back({payDayNumber, false, cash});
                out.bonus.Row(code, 0, cash, payDay, 0);
                if (rng.Chance(0.03)) // a withdrawn announcement of the same dividend
                    out.bonus.Row(code, 0, Round(cash * 2, 3), payDay, 1);
            }
        } else if (kind != Kind::Money && nav > 1.6 && rng.Chance(0.05)) {
            // A unit split brings the value back to 1; it is not a cash dividend. Its ratio is the
            // unit value on its day, which the daily path decides; the row is written then.
            shares *= Round(nav, 4);
            nav = 1.0;
            payouts.push_back({payDayNumber, true, 0.0});
        }
    }
    const bool young = firstWeek >= market.weeks;
    const int last = market.weeks;

    // The same weeks day by day, from the fund's first trading day (or the grid's first). Its rows
    // are written once every fund is made.
    DailyInputs daily{index, kind,      firstWeek,      inception, r,   beta,
                      noise, startUnit, startDividends, payouts,   code};
    Prng dailyRng = DailyStream(context.options, index);
    const NetValuePath path = WalkDailyPath(market, daily, dailyRng);
    if (WritesHistory(context.options, index))
        context.histories.push_back(std::move(daily));

    // The fund row and its facts.
    const double peoples = std::max(200.0, std::round(shares / rng.Uniform(20000.0, 150000.0)));
    out.fund.Row(code, code, name.name, name.pycode, profile.fundtype, investtype, style, companyGuid,
                 unknownDate ? std::string("0001-01-01") : CivilDays::Text(inception),
                 static_cast<std::int64_t>(peoples), Round(shares, 2), seed.delisted ? 1 : 0,
                 seed.deleted ? 1 : 0);
    const std::string issueDate = CivilDays::Text(inception - rng.Between(20, 45));
    if (kind == Kind::ClosedEnd || kind == Kind::Innovative) // only the closed forms trade on an exchange
        out.issue.Row(code, issueDate, issueShares, CivilDays::Text(inception + rng.Between(20, 60)), 0);
    else
        out.issue.Row(code, issueDate, issueShares, Null{}, 0);
    if (rng.Chance(0.99)) {
        int buy = 1, redeem = 1;
        if (kind == Kind::ClosedEnd || kind == Kind::Innovative) {
            buy = redeem = 0;
        } else if (broker) {
            buy = 0;
        } else {
            const double u = rng.Uniform();
            buy = u < 0.07 ? 0 : u < 0.12 ? 2 : 1;
            redeem = rng.Chance(0.03) ? 0 : 1;
        }
        out.state.Row(code, buy, redeem, 0);
    }

    // Managers: one or two current ones, and the ones they took over from.
    const int managerStart = std::max(inception, context.lastDay - 365 * rng.Between(1, 6));
    for (int k = rng.Chance(0.3) ? 2 : 1; k > 0; --k)
        out.manager.Row(code, AnyManager(context, rng), CivilDays::Text(managerStart + rng.Below(60)), Null{},
                        0);
    int handover = managerStart;
    for (int k = rng.Below(3); k > 0 && handover - inception > 180; --k) {
        const int start = inception + rng.Below(handover - inception - 90);
        out.manager.Row(code, AnyManager(context, rng), CivilDays::Text(start), CivilDays::Text(handover), 0);
        handover = start;
    }
    if (rng.Chance(0.01))
        out.manager.Row(code, AnyManager(context, rng), CivilDays::Text(managerStart), Null{}, 1);

    // Every figure of the daily path that the pages read, derived from the values as the history
    // table stores them, as the importer derives them from a user's history.
    std::vector<Derive::NavDay> days(path.unit.size());
    for (size_t k = 0; k < days.size(); ++k)
        days[k] = {market.calendar.days[path.first + k], Round(path.unit[k], 6), Round(path.total[k], 6)};
    const Derive::FundFigures figures = Derive::DeriveFund(days);
    for (const Payout& payout : path.applied)
        if (payout.split)
            out.bonus.Row(code, 1, payout.amount, market.calendar.text[payout.day], 0);
    if (!young && kind != Kind::Money) // keeps the fund's later random numbers where they were
        rng.Normal(0.0, noise / 4.0);
    const std::string lastDate = CivilDays::Text(figures.latestDay);
    if (rng.Chance(0.01)) // a withdrawn row of the day before
        out.currvalue.Row(code, CivilDays::Text(figures.latestDay - 1), Round(figures.unit * 0.97, 4),
                          Round(figures.total * 0.97, 4), Round(rng.Normal(0.0, 0.01), 6), 1);
    out.currvalue.Row(code, lastDate, figures.unit, figures.total, figures.dayGrowth, 0);
    const Derive::PeriodReturns& p = figures.periods;
    out.yield.Row(code, profile.fundtype, lastDate, p.lastweek, p.lastmonth, p.lastquarter, p.lasthalfyear,
                  p.thisyear, p.year1, p.year2, p.year3, p.year5, 0);
    if (rng.Chance(0.003))
        out.yield.Row(code, profile.fundtype, CivilDays::Text(figures.latestDay - 7), 0.5, 0.5, 0.5, 0.5, 0.5,
                      0.5, 0.5, 0.5, 0.5, 1);
    for (const Derive::YearReturn& year : figures.years)
        out.history.Row(code, Null{}, 1, year.year, Null{}, year.value, 0);
    for (const Derive::RiskFigures& risk : figures.risk)
        out.risk.Row(code, risk.years, lastDate, risk.annualReturn, risk.standard, 0);

    // Rating scores, ranked against the fund's peers once every fund is made.
    RatingScores scores{code, investtype, {}};
    for (int j = 0; j < kRatingDates; ++j) {
        const int end = last - kWeeksPerQuarter * (kRatingDates - 1 - j); // one past the quarter's last week
        for (int h = 0; h < 3; ++h) {
            const int from = end - kRatingYears[h] * kWeeksPerYear;
            scores.score[j][h] = std::numeric_limits<double>::quiet_NaN();
            if (from < firstWeek || kind == Kind::Money || broker || seed.deleted)
                continue;
            double mean = 0.0, squares = 0.0;
            for (int t = from; t < end; ++t) {
                mean += r[t];
                squares += r[t] * r[t];
            }
            const int n = end - from;
            mean /= n;
            const double sd = std::sqrt(std::max(squares / n - mean * mean, 1e-12));
            scores.score[j][h] = mean / sd;
        }
    }
    context.ratings.push_back(scores);

    // The holdings are written once every fund is made; here they are only counted, for their ids.
    HoldingInputs holdings;
    holdings.code = code;
    holdings.kind = kind;
    holdings.firstWeek = firstWeek;
    holdings.inception = inception;
    holdings.navAtQuarter = std::move(navAtQuarter);
    holdings.sharesAtQuarter = std::move(sharesAtQuarter);
    holdings.rng = rng;
    holdings.firstAssetId = context.assetRows + 1;
    holdings.firstIndustryId = context.industryRows + 1;
    holdings.index = index;
    holdings.company = broker ? 1000 + static_cast<std::uint64_t>(companyIndex) : companyIndex;
    holdings.style = style;
    std::vector<HoldingRow> assets, industries;
    MakeHoldings(context, holdings, assets, industries);
    context.assetRows += static_cast<std::int64_t>(assets.size());
    context.industryRows += static_cast<std::int64_t>(industries.size());
    context.holdings.push_back(std::move(holdings));

    WriteFees(context, index, kind, style, code, inception);
}

// 6. Ratings =======================================================================================

// Stars by rank among the funds of the same investment type: the top tenth five stars, the next
// 22.5 % four, the middle 35 % three, then two, and the last tenth one.
void WriteRatings(Context& context) {
    const int quarters = context.market.weeks / kWeeksPerQuarter;
    std::vector<std::vector<std::array<int, 3>>> stars(context.ratings.size(),
                                                       std::vector<std::array<int, 3>>(kRatingDates));
    std::vector<std::string> types;
    for (const RatingScores& fund : context.ratings)
        if (std::find(types.begin(), types.end(), fund.investtype) == types.end())
            types.push_back(fund.investtype);
    for (int j = 0; j < kRatingDates; ++j) {
        for (int h = 0; h < 3; ++h) {
            for (const std::string& type : types) {
                std::vector<std::pair<double, int>> ranked;
                for (int i = 0; i < static_cast<int>(context.ratings.size()); ++i) {
                    const RatingScores& fund = context.ratings[i];
                    if (fund.investtype == type && !std::isnan(fund.score[j][h]))
                        ranked.emplace_back(fund.score[j][h], i);
                }
                std::sort(ranked.begin(), ranked.end(), [](const auto& a, const auto& b) {
                    return a.first != b.first ? a.first > b.first : a.second < b.second;
                });
                const double n = static_cast<double>(ranked.size());
                for (int position = 0; position < static_cast<int>(ranked.size()); ++position) {
                    const double p = (position + 0.5) / n;
                    stars[ranked[position].second][j][h] = p < 0.1     ? 5
                                                           : p < 0.325 ? 4
                                                           : p < 0.675 ? 3
                                                           : p < 0.9   ? 2
                                                                       : 1;
                }
            }
        }
    }
    for (std::size_t i = 0; i < context.ratings.size(); ++i)
        for (int j = 0; j < kRatingDates; ++j) {
            const int q = quarters - kRatingDates + j;
            const std::string date =
                CivilDays::Text(QuarterEndDay(context.market.firstYear + q / 4, q % 4 + 1));
            for (int h = 0; h < 3; ++h)
                if (stars[i][j][h] > 0)
                    context.out.rating.Row(context.ratings[i].code, date, kRatingYears[h], stars[i][j][h], 0);
        }
}

std::string MakeGuid(Prng& rng) {
    char text[40];
    std::snprintf(text, sizeof text, "%08llX-%04llX-%04llX-%04llX-%012llX",
                  static_cast<unsigned long long>(rng.Next() & 0xFFFFFFFFull),
                  static_cast<unsigned long long>(rng.Next() & 0xFFFFull),
                  static_cast<unsigned long long>(rng.Next() & 0xFFFFull),
                  static_cast<unsigned long long>(rng.Next() & 0xFFFFull),
                  static_cast<unsigned long long>(rng.Next() & 0xFFFFFFFFFFFFull));
    return text;
}

// Every kind, and a deleted and a delisted fund, appear in any database of a dozen funds or more:
// the exclusions of the module's queries are then always exercised.
std::vector<FundSeed> PlanFunds(const Options& options) {
    Prng rng(options.seed, 3);
    std::vector<FundSeed> plan(options.funds);
    for (FundSeed& fund : plan) {
        double u = rng.Uniform();
        int k = 0;
        while (k < kKindCount - 1 && u >= kProfiles[k].share) {
            u -= kProfiles[k].share;
            ++k;
        }
        fund.kind = kProfiles[k].kind;
        fund.deleted = rng.Chance(0.006);
        fund.delisted = !fund.deleted && rng.Chance(0.012);
    }
    if (options.funds < 12)
        return plan;
    // Give the kinds and flags that chance left out to funds whose kind has others to spare.
    auto donor = [&]() -> FundSeed* {
        int counts[kKindCount] = {};
        for (const FundSeed& fund : plan)
            ++counts[static_cast<int>(fund.kind)];
        for (FundSeed& fund : plan)
            if (!fund.deleted && !fund.delisted && counts[static_cast<int>(fund.kind)] > 1)
                return &fund;
        return nullptr;
    };
    for (const Profile& profile : kProfiles)
        if (std::none_of(plan.begin(), plan.end(), [&](const FundSeed& f) { return f.kind == profile.kind; }))
            if (FundSeed* fund = donor())
                fund->kind = profile.kind;
    if (std::none_of(plan.begin(), plan.end(), [](const FundSeed& f) { return f.deleted; }))
        if (FundSeed* fund = donor())
            fund->deleted = true;
    if (std::none_of(plan.begin(), plan.end(), [](const FundSeed& f) { return f.delisted; }))
        if (FundSeed* fund = donor())
            fund->delisted = true;
    return plan;
}

// Makes every row of the database, in the order they are inserted, and sends them down `pipe`.
void MakeRows(RowPipe& pipe, const Options& options, Summary& summary) {
    BatchWriter writer(pipe);
    Writer out(writer);
    Prng rng(options.seed, 4);

    for (const Industry& industry : kLeafIndustries) {
        if (IsManufacturing(industry.id))
            out.industryName.Row(industry.id, industry.name, kManufacturingId);
        else
            out.industryName.Row(industry.id, industry.name, Null{});
    }
    out.industryName.Row(kManufacturingId, kManufacturingName, Null{});

    // The stocks come first: their table is small, and every fund's holdings name them.
    const StockMarket stocks(options.seed);
    WriteStocks(stocks, out);
    Context context{options, out,    MakeMarket(options, out), {}, {}, {}, {}, {}, {}, 0, 0, {}, {}, 0,
                    0,       &stocks};
    context.firstReportYear = kLastYear - options.years + 1;
    context.lastDay = CivilDays::FromDate(kLastYear, 12, 31);
    for (const Company& company : kFundCompanies) {
        context.fundCompanyGuids.push_back(MakeGuid(rng));
        out.advisor.Row(context.fundCompanyGuids.back(), company.fullName, company.shortName, 0);
    }
    // The first company's former name, withdrawn when it was renamed.
    out.advisor.Row(context.fundCompanyGuids.front(),
                    std::string(kFundCompanies[0].shortName) + "基金管理公司", kFundCompanies[0].shortName,
                    1);
    for (const Company& company : kBrokers) {
        context.brokerGuids.push_back(MakeGuid(rng));
        out.advisor.Row(context.brokerGuids.back(), company.fullName, company.shortName, 0);
    }
    const int poolSize = std::clamp(options.funds * 3 / 5, 40, 20000);
    for (int k = 0; k < poolSize; ++k)
        context.managerPool.push_back(std::string(Pick(rng, kSurnames)) + Pick(rng, kGivenNames));

    const std::vector<FundSeed> plan = PlanFunds(options);
    context.ratings.reserve(plan.size());
    for (int i = 0; i < static_cast<int>(plan.size()); ++i)
        MakeFund(context, i, plan[i]);
    WriteRatings(context);
    WriteHoldings(context);
    WriteNetValues(context);
    writer.Flush();
    summary.funds = out.fund.Rows();
    summary.rows = out.Rows();
}

// Fills the open database. The rows are made on a worker thread while this one inserts them, so
// that the numbers are worked out in the time SQLite spends on the rows before them.
void Populate(sqlite3* db, const Options& options, Summary& summary) {
    RowLoader loader(db, InsertStatements());
    // A few batches in flight keep both threads busy; more would only hold memory.
    RowPipe pipe(4);
    std::thread maker([&] {
        try {
            MakeRows(pipe, options, summary);
            pipe.Finish();
        } catch (const LoadStopped&) {
            pipe.Finish();
        } catch (...) {
            pipe.Finish(std::current_exception());
        }
    });
    try {
        RowBatch batch;
        while (pipe.Receive(batch)) {
            loader.Load(batch);
            pipe.Return(std::move(batch));
        }
    } catch (...) {
        pipe.Stop();
        maker.join();
        throw;
    }
    maker.join();
    if (loader.Rows() != summary.rows)
        throw SqliteError("the generator made " + std::to_string(summary.rows) + " rows but stored " +
                          std::to_string(loader.Rows()));
}

bool StartsWithCreateIndex(const char* text, const char* end) {
    // Skip blanks and "--" comments, then compare the first two words case-insensitively.
    while (text < end) {
        if (std::isspace(static_cast<unsigned char>(*text))) {
            ++text;
        } else if (end - text >= 2 && text[0] == '-' && text[1] == '-') {
            while (text < end && *text != '\n')
                ++text;
        } else {
            break;
        }
    }
    static constexpr char kPrefix[] = "create index";
    const std::size_t length = sizeof kPrefix - 1;
    if (static_cast<std::size_t>(end - text) < length)
        return false;
    for (std::size_t k = 0; k < length; ++k)
        if (std::tolower(static_cast<unsigned char>(text[k])) != kPrefix[k])
            return false;
    return true;
}

} // namespace

void CreateSchema(sqlite3* db, std::string* deferredIndexes) {
    const char* sql = SchemaSql();
    const char* end = sql + std::strlen(sql);
    while (sql < end) {
        sqlite3_stmt* raw = nullptr;
        const char* tail = nullptr;
        if (sqlite3_prepare_v2(db, sql, static_cast<int>(end - sql), &raw, &tail) != SQLITE_OK)
            throw SqliteError(sqlite3_errmsg(db));
        StatementHandle statement(raw);
        if (statement != nullptr) {
            if (deferredIndexes != nullptr && StartsWithCreateIndex(sql, tail)) {
                deferredIndexes->append(sql, tail);
                deferredIndexes->push_back('\n');
            } else if (sqlite3_step(statement.get()) != SQLITE_DONE) {
                throw SqliteError(sqlite3_errmsg(db));
            }
        }
        if (tail == nullptr || tail == sql)
            break;
        sql = tail;
    }
}

const char* BuildSettingsSql() {
    // The file is private until it is renamed, so durability during the build buys nothing: no
    // journal, no syncs, one lock for the whole build; the file is synced once, whole, at the end.
    // The sorter that builds the indexes keeps its sorted runs in temporary files rather than in
    // memory: on the largest tables that was faster, and the memory stays bounded. The page size
    // stays SQLite's default: larger pages build faster but make the readers' per-fund lookups slower.
    return "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; PRAGMA locking_mode=EXCLUSIVE;"
           " PRAGMA cache_size=-65536;";
}

void FinishBuild(sqlite3* db, const std::string& deferredIndexes) {
    // Building an index from a finished table is much cheaper than keeping it up to date row by
    // row. The sort runs on this thread alone: helper threads cost more processor time than they
    // saved on a two-core machine that is busy with other work too, and finished later there.
    Exec(db, "PRAGMA threads=0");
    Exec(db, deferredIndexes);
    // Statistics for the planner of every reader, so that it prefers the per-fund indexes. The
    // largest tables (the daily histories and the report-date holdings) get statistics from a sample
    // of each index: counting every row of them took seconds, and the readers' statements get the
    // same plans either way (the data tests compare them with the plans of a full count).
    static const char* const kSampledTables[] = {"tb_netvaluehistory", "tb_indexhistory", "tb_investindustry",
                                                 "tb_assetallocation", "tb_stockholding"};
    std::vector<std::string> tables;
    StatementHandle names = Prepare(db, "select name from sqlite_master where type = 'table'"
                                        " and name not like 'sqlite%' order by name");
    while (sqlite3_step(names.get()) == SQLITE_ROW)
        tables.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(names.get(), 0)));
    names.reset();
    std::string full, sampled;
    for (const std::string& table : tables)
        (std::find(std::begin(kSampledTables), std::end(kSampledTables), table) != std::end(kSampledTables)
             ? sampled
             : full) += "ANALYZE \"" + table + "\";";
    Exec(db, full);
    Exec(db, "PRAGMA analysis_limit=1000;" + sampled + "PRAGMA analysis_limit=0;");
}

namespace {

// The temporary file of the build in progress, for RemoveUnfinishedFile; a fixed buffer, because a
// signal handler may read it. Only one build at a time registers: concurrent builds happen only
// inside test and benchmark programs, which are not stopped by a signal that should clean up.
char g_unfinished[4096];
std::atomic<int> g_unfinishedState{0}; // 0 free, 1 being written, 2 holds a path

bool RegisterUnfinished(const std::string& temporary) {
    int expected = 0;
    if (temporary.size() >= sizeof g_unfinished || !g_unfinishedState.compare_exchange_strong(expected, 1))
        return false;
    std::memcpy(g_unfinished, temporary.c_str(), temporary.size() + 1);
    g_unfinishedState.store(2);
    return true;
}

void UnregisterUnfinished(bool registered) {
    if (registered)
        g_unfinishedState.store(0);
}

// Makes sure that a finished rename survives a crash of the machine too.
void SyncFolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return; // the file is complete and in place; only its durability is in doubt
    ::fsync(fd);
    ::close(fd);
}

} // namespace

void RemoveUnfinishedFile() {
    if (g_unfinishedState.load() == 2)
        ::unlink(g_unfinished);
}

std::string Generate(const std::string& path, const Options& options, Summary* summary) {
    if (options.funds < 1 || options.funds > kMaxFunds)
        return "the fund count must be between 1 and " + std::to_string(kMaxFunds);
    if (options.years < 1 || options.years > kMaxYears)
        return "the number of years must be between 1 and " + std::to_string(kMaxYears);
    if (path.empty())
        return "no output file given";

    // Beside the target, so that the rename below stays within one file system; unique to this
    // build, so that two builds of the same target never write into one file.
    static std::atomic<unsigned> builds{0};
    const std::string temporary =
        path + ".tmp." + std::to_string(::getpid()) + "." + std::to_string(builds.fetch_add(1));
    std::remove(temporary.c_str());
    const bool registered = RegisterUnfinished(temporary);
    try {
        {
            SqliteHandle db = OpenDatabase(temporary, true, true);
            Exec(db.get(), BuildSettingsSql());
            Exec(db.get(), "PRAGMA application_id=" + std::to_string(kApplicationId));
            std::string indexes;
            CreateSchema(db.get(), &indexes);
            Exec(db.get(), "BEGIN");
            Summary made;
            Populate(db.get(), options, made);
            Exec(db.get(), "COMMIT");
            if (summary != nullptr)
                *summary = made;
            FinishBuild(db.get(), indexes);
        }
        const int fd = ::open(temporary.c_str(), O_RDONLY);
        if (fd < 0 || ::fsync(fd) != 0) {
            const std::string reason = std::strerror(errno);
            if (fd >= 0)
                ::close(fd);
            throw SqliteError("cannot sync " + temporary + ": " + reason);
        }
        ::close(fd);
        if (std::rename(temporary.c_str(), path.c_str()) != 0)
            throw SqliteError("cannot rename " + temporary + " to " + path + ": " + std::strerror(errno));
        UnregisterUnfinished(registered);
        SyncFolderOf(path);
    } catch (const std::exception& error) {
        std::remove(temporary.c_str());
        UnregisterUnfinished(registered);
        return error.what();
    }
    return {};
}

} // namespace SampleDb
