// PerformancePage.
#include "pages/performance/PerformancePage.h"

#include <sdk/Kernel.h>

PerformancePage::PerformancePage() : ComparePage(L"PerformancePage") {
    XComPtr<IXUnknown> object;
    object.Attach(createInstance("Data.DataTable"));
    m_listTable = object.As<Data::IDataTable>();
}

void PerformancePage::ReloadIfVisible() {
    if (IsWindowVisible())
        ++m_reloads;
}

void PerformancePage::ClearList() {
    if (m_listTable != nullptr)
        m_listTable->Clear(0);
}
