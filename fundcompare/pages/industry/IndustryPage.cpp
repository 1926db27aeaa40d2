// IndustryPage.
#include "pages/industry/IndustryPage.h"

#include <sdk/Kernel.h>

IndustryPage::IndustryPage() : ComparePage(L"IndustryPage") {
    XComPtr<IXUnknown> object;
    object.Attach(createInstance("Data.DataTable"));
    m_listTable = object.As<Data::IDataTable>();
}

void IndustryPage::Reload(bool) {
    ++m_reloads;
}

void IndustryPage::ReloadIfVisible() {
    if (IsWindowVisible())
        Reload(true);
}

void IndustryPage::ClearList() {
    if (m_listTable != nullptr)
        m_listTable->Clear(0);
}
