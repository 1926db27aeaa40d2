// The condition buttons' pop-up menus over USER32 menus.
#include "filter/FilterMenu.h"

// The menu calls are bound weakly: a platform build that has no pop-up menus yet still runs the
// panel, whose buttons then open nothing, instead of failing to load.
extern "C" {
HMENU WINAPI CreatePopupMenu() __attribute__((weak));
BOOL WINAPI AppendMenuW(HMENU menu, UINT flags, UINT_PTR idNewItem, LPCWSTR newItem) __attribute__((weak));
BOOL WINAPI SetMenuItemInfoW(HMENU menu, UINT item, BOOL byPosition, LPCMENUITEMINFOW info)
    __attribute__((weak));
BOOL WINAPI TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int reserved, HWND owner, const RECT* rect)
    __attribute__((weak));
BOOL WINAPI DestroyMenu(HMENU menu) __attribute__((weak));
}

bool TrackFilterMenu(HWND owner, const std::vector<FilterWnd2::MenuEntry>& entries, int x, int y) {
    if (&CreatePopupMenu == nullptr || &AppendMenuW == nullptr || &SetMenuItemInfoW == nullptr ||
        &TrackPopupMenu == nullptr || &DestroyMenu == nullptr)
        return false;
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
