// IndustryGrid: the sibling module that opens an entered fund.
#include "pages/industry/IndustryGrid.h"

void IndustryGrid::SetFundModule(IApp* app) {
    XComPtr<IModule> module;
    if (app != nullptr && app->GetModule(module.Receive(), "mod_IndustryAllocation") && module)
        m_industryModule = module.As<IIndustryAllocationModule>();
}

void IndustryGrid::OpenFund(const XStringW& code) {
    if (m_industryModule)
        m_industryModule->ShowFund(code);
}
