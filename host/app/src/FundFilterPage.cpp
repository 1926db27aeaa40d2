// FundFilterPage: the fund list, its two filters and the actions on selected funds.
//
// Sections: the grid; the page's tab contract; the window; filters; actions; theme.
#include "FundFilterPage.h"

#include "FundFilterPageKeys.h"
#include "HostGridTheme.h"
#include "MainFrame.h"

#include <sdk/Kernel.h>

#include <algorithm>
#include <map>

namespace {

const wchar_t kPageClass[] = L"FundHostFilterPage";
constexpr int kTopStrip = 74; // the type bar and the search row above the grid

const wchar_t kFundsQuery[] =
    L"select f.code, f.aliascode, f.name, f.pycode, f.investtype, f.investstyle,"
    L" ifnull(c.name, '') as company, replace(f.createdate, '0001-01-01', '--') as createdate"
    L" from tb_fund f left join tb_investadvisor c on f.companyguid = c.guid and not c.isdeleted"
    L" where f.fundtype <> '契约型封闭式' and f.fundtype <> '创新型封闭式' and f.fundtype <> '集合理财产品'"
    L" and f.isdellisting = 0 and not f.isdeleted order by f.code";

const wchar_t kGridHeader[] = L"<header>"
                              L"<item title=\"代码\" name=\"aliascode\" width=\"70\" align=\"center\"/>"
                              L"<item title=\"名称\" name=\"name\" width=\"200\" align=\"left\"/>"
                              L"<item title=\"拼音\" name=\"pycode\" width=\"80\" align=\"left\"/>"
                              L"<item title=\"投资类型\" name=\"investtype\" width=\"80\" align=\"center\"/>"
                              L"<item title=\"投资风格\" name=\"investstyle\" width=\"80\" align=\"center\"/>"
                              L"<item title=\"基金公司\" name=\"company\" width=\"180\" align=\"left\"/>"
                              L"<item title=\"成立日期\" name=\"createdate\" width=\"100\" align=\"center\"/>"
                              L"<item title=\"关注\" name=\"followed\" width=\"50\" align=\"center\"/>"
                              L"</header>";

// The company list shows each company's number of funds in a column of its own; the box itself
// shows only the chosen company's name.
const wchar_t kCompanyHeader[] =
    L"<header><item title=\"基金公司\" name=\"name\" width=\"220\" align=\"left\"/>"
    L"<item title=\"基金数\" name=\"count\" width=\"60\" align=\"right\"/></header>";

template <class T>
XComPtr<T> make(const char* classId) {
    XComPtr<IXUnknown> object;
    object.Attach(createInstance(classId));
    return object.As<T>();
}

XStringW cellOf(Data::IDataContainer* container, int row, const wchar_t* field) {
    XComPtr<Data::IDataRow> r;
    if (container == nullptr || !container->GetRow(r.Receive(), row) || r == nullptr)
        return XStringW();
    Data::IDataElement* e = r->GetValue(field);
    return e != nullptr ? e->ToString() : XStringW();
}

} // namespace

// ---- The grid -------------------------------------------------------------------------------------

int HostFundGrid::GetRowsCount() {
    return m_page.View() != nullptr ? m_page.View()->GetRowCount() : 0;
}

void HostFundGrid::GetItemText(int row, const HeaderInfo2& item, XStringW& text) {
    if (item.name == XStringW(L"followed")) {
        text = m_page.IsFollowed(m_page.CellText(row, L"code")) ? L"★" : L"";
        return;
    }
    text = m_page.CellText(row, item.name.c_str());
}

void HostFundGrid::GetItemColor(int row, const HeaderInfo2& item, const XStringW& text, COLORREF& colour) {
    XDataGrid::GetItemColor(row, item, text, colour);
    // The theme's highlight, chosen to read on its rows; a fixed yellow vanishes on light ones.
    if (m_page.IsFollowed(m_page.CellText(row, L"code")))
        colour = m_page.HighlightColour();
}

bool HostFundGrid::sort(const XStringW& name, bool ascending) {
    Data::IDataView* view = m_page.View();
    if (view == nullptr || name == XStringW(L"followed"))
        return false;
    XComPtr<IXUnknown> object;
    object.Attach(createInstance("Data.FieldSorter"));
    auto sorter = object.As<Data::IFieldSorter>();
    if (sorter == nullptr)
        return false;
    sorter->SetField(name.c_str());
    sorter->SetAscending(ascending);
    view->SetSorter(sorter);
    return true;
}

void HostFundGrid::OnEnterItem(int) {
    m_page.AddSelectedToComparison();
}

// ---- The page's tab contract ----------------------------------------------------------------------

FundFilterPage::FundFilterPage(IApp* app, Data::IDatabase* database, ConcernFundModule* concern)
    : HostTabPage(kPageClass), m_app(app), m_database(database), m_concern(concern), m_grid(*this) {
    m_funds = make<Data::IDataTable>("Data.DataTable");
    m_companies = make<Data::IDataTable>("Data.DataTable");
    m_view = make<Data::IDataView>("Data.DataView");
    m_view->SetSource(m_funds);
}

FundFilterPage::~FundFilterPage() {
    if (m_backBrush != nullptr)
        DeleteObject(m_backBrush);
}

// ---- The window -----------------------------------------------------------------------------------

LRESULT FundFilterPage::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        OnCreate();
        return 0;
    case WM_DESTROY:
        if (m_app != nullptr && m_keys != nullptr)
            m_app->RemovePreMessageHandler(m_keys);
        m_keys = nullptr;
        break;
    case WM_SIZE:
        OnSize(LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_CTLCOLORBTN:
        return reinterpret_cast<LRESULT>(m_backBrush != nullptr ? m_backBrush : GetStockObject(BLACK_BRUSH));
    case Control::kTableHeaderSelChange:
        SelectType(static_cast<int>(lParam));
        return 0;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case kAddId:
            AddSelectedToComparison();
            return 0;
        case kFollowId:
            FollowSelected(true);
            return 0;
        case kUnfollowId:
            FollowSelected(false);
            return 0;
        case kSearchId:
            ApplySearch();
            return 0;
        case kClearId:
            ClearFilters();
            return 0;
        case kCompanyId:
            if (HIWORD(wParam) == CBN_SELCHANGE)
                ApplySearch();
            return 0;
        default:
            break;
        }
        break;
    default:
        break;
    }
    return HostTabPage::HandleMessage(message, wParam, lParam);
}

void FundFilterPage::OnCreate() {
    LoadFunds();
    m_typeBar.Create(L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, kTypeBarId, m_window);
    m_typeBar.SetStyle(Control::TableHeaderStyle(0));
    m_typeBar.SetButtonWidth(72);
    m_typeBar.SetFontSize(12);
    m_typeBar.AddButton(L"全部");
    for (const XStringW& type : m_types)
        m_typeBar.AddButton(type.c_str());
    m_typeBar.SetCurrSel(0);

    m_company.Create(WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, kCompanyId, m_window);
    m_company.SetDataSource(m_companies);
    m_company.SetDataField(L"code", L"", L"name", L"pycode");
    m_company.GetDropDownGrid().SetHeader(kCompanyHeader);

    struct Spec {
        UINT id;
        const wchar_t* caption;
    };
    for (Spec spec : {Spec{kSearchId, L"筛选"}, Spec{kClearId, L"清除条件"}, Spec{kAddId, L"加入对比"},
                      Spec{kFollowId, L"关注"}, Spec{kUnfollowId, L"取消关注"}}) {
        HWND button = CreateWindowExW(0, L"Button", spec.caption, WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 0, 0,
                                      0, 0, m_window, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(spec.id)),
                                      GetModuleHandleW(nullptr), nullptr);
        SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
        m_buttons.push_back(button);
    }

    m_grid.Create(L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, 0, m_window);
    m_grid.SetMultiSel(true);
    m_grid.SetExportName(L"基金筛选");
    m_grid.SetHeader(kGridHeader);
    UpdateCount();
    if (m_app != nullptr) {
        m_keys.Attach(new FundFilterPageKeys(*this));
        m_app->AddPreMessageHandler(0, m_keys);
    }
}

bool FundFilterPage::MoveFocus(bool backwards) {
    HWND focus = GetFocus();
    if (m_window == nullptr || !IsWindowVisible(m_window) || focus == nullptr || !IsChild(m_window, focus))
        return false;
    std::vector<HWND> order{m_company.GetEditWindow()};
    order.insert(order.end(), m_buttons.begin(), m_buttons.end());
    order.push_back(m_grid);
    int at = -1;
    for (size_t i = 0; i < order.size(); ++i)
        if (order[i] == focus || IsChild(order[i], focus))
            at = static_cast<int>(i);
    const int n = static_cast<int>(order.size());
    const int next = at < 0 ? 0 : (at + (backwards ? n - 1 : 1)) % n;
    SetFocus(order[static_cast<size_t>(next)]);
    if (next == 0)
        m_company.SelectAllText(); // as a dialog's edit field, reached with Tab, offers its text
    return true;
}

HWND FundFilterPage::ButtonWindow(UINT id) const {
    for (HWND b : m_buttons)
        if (static_cast<UINT>(GetDlgCtrlID(b)) == id)
            return b;
    return nullptr;
}

void FundFilterPage::OnSize(int width, int height) {
    ::MoveWindow(m_typeBar, 8, 6, std::max(0, width - 16), 26, TRUE);
    ::MoveWindow(m_company, 8, 40, 240, 24, TRUE);
    int x = 256;
    for (HWND b : m_buttons) {
        int w =
            GetDlgCtrlID(b) == static_cast<int>(kClearId) || GetDlgCtrlID(b) == static_cast<int>(kUnfollowId)
                ? 80
                : 70;
        if (GetDlgCtrlID(b) == static_cast<int>(kAddId))
            x += 24; // the actions on selected funds stand apart from the filter buttons
        ::MoveWindow(b, x, 40, w, 24, TRUE);
        x += w + 6;
    }
    ::MoveWindow(m_grid, 0, kTopStrip, width, std::max(0, height - kTopStrip), TRUE);
}

void FundFilterPage::OnPaint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(m_window, &ps);
    RECT client{};
    GetClientRect(m_window, &client);
    HBRUSH brush = m_backBrush != nullptr ? m_backBrush : static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    FillRect(dc, &ps.rcPaint, brush);
    HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, m_text);
    RECT count{client.right - 220, 40, client.right - 10, 64};
    DrawTextW(dc, m_countText.c_str(), static_cast<int>(m_countText.size()), &count,
              DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
    SelectObject(dc, old);
    EndPaint(m_window, &ps);
}

// ---- Filters --------------------------------------------------------------------------------------

void FundFilterPage::LoadFunds() {
    if (m_database == nullptr || !m_database->Execute(kFundsQuery, m_funds, 1, 0))
        return;
    // The types by the number of their funds, and the companies with their fund codes.
    std::map<XStringW, int> typeCounts;
    std::map<XStringW, int> companyCounts;
    for (int r = 0; r < m_funds->GetRowCount(); ++r) {
        ++typeCounts[cellOf(m_funds, r, L"investtype")];
        XStringW company = cellOf(m_funds, r, L"company");
        if (!company.empty())
            ++companyCounts[company];
    }
    std::vector<std::pair<int, XStringW>> types;
    for (const auto& [type, count] : typeCounts)
        if (!type.empty())
            types.emplace_back(-count, type);
    std::sort(types.begin(), types.end());
    m_types.clear();
    for (const auto& t : types)
        m_types.push_back(t.second);

    m_companies->Clear(1);
    if (m_companies->GetColumnCount() == 0) {
        m_companies->AddColumn(Data::kText, L"code");
        m_companies->AddColumn(Data::kText, L"count");
        m_companies->AddColumn(Data::kText, L"name");
        m_companies->AddColumn(Data::kText, L"pycode");
    }
    for (const auto& [company, count] : companyCounts) {
        XComPtr<Data::IDataRow> row;
        m_companies->GetRow(row.Receive(), m_companies->AddRow());
        row->GetValue(L"code")->SetText(company.c_str());
        row->GetValue(L"count")->SetText(std::to_wstring(count).c_str());
        row->GetValue(L"name")->SetText(company.c_str());
        row->GetValue(L"pycode")->SetText(L"");
    }
}

void FundFilterPage::ChangeFilters(XComPtr<Data::IDataFilter> newA, XComPtr<Data::IDataFilter> newB) {
    XComPtr<Data::IDataFilter> oldA = m_filterA, oldB = m_filterB;
    XComPtr<Data::IUpdateContext> update;
    m_view->BeginUpdate(update.Receive());
    if (oldA != nullptr)
        m_view->RemoveFilter(oldA);
    if (oldB != nullptr)
        m_view->RemoveFilter(oldB);
    if (newA != nullptr)
        m_view->AddFilter(newA);
    if (newB != nullptr)
        m_view->AddFilter(newB);
    if (update != nullptr)
        update->Commit();
    m_filterA = newA;
    m_filterB = newB;
    m_grid.Refresh(true, true);
    UpdateCount();

    // Every page of the tab follows the host's filters, the comparison workspace among them.
    auto* tabs = dynamic_cast<TabCtrl*>(m_tabCtrl.Get());
    if (tabs == nullptr)
        return;
    std::vector<XComPtr<ITabPage>> pages;
    for (int i = 0; i < tabs->PageCount(); ++i)
        if (tabs->Page(i) != static_cast<ITabPage*>(this))
            pages.emplace_back(tabs->Page(i));
    for (const auto& page : pages)
        page->OnFilterChanged(oldA, newA, oldB, newB);
}

void FundFilterPage::SelectType(int index) {
    XComPtr<Data::IDataFilter> filterA;
    if (index > 0 && index <= static_cast<int>(m_types.size()))
        filterA.Attach(new InvestTypeFilter(m_types[static_cast<size_t>(index - 1)]));
    ChangeFilters(filterA, m_filterB);
}

void FundFilterPage::ApplySearch() {
    XComPtr<Data::IDataFilter> filterB;
    XStringW company = m_company.GetCurrCode();
    if (!company.empty()) {
        std::set<XStringW> codes;
        for (int r = 0; r < m_funds->GetRowCount(); ++r)
            if (cellOf(m_funds, r, L"company") == company)
                codes.insert(cellOf(m_funds, r, L"code"));
        filterB.Attach(new FundSearchFilter(company, std::move(codes)));
    } else if (!m_company.GetText().empty()) {
        filterB.Attach(new FundSearchFilter(m_company.GetText()));
    }
    ChangeFilters(m_filterA, filterB);
}

void FundFilterPage::ClearFilters() {
    m_typeBar.SetCurrSel(0); // sends the selection message, which drops filter A
    // The company or text that made filter B goes with it, so that the box says what filters.
    m_company.ClearChoice();
    ChangeFilters(nullptr, nullptr);
}

void FundFilterPage::UpdateCount() {
    m_countText = L"共 " + std::to_wstring(m_view->GetRowCount()) + L" 只基金";
    if (m_window != nullptr) {
        RECT client{};
        GetClientRect(m_window, &client);
        RECT count{client.right - 220, 40, client.right, 64};
        InvalidateRect(m_window, &count, TRUE);
    }
}

// ---- Actions --------------------------------------------------------------------------------------

XStringW FundFilterPage::CellText(int viewRow, const wchar_t* field) const {
    return cellOf(m_view, viewRow, field);
}

bool FundFilterPage::IsFollowed(const XStringW& code) const {
    return m_concern != nullptr && m_concern->IsConcerned(code);
}

int FundFilterPage::RowOfCode(const XStringW& code) const {
    for (int r = 0; r < m_view->GetRowCount(); ++r)
        if (CellText(r, L"code") == code)
            return r;
    return -1;
}

std::vector<XStringW> FundFilterPage::SelectedCodes() const {
    std::vector<XStringW> codes;
    for (int row : m_grid.GetCurrSels()) {
        XStringW code = CellText(row, L"code");
        if (!code.empty() && code != XStringW(L"--"))
            codes.push_back(code);
    }
    if (codes.empty() && m_grid.GetCurrSel() >= 0)
        codes.push_back(CellText(m_grid.GetCurrSel(), L"code"));
    return codes;
}

void FundFilterPage::AddSelectedToComparison() {
    std::vector<XStringW> codes = SelectedCodes();
    if (codes.empty()) {
        MessageBoxW(m_window, L"请选择一只基金！", L"提示", MB_OK | MB_ICONINFORMATION);
        return;
    }
    XComPtr<IModule> module;
    XComPtr<IFundCompareModule> compare;
    if (m_app != nullptr && m_app->GetModule(module.Receive(), "mod_FundCompare"))
        compare = module.As<IFundCompareModule>();
    if (compare == nullptr) {
        MessageBoxW(m_window, L"基金对比模块没有加载。", L"提示", MB_OK | MB_ICONWARNING);
        return;
    }
    for (const XStringW& code : codes) {
        int result = compare->AddFund(code);
        if (result == 1) {
            int row = RowOfCode(code);
            XStringW text;
            text.Format(L"基金[%s]%s已存在。", CellText(row, L"aliascode").c_str(),
                        CellText(row, L"name").c_str());
            MessageBoxW(m_window, text.c_str(), L"提示", MB_OK | MB_ICONINFORMATION);
        } else if (result == 2) {
            MessageBoxW(m_window, L"最多只能添加100只基金进行对比！", L"提示", MB_OK | MB_ICONWARNING);
            break;
        }
    }
}

void FundFilterPage::FollowSelected(bool follow) {
    if (m_concern == nullptr)
        return;
    for (const XStringW& code : SelectedCodes()) {
        XStringW error;
        bool changed = follow ? m_concern->Follow(code, error) : m_concern->Unfollow(code, error);
        if (!changed && !error.empty()) {
            MessageBoxW(m_window, error.c_str(), L"提示", MB_OK | MB_ICONWARNING);
            break;
        }
    }
    m_grid.Invalidate(FALSE);
}

// ---- Theme ----------------------------------------------------------------------------------------

void FundFilterPage::ApplyTheme(Conf::ITheme* theme) {
    if (theme == nullptr)
        return;
    theme->GetColor("wnd_general_bg", m_back);
    theme->GetColor("list_prev_data", m_text);
    theme->GetColor("list_highlight", m_highlight);
    if (m_backBrush != nullptr)
        DeleteObject(m_backBrush);
    m_backBrush = CreateSolidBrush(m_back);
    ApplyHostGridTheme(m_grid, theme);
    ApplyHostTableHeaderTheme(m_typeBar, theme, m_back);
    if (m_window != nullptr) {
        InvalidateRect(m_window, nullptr, TRUE);
        for (HWND b : m_buttons)
            InvalidateRect(b, nullptr, TRUE);
    }
}
