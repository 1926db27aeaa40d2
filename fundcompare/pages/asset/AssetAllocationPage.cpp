// AssetAllocationPage: the asset types and the reading of ASSET_QUERY's rows.
#include "pages/asset/AssetAllocationPage.h"

#include "pages/asset/AssetQueries.h"

AssetAllocationPage::AssetAllocationPage()
    : AllocationPage(L"AssetAllocationPage", std::make_unique<AssetGrid>(),
                     Traits{L"投资类型", L"投资类型:", L"ASSET_GRIDHEADER", L"ASSET_QUERY",
                            kAssetEarliestDateQuery, kAssetLatestDateQuery, kAssetReportDatesQuery}) {
    for (const AssetType& type : kAssetTypes)
        m_groupLabels.emplace_back(type.label);
}

void AssetAllocationPage::AddFilterValues() {
    for (const XStringW& label : m_groupLabels)
        FilterPanel().AddValue(Grid().GroupField(), label, label);
}

AllocationPage::FundRecord AssetAllocationPage::ReadRecord(Data::IStatement* statement) {
    FundRecord record;
    statement->GetString(record.code, 0);
    statement->GetString(record.aliascode, 1);
    statement->GetString(record.name, 2);
    statement->GetString(record.buystate, kBuyStateColumn);
    statement->GetString(record.investtype, kInvestTypeColumn);
    record.holdings.reserve(std::size(kAssetTypes));
    for (const AssetType& type : kAssetTypes)
        record.holdings.push_back(
            {statement->GetDouble(type.marketValueColumn), statement->GetDouble(type.shareColumn)});
    return record;
}
