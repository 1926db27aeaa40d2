// What the database module takes for a figure. The fund tables declare every amount, share and
// count as REAL or INTEGER; SQLite stores a value it cannot read as a number there as text (or a
// blob), and keeps an infinite real as it is. Neither is a plain decimal number, so both read as
// null: a page then shows the cell as missing, and never ranks or averages it as a value, instead
// of taking 'abc' or '-' for 0 and '0x10' for 16.
#pragma once

#include <sqlite3.h>

#include <string>
#include <string_view>

namespace HostDb {

// A column's kind from its declared type, by SQLite's affinity rules; -1 when the values decide
// (no declared type, NUMERIC, DATE and the like).
int KindOfDeclaredType(const char* declared);

// The declared kind of every result column of a statement.
int DeclaredKindOf(sqlite3_stmt* statement, int column);

// True when the cell is not a plain finite number although it stands where one belongs: text or a
// blob in a column declared as a number, or an infinite real anywhere.
bool IsBadFigure(sqlite3_stmt* statement, int column, int declaredKind);

// The text of a cell as UTF-8, without the NUL characters it may hold (they are kept in `buffer`
// when there are any). Wide text crosses every interface NUL-terminated, so a NUL would cut the
// text there; a name "A\0B" reads "AB".
std::string_view CellText(sqlite3_stmt* statement, int column, std::string& buffer);

// Replaces the SQL aggregates avg and sum on a connection with ones that pass over values that are
// not plain finite numbers, as they pass over nulls: one figure that is text or infinite no longer
// counts as 0 or turns a whole average infinite. Results are otherwise those of SQLite's own.
bool InstallFigureAggregates(sqlite3* db);

} // namespace HostDb
