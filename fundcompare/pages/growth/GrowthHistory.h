// GrowthHistory: the net-value history of the compared funds and the index, read from the database
// and kept for the page's life. The database is opened read-only, so a fund's history, once read,
// stays valid: a change of the compared set reads only the funds that joined it.
#pragma once

#include "pages/growth/GrowthSeries.h"

#include <sdk/Data.h>

#include <map>
#include <vector>

class GrowthHistory {
public:
    static constexpr const wchar_t* kIndexCode = L"sh000001";
    static constexpr const wchar_t* kIndexName = L"上证指数";

    enum class Status {
        kNotLoaded, // nothing read yet
        kNoHistory, // the database has no net-value history table
        kReady,
    };

    // Brings the cache in line with the codes: reads the funds it lacks (one statement each, plus
    // one for their names), forgets those no longer asked for, and reads the index the first time.
    // False when a statement fails, with the database's error text; what was read before stays.
    bool Sync(Data::IDatabase* database, const std::vector<XStringW>& codes, XStringW& error);
    // Forgets everything; the next Sync starts afresh.
    void Clear();
    // True when a Sync of these codes would read anything: the table check and the index the first
    // time, or a fund that the cache lacks.
    bool NeedsReading(const std::vector<XStringW>& codes) const;
    // Takes over what another history read (on another connection, with Sync): its table check and
    // index where this one has none yet, and every fund that this one lacks.
    void Merge(GrowthHistory&& other);

    Status GetStatus() const { return m_status; }
    bool HasIndex() const { return !m_index.Empty(); }
    const GrowthSeries& Index() const { return m_index; }
    // The series of a fund, null when it was not read.
    const GrowthSeries* Find(const XStringW& code) const;
    // Fund statements run since the last Clear (the cache at work shows here).
    int FundReads() const { return m_fundReads; }

private:
    bool CheckTables(Data::IDatabase* database, XStringW& error);
    bool ReadFund(Data::IDatabase* database, GrowthSeries& series, XStringW& error);
    bool ReadIndex(Data::IDatabase* database, XStringW& error);
    bool ReadNames(Data::IDatabase* database, std::map<XStringW, GrowthSeries>& funds, XStringW& error);

    Status m_status = Status::kNotLoaded;
    bool m_hasIndexTable = false;
    bool m_indexRead = false;
    std::map<XStringW, GrowthSeries> m_funds;
    GrowthSeries m_index;
    int m_fundReads = 0;
};
