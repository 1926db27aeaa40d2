// Theme colours for host grids and tab bars.
#include "HostGridTheme.h"

namespace {

COLORREF colour(Conf::ITheme* theme, const char* key, COLORREF fallback) {
    COLORREF value = fallback;
    if (theme != nullptr)
        theme->GetColor(key, value);
    return value;
}

} // namespace

void ApplyHostGridTheme(Control::XDataGrid& grid, Conf::ITheme* theme) {
    if (theme == nullptr)
        return;
    grid.SetBkColor(colour(theme, "list_bg", RGB(0, 0, 0)));
    grid.SetBdColor(colour(theme, "list_border", RGB(255, 255, 255)));
    grid.SetGridColor(colour(theme, "list_border_inside", RGB(255, 255, 255)));
    grid.SetHeaderColor(colour(theme, "list_title", RGB(255, 255, 255)));
    grid.SetHeaderBkColor(colour(theme, "list_column_bg", RGB(0, 0, 0)));
    grid.SetTextColor(colour(theme, "list_prev_data", RGB(220, 220, 220)));
    grid.SetSelColor(colour(theme, "list_sel_bg", RGB(43, 52, 71)));
    grid.SetScrollArrowColor(colour(theme, "list_scroll_arrow", RGB(0, 0, 0)));
    grid.SetScrollButtonColor(colour(theme, "list_scroll_button", RGB(0, 0, 0)));
    grid.SetScrollFaceColor(colour(theme, "list_scroll_face", RGB(0, 0, 0)));
    grid.SetScrollDarkColor(colour(theme, "list_scroll_darkborder", RGB(0, 0, 0)));
    grid.SetScrollLightColor(colour(theme, "list_scroll_lightborder", RGB(0, 0, 0)));
    Conf::ThemeFont header;
    header.face = L"WenQuanYi Micro Hei";
    header.size = 12;
    theme->GetFont("fntn_font_header", header);
    grid.SetHeaderFont(header.face.c_str(), header.size);
    int row = theme->GetNumber("list_list_row_heihgt");
    int head = theme->GetNumber("list_header_row_heihgt");
    grid.SetHeaderRowHight(head > 0 ? head : 23);
    grid.SetRowHight(row > 0 ? row : 23);
    grid.SetDrawGridLine(theme->GetNumber("list_horizontal_border") != 0,
                         theme->GetNumber("list_vertical_border") != 0);
    grid.Invalidate(TRUE);
}

void ApplyHostTableHeaderTheme(Control::XTableHeader& header, Conf::ITheme* theme, COLORREF background) {
    if (theme == nullptr)
        return;
    header.SetBkColor(background);
    header.SetItemBkColor(colour(theme, "tabhdr_normal_bg", RGB(30, 30, 30)));
    header.SetItemBdColor(colour(theme, "tabhdr_normal_border", RGB(60, 60, 60)));
    header.SetTextColor(colour(theme, "tabhdr_normal_text", RGB(200, 200, 200)));
    header.SetItemSelBkColor(colour(theme, "tabhdr_focus_bg", RGB(60, 60, 60)));
    header.SetItemSelBdColor(colour(theme, "tabhdr_focus_border", RGB(90, 90, 90)));
    header.SetTextSelColor(colour(theme, "tabhdr_focus_text", RGB(255, 214, 0)));
    header.Invalidate(TRUE);
}
