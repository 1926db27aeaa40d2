// Pop-up menus: the menu objects (CreatePopupMenu, AppendMenuW, the item-info calls, checking and
// enabling) and TrackPopupMenu with its menu windows ("#32768").
//
// Sections: menu objects; item calls; the menu windows; tracking.
//
// Tracking is modal. The menu window shows at the point the TPM_ flags say, kept on the screen.
// On a display (and on the headless screen without a menu hook, where the input queued so far
// plays the person) a nested message loop holds the mouse capture and reads the keyboard: Up,
// Down, Home and End move the highlight, Enter picks it, a character picks the item whose
// mnemonic ('&' mark) it is, Escape or a click outside cancels. On the headless screen with a
// hook, the hook answers while the menu shows. Greyed items, separators and pop-up items cannot
// be picked; a pick then arrives as WM_COMMAND posted to the owner, or as the return value with
// TPM_RETURNCMD.
//
// Pop-up items (MF_POPUP) cascade: a pop-up item's menu opens beside it when the pointer rests on
// the item for the show delay, at once when the item is pressed, and with Right, Enter or the
// item's mnemonic, which also highlight its first item. Left and Escape close the deepest menu
// only. The owner hears WM_INITMENUPOPUP (with the item's position) before each submenu shows and
// WM_UNINITMENUPOPUP when it closes; an item picked in any of them ends the whole menu.
#include "internal/Controls.h"
#include "internal/WindowDriverHooks.h"
#include "internal/WindowSystemClasses.h"

#include <algorithm>
#include <cwctype>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace platform {
namespace {

constexpr wchar_t kMenuClass[] = L"#32768";
constexpr int kCheckColumn = 22;
constexpr int kTextRightMargin = 24;
constexpr int kSeparatorHeight = 7;

// ---- Menu objects -----------------------------------------------------------------------------

struct MenuItem {
    UINT type = MFT_STRING;
    UINT state = 0;
    UINT id = 0;
    HMENU subMenu = nullptr;
    ULONG_PTR data = 0;
    std::wstring text;

    bool Separator() const { return (type & MFT_SEPARATOR) != 0; }
    bool Grayed() const { return (state & MFS_GRAYED) != 0; }
    bool Pickable() const { return !Separator() && !Grayed() && subMenu == nullptr; }
};

struct Menu {
    std::vector<MenuItem> items;
};

struct MenuTable {
    std::map<HMENU, std::unique_ptr<Menu>> menus;
    ULONG_PTR next = 0x10000;
};

MenuTable& table() {
    static MenuTable* instance = new MenuTable; // menus may be destroyed during static teardown
    return *instance;
}

Menu* menuOf(HMENU handle) {
    auto it = table().menus.find(handle);
    if (it == table().menus.end()) {
        SetLastError(ERROR_INVALID_MENU_HANDLE);
        return nullptr;
    }
    return it->second.get();
}

HMENU newMenu() {
    MenuTable& t = table();
    auto handle = reinterpret_cast<HMENU>(t.next);
    t.next += 4; // handles are never reused, so a stale one is an error, not another menu
    t.menus[handle] = std::make_unique<Menu>();
    return handle;
}

struct ItemRef {
    Menu* menu = nullptr;
    size_t index = 0;
    MenuItem* operator->() const { return &menu->items[index]; }
};

// An item by position, or by command id searched through the pop-up items as Windows does.
bool findItem(Menu* menu, UINT item, bool byPosition, ItemRef* out, int depth = 0) {
    if (menu == nullptr || depth > 16)
        return false;
    if (byPosition) {
        if (item >= menu->items.size())
            return false;
        *out = ItemRef{menu, item};
        return true;
    }
    for (size_t i = 0; i < menu->items.size(); ++i) {
        MenuItem& m = menu->items[i];
        if (m.subMenu != nullptr) {
            auto it = table().menus.find(m.subMenu);
            if (it != table().menus.end() && findItem(it->second.get(), item, false, out, depth + 1))
                return true;
        } else if (!m.Separator() && m.id == item) {
            *out = ItemRef{menu, i};
            return true;
        }
    }
    return false;
}

bool itemFromFlags(MenuItem* item, UINT flags, UINT_PTR id, LPCWSTR text) {
    if (flags & (MF_BITMAP | MF_OWNERDRAW)) {
        SetLastError(ERROR_INVALID_PARAMETER); // only text items are drawn here
        return false;
    }
    item->type = flags & (MF_SEPARATOR | MF_MENUBREAK | MF_MENUBARBREAK | MFT_RADIOCHECK);
    item->state = flags & (MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_DEFAULT | MF_HILITE);
    if (item->state & (MF_GRAYED | MF_DISABLED))
        item->state |= MFS_GRAYED;
    if (flags & MF_POPUP) {
        auto sub = reinterpret_cast<HMENU>(id);
        if (menuOf(sub) == nullptr)
            return false;
        item->subMenu = sub;
    } else {
        item->id = static_cast<UINT>(id);
    }
    if (!(flags & MF_SEPARATOR) && text != nullptr)
        item->text = text;
    return true;
}

void destroyMenu(HMENU handle, int depth = 0) {
    auto it = table().menus.find(handle);
    if (it == table().menus.end() || depth > 16)
        return;
    std::unique_ptr<Menu> menu = std::move(it->second);
    table().menus.erase(it);
    for (const MenuItem& item : menu->items) {
        if (item.subMenu != nullptr)
            destroyMenu(item.subMenu, depth + 1);
    }
}

bool infoSizeValid(const MENUITEMINFOW* info) {
    if (info == nullptr || info->cbSize < offsetof(MENUITEMINFOW, hbmpItem)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    return true;
}

bool applyInfo(MenuItem* item, const MENUITEMINFOW* info) {
    UINT mask = info->fMask;
    if (mask & MIIM_SUBMENU) {
        if (info->hSubMenu != nullptr && table().menus.count(info->hSubMenu) == 0) {
            SetLastError(ERROR_INVALID_MENU_HANDLE);
            return false;
        }
        item->subMenu = info->hSubMenu;
    }
    if (mask & (MIIM_FTYPE | MIIM_TYPE))
        item->type = info->fType & ~static_cast<UINT>(MFT_BITMAP | MFT_OWNERDRAW);
    if ((mask & MIIM_STRING) || ((mask & MIIM_TYPE) && !(info->fType & (MFT_SEPARATOR | MFT_BITMAP))))
        item->text = info->dwTypeData != nullptr ? std::wstring(info->dwTypeData) : std::wstring();
    if (mask & MIIM_ID)
        item->id = info->wID;
    if (mask & MIIM_STATE)
        item->state = info->fState;
    if (mask & MIIM_DATA)
        item->data = info->dwItemData;
    return true;
}

// ---- The menu windows ---------------------------------------------------------------------------
//
// A menu that is tracked is a chain of levels: the menu TrackPopupMenu was given, and the pop-up
// items' menus opened from it, one window each. The root window holds the mouse capture, so every
// mouse message comes to it and is handed to the deepest level under the pointer; the keyboard
// belongs to the deepest level.

constexpr UINT_PTR kHoverTimer = 1;
constexpr UINT kShowDelay = 400; // Windows' default menu show delay (SPI_GETMENUSHOWDELAY)
constexpr int kSubMenuOverlap = 3;

struct Level {
    HMENU menu = nullptr;
    std::vector<MenuItem> items; // a snapshot, taken after WM_INITMENUPOPUP
    std::vector<RECT> rows;      // client coordinates
    int hot = -1;
    HWND window = nullptr;
    int parentItem = -1; // the pop-up item of the level above that opened this one
};

struct Tracking {
    HWND owner = nullptr;
    UINT flags = 0;
    std::vector<Level> levels; // [0] is the menu that was tracked; deeper ones follow
    bool done = false;
    std::optional<UINT> picked;
    // The pointer rests on an item: when the delay has passed, the levels below the item's level
    // close and the item's own menu opens, if it has one.
    bool hoverArmed = false;
    size_t hoverLevel = 0;
    int hoverItem = -1;

    bool Notify() const { return !(flags & TPM_NONOTIFY) && IsWindow(owner); }
    HWND Root() const { return levels.empty() ? nullptr : levels.front().window; }
};

Tracking*& activeTracking() {
    static Tracking* tracking = nullptr;
    return tracking;
}

struct MenuWindowState {
    Tracking* tracking = nullptr;
    size_t level = 0;
};

MenuWindowState* stateOf(HWND window) {
    MenuWindowState* state = ControlState<MenuWindowState>(window);
    return state != nullptr && state->tracking != nullptr ? state : nullptr;
}

std::wstring labelOf(const std::wstring& text) {
    return text.substr(0, text.find(L'\t'));
}

std::wstring acceleratorOf(const std::wstring& text) {
    size_t tab = text.find(L'\t');
    return tab == std::wstring::npos ? std::wstring() : text.substr(tab + 1);
}

// Lays the rows out and answers the window size the items need.
SIZE layOut(Level* level) {
    HFONT font = ControlFont(nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    int lineHeight = FontLineHeight(font) + 8;
    int width = 60;
    int accelWidth = 0;
    int y = 2;
    level->rows.clear();
    for (const MenuItem& item : level->items) {
        int height = item.Separator() ? kSeparatorHeight : lineHeight;
        level->rows.push_back(RECT{2, y, 0, y + height});
        y += height;
        if (item.Separator())
            continue;
        std::wstring label = labelOf(item.text);
        RECT r{0, 0, 0, 0};
        DrawTextW(dc, label.c_str(), static_cast<int>(label.size()), &r, DT_SINGLELINE | DT_CALCRECT);
        width = std::max(width, static_cast<int>(r.right));
        std::wstring accel = acceleratorOf(item.text);
        if (!accel.empty()) {
            RECT a{0, 0, 0, 0};
            DrawTextW(dc, accel.c_str(), static_cast<int>(accel.size()), &a,
                      DT_SINGLELINE | DT_CALCRECT | DT_NOPREFIX);
            accelWidth = std::max(accelWidth, static_cast<int>(a.right) + 16);
        }
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    int total = kCheckColumn + width + accelWidth + kTextRightMargin + 4;
    for (RECT& r : level->rows)
        r.right = total - 2;
    return SIZE{total, y + 2};
}

void drawCheck(HDC dc, const RECT& row, COLORREF color) {
    HPEN pen = CreatePen(PS_SOLID, 2, color);
    HGDIOBJ old = SelectObject(dc, pen);
    int cx = row.left + kCheckColumn / 2;
    int cy = (row.top + row.bottom) / 2;
    MoveToEx(dc, cx - 5, cy, nullptr);
    LineTo(dc, cx - 2, cy + 3);
    LineTo(dc, cx + 4, cy - 4);
    SelectObject(dc, old);
    DeleteObject(pen);
}

void drawArrow(HDC dc, const RECT& row, COLORREF color) {
    HBRUSH brush = CreateSolidBrush(color);
    int x = row.right - 12;
    int cy = (row.top + row.bottom) / 2;
    for (int k = 0; k < 4; ++k) {
        RECT bar{x + k, cy - 3 + k, x + k + 1, cy + 4 - k};
        FillRect(dc, &bar, brush);
    }
    DeleteObject(brush);
}

void paintMenu(HWND window, HDC dc, const Level& level) {
    RECT client;
    GetClientRect(window, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_MENU));
    FrameRect(dc, &client, GetSysColorBrush(COLOR_BTNSHADOW));
    HGDIOBJ oldFont = SelectObject(dc, ControlFont(nullptr));
    SetBkMode(dc, TRANSPARENT);
    for (size_t i = 0; i < level.items.size(); ++i) {
        const MenuItem& item = level.items[i];
        RECT row = level.rows[i];
        if (item.Separator()) {
            int y = (row.top + row.bottom) / 2;
            RECT line{row.left + 2, y, row.right - 2, y + 1};
            FillRect(dc, &line, GetSysColorBrush(COLOR_BTNSHADOW));
            continue;
        }
        bool hot = static_cast<int>(i) == level.hot;
        if (hot)
            FillRect(dc, &row, GetSysColorBrush(COLOR_HIGHLIGHT));
        COLORREF color =
            GetSysColor(item.Grayed() ? COLOR_GRAYTEXT : (hot ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
        SetTextColor(dc, color);
        if (item.state & MFS_CHECKED)
            drawCheck(dc, row, color);
        RECT text{row.left + kCheckColumn, row.top, row.right - kTextRightMargin, row.bottom};
        std::wstring label = labelOf(item.text);
        DrawTextW(dc, label.c_str(), static_cast<int>(label.size()), &text,
                  DT_LEFT | DT_VCENTER | DT_SINGLELINE);
        std::wstring accel = acceleratorOf(item.text);
        if (!accel.empty())
            DrawTextW(dc, accel.c_str(), static_cast<int>(accel.size()), &text,
                      DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        if (item.subMenu != nullptr)
            drawArrow(dc, row, color);
    }
    SelectObject(dc, oldFont);
}

int rowAt(const Level& level, POINT p) {
    for (size_t i = 0; i < level.rows.size(); ++i) {
        if (PtInRect(&level.rows[i], p) && !level.items[i].Separator())
            return static_cast<int>(i);
    }
    return -1;
}

bool opensSubMenu(const MenuItem& item) {
    return item.subMenu != nullptr && !item.Grayed();
}

void setHot(Tracking* tracking, size_t index, int hot) {
    Level& level = tracking->levels[index];
    if (level.hot == hot)
        return;
    level.hot = hot;
    InvalidateRect(level.window, nullptr, FALSE);
    if (hot >= 0 && tracking->Notify()) {
        const MenuItem& item = level.items[static_cast<size_t>(hot)];
        UINT flags = item.state | (item.subMenu != nullptr ? MF_POPUP : 0);
        SendMessageW(tracking->owner, WM_MENUSELECT,
                     MAKEWPARAM(item.subMenu != nullptr ? hot : item.id, flags),
                     reinterpret_cast<LPARAM>(level.menu));
    }
}

void finish(Tracking* tracking, const MenuItem* item) {
    tracking->done = true;
    if (item != nullptr && item->Pickable())
        tracking->picked = item->id;
}

// Closes the levels deeper than `keep` (0: only the root stays), deepest first.
void closeBelow(Tracking* tracking, size_t keep) {
    while (tracking->levels.size() > keep + 1) {
        Level level = std::move(tracking->levels.back());
        tracking->levels.pop_back();
        if (IsWindow(level.window)) {
            if (MenuWindowState* state = stateOf(level.window))
                state->tracking = nullptr;
            DestroyWindow(level.window);
        }
        if (tracking->Notify())
            SendMessageW(tracking->owner, WM_UNINITMENUPOPUP, reinterpret_cast<WPARAM>(level.menu), 0);
    }
}

// Where a level's window goes: to the right of its parent's item, overlapping the parent a little,
// with its first row beside the item; to the left when it would run off the right edge, and up
// (its last row beside the item) when it would run off the bottom.
POINT placeSubMenu(const RECT& parent, const RECT& item, SIZE size) {
    int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    int left = parent.right - kSubMenuOverlap;
    if (left + size.cx > screenWidth)
        left = parent.left + kSubMenuOverlap - size.cx;
    int top = item.top - 2;
    if (top + size.cy > screenHeight)
        top = item.bottom + 2 - size.cy;
    left = std::max(0, std::min(left, screenWidth - static_cast<int>(size.cx)));
    top = std::max(0, std::min(top, screenHeight - static_cast<int>(size.cy)));
    return POINT{left, top};
}

HWND showLevel(Tracking* tracking, size_t index, POINT at, SIZE size);

// Opens the menu of the pop-up item `item` of level `index`, closing deeper levels first. With
// `select`, its first item that is not a separator is highlighted (as the keyboard opens menus).
bool openSubMenu(Tracking* tracking, size_t index, int item, bool select) {
    tracking->hoverArmed = false;
    closeBelow(tracking, index);
    Level& parent = tracking->levels[index];
    if (item < 0 || !opensSubMenu(parent.items[static_cast<size_t>(item)]))
        return false;
    HMENU handle = parent.items[static_cast<size_t>(item)].subMenu;
    if (tracking->Notify())
        SendMessageW(tracking->owner, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(handle),
                     MAKELPARAM(item, FALSE));
    // The owner may have ended the menu or destroyed the submenu while it was told.
    Menu* menu = menuOf(handle);
    if (tracking->done || menu == nullptr || menu->items.empty())
        return false;
    Level level;
    level.menu = handle;
    level.items = menu->items;
    level.parentItem = item;
    SIZE size = layOut(&level);
    RECT parentRect{};
    GetWindowRect(tracking->levels[index].window, &parentRect);
    RECT row = tracking->levels[index].rows[static_cast<size_t>(item)];
    MapWindowPoints(tracking->levels[index].window, nullptr, reinterpret_cast<POINT*>(&row), 2);
    tracking->levels.push_back(std::move(level));
    if (showLevel(tracking, tracking->levels.size() - 1, placeSubMenu(parentRect, row, size), size) ==
        nullptr) {
        tracking->levels.pop_back();
        return false;
    }
    if (select) {
        Level& opened = tracking->levels.back();
        for (size_t i = 0; i < opened.items.size(); ++i) {
            if (!opened.items[i].Separator()) {
                setHot(tracking, tracking->levels.size() - 1, static_cast<int>(i));
                break;
            }
        }
    }
    return true;
}

// The pointer came to rest on an item: its level's deeper menus change after the show delay.
void armHover(Tracking* tracking, size_t index, int item) {
    bool openHere =
        tracking->levels.size() > index + 1 &&
        tracking->levels[index].items[static_cast<size_t>(item)].subMenu == tracking->levels[index + 1].menu;
    bool nothingToDo = !opensSubMenu(tracking->levels[index].items[static_cast<size_t>(item)]) &&
                       tracking->levels.size() == index + 1;
    if (openHere || nothingToDo) {
        tracking->hoverArmed = false;
        return;
    }
    tracking->hoverArmed = true;
    tracking->hoverLevel = index;
    tracking->hoverItem = item;
    SetTimer(tracking->Root(), kHoverTimer, kShowDelay, nullptr);
}

void onHoverDue(Tracking* tracking) {
    KillTimer(tracking->Root(), kHoverTimer);
    if (!tracking->hoverArmed || tracking->hoverLevel >= tracking->levels.size())
        return;
    tracking->hoverArmed = false;
    size_t index = tracking->hoverLevel;
    int item = tracking->hoverItem;
    if (tracking->levels[index].hot != item)
        return; // the pointer moved on
    if (opensSubMenu(tracking->levels[index].items[static_cast<size_t>(item)]))
        openSubMenu(tracking, index, item, false);
    else
        closeBelow(tracking, index);
}

// The deepest level whose window holds a screen point, and the point in its client coordinates.
std::optional<size_t> levelAt(const Tracking* tracking, POINT screen, POINT* client) {
    for (size_t i = tracking->levels.size(); i-- > 0;) {
        RECT r{};
        GetWindowRect(tracking->levels[i].window, &r);
        if (PtInRect(&r, screen)) {
            *client = screen;
            ScreenToClient(tracking->levels[i].window, client);
            return i;
        }
    }
    return std::nullopt;
}

// Every mouse message comes to the root window, which holds the capture.
void onMouse(Tracking* tracking, UINT message, POINT rootClient) {
    POINT screen = rootClient;
    ClientToScreen(tracking->Root(), &screen);
    POINT p{};
    std::optional<size_t> index = levelAt(tracking, screen, &p);
    bool rightButton = (tracking->flags & TPM_RIGHTBUTTON) != 0;
    switch (message) {
    case WM_MOUSEMOVE:
        if (index) {
            // Inside a submenu, the items that lead to it are the highlighted ones above.
            for (size_t i = 1; i <= *index; ++i)
                setHot(tracking, i - 1, tracking->levels[i].parentItem);
            int row = rowAt(tracking->levels[*index], p);
            if (row >= 0) {
                setHot(tracking, *index, row);
                armHover(tracking, *index, row);
            }
        }
        break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        if (!index) {
            finish(tracking, nullptr);
        } else if (int row = rowAt(tracking->levels[*index], p); row >= 0) {
            // A press on a pop-up item opens its menu at once.
            setHot(tracking, *index, row);
            if (opensSubMenu(tracking->levels[*index].items[static_cast<size_t>(row)]) &&
                !(tracking->levels.size() > *index + 1 &&
                  tracking->levels[*index + 1].menu ==
                      tracking->levels[*index].items[static_cast<size_t>(row)].subMenu))
                openSubMenu(tracking, *index, row, false);
        }
        break;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
        if ((message == WM_RBUTTONUP && !rightButton) || !index)
            break;
        // A release over a greyed item, a separator or a pop-up item leaves the menu open, as on
        // Windows.
        if (int row = rowAt(tracking->levels[*index], p); row >= 0) {
            const MenuItem& item = tracking->levels[*index].items[static_cast<size_t>(row)];
            if (item.Pickable())
                finish(tracking, &item);
        }
        break;
    default:
        break;
    }
}

LRESULT CALLBACK MenuWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    MenuWindowState* state = stateOf(window);
    if (state == nullptr || state->level >= state->tracking->levels.size())
        return DefWindowProcW(window, message, wParam, lParam);
    Tracking* tracking = state->tracking;
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        if (dc != nullptr)
            paintMenu(window, dc, tracking->levels[state->level]);
        EndPaint(window, &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
        if (window == tracking->Root())
            onMouse(tracking, message, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
    case WM_TIMER:
        if (wParam == kHoverTimer && window == tracking->Root())
            onHoverDue(tracking);
        return 0;
    case WM_CAPTURECHANGED:
        if (window == tracking->Root() && reinterpret_cast<HWND>(lParam) != window && !tracking->done)
            finish(tracking, nullptr);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

SystemClassRegistration menuClass([] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_SAVEBITS | CS_DBLCLKS;
    wc.lpfnWndProc = MenuWindowProc;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kMenuClass;
    RegisterSystemClass(wc);
});

HWND showLevel(Tracking* tracking, size_t index, POINT at, SIZE size) {
    HWND window =
        CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kMenuClass, L"", WS_POPUP, at.x,
                        at.y, size.cx, size.cy, tracking->owner, nullptr, nullptr, nullptr);
    if (window == nullptr)
        return nullptr;
    MenuWindowState* state = ControlState<MenuWindowState>(window);
    state->tracking = tracking;
    state->level = index;
    tracking->levels[index].window = window;
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW | SWP_NOACTIVATE);
    UpdateWindow(window);
    return window;
}

// ---- Tracking ---------------------------------------------------------------------------------

wchar_t mnemonicOf(const std::wstring& text) {
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == L'&') {
            if (text[i + 1] != L'&')
                return static_cast<wchar_t>(std::towupper(text[i + 1]));
            ++i;
        }
    }
    return 0;
}

void moveHot(Tracking* tracking, int step, int from) {
    size_t index = tracking->levels.size() - 1;
    const Level& level = tracking->levels[index];
    int n = static_cast<int>(level.items.size());
    int at = from;
    for (int k = 0; k < n; ++k) {
        at = ((at + step) % n + n) % n;
        if (!level.items[static_cast<size_t>(at)].Separator()) {
            setHot(tracking, index, at);
            return;
        }
    }
}

// Enter, or the only item with a typed mnemonic: a pop-up item opens its menu, another item that
// can be picked is chosen.
void choose(Tracking* tracking, size_t index, int item) {
    const MenuItem& chosen = tracking->levels[index].items[static_cast<size_t>(item)];
    if (opensSubMenu(chosen))
        openSubMenu(tracking, index, item, true);
    else if (chosen.Pickable())
        finish(tracking, &chosen);
}

void onCharacter(Tracking* tracking, wchar_t c) {
    size_t index = tracking->levels.size() - 1;
    const Level& level = tracking->levels[index];
    wchar_t wanted = static_cast<wchar_t>(std::towupper(c));
    std::vector<int> matches;
    for (size_t i = 0; i < level.items.size(); ++i) {
        if (!level.items[i].Separator() && mnemonicOf(level.items[i].text) == wanted)
            matches.push_back(static_cast<int>(i));
    }
    if (matches.empty())
        return;
    if (matches.size() == 1) {
        // The only item with the mnemonic is chosen at once; a greyed one only highlights.
        setHot(tracking, index, matches[0]);
        choose(tracking, index, matches[0]);
        return;
    }
    // Several items share the mnemonic: each press moves to the next of them.
    auto next = std::upper_bound(matches.begin(), matches.end(), level.hot);
    setHot(tracking, index, next == matches.end() ? matches.front() : *next);
}

// The keyboard belongs to the deepest open level while the menu is open.
bool filterKeys(Tracking* tracking, MSG& msg) {
    size_t index = tracking->levels.size() - 1;
    int hot = tracking->levels[index].hot;
    switch (msg.message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        switch (msg.wParam) {
        case VK_ESCAPE:
            // One level at a time; the last one ends the menu.
            if (index > 0)
                closeBelow(tracking, index - 1);
            else
                finish(tracking, nullptr);
            break;
        case VK_MENU:
        case VK_F10:
            finish(tracking, nullptr);
            break;
        case VK_UP:
            moveHot(tracking, -1, hot < 0 ? 0 : hot);
            break;
        case VK_DOWN:
            moveHot(tracking, 1, hot < 0 ? -1 : hot);
            break;
        case VK_HOME:
            moveHot(tracking, 1, -1);
            break;
        case VK_END:
            moveHot(tracking, -1, 0);
            break;
        case VK_RIGHT:
            if (hot >= 0 && opensSubMenu(tracking->levels[index].items[static_cast<size_t>(hot)]))
                openSubMenu(tracking, index, hot, true);
            break;
        case VK_LEFT:
            if (index > 0)
                closeBelow(tracking, index - 1);
            break;
        case VK_RETURN:
            if (hot >= 0)
                choose(tracking, index, hot);
            break;
        default:
            TranslateMessage(&msg);
            break;
        }
        tracking->hoverArmed = false;
        return true;
    case WM_CHAR:
    case WM_SYSCHAR:
        onCharacter(tracking, static_cast<wchar_t>(msg.wParam));
        return true;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        return true;
    default:
        return false;
    }
}

// The menu's own message loop. On a display it waits for input. On the headless screen, when the
// queued input has run out, a pending show delay is taken as passed, then the owner hears
// WM_ENTERIDLE (where a test plays the person who looks at the open menu and acts); when that
// queued nothing either, the menu is cancelled.
void runMenuLoop(Tracking* tracking) {
    HWND root = tracking->Root();
    while (!tracking->done && IsWindow(root)) {
        MSG msg;
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam));
                break;
            }
            if (!filterKeys(tracking, msg)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
            continue;
        }
        bool display = BackendHasDisplay();
        if (!display && tracking->hoverArmed) {
            onHoverDue(tracking); // the person rests on the item until the delay has passed
            continue;
        }
        if (!(tracking->flags & TPM_NONOTIFY) && IsWindow(tracking->owner)) {
            SendMessageW(tracking->owner, WM_ENTERIDLE, MSGF_MENU, reinterpret_cast<LPARAM>(root));
            if (!display && PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE))
                continue;
        }
        if (!display)
            break;
        WaitMessage();
    }
}

std::vector<PlatformMenuItem> describe(const std::vector<MenuItem>& items, int depth = 0) {
    std::vector<PlatformMenuItem> out;
    for (const MenuItem& item : items) {
        PlatformMenuItem d;
        d.caption = item.Separator() ? std::wstring() : item.text;
        d.id = item.id;
        d.separator = item.Separator();
        d.checked = (item.state & MFS_CHECKED) != 0;
        d.grayed = item.Grayed();
        d.itemData = item.data;
        if (item.subMenu != nullptr && depth < 16) {
            auto it = table().menus.find(item.subMenu);
            if (it != table().menus.end())
                d.subMenu = describe(it->second->items, depth + 1);
        }
        out.push_back(std::move(d));
    }
    return out;
}

// True when a hook's answer names an item that can be picked, in the menu or its pop-up items.
bool pickable(const std::vector<MenuItem>& items, UINT id, int depth = 0) {
    for (const MenuItem& item : items) {
        if (item.subMenu != nullptr) {
            auto it = table().menus.find(item.subMenu);
            if (depth < 16 && it != table().menus.end() && pickable(it->second->items, id, depth + 1))
                return true;
        } else if (item.Pickable() && item.id == id) {
            return true;
        }
    }
    return false;
}

// The menu's top-left corner for the TPM_ alignment flags, kept on the screen: a menu that would
// run off an edge opens to the other side of the point, and is pushed inside when that fails too.
POINT place(UINT flags, int x, int y, SIZE size) {
    int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    int left = x;
    if (flags & TPM_RIGHTALIGN)
        left = x - size.cx;
    else if (flags & TPM_CENTERALIGN)
        left = x - size.cx / 2;
    int top = y;
    if (flags & TPM_BOTTOMALIGN)
        top = y - size.cy;
    else if (flags & TPM_VCENTERALIGN)
        top = y - size.cy / 2;
    if (left + size.cx > screenWidth && x - size.cx >= 0)
        left = x - size.cx;
    else if (left < 0 && x + size.cx <= screenWidth)
        left = x;
    if (top + size.cy > screenHeight && y - size.cy >= 0)
        top = y - size.cy;
    else if (top < 0 && y + size.cy <= screenHeight)
        top = y;
    left = std::max(0, std::min(left, screenWidth - static_cast<int>(size.cx)));
    top = std::max(0, std::min(top, screenHeight - static_cast<int>(size.cy)));
    return POINT{left, top};
}

// Tells the owner of the pop-up items' menus that a hook will see, deepest last, or that they are
// gone again: a hook sees the whole tree at once, as a person who opens every submenu would.
void tellSubMenus(HWND owner, HMENU handle, bool opening, int depth = 0) {
    Menu* menu = menuOf(handle);
    if (menu == nullptr || depth > 16)
        return;
    std::vector<HMENU> subs;
    for (const MenuItem& item : menu->items) {
        if (opensSubMenu(item))
            subs.push_back(item.subMenu);
    }
    for (size_t i = 0; i < subs.size() && IsWindow(owner); ++i) {
        if (opening) {
            SendMessageW(owner, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(subs[i]),
                         MAKELPARAM(static_cast<int>(i), FALSE));
            tellSubMenus(owner, subs[i], opening, depth + 1);
        } else {
            tellSubMenus(owner, subs[i], opening, depth + 1);
            SendMessageW(owner, WM_UNINITMENUPOPUP, reinterpret_cast<WPARAM>(subs[i]), 0);
        }
    }
}

BOOL track(HMENU handle, UINT flags, int x, int y, HWND owner) {
    Menu* menu = menuOf(handle);
    if (menu == nullptr)
        return FALSE;
    if (!IsWindow(owner)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (activeTracking() != nullptr) {
        SetLastError(ERROR_POPUP_ALREADY_ACTIVE);
        return FALSE;
    }
    bool notify = !(flags & TPM_NONOTIFY);
    if (notify) {
        SendMessageW(owner, WM_ENTERMENULOOP, TRUE, 0);
        SendMessageW(owner, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(handle), 0);
        menu = menuOf(handle); // the owner may have destroyed it
        if (menu == nullptr || !IsWindow(owner))
            return FALSE;
    }
    Tracking tracking;
    tracking.owner = owner;
    tracking.flags = flags;
    tracking.levels.emplace_back();
    tracking.levels[0].menu = handle;
    tracking.levels[0].items = menu->items;
    SIZE size = layOut(&tracking.levels[0]);
    HWND window = showLevel(&tracking, 0, place(flags, x, y, size), size);
    if (window == nullptr)
        return FALSE;
    activeTracking() = &tracking;

    const PlatformMenuHook& hook = MenuHook();
    if (!BackendHasDisplay() && hook) {
        if (notify)
            tellSubMenus(owner, handle, true);
        std::optional<UINT> answer = hook(owner, POINT{x, y}, describe(tracking.levels[0].items));
        tracking.done = true;
        if (answer && pickable(tracking.levels[0].items, *answer))
            tracking.picked = answer;
        if (notify)
            tellSubMenus(owner, handle, false);
    } else {
        SetCapture(window);
        runMenuLoop(&tracking);
        if (GetCapture() == window) {
            tracking.done = true; // the capture change that follows is ours
            ReleaseCapture();
        }
    }
    activeTracking() = nullptr;
    if (IsWindow(window))
        KillTimer(window, kHoverTimer);
    closeBelow(&tracking, 0);
    if (KeepsRecords()) {
        PlatformMenuRecord record;
        record.owner = owner;
        record.point = POINT{x, y};
        GetWindowRect(window, &record.rect);
        record.flags = flags;
        record.items = describe(tracking.levels[0].items);
        record.picked = tracking.picked;
        RecordMenu(std::move(record));
    }
    if (IsWindow(window)) {
        if (MenuWindowState* state = stateOf(window))
            state->tracking = nullptr;
        DestroyWindow(window);
    }
    if (notify && IsWindow(owner)) {
        SendMessageW(owner, WM_UNINITMENUPOPUP, reinterpret_cast<WPARAM>(handle), 0);
        SendMessageW(owner, WM_EXITMENULOOP, TRUE, 0);
    }
    if (!tracking.picked)
        return (flags & TPM_RETURNCMD) ? 0 : TRUE;
    if (flags & TPM_RETURNCMD)
        return static_cast<BOOL>(*tracking.picked);
    if (IsWindow(owner))
        PostMessageW(owner, WM_COMMAND, MAKEWPARAM(*tracking.picked, 0), 0);
    return TRUE;
}

} // namespace
} // namespace platform

using namespace platform;

extern "C" {

HMENU WINAPI CreatePopupMenu() {
    return newMenu();
}

HMENU WINAPI CreateMenu() {
    return newMenu();
}

BOOL WINAPI DestroyMenu(HMENU menu) {
    if (menuOf(menu) == nullptr)
        return FALSE;
    destroyMenu(menu);
    return TRUE;
}

BOOL WINAPI IsMenu(HMENU menu) {
    return table().menus.count(menu) != 0 ? TRUE : FALSE;
}

BOOL WINAPI InsertMenuW(HMENU handle, UINT position, UINT flags, UINT_PTR idNewItem, LPCWSTR newItem) {
    Menu* menu = menuOf(handle);
    if (menu == nullptr)
        return FALSE;
    MenuItem item;
    if (!itemFromFlags(&item, flags, idNewItem, newItem))
        return FALSE;
    size_t at = menu->items.size();
    if (flags & MF_BYPOSITION) {
        at = std::min(static_cast<size_t>(position), menu->items.size());
    } else if (position != static_cast<UINT>(-1)) {
        ItemRef ref;
        if (!findItem(menu, position, false, &ref)) {
            SetLastError(ERROR_MENU_ITEM_NOT_FOUND);
            return FALSE;
        }
        menu = ref.menu;
        at = ref.index;
    }
    menu->items.insert(menu->items.begin() + static_cast<std::ptrdiff_t>(at), item);
    return TRUE;
}

BOOL WINAPI AppendMenuW(HMENU menu, UINT flags, UINT_PTR idNewItem, LPCWSTR newItem) {
    return InsertMenuW(menu, static_cast<UINT>(-1),
                       (flags & ~static_cast<UINT>(MF_BYPOSITION)) | MF_BYPOSITION, idNewItem, newItem);
}

BOOL WINAPI InsertMenuItemW(HMENU handle, UINT position, BOOL byPosition, LPCMENUITEMINFOW info) {
    Menu* menu = menuOf(handle);
    if (menu == nullptr || !infoSizeValid(info))
        return FALSE;
    MenuItem item;
    if (!applyInfo(&item, info))
        return FALSE;
    size_t at = menu->items.size();
    if (byPosition) {
        at = std::min(static_cast<size_t>(position), menu->items.size());
    } else {
        ItemRef ref;
        if (findItem(menu, position, false, &ref)) {
            menu = ref.menu;
            at = ref.index;
        }
    }
    menu->items.insert(menu->items.begin() + static_cast<std::ptrdiff_t>(at), item);
    return TRUE;
}

BOOL WINAPI SetMenuItemInfoW(HMENU handle, UINT position, BOOL byPosition, LPCMENUITEMINFOW info) {
    Menu* menu = menuOf(handle);
    if (menu == nullptr || !infoSizeValid(info))
        return FALSE;
    ItemRef ref;
    if (!findItem(menu, position, byPosition != FALSE, &ref)) {
        SetLastError(ERROR_MENU_ITEM_NOT_FOUND);
        return FALSE;
    }
    MenuItem changed = *ref.operator->();
    if (!applyInfo(&changed, info))
        return FALSE;
    *ref.operator->() = changed;
    return TRUE;
}

BOOL WINAPI GetMenuItemInfoW(HMENU handle, UINT position, BOOL byPosition, LPMENUITEMINFOW info) {
    Menu* menu = menuOf(handle);
    if (menu == nullptr || !infoSizeValid(info))
        return FALSE;
    ItemRef ref;
    if (!findItem(menu, position, byPosition != FALSE, &ref)) {
        SetLastError(ERROR_MENU_ITEM_NOT_FOUND);
        return FALSE;
    }
    const MenuItem& item = *ref.operator->();
    UINT mask = info->fMask;
    if (mask & (MIIM_FTYPE | MIIM_TYPE))
        info->fType = item.type;
    if (mask & MIIM_ID)
        info->wID = item.id;
    if (mask & MIIM_STATE)
        info->fState = item.state;
    if (mask & MIIM_SUBMENU)
        info->hSubMenu = item.subMenu;
    if (mask & MIIM_DATA)
        info->dwItemData = item.data;
    if (mask & (MIIM_STRING | MIIM_TYPE)) {
        // As on Windows: without a buffer only the length is told; with one, as much as fits.
        if (info->dwTypeData == nullptr || info->cch == 0) {
            info->cch = static_cast<UINT>(item.text.size());
        } else {
            size_t n = std::min(item.text.size(), static_cast<size_t>(info->cch) - 1);
            item.text.copy(info->dwTypeData, n);
            info->dwTypeData[n] = L'\0';
            info->cch = static_cast<UINT>(n);
        }
    }
    return TRUE;
}

BOOL WINAPI DeleteMenu(HMENU handle, UINT position, UINT flags) {
    ItemRef ref;
    Menu* menu = menuOf(handle);
    if (menu == nullptr || !findItem(menu, position, (flags & MF_BYPOSITION) != 0, &ref))
        return FALSE;
    HMENU sub = ref->subMenu;
    ref.menu->items.erase(ref.menu->items.begin() + static_cast<std::ptrdiff_t>(ref.index));
    if (sub != nullptr)
        destroyMenu(sub);
    return TRUE;
}

BOOL WINAPI RemoveMenu(HMENU handle, UINT position, UINT flags) {
    ItemRef ref;
    Menu* menu = menuOf(handle);
    if (menu == nullptr || !findItem(menu, position, (flags & MF_BYPOSITION) != 0, &ref))
        return FALSE;
    ref.menu->items.erase(ref.menu->items.begin() + static_cast<std::ptrdiff_t>(ref.index));
    return TRUE;
}

DWORD WINAPI CheckMenuItem(HMENU handle, UINT id, UINT check) {
    ItemRef ref;
    Menu* menu = menuOf(handle);
    if (menu == nullptr || !findItem(menu, id, (check & MF_BYPOSITION) != 0, &ref))
        return static_cast<DWORD>(-1);
    DWORD previous = ref->state & MF_CHECKED;
    ref->state = (ref->state & ~static_cast<UINT>(MF_CHECKED)) | (check & MF_CHECKED);
    return previous;
}

BOOL WINAPI EnableMenuItem(HMENU handle, UINT id, UINT enable) {
    ItemRef ref;
    Menu* menu = menuOf(handle);
    if (menu == nullptr || !findItem(menu, id, (enable & MF_BYPOSITION) != 0, &ref))
        return -1;
    BOOL previous = static_cast<BOOL>(ref->state & MFS_GRAYED);
    ref->state = (ref->state & ~static_cast<UINT>(MFS_GRAYED)) | (enable & (MF_GRAYED | MF_DISABLED));
    if (ref->state & (MF_GRAYED | MF_DISABLED))
        ref->state |= MFS_GRAYED;
    return previous;
}

UINT WINAPI GetMenuState(HMENU handle, UINT id, UINT flags) {
    ItemRef ref;
    Menu* menu = menuOf(handle);
    if (menu == nullptr || !findItem(menu, id, (flags & MF_BYPOSITION) != 0, &ref))
        return static_cast<UINT>(-1);
    return ref->state | ref->type | (ref->subMenu != nullptr ? MF_POPUP : 0);
}

int WINAPI GetMenuItemCount(HMENU handle) {
    Menu* menu = menuOf(handle);
    return menu == nullptr ? -1 : static_cast<int>(menu->items.size());
}

UINT WINAPI GetMenuItemID(HMENU handle, int position) {
    Menu* menu = menuOf(handle);
    if (menu == nullptr || position < 0 || static_cast<size_t>(position) >= menu->items.size())
        return static_cast<UINT>(-1);
    const MenuItem& item = menu->items[static_cast<size_t>(position)];
    return item.subMenu != nullptr ? static_cast<UINT>(-1) : item.id;
}

HMENU WINAPI GetSubMenu(HMENU handle, int position) {
    Menu* menu = menuOf(handle);
    if (menu == nullptr || position < 0 || static_cast<size_t>(position) >= menu->items.size())
        return nullptr;
    return menu->items[static_cast<size_t>(position)].subMenu;
}

int WINAPI GetMenuStringW(HMENU handle, UINT id, LPWSTR text, int maxCount, UINT flags) {
    ItemRef ref;
    Menu* menu = menuOf(handle);
    if (menu == nullptr || !findItem(menu, id, (flags & MF_BYPOSITION) != 0, &ref))
        return 0;
    const std::wstring& caption = ref->text;
    if (text == nullptr || maxCount <= 0)
        return static_cast<int>(caption.size());
    size_t n = std::min(caption.size(), static_cast<size_t>(maxCount) - 1);
    caption.copy(text, n);
    text[n] = L'\0';
    return static_cast<int>(n);
}

BOOL WINAPI TrackPopupMenuEx(HMENU menu, UINT flags, int x, int y, HWND owner, LPTPMPARAMS) {
    return track(menu, flags, x, y, owner);
}

BOOL WINAPI TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int, HWND owner, const RECT*) {
    return track(menu, flags, x, y, owner);
}

BOOL WINAPI EndMenu() {
    if (Tracking* tracking = activeTracking())
        finish(tracking, nullptr);
    return TRUE;
}

} // extern "C"
