// IndustryGrid: the industry allocation list, grouped by industry; an entered fund opens in the
// host's industry-allocation module.
#pragma once

#include "pages/asset/AllocationGrid.h"

class IndustryGrid : public AllocationGrid {
public:
    IndustryGrid() : AllocationGrid(L"industrytype") {}

    void SetFundModule(IApp* app) override;
    IIndustryAllocationModule* IndustryModule() const { return m_industryModule; }

protected:
    void OpenFund(const XStringW& code) override;

private:
    XComPtr<IIndustryAllocationModule> m_industryModule;
};
