// FeeBook: what the fee page reads from the database for the compared funds — their fees and tiers
// (when the database has the fee tables), and their managers with the number of funds each runs now.
// Each reading replaces what the book held only when all of it succeeded, so that a failed statement
// leaves the page showing what it showed.
#pragma once

#include "pages/fees/FeeCalculator.h"
#include "pages/fees/ManagerRecord.h"

#include <sdk/Data.h>

#include <map>
#include <vector>

class FeeBook {
public:
    enum class FeeStatus {
        kNotLoaded,
        kNoFeeTables, // the database lacks the fee tables
        kReady,
    };

    // Reads the funds' names, fee rows and tiers. False with the database's error text.
    bool LoadFees(Data::IDatabase* database, const std::vector<XStringW>& codes, XStringW& error);
    // Reads the funds' managers and, for the current ones, how many funds they run now.
    bool LoadManagers(Data::IDatabase* database, const std::vector<XStringW>& codes, XStringW& error);
    void Clear();

    FeeStatus GetFeeStatus() const { return m_feeStatus; }
    bool ManagersLoaded() const { return m_managersLoaded; }
    // The funds in the order asked for; funds the database does not list are left out.
    const std::vector<FundFees>& Funds() const { return m_funds; }
    const FundFees* Find(const XStringW& code) const;
    // A fund's stints, the earliest first; empty when it has none.
    const std::vector<ManagerStint>& Stints(const XStringW& code) const;
    // The funds a manager runs now, over the whole database; -1 when not known.
    int FundsRun(const XStringW& manager) const;

private:
    FeeStatus m_feeStatus = FeeStatus::kNotLoaded;
    bool m_managersLoaded = false;
    std::vector<FundFees> m_funds;
    std::map<XStringW, std::vector<ManagerStint>> m_stints;
    std::map<XStringW, int> m_fundsRun;
};
