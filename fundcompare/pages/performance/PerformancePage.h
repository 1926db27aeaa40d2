// PerformancePage: The second tab, 业绩表现: returns over thirteen periods with peer and overall ranks.
#pragma once

#include "pages/common/ComparePage.h"

#include <sdk/Data.h>

class PerformancePage : public ComparePage {
public:
    PerformancePage();

    // Rebuilds the page when its window is visible; a hidden page catches up when shown.
    void ReloadIfVisible();
    int ReloadCount() const { return m_reloads; }
    // Empties the list without refilling it (the compared set was cleared or is about to be shown anew).
    void ClearList();
    Data::IDataTable* ListTable() const { return m_listTable; }

private:
    XComPtr<Data::IDataTable> m_listTable;
    int m_reloads = 0;
};
