// The import engine behind fund-import (and the window's import command): reads the files people
// have (fund lists, daily net values, index closes, report-date holdings, dividends, ratings,
// managers; CSV, TSV or xlsx; UTF-8, UTF-16 or GB18030) into a fund database, creating it from the
// schema when it does not exist, and derives every figure the pages read from the histories that
// changed.
//
// One import is one transaction: on any error, a cancellation or a full disk the database is
// exactly as before (a new database is built beside its name and renamed over it only when
// complete). A bad row is reported as "FILE:LINE: column: reason"; unless `skipBad` is set, any bad
// row means nothing is written. Rows already in the database are never deleted: a row that the
// files replace is marked withdrawn (isdeleted) and the new one added beside it. The derived
// figures (latest values, period and yearly returns, risk, index weeks) are recomputed in place.
//
// Use: fill Options, call Import from any thread (it touches nothing but the database file and the
// input files); `progress` is called on that thread, `cancel` may be set from another.
#pragma once

#include "ColumnTable.h"
#include "TextDecoder.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace FundImport {

struct Progress {
    int filesDone = 0;
    int filesTotal = 0;
    std::int64_t rows = 0;   // rows read so far, over all files
    std::string currentFile; // the file being read
};

struct Options {
    Kind kind = Kind::Auto;                        // forces the kind of every file
    Encoding encoding = Encoding::Auto;            // forces the encoding of every text file
    std::string code;                              // the fund (or index) of files that name none
    bool skipBad = false;                          // write the good rows even when some are bad
    std::function<void(const Progress&)> progress; // called now and then, and once per file
    const std::atomic<bool>* cancel = nullptr;     // set to stop: nothing is written
};

// A row (or a file, when line is 0) that could not be taken.
struct Problem {
    std::string file;
    std::int64_t line = 0;
    std::string column; // empty when the whole row or file is meant
    std::string reason;
    std::string Text() const; // "FILE:LINE: column: reason"
};

struct Result {
    bool written = false; // the database was created or changed (committed)
    bool created = false; // the database did not exist before
    bool cancelled = false;
    std::string error;              // a failure that stopped the import (unreadable database, full disk...)
    std::vector<Problem> problems;  // bad rows and unreadable files, in the order found
    std::vector<std::string> notes; // columns left unused and the like
    int files = 0;                  // tables read (a workbook counts each sheet)
    std::int64_t rowsRead = 0;
    std::int64_t fundsAdded = 0;    // funds new to the database
    std::int64_t fundsChanged = 0;  // funds whose rows changed (added ones included)
    std::int64_t rowsAdded = 0;     // rows added that replaced nothing
    std::int64_t rowsReplaced = 0;  // rows added in place of a row now withdrawn
    std::int64_t rowsWithdrawn = 0; // rows withdrawn without a successor (a report that lost a line)
    std::int64_t rowsUnchanged = 0;
    std::int64_t rowsRejected = 0;
    bool Ok() const { return error.empty() && !cancelled && (problems.empty() || written); }
};

// Imports `inputs` (files, or folders whose data files are read, sorted by name) into `database`.
Result Import(const std::string& database, const std::vector<std::string>& inputs, const Options& options);

// The letters a fund is found by when typed: the pinyin initial of each Chinese character of the
// name (the common ones, GB2312's first level), letters and digits as they are, other characters left out.
std::string PinyinInitials(const std::string& name);

// The investment type the pages group by, from a download's 基金类型: 货币型 -> 现金型,
// "混合型-偏债" -> 混合型, "债券型-长债" -> 债券型, "QDII-指数" -> QDII, ...; a type it does not
// know is kept as written.
std::string InvestTypeOf(const std::string& text);

} // namespace FundImport
