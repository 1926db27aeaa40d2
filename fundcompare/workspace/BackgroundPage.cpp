// BackgroundPage: the workspace window, its pages and the host's tab-page contract.
//
// Sections: the tab-page contract; the window procedure and its handlers; theme.
#include "workspace/BackgroundPage.h"

#include "module/FundCompareModuleImpl.h"
#include "wgui/ModuleInstance.h"

namespace {

const wchar_t kClassName[] = L"Quenda2_BackgroundPage";
const wchar_t kTitle[] = L"对比分析";
const wchar_t kPrompt[] = L"请选择对比的基金：";

} // namespace

BackgroundPage::BackgroundPage() {
    m_backBrush.Attach(CreateSolidBrush(m_backColour));
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

void BackgroundPage::OnFilterChanged(Data::IDataFilter*, Data::IDataFilter*, Data::IDataFilter*,
                                     Data::IDataFilter*) {}

void BackgroundPage::SetModule(FundCompareModuleImpl* module) {
    m_module = module;
    m_general.SetModule(module);
    m_performance.SetModule(module);
    m_riskReturn.SetModule(module);
    m_asset.SetModule(module);
    m_industry.SetModule(module);
}

void BackgroundPage::AddSelectedFund() {}

bool BackgroundPage::FocusInPicker() const {
    return false;
}

void BackgroundPage::ShowTab(int index) {
    if (index < 0 || index > 4)
        return;
    m_currentTab = index;
    ComparePage* pages[5] = {&m_general, &m_performance, &m_riskReturn, &m_asset, &m_industry};
    // Hide the others first, so that two pages are never visible together.
    for (int i = 0; i < 5; ++i)
        if (i != index)
            pages[i]->ShowWindow(SW_HIDE);
    pages[index]->ShowWindow(SW_SHOW);
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
        // Showing the workspace shows its current page again, which reloads the pages that reload
        // when shown.
        if (wParam != 0)
            ShowTab(m_currentTab);
        break;
    case kTabSelected:
        ShowTab(static_cast<int>(lParam));
        return 0;
    case WM_DESTROY:
        if (m_tabCtrl != nullptr)
            m_tabCtrl->RemovePage(this);
        break;
    default:
        break;
    }
    return DefWindowProcW(m_window, message, wParam, lParam);
}

void BackgroundPage::OnCreate() {
    m_general.Create(m_window, nullptr);
    m_performance.Create(m_window, nullptr);
    m_riskReturn.Create(m_window, nullptr);
    m_asset.Create(m_window, nullptr);
    m_industry.Create(m_window, nullptr);
    m_general.ShowWindow(SW_SHOW);
}

void BackgroundPage::OnSize(int width, int height) {
    RECT pageRect{0, kStripHeight, width, height};
    for (ComparePage* page :
         {static_cast<ComparePage*>(&m_general), static_cast<ComparePage*>(&m_performance),
          static_cast<ComparePage*>(&m_riskReturn), static_cast<ComparePage*>(&m_asset),
          static_cast<ComparePage*>(&m_industry)})
        page->MoveWindow(pageRect, TRUE);
}

void BackgroundPage::OnPaint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(m_window, &ps);
    RECT client{};
    GetClientRect(m_window, &client);
    if (client.right > 0 && client.bottom > 0) {
        HDC memory = CreateCompatibleDC(dc);
        HBITMAP bitmap = CreateCompatibleBitmap(dc, client.right, client.bottom);
        HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
        FillRect(memory, &ps.rcPaint, m_backBrush.GetHandle());
        HGDIOBJ oldFont =
            SelectObject(memory, m_labelFont.IsNull() ? GetStockObject(DEFAULT_GUI_FONT)
                                                      : static_cast<HGDIOBJ>(m_labelFont.GetHandle()));
        SetTextColor(memory, m_labelColour);
        SetBkMode(memory, TRANSPARENT);
        TextOutW(memory, client.left + 20, 12, kPrompt, static_cast<int>(wcslen(kPrompt)));
        SelectObject(memory, oldFont);
        BitBlt(dc, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
               ps.rcPaint.bottom - ps.rcPaint.top, memory, ps.rcPaint.left, ps.rcPaint.top, SRCCOPY);
        SelectObject(memory, oldBitmap);
        DeleteObject(bitmap);
        DeleteDC(memory);
    }
    EndPaint(m_window, &ps);
}

// ---- Theme ----------------------------------------------------------------------------------------

void BackgroundPage::ApplyTheme(Conf::ITheme* theme) {
    if (theme == nullptr)
        return;
    m_general.ApplyTheme(theme);
    m_performance.ApplyTheme(theme);
    m_asset.ApplyTheme(theme);
    m_industry.ApplyTheme(theme);
    m_riskReturn.ApplyTheme(theme);

    Conf::ThemeFont font;
    theme->GetFont("default", font);
    LOGFONTW logFont{};
    logFont.lfHeight = -12;
    logFont.lfWeight = FW_NORMAL;
    logFont.lfCharSet = DEFAULT_CHARSET;
    wcsncpy(logFont.lfFaceName, font.face.c_str(), LF_FACESIZE - 1);
    m_labelFont.Replace(CreateFontIndirectW(&logFont));

    theme->GetColor("wnd_general_bg", m_backColour);
    m_backBrush.Replace(CreateSolidBrush(m_backColour));
    theme->GetColor("list_prev_data", m_labelColour);

    if (m_window != nullptr) {
        InvalidateRect(m_window, nullptr, TRUE);
        UpdateWindow(m_window);
    }
}
