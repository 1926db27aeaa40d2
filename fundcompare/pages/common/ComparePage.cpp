// ComparePage: creation, background painting and the page colours.
#include "pages/common/ComparePage.h"

#include "wgui/ModuleInstance.h"
#include "wgui/PageClass.h"

#include <sdk/ControlDataGrid.h>

ComparePage::ComparePage(const wchar_t* pageClassName) : m_pageClassName(pageClassName) {
    m_backBrush.Attach(CreateSolidBrush(m_backColour));
}

ComparePage::~ComparePage() = default;

HWND ComparePage::Create(HWND parent, IXUnknown* host) {
    m_host = host;
    std::wstring className = WGUI::PageClass::Register(m_pageClassName);
    if (className.empty())
        return nullptr;
    RECT empty{0, 0, 0, 0};
    return WindowBase::Create(WS_CHILD | WS_CLIPCHILDREN, 0, className.c_str(), L"", empty, parent, nullptr,
                              WGUI::ModuleInstance(), &m_binder);
}

void ComparePage::ApplyTheme(Conf::ITheme* theme) {
    if (theme == nullptr)
        return;
    theme->GetColor("wnd_general_bg", m_backColour);
    m_backBrush.Replace(CreateSolidBrush(m_backColour));
    Refresh();
}

void ComparePage::Refresh() {
    if (!IsWindow())
        return;
    Invalidate(TRUE);
    UpdateWindow(m_hWnd);
}

bool ComparePage::HandleMessage(UINT message, WPARAM, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case Control::DataGridEx::kGetExportCaptionMessage:
        // A list of this page is being exported: the page's words for its title row.
        if (lParam != 0)
            *reinterpret_cast<XStringW*>(lParam) = ExportCaption();
        result = 1;
        return true;
    case WM_ERASEBKGND:
        // The whole page is painted in WM_PAINT, off screen, so nothing flickers.
        result = 1;
        return true;
    case WM_PAINT:
        OnPaint();
        return false;
    default:
        return false;
    }
}

void ComparePage::PaintOver(HDC, const RECT&) {}

XStringW ComparePage::ExportCaption() const {
    return XStringW();
}

bool ComparePage::IsCurrentPage() const {
    return IsWindow() && (GetWindowLongW(m_hWnd, GWL_STYLE) & WS_VISIBLE) != 0;
}

void ComparePage::SetLoading(bool loading, HWND content) {
    if (loading == m_loading && content == m_loadingContent)
        return;
    if (m_loadingContent != nullptr && m_loadingContent != content && ::IsWindow(m_loadingContent))
        ::ShowWindow(m_loadingContent, SW_SHOW);
    m_loading = loading;
    m_loadingContent = content;
    if (content != nullptr && ::IsWindow(content))
        ::ShowWindow(content, loading ? SW_HIDE : SW_SHOW);
    if (IsWindow())
        Invalidate(TRUE);
}

void ComparePage::PaintLoading(HDC dc, const RECT& client) const {
    if (!m_loading)
        return;
    // Grey that stands out from the page's background, light on a dark one and dark on a light one.
    const int luminance =
        (GetRValue(m_backColour) * 299 + GetGValue(m_backColour) * 587 + GetBValue(m_backColour) * 114) /
        1000;
    HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetTextColor(dc, luminance < 128 ? RGB(200, 200, 200) : RGB(80, 80, 80));
    SetBkMode(dc, TRANSPARENT);
    RECT area = client;
    DrawTextW(dc, kLoadingText, -1, &area, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectObject(dc, oldFont);
}

void ComparePage::OnPaint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(m_hWnd, &ps);
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    if (client.right > 0 && client.bottom > 0) {
        HDC memory = CreateCompatibleDC(dc);
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = client.right;
        info.bmiHeader.biHeight = -client.bottom;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (memory != nullptr && bitmap != nullptr) {
            HGDIOBJ old = SelectObject(memory, bitmap);
            FillRect(memory, &ps.rcPaint, m_backBrush.GetHandle());
            PaintOver(memory, client);
            PaintLoading(memory, client);
            BitBlt(dc, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
                   ps.rcPaint.bottom - ps.rcPaint.top, memory, ps.rcPaint.left, ps.rcPaint.top, SRCCOPY);
            SelectObject(memory, old);
        }
        if (bitmap != nullptr)
            DeleteObject(bitmap);
        if (memory != nullptr)
            DeleteDC(memory);
    }
    EndPaint(m_hWnd, &ps);
}
