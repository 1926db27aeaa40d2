// RiskUniverse: the three statements of the risk-return page and the lookup by code.
#include "pages/riskreturn/RiskUniverse.h"

#include "pages/riskreturn/RiskReturnQueries.h"

#include <sdk/Utf8.h>
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
    std::vector<Fund> funds;
    std::vector<char> text;
    while (statement->Next()) {
        Fund& fund = funds.emplace_back();
        fund.start = static_cast<std::uint32_t>(text.size());
        for (int field = 0; field < 4; ++field) {
            const std::string_view utf8 = statement->GetUtf8(field);
            fund.lengths[field] = static_cast<std::uint32_t>(utf8.size());
            text.insert(text.end(), utf8.begin(), utf8.end());
        }
        for (int k = 0; k < RiskModel::kHorizonCount; ++k) {
            fund.returns[static_cast<size_t>(k)] = statement->GetDouble(4 + k);
            fund.stdDevs[static_cast<size_t>(k)] = statement->GetDouble(8 + k);
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
    m_text = std::move(text);
    m_indexWeeks = std::move(weeks);
    m_averages = std::move(averages);
    // The codes are looked up where they lie in m_text, which no longer moves.
    m_byCode.Reserve(m_funds.size());
    for (size_t i = 0; i < m_funds.size(); ++i) {
        const Fund& fund = m_funds[i];
        m_byCode.Add(std::string_view(m_text.data() + fund.start + fund.lengths[0], fund.lengths[1]),
                     static_cast<std::uint32_t>(i));
    }
    return true;
}

bool RiskUniverse::Find(const XStringW& code, RiskModel::RiskFundRecord& record) const {
    const int found = m_byCode.Find(code.ToUtf8());
    if (found < 0)
        return false;
    const Fund& fund = m_funds[static_cast<size_t>(found)];
    const char* at = m_text.data() + fund.start;
    XStringW* fields[4] = {&record.aliascode, &record.code, &record.name, &record.investtype};
    for (int field = 0; field < 4; ++field) {
        // Decoded as the statement's GetString decodes, so that the texts are the same either way.
        std::wstring wide;
        Utf8::Append(wide, at, fund.lengths[field]);
        *fields[field] = XStringW(std::move(wide));
        at += fund.lengths[field];
    }
    record.returns = fund.returns;
    record.stdDevs = fund.stdDevs;
    return true;
}
