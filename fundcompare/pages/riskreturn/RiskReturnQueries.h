// The statements of the risk-return page, kept in the program text.
#pragma once

// Annualised return and standard deviation of every fund over 1, 2, 3 and 5 years. Columns:
// aliascode, code, name, investtype, the four returns, then the four standard deviations.
// Money-market funds are left out: their near-zero risk would only crowd the origin of the chart.
#define FC_RISK_FUNDS_SELECT                                                                                 \
    L"select a.aliascode, a.code, a.name, a.investtype,"                                                     \
    L" c1.increasepercent as one_year_return, c2.increasepercent as two_year_return,"                        \
    L" c3.increasepercent as three_year_return, c4.increasepercent as five_year_return,"                     \
    L" c1.standard as one_year_standard, c2.standard as two_year_standard,"                                  \
    L" c3.standard as three_year_standard, c4.standard as five_year_standard"                                \
    L" from tb_fund a"                                                                                       \
    L" left join tb_riskevaluation c1 on a.code = c1.fundcode and c1.year = 1 and not c1.isdeleted"          \
    L" left join tb_riskevaluation c2 on a.code = c2.fundcode and c2.year = 2 and not c2.isdeleted"          \
    L" left join tb_riskevaluation c3 on a.code = c3.fundcode and c3.year = 3 and not c3.isdeleted"          \
    L" left join tb_riskevaluation c4 on a.code = c4.fundcode and c4.year = 5 and not c4.isdeleted"          \
    L" where a.fundtype not in ('集合理财产品', '创新型封闭式', '集合理财产品')"           \
    L" and a.isdellisting = 0 and a.investtype <> '现金型' and not a.isdeleted"

inline constexpr const wchar_t kFundRiskQuery[] = FC_RISK_FUNDS_SELECT L" order by a.code";

// The weekly returns of the Shanghai Composite Index, latest week first.
inline constexpr const wchar_t kIndexWeeksQuery[] =
    L"select distinct(week),percentvalue,year,exponentcode from tb_yieldhistory where exponentcode = "
    L"'sh000001'  and yieldtype = 4 and not isdeleted  order by year desc , week desc  ";

// Per investment type, the averages of the eight figures of the fund risk query over the same funds
// (avg skips the funds that lack a figure).
inline constexpr const wchar_t kAverageQuery[] =
    L"select investtype,"
    L" avg(one_year_return) as one_avg_return, avg(one_year_standard) as one_avg_standard,"
    L" avg(two_year_return) as two_avg_return, avg(two_year_standard) as two_avg_standard,"
    L" avg(three_year_return) as three_avg_return, avg(three_year_standard) as three_avg_standard,"
    L" avg(five_year_return) as five_avg_return, avg(five_year_standard) as five_avg_standard"
    L" from (" FC_RISK_FUNDS_SELECT L" order by a.investtype)"
    L" group by investtype";

#undef FC_RISK_FUNDS_SELECT
