// AssetGrid: the asset allocation list, grouped by asset type; an entered fund opens in the host's
// asset-allocation module.
#pragma once

#include "pages/asset/AllocationGrid.h"

class AssetGrid : public AllocationGrid {
public:
    AssetGrid() : AllocationGrid(L"assettype") {}

    void SetFundModule(IApp* app) override;
    IAssetAllocationModule* AssetModule() const { return m_assetModule; }

protected:
    void OpenFund(const XStringW& code) override;

private:
    XComPtr<IAssetAllocationModule> m_assetModule;
};
