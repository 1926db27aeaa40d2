// GrowthHistory: reading fund and index histories through the host database.
#include "pages/growth/GrowthHistory.h"

#include "pages/common/CalendarDate.h"
#include "pages/common/SqlCodeList.h"
#include "pages/growth/GrowthDates.h"
#include "pages/growth/GrowthQueries.h"

#include <sdk/XComPtr.h>

#include <set>

namespace {

// A statement, or false with the reason.
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

// A statement that broke off part way tells why through GetError; running out of rows is silent.
bool Finished(Data::IStatement* statement, XStringW& error) {
    statement->GetError(error);
    return error.empty();
}

// Today as a day number: no history row can be later.
int Today() {
    const CalendarDate today = CalendarDate::FromLocalClock();
    return GrowthDates::FromCivil(today.year, today.month, today.day);
}

XStringW Quoted(const XStringW& text) {
    return XStringW(L"'") + SqlCodeList::EscapeLiteral(text) + XStringW(L"'");
}

} // namespace

void GrowthHistory::Clear() {
    m_status = Status::kNotLoaded;
    m_hasIndexTable = false;
    m_indexRead = false;
    m_funds.clear();
    m_index = GrowthSeries();
    m_fundReads = 0;
}

bool GrowthHistory::NeedsReading(const std::vector<XStringW>& codes) const {
    if (m_status == Status::kNotLoaded)
        return true;
    if (m_status == Status::kNoHistory)
        return false;
    if (!m_indexRead)
        return true;
    for (const XStringW& code : codes)
        if (m_funds.count(code) == 0)
            return true;
    return false;
}

void GrowthHistory::Merge(GrowthHistory&& other) {
    if (other.m_status == Status::kNotLoaded)
        return;
    if (m_status == Status::kNotLoaded) {
        m_status = other.m_status;
        m_hasIndexTable = other.m_hasIndexTable;
    }
    if (!m_indexRead && other.m_indexRead) {
        m_index = std::move(other.m_index);
        m_indexRead = true;
    }
    for (auto& [code, series] : other.m_funds)
        m_funds.emplace(code, std::move(series));
    m_fundReads += other.m_fundReads;
    other.Clear();
}

const GrowthSeries* GrowthHistory::Find(const XStringW& code) const {
    auto found = m_funds.find(code);
    return found != m_funds.end() ? &found->second : nullptr;
}

bool GrowthHistory::Sync(Data::IDatabase* database, const std::vector<XStringW>& codes, XStringW& error) {
    error.clear();
    if (database == nullptr)
        return true;
    if (m_status == Status::kNotLoaded && !CheckTables(database, error))
        return false;
    if (m_status == Status::kNoHistory)
        return true;
    if (!m_indexRead && !ReadIndex(database, error))
        return false;

    const std::set<XStringW> wanted(codes.begin(), codes.end());
    std::erase_if(m_funds, [&](const auto& entry) { return wanted.count(entry.first) == 0; });
    std::vector<XStringW> missing;
    for (const XStringW& code : wanted)
        if (m_funds.count(code) == 0)
            missing.push_back(code);
    if (missing.empty())
        return true;

    // Read into a side table first, so that a failure part way leaves the cache as it was.
    std::map<XStringW, GrowthSeries> read;
    for (const XStringW& code : missing) {
        GrowthSeries& series = read[code];
        series.code = code;
        series.aliascode = code;
        if (!ReadFund(database, series, error))
            return false;
    }
    if (!ReadNames(database, read, error))
        return false;
    m_funds.merge(read);
    return true;
}

bool GrowthHistory::CheckTables(Data::IDatabase* database, XStringW& error) {
    XComPtr<Data::IStatement> statement;
    if (!Run(database, kHistoryTablesQuery, statement, error))
        return false;
    bool funds = false;
    while (statement->Next()) {
        XStringW name;
        statement->GetString(name, 0);
        funds = funds || name == XStringW(L"tb_netvaluehistory");
        m_hasIndexTable = m_hasIndexTable || name == XStringW(L"tb_indexhistory");
    }
    if (!Finished(statement, error))
        return false;
    m_status = funds ? Status::kReady : Status::kNoHistory;
    return true;
}

bool GrowthHistory::ReadFund(Data::IDatabase* database, GrowthSeries& series, XStringW& error) {
    XComPtr<Data::IStatement> statement;
    XStringW sql;
    sql.Format(kFundHistoryQuery, Quoted(series.code).c_str());
    ++m_fundReads;
    if (!Run(database, sql, statement, error))
        return false;
    WealthBuilder builder(Today());
    while (statement->Next()) {
        // Rows whose date SQLite cannot read come back as day 0 (or before); no fund is that old.
        const double day = statement->GetDouble(0);
        if (day > 0.0 && day < 1.0e6)
            builder.AddNetValues(static_cast<int>(day), statement->GetDouble(1), statement->GetDouble(2));
    }
    if (!Finished(statement, error))
        return false;
    builder.Finish(series);
    return true;
}

bool GrowthHistory::ReadIndex(Data::IDatabase* database, XStringW& error) {
    m_index = GrowthSeries();
    m_index.code = kIndexCode;
    m_index.aliascode = kIndexCode;
    m_index.name = kIndexName;
    m_index.isIndex = true;
    if (m_hasIndexTable) {
        XComPtr<Data::IStatement> statement;
        XStringW sql;
        sql.Format(kIndexHistoryQuery, Quoted(kIndexCode).c_str());
        if (!Run(database, sql, statement, error))
            return false;
        WealthBuilder builder(Today());
        while (statement->Next()) {
            const double day = statement->GetDouble(0);
            if (day > 0.0 && day < 1.0e6)
                builder.AddClose(static_cast<int>(day), statement->GetDouble(1));
        }
        if (!Finished(statement, error))
            return false;
        builder.Finish(m_index);
    }
    m_indexRead = true;
    return true;
}

bool GrowthHistory::ReadNames(Data::IDatabase* database, std::map<XStringW, GrowthSeries>& funds,
                              XStringW& error) {
    std::vector<XStringW> codes;
    for (const auto& entry : funds)
        codes.push_back(entry.first);
    XComPtr<Data::IStatement> statement;
    XStringW sql;
    sql.Format(kFundNamesQuery, SqlCodeList::Parenthesized(codes).c_str());
    if (!Run(database, sql, statement, error))
        return false;
    while (statement->Next()) {
        XStringW code;
        statement->GetString(code, 0);
        auto found = funds.find(code);
        if (found == funds.end())
            continue;
        statement->GetString(found->second.aliascode, 1);
        statement->GetString(found->second.name, 2);
        if (found->second.aliascode.empty())
            found->second.aliascode = code;
    }
    return Finished(statement, error);
}
