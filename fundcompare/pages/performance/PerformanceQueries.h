// The statements of the performance page. They stay in the program text rather than in resources
// because the page fills the year slots itself (wide-formatter syntax: %s text, %d integer).
#pragma once

#include <sdk/XStringW.h>

// The year text the all-funds query may carry: four decimal digits, or the current UTC year. The
// year is written into the query without quotes, so only plain digits may pass.
XStringW SafeYear(const XStringW& text);

// The latest calendar year that has fund year returns. Withdrawn rows do not count: a withdrawn
// return for a year that no live row has reached would label the three year groups with a year
// for which no fund has a value.
inline constexpr const wchar_t kLatestYearQuery[] =
    L"select max(year)  from tb_yieldhistory where yieldtype=1 and not isdeleted";

// Every fund of the return table with its thirteen period returns, the universe that the page ranks.
// Slots, in order: Y, Y - 1, Y - 2 in the three year-value aliases, then the same years in the
// joins of e1, e2 and e3 (Y as text, the others as integers). Each value column is followed by two
// null columns so that the page can read the values at a stride of three. The fund type test sits
// in the join, so rows of the closed-end forms and products find no fund and the final "not
// a.isdeleted" drops them together with the funds that are missing or deleted. A withdrawn row of
// the current values would otherwise put a fund into the universe twice (ranked and counted twice).
inline constexpr const wchar_t kAllFundsQuery[] =
    L"select a.code, a.aliascode, a.name, a.investtype,"
    L" case when y.buystate = 0 then '暂停' else '开放' end as buystate,"
    L" c.daymargin as day, null as day_rank_sametype, null as day_rank_all,"
    L" b.lastweek as lastweek, null as week_rank_sametype, null as week_rank_all,"
    L" b.lastmonth as lastmonth, null as month_rank_sametype, null as month_rank_all,"
    L" b.lastquarter as lastquarter, null as quarter_rank_sametype, null as quarter_rank_all,"
    L" b.lasthalfyear as lasthalfyear, null as halfyear_rank_sametype, null as halfyear_rank_all,"
    L" b.thisyear as thisyear, null as thisyear_rank_sametype, null as thisyear_rank_all,"
    L" b.yearavgyield1year as yearavgyield1year, null as oneyear_rank_sametype, null as oneyear_rank_all,"
    L" b.yearavgyield2year as yearavgyield2year, null as twoyear_rank_sametype, null as twoyear_rank_all,"
    L" b.yearavgyield3year as yearavgyield3year, null as threeyear_rank_sametype, null as threeyear_rank_all,"
    L" b.yearavgyield5year as yearavgyield5year, null as fiveyear_rank_sametype, null as fiveyear_rank_all,"
    L" e1.percentvalue as value%s, null as rank_sametype_2009, null as fiveyear_rank_all,"
    L" e2.percentvalue as value%d, null as rank_sametype_2008, null as fiveyear_rank_all,"
    L" e3.percentvalue as value%d, null as rank_sametype_2007, null as fiveyear_rank_all"
    L" from tb_yield b"
    L" left join tb_fund a on a.code = b.fundcode"
    L" and b.fundtype <> '契约型封闭式' and b.fundtype <> '创新型封闭式' and b.fundtype <> '集合理财产品'"
    L" and a.isdellisting = 0 and not b.isdeleted"
    L" left join tb_currvalue c on c.code = b.fundcode and not c.isdeleted"
    L" left join tb_yieldhistory e1 on e1.fundcode = b.fundcode and e1.yieldtype = 1 and e1.year = %s"
    L" and not e1.isdeleted"
    L" left join tb_yieldhistory e2 on e2.fundcode = b.fundcode and e2.yieldtype = 1 and e2.year = %d"
    L" and not e2.isdeleted"
    L" left join tb_yieldhistory e3 on e3.fundcode = b.fundcode and e3.yieldtype = 1 and e3.year = %d"
    L" and not e3.isdeleted"
    L" left join tb_buyredeemstate y on y.code = a.code and not y.isdeleted"
    L" where not a.isdeleted";
