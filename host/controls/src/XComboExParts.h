// The two windows inside the fund picker: its edit field and its drop-down list.
#pragma once

#include <sdk/ControlComboEx.h>

#include <string>

namespace Control::hostctl {

// A one-line edit field: text, caret, Backspace, Delete, Left, Right, Home, End and typed
// characters. Navigation keys (Up, Down, PageUp, PageDown, Enter, Escape) go to the picker.
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
// click on a row chooses it at once.
class PickerList : public XDataGrid {
public:
    explicit PickerList(XComboEx& owner) : m_owner(owner) {}

    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    int GetRowsCount() override;
    void GetItemText(int row, const HeaderInfo2& item, XStringW& text) override;
    void OnEnterItem(int row) override;

private:
    XComboEx& m_owner;
};

} // namespace Control::hostctl
