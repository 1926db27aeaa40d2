// RiskReturnPage: The third tab, 风险回报: a star map of return against standard deviation.
#pragma once

#include "pages/common/ComparePage.h"

class RiskReturnPage : public ComparePage {
public:
    RiskReturnPage();

    // Rebuilds the page when its window is visible; a hidden page catches up when shown.
    void ReloadIfVisible();
    int ReloadCount() const { return m_reloads; }

private:
    int m_reloads = 0;
};
