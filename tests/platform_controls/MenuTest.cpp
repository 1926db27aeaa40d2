// Pop-up menus: the menu objects and their item calls, TrackPopupMenu answered by the driver's
// hook (by id and by caption), by keyboard and by mouse, refusals of greyed items, placement on
// the screen, and what the menu draws.
#include "ControlTestSupport.h"

using namespace wintest;
using namespace controltest;

namespace {

class MenuTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        PlatformClearMenus();
        owner = CreateTop(100, 100, 400, 300);
        menu = CreatePopupMenu();
        AppendMenuW(menu, MF_STRING | MF_CHECKED, 103, L"显示所有(&A)");
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(menu, MF_STRING, 405, L"股票");
        AppendMenuW(menu, MF_STRING | MF_GRAYED, 406, L"&Grey");
        AppendMenuW(menu, MF_STRING, 407, L"从当前对比中移除(&R)");
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_DATA;
        info.dwItemData = 104;
        SetMenuItemInfoW(menu, 103, FALSE, &info);
    }

    void TearDown() override {
        PlatformSetMenuHook(nullptr);
        DestroyMenu(menu);
        WindowTest::TearDown();
    }

    std::vector<WPARAM> Commands() {
        std::vector<WPARAM> out;
        for (const LoggedMessage& m : Log().Find(WM_COMMAND, owner))
            out.push_back(m.wParam);
        return out;
    }

    HWND owner = nullptr;
    HMENU menu = nullptr;
};

TEST_F(MenuTest, ItemCallsReadBackWhatWasSet) {
    EXPECT_EQ(GetMenuItemCount(menu), 5);
    EXPECT_EQ(GetMenuItemID(menu, 2), 405u);
    EXPECT_EQ(GetMenuItemID(menu, 9), static_cast<UINT>(-1));
    EXPECT_EQ(CheckMenuItem(menu, 405, MF_BYCOMMAND | MF_CHECKED), static_cast<DWORD>(MF_UNCHECKED));
    EXPECT_EQ(CheckMenuItem(menu, 405, MF_BYCOMMAND | MF_UNCHECKED), static_cast<DWORD>(MF_CHECKED));
    EXPECT_EQ(CheckMenuItem(menu, 999, MF_CHECKED), static_cast<DWORD>(-1));
    EXPECT_NE(EnableMenuItem(menu, 406, MF_ENABLED), 0);
    EXPECT_EQ(EnableMenuItem(menu, 406, MF_GRAYED), 0);
    EXPECT_EQ(EnableMenuItem(menu, 999, MF_GRAYED), -1);

    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_ID | MIIM_STATE | MIIM_DATA | MIIM_STRING;
    ASSERT_TRUE(GetMenuItemInfoW(menu, 0, TRUE, &info));
    EXPECT_EQ(info.wID, 103u);
    EXPECT_EQ(info.fState & MFS_CHECKED, static_cast<UINT>(MFS_CHECKED));
    EXPECT_EQ(info.dwItemData, 104u);
    EXPECT_EQ(info.cch, 8u); // the length, without a buffer
    wchar_t buffer[5];
    info.dwTypeData = buffer;
    info.cch = 5;
    ASSERT_TRUE(GetMenuItemInfoW(menu, 103, FALSE, &info));
    EXPECT_STREQ(buffer, L"显示所有");

    // Inserting by position and through the item-info record.
    MENUITEMINFOW added{};
    added.cbSize = sizeof(added);
    added.fMask = MIIM_ID | MIIM_STRING | MIIM_DATA | MIIM_STATE;
    added.wID = 500;
    added.dwTypeData = const_cast<LPWSTR>(L"first");
    added.dwItemData = 77;
    added.fState = MFS_CHECKED;
    ASSERT_TRUE(InsertMenuItemW(menu, 0, TRUE, &added));
    EXPECT_EQ(GetMenuItemID(menu, 0), 500u);
    EXPECT_EQ(GetMenuState(menu, 500, MF_BYCOMMAND) & MF_CHECKED, static_cast<UINT>(MF_CHECKED));
    added.cbSize = 8;
    EXPECT_FALSE(InsertMenuItemW(menu, 0, TRUE, &added));

    EXPECT_TRUE(DestroyMenu(menu));
    EXPECT_FALSE(IsMenu(menu));
    EXPECT_EQ(GetMenuItemCount(menu), -1);
    EXPECT_FALSE(AppendMenuW(menu, MF_STRING, 1, L"x"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_MENU_HANDLE));
    menu = CreatePopupMenu();
}

TEST_F(MenuTest, HookSeesTheItemsAndPicksByIdOrCaption) {
    std::vector<PlatformMenuItem> seen;
    POINT seenAt{};
    bool visibleDuringHook = false;
    PlatformSetMenuHook([&](HWND hookOwner, POINT point, const std::vector<PlatformMenuItem>& items) {
        EXPECT_EQ(hookOwner, owner);
        seen = items;
        seenAt = point;
        visibleDuringHook = !VisibleWindowsOfClass(L"#32768").empty();
        PlatformSaveScreenPng(OutputPath("menu.png"));
        return std::optional<UINT>(405);
    });
    EXPECT_TRUE(TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_LEFTBUTTON, 150, 160, 0, owner, nullptr));
    EXPECT_TRUE(visibleDuringHook);
    EXPECT_TRUE(VisibleWindowsOfClass(L"#32768").empty());
    EXPECT_EQ(seenAt.x, 150);
    ASSERT_EQ(seen.size(), 5u);
    EXPECT_EQ(seen[0].caption, L"显示所有(&A)");
    EXPECT_TRUE(seen[0].checked);
    EXPECT_EQ(seen[0].itemData, 104u);
    EXPECT_TRUE(seen[1].separator);
    EXPECT_TRUE(seen[3].grayed);
    // The command arrives posted, after the menu has closed.
    EXPECT_TRUE(Commands().empty());
    PlatformRunUntilIdle();
    EXPECT_EQ(Commands(), std::vector<WPARAM>{MAKEWPARAM(405, 0)});

    PlatformSetMenuHook(PlatformMenuPickCaption(L"从当前对比中移除"));
    EXPECT_EQ(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY, 150, 160, 0, owner, nullptr), 407);
    PlatformSetMenuHook(PlatformMenuPickCaption(L"从当前对比中移除(&R)"));
    EXPECT_EQ(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY, 150, 160, 0, owner, nullptr), 407);
    PlatformSetMenuHook(PlatformMenuPickId(103));
    EXPECT_EQ(TrackPopupMenuEx(menu, TPM_RETURNCMD, 150, 160, owner, nullptr), 103);
    PlatformRunUntilIdle();
    EXPECT_EQ(Commands().size(), 1u); // TPM_RETURNCMD posts nothing

    const auto& record = PlatformMenus();
    ASSERT_EQ(record.size(), 4u);
    EXPECT_EQ(record[0].picked, std::optional<UINT>(405));
    EXPECT_EQ(record[1].picked, std::optional<UINT>(407));
    EXPECT_EQ(record[1].flags, static_cast<UINT>(TPM_RETURNCMD | TPM_NONOTIFY));
}

TEST_F(MenuTest, GreyedSeparatorAndUnknownPicksAreRefused) {
    for (UINT id : {406u, 0u, 999u}) {
        PlatformSetMenuHook(PlatformMenuPickId(id));
        EXPECT_EQ(TrackPopupMenu(menu, TPM_RETURNCMD, 10, 10, 0, owner, nullptr), 0) << id;
    }
    PlatformSetMenuHook(nullptr);
    EXPECT_EQ(TrackPopupMenu(menu, TPM_RETURNCMD, 10, 10, 0, owner, nullptr), 0); // no hook: cancelled
    PlatformRunUntilIdle();
    EXPECT_TRUE(Commands().empty());
    EXPECT_FALSE(TrackPopupMenu(reinterpret_cast<HMENU>(0x1234), 0, 10, 10, 0, owner, nullptr));
    EXPECT_FALSE(TrackPopupMenu(menu, 0, 10, 10, 0, nullptr, nullptr));
}

TEST_F(MenuTest, KeyboardMnemonicsAndArrowsPickWithoutAHook) {
    PlatformKeyPress('R');
    EXPECT_EQ(TrackPopupMenu(menu, TPM_RETURNCMD, 150, 160, 0, owner, nullptr), 407);
    // A greyed item's mnemonic only highlights it; Down then Enter picks the next item.
    PlatformKeyPress('G');
    PlatformKeyPress(VK_DOWN);
    PlatformKeyPress(VK_RETURN);
    EXPECT_EQ(TrackPopupMenu(menu, TPM_RETURNCMD, 150, 160, 0, owner, nullptr), 407);
    // Arrows skip the separator; Escape cancels.
    PlatformKeyPress(VK_DOWN);
    PlatformKeyPress(VK_DOWN);
    PlatformKeyPress(VK_RETURN);
    EXPECT_EQ(TrackPopupMenu(menu, TPM_RETURNCMD, 150, 160, 0, owner, nullptr), 405);
    PlatformKeyPress(VK_DOWN);
    PlatformKeyPress(VK_ESCAPE);
    PlatformKeyPress(VK_RETURN); // after the menu: goes to the owner as usual
    EXPECT_EQ(TrackPopupMenu(menu, TPM_RETURNCMD, 150, 160, 0, owner, nullptr), 0);
    PlatformRunUntilIdle();
    EXPECT_EQ(Log().Find(WM_KEYDOWN, owner).size(), 1u);
}

TEST_F(MenuTest, MouseClicksPickAndGreyedItemsStayOpen) {
    // Measure the menu once through a hook, then click its rows.
    PlatformSetMenuHook([](HWND, POINT, const std::vector<PlatformMenuItem>&) { return std::nullopt; });
    TrackPopupMenu(menu, 0, 200, 200, 0, owner, nullptr);
    RECT r = PlatformMenus().back().rect;
    PlatformSetMenuHook(nullptr);
    EXPECT_EQ(r.left, 200);
    EXPECT_EQ(r.top, 200);
    int rowHeight = (r.bottom - r.top - 4 - 7) / 4;
    int greyY = r.top + 2 + 2 * rowHeight + 7 + rowHeight / 2;
    int removeY = greyY + rowHeight;
    PlatformClick(r.left + 30, greyY);
    PlatformClick(r.left + 30, removeY);
    EXPECT_TRUE(TrackPopupMenu(menu, TPM_LEFTBUTTON, 200, 200, 0, owner, nullptr));
    PlatformRunUntilIdle();
    EXPECT_EQ(Commands(), std::vector<WPARAM>{MAKEWPARAM(407, 0)});
    // A click outside cancels and is not passed on.
    Log().Clear();
    POINT outside = ScreenPoint(owner, 10, 10);
    PlatformClick(outside.x, outside.y);
    EXPECT_TRUE(TrackPopupMenu(menu, 0, 200, 200, 0, owner, nullptr));
    PlatformRunUntilIdle();
    EXPECT_TRUE(Commands().empty());
    EXPECT_FALSE(PlatformMenus().back().picked.has_value());
}

TEST_F(MenuTest, AlignmentFlagsAndTheScreenEdges) {
    PlatformSetMenuHook([](HWND, POINT, const std::vector<PlatformMenuItem>&) { return std::nullopt; });
    auto rectFor = [&](UINT flags, int x, int y) {
        TrackPopupMenu(menu, flags, x, y, 0, owner, nullptr);
        return PlatformMenus().back().rect;
    };
    RECT plain = rectFor(TPM_LEFTALIGN | TPM_TOPALIGN, 300, 300);
    int w = plain.right - plain.left;
    int h = plain.bottom - plain.top;
    RECT right = rectFor(TPM_VERTICAL | TPM_RIGHTALIGN, 300, 300);
    EXPECT_EQ(right.right, 300);
    EXPECT_EQ(right.top, 300);
    RECT bottom = rectFor(TPM_CENTERALIGN | TPM_BOTTOMALIGN, 300, 300);
    EXPECT_EQ(bottom.bottom, 300);
    EXPECT_EQ(bottom.left, 300 - w / 2);
    // Near the bottom right corner the menu opens up and to the left of the point.
    RECT corner = rectFor(0, 790, 590);
    EXPECT_EQ(corner.right, 790);
    EXPECT_EQ(corner.bottom, 590);
    RECT off = rectFor(0, -50, 5000);
    EXPECT_GE(off.left, 0);
    EXPECT_LE(off.bottom, 600);
    EXPECT_EQ(off.bottom - off.top, h);
}

TEST_F(MenuTest, DrawsChecksSeparatorsGreyedTextAndTheHighlight) {
    std::vector<COLORREF> pixels;
    PlatformSetMenuHook([&](HWND, POINT, const std::vector<PlatformMenuItem>&) {
        HWND window = VisibleWindowsOfClass(L"#32768").front();
        RECT client;
        GetClientRect(window, &client);
        int rowHeight = (client.bottom - 4 - 7) / 4;
        RECT checkColumn{4, 2, 20, 2 + rowHeight};
        pixels.push_back(AnyPixel(window, checkColumn, GetSysColor(COLOR_MENUTEXT), 60) ? 1 : 0);
        RECT secondCheck{4, 2 + rowHeight + 7, 20, 2 + 2 * rowHeight + 7};
        pixels.push_back(AnyPixel(window, secondCheck, GetSysColor(COLOR_MENUTEXT), 60) ? 1 : 0);
        pixels.push_back(PlatformWindowPixel(window, 40, 2 + rowHeight + 3));
        RECT grey{22, 2 + 2 * rowHeight + 7, client.right - 10, 2 + 3 * rowHeight + 7};
        pixels.push_back(AnyPixel(window, grey, GetSysColor(COLOR_GRAYTEXT), 20) ? 1 : 0);
        pixels.push_back(PlatformWindowPixel(window, 2, 2));
        return std::nullopt;
    });
    TrackPopupMenu(menu, 0, 200, 200, 0, owner, nullptr);
    ASSERT_EQ(pixels.size(), 5u);
    EXPECT_EQ(pixels[0], 1u);                           // the check of the first item
    EXPECT_EQ(pixels[1], 0u);                           // none on the unchecked one
    EXPECT_EQ(pixels[2], GetSysColor(COLOR_BTNSHADOW)); // the separator line
    EXPECT_EQ(pixels[3], 1u);                           // greyed text
    EXPECT_EQ(pixels[4], GetSysColor(COLOR_MENU));
}

} // namespace
