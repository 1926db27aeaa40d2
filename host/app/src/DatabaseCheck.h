// DatabaseCheck: opening a file as the fund database the program shows. The file must be a file
// that starts like an SQLite file (read without waiting, so that a pipe is refused rather than
// waited on), open read-only, and hold every table the program reads with the columns its
// statements read (FundTables), so that a wrong file fails at once with a clear message instead of
// showing pages that stay empty. The reason comes in English for the command line and in Chinese
// for the window.
#pragma once

#include <hostdb/SqliteDatabase.h>
#include <sdk/XComPtr.h>

#include <string>

namespace DatabaseCheck {

struct Failure {
    enum Kind {
        kNone,
        kUnreadable,    // not a file, or a file that cannot be read
        kNotSqlite,     // a file that is no SQLite database
        kUnopenable,    // SQLite would not open it
        kSchemaUnread,  // its tables or columns could not be listed
        kMissingTables, // not a fund database: required tables are missing
        kMissingColumns // a fund database of another make: columns are missing
    };
    Kind kind = kNone;
    std::string path;
    std::string detail; // the reason, the tables or the columns missing
};

// The database, opened and checked; null with the failure otherwise.
XComPtr<HostDb::SqliteDatabase> Open(const std::string& path, Failure& failure);

// What the failure says on the command line (as the program has always said it at start), and in
// the window.
std::string CommandLineText(const Failure& failure);
std::wstring WindowText(const Failure& failure);

} // namespace DatabaseCheck
