// Control::XComboEx: the searchable fund picker.
//
// An edit field with a drop-down button. Typing filters the drop-down list to the rows whose
// search field (pinyin initials), display code or name contains the text, case-insensitive, the
// rows where one of them starts with the text first. The best match becomes the current row at
// once, so that a caller acting on Enter (before the picker sees it) takes what the list
// shows on top; Up, Down, PageUp and PageDown move the current row through the list, Enter or a
// click chooses it (the edit field then shows its display code and name) and Escape closes the
// list. The edit field is a child window of the picker, so IsChild(picker, GetFocus()) tells
// whether the keyboard is inside the picker.
//
// A choice is announced to the parent as WM_COMMAND with CBN_SELCHANGE and the picker's id.
#pragma once

#include <sdk/ControlDataGrid.h>
#include <sdk/ControlWin.h>
#include <sdk/Data.h>
#include <sdk/XComPtr.h>
#include <sdk/XStringW.h>

#include <memory>
#include <vector>

namespace Control {

namespace hostctl {
class PickerSearch;
class PickerEdit;
class PickerList;
} // namespace hostctl

class XComboEx : public XWin {
public:
    XComboEx();
    ~XComboEx() override;

    // Creates the picker, its edit field and its (hidden) drop-down list.
    BOOL Create(DWORD style, int x, int y, int width, int height, UINT id, HWND parent);
    using XWin::Create;
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // The rows to choose from. The picker keeps a reference; a new table replaces the list (the
    // current fund stays current when the new table holds it too). Null empties the list.
    void SetDataSource(Data::IDataTable* table);
    // The column names of the fund code (what GetCurrCode answers), the code shown to the user,
    // the name and the search text (pinyin initials).
    void SetDataField(const wchar_t* codeField, const wchar_t* displayCodeField, const wchar_t* nameField,
                      const wchar_t* searchField);
    // The current fund's code and name; empty when none is current.
    XStringW GetCurrCode() const;
    XStringW GetCurrName() const;
    // The current row of the data source, -1 when none.
    int GetCurrRow() const { return m_currRow; }

    // The drop-down list. Its header is the caller's (SetHeader, with the source's column names);
    // it may be sized with MoveWindow and is shown just below the picker at that size.
    XDataGrid& GetDropDownGrid();
    HWND GetEditWindow() const;
    bool IsDroppedDown() const;
    void ShowDropDown(bool show);
    // The edit field's text.
    XStringW GetText() const;
    // Selects the edit field's whole text, so that what is typed next replaces it.
    void SelectAllText();
    // Empties the edit field and leaves no row current (the list closes); the parent is not told,
    // as it asked.
    void ClearChoice();

private:
    friend class hostctl::PickerEdit;
    friend class hostctl::PickerList;

    // Reloads the search texts; the fund of previousCode stays current when the source has it.
    void Rebuild(const XStringW& previousCode);
    XStringW FieldText(int row, const XStringW& field) const;
    // The edit text changed: search again and make the best match current.
    void OnTextChanged();
    // Keys the edit field passes on; true when used.
    bool OnNavigate(UINT key);
    // The edit field lost the keyboard to another window: the list closes unless it took it.
    void OnEditLostFocus(HWND newFocus);
    // A click or Enter on a row of the list (an index into the matches).
    void ChooseListRow(int listRow);
    // Makes a row of the list (an index into the matches) current; scrolls it into view.
    void Highlight(int listRow);
    // Chooses a source row: it becomes current, the edit shows it and the list closes.
    void Choose(int sourceRow);
    void PositionDropDown();
    LRESULT OnPaint();
    void Layout();

    XComPtr<Data::IDataTable> m_source;
    XStringW m_codeField, m_displayField, m_nameField, m_searchField;
    std::unique_ptr<hostctl::PickerSearch> m_search;
    std::vector<int> m_matches; // source rows shown in the list, in list order
    int m_currRow = -1;
    // The edit shows the current row's own text (after a choice) rather than typed search text.
    bool m_textIsChoice = false;
    UINT m_id = 0;
    HFONT m_font = nullptr; // not owned: the caller's WM_SETFONT
    bool m_buttonDown = false;
    std::unique_ptr<hostctl::PickerEdit> m_edit;
    std::unique_ptr<hostctl::PickerList> m_list;
};

} // namespace Control
