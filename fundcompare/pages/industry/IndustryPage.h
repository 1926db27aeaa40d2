// IndustryPage: The fifth tab, 行业配置: the industry allocation of the compared funds at a report date.
#pragma once

#include "pages/common/ComparePage.h"

#include <sdk/Data.h>

class IndustryPage : public ComparePage {
public:
    IndustryPage();

    // Rebuilds the list for the chosen report date; without force only when the date changed.
    void Reload(bool force);
    // Reload(true) when the window is visible.
    void ReloadIfVisible();
    int ReloadCount() const { return m_reloads; }
    // Empties the list without refilling it (the compared set was cleared or is about to be shown anew).
    void ClearList();
    Data::IDataTable* ListTable() const { return m_listTable; }

private:
    XComPtr<Data::IDataTable> m_listTable;
    int m_reloads = 0;
};
