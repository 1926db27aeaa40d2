// The statements of the industry allocation page kept in the program text (its main query is the
// INDUSTRY_QUERY resource, followed by the fund list clause of pages/common/SqlCodeList.h).
#pragma once

// The earliest and the latest report date, between which the date box lists the quarter ends.
inline constexpr const wchar_t kIndustryEarliestDateQuery[] =
    L"select  min(date) from tb_investindustry where  not isdeleted ";
inline constexpr const wchar_t kIndustryLatestDateQuery[] =
    L"select  max(date) from tb_investindustry where  not isdeleted";
// Every report date, latest first: read only when the earliest or latest one is not a date.
inline constexpr const wchar_t kIndustryReportDatesQuery[] =
    L"select distinct date from tb_investindustry where not isdeleted order by date desc";

// The industry names in id order, which is the order of INDUSTRY_QUERY's value pairs. Id 2 is the
// parent category of the manufacturing sub-industries, so its holdings would count them twice.
inline constexpr const wchar_t kIndustryNamesQuery[] =
    L"select  name from tb_industryname where id<>2 order by id";
