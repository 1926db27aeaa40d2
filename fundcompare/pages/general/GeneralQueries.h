// The statement of the general page kept in the program text (its main query is a resource).
#pragma once

// The latest report date of the balance sheets, for the total and net assets of GENERAL_QUERY.
inline constexpr const wchar_t kLatestReportDateQuery[] =
    L"select max([date]) from tb_assetallocation where not isdeleted";
