// The statements of the fee page, kept in the program text. "%s" takes the parenthesised list of
// quoted codes (or names).
#pragma once

// Which of the two optional fee tables the database holds.
inline constexpr const wchar_t kFeeTablesQuery[] =
    L"select name from sqlite_master where type = 'table' and name in ('tb_fundfee', 'tb_fundfeetier')";

// The compared funds' names with their live fee row, when they have one.
inline constexpr const wchar_t kFundFeesQuery[] =
    L"select f.code, f.aliascode, f.name, e.id, e.shareclass, e.managementfee, e.custodyfee, e.salesfee,"
    L" e.minpurchase, f.investtype from tb_fund f left join tb_fundfee e on e.code = f.code and not "
    L"e.isdeleted"
    L" where f.code in %s and not f.isdeleted order by f.code, e.id desc";

// The names alone, for a database without the fee tables.
inline constexpr const wchar_t kFundNamesOnlyQuery[] =
    L"select code, aliascode, name, investtype from tb_fund where code in %s and not isdeleted";

// The compared funds' live tiers in order: 1 subscription by amount, 2 redemption by days held.
inline constexpr const wchar_t kFeeTiersQuery[] =
    L"select code, feetype, lower, upper, rate, fixedfee from tb_fundfeetier"
    L" where code in %s and not isdeleted order by code, feetype, lower";

// The compared funds' managers over their lives, the earliest first.
inline constexpr const wchar_t kManagersQuery[] =
    L"select code, name, starttime, terminatetime from tb_manager where code in %s and not isdeleted"
    L" order by code, starttime";

// How many funds of the database each of these managers runs now (a fund not deleted, a stint
// without an end).
inline constexpr const wchar_t kManagerFundCountQuery[] =
    L"select m.name, count(distinct m.code) from tb_manager m join tb_fund f on f.code = m.code"
    L" and not f.isdeleted where m.name in %s and not m.isdeleted"
    L" and (m.terminatetime is null or m.terminatetime = '') group by m.name";
