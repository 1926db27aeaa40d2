// GrowthHistory: reading fund and index histories through the host database.
#include "pages/growth/GrowthHistory.h"

#include "pages/common/CalendarDate.h"
#include "pages/common/SqlCodeList.h"
#include "pages/growth/GrowthDates.h"
#include "pages/growth/GrowthQueries.h"

#include <sdk/XComPtr.h>

#include <algorithm>
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

const GrowthSeries& NoSeries() {
    static const GrowthSeries none;
    return none;
}

} // namespace

XStringW GrowthHistory::IndexName(const XStringW& code) {
    static const std::pair<const wchar_t*, const wchar_t*> kNames[] = {
        {kIndexCode, kIndexName},
        {L"sz399001", L"深证成指"},
        {L"sz399300", L"沪深300"},
        {L"sh000300", L"沪深300"},
        {L"sh000905", L"中证500"},
        {L"sh000012", L"国债指数"},
        {L"sh000013", L"企债指数"},
        // The bond index of the sample database; its code and name are made up.
        {L"fc000101", L"示例综合债券指数"},
    };
    for (const auto& [known, name] : kNames)
        if (code == XStringW(known))
            return name;
    return code;
}

void GrowthHistory::Clear() {
    m_status = Status::kNotLoaded;
    m_hasIndexTable = false;
    m_indexCodesRead = false;
    m_indexCodes.clear();
    m_funds.clear();
    m_indexes.clear();
    m_fundReads = 0;
}

XStringW GrowthHistory::BenchmarkCode() const {
    const auto has = [this](const XStringW& code) {
        return std::find(m_indexCodes.begin(), m_indexCodes.end(), code) != m_indexCodes.end();
    };
    if (!m_wantedIndex.empty() && has(m_wantedIndex))
        return m_wantedIndex;
    if (has(XStringW(kIndexCode)) || m_indexCodes.empty())
        return m_indexCodes.empty() ? XStringW() : XStringW(kIndexCode);
    return m_indexCodes.front();
}

const GrowthSeries& GrowthHistory::Index() const {
    const auto found = m_indexes.find(BenchmarkCode());
    return found != m_indexes.end() ? found->second : NoSeries();
}

bool GrowthHistory::NeedsReading(const std::vector<XStringW>& codes) const {
    if (m_status == Status::kNotLoaded)
        return true;
    if (m_status == Status::kNoHistory)
        return false;
    if (!m_indexCodesRead)
        return true;
    if (const XStringW index = BenchmarkCode(); !index.empty() && m_indexes.count(index) == 0)
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
    if (!m_indexCodesRead && other.m_indexCodesRead) {
        m_indexCodes = std::move(other.m_indexCodes);
        m_indexCodesRead = true;
    }
    for (auto& [code, series] : other.m_indexes)
        m_indexes.emplace(code, std::move(series));
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
    if (!m_indexCodesRead && !ReadIndexCodes(database, error))
        return false;
    if (const XStringW index = BenchmarkCode();
        !index.empty() && m_indexes.count(index) == 0 && !ReadIndex(database, index, error))
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

bool GrowthHistory::ReadIndexCodes(Data::IDatabase* database, XStringW& error) {
    std::vector<XStringW> codes;
    if (m_hasIndexTable) {
        XComPtr<Data::IStatement> statement;
        if (!Run(database, kIndexCodesQuery, statement, error))
            return false;
        while (statement->Next()) {
            XStringW code;
            statement->GetString(code, 0);
            if (!code.empty())
                codes.push_back(std::move(code));
        }
        if (!Finished(statement, error))
            return false;
    }
    m_indexCodes = std::move(codes);
    m_indexCodesRead = true;
    return true;
}

bool GrowthHistory::ReadIndex(Data::IDatabase* database, const XStringW& code, XStringW& error) {
    GrowthSeries index;
    index.code = code;
    index.aliascode = code;
    index.name = IndexName(code);
    index.isIndex = true;
    XComPtr<Data::IStatement> statement;
    XStringW sql;
    sql.Format(kIndexHistoryQuery, Quoted(code).c_str());
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
    builder.Finish(index);
    m_indexes[code] = std::move(index);
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
