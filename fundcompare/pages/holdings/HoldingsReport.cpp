// HoldingsReport: the reading of the holdings statements and the making of the stock list.
#include "pages/holdings/HoldingsReport.h"

#include "pages/common/SqlCodeList.h"
#include "pages/holdings/HoldingsQueries.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

double NumberOrNaN(Data::IStatement* statement, int column) {
    double value = 0;
    return statement->GetNumber(column, value) ? value : kNaN;
}

bool Run(Data::IDatabase* database, const XStringW& sql, XComPtr<Data::IStatement>& statement,
         XStringW& error) {
    statement.Reset();
    if (!database->Query(statement.Receive(), sql.c_str(), error) || !statement) {
        if (error.empty())
            error = L"no statement";
        return false;
    }
    return true;
}

// A statement that breaks off mid-way is a failure: its first rows are no whole answer.
bool Finished(Data::IStatement* statement, XStringW& error) {
    statement->GetError(error);
    return error.empty();
}

// Whether a report lists every holding of the fund: the half-year and annual reports do (dates at
// the end of June or December), the quarterly ones only their ten largest; a report of more than
// ten lines lists more than its ten largest whatever its date.
bool ListsEveryHolding(const XStringW& date, size_t lines) {
    const std::wstring& text = date.str();
    const std::wstring month = text.size() >= 7 ? text.substr(5, 2) : std::wstring();
    return lines > 10 || month == L"06" || month == L"12";
}

} // namespace

bool HoldingsReport::ProbeTables(Data::IDatabase* database, bool& hasHoldings, bool& hasStocks,
                                 XStringW& error) {
    hasHoldings = hasStocks = false;
    XComPtr<Data::IStatement> statement;
    if (!Run(database, kHoldingsTablesQuery, statement, error))
        return false;
    XStringW name;
    while (statement->Next()) {
        statement->GetString(name, 0);
        if (name == XStringW(L"tb_stockholding"))
            hasHoldings = true;
        else if (name == XStringW(L"tb_stock"))
            hasStocks = true;
    }
    return Finished(statement, error);
}

void HoldingsReport::Clear() {
    *this = HoldingsReport();
}

bool HoldingsReport::Load(Data::IDatabase* database, bool hasStocks, const std::vector<XStringW>& codes,
                          const XStringW& date, XStringW& error) {
    const XStringW list = SqlCodeList::Parenthesized(codes);
    HoldingsReport next;
    next.m_date = date;
    std::map<XStringW, size_t> fundAt;
    for (const XStringW& code : codes) {
        fundAt.emplace(code, next.m_funds.size());
        next.m_funds.push_back({code, code, XStringW(), false});
    }

    XComPtr<Data::IStatement> statement;
    if (!Run(database, XStringW(kHoldingsFundNamesQuery) + list, statement, error))
        return false;
    XStringW code;
    while (statement->Next()) {
        statement->GetString(code, 0);
        auto found = fundAt.find(code);
        if (found == fundAt.end())
            continue;
        Fund& fund = next.m_funds[found->second];
        statement->GetString(fund.aliascode, 1);
        statement->GetString(fund.name, 2);
        if (fund.aliascode.empty())
            fund.aliascode = fund.code;
    }
    if (!Finished(statement, error))
        return false;

    const XStringW sql = XStringW(hasStocks ? kHoldingsLinesHead : kHoldingsLinesNoStocksHead) + L"'" +
                         SqlCodeList::EscapeLiteral(date) + L"'" + kHoldingsLinesTail + list +
                         kHoldingsLinesOrder;
    if (!Run(database, sql, statement, error))
        return false;
    // Stocks are told apart by their code's bytes, read without making wide text of every line: a
    // report of all holdings has hundreds of lines per fund and most name a stock seen already.
    std::unordered_map<std::string, int> stockAt;
    std::vector<std::vector<HoldingsOverlap::Weight>> lines(next.m_funds.size());
    std::string lastFundBytes;
    size_t fund = 0;
    bool knownFund = false;
    while (statement->Next()) {
        const std::string_view fundBytes = statement->GetUtf8(0);
        if (fundBytes != lastFundBytes) {
            lastFundBytes.assign(fundBytes);
            statement->GetString(code, 0);
            auto found = fundAt.find(code);
            knownFund = found != fundAt.end();
            fund = knownFund ? found->second : 0;
        }
        if (!knownFund)
            continue;
        const std::string_view stockBytes = statement->GetUtf8(1);
        auto [at, added] =
            stockAt.try_emplace(std::string(stockBytes), static_cast<int>(next.m_stocks.size()));
        if (added) {
            Stock stock;
            statement->GetString(stock.code, 1);
            statement->GetString(stock.name, 2);
            statement->GetString(stock.industry, 3);
            next.m_stocks.push_back(std::move(stock));
        }
        next.m_funds[fund].reported = true;
        lines[fund].push_back({at->second, NumberOrNaN(statement, 6)});
    }
    if (!Finished(statement, error))
        return false;
    next.m_stockPortfolios.reserve(next.m_funds.size());
    for (size_t f = 0; f < next.m_funds.size(); ++f)
        next.m_stockPortfolios.push_back(
            HoldingsOverlap::Make(std::move(lines[f]), next.m_funds[f].reported));
    *this = std::move(next);
    return true;
}

bool HoldingsReport::LoadIndustries(Data::IDatabase* database, XStringW& error) {
    std::vector<XStringW> codes;
    std::map<XStringW, size_t> fundAt;
    for (const Fund& fund : m_funds) {
        fundAt.emplace(fund.code, codes.size());
        codes.push_back(fund.code);
    }
    const XStringW sql = XStringW(kHoldingsIndustriesHead) + L"'" + SqlCodeList::EscapeLiteral(m_date) +
                         L"'" + kHoldingsIndustriesTail + SqlCodeList::Parenthesized(codes);
    XComPtr<Data::IStatement> statement;
    if (!Run(database, sql, statement, error))
        return false;
    std::vector<XStringW> industries;
    std::map<XStringW, int> industryAt;
    std::vector<std::vector<HoldingsOverlap::Weight>> lines(m_funds.size());
    std::vector<bool> reported(m_funds.size(), false);
    XStringW code, name;
    while (statement->Next()) {
        statement->GetString(code, 0);
        auto found = fundAt.find(code);
        if (found == fundAt.end())
            continue;
        statement->GetString(name, 1);
        auto [at, added] = industryAt.try_emplace(name, static_cast<int>(industries.size()));
        if (added)
            industries.push_back(name);
        reported[found->second] = true;
        lines[found->second].push_back({at->second, NumberOrNaN(statement, 2)});
    }
    if (!Finished(statement, error))
        return false;
    m_industries = std::move(industries);
    m_industryPortfolios.clear();
    for (size_t f = 0; f < m_funds.size(); ++f)
        m_industryPortfolios.push_back(HoldingsOverlap::Make(std::move(lines[f]), reported[f]));
    m_industriesLoaded = true;
    return true;
}

int HoldingsReport::ReportedFunds() const {
    return static_cast<int>(
        std::count_if(m_funds.begin(), m_funds.end(), [](const Fund& fund) { return fund.reported; }));
}

std::vector<HoldingsReport::StockRow> HoldingsReport::StockRows() const {
    const size_t funds = m_funds.size();
    std::vector<StockRow> rows(m_stocks.size());
    for (size_t s = 0; s < rows.size(); ++s) {
        rows[s].stock = static_cast<int>(s);
        rows[s].weights.resize(funds, 0.0);
    }
    for (size_t f = 0; f < funds; ++f) {
        if (!m_stockPortfolios[f].reported) {
            for (StockRow& row : rows)
                row.weights[f] = kNaN;
            continue;
        }
        for (const HoldingsOverlap::Weight& weight : m_stockPortfolios[f].weights) {
            StockRow& row = rows[static_cast<size_t>(weight.key)];
            row.weights[f] = weight.weight;
            ++row.holders;
            row.total += weight.weight;
        }
    }
    std::stable_sort(rows.begin(), rows.end(), [this](const StockRow& a, const StockRow& b) {
        if (a.holders != b.holders)
            return a.holders > b.holders;
        if (a.total != b.total)
            return a.total > b.total;
        return m_stocks[static_cast<size_t>(a.stock)].code.compare(
                   m_stocks[static_cast<size_t>(b.stock)].code, false) < 0;
    });
    return rows;
}

bool HoldingsReport::LoadFund(Data::IDatabase* database, bool hasStocks, const XStringW& code,
                              std::vector<FundLine>& lines, XStringW& error) {
    const XStringW sql = XStringW(hasStocks ? kFundLinesHead : kFundLinesNoStocksHead) + L"'" +
                         SqlCodeList::EscapeLiteral(code) + L"'" + kFundLinesTail;
    XComPtr<Data::IStatement> statement;
    if (!Run(database, sql, statement, error))
        return false;
    std::vector<FundLine> read;
    while (statement->Next()) {
        FundLine line;
        statement->GetString(line.date, 0);
        statement->GetString(line.stockcode, 1);
        statement->GetString(line.stockname, 2);
        statement->GetString(line.industry, 3);
        line.shares = NumberOrNaN(statement, 4);
        line.marketValue = NumberOrNaN(statement, 5);
        line.percent = NumberOrNaN(statement, 6);
        read.push_back(std::move(line));
    }
    if (!Finished(statement, error))
        return false;
    // The change of a stock's weight: against its weight in the report before (the lines of one
    // stock in a report added up). The first report has nothing to compare with.
    std::map<XStringW, double> previous, current;
    bool hasPrevious = false;
    bool previousComplete = false;
    size_t begin = 0;
    while (begin < read.size()) {
        size_t end = begin;
        current.clear();
        while (end < read.size() && read[end].date == read[begin].date) {
            if (std::isfinite(read[end].percent))
                current[read[end].stockcode] += read[end].percent;
            else
                current.emplace(read[end].stockcode, 0.0);
            ++end;
        }
        for (size_t k = begin; k < end; ++k) {
            FundLine& line = read[k];
            auto before = previous.find(line.stockcode);
            if (!hasPrevious) {
                line.change = kNaN;
            } else if (before == previous.end()) {
                // A first- or third-quarter report discloses only the ten largest holdings: a stock
                // missing there may well have been held below them, so it is not called new.
                line.isNew = previousComplete;
                line.change = kNaN;
            } else {
                line.change = current[line.stockcode] - before->second;
            }
        }
        previous.swap(current);
        hasPrevious = true;
        previousComplete = ListsEveryHolding(read[begin].date, end - begin);
        begin = end;
    }
    // Latest report first: what a user opens the list for.
    lines.clear();
    lines.reserve(read.size());
    size_t end = read.size();
    while (end > 0) {
        size_t start = end - 1;
        while (start > 0 && read[start - 1].date == read[end - 1].date)
            --start;
        for (size_t k = start; k < end; ++k)
            lines.push_back(std::move(read[k]));
        end = start;
    }
    return true;
}
