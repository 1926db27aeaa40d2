#include <hostconf/SystemColours.h>

#include <platform/windows.h>

#include <utility>
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
    // Shades between the button face and its text: disabled text halfway, the lit edge of a
    // raised button a quarter of the way, a pressed button's face an eighth.
    COLORREF face = 0, text = 0;
    if (theme->GetColor("button_bg", face) && theme->GetColor("button_text", text)) {
        auto shade = [&](double t) {
            auto channel = [t](int a, int b) { return static_cast<BYTE>(a + (b - a) * t + 0.5); };
            return RGB(channel(GetRValue(face), GetRValue(text)), channel(GetGValue(face), GetGValue(text)),
                       channel(GetBValue(face), GetBValue(text)));
        };
        for (auto [index, t] : {std::pair{COLOR_GRAYTEXT, 0.5}, std::pair{COLOR_BTNHIGHLIGHT, 0.25},
                                std::pair{COLOR_3DLIGHT, 0.12}}) {
            indexes.push_back(index);
            values.push_back(shade(t));
        }
    }
    if (!indexes.empty())
        SetSysColors(static_cast<int>(indexes.size()), indexes.data(), values.data());
}

} // namespace HostConf
