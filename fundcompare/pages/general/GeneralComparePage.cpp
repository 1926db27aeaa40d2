// GeneralComparePage: the query of the compared funds' facts and the page around its grid.
#include "pages/general/GeneralComparePage.h"

#include "grid/HeaderText.h"
#include "pages/common/SqlCodeList.h"
#include "pages/general/GeneralQueries.h"
#include "wgui/ModuleInstance.h"

#include <sdk/Kernel.h>

GeneralComparePage::GeneralComparePage() : ComparePage(L"GeneralComparePage") {}

GeneralComparePage::~GeneralComparePage() = default;

bool GeneralComparePage::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_CREATE:
        m_grid.Create(L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, m_hWnd);
        return false;
    case WM_SIZE:
        if (m_grid.IsWindow())
            m_grid.MoveWindow(0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return false;
    default:
        return ComparePage::HandleMessage(message, wParam, lParam, result);
    }
}

void GeneralComparePage::ApplyTheme(Conf::ITheme* theme) {
    if (theme == nullptr)
        return;
    theme->GetColor("wnd_general_bg", m_backColour);
    m_backBrush.Replace(CreateSolidBrush(m_backColour));
    m_grid.SetTheme(theme);
    RebuildHeader();
    m_grid.SetDrawGridLine(true, true);
    m_grid.SetRowHight(28);
    m_grid.SetHeaderRowHight(45);
    m_grid.SetScrollLock(true);
    if (m_grid.IsWindow())
        ::InvalidateRect(m_grid, nullptr, TRUE);
    Refresh();
}

XStringW GeneralComparePage::FillSlots(const XStringW& sqlTemplate, std::initializer_list<XStringW> values) {
    XStringW filled;
    size_t from = 0;
    for (const XStringW& value : values) {
        const size_t slot = sqlTemplate.find(XStringW(L"%s"), from);
        if (slot == XStringW::npos)
            break;
        filled += sqlTemplate.substr(from, slot - from);
        filled += value;
        from = slot + 2;
    }
    filled += sqlTemplate.substr(from);
    return filled;
}

XStringW GeneralComparePage::LatestReportDate() {
    Data::IDatabase* database = m_context->Database();
    XComPtr<IXUnknown> object;
    object.Attach(createInstance("Data.DataTable"));
    XComPtr<Data::IDataTable> table = object.As<Data::IDataTable>();
    if (table == nullptr || !database->Execute(kLatestReportDateQuery, table, 1, 0) ||
        table->GetRowCount() == 0)
        return XStringW();
    XComPtr<Data::IDataRow> row;
    if (!table->GetRow(row.Receive(), 0) || row == nullptr)
        return XStringW();
    Data::IDataElement* cell = row->GetValueAt(0);
    return cell != nullptr ? cell->ToString() : XStringW();
}

void GeneralComparePage::Reload() {
    ++m_reloads;
    if (RequireContext() == nullptr || m_context->Database() == nullptr)
        return;
    Data::IDatabase* database = m_context->Database();
    const XStringW codes = SqlCodeList::JoinQuoted(m_context->Funds());
    const XStringW date = SqlCodeList::EscapeLiteral(LatestReportDate());
    const XStringW sql =
        FillSlots(LoadResourceText(WGUI::ModuleInstance(), L"SQL", L"GENERAL_QUERY"), {date, date, codes});
    if (m_grid.ResultTable() == nullptr || !database->Execute(sql.c_str(), m_grid.ResultTable(), 1, 0)) {
        XStringW error;
        database->GetLastError(error);
        ReportQueryError(error);
        return;
    }
    RebuildHeader();
    m_grid.RebuildValues();
}

void GeneralComparePage::RebuildHeader() {
    const XStringW xml = m_grid.BuildHeaderXml();
    m_grid.SetHeader(xml.c_str());
    m_grid.SetApp(m_context != nullptr ? m_context->App() : nullptr);
    m_grid.ApplyUserZoom();
    m_grid.SetScrollLock(true);
    m_grid.Refresh(false, true);
}
