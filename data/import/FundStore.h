// The importer's side of the database: one transaction over a database that exists, or a new
// database built beside its final name; the merge of incoming rows with the rows already there
// (equal rows left alone, changed ones withdrawn and added anew, rows of a report that the files
// replace withdrawn), and the derived figures of the funds and indexes whose history changed.
//
// Withdrawn rows keep the database's convention: isdeleted is 1, or, in the tables whose key holds
// the flag (histories and holdings), one more than the day's or line's last withdrawn row, so that
// a value corrected twice keeps both earlier versions.
#pragma once

#include "FundDerivation.h"
#include "RowBatch.h"
#include "RowLoader.h"
#include "Sqlite.h"

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

namespace FundImport {

// A cell value on its way into the database.
struct Value {
    enum Type { Null, Integer, Real, Text, Keep } type = Null; // Keep: the existing row's value
    std::int64_t integer = 0;
    double real = 0.0;
    std::string text;

    static Value Of(std::int64_t v) { return {Integer, v, 0.0, {}}; }
    static Value Of(double v) { return {Real, 0, v, {}}; }
    static Value Of(std::string v) { return {Text, 0, 0.0, std::move(v)}; }
    static Value KeepOld() { return {Keep, 0, 0.0, {}}; }
    bool Same(const Value& other) const;
};

// How a table's rows are grouped and keyed for merging.
struct TableShape {
    const char* table;
    std::vector<const char*> group;  // columns that select the rows a file speaks for
    std::vector<const char*> key;    // columns that tell rows of a group apart
    std::vector<const char*> values; // the other columns a file gives
    const char* filter = nullptr;    // a further condition on the group's rows
    bool flagInKey = false;          // WITHOUT ROWID table whose key holds isdeleted
    bool explicitId = false;         // `id` is written by the importer (not a rowid)
};

struct MergeCounts {
    std::int64_t added = 0, replaced = 0, withdrawn = 0, unchanged = 0;
};

// One day of an incoming history, with the line it came from.
struct HistoryDay {
    int day = 0;
    double unit = 0.0;
    double total = 0.0; // NaN when the file has no accumulated value
    std::int64_t line = 0;
};

class FundStore {
public:
    // Opens `path` (a new database when `create`) and begins the transaction; throws
    // SampleDb::SqliteError.
    FundStore(const std::string& path, bool create);
    ~FundStore();

    bool Fresh() const { return m_fresh; }

    // Funds -----------------------------------------------------------------------------------------
    bool HasFund(const std::string& code) const { return m_funds.count(code) != 0; }
    // The live tb_fund values of a fund by column name; empty when the fund is new.
    std::map<std::string, Value> FundRow(const std::string& code) const;
    // The guid of a company by full or short name, made with a row of its own when new.
    std::string CompanyGuid(const std::string& name);
    // The id of an industry by name or number text; -1 when unknown.
    int IndustryId(const std::string& nameOrId) const;

    // Merges the rows that a file gives for one group; `replaceWhole` withdraws the group's live
    // rows that the file no longer lists; `addOnly` never replaces an existing row.
    MergeCounts Merge(const TableShape& shape, const std::vector<Value>& group,
                      const std::vector<std::vector<Value>>& rows, bool replaceWhole, bool addOnly = false);
    // A fund row (group code): after a change the derived copy of its legal form follows.
    MergeCounts PutFund(const std::string& code, const std::vector<Value>& values);

    // Histories -------------------------------------------------------------------------------------
    struct HistoryOutcome {
        MergeCounts counts;
        std::vector<HistoryDay> conflicts; // days that this import gave twice with different values
        bool changed = false;
        int latestDay = 0; // the fund's latest day after the merge
    };
    // Merges a fund's incoming days (ascending, one per day) and, when anything changed, derives the
    // fund's figures; `inferPayouts` adds the dividends the values imply on the new days.
    HistoryOutcome PutHistory(const std::string& code, const std::vector<HistoryDay>& days,
                              bool inferPayouts);
    // The same for an index's closes (`total` unused), and its weekly returns.
    HistoryOutcome PutIndex(const std::string& code, const std::vector<HistoryDay>& days);
    // Whether the fund has any live dividend or split row.
    bool HasDividends(const std::string& code);
    // The fund's latest day in the database before this import wrote to it; nullopt without history.
    std::optional<int> LatestDay(const std::string& code);

    // Ends the import: commits (and for a new database renames it into place), or rolls back.
    void Commit(const std::string& finalPath);
    void Abandon();

    std::int64_t FundsAdded() const { return m_fundsAdded; }
    std::int64_t FundsChanged() const { return static_cast<std::int64_t>(m_changedFunds.size()); }

private:
    void Open(const std::string& path);
    sqlite3_stmt* Statement(const std::string& sql);
    void Bind(sqlite3_stmt* statement, int index, const Value& value);
    Value Column(sqlite3_stmt* statement, int index);
    void Step(sqlite3_stmt* statement);
    std::int64_t NextId(const char* table);
    void FlushHistory();
    // Withdraws the live row of a history table (fund or index) at a day: it takes the next free
    // isdeleted number, so that the rows withdrawn before it stay apart.
    void WithdrawDay(const char* table, const char* codeColumn, const std::string& code, int day);
    void WriteFigures(const std::string& code, const Derive::FundFigures& figures, int firstNewDay);
    HistoryOutcome AppendHistory(const std::string& code, const std::vector<HistoryDay>& days,
                                 Derive::FundState& state, bool inferPayouts);
    void AddHistoryRow(const std::string& code, const HistoryDay& day);
    void PutPayouts(const std::string& code, const std::vector<Derive::Payout>& payouts);
    // The stored days from the last one on or before `from` through `to`.
    std::vector<HistoryDay> Range(const std::string& code, int from, int to);
    std::optional<Derive::FundState> ReadState(const std::string& code);
    void WriteState(const std::string& code, const Derive::FundState& state);
    std::vector<HistoryDay> Window(const char* table, const char* codeColumn, const char* valueColumns,
                                   const std::string& code, int from);

    SampleDb::SqliteHandle m_db;
    bool m_fresh = false;
    bool m_open = false; // the transaction is open
    bool m_done = false; // committed or abandoned
    std::string m_workPath;
    std::unordered_map<std::string, sqlite3_stmt*> m_statements;
    std::unordered_map<std::string, std::string> m_funds;     // live code -> legal form
    std::unordered_map<std::string, std::string> m_companies; // name and short name -> guid
    std::map<std::string, int> m_industries;                  // name -> id
    std::map<std::string, std::int64_t> m_nextIds;
    std::set<std::string> m_historyWritten; // codes whose history this import wrote to
    std::int64_t m_firstHistoryId = 0, m_firstIndexId = 0;
    std::unique_ptr<SampleDb::RowLoader> m_loader;
    SampleDb::RowBatch m_batch;
    std::int64_t m_fundsAdded = 0;
    std::set<std::string> m_changedFunds;
};

} // namespace FundImport
