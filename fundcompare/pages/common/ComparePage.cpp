// ComparePage: creation, background painting, the page colours and the context.
#include "pages/common/ComparePage.h"

#include "wgui/ModuleInstance.h"
#include "wgui/OffscreenPaint.h"
#include "wgui/PageClass.h"
#include "wgui/Verify.h"

#include <sdk/ControlDataGrid.h>
#include <sdk/ControlPicture.h>

#include <vector>

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

void ComparePage::WriteReport(ReportSink& sink) {
    const XStringW caption = ExportCaption();
    if (!caption.empty())
        sink.Note(caption);
    // Every window of the page at any depth, in the order the page made them, so that a list
    // inside a panel takes part too.
    std::vector<HWND> windows;
    EnumChildWindows(
        m_hWnd,
        [](HWND window, LPARAM context) -> BOOL {
            if (::IsWindowVisible(window))
                reinterpret_cast<std::vector<HWND>*>(context)->push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&windows));
    for (HWND window : windows) {
        if (auto* grid = dynamic_cast<Control::DataGridEx*>(Control::XWin::FromHandle(window)))
            sink.Table(*grid);
        else if (Control::IsChartWindow(window))
            sink.Chart(window);
    }
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
    WGUI::OffscreenPaint paint(m_hWnd);
    if (HDC dc = paint.Dc()) {
        FillRect(dc, &paint.Invalid(), m_backBrush.GetHandle());
        PaintOver(dc, paint.Client());
        PaintLoading(dc, paint.Client());
    }
}

CompareContext* ComparePage::RequireContext() const {
    FC_VERIFY(m_context != nullptr);
    return m_context;
}

void ComparePage::LetRemoveFunds(GeneralDataGrid& grid) {
    grid.SetFundRemover([this](const std::vector<XStringW>& codes) {
        if (CompareContext* context = RequireContext())
            context->RemoveFunds(codes);
    });
}

void ComparePage::ReportQueryError(const XStringW& error) {
    if (CompareContext* context = RequireContext())
        context->ReportQueryError(m_hWnd, error);
}
