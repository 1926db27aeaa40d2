// AssetAllocationPage.
#include "pages/asset/AssetAllocationPage.h"

#include <sdk/Kernel.h>

AssetAllocationPage::AssetAllocationPage() : ComparePage(L"AssetAllocationPage") {
    XComPtr<IXUnknown> object;
    object.Attach(createInstance("Data.DataTable"));
    m_listTable = object.As<Data::IDataTable>();
}

void AssetAllocationPage::Reload(bool) {
    ++m_reloads;
}

void AssetAllocationPage::ReloadIfVisible() {
    if (IsWindowVisible())
        Reload(true);
}

void AssetAllocationPage::ClearList() {
    if (m_listTable != nullptr)
        m_listTable->Clear(0);
}
