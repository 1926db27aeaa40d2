// Control::XTableHeader: a row of buttons or tabs, one of them selected.
//
// A change of the selected button, by a click or by SetCurrSel, is sent to the parent window as
// kTableHeaderSelChange with the header's window in wParam and the new index in lParam. Choosing
// the button that is already selected sends nothing.
#pragma once

#include <sdk/ControlWin.h>
#include <sdk/XStringW.h>

#include <vector>

namespace Control {

enum TableHeaderStyle {
    TableHeaderStyleButton = 0, // separate flat buttons
    TableHeaderStyleTab = 1,    // tabs standing on a common base line
};

// The message of a selection change (WM_USER + 4317).
constexpr UINT kTableHeaderSelChange = 5341;

class XTableHeader : public XWin {
public:
    XTableHeader();
    ~XTableHeader() override;

    // Creates the window of the header's own class; the other Create forms work too.
    BOOL Create(LPCWSTR title, DWORD style, int x, int y, int width, int height, UINT id,
                HWND parent) override;
    BOOL Create(LPCWSTR title, DWORD style, int x, int y, int width, int height, HWND parent) override;
    using XWin::Create;
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // Appends a button; returns its index. The first button added is selected (without a
    // message: nothing was selected that could change).
    int AddButton(const wchar_t* caption);
    int GetButtonCount() const { return static_cast<int>(m_captions.size()); }
    // A button's caption (empty for an unknown index).
    Common::XStringW GetButtonText(int index) const {
        return index >= 0 && index < GetButtonCount() ? m_captions[static_cast<size_t>(index)]
                                                      : Common::XStringW();
    }
    void SetStyle(TableHeaderStyle style);
    TableHeaderStyle GetStyle() const { return m_style; }
    // Every button's width in pixels; captions that do not fit end with an ellipsis.
    void SetButtonWidth(int width);
    // The caption height in pixels.
    void SetFontSize(int size);
    // The selected button, -1 while there is none.
    int GetCurrSel() const { return m_currSel; }
    // Selects a button and tells the parent; an index outside the buttons is refused (false) and
    // sends nothing.
    bool SetCurrSel(int index);
    // A button's rectangle in client coordinates (empty for an unknown index).
    RECT GetButtonRect(int index) const;

    void SetBkColor(COLORREF colour);
    void SetItemBkColor(COLORREF colour);
    void SetItemBdColor(COLORREF colour);
    void SetTextColor(COLORREF colour);
    void SetItemSelBkColor(COLORREF colour);
    void SetItemSelBdColor(COLORREF colour);
    void SetTextSelColor(COLORREF colour);

private:
    LRESULT OnPaint();
    void Render(HDC dc, const RECT& client);
    int ButtonAt(int x, int y) const;
    void Repaint();
    void MakeFont();

    std::vector<Common::XStringW> m_captions;
    TableHeaderStyle m_style = TableHeaderStyleButton;
    int m_buttonWidth = 80;
    int m_fontSize = 12;
    int m_currSel = -1;
    int m_hot = -1; // the button under the mouse
    bool m_tracking = false;
    HFONT m_font = nullptr;

    COLORREF m_bkColor = RGB(11, 13, 18);
    COLORREF m_itemBkColor = RGB(22, 26, 34);
    COLORREF m_itemBdColor = RGB(46, 52, 64);
    COLORREF m_textColor = RGB(184, 190, 200);
    COLORREF m_itemSelBkColor = RGB(138, 28, 28);
    COLORREF m_itemSelBdColor = RGB(198, 40, 40);
    COLORREF m_textSelColor = RGB(255, 255, 255);
};

} // namespace Control
