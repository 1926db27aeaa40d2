// AssetGrid: the sibling module that opens an entered fund.
#include "pages/asset/AssetGrid.h"

void AssetGrid::SetFundModule(IApp* app) {
    XComPtr<IModule> module;
    if (app != nullptr && app->GetModule(module.Receive(), "mod_AssetAllocation") && module)
        m_assetModule = module.As<IAssetAllocationModule>();
}

void AssetGrid::OpenFund(const XStringW& code) {
    if (m_assetModule)
        m_assetModule->ShowFund(code);
}
