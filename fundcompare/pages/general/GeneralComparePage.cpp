// GeneralComparePage.
#include "pages/general/GeneralComparePage.h"

#include <sdk/Kernel.h>

GeneralComparePage::GeneralComparePage() : ComparePage(L"GeneralComparePage") {}

void GeneralComparePage::Reload() {
    ++m_reloads;
}
