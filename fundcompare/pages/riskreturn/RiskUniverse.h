// RiskUniverse: what the risk-return page reads once — every fund's figures, the index's weekly
// returns and the averages of every investment type — and the lookup of a compared fund's figures
// by code. Reading touches no window, so it may run on a worker thread with a connection of its
// own; the page takes the finished universe over and reports its failure, if any, itself.
#pragma once

#include "pages/common/CodeIndex.h"
#include "pages/riskreturn/RiskModel.h"

#include <sdk/Data.h>

#include <array>
#include <cstdint>
#include <vector>

class RiskUniverse {
public:
    RiskUniverse() = default;
    RiskUniverse(RiskUniverse&&) = default;
    RiskUniverse& operator=(RiskUniverse&&) = default;
    // The lookup points into the funds' codes, which a copy would not carry along.
    RiskUniverse(const RiskUniverse&) = delete;
    RiskUniverse& operator=(const RiskUniverse&) = delete;

    // Runs the fund, index-week and average statements, in this order; the first that yields no
    // statement or stops part way ends the load with false and its reason. Part of the funds, or
    // figures without their averages, would pass for the whole chart, so nothing is kept then.
    bool Load(Data::IDatabase* database, XStringW& error);

    bool Empty() const { return m_funds.empty(); }
    size_t FundCount() const { return m_funds.size(); }
    const std::vector<double>& IndexWeeks() const { return m_indexWeeks; }
    // One entry per investment type, in result order, then the index's when it has weeks.
    const std::vector<RiskModel::AverageEntry>& Averages() const { return m_averages; }
    // The figures of a code into record; false when the query did not return it. A code listed
    // twice keeps its first record.
    bool Find(const XStringW& code, RiskModel::RiskFundRecord& record) const;

private:
    // One fund as read: its four texts (aliascode, code, name, investtype) as the database's UTF-8,
    // one after another in m_text, and its figures. The page makes wide text of the few funds it
    // shows, not of the tens of thousands it reads.
    struct Fund {
        std::uint32_t start = 0;
        std::uint32_t lengths[4] = {};
        std::array<double, RiskModel::kHorizonCount> returns{};
        std::array<double, RiskModel::kHorizonCount> stdDevs{};
    };

    std::vector<char> m_text; // a vector, not a string: moving it keeps the characters in place
    std::vector<Fund> m_funds;
    std::vector<double> m_indexWeeks;
    std::vector<RiskModel::AverageEntry> m_averages;
    Utf8CodeIndex m_byCode;
};
