// The control wrappers: the control creation entry, the tooltip messages and the tool-info record.
#include "WguiTestSupport.h"

#include "wgui/Button.h"
#include "wgui/ComboBox.h"
#include "wgui/ModuleInstance.h"
#include "wgui/ToolInfo.h"
#include "wgui/ToolTipCtrl.h"

#include <algorithm>

using namespace wguitest;

namespace {

class ControlTest : public WguiTest {};

TEST_F(ControlTest, TheRecordHoldsEveryFieldOfThe64BitLayout) {
    static_assert(sizeof(TOOLINFOW) == 72, "TOOLINFOW of 64-bit Windows");
    static_assert(TTTOOLINFOW_V2_SIZE == 64, "without lpReserved");
    static_assert(TTM_SETMAXTIPWIDTH == 0x0418 && TTM_ADDTOOLW == 0x0432 && TTM_DELTOOLW == 0x0433,
                  "messages");
    static_assert(WGUI::ToolTipCtrl::kStyle == 0x80000003 && WGUI::ToolTipCtrl::kExStyle == 8,
                  "tooltip styles");
    SUCCEED();
}

TEST_F(ControlTest, ToolTipCreationUsesTheModuleInstanceAndAZeroRectangle) {
    HWND host = CreateHost(0, 0, 200, 200);
    HINSTANCE seenInstance = nullptr;
    RECT seenRect{-1, -1, -1, -1};
    WGUI::ToolTipCtrl tip;
    HWND handle = tip.Create(host, nullptr, nullptr, WGUI::ToolTipCtrl::kStyle, WGUI::ToolTipCtrl::kExStyle);
    ASSERT_NE(handle, nullptr);
    seenInstance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(handle, GWLP_HINSTANCE));
    GetWindowRect(handle, &seenRect);
    EXPECT_EQ(seenInstance, WGUI::ModuleInstance());
    EXPECT_EQ(seenRect.left, 0);
    EXPECT_EQ(seenRect.right, 0);
    EXPECT_EQ(GetWindow(handle, GW_OWNER), host);
    EXPECT_TRUE(GetWindowLongW(handle, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(handle, GWL_STYLE)) & 0x80000003u, 0x80000003u);

    EXPECT_EQ(tip.SetMaxTipWidth(500), 77);
    auto& log = StandInLog();
    auto width =
        std::find_if(log.begin(), log.end(), [](const StandInMessage& m) { return m.message == 0x0418; });
    ASSERT_NE(width, log.end());
    EXPECT_EQ(width->lParam, 500);
    EXPECT_EQ(width->wParam, 0u);
}

TEST_F(ControlTest, ToolInfoForAWindowToolUsesTheParentAndTheHandle) {
    HWND host = CreateHost(0, 0, 200, 200);
    WGUI::Button button;
    button.Create(host, nullptr, L"b", WS_CHILD | WS_VISIBLE, 0, reinterpret_cast<HMENU>(104));
    wchar_t text[] = L"提示";
    WGUI::ToolInfo info(TTF_SUBCLASS | TTF_TRANSPARENT, button, 0, nullptr, text, 9);
    EXPECT_EQ(info.cbSize, 48u);
    EXPECT_EQ(info.uFlags, static_cast<UINT>(TTF_SUBCLASS | TTF_TRANSPARENT | TTF_IDISHWND));
    EXPECT_EQ(info.hwnd, host);
    EXPECT_EQ(info.uId, reinterpret_cast<UINT_PTR>(button.GetHandle()));
    EXPECT_EQ(info.hinst, WGUI::ModuleInstance());
    EXPECT_EQ(info.lpszText, text);
    EXPECT_EQ(info.lParam, 9);
    EXPECT_EQ(info.rect.right, 0);
    EXPECT_EQ(info.lpReserved, nullptr);

    WGUI::ToolTipCtrl tip;
    tip.Create(button, nullptr, nullptr, WGUI::ToolTipCtrl::kStyle, WGUI::ToolTipCtrl::kExStyle);
    EXPECT_TRUE(tip.AddTool(&info));
    EXPECT_EQ(LastAddedTool().uId, info.uId);
    EXPECT_EQ(LastAddedTool().cbSize, 48u);
    tip.DelTool(&info);
    EXPECT_EQ(StandInMessages(tip).back(), static_cast<UINT>(TTM_DELTOOLW));
}

TEST_F(ControlTest, ToolInfoWithAnIdUsesTheWindowAndCopiesTheRectangle) {
    HWND host = CreateHost(0, 0, 200, 200);
    RECT area{1, 2, 30, 40};
    WGUI::ToolInfo info(TTF_SUBCLASS, host, 7, &area);
    EXPECT_EQ(info.hwnd, host);
    EXPECT_EQ(info.uId, 7u);
    EXPECT_EQ(info.uFlags, static_cast<UINT>(TTF_SUBCLASS));
    EXPECT_EQ(info.rect.left, 1);
    EXPECT_EQ(info.rect.bottom, 40);
    EXPECT_EQ(info.lpszText, LPSTR_TEXTCALLBACKW);
}

TEST_F(ControlTest, ControlsAreCreatedFromTheirClassAndAttachedByControlId) {
    HWND host = CreateHost(0, 0, 200, 200);
    WGUI::ComboBox combo;
    RECT rect{10, 2, 100, 128};
    HWND handle = combo.Create(host, &rect, nullptr, WS_CHILD | WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWNLIST, 0,
                               reinterpret_cast<HMENU>(102));
    ASSERT_NE(handle, nullptr);
    wchar_t name[32];
    GetClassNameW(handle, name, 32);
    EXPECT_STREQ(name, L"ComboBox");
    EXPECT_EQ(combo.GetDlgCtrlID(), 102);
    WGUI::ComboBox attached;
    attached.Attach(GetDlgItem(host, 102));
    EXPECT_EQ(attached.GetHandle(), handle);
    WGUI::Button copy(WGUI::WindowBase(host).GetDlgItem(102));
    EXPECT_EQ(copy.GetHandle(), handle);
    EXPECT_TRUE(combo.DestroyWindow());
    EXPECT_EQ(combo.GetHandle(), nullptr);
    EXPECT_FALSE(IsWindow(handle));
}

} // namespace
