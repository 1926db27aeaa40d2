// ReportProgressWindow: its life, its handlers and its painting.
#include "report/ReportProgressWindow.h"

#include "wgui/ModuleInstance.h"
#include "wgui/PageClass.h"

#include <platform/commctrl.h>

#include <algorithm>

namespace {

constexpr int kTitleHeight = 28, kLineHeight = 20, kMargin = 16, kBarHeight = 14, kButtonWidth = 80,
              kButtonHeight = 26;
constexpr int kHeight = kTitleHeight + 12 + kLineHeight + 8 + kBarHeight + 16 + kButtonHeight + kMargin;

COLORREF themeColour(Conf::ITheme* theme, const char* key, COLORREF fallback) {
    COLORREF colour = fallback;
    if (theme != nullptr)
        theme->GetColor(key, colour);
    return colour;
}

} // namespace

ReportProgressWindow::~ReportProgressWindow() {
    Close();
}

bool ReportProgressWindow::Open(HWND owner, const XStringW& title, int steps, Conf::ITheme* theme,
                                std::function<void()> cancel) {
    Close();
    const std::wstring className = WGUI::PageClass::Register(L"ReportProgress");
    if (className.empty())
        return false;
    m_title = title;
    m_line = XStringW(L"正在准备…");
    m_steps = std::max(1, steps);
    m_done = 0;
    m_onCancel = std::move(cancel);
    // The screen's colours, as the import's window takes them: the report's light paper is no
    // business of this window.
    m_back = themeColour(theme, "toolbar_bg", m_back);
    m_text = themeColour(theme, "toolbar_text", m_text);
    m_accent = themeColour(theme, "tab_sel_text", m_accent);
    m_border = themeColour(theme, "toolbar_border", m_border);
    Conf::ThemeFont font;
    if (theme != nullptr)
        theme->GetFont("default", font);
    const wchar_t* face = font.face.empty() ? L"WenQuanYi Micro Hei" : font.face.c_str();
    m_font.Replace(
        CreateFontW(-13, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, face));
    m_titleFont.Replace(
        CreateFontW(-13, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, face));
    m_backBrush.Replace(CreateSolidBrush(m_back));

    HWND top = owner != nullptr ? ::GetAncestor(owner, GA_ROOT) : nullptr;
    RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (top != nullptr)
        ::GetWindowRect(top, &area);
    const int x = std::max<int>(0, (area.left + area.right - kWidth) / 2);
    const int y = std::max<int>(0, (area.top + area.bottom - kHeight) / 2);
    if (Create(WS_POPUP, WS_EX_TOPMOST | WS_EX_DLGMODALFRAME, className.c_str(), m_title.c_str(),
               RECT{x, y, x + kWidth, y + kHeight}, top, nullptr, WGUI::ModuleInstance(),
               &m_binder) == nullptr)
        return false;
    m_bar = CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | WS_VISIBLE | PBS_SMOOTH, kMargin,
                            kTitleHeight + 12 + kLineHeight + 8, kWidth - 2 * kMargin, kBarHeight, m_hWnd,
                            nullptr, WGUI::ModuleInstance(), nullptr);
    ::SendMessageW(m_bar, PBM_SETBARCOLOR, 0, static_cast<LPARAM>(m_accent));
    ::SendMessageW(m_bar, PBM_SETBKCOLOR, 0, static_cast<LPARAM>(m_back));
    ::SendMessageW(m_bar, PBM_SETRANGE32, 0, m_steps);
    ::SendMessageW(m_bar, PBM_SETPOS, 0, 0);
    m_cancel = CreateWindowExW(
        0, L"Button", L"取消", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
        kWidth - kMargin - kButtonWidth, kHeight - kMargin - kButtonHeight, kButtonWidth, kButtonHeight,
        m_hWnd, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kCancelId)), WGUI::ModuleInstance(), nullptr);
    ::SendMessageW(m_cancel, WM_SETFONT, reinterpret_cast<WPARAM>(m_font.GetHandle()), FALSE);
    // Shown without taking the focus from the page the person is reading.
    ::ShowWindow(m_hWnd, SW_SHOWNOACTIVATE);
    return true;
}

void ReportProgressWindow::SetStep(int done, const XStringW& line) {
    m_done = std::clamp(done, 0, m_steps);
    m_line = line;
    if (m_bar != nullptr)
        ::SendMessageW(m_bar, PBM_SETPOS, static_cast<WPARAM>(m_done), 0);
    if (IsWindow())
        Invalidate(FALSE);
}

void ReportProgressWindow::SetCancellable(bool cancellable) {
    if (m_cancel != nullptr)
        ::EnableWindow(m_cancel, cancellable ? TRUE : FALSE);
}

void ReportProgressWindow::Close() {
    m_onCancel = nullptr;
    if (IsWindow())
        DestroyWindow();
    m_bar = nullptr;
    m_cancel = nullptr;
}

// ---- Handlers --------------------------------------------------------------------------------------

bool ReportProgressWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
    auto cancel = [this] {
        if (m_onCancel && (m_cancel == nullptr || ::IsWindowEnabled(m_cancel))) {
            // The job closes this window from the call; the callback is kept on the stack meanwhile.
            std::function<void()> onCancel = m_onCancel;
            onCancel();
        }
    };
    switch (message) {
    case WM_ERASEBKGND:
        result = 1;
        return true;
    case WM_PAINT:
        OnPaint();
        result = 0;
        return true;
    case WM_CTLCOLORBTN:
        result = reinterpret_cast<LRESULT>(m_backBrush.GetHandle());
        return !m_backBrush.IsNull();
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE)
            cancel();
        result = 0;
        return true;
    case WM_COMMAND:
        if (LOWORD(wParam) == kCancelId)
            cancel();
        result = 0;
        return true;
    case WM_CLOSE:
        cancel();
        result = 0;
        return true;
    case WM_DESTROY:
        m_bar = nullptr;
        m_cancel = nullptr;
        return false;
    default:
        return false;
    }
}

// ---- Painting --------------------------------------------------------------------------------------

void ReportProgressWindow::OnPaint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(m_hWnd, &ps);
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    HBRUSH back = CreateSolidBrush(m_back);
    FillRect(dc, &client, back);
    DeleteObject(back);
    HBRUSH border = CreateSolidBrush(m_border);
    RECT title{0, 0, client.right, kTitleHeight};
    FillRect(dc, &title, border);
    FrameRect(dc, &client, border);
    DeleteObject(border);
    SetBkMode(dc, TRANSPARENT);
    HGDIOBJ old = SelectObject(dc, m_titleFont.GetHandle());
    ::SetTextColor(dc, m_text);
    RECT titleText{12, 0, client.right - 12, kTitleHeight};
    DrawTextW(dc, m_title.c_str(), -1, &titleText,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    SelectObject(dc, m_font.GetHandle());
    ::SetTextColor(dc, m_text);
    RECT line{kMargin, kTitleHeight + 12, client.right - kMargin, kTitleHeight + 12 + kLineHeight};
    DrawTextW(dc, m_line.c_str(), -1, &line,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    SelectObject(dc, old);
    EndPaint(m_hWnd, &ps);
}
