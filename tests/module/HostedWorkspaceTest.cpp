// The module inside the host's own main frame and fund-filter page, driven by clicks and keys the
// way a person uses it: the toolbar button "对比分析" while the comparison is already on screen, a
// fund type chosen before the comparison was ever opened, and funds added by typing their codes
// into the picker and pressing Enter.
#include "HostedWorkspace.h"

namespace {

TEST_F(HostedWorkspace, TheCompareButtonOverAShownComparisonKeepsItsPageFilled) {
    ClickCompareButton();
    ASSERT_TRUE(Workspace().IsCreated());
    AddByKeys(L"000001");
    ASSERT_EQ(module.Funds().size(), 1u);

    ClickPageTab(1);
    ASSERT_TRUE(Workspace().Performance().IsWindowVisible());
    ASSERT_EQ(Rows(Workspace().Performance().Grid()), 13);
    // Pressed again while the page is on screen, the button must not leave it empty.
    ClickCompareButton();
    EXPECT_TRUE(Workspace().Performance().IsWindowVisible());
    EXPECT_EQ(Rows(Workspace().Performance().Grid()), 13);

    // The other pages that load when shown are shown again as well.
    ClickPageTab(3);
    ASSERT_EQ(Rows(Workspace().Asset().Grid()), 6);
    int reloads = Workspace().Asset().ReloadCount();
    ClickCompareButton();
    EXPECT_TRUE(Workspace().Asset().IsWindowVisible());
    EXPECT_EQ(Workspace().Asset().ReloadCount(), reloads + 1);
    EXPECT_EQ(Rows(Workspace().Asset().Grid()), 6);

    // From the fund-filter page the button shows the comparison once, through its show message.
    ClickInFrame(frame->ButtonRect("button_fund_filter"));
    ASSERT_FALSE(IsWindowVisible(Workspace().Window()));
    reloads = Workspace().Asset().ReloadCount();
    ClickCompareButton();
    EXPECT_TRUE(Workspace().Asset().IsWindowVisible());
    EXPECT_EQ(Workspace().Asset().ReloadCount(), reloads + 1);
}

TEST_F(HostedWorkspace, ATypeChosenBeforeTheComparisonOpensNarrowsThePicker) {
    // The fund-filter page is the first page of the tab and shows at start.
    ASSERT_TRUE(IsWindowVisible(filterPage->Window()));
    ASSERT_EQ(filterPage->Types().front(), XStringW(L"股票型"));
    RECT equity = filterPage->TypeBar().GetButtonRect(1);
    POINT p{(equity.left + equity.right) / 2, (equity.top + equity.bottom) / 2};
    ClientToScreen(filterPage->TypeBar(), &p);
    PlatformClick(p.x, p.y);
    PlatformRunUntilIdle();
    ASSERT_EQ(filterPage->View()->GetRowCount(), 3);
    ASSERT_FALSE(Workspace().IsCreated());

    ClickCompareButton();
    ASSERT_TRUE(Workspace().IsCreated());
    EXPECT_EQ(Workspace().FundsView()->GetRowCount(), 3);
    // A bond fund is not offered; an equity fund is.
    ClickPicker();
    PlatformTypeText(L"000004");
    PlatformRunUntilIdle();
    EXPECT_TRUE(Workspace().Picker().GetCurrCode().empty());
    PlatformKeyPress(VK_ESCAPE);
    ClickPicker();
    PlatformKeyPress(VK_END);
    for (int i = 0; i < 6; ++i)
        PlatformKeyPress(VK_BACK);
    PlatformTypeText(L"000014");
    PlatformRunUntilIdle();
    EXPECT_EQ(Workspace().Picker().GetCurrCode(), XStringW(L"F014"));
    PlatformKeyPress(VK_ESCAPE);
    PlatformRunUntilIdle();

    // The filter kept from before is the one the host takes away later: all types again.
    ClickInFrame(frame->ButtonRect("button_fund_filter"));
    RECT all = filterPage->TypeBar().GetButtonRect(0);
    p = POINT{(all.left + all.right) / 2, (all.top + all.bottom) / 2};
    ClientToScreen(filterPage->TypeBar(), &p);
    PlatformClick(p.x, p.y);
    PlatformRunUntilIdle();
    EXPECT_EQ(Workspace().FundsView()->GetRowCount(), 9);
}

TEST_F(HostedWorkspace, EnterAddsTheFundAndLeavesThePickerReadyForTheNextCode) {
    ClickCompareButton();
    ClickPicker();
    TypeAndEnter(L"000001");
    EXPECT_EQ(module.Funds().count(L"F001"), 1u);
    Control::XComboEx& picker = Workspace().Picker();
    EXPECT_FALSE(picker.IsDroppedDown());
    EXPECT_EQ(picker.GetText(), XStringW(L"000001"));
    EXPECT_EQ(GetFocus(), picker.GetEditWindow());

    // The next code replaces the selected one.
    TypeAndEnter(L"000003");
    EXPECT_EQ(picker.GetText(), XStringW(L"000003"));
    EXPECT_EQ(module.Funds().count(L"F003"), 1u);
    EXPECT_FALSE(picker.IsDroppedDown());

    // Backspace erases the selected text at once.
    PlatformKeyPress(VK_BACK);
    PlatformRunUntilIdle();
    EXPECT_TRUE(picker.GetText().empty());
}

TEST_F(HostedWorkspace, TheAlreadyPresentMessageNamesTheCodeTheUserTyped) {
    ClickCompareButton();
    AddByKeys(L"000001");
    ASSERT_TRUE(PlatformMessageBoxes().empty());
    AddByKeys(L"000001");
    ASSERT_EQ(PlatformMessageBoxes().size(), 1u);
    // The fund's own code is F001; the user knows it as 000001.
    EXPECT_EQ(PlatformMessageBoxes().back().text, L"基金[000001]华夏成长股票已存在。");
    EXPECT_EQ(PlatformMessageBoxes().back().caption, L"提示");
    EXPECT_EQ(module.Funds().size(), 1u);
}

} // namespace
