// RiskReturnPage.
#include "pages/riskreturn/RiskReturnPage.h"

#include <sdk/Kernel.h>

RiskReturnPage::RiskReturnPage() : ComparePage(L"RiskReturnPage") {}

void RiskReturnPage::ReloadIfVisible() {
    if (IsWindowVisible())
        ++m_reloads;
}
