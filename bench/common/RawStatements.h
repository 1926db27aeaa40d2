// The reference of the page benchmarks: the statements that a piece of work runs on a connection,
// caught as SQLite starts them, and the plain SQLite loop over the same texts on the same
// connection, which prepares each one, steps it to its end and reads every value in the type SQLite
// holds it in (text as UTF-8 bytes, numbers as numbers). Whatever a page spends beyond that loop
// is the page's own cost.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct sqlite3;

namespace BenchSupport {

// Records the text of every statement started on the connection while it lives.
class StatementRecorder {
public:
    explicit StatementRecorder(sqlite3* db);
    ~StatementRecorder();
    StatementRecorder(const StatementRecorder&) = delete;
    StatementRecorder& operator=(const StatementRecorder&) = delete;

    const std::vector<std::string>& Statements() const { return m_statements; }

private:
    static int OnTrace(unsigned type, void* context, void* statement, void* text);

    sqlite3* m_db;
    std::vector<std::string> m_statements;
};

// Runs the statements one after the other; returns the number of values read.
std::size_t RunRaw(sqlite3* db, const std::vector<std::string>& statements);

} // namespace BenchSupport
