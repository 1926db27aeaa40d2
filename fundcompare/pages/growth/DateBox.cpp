// DateBox: typing, stepping and painting one date.
#include "pages/growth/DateBox.h"

#include "pages/growth/GrowthDates.h"
#include "wgui/ModuleInstance.h"
#include "wgui/PageClass.h"

#include <algorithm>

DateBox::DateBox() = default;

DateBox::~DateBox() = default;

HWND DateBox::Create(HWND parent, int id) {
    m_id = id;
    const std::wstring className = WGUI::PageClass::Register(L"GrowthDateBox");
    if (className.empty())
        return nullptr;
    return WindowBase::Create(WS_CHILD | WS_VISIBLE, 0, className.c_str(), L"", RECT{0, 0, 0, 0}, parent,
                              reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), WGUI::ModuleInstance(),
                              &m_binder);
}

bool DateBox::HandleMessage(UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
    switch (message) {
    case WM_ERASEBKGND:
        result = 1;
        return true;
    case WM_PAINT:
        OnPaint();
        result = 0;
        return true;
    case WM_LBUTTONDOWN:
        ::SetFocus(m_hWnd);
        return false;
    case WM_SETFOCUS:
        // Typing starts a new date from the first digit.
        m_editing = true;
        m_typed.clear();
        Repaint();
        return false;
    case WM_KILLFOCUS:
        // The caret and the focus frame go with the focus.
        if (m_editing)
            Commit();
        m_editing = false;
        Repaint();
        return false;
    case WM_CHAR:
        OnChar(static_cast<wchar_t>(wParam));
        result = 0;
        return true;
    case WM_KEYDOWN:
        OnKeyDown(static_cast<UINT>(wParam));
        result = 0;
        return true;
    case WM_MOUSEWHEEL:
        Move(0, GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA);
        result = 0;
        return true;
    default:
        return false;
    }
}

void DateBox::SetColours(const Colours& colours) {
    m_colours = colours;
    Repaint();
}

void DateBox::SetFontFace(const XStringW& face) {
    m_font.Replace(gdiobj::CreateTextFont(face.c_str()));
    Repaint();
}

void DateBox::SetLimits(int earliest, int latest) {
    m_earliest = std::min(earliest, latest);
    m_latest = std::max(earliest, latest);
}

void DateBox::SetDate(int day) {
    m_day = day;
    m_editing = m_editing && ::GetFocus() == m_hWnd;
    m_typed.clear();
    Repaint();
}

XStringW DateBox::Text() const {
    if (m_editing && !m_typed.empty())
        return XStringW(m_typed);
    return m_day >= 0 ? GrowthDates::Format(m_day) : XStringW();
}

void DateBox::OnChar(wchar_t c) {
    if (c >= L'0' && c <= L'9') {
        if (!m_editing) {
            m_editing = true;
            m_typed.clear();
        }
        if (m_typed.size() >= 10)
            return;
        m_typed.push_back(c);
        if (m_typed.size() == 4 || m_typed.size() == 7)
            m_typed.push_back(L'-');
        Repaint();
    }
    // Anything else is ignored: the dashes come by themselves, and Backspace is handled as a key.
}

void DateBox::OnKeyDown(UINT key) {
    switch (key) {
    case VK_BACK:
        if (!m_editing)
            return;
        if (!m_typed.empty() && m_typed.back() == L'-')
            m_typed.pop_back();
        if (!m_typed.empty())
            m_typed.pop_back();
        Repaint();
        return;
    case VK_RETURN:
        Commit();
        return;
    case VK_ESCAPE:
        m_typed.clear();
        Repaint();
        return;
    case VK_UP:
        Move(1, 0);
        return;
    case VK_DOWN:
        Move(-1, 0);
        return;
    case VK_PRIOR:
        Move(0, 1);
        return;
    case VK_NEXT:
        Move(0, -1);
        return;
    default:
        return;
    }
}

bool DateBox::Commit() {
    if (m_typed.empty())
        return true;
    const std::optional<int> day = GrowthDates::Parse(XStringW(m_typed));
    m_typed.clear();
    if (!day) {
        Repaint();
        return false;
    }
    Change(*day);
    return true;
}

void DateBox::Move(int days, int months) {
    m_typed.clear();
    if (m_day < 0)
        return;
    Change(GrowthDates::AddMonths(m_day, months) + days);
}

void DateBox::Change(int day) {
    day = std::clamp(day, m_earliest, m_latest);
    const bool changed = day != m_day;
    m_day = day;
    Repaint();
    if (changed && IsWindow())
        ::SendMessageW(::GetParent(m_hWnd), WM_COMMAND, MAKEWPARAM(m_id, kDateChanged),
                       reinterpret_cast<LPARAM>(m_hWnd));
}

void DateBox::Repaint() {
    if (IsWindow())
        Invalidate(FALSE);
}

void DateBox::OnPaint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(m_hWnd, &ps);
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    HBRUSH back = CreateSolidBrush(m_colours.background);
    FillRect(dc, &client, back);
    DeleteObject(back);
    const bool focused = ::GetFocus() == m_hWnd;
    HBRUSH border = CreateSolidBrush(focused ? m_colours.focusBorder : m_colours.border);
    FrameRect(dc, &client, border);
    DeleteObject(border);
    HGDIOBJ oldFont = SelectObject(dc, m_font.IsNull() ? GetStockObject(DEFAULT_GUI_FONT)
                                                       : static_cast<HGDIOBJ>(m_font.GetHandle()));
    SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, m_colours.text);
    XStringW text = Text();
    // A caret after the typed text while the box has the focus.
    if (focused)
        text += XStringW(L"|");
    RECT area{client.left + 6, client.top, client.right - 4, client.bottom};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.length()), &area,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, oldFont);
    EndPaint(m_hWnd, &ps);
}
