// GeneralComparePage: The first tab, 综合对比: the compared funds side by side as columns over their facts.
#pragma once

#include "pages/common/ComparePage.h"

class GeneralComparePage : public ComparePage {
public:
    GeneralComparePage();

    // Rebuilds the page from the compared-fund set, whether the page is visible or not.
    void Reload();
    int ReloadCount() const { return m_reloads; }

private:
    int m_reloads = 0;
};
