// RiskUniverse: the three statements of the risk-return page and the lookup by code.
#include "pages/riskreturn/RiskUniverse.h"

#include "pages/riskreturn/RiskReturnQueries.h"

#include <sdk/XComPtr.h>

namespace {

// A statement, or false with the reason.
bool Run(Data::IDatabase* database, const wchar_t* sql, XComPtr<Data::IStatement>& statement,
         XStringW& error) {
    statement.Reset();
    if (database->Query(statement.Receive(), sql, error) && statement != nullptr)
        return true;
    if (error.empty())
        database->GetLastError(error);
    statement.Reset();
    return false;
}

// True when the statement read to its end; otherwise the error that stopped it.
bool ReadToTheEnd(Data::IStatement* statement, XStringW& error) {
    statement->GetError(error);
    return error.empty();
}

} // namespace

bool RiskUniverse::Load(Data::IDatabase* database, XStringW& error) {
    error.clear();
    *this = RiskUniverse();
    if (database == nullptr)
        return false;
    XComPtr<Data::IStatement> statement;
    if (!Run(database, kFundRiskQuery, statement, error))
        return false;
    std::vector<RiskModel::RiskFundRecord> funds;
    while (statement->Next()) {
        RiskModel::RiskFundRecord& record = funds.emplace_back();
        statement->GetString(record.aliascode, 0);
        statement->GetString(record.code, 1);
        statement->GetString(record.name, 2);
        statement->GetString(record.investtype, 3);
        for (int k = 0; k < RiskModel::kHorizonCount; ++k) {
            record.returns[static_cast<size_t>(k)] = statement->GetDouble(4 + k);
            record.stdDevs[static_cast<size_t>(k)] = statement->GetDouble(8 + k);
        }
    }
    if (!ReadToTheEnd(statement, error))
        return false;

    std::vector<double> weeks;
    if (!Run(database, kIndexWeeksQuery, statement, error))
        return false;
    while (statement->Next())
        weeks.push_back(statement->GetDouble(1));
    if (!ReadToTheEnd(statement, error))
        return false;

    std::vector<RiskModel::AverageEntry> averages;
    if (!Run(database, kAverageQuery, statement, error))
        return false;
    XStringW name;
    while (statement->Next()) {
        RiskModel::AverageEntry& entry = averages.emplace_back();
        statement->GetString(name, 0);
        for (int k = 0; k < RiskModel::kHorizonCount; ++k) {
            RiskModel::AverageStar& star = entry[static_cast<size_t>(k)];
            star.name = name;
            star.returnValue = statement->GetDouble(1 + 2 * k);
            star.stdDev = statement->GetDouble(2 + 2 * k);
        }
    }
    if (!ReadToTheEnd(statement, error))
        return false;
    if (!weeks.empty())
        averages.push_back(RiskModel::ComputeIndexEntry(weeks));

    m_funds = std::move(funds);
    m_indexWeeks = std::move(weeks);
    m_averages = std::move(averages);
    m_byCode.Reserve(m_funds.size());
    for (size_t i = 0; i < m_funds.size(); ++i)
        m_byCode.Add(m_funds[i].code.str(), static_cast<std::uint32_t>(i));
    return true;
}

const RiskModel::RiskFundRecord* RiskUniverse::Find(const XStringW& code) const {
    const int found = m_byCode.Find(code.str());
    return found >= 0 ? &m_funds[static_cast<size_t>(found)] : nullptr;
}
