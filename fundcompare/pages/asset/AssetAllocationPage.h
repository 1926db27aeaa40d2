// AssetAllocationPage: The fourth tab, 资产分布: the asset allocation of the compared funds at a report date.
#pragma once

#include "pages/asset/AllocationPage.h"
#include "pages/asset/AssetGrid.h"

class AssetAllocationPage : public AllocationPage {
public:
    // The six asset types in list order, with the result columns of their market value and share.
    struct AssetType {
        const wchar_t* label;
        int marketValueColumn;
        int shareColumn;
    };
    static constexpr AssetType kAssetTypes[] = {
        {L"股票投资", 4, 5},   {L"债券投资", 6, 7}, {L"现金存款", 8, 9},
        {L"返售证券", 10, 11}, {L"权证", 14, 15},   {L"其他资产", 12, 13},
    };
    static constexpr int kBuyStateColumn = 16;
    static constexpr int kInvestTypeColumn = 17;

    AssetAllocationPage();

    AssetGrid& Grid() { return static_cast<AssetGrid&>(AllocationPage::Grid()); }

protected:
    void AddFilterValues() override;
    FundRecord ReadRecord(Data::IStatement* statement) override;
};
