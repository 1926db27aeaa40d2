// The fund picker's edit field.
#include "XComboExParts.h"

#include "Contrast.h"
#include "HostCtlGdi.h"

#include <algorithm>

namespace Control::hostctl {

namespace {
constexpr int kPadding = 3;
}

PickerEdit::~PickerEdit() {
    if (IsWindow())
        DestroyWindow(m_hWnd);
}

LRESULT PickerEdit::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        return OnPaint();
    case WM_ERASEBKGND:
        return 1;
    case WM_SETFOCUS:
        Invalidate(FALSE);
        return 0;
    case WM_KILLFOCUS:
        Invalidate(FALSE);
        m_owner.OnEditLostFocus(reinterpret_cast<HWND>(wParam));
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        OnLButtonDown(GET_X_LPARAM(lParam));
        return 0;
    case WM_CHAR:
        OnChar(static_cast<wchar_t>(wParam));
        return 0;
    case WM_KEYDOWN:
        OnKeyDown(static_cast<UINT>(wParam));
        return 0;
    default:
        break;
    }
    return XWin::WndProc(message, wParam, lParam);
}

void PickerEdit::SetText(const std::wstring& text) {
    m_text = text.substr(0, kMaxLength);
    m_caret = m_text.size();
    m_allSelected = false;
    if (IsWindow())
        Invalidate(FALSE);
}

void PickerEdit::SelectAll() {
    m_allSelected = !m_text.empty();
    m_caret = m_text.size();
    if (IsWindow())
        Invalidate(FALSE);
}

void PickerEdit::Edited() {
    Invalidate(FALSE);
    m_owner.OnTextChanged();
}

void PickerEdit::OnChar(wchar_t c) {
    bool typed = c == L'\b' || (c >= L' ' && c != 0x7F);
    if (m_allSelected && typed) {
        // Typing over a selected text replaces it; Backspace only erases it.
        m_allSelected = false;
        m_text.clear();
        m_caret = 0;
        if (c == L'\b') {
            Edited();
            return;
        }
    }
    if (c == L'\b') {
        if (m_caret > 0) {
            m_text.erase(--m_caret, 1);
            Edited();
        }
        return;
    }
    // Control characters (Enter, Escape, Tab, Ctrl+letter) are keys, not text.
    if (c < L' ' || c == 0x7F || m_text.size() >= kMaxLength)
        return;
    m_text.insert(m_caret++, 1, c);
    Edited();
}

void PickerEdit::OnKeyDown(UINT key) {
    if (key == 'A' && GetKeyState(VK_CONTROL) < 0 && GetKeyState(VK_MENU) >= 0) {
        SelectAll();
        return;
    }
    if (m_allSelected) {
        switch (key) {
        case VK_DELETE:
            m_allSelected = false;
            m_text.clear();
            m_caret = 0;
            Edited();
            return;
        case VK_LEFT:
        case VK_RIGHT:
        case VK_HOME:
        case VK_END:
            m_allSelected = false;
            break;
        default:
            break;
        }
    }
    switch (key) {
    case VK_LEFT:
        m_caret -= m_caret > 0 ? 1 : 0;
        break;
    case VK_RIGHT:
        m_caret += m_caret < m_text.size() ? 1 : 0;
        break;
    case VK_HOME:
        m_caret = 0;
        break;
    case VK_END:
        m_caret = m_text.size();
        break;
    case VK_DELETE:
        if (m_caret < m_text.size()) {
            m_text.erase(m_caret, 1);
            Edited();
        }
        return;
    default:
        m_owner.OnNavigate(key);
        return;
    }
    Invalidate(FALSE);
}

int PickerEdit::PrefixWidth(std::size_t count) const {
    if (count == 0)
        return 0;
    HDC dc = GetDC(m_hWnd);
    HGDIOBJ old = SelectObject(dc, m_font != nullptr ? m_font : GetStockObject(DEFAULT_GUI_FONT));
    SIZE size{0, 0};
    GetTextExtentPoint32W(dc, m_text.c_str(), static_cast<int>(std::min(count, m_text.size())), &size);
    SelectObject(dc, old);
    ReleaseDC(m_hWnd, dc);
    return size.cx;
}

void PickerEdit::OnLButtonDown(int x) {
    if (::GetFocus() != m_hWnd)
        ::SetFocus(m_hWnd);
    m_allSelected = false;
    // The caret goes to the character boundary nearest the click.
    int target = x - kPadding + m_scroll;
    std::size_t best = 0;
    int bestDistance = std::abs(target);
    for (std::size_t i = 1; i <= m_text.size(); ++i) {
        int d = std::abs(PrefixWidth(i) - target);
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    m_caret = best;
    Invalidate(FALSE);
}

LRESULT PickerEdit::OnPaint() {
    PAINTSTRUCT ps;
    HDC target = BeginPaint(m_hWnd, &ps);
    if (target != nullptr) {
        RECT client;
        ::GetClientRect(m_hWnd, &client);
        PaintBuffer buffer(target, client);
        HDC dc = buffer.Dc();
        FillRect(dc, &client, GetSysColorBrush(COLOR_WINDOW));
        Selected font(dc, m_font != nullptr ? m_font : GetStockObject(DEFAULT_GUI_FONT));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));

        // Keep the caret inside the field by sliding the text under it.
        const int inner = std::max<int>(1, client.right - 2 * kPadding);
        const int caretX = PrefixWidth(m_caret);
        if (caretX - m_scroll > inner)
            m_scroll = caretX - inner;
        if (caretX < m_scroll)
            m_scroll = caretX;
        m_scroll = std::max(0, std::min(m_scroll, std::max(0, PrefixWidth(m_text.size()) - inner)));

        RECT text{client.left + kPadding - m_scroll, client.top, client.right + 2000, client.bottom};
        RECT clip{client.left + kPadding, client.top, client.right - kPadding + 1, client.bottom};
        int saved = SaveDC(dc);
        IntersectClipRect(dc, clip.left, clip.top, clip.right, clip.bottom);
        if (m_allSelected) {
            TEXTMETRICW tm{};
            GetTextMetricsW(dc, &tm);
            int top = (client.top + client.bottom - tm.tmHeight) / 2;
            RECT marked{text.left, top, text.left + PrefixWidth(m_text.size()), top + tm.tmHeight};
            FillRect(dc, &marked, GetSysColorBrush(COLOR_HIGHLIGHT));
            SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
        }
        DrawTextW(dc, m_text.c_str(), static_cast<int>(m_text.size()), &text,
                  DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        RestoreDC(dc, saved);
        if (::GetFocus() == m_hWnd && !m_allSelected) {
            TEXTMETRICW tm{};
            GetTextMetricsW(dc, &tm);
            int x = client.left + kPadding + caretX - m_scroll;
            int h = std::min<int>(tm.tmHeight + 2, client.bottom - client.top - 2);
            int top = (client.top + client.bottom - h) / 2;
            RECT caret{x, top, x + 1, top + h};
            FillRect(dc, &caret, GetSysColorBrush(COLOR_WINDOWTEXT));
        }
    }
    EndPaint(m_hWnd, &ps);
    return 0;
}

// ---- The drop-down list -------------------------------------------------------------------------

PickerList::Palette PickerList::Current() const {
    return {m_bkColor,           m_textColor,       m_gridColor,       m_bdColor,
            m_headerBkColor,     m_headerColor,     m_selColor,        m_scrollArrowColor,
            m_scrollButtonColor, m_scrollFaceColor, m_scrollDarkColor, m_scrollLightColor};
}

void PickerList::ApplySystemPalette() {
    const COLORREF back = GetSysColor(COLOR_WINDOW), text = GetSysColor(COLOR_WINDOWTEXT);
    SetBkColor(back);
    SetTextColor(text);
    SetGridColor(Mix(back, text, 0.10));
    SetBdColor(Mix(back, text, 0.45));
    SetHeaderBkColor(Mix(back, text, 0.08));
    SetHeaderColor(text);
    // The chosen row is written in the same text colour, so the highlight is faded toward the
    // field as far as the text needs.
    COLORREF selection = GetSysColor(COLOR_HIGHLIGHT);
    for (double t = 0.9; t > 0.15 && ContrastRatio(text, selection) < kTextContrast; t -= 0.1)
        selection = Mix(back, GetSysColor(COLOR_HIGHLIGHT), t);
    SetSelColor(selection);
    SetScrollArrowColor(Mix(back, text, 0.60));
    SetScrollButtonColor(Mix(back, text, 0.18));
    SetScrollFaceColor(Mix(back, text, 0.04));
    SetScrollDarkColor(Mix(back, text, 0.30));
    SetScrollLightColor(Mix(back, text, 0.10));
    m_applied = Current();
}

LRESULT PickerList::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_SYSCOLORCHANGE:
        // Colours the owner chose stay; the ones taken from the system follow it.
        if (Current() == m_applied)
            ApplySystemPalette();
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        int row = -1;
        HeaderInfo2 item;
        if (HitTest(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), row, item) == HitCell && row >= 0) {
            m_owner.ChooseListRow(row);
            return 0;
        }
        break;
    }
    default:
        break;
    }
    LRESULT result = XDataGrid::WndProc(message, wParam, lParam);
    // Scrolling the list must not take the keyboard from the edit field, where typing goes on.
    if (::GetFocus() == m_hWnd && m_owner.GetEditWindow() != nullptr)
        ::SetFocus(m_owner.GetEditWindow());
    return result;
}

int PickerList::GetRowsCount() {
    return static_cast<int>(m_owner.m_matches.size());
}

void PickerList::GetItemText(int row, const HeaderInfo2& item, XStringW& text) {
    text.clear();
    if (row >= 0 && static_cast<std::size_t>(row) < m_owner.m_matches.size())
        text = m_owner.FieldText(m_owner.m_matches[static_cast<std::size_t>(row)], item.name);
}

void PickerList::OnEnterItem(int row) {
    m_owner.ChooseListRow(row);
}

} // namespace Control::hostctl
