// Cascading menus: pop-up items and their menus as objects, and tracking through them by
// keyboard, mouse and the show delay, with the owner's messages in Win32's order, the id picked
// at any depth, and where a submenu opens near the screen's edges.
#include "ControlTestSupport.h"

#include <algorithm>

using namespace wintest;
using namespace controltest;

namespace {

// Ids: the root's own items in the 100s, the first submenu's in the 200s, the second's in the
// 300s and its nested one's in the 400s.
class SubMenuTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        PlatformClearMenus();
        owner = CreateTop(100, 100, 400, 300);
        open = CreatePopupMenu();
        AppendMenuW(open, MF_STRING, 201, L"股票组合");
        AppendMenuW(open, MF_STRING, 202, L"债券组合");
        nested = CreatePopupMenu();
        AppendMenuW(nested, MF_STRING, 401, L"深处");
        manage = CreatePopupMenu();
        AppendMenuW(manage, MF_STRING, 301, L"重命名");
        AppendMenuW(manage, MF_POPUP, reinterpret_cast<UINT_PTR>(nested), L"更多(&M)");
        greyed = CreatePopupMenu();
        AppendMenuW(greyed, MF_STRING, 501, L"看不到");
        menu = CreatePopupMenu();
        AppendMenuW(menu, MF_STRING, 101, L"保存(&S)");
        AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(open), L"打开(&O)");
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(manage), L"管理(&D)");
        AppendMenuW(menu, MF_POPUP | MF_GRAYED, reinterpret_cast<UINT_PTR>(greyed), L"不可用(&X)");
        AppendMenuW(menu, MF_STRING, 102, L"最后(&L)");
        // The height of a row: a one-item menu's height less its margins.
        HMENU probe = CreatePopupMenu();
        AppendMenuW(probe, MF_STRING, 1, L"x");
        PlatformSetMenuHook([](HWND, POINT, const std::vector<PlatformMenuItem>&) { return std::nullopt; });
        TrackPopupMenu(probe, TPM_NONOTIFY, 0, 0, 0, owner, nullptr);
        PlatformSetMenuHook(nullptr);
        DestroyMenu(probe);
        RECT r = PlatformMenus().back().rect;
        rowHeight = r.bottom - r.top - 4;
        PlatformClearMenus();
    }

    void TearDown() override {
        PlatformSetMenuHook(nullptr);
        DestroyMenu(menu);
        WindowTest::TearDown();
    }

    UINT Track(UINT flags = TPM_RETURNCMD, int x = 150, int y = 160) {
        return static_cast<UINT>(TrackPopupMenu(menu, flags, x, y, 0, owner, nullptr));
    }

    // The menu windows on the screen, the first opened first.
    static std::vector<HWND> MenuWindows() {
        std::vector<HWND> windows = VisibleWindowsOfClass(L"#32768");
        std::reverse(windows.begin(), windows.end());
        return windows;
    }

    // Runs `act` each time the open menu waits for the person, up to `times` times.
    void WhenIdle(std::function<void(int)> act, int times = 1) {
        auto count = std::make_shared<int>(0);
        Log().SetHandler(owner,
                         [act, times, count](HWND, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
                             if (message == WM_ENTERIDLE && *count < times)
                                 act((*count)++);
                             return std::nullopt;
                         });
    }

    // The screen point in the middle of a row of a menu window, above which no separator lies
    // (rows start 2 pixels down).
    POINT RowPoint(HWND window, int row) const {
        RECT r;
        GetWindowRect(window, &r);
        return POINT{r.left + 30, r.top + 2 + row * rowHeight + rowHeight / 2};
    }

    // Where the root menu stands when tracked at (150, 160), as a hook sees it.
    RECT RootRect() {
        PlatformSetMenuHook([](HWND, POINT, const std::vector<PlatformMenuItem>&) { return std::nullopt; });
        Track(TPM_NONOTIFY);
        PlatformSetMenuHook(nullptr);
        return PlatformMenus().back().rect;
    }

    int rowHeight = 0;
    HWND owner = nullptr;
    HMENU menu = nullptr, open = nullptr, manage = nullptr, nested = nullptr, greyed = nullptr;
};

TEST_F(SubMenuTest, PopUpItemsHoldTheirMenusUntilTheParentGoes) {
    EXPECT_EQ(GetSubMenu(menu, 1), open);
    EXPECT_EQ(GetSubMenu(menu, 0), nullptr);
    EXPECT_EQ(GetSubMenu(menu, 99), nullptr);
    EXPECT_EQ(GetMenuItemID(menu, 1), static_cast<UINT>(-1));
    EXPECT_EQ(GetMenuItemID(menu, 0), 101u);
    EXPECT_NE(GetMenuState(menu, 1, MF_BYPOSITION) & MF_POPUP, 0u);
    EXPECT_EQ(GetMenuState(menu, 0, MF_BYPOSITION) & MF_POPUP, 0u);
    // Commands are found inside the pop-up items' menus, at any depth.
    EXPECT_EQ(CheckMenuItem(menu, 401, MF_BYCOMMAND | MF_CHECKED), static_cast<DWORD>(MF_UNCHECKED));
    EXPECT_NE(GetMenuState(nested, 401, MF_BYCOMMAND) & MF_CHECKED, 0u);

    // A submenu given through the item-info record, and read back.
    HMENU extra = CreatePopupMenu();
    AppendMenuW(extra, MF_STRING, 601, L"额外");
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_SUBMENU | MIIM_STRING;
    info.hSubMenu = extra;
    info.dwTypeData = const_cast<LPWSTR>(L"额外菜单");
    ASSERT_TRUE(InsertMenuItemW(menu, 0, TRUE, &info));
    MENUITEMINFOW read{};
    read.cbSize = sizeof(read);
    read.fMask = MIIM_SUBMENU;
    ASSERT_TRUE(GetMenuItemInfoW(menu, 0, TRUE, &read));
    EXPECT_EQ(read.hSubMenu, extra);
    // A handle that is no menu is refused.
    info.hSubMenu = reinterpret_cast<HMENU>(0x7777);
    EXPECT_FALSE(InsertMenuItemW(menu, 0, TRUE, &info));
    EXPECT_FALSE(AppendMenuW(menu, MF_POPUP, 0x7777, L"坏"));

    // RemoveMenu lets a submenu go on living; DeleteMenu destroys it, and DestroyMenu destroys
    // every menu below the one destroyed.
    ASSERT_TRUE(RemoveMenu(menu, 0, MF_BYPOSITION));
    EXPECT_TRUE(IsMenu(extra));
    DestroyMenu(extra);
    ASSERT_TRUE(DeleteMenu(menu, 4, MF_BYPOSITION)); // 不可用
    EXPECT_FALSE(IsMenu(greyed));
    ASSERT_TRUE(DestroyMenu(menu));
    EXPECT_FALSE(IsMenu(open));
    EXPECT_FALSE(IsMenu(manage));
    EXPECT_FALSE(IsMenu(nested));
    menu = CreatePopupMenu();
}

TEST_F(SubMenuTest, KeyboardOpensWithRightAndEnterAndReturnsTheIdFromAnyDepth) {
    // Down to 打开, Right opens it on its first item, Down, Enter.
    PlatformKeyPress(VK_DOWN);
    PlatformKeyPress(VK_DOWN);
    PlatformKeyPress(VK_RIGHT);
    PlatformKeyPress(VK_DOWN);
    PlatformKeyPress(VK_RETURN);
    EXPECT_EQ(Track(), 202u);
    // Enter on a pop-up item opens it too; two levels down.
    for (UINT key : {VK_END, VK_UP, VK_UP, VK_RETURN, VK_DOWN, VK_RIGHT, VK_RETURN})
        PlatformKeyPress(key);
    EXPECT_EQ(Track(), 401u);
    // A mnemonic opens its pop-up item; one in the submenu then picks.
    PlatformTypeText(L"dm");
    PlatformKeyPress(VK_RETURN);
    EXPECT_EQ(Track(), 401u);
    // Right on an item that is no pop-up, and on a greyed pop-up item, opens nothing.
    for (UINT key : {VK_DOWN, VK_RIGHT, VK_UP, VK_UP, VK_RIGHT, VK_RIGHT, VK_RETURN})
        PlatformKeyPress(key);
    EXPECT_EQ(Track(), 0u); // 不可用 is highlighted at the end, and cannot be picked
    // Without TPM_RETURNCMD the pick from a submenu is posted like any other.
    PlatformKeyPress(VK_DOWN);
    PlatformKeyPress(VK_DOWN);
    PlatformKeyPress(VK_RIGHT);
    PlatformKeyPress(VK_RETURN);
    EXPECT_TRUE(Track(0));
    PlatformRunUntilIdle();
    auto commands = Log().Find(WM_COMMAND, owner);
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0].wParam, MAKEWPARAM(201, 0));
}

TEST_F(SubMenuTest, EscapeAndLeftCloseOneLevelOnly) {
    // Into 管理 > 更多, Escape back to 管理, Left back to the root, then Down, Enter there.
    for (UINT key :
         {VK_UP, VK_UP, VK_UP, VK_RIGHT, VK_DOWN, VK_RIGHT, VK_ESCAPE, VK_LEFT, VK_DOWN, VK_DOWN, VK_RETURN})
        PlatformKeyPress(key);
    EXPECT_EQ(Track(), 102u);
    // Escape at the root ends the menu, after a submenu was closed by Escape.
    for (UINT key : {VK_DOWN, VK_DOWN, VK_RIGHT, VK_ESCAPE, VK_ESCAPE, VK_RETURN})
        PlatformKeyPress(key);
    EXPECT_EQ(Track(), 0u);
    PlatformRunUntilIdle();
    EXPECT_EQ(Log().Find(WM_KEYDOWN, owner).size(), 1u); // the Enter after the menu went on
    // Left at the root does nothing: the menu stays open for the Enter that follows.
    PlatformKeyPress(VK_DOWN);
    PlatformKeyPress(VK_LEFT);
    PlatformKeyPress(VK_RETURN);
    EXPECT_EQ(Track(), 101u);
}

TEST_F(SubMenuTest, TheOwnerHearsEverySubmenuOpenAndCloseInOrder) {
    for (UINT key : {VK_DOWN, VK_DOWN, VK_RIGHT, VK_LEFT, VK_DOWN, VK_RIGHT, VK_DOWN, VK_RIGHT, VK_RETURN})
        PlatformKeyPress(key);
    Log().Clear();
    EXPECT_EQ(Track(), 401u);
    std::vector<std::string> told;
    for (const LoggedMessage& m : Log().Entries()) {
        if (m.window != owner)
            continue;
        auto name = [&](WPARAM handle) {
            auto h = reinterpret_cast<HMENU>(handle);
            return h == menu     ? "root"
                   : h == open   ? "open"
                   : h == manage ? "manage"
                   : h == nested ? "nested"
                                 : "?";
        };
        if (m.message == WM_INITMENUPOPUP)
            told.push_back(std::string("init ") + name(m.wParam) + " " + std::to_string(LOWORD(m.lParam)));
        else if (m.message == WM_UNINITMENUPOPUP)
            told.push_back(std::string("uninit ") + name(m.wParam));
        else if (m.message == WM_ENTERMENULOOP)
            told.push_back("enter");
        else if (m.message == WM_EXITMENULOOP)
            told.push_back("exit");
    }
    EXPECT_EQ(told, (std::vector<std::string>{"enter", "init root 0", "init open 1", "uninit open",
                                              "init manage 3", "init nested 1", "uninit nested",
                                              "uninit manage", "uninit root", "exit"}));
    // WM_MENUSELECT names the menu of the item: the nested one for its item.
    auto selects = Log().Find(WM_MENUSELECT, owner);
    ASSERT_FALSE(selects.empty());
    EXPECT_EQ(LOWORD(selects.back().wParam), 401u);
    EXPECT_EQ(reinterpret_cast<HMENU>(selects.back().lParam), nested);
    // TPM_NONOTIFY keeps all of it from the owner.
    PlatformKeyPress(VK_DOWN);
    PlatformKeyPress(VK_DOWN);
    PlatformKeyPress(VK_RIGHT);
    PlatformKeyPress(VK_RETURN);
    Log().Clear();
    EXPECT_EQ(Track(TPM_RETURNCMD | TPM_NONOTIFY), 201u);
    EXPECT_TRUE(Log().Find(WM_INITMENUPOPUP, owner).empty());
    EXPECT_TRUE(Log().Find(WM_MENUSELECT, owner).empty());
}

TEST_F(SubMenuTest, TheOwnerMayFillASubmenuWhenItOpens) {
    HMENU lazy = CreatePopupMenu();
    AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(lazy), L"稍后(&Z)");
    Log().SetHandler(owner, [&](HWND, UINT message, WPARAM wParam, LPARAM) -> std::optional<LRESULT> {
        if (message == WM_INITMENUPOPUP && reinterpret_cast<HMENU>(wParam) == lazy &&
            GetMenuItemCount(lazy) == 0)
            AppendMenuW(lazy, MF_STRING, 701, L"刚刚加入");
        return std::nullopt;
    });
    PlatformTypeText(L"z");
    PlatformKeyPress(VK_RETURN);
    EXPECT_EQ(Track(), 701u);
    // The driver's hook sees what the owner put there too.
    DeleteMenu(lazy, 0, MF_BYPOSITION);
    PlatformSetMenuHook([](HWND, POINT, const std::vector<PlatformMenuItem>& items) -> std::optional<UINT> {
        return items.back().subMenu.empty() ? std::nullopt : std::optional<UINT>(items.back().subMenu[0].id);
    });
    EXPECT_EQ(Track(), 701u);
}

TEST_F(SubMenuTest, TheMouseOpensOnPressOrAfterTheShowDelayAndPicksInsideSubmenus) {
    RECT root = RootRect();
    POINT openItem{root.left + 30, root.top + 2 + rowHeight + rowHeight / 2};
    POINT saveItem{openItem.x, openItem.y - rowHeight};
    // A press on 打开 opens it at once; the person then clicks its second item.
    WhenIdle([&](int) {
        std::vector<HWND> windows = MenuWindows();
        ASSERT_EQ(windows.size(), 2u);
        POINT item = RowPoint(windows[1], 1);
        PlatformClick(item.x, item.y);
    });
    PlatformClick(openItem.x, openItem.y);
    EXPECT_EQ(Track(), 202u);

    // Resting on 打开 opens it after the delay: the submenu is there when the person looks.
    std::vector<size_t> seen;
    WhenIdle([&](int) { seen.push_back(MenuWindows().size()); });
    PlatformMouseMove(openItem.x + 5, openItem.y);
    EXPECT_EQ(Track(), 0u);
    EXPECT_EQ(seen, std::vector<size_t>{2});
    // Moving on to 保存 before the delay passed opens nothing.
    seen.clear();
    WhenIdle([&](int) { seen.push_back(MenuWindows().size()); });
    PlatformMouseMove(openItem.x, openItem.y);
    PlatformMouseMove(saveItem.x, saveItem.y);
    EXPECT_EQ(Track(), 0u);
    EXPECT_EQ(seen, std::vector<size_t>{1});
    // With 打开 open, resting on 保存 closes it again.
    seen.clear();
    WhenIdle(
        [&](int time) {
            seen.push_back(MenuWindows().size());
            if (time == 0)
                PlatformMouseMove(saveItem.x + 5, saveItem.y);
        },
        2);
    PlatformMouseMove(openItem.x + 5, openItem.y);
    EXPECT_EQ(Track(), 0u);
    EXPECT_EQ(seen, (std::vector<size_t>{2, 1}));
    // A click outside every menu window cancels the whole menu.
    WhenIdle([&](int) {
        POINT outside = ScreenPoint(owner, 5, 280);
        PlatformClick(outside.x, outside.y);
    });
    PlatformClick(openItem.x, openItem.y);
    EXPECT_EQ(Track(), 0u);
    EXPECT_TRUE(MenuWindows().empty());
}

TEST_F(SubMenuTest, SubmenusOpenBesideTheirItemAndFlipAtTheScreensEdges) {
    SIZE screen = PlatformScreenSize();
    auto openedAt = [&](int x, int y, RECT& parent, RECT& child) {
        WhenIdle([&](int) {
            std::vector<HWND> windows = MenuWindows();
            ASSERT_EQ(windows.size(), 2u);
            GetWindowRect(windows[0], &parent);
            GetWindowRect(windows[1], &child);
        });
        PlatformKeyPress(VK_DOWN);
        PlatformKeyPress(VK_DOWN);
        PlatformKeyPress(VK_RIGHT);
        Track(TPM_RETURNCMD, x, y);
    };
    RECT parent{}, child{};
    openedAt(100, 100, parent, child);
    int row = rowHeight;
    // To the right, overlapping a little, its first row beside 打开 (the root's second row).
    EXPECT_LT(child.left, parent.right);
    EXPECT_GT(child.left, parent.right - 10);
    EXPECT_EQ(child.top, parent.top + row);
    // Near the right edge it opens to the left of the root.
    openedAt(screen.cx - (parent.right - parent.left) - 5, 100, parent, child);
    EXPECT_LE(child.right, parent.left + 10);
    EXPECT_GT(child.right, parent.left);
    EXPECT_LE(child.right, screen.cx);
    // Near the bottom a submenu taller than what is left below its item opens upward, its last
    // row beside the item, and stays on the screen.
    for (UINT id = 203; id < 211; ++id)
        AppendMenuW(open, MF_STRING, id, L"更多的组合");
    openedAt(100, screen.cy - (parent.bottom - parent.top), parent, child);
    EXPECT_EQ(child.bottom, parent.top + 2 * row + 4);
    EXPECT_LE(child.bottom, screen.cy);
    EXPECT_GE(child.top, 0);
}

} // namespace
