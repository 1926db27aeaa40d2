#include "RawStatements.h"

#include <sqlite3.h>

#include <cstdio>

namespace BenchSupport {

StatementRecorder::StatementRecorder(sqlite3* db) : m_db(db) {
    sqlite3_trace_v2(m_db, SQLITE_TRACE_STMT, &StatementRecorder::OnTrace, this);
}

StatementRecorder::~StatementRecorder() {
    sqlite3_trace_v2(m_db, 0, nullptr, nullptr);
}

int StatementRecorder::OnTrace(unsigned type, void* context, void* statement, void*) {
    if (type == SQLITE_TRACE_STMT && statement != nullptr)
        static_cast<StatementRecorder*>(context)->m_statements.emplace_back(
            sqlite3_sql(static_cast<sqlite3_stmt*>(statement)));
    return 0;
}

std::size_t RunRaw(sqlite3* db, const std::vector<std::string>& statements) {
    std::size_t values = 0;
    std::size_t bytes = 0;
    double sum = 0;
    for (const std::string& text : statements) {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db, text.c_str(), static_cast<int>(text.size()), &statement, nullptr) !=
            SQLITE_OK) {
            std::fprintf(stderr, "reference statement failed: %s\n", sqlite3_errmsg(db));
            continue;
        }
        const int columns = sqlite3_column_count(statement);
        while (sqlite3_step(statement) == SQLITE_ROW) {
            for (int c = 0; c < columns; ++c) {
                switch (sqlite3_column_type(statement, c)) {
                case SQLITE_INTEGER:
                    sum += static_cast<double>(sqlite3_column_int64(statement, c));
                    break;
                case SQLITE_FLOAT:
                    sum += sqlite3_column_double(statement, c);
                    break;
                case SQLITE_TEXT:
                case SQLITE_BLOB:
                    bytes += sqlite3_column_text(statement, c) != nullptr
                                 ? static_cast<std::size_t>(sqlite3_column_bytes(statement, c))
                                 : 0;
                    break;
                default:
                    break;
                }
                ++values;
            }
        }
        sqlite3_finalize(statement);
    }
    // Keeps the reads from being optimised away.
    volatile double sink = sum + static_cast<double>(bytes);
    (void)sink;
    return values;
}

} // namespace BenchSupport
