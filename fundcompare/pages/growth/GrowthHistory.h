// GrowthHistory: the net-value history of the compared funds and of the benchmark index, read from
// the database and kept for the page's life. The database is opened read-only, so a history, once
// read, stays valid: a change of the compared set reads only the funds that joined it, and a change
// of benchmark only an index not read before.
//
// The benchmark is one of the indexes the database has closes of (tb_indexhistory). The one asked
// for stands when the database has it; otherwise the composite (sh000001) when it is there, else
// the first code, so that a stored choice the database no longer has falls back without an error.
// The database has no table of index names: the well-known codes and the sample's bond index are
// named here, any other index goes by its code.
#pragma once

#include "pages/growth/GrowthSeries.h"

#include <sdk/Data.h>

#include <map>
#include <vector>

class GrowthHistory {
public:
    static constexpr const wchar_t* kIndexCode = L"sh000001";
    static constexpr const wchar_t* kIndexName = L"上证指数";

    // The name of an index code, the code itself for one this program does not know.
    static XStringW IndexName(const XStringW& code);

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
    // The index asked for as benchmark; empty for the default. Read by the next Sync.
    void SetBenchmark(const XStringW& code) { m_wantedIndex = code; }
    // The codes of tb_indexhistory, in code order (empty before the first Sync or without it).
    const std::vector<XStringW>& IndexCodes() const { return m_indexCodes; }
    // The benchmark in use: the one asked for when the database has it, else the default; empty
    // when the database has no index.
    XStringW BenchmarkCode() const;
    // True when a Sync of these codes would read anything: the table check and the index the first
    // time, or a fund that the cache lacks.
    bool NeedsReading(const std::vector<XStringW>& codes) const;
    // Takes over what another history read (on another connection, with Sync): its table check and
    // index where this one has none yet, and every fund that this one lacks.
    void Merge(GrowthHistory&& other);

    Status GetStatus() const { return m_status; }
    bool HasIndex() const { return !Index().Empty(); }
    // The benchmark's series (empty when there is none).
    const GrowthSeries& Index() const;
    // The series of a fund, null when it was not read.
    const GrowthSeries* Find(const XStringW& code) const;
    // Fund statements run since the last Clear (the cache at work shows here).
    int FundReads() const { return m_fundReads; }

private:
    bool CheckTables(Data::IDatabase* database, XStringW& error);
    bool ReadFund(Data::IDatabase* database, GrowthSeries& series, XStringW& error);
    bool ReadIndexCodes(Data::IDatabase* database, XStringW& error);
    bool ReadIndex(Data::IDatabase* database, const XStringW& code, XStringW& error);
    bool ReadNames(Data::IDatabase* database, std::map<XStringW, GrowthSeries>& funds, XStringW& error);

    Status m_status = Status::kNotLoaded;
    bool m_hasIndexTable = false;
    bool m_indexCodesRead = false;
    std::vector<XStringW> m_indexCodes;
    XStringW m_wantedIndex;
    std::map<XStringW, GrowthSeries> m_funds;
    std::map<XStringW, GrowthSeries> m_indexes; // by code: every index read so far
    int m_fundReads = 0;
};
