// FeeBook: reading fees, tiers and managers through the host database.
#include "pages/fees/FeeBook.h"

#include "pages/common/SqlCodeList.h"
#include "pages/fees/FeeQueries.h"

#include <sdk/XComPtr.h>

#include <cmath>
#include <set>
#include <string>

namespace {

bool Run(Data::IDatabase* database, const XStringW& sql, XComPtr<Data::IStatement>& statement,
         XStringW& error) {
    statement.Reset();
    if (database->Query(statement.Receive(), sql.c_str(), error) && statement != nullptr)
        return true;
    if (error.empty())
        database->GetLastError(error);
    statement.Reset();
    return false;
}

bool Finished(Data::IStatement* statement, XStringW& error) {
    statement->GetError(error);
    return error.empty();
}

// A stored number, NaN for null, text or anything not finite.
double NumberAt(Data::IStatement* statement, int column) {
    double value = 0.0;
    return statement->GetNumber(column, value) && std::isfinite(value) ? value : FeeTier::kNone;
}

XStringW TextAt(Data::IStatement* statement, int column) {
    return XStringW::FromUtf8(statement->GetUtf8(column));
}

} // namespace

void FeeBook::Clear() {
    m_feeStatus = FeeStatus::kNotLoaded;
    m_managersLoaded = false;
    m_funds.clear();
    m_stints.clear();
    m_fundsRun.clear();
}

const FundFees* FeeBook::Find(const XStringW& code) const {
    for (const FundFees& fund : m_funds)
        if (fund.code == code)
            return &fund;
    return nullptr;
}

const std::vector<ManagerStint>& FeeBook::Stints(const XStringW& code) const {
    static const std::vector<ManagerStint> kNone;
    auto found = m_stints.find(code);
    return found != m_stints.end() ? found->second : kNone;
}

int FeeBook::FundsRun(const XStringW& manager) const {
    auto found = m_fundsRun.find(manager);
    return found != m_fundsRun.end() ? found->second : -1;
}

bool FeeBook::LoadFees(Data::IDatabase* database, const std::vector<XStringW>& codes, XStringW& error) {
    error.clear();
    if (database == nullptr)
        return true;
    XComPtr<Data::IStatement> statement;
    if (!Run(database, kFeeTablesQuery, statement, error))
        return false;
    std::set<XStringW> tables;
    while (statement->Next())
        tables.insert(TextAt(statement, 0));
    if (!Finished(statement, error))
        return false;
    const bool hasFees = tables.count(XStringW(L"tb_fundfee")) != 0;
    const bool hasTiers = tables.count(XStringW(L"tb_fundfeetier")) != 0;

    std::map<XStringW, FundFees> read;
    const XStringW list = SqlCodeList::Parenthesized(codes);
    XStringW sql;
    sql.Format(hasFees ? kFundFeesQuery : kFundNamesOnlyQuery, list.c_str());
    if (!Run(database, sql, statement, error))
        return false;
    while (statement->Next()) {
        const XStringW code = TextAt(statement, 0);
        // Of several live fee rows, the newest (the highest id, first in the order) counts.
        if (read.count(code) != 0)
            continue;
        FundFees& fund = read[code];
        fund.code = code;
        fund.aliascode = TextAt(statement, 1);
        if (fund.aliascode.empty())
            fund.aliascode = code;
        fund.name = TextAt(statement, 2);
        fund.investType = TextAt(statement, hasFees ? 9 : 3);
        if (hasFees && std::isfinite(NumberAt(statement, 3))) {
            fund.known = true;
            fund.shareClass = TextAt(statement, 4);
            fund.management = NumberAt(statement, 5);
            fund.custody = NumberAt(statement, 6);
            fund.sales = NumberAt(statement, 7);
            fund.minPurchase = NumberAt(statement, 8);
        }
    }
    if (!Finished(statement, error))
        return false;

    if (hasTiers) {
        sql.Format(kFeeTiersQuery, list.c_str());
        if (!Run(database, sql, statement, error))
            return false;
        // The tiers come by code: a fund's rows follow each other, so the fund is looked up once.
        auto found = read.end();
        std::string code;
        while (statement->Next()) {
            const std::string_view utf8 = statement->GetUtf8(0);
            if (found == read.end() || utf8 != code) {
                code.assign(utf8);
                found = read.find(XStringW::FromUtf8(code));
            }
            const double type = NumberAt(statement, 1);
            if (found == read.end() || (type != 1.0 && type != 2.0))
                continue;
            FeeTier tier;
            tier.lower = NumberAt(statement, 2);
            const double upper = NumberAt(statement, 3);
            tier.upper = std::isnan(upper) ? FeeTier::kNoEnd : upper;
            tier.rate = NumberAt(statement, 4);
            tier.fixed = NumberAt(statement, 5);
            // A tier without a lower bound or a fee says nothing a user could rely on.
            if (std::isnan(tier.lower) || (std::isnan(tier.rate) && std::isnan(tier.fixed)))
                continue;
            (type == 1.0 ? found->second.purchase : found->second.redemption).push_back(tier);
            found->second.known = true;
        }
        if (!Finished(statement, error))
            return false;
    }

    m_funds.clear();
    for (const XStringW& code : codes) {
        auto found = read.find(code);
        if (found != read.end())
            m_funds.push_back(std::move(found->second));
    }
    m_feeStatus = hasFees || hasTiers ? FeeStatus::kReady : FeeStatus::kNoFeeTables;
    return true;
}

bool FeeBook::LoadManagers(Data::IDatabase* database, const std::vector<XStringW>& codes, XStringW& error) {
    error.clear();
    if (database == nullptr)
        return true;
    XComPtr<Data::IStatement> statement;
    XStringW sql;
    sql.Format(kManagersQuery, SqlCodeList::Parenthesized(codes).c_str());
    if (!Run(database, sql, statement, error))
        return false;
    std::map<XStringW, std::vector<ManagerStint>> stints;
    std::set<XStringW> current;
    while (statement->Next()) {
        ManagerStint stint;
        stint.name = TextAt(statement, 1);
        stint.start = ManagerRecord::ParseDay(TextAt(statement, 2));
        const XStringW end = TextAt(statement, 3);
        stint.end = end.empty() ? -1 : ManagerRecord::ParseDay(end);
        // An end that is no date is not taken for a manager still in charge.
        if (!end.empty() && stint.end < 0)
            continue;
        if (stint.end < 0)
            current.insert(stint.name);
        stints[TextAt(statement, 0)].push_back(std::move(stint));
    }
    if (!Finished(statement, error))
        return false;

    std::map<XStringW, int> fundsRun;
    if (!current.empty()) {
        sql.Format(kManagerFundCountQuery, SqlCodeList::Parenthesized(current).c_str());
        if (!Run(database, sql, statement, error))
            return false;
        while (statement->Next())
            fundsRun[TextAt(statement, 0)] = static_cast<int>(NumberAt(statement, 1));
        if (!Finished(statement, error))
            return false;
    }
    m_stints = std::move(stints);
    m_fundsRun = std::move(fundsRun);
    m_managersLoaded = true;
    return true;
}
