// BackgroundPage: the workspace window, its pages and the host's tab-page contract.
//
// Sections: the tab-page contract; the window procedure and its handlers; theme.
#include "workspace/BackgroundPage.h"

#include "grid/HeaderText.h"
#include "pages/common/ToolbarFlow.h"
#include "wgui/ModuleInstance.h"
#include "wgui/OffscreenPaint.h"
#include "workspace/PageList.h"

#include <sdk/CompareWorkspace.h>
#include <sdk/Kernel.h>

#include <algorithm>

namespace {

const wchar_t* const kClassName = CompareWorkspace::kWindowClass;
const wchar_t* const kTitle = CompareWorkspace::kTitle;
const wchar_t kPrompt[] = L"请选择对比的基金：";
// The width of a page tab.
constexpr int kTabWidth = 80;
constexpr int kMinTabWidth = 60; // four characters of the tab font, with a little room

// The columns of the picker's drop-down list, on one line as the picker's grid reads it.
const wchar_t kPickerHeader[] =
    L"<Header><item title=\"代码\" font-size=\"9\" align=\"left\" name=\"aliascode\" width=\"50\"/>"
    L"<item title=\"名称\" font-size=\"9\" align=\"left\" name=\"name\" width=\"160\"/>"
    L"<item title=\"拼音编码\" font-size=\"9\" align=\"left\" name=\"pycode\" width=\"120\"/>"
    L"<item title=\"投资风格\" font-size=\"9\" align=\"left\" name=\"investtype\" width=\"100\"/>"
    L"<item title=\"成立日期\" font-size=\"9\" align=\"left\" name=\"createdate\" width=\"100\"/></Header>";

template <class T>
XComPtr<T> make(const char* classId) {
    XComPtr<IXUnknown> object;
    object.Attach(createInstance(classId));
    return object.As<T>();
}

} // namespace

BackgroundPage::BackgroundPage() {
    m_backBrush.Attach(CreateSolidBrush(m_backColour));
    for (const PageListEntry& entry : PageList())
        m_pages.push_back(entry.make());
}

BackgroundPage::~BackgroundPage() = default;

// ---- The tab-page contract ------------------------------------------------------------------------

HWND BackgroundPage::Create(HWND parent, ITabCtrl* tabCtrl) {
    m_tabCtrl = tabCtrl;
    if (m_window != nullptr && IsWindow(m_window))
        return m_window;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (!GetClassInfoExW(WGUI::ModuleInstance(), kClassName, &wc)) {
        wc = WNDCLASSEXW{};
        wc.cbSize = sizeof wc;
        wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
        wc.lpfnWndProc = &BackgroundPage::WindowProcedure;
        wc.hInstance = WGUI::ModuleInstance();
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        wc.lpszClassName = kClassName;
        if (RegisterClassExW(&wc) == 0)
            return nullptr;
    }
    return CreateWindowExW(0, kClassName, L"", WS_CHILD | WS_CLIPCHILDREN, 0, 0, 0, 0, parent, nullptr,
                           WGUI::ModuleInstance(), this);
}

bool BackgroundPage::IsCreated() {
    return m_window != nullptr && IsWindow(m_window);
}

bool BackgroundPage::GetTabCtrl(ITabCtrl** tabCtrl) {
    if (tabCtrl == nullptr)
        return false;
    *tabCtrl = m_tabCtrl;
    if (*tabCtrl != nullptr)
        (*tabCtrl)->AddRef();
    return *tabCtrl != nullptr;
}

void BackgroundPage::Show() {
    if (m_window != nullptr)
        ShowWindow(m_window, SW_SHOW);
}

void BackgroundPage::Hide() {
    if (m_window != nullptr)
        ShowWindow(m_window, SW_HIDE);
}

void BackgroundPage::Invalidate() {
    if (m_window != nullptr)
        InvalidateRect(m_window, nullptr, TRUE);
}

void BackgroundPage::Move(int x, int y, int width, int height) {
    if (m_window != nullptr)
        MoveWindow(m_window, x, y, width, height, TRUE);
}

void BackgroundPage::GetTitle(XStringW& title) {
    title = kTitle;
}

void BackgroundPage::OnFilterChanged(Data::IDataFilter* oldA, Data::IDataFilter* newA,
                                     Data::IDataFilter* oldB, Data::IDataFilter* newB) {
    if (m_fundsView == nullptr || m_fundsTable == nullptr || m_fundsArriving) {
        // Before the window exists, or while its fund list is on its way, there is no list to
        // narrow. The latest filters are kept and applied when the list is complete, so that the
        // picker follows a choice made on the host's fund-filter page before the comparison was
        // first opened.
        m_filtersPending = true;
        m_pendingFilterA = newA;
        m_pendingFilterB = newB;
        return;
    }
    XComPtr<Data::IUpdateContext> update;
    m_fundsView->BeginUpdate(update.Receive());
    for (Data::IDataFilter* filter : {oldA, oldB})
        if (filter != nullptr)
            m_fundsView->RemoveFilter(filter);
    for (Data::IDataFilter* filter : {newA, newB})
        if (filter != nullptr)
            m_fundsView->AddFilter(filter);
    if (update != nullptr)
        update->Commit();

    // The picker gets a table of its own with the funds that pass, as text, in view order;
    // fundsTable stays the view's source for the next change.
    XComPtr<Data::IDataTable> filtered = make<Data::IDataTable>("Data.DataTable");
    if (filtered == nullptr)
        return;
    filtered->CopyColumns(m_fundsTable, 0);
    int columns = filtered->GetColumnCount();
    for (int r = 0; r < m_fundsView->GetRowCount(); ++r) {
        XComPtr<Data::IDataRow> source, target;
        if (!m_fundsView->GetRow(source.Receive(), r) ||
            !filtered->GetRow(target.Receive(), filtered->AddRow()))
            continue;
        for (int c = 0; c < columns; ++c) {
            Data::IDataElement* from = source->GetValueAt(c);
            Data::IDataElement* to = target->GetValueAt(c);
            if (from != nullptr && to != nullptr)
                to->SetText(from->ToString().c_str());
        }
    }
    SetPickerSource(filtered);
}

XStringW BackgroundPage::FundsSource() {
    return LoadResourceText(WGUI::ModuleInstance(), L"SQL", L"FUNDS_SOURCE");
}

void BackgroundPage::LoadFunds() {
    XStringW source = FundsSource();
    if (m_context != nullptr && m_fundsTable != nullptr && !source.empty())
        TakeFunds(m_context->FetchAhead(AheadRequest::Funds(source)));
    else
        ReadFundsHere();
}

void BackgroundPage::ReadFundsHere() {
    // As when nothing reads ahead. A failed reading ahead gets its second chance here, and its
    // failure, if it fails again, is as silent as it always was.
    m_fundsArriving = false;
    XStringW source = FundsSource();
    Data::IDatabase* database = m_context != nullptr ? m_context->Database() : nullptr;
    if (database != nullptr && m_fundsTable != nullptr && !source.empty())
        database->Execute(source.c_str(), m_fundsTable, 1, 0);
    OnFundsLoaded();
}

void BackgroundPage::TakeFunds(AheadResult result) {
    if (result.OnItsWay()) {
        // The picker lists nothing until the list comes (read anew when the data changed under
        // the first reading).
        m_fundsArriving = true;
        return;
    }
    if (result.Ok()) {
        if (XComPtr<Data::IDataTable> table = result.Take<XComPtr<Data::IDataTable>>()) {
            // The table read ahead becomes the list: nothing but this workspace refers to the
            // empty one it replaces.
            m_fundsArriving = false;
            m_fundsTable = table;
            if (m_fundsView != nullptr)
                m_fundsView->SetSource(m_fundsTable);
            return OnFundsLoaded();
        }
    }
    ReadFundsHere();
}

void BackgroundPage::OnFundsReadAhead() {
    // A workspace closed meanwhile takes the list when it is made again.
    if (!m_fundsArriving || m_context == nullptr || !IsCreated())
        return;
    TakeFunds(m_context->FetchAhead(AheadRequest::Funds(FundsSource())));
}

void BackgroundPage::OnReadAheadArrived(AheadKind kind) {
    if (kind == AheadKind::kFunds)
        return OnFundsReadAhead();
    if (m_context == nullptr)
        return;
    for (const auto& page : m_pages) {
        std::optional<AheadRequest> awaited = page->AwaitedAhead();
        if (awaited && awaited->kind == kind)
            page->OnReadAhead(m_context->FetchAhead(*awaited));
    }
}

void BackgroundPage::OnFundsAdded() {
    for (const auto& page : m_pages)
        page->OnFundsAdded();
}

void BackgroundPage::OnFundsRemoved() {
    for (const auto& page : m_pages)
        page->OnFundsRemoved();
}

void BackgroundPage::OnFundsCleared() {
    for (const auto& page : m_pages)
        page->OnFundsCleared();
}

void BackgroundPage::OnDatabaseChanged() {
    if (IsCreated() && m_fundsTable != nullptr) {
        m_fundsTable = make<Data::IDataTable>("Data.DataTable");
        if (m_fundsView != nullptr)
            m_fundsView->SetSource(m_fundsTable);
        SetPickerSource(m_fundsTable);
        LoadFunds();
    }
    for (const auto& page : m_pages)
        page->OnDatabaseChanged();
}

void BackgroundPage::OnFundsLoaded() {
    SetPickerSource(m_fundsTable);
    if (m_filtersPending) {
        m_filtersPending = false;
        XComPtr<Data::IDataFilter> filterA = std::move(m_pendingFilterA);
        XComPtr<Data::IDataFilter> filterB = std::move(m_pendingFilterB);
        OnFilterChanged(nullptr, filterA, nullptr, filterB);
    }
}

void BackgroundPage::SetPickerSource(Data::IDataTable* table) {
    m_pickerTable = table;
    m_picker.SetDataSource(table);
}

XStringW BackgroundPage::ShownCode(const XStringW& code) {
    int row = m_picker.GetCurrRow();
    XComPtr<Data::IDataRow> dataRow;
    if (m_pickerTable == nullptr || row < 0 || !m_pickerTable->GetRow(dataRow.Receive(), row) || !dataRow)
        return code;
    Data::IDataElement* own = dataRow->GetValue(L"code");
    Data::IDataElement* shown = dataRow->GetValue(L"aliascode");
    if (own == nullptr || shown == nullptr || own->ToString() != code || shown->ToString().empty())
        return code;
    return shown->ToString();
}

void BackgroundPage::SetContext(WorkspaceContext* context) {
    m_context = context;
    m_sets.SetContext(context);
    m_report.SetContext(context);
    for (const auto& page : m_pages)
        page->SetContext(context);
}

void BackgroundPage::AddSelectedFund() {
    XStringW code = m_picker.GetCurrCode();
    if (code.empty()) {
        MessageBoxW(m_window, L"请选择一只基金！", L"提示", MB_OK | MB_ICONINFORMATION);
        return;
    }
    if (m_context == nullptr)
        return;
    int result = m_context->AddFund(code);
    if (result == WorkspaceContext::kPresent) {
        // The user knows a fund by the code the picker shows, which need not be its own code.
        XStringW text;
        text.Format(L"基金[%s]%s已存在。", ShownCode(code).c_str(), m_picker.GetCurrName().c_str());
        MessageBoxW(m_window, text.c_str(), L"提示", MB_OK | MB_ICONINFORMATION);
    } else if (result == WorkspaceContext::kFull) {
        MessageBoxW(m_window, L"最多只能添加100只基金进行对比！", L"提示", MB_OK | MB_ICONWARNING);
    }
}

void BackgroundPage::AddFromPicker() {
    AddSelectedFund();
    if (!m_picker.IsWindow())
        return;
    // The list would otherwise stay open over the page and the code just added would have to be
    // erased by hand before the next one.
    m_picker.ShowDropDown(false);
    m_picker.SelectAllText();
}

bool BackgroundPage::FocusInPicker() const {
    HWND picker = m_picker;
    HWND focus = GetFocus();
    return picker != nullptr && focus != nullptr && (focus == picker || IsChild(picker, focus));
}

ComparePage* BackgroundPage::PageAt(int index) {
    return index >= 0 && index < PageCount() ? m_pages[static_cast<size_t>(index)].get() : nullptr;
}

void BackgroundPage::ShowTab(int index) {
    ComparePage* shown = PageAt(index);
    if (shown == nullptr)
        return;
    m_currentTab = index;
    // Hide the others first, so that two pages are never visible together.
    for (const auto& page : m_pages)
        if (page.get() != shown)
            page->ShowWindow(SW_HIDE);
    shown->ShowWindow(SW_SHOW);
    if (m_context != nullptr)
        m_context->OnPageShown(index);
}

void BackgroundPage::OnShowWindow(bool shown) {
    if (!shown)
        return;
    ++m_showCount;
    ShowCurrentPageAgain();
}

void BackgroundPage::ShowCurrentPageAgain() {
    // Selecting the current tab again makes the header report it, and the page that reloads when
    // shown does so.
    int current = m_header.GetCurrSel();
    if (current <= 0) {
        ShowTab(0);
        return;
    }
    m_header.SetCurrSel(0);
    m_header.SetCurrSel(current);
}

// ---- The window procedure and its handlers --------------------------------------------------------

LRESULT CALLBACK BackgroundPage::WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        auto* self = static_cast<BackgroundPage*>(create->lpCreateParams);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->m_window = window;
    }
    auto* self = reinterpret_cast<BackgroundPage*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr)
        return DefWindowProcW(window, message, wParam, lParam);
    LRESULT result = self->HandleMessage(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->m_window = nullptr;
    }
    return result;
}

LRESULT BackgroundPage::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        OnCreate();
        return 0;
    case WM_SIZE:
        OnSize(LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_SHOWWINDOW:
        OnShowWindow(wParam != 0);
        break;
    case kTabSelected:
        ShowTab(static_cast<int>(lParam));
        return 0;
    case WM_CTLCOLORBTN:
        if (reinterpret_cast<HWND>(lParam) == static_cast<HWND>(m_addButton) ||
            reinterpret_cast<HWND>(lParam) == static_cast<HWND>(m_clearButton) ||
            reinterpret_cast<HWND>(lParam) == m_sets.Button() ||
            reinterpret_cast<HWND>(lParam) == static_cast<HWND>(m_reportButton))
            return reinterpret_cast<LRESULT>(m_backBrush.GetHandle());
        break;
    case WM_COMMAND:
        if (LOWORD(wParam) == kAddButtonId && HIWORD(wParam) == BN_CLICKED) {
            AddSelectedFund();
            return 0;
        }
        if (LOWORD(wParam) == kClearButtonId && HIWORD(wParam) == BN_CLICKED) {
            if (m_context != nullptr)
                m_context->ClearFunds();
            return 0;
        }
        if (LOWORD(wParam) == kReportButtonId && HIWORD(wParam) == BN_CLICKED) {
            m_report.StartWithDialog();
            return 0;
        }
        if (LOWORD(wParam) == CompareSetsMenu::kButtonId && HIWORD(wParam) == BN_CLICKED) {
            m_sets.ShowMenu();
            return 0;
        }
        if (LOWORD(wParam) == WorkspaceContext::kUndoCommand && m_context != nullptr) {
            m_context->Undo();
            return 0;
        }
        break;
    case WM_DESTROY:
        // The pages still exist here: what they show is remembered for the next run.
        if (m_context != nullptr)
            m_context->OnWorkspaceClosing();
        if (m_tabCtrl != nullptr)
            m_tabCtrl->RemovePage(this);
        break;
    default:
        break;
    }
    return DefWindowProcW(m_window, message, wParam, lParam);
}

void BackgroundPage::OnCreate() {
    // 1. The pages, the first one shown.
    for (const auto& page : m_pages)
        page->Create(m_window, nullptr);
    if (!m_pages.empty())
        m_pages.front()->ShowWindow(SW_SHOW);

    // 2. The page tabs.
    m_header.SetFontSize(12);
    m_header.SetButtonWidth(kTabWidth);
    m_header.Create(L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, m_window);
    for (const PageListEntry& entry : PageList())
        m_header.AddButton(entry.caption);
    m_header.SetStyle(Control::TableHeaderStyle(1));

    // 3. All funds, and the view that carries the host's filters.
    m_fundsTable = make<Data::IDataTable>("Data.DataTable");
    m_fundsView = make<Data::IDataView>("Data.DataView");
    if (m_fundsView != nullptr)
        m_fundsView->SetSource(m_fundsTable);

    // 4. The fund picker.
    m_picker.Create(WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, 0, m_window);
    m_picker.GetDropDownGrid().SetHeader(kPickerHeader);
    m_picker.SetDataField(L"code", L"aliascode", L"name", L"pycode");
    SendMessageW(m_picker, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    LoadFunds();

    // 5. The two buttons.
    RECT empty{0, 0, 0, 0};
    m_addButton.Create(m_window, &empty, L"添加", WS_CHILD | WS_VISIBLE, 0,
                       reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kAddButtonId)));
    m_clearButton.Create(m_window, &empty, CompareWorkspace::kClearButton, WS_CHILD | WS_VISIBLE, 0,
                         reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kClearButtonId)));
    m_addButton.SetFont(static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
    m_clearButton.SetFont(static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);

    // Beside them, the menu of named comparison sets; then what the last run left is restored.
    m_sets.Create(m_window);
    // Beside the sets, the report of the whole comparison.
    m_reportButton.Create(m_window, &empty, CompareWorkspace::kReportButton, WS_CHILD | WS_VISIBLE, 0,
                          reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kReportButtonId)));
    m_reportButton.SetFont(static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
    m_report.Create(m_window, m_context,
                    ReportJob::Pages{[this] { return PageCount(); },
                                     [this](int index) { return PageAt(index); },
                                     [](int index) {
                                         const auto& pages = PageList();
                                         return index >= 0 && index < static_cast<int>(pages.size())
                                                    ? XStringW(pages[static_cast<size_t>(index)].caption)
                                                    : XStringW();
                                     },
                                     [this] { return CurrentTab(); }, [this](int index) { ShowTab(index); }});
    if (m_context != nullptr)
        m_context->OnWorkspaceCreated();
}

void BackgroundPage::OnSize(int width, int height) {
    // The prompt and the picker with its button stay together; the other buttons follow on the
    // same row while it has room and wrap below it when the window is narrow.
    ToolbarFlow flow(20, 8, width - 8, 23, 6, 10);
    const size_t prompt = flow.Add(nullptr, 120); // painted
    ToolbarFlow::Item picker;
    picker.window = m_picker;
    picker.width = 220;
    picker.minWidth = 150;
    flow.Add(picker);
    flow.Add(m_addButton, 50, 0, 4);
    flow.Group();
    flow.Add(m_clearButton, 100);
    flow.Group();
    flow.Add(m_sets.Button(), 100);
    flow.Group();
    flow.Add(m_reportButton, 100);
    flow.Apply();
    m_promptRect = flow.Rect(prompt);
    ::MoveWindow(m_picker.GetDropDownGrid(), 0, 0, 540, 333, TRUE);

    // The tabs narrow when the window is too narrow for all of them at their full width.
    const int headerTop = flow.Bottom() + 13;
    const int count = std::max(1, PageCount());
    const int tabWidth = std::clamp((width - 10) / count, kMinTabWidth, kTabWidth);
    m_header.SetButtonWidth(tabWidth);
    ::MoveWindow(m_header, 5, headerTop, std::min(5 + count * tabWidth, std::max(0, width - 5)), 20, TRUE);
    m_pageTop = headerTop + 20;
    RECT pageRect{0, m_pageTop, width, std::max(m_pageTop, height)};
    for (const auto& page : m_pages)
        page->MoveWindow(pageRect, TRUE);
}

void BackgroundPage::OnPaint() {
    WGUI::OffscreenPaint paint(m_window);
    HDC dc = paint.Dc();
    if (dc == nullptr)
        return;
    FillRect(dc, &paint.Invalid(), m_backBrush.GetHandle());
    HGDIOBJ oldFont = SelectObject(dc, m_labelFont.IsNull() ? GetStockObject(DEFAULT_GUI_FONT)
                                                            : static_cast<HGDIOBJ>(m_labelFont.GetHandle()));
    SetTextColor(dc, m_labelColour);
    SetBkMode(dc, TRANSPARENT);
    TextOutW(dc, paint.Client().left + m_promptRect.left, m_promptRect.top + 4, kPrompt,
             static_cast<int>(wcslen(kPrompt)));
    SelectObject(dc, oldFont);
}

// ---- Theme ----------------------------------------------------------------------------------------

void BackgroundPage::ApplyTheme(Conf::ITheme* theme) {
    if (theme == nullptr)
        return;
    for (const auto& page : m_pages)
        page->ApplyTheme(theme);

    Conf::ThemeFont font;
    theme->GetFont("default", font);
    m_labelFont.Replace(gdiobj::CreateTextFont(font.face.c_str()));

    theme->GetColor("wnd_general_bg", m_backColour);
    m_backBrush.Replace(CreateSolidBrush(m_backColour));
    theme->GetColor("list_prev_data", m_labelColour);

    COLORREF colour = 0;
    m_header.SetBkColor(m_backColour);
    auto set = [&](const char* key, void (Control::XTableHeader::*setter)(COLORREF)) {
        if (theme->GetColor(key, colour))
            (m_header.*setter)(colour);
    };
    set("tabhdr_normal_bg", &Control::XTableHeader::SetItemBkColor);
    set("tabhdr_normal_border", &Control::XTableHeader::SetItemBdColor);
    set("tabhdr_normal_text", &Control::XTableHeader::SetTextColor);
    set("tabhdr_focus_bg", &Control::XTableHeader::SetItemSelBkColor);
    set("tabhdr_focus_border", &Control::XTableHeader::SetItemSelBdColor);
    set("tabhdr_focus_text", &Control::XTableHeader::SetTextSelColor);

    if (m_window != nullptr) {
        InvalidateRect(m_window, nullptr, TRUE);
        UpdateWindow(m_window);
    }
}
