// HoldingsReport: what the holdings page shows, read from the database. For the compared funds at
// one report date: their names, every line of their reports (stock, industry, shares, value, share
// of net assets) and, on demand, their industry weights; for one fund: its lines at every report
// date with the change of each stock's weight since the report before.
//
// The report is replaced as a whole by each read: a failed read leaves the one before untouched, so
// that the page keeps what it showed.
#pragma once

#include "pages/holdings/HoldingsOverlap.h"

#include <sdk/Data.h>
#include <sdk/XComPtr.h>
#include <sdk/XStringW.h>

#include <string>
#include <unordered_map>
#include <vector>

class HoldingsReport {
public:
    struct Fund {
        XStringW code;
        XStringW aliascode;
        XStringW name;
        bool reported = false; // has lines at the date
    };
    struct Stock {
        XStringW code;
        XStringW name; // as the first line that names it gives it
        XStringW industry;
    };
    // One stock of the 重仓股 list: its weight in each compared fund (in Funds() order; NaN for a
    // fund without a report, 0 for one that does not hold it), how many hold it and the sum.
    struct StockRow {
        int stock = 0;
        std::vector<double> weights;
        int holders = 0;
        double total = 0;
    };
    // One line of a fund's report at a date, for the single-fund list.
    struct FundLine {
        XStringW date;
        XStringW stockcode;
        XStringW stockname;
        XStringW industry;
        double shares = 0;      // NaN when not given
        double marketValue = 0; // NaN when not given
        double percent = 0;     // NaN when not given
        double change = 0;      // since the report before; NaN for the first report or a new stock
        bool isNew = false;     // the report before did not list the stock
    };

    // Which holdings tables the database has; false with the reason when it cannot be asked.
    static bool ProbeTables(Data::IDatabase* database, bool& hasHoldings, bool& hasStocks, XStringW& error);

    // Reads the funds' names and their lines at the date. `codes` in the compared set's order.
    bool Load(Data::IDatabase* database, bool hasStocks, const std::vector<XStringW>& codes,
              const XStringW& date, XStringW& error);
    // Reads the funds' industry weights at the report's date (once per report).
    bool LoadIndustries(Data::IDatabase* database, XStringW& error);
    bool IndustriesLoaded() const { return m_industriesLoaded; }
    void Clear();

    const XStringW& Date() const { return m_date; }
    const std::vector<Fund>& Funds() const { return m_funds; }
    const std::vector<Stock>& Stocks() const { return m_stocks; }
    const std::vector<XStringW>& Industries() const { return m_industries; }
    // Each fund's stocks and industries as portfolios, in Funds() order.
    const std::vector<HoldingsOverlap::Portfolio>& StockPortfolios() const { return m_stockPortfolios; }
    const std::vector<HoldingsOverlap::Portfolio>& IndustryPortfolios() const { return m_industryPortfolios; }
    // Every stock that a fund holds, the most widely held first, then by the summed weight, then by
    // code.
    std::vector<StockRow> StockRows() const;
    int ReportedFunds() const;

    // A fund's lines at every report date, latest report first and each report in its own order.
    static bool LoadFund(Data::IDatabase* database, bool hasStocks, const XStringW& code,
                         std::vector<FundLine>& lines, XStringW& error);

private:
    XStringW m_date;
    std::vector<Fund> m_funds;
    std::vector<Stock> m_stocks;
    std::vector<XStringW> m_industries;
    std::vector<HoldingsOverlap::Portfolio> m_stockPortfolios;
    std::vector<HoldingsOverlap::Portfolio> m_industryPortfolios;
    bool m_industriesLoaded = false;
};
