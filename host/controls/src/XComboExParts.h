// The two windows inside the fund picker: its edit field and its drop-down list.
#pragma once

#include <sdk/ControlComboEx.h>

#include <string>

namespace Control::hostctl {

// A one-line edit field: text, caret, Backspace, Delete, Left, Right, Home, End, Ctrl+A (selects
// the whole text) and typed characters. Navigation keys (Up, Down, PageUp, PageDown, Enter,
// Escape) go to the picker.
class PickerEdit : public XWin {
public:
    explicit PickerEdit(XComboEx& owner) : m_owner(owner) {}
    ~PickerEdit() override;

    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    const std::wstring& Text() const { return m_text; }
    // Replaces the text without telling the picker (the picker sets it itself); caret at the end.
    void SetText(const std::wstring& text);
    // Selects the whole text: the next character typed replaces it, Backspace or Delete erases
    // it, and a caret key or a click ends the selection.
    void SelectAll();
    void SetFont(HFONT font) { m_font = font; }

    // The longest text the field takes; fund codes and names are far shorter.
    static constexpr std::size_t kMaxLength = 64;

private:
    LRESULT OnPaint();
    void OnChar(wchar_t c);
    void OnKeyDown(UINT key);
    void OnLButtonDown(int x);
    // The width of the first `count` characters in the field's font.
    int PrefixWidth(std::size_t count) const;
    void Edited();

    XComboEx& m_owner;
    std::wstring m_text;
    std::size_t m_caret = 0;
    int m_scroll = 0; // pixels of text hidden to the left, so the caret stays in view
    bool m_allSelected = false;
    HFONT m_font = nullptr;
};

// The drop-down: a data grid over the picker's matches. It never takes the activation, and a
// click on a row chooses it at once. It is drawn in the system colours of boxes and lists, as the
// picker's own field is, and follows them when they change (WM_SYSCOLORCHANGE) unless its owner
// gave it colours of its own.
class PickerList : public XDataGrid {
public:
    explicit PickerList(XComboEx& owner) : m_owner(owner) {}

    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    // Takes the colours from the system colours of the moment.
    void ApplySystemPalette();

protected:
    int GetRowsCount() override;
    void GetItemText(int row, const HeaderInfo2& item, XStringW& text) override;
    void OnEnterItem(int row) override;

private:
    struct Palette {
        COLORREF back, text, grid, border, headerBack, headerText, selection, scrollArrow, scrollButton,
            scrollFace, scrollDark, scrollLight;
        bool operator==(const Palette&) const = default;
    };
    Palette Current() const;

    XComboEx& m_owner;
    Palette m_applied{}; // what ApplySystemPalette set last
};

} // namespace Control::hostctl
