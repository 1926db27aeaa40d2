// The statements of the holdings page. Fund lists are appended as pages/common/SqlCodeList.h
// builds them; a report date goes into a '...' literal with its quotes doubled.
#pragma once

// Whether the database has the holdings tables: the holdings themselves (without them the page
// says so) and the stocks (without them the lines have no industry).
inline constexpr const wchar_t kHoldingsTablesQuery[] =
    L"select name from sqlite_master where type = 'table' and name in ('tb_stockholding', 'tb_stock')";

// The earliest and the latest report date, between which the date box lists the quarter ends, as
// the allocation pages do; every date when either is not a date.
inline constexpr const wchar_t kHoldingsEarliestDateQuery[] =
    L"select min(date) from tb_stockholding where not isdeleted";
inline constexpr const wchar_t kHoldingsLatestDateQuery[] =
    L"select max(date) from tb_stockholding where not isdeleted";
inline constexpr const wchar_t kHoldingsReportDatesQuery[] =
    L"select distinct date from tb_stockholding where not isdeleted order by date desc";

// The compared funds' names, by code: "select code, aliascode, name ... in (...)".
inline constexpr const wchar_t kHoldingsFundNamesQuery[] =
    L"select code, aliascode, name from tb_fund where not isdeleted and code in ";

// The lines of the compared funds' reports at a date (code, stock code, stock name, industry,
// shares, market value, share of net assets), in the order of the table's key. The two halves go
// around the date literal and the fund list: kHoldingsLinesHead + 'date' + kHoldingsLinesTail +
// (...). The industry is that of the stock's live row; a stock without one has none.
inline constexpr const wchar_t kHoldingsLinesHead[] =
    L"select h.code, h.stockcode, h.stockname, "
    L"(select n.name from tb_stock s join tb_industryname n on n.id = s.industryid "
    L"where s.code = h.stockcode and not s.isdeleted limit 1), "
    L"h.shares, h.marketvalue, h.percent from tb_stockholding h where h.date = ";
// The same without tb_stock.
inline constexpr const wchar_t kHoldingsLinesNoStocksHead[] =
    L"select h.code, h.stockcode, h.stockname, null, h.shares, h.marketvalue, h.percent "
    L"from tb_stockholding h where h.date = ";
inline constexpr const wchar_t kHoldingsLinesTail[] = L" and not h.isdeleted and h.code in ";
inline constexpr const wchar_t kHoldingsLinesOrder[] = L" order by h.code, h.rank";

// The compared funds' industry weights at a date (code, industry name, share of net assets). A
// category that has sub-industries (manufacturing) is left out: its weight is theirs again.
inline constexpr const wchar_t kHoldingsIndustriesHead[] =
    L"select i.code, n.name, i.percent from tb_investindustry i join tb_industryname n on n.id = "
    L"i.industryid "
    L"where i.date = ";
inline constexpr const wchar_t kHoldingsIndustriesTail[] =
    L" and not i.isdeleted and i.industryid not in (select parentid from tb_industryname where parentid is "
    L"not null) and i.code in ";

// One fund's lines at every report date, oldest first: date, stock code, stock name, industry,
// shares, market value, share of net assets. The fund's code goes between the two halves.
inline constexpr const wchar_t kFundLinesHead[] =
    L"select h.date, h.stockcode, h.stockname, "
    L"(select n.name from tb_stock s join tb_industryname n on n.id = s.industryid "
    L"where s.code = h.stockcode and not s.isdeleted limit 1), "
    L"h.shares, h.marketvalue, h.percent from tb_stockholding h where h.code = ";
inline constexpr const wchar_t kFundLinesNoStocksHead[] =
    L"select h.date, h.stockcode, h.stockname, null, h.shares, h.marketvalue, h.percent "
    L"from tb_stockholding h where h.code = ";
inline constexpr const wchar_t kFundLinesTail[] = L" and not h.isdeleted order by h.date, h.rank";
