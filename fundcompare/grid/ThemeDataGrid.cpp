// ThemeDataGrid: theme application, alias resolution and row backgrounds.
#include "grid/ThemeDataGrid.h"

#include "grid/HeaderText.h"

ThemeDataGrid::ThemeDataGrid() = default;

ThemeDataGrid::~ThemeDataGrid() = default;

LRESULT ThemeDataGrid::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY)
        m_theme = nullptr; // the theme belongs to the host; a dead window has no use for it
    return Control::DataGridEx::WndProc(message, wParam, lParam);
}

void ThemeDataGrid::SetTheme(Conf::ITheme* theme) {
    if (theme == nullptr)
        return;
    m_theme = theme;

    // Keys the theme lacks keep these values; the scroll-bar colours have no natural default, so
    // they start black like the list background.
    COLORREF background = RGB(0, 0, 0);
    COLORREF columnBackground = RGB(0, 0, 0);
    COLORREF border = RGB(255, 255, 255);
    COLORREF borderInside = RGB(255, 255, 255);
    COLORREF title = RGB(255, 255, 255);
    COLORREF scrollArrow = RGB(0, 0, 0);
    COLORREF scrollButton = RGB(0, 0, 0);
    COLORREF scrollFace = RGB(0, 0, 0);
    COLORREF scrollDark = RGB(0, 0, 0);
    COLORREF scrollLight = RGB(0, 0, 0);
    theme->GetColor("list_bg", background);
    theme->GetColor("list_column_bg", columnBackground);
    theme->GetColor("list_border", border);
    theme->GetColor("list_border_inside", borderInside);
    theme->GetColor("list_title", title);
    theme->GetColor("list_scroll_arrow", scrollArrow);
    theme->GetColor("list_scroll_button", scrollButton);
    theme->GetColor("list_scroll_face", scrollFace);
    theme->GetColor("list_scroll_darkborder", scrollDark);
    theme->GetColor("list_scroll_lightborder", scrollLight);
    theme->GetColor("list_bg_evenLine", m_evenLineColour);
    theme->GetColor("list_bg_oddLine", m_oddLineColour);
    theme->GetColor("list_sel_bg", m_selectionColour);

    SetBkColor(background);
    SetBdColor(border);
    SetGridColor(borderInside);
    SetHeaderColor(title);
    SetHeaderBkColor(columnBackground);
    SetScrollArrowColor(scrollArrow);
    SetScrollButtonColor(scrollButton);
    SetScrollFaceColor(scrollFace);
    SetScrollDarkColor(scrollDark);
    SetScrollLightColor(scrollLight);

    Conf::ThemeFont headerFont;
    theme->GetFont("fntn_font_header", headerFont);
    SetHeaderFont(headerFont.face.c_str(), headerFont.size);

    SetDrawGridLine(theme->GetNumber("list_horizontal_border") != 0,
                    theme->GetNumber("list_vertical_border") != 0);

    // The theme files spell these two keys this way.
    int rowHeight = theme->GetNumber("list_list_row_heihgt");
    int headerHeight = theme->GetNumber("list_header_row_heihgt");
    SetHeaderRowHight(headerHeight != 0 ? headerHeight : kDefaultRowHeight);
    SetRowHight(rowHeight != 0 ? rowHeight : kDefaultRowHeight);

    if (IsWindow())
        Invalidate(TRUE);
}

int ThemeDataGrid::SetHeader(const wchar_t* xml) {
    if (!m_theme)
        return 0;
    XStringW resolved = SubstituteFontAliases(XStringW(xml), m_theme);
    return Control::DataGridEx::SetHeader(resolved.c_str());
}

void ThemeDataGrid::GetRowBackColor(int row, bool selected, COLORREF& colour) {
    if (selected)
        colour = m_selectionColour;
    else
        colour = row % 2 == 1 ? m_evenLineColour : m_oddLineColour;
}
