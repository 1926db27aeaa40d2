// The condition buttons' pop-up menus over USER32 menus.
#include "filter/FilterMenu.h"

bool TrackFilterMenu(HWND owner, const std::vector<FilterWnd2::MenuEntry>& entries, int x, int y) {
    HMENU menu = CreatePopupMenu();
    if (menu == nullptr)
        return false;
    for (const FilterWnd2::MenuEntry& entry : entries) {
        if (entry.id == 0) {
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        AppendMenuW(menu, MF_STRING | (entry.checked ? MF_CHECKED : MF_UNCHECKED), entry.id,
                    entry.caption.c_str());
        if (entry.data != 0) {
            // "Show all" carries the id of the button whose condition it clears.
            MENUITEMINFOW info{};
            info.cbSize = sizeof(info);
            info.fMask = MIIM_DATA;
            info.dwItemData = entry.data;
            SetMenuItemInfoW(menu, entry.id, FALSE, &info);
        }
    }
    BOOL shown = TrackPopupMenu(menu, TPM_VERTICAL | TPM_RIGHTALIGN, x, y, 0, owner, nullptr);
    DestroyMenu(menu);
    return shown != FALSE;
}
