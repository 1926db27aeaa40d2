// The statements of the growth page, kept in the program text.
#pragma once

// Which of the two optional history tables the database holds.
inline constexpr const wchar_t kHistoryTablesQuery[] =
    L"select name from sqlite_master where type = 'table'"
    L" and name in ('tb_netvaluehistory', 'tb_indexhistory')";

// One fund's days in date order: the day as a number (days since 1970-01-01, which SQLite works out
// from the date text), the unit and the accumulated net value. "%s" takes the quoted code.
inline constexpr const wchar_t kFundHistoryQuery[] =
    L"select cast(julianday(date) - 2440587.5 as integer) as day, value, totalvalue"
    L" from tb_netvaluehistory where code = %s and not isdeleted order by date";

// The index's closes in date order. "%s" takes the quoted index code.
inline constexpr const wchar_t kIndexHistoryQuery[] =
    L"select cast(julianday(date) - 2440587.5 as integer) as day, closevalue"
    L" from tb_indexhistory where exponentcode = %s and not isdeleted order by date";

// The shown code and the name of funds; "%s" takes the parenthesised list of quoted codes.
inline constexpr const wchar_t kFundNamesQuery[] =
    L"select code, aliascode, name from tb_fund where code in %s and not isdeleted";

// The indexes that have live closes, in code order. The table is read in the order of its key, so
// each code is found by one step along the key after the one before (instead of reading every close
// to collect the distinct codes), then checked for a live row.
inline constexpr const wchar_t kIndexCodesQuery[] =
    L"with recursive codes(code) as (select min(exponentcode) from tb_indexhistory"
    L" union all select (select min(exponentcode) from tb_indexhistory where exponentcode > code)"
    L" from codes where code is not null)"
    L" select code from codes where code is not null and exists"
    L" (select 1 from tb_indexhistory h where h.exponentcode = codes.code and not h.isdeleted)";
