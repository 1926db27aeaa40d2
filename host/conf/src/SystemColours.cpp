#include <hostconf/SystemColours.h>

#include <platform/windows.h>

#include <vector>

namespace HostConf {

void ApplySystemColours(Conf::ITheme* theme) {
    if (theme == nullptr)
        return;
    std::vector<INT> indexes;
    std::vector<COLORREF> values;
    auto take = [&](const char* key, std::initializer_list<int> targets) {
        COLORREF colour = 0;
        if (!theme->GetColor(key, colour))
            return;
        for (int target : targets) {
            indexes.push_back(target);
            values.push_back(colour);
        }
    };
    // Fields of boxes and lists, and the items chosen in them (written in the field's text colour).
    take("combo_bg", {COLOR_WINDOW});
    take("combo_text", {COLOR_WINDOWTEXT, COLOR_HIGHLIGHTTEXT});
    take("combo_border", {COLOR_WINDOWFRAME});
    take("list_sel_bg", {COLOR_HIGHLIGHT, COLOR_MENUHILIGHT});
    // Button faces, which message boxes and menus share.
    take("button_bg", {COLOR_BTNFACE, COLOR_MENU, COLOR_MENUBAR});
    take("button_text", {COLOR_BTNTEXT, COLOR_MENUTEXT});
    take("button_border", {COLOR_BTNSHADOW});
    take("list_scroll_face", {COLOR_SCROLLBAR});
    // Disabled text sits halfway between the face and its text.
    COLORREF face = 0, text = 0;
    if (theme->GetColor("button_bg", face) && theme->GetColor("button_text", text)) {
        indexes.push_back(COLOR_GRAYTEXT);
        values.push_back(RGB((GetRValue(face) + GetRValue(text)) / 2, (GetGValue(face) + GetGValue(text)) / 2,
                             (GetBValue(face) + GetBValue(text)) / 2));
    }
    if (!indexes.empty())
        SetSysColors(static_cast<int>(indexes.size()), indexes.data(), values.data());
}

} // namespace HostConf
