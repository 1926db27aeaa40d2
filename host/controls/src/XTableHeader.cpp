// The table header: a row of buttons or tabs.
#include <sdk/ControlTableHeader.h>

#include "HostCtlGdi.h"

#include <algorithm>

namespace Control {

using hostctl::GdiOwner;
using hostctl::Mix;

namespace {
constexpr const wchar_t* kClassName = L"XTableHeader";
// The space between two flat buttons; tabs touch.
constexpr int kButtonGap = 4;
} // namespace

XTableHeader::XTableHeader() = default;

XTableHeader::~XTableHeader() {
    // The window goes while the font its painting uses still exists.
    if (IsWindow())
        DestroyWindow(m_hWnd);
    if (m_font != nullptr)
        DeleteObject(m_font);
}

BOOL XTableHeader::Create(LPCWSTR title, DWORD style, int x, int y, int width, int height, UINT id,
                          HWND parent) {
    return XWin::Create(kClassName, title, style, x, y, width, height, id, parent);
}

BOOL XTableHeader::Create(LPCWSTR title, DWORD style, int x, int y, int width, int height, HWND parent) {
    return Create(title, style, x, y, width, height, 0, parent);
}

LRESULT XTableHeader::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        return OnPaint();
    case WM_ERASEBKGND:
        return 1;
    case WM_SIZE:
        Repaint();
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        int index = ButtonAt(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        if (index >= 0)
            SetCurrSel(index);
        return 0;
    }
    case WM_MOUSEMOVE: {
        if (!m_tracking) {
            TRACKMOUSEEVENT track{sizeof(TRACKMOUSEEVENT), TME_LEAVE, m_hWnd, 0};
            m_tracking = TrackMouseEvent(&track) != FALSE;
        }
        int hot = ButtonAt(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        if (hot != m_hot) {
            m_hot = hot;
            Repaint();
        }
        return 0;
    }
    case WM_MOUSELEAVE:
        m_tracking = false;
        if (m_hot >= 0) {
            m_hot = -1;
            Repaint();
        }
        return 0;
    default:
        break;
    }
    return XWin::WndProc(message, wParam, lParam);
}

int XTableHeader::AddButton(const wchar_t* caption) {
    m_captions.emplace_back(caption);
    if (m_currSel < 0)
        m_currSel = 0;
    Repaint();
    return static_cast<int>(m_captions.size()) - 1;
}

void XTableHeader::SetStyle(TableHeaderStyle style) {
    m_style = style == TableHeaderStyleTab ? TableHeaderStyleTab : TableHeaderStyleButton;
    Repaint();
}

void XTableHeader::SetButtonWidth(int width) {
    m_buttonWidth = std::clamp(width, 1, 4000);
    Repaint();
}

void XTableHeader::SetFontSize(int size) {
    m_fontSize = std::clamp(size, 6, 72);
    if (m_font != nullptr) {
        DeleteObject(m_font);
        m_font = nullptr;
    }
    Repaint();
}

bool XTableHeader::SetCurrSel(int index) {
    if (index < 0 || index >= static_cast<int>(m_captions.size()))
        return false;
    if (index == m_currSel)
        return true;
    m_currSel = index;
    Repaint();
    HWND parent = m_hWnd != nullptr ? GetParent(m_hWnd) : nullptr;
    if (parent != nullptr)
        SendMessageW(parent, kTableHeaderSelChange, reinterpret_cast<WPARAM>(m_hWnd), index);
    return true;
}

RECT XTableHeader::GetButtonRect(int index) const {
    if (index < 0 || index >= static_cast<int>(m_captions.size()))
        return {0, 0, 0, 0};
    RECT client{0, 0, 0, 0};
    if (m_hWnd != nullptr)
        ::GetClientRect(m_hWnd, &client);
    const int gap = m_style == TableHeaderStyleTab ? 0 : kButtonGap;
    const int left = client.left + index * (m_buttonWidth + gap);
    return {left, client.top, left + m_buttonWidth, client.bottom};
}

int XTableHeader::ButtonAt(int x, int y) const {
    for (int i = 0; i < static_cast<int>(m_captions.size()); ++i) {
        RECT r = GetButtonRect(i);
        if (PtInRect(&r, POINT{x, y}))
            return i;
    }
    return -1;
}

void XTableHeader::SetBkColor(COLORREF colour) {
    m_bkColor = colour;
    Repaint();
}
void XTableHeader::SetItemBkColor(COLORREF colour) {
    m_itemBkColor = colour;
    Repaint();
}
void XTableHeader::SetItemBdColor(COLORREF colour) {
    m_itemBdColor = colour;
    Repaint();
}
void XTableHeader::SetTextColor(COLORREF colour) {
    m_textColor = colour;
    Repaint();
}
void XTableHeader::SetItemSelBkColor(COLORREF colour) {
    m_itemSelBkColor = colour;
    Repaint();
}
void XTableHeader::SetItemSelBdColor(COLORREF colour) {
    m_itemSelBdColor = colour;
    Repaint();
}
void XTableHeader::SetTextSelColor(COLORREF colour) {
    m_textSelColor = colour;
    Repaint();
}

void XTableHeader::Repaint() {
    if (IsWindow())
        Invalidate(FALSE);
}

void XTableHeader::MakeFont() {
    if (m_font == nullptr)
        m_font = hostctl::MakeFont(m_fontSize, FW_NORMAL);
}

LRESULT XTableHeader::OnPaint() {
    PAINTSTRUCT ps;
    HDC target = BeginPaint(m_hWnd, &ps);
    if (target != nullptr) {
        RECT client;
        ::GetClientRect(m_hWnd, &client);
        hostctl::PaintBuffer buffer(target, client);
        Render(buffer.Dc(), client);
    }
    EndPaint(m_hWnd, &ps);
    return 0;
}

void XTableHeader::Render(HDC dc, const RECT& client) {
    MakeFont();
    GdiOwner<HBRUSH> back(CreateSolidBrush(m_bkColor));
    FillRect(dc, &client, back);
    hostctl::Selected font(dc, m_font);
    SetBkMode(dc, TRANSPARENT);
    const bool tabs = m_style == TableHeaderStyleTab;

    // Tabs stand on a line in the selected colour, which the selected tab opens into.
    if (tabs) {
        GdiOwner<HBRUSH> base(CreateSolidBrush(m_itemSelBdColor));
        RECT line{client.left, client.bottom - 1, client.right, client.bottom};
        FillRect(dc, &line, base);
    }
    for (int i = 0; i < static_cast<int>(m_captions.size()); ++i) {
        const bool selected = i == m_currSel;
        RECT r = GetButtonRect(i);
        if (r.left >= client.right)
            break;
        COLORREF fill = selected ? m_itemSelBkColor : m_itemBkColor;
        COLORREF border = selected ? m_itemSelBdColor : m_itemBdColor;
        COLORREF text = selected ? m_textSelColor : m_textColor;
        if (!selected && i == m_hot) {
            fill = Mix(fill, m_itemSelBkColor, 0.25);
            text = Mix(text, m_textSelColor, 0.6);
        }
        if (tabs) {
            // Unselected tabs sit a little lower and stand on the line, so the selected one
            // stands out in front and runs into it.
            RECT tab{r.left, r.top + (selected ? 0 : 2), r.right - 1, r.bottom - (selected ? 0 : 2)};
            GdiOwner<HBRUSH> fillBrush(CreateSolidBrush(fill));
            GdiOwner<HPEN> pen(CreatePen(PS_SOLID, 1, border));
            hostctl::Selected p(dc, pen), b(dc, fillBrush);
            POINT outline[6] = {{tab.left, tab.bottom},   {tab.left, tab.top + 2},  {tab.left + 2, tab.top},
                                {tab.right - 2, tab.top}, {tab.right, tab.top + 2}, {tab.right, tab.bottom}};
            Polygon(dc, outline, 6);
            RECT caption{tab.left + 4, tab.top, tab.right - 4, tab.bottom};
            ::SetTextColor(dc, text);
            DrawTextW(dc, m_captions[i].c_str(), static_cast<int>(m_captions[i].length()), &caption,
                      DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
        } else {
            GdiOwner<HBRUSH> fillBrush(CreateSolidBrush(fill));
            GdiOwner<HBRUSH> borderBrush(CreateSolidBrush(border));
            FillRect(dc, &r, fillBrush);
            FrameRect(dc, &r, borderBrush);
            RECT caption{r.left + 4, r.top, r.right - 4, r.bottom};
            ::SetTextColor(dc, text);
            DrawTextW(dc, m_captions[i].c_str(), static_cast<int>(m_captions[i].length()), &caption,
                      DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
        }
    }
}

} // namespace Control
