// The statements of the asset allocation page kept in the program text (its main query is the
// ASSET_QUERY resource, followed by the fund list clause of pages/common/SqlCodeList.h).
#pragma once

// The earliest and the latest report date, between which the date box lists the quarter ends.
inline constexpr const wchar_t kAssetEarliestDateQuery[] =
    L"select  min(date) from tb_assetallocation where  not isdeleted ";
inline constexpr const wchar_t kAssetLatestDateQuery[] =
    L"select  max(date) from tb_assetallocation where  not isdeleted";
// Every report date, latest first: read only when the earliest or latest one is not a date.
inline constexpr const wchar_t kAssetReportDatesQuery[] =
    L"select distinct date from tb_assetallocation where not isdeleted order by date desc";
