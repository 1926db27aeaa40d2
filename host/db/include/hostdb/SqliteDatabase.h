// SqliteDatabase: Data::IDatabase over one SQLite file, opened read-only.
//
// The file is opened without the right to create or change it, with writes refused by SQLite's
// query_only setting as well, so that nothing the program does can alter the user's data. Every
// statement must read only; SQL text crosses as UTF-8.
//
// Figures: a cell that stands where a number belongs but is not a plain finite number (text or a
// blob in a column declared REAL or INTEGER, an infinite real) reads as null, and the aggregates
// avg and sum pass over such values as they pass over nulls (see Figures.h). Text reads up to the
// end of the cell; a NUL inside it is dropped, since wide text crosses every interface as a
// NUL-terminated string and would otherwise be cut there.
#pragma once

#include <hostkernel/RefCounted.h>
#include <sdk/Data.h>
#include <sdk/XComPtr.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace HostDb {

class SqliteDatabase final : public HostKernel::RefCounted<Data::IDatabase, Data::IDatabaseConnections> {
public:
    // How long a statement waits for a writer of another process to finish.
    static constexpr int kBusyTimeoutMs = 3000;

    // Opens an existing SQLite file. A missing, unreadable, empty or non-SQLite file fails here,
    // with the reason in error, rather than at the first query.
    static XComPtr<SqliteDatabase> Open(const std::string& path, XStringW& error);

    bool IsOpen() override { return m_db != nullptr; }
    bool Execute(const wchar_t* sql, Data::IDataTable* table, int replace, int reserved) override;
    bool Query(Data::IStatement** statement, const wchar_t* sql, XStringW& error) override;
    void GetLastError(XStringW& error) override { error = m_lastError; }

    // Data::IDatabaseConnections. Further connections are opened only once the host offers them
    // (OfferConnections): a module then reads ahead on a worker thread, which a host that runs
    // everything on one thread, such as a test, has no use for.
    bool OpenConnection(Data::IDatabase** connection, XStringW& error) override;
    void Interrupt() override;
    long long DataVersion() override;
    void OfferConnections(bool offer) { m_connectionsOffered = offer; }

    const std::string& Path() const { return m_path; }
    // The connection itself, for the benchmarks that hold SQLite alone against the host's reading.
    sqlite3* Handle() const { return m_db; }

    // Which of the named tables (or views) the database lacks, in the order given. False with the
    // reason when the schema cannot be read.
    bool MissingTables(const std::vector<std::string>& names, std::vector<std::string>& missing,
                       XStringW& error);
    // Which of the named columns a table (or view) lacks, in the order given, compared as SQLite
    // compares names (without regard to case). False with the reason when the columns cannot be
    // read.
    bool MissingColumns(const std::string& table, const std::vector<std::string>& names,
                        std::vector<std::string>& missing, XStringW& error);

    // How many statements have failed since the database was opened (a failed preparation, a
    // step that ended in an error, a failed Execute): a measure of a session's trouble that does
    // not depend on who reported what.
    // Connections opened from this one (OpenConnection) count into the same figure and tell the
    // same observer, from whichever thread they run on.
    int FailureCount() const { return m_failures->count.load(); }
    // Told the SQL text and the reason of every statement that fails, as it is counted; for a
    // host that keeps a log, and for tests that hold each failure against what the user was told.
    using FailureObserver = std::function<void(const std::string& sql, const std::string& reason)>;
    void SetFailureObserver(FailureObserver observer);
    void NoteFailure(const std::string& sql, const XStringW& reason);

    // Prepares exactly one read-only statement; null with the reason otherwise.
    sqlite3_stmt* Prepare(const wchar_t* sql, XStringW& error);
    XStringW ErrorText() const;

private:
    // What a database and the connections opened from it share about failed statements.
    struct Failures {
        std::atomic<int> count{0};
        std::mutex mutex; // guards observer
        FailureObserver observer;
    };

    SqliteDatabase(sqlite3* db, std::string path)
        : m_db(db), m_path(std::move(path)), m_failures(std::make_shared<Failures>()) {}
    bool Fill(const wchar_t* sql, Data::IDataTable* table, int replace, int reserved);
    ~SqliteDatabase() override;

    sqlite3* m_db;
    std::string m_path;
    XStringW m_lastError;
    std::shared_ptr<Failures> m_failures;
    bool m_connectionsOffered = false;
};

} // namespace HostDb
