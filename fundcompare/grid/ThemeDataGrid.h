// ThemeDataGrid: the base of every grid of the module. It takes its colours, header font, grid
// lines and row heights from the host theme, paints alternating row backgrounds, and resolves the
// font aliases of a header document against the theme before the host grid reads it. All drawing
// stays with the host grid.
#pragma once

#include <sdk/Conf.h>
#include <sdk/ControlDataGrid.h>
#include <sdk/XComPtr.h>

class ThemeDataGrid : public Control::DataGridEx {
public:
    // Fallbacks for a row height the theme leaves at 0.
    static constexpr int kDefaultRowHeight = 23;

    ThemeDataGrid();
    ~ThemeDataGrid() override;

    // Keeps a reference to the theme and applies all of its grid colours, the header font, the
    // grid lines and the row heights. A null theme changes nothing.
    virtual void SetTheme(Conf::ITheme* theme);
    // Appends the theme's font attributes to every font alias and hands the document to the host
    // grid. Without a theme the grid is left as it is and 0 is returned, because the aliases
    // could not be resolved.
    virtual int SetHeader(const wchar_t* xml);

    Conf::ITheme* GetTheme() const { return m_theme; }
    COLORREF GetEvenLineColour() const { return m_evenLineColour; }
    COLORREF GetOddLineColour() const { return m_oddLineColour; }
    COLORREF GetSelectionColour() const { return m_selectionColour; }

    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    // Row 0 takes "list_bg_oddLine": the rows are counted from 1 as a reader does.
    void GetRowBackColor(int row, bool selected, COLORREF& colour) override;

private:
    XComPtr<Conf::ITheme> m_theme;
    COLORREF m_evenLineColour = RGB(0, 0, 0);
    COLORREF m_oddLineColour = RGB(0, 0, 0);
    COLORREF m_selectionColour = RGB(43, 52, 71);
};
