// DateBox: a small box holding one date (YYYY-MM-DD) for the growth page's custom range.
//
// A click gives it the focus; digits then type a new date from the start (the dashes come by
// themselves), Backspace takes the last character back, Enter or leaving the box takes the date,
// Escape gives up the typing. Up and Down move the date by a day, Page Up and Page Down by a
// month, and so does the wheel while the box has the focus. A date outside the box's limits is
// moved to the nearer limit; text that is no date is dropped and the previous date stays. A new
// date reaches the parent as WM_COMMAND with the box's id and kDateChanged.
#pragma once

#include "wgui/GdiObject.h"
#include "wgui/WindowBase.h"
#include "wgui/WindowProc.h"

#include <sdk/XStringW.h>

class DateBox : public WGUI::WindowBase {
public:
    static constexpr WORD kDateChanged = 0x0300; // the notification code of a new date

    struct Colours {
        COLORREF background = RGB(255, 255, 255);
        COLORREF text = RGB(0, 0, 0);
        COLORREF border = RGB(128, 128, 128);
        COLORREF focusBorder = RGB(0, 0, 255);
    };

    DateBox();
    ~DateBox() override;

    // A visible child with a control id, class "Quenda2_GrowthDateBox".
    HWND Create(HWND parent, int id);
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    void SetColours(const Colours& colours);
    void SetFontFace(const XStringW& face);
    // The dates the box accepts; a date outside them moves to the nearer one.
    void SetLimits(int earliest, int latest);
    // Shows a date without telling the parent; -1 shows an empty box.
    void SetDate(int day);
    int Date() const { return m_day; }
    // What the box shows: the date, or the text being typed.
    XStringW Text() const;
    bool Editing() const { return m_editing; }

private:
    void OnChar(wchar_t c);
    void OnKeyDown(UINT key);
    // Takes the typed text; false when it was no date (the previous date then stays).
    bool Commit();
    void Move(int days, int months);
    void Change(int day);
    void Repaint();
    void OnPaint();

    WGUI::WindowProc m_binder;
    Colours m_colours;
    gdiobj::GdiObject<HFONT> m_font;
    int m_id = 0;
    int m_day = -1;
    int m_earliest = -1000000;
    int m_latest = 1000000;
    bool m_editing = false;
    std::wstring m_typed;
};
