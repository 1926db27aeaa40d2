// The table header: the selection message on clicks and SetCurrSel (and its absence when nothing
// changes), refused indexes, and the selected colours by pixels in both styles.
#include "MiscTestSupport.h"

#include <sdk/ControlTableHeader.h>

using Control::XTableHeader;
using namespace misctest;

namespace {

constexpr COLORREF kBack = RGB(11, 13, 18);
constexpr COLORREF kItem = RGB(22, 26, 34);
constexpr COLORREF kSel = RGB(138, 28, 28);

class XTableHeaderTest : public ControlTest {
protected:
    void SetUp() override {
        ControlTest::SetUp();
        host = CreateHost(0, 0, 500, 100);
        header.SetFontSize(12);
        header.SetButtonWidth(80);
        ASSERT_TRUE(header.Create(L"", WS_CHILD | WS_VISIBLE, 5, 44, 445, 20, 0, host));
        for (const wchar_t* caption : {L"综合对比", L"业绩表现", L"风险回报", L"资产分布", L"行业配置"})
            header.AddButton(caption);
        header.SetStyle(Control::TableHeaderStyleTab);
        header.SetBkColor(kBack);
        header.SetItemBkColor(kItem);
        header.SetItemBdColor(RGB(46, 52, 64));
        header.SetTextColor(RGB(184, 190, 200));
        header.SetItemSelBkColor(kSel);
        header.SetItemSelBdColor(RGB(198, 40, 40));
        header.SetTextSelColor(RGB(255, 255, 255));
        PlatformRunUntilIdle();
        ClearNotices();
    }

    void ClickButton(int index) {
        RECT r = header.GetButtonRect(index);
        POINT p = ToScreen(header, r.left + 5, (r.top + r.bottom) / 2 + 3);
        PlatformClick(p.x, p.y);
        PlatformAdvanceClock(1000); // the next click is no double click
        PlatformRunUntilIdle();
    }

    // The fill of a button, away from its caption and border.
    COLORREF Fill(int index) {
        RECT r = header.GetButtonRect(index);
        return PlatformWindowPixel(header, r.left + 3, r.bottom - 4);
    }

    HWND host = nullptr;
    XTableHeader header;
};

} // namespace

TEST_F(XTableHeaderTest, ClicksAndSetCurrSelTellTheParentOnlyWhenTheSelectionChanges) {
    EXPECT_EQ(header.GetCurrSel(), 0);
    ClickButton(2);
    auto notices = Notices(Control::kTableHeaderSelChange);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].wParam, reinterpret_cast<WPARAM>(static_cast<HWND>(header)));
    EXPECT_EQ(notices[0].lParam, 2);
    EXPECT_EQ(header.GetCurrSel(), 2);

    // The button already selected, by click or by call: nothing.
    ClickButton(2);
    EXPECT_TRUE(header.SetCurrSel(2));
    EXPECT_EQ(Notices(Control::kTableHeaderSelChange).size(), 1u);

    // The workspace's re-selection on show: away and back, two messages in that order.
    header.SetCurrSel(0);
    header.SetCurrSel(2);
    notices = Notices(Control::kTableHeaderSelChange);
    ASSERT_EQ(notices.size(), 3u);
    EXPECT_EQ(notices[1].lParam, 0);
    EXPECT_EQ(notices[2].lParam, 2);

    // Indexes outside the buttons, and clicks beside them, change nothing.
    EXPECT_FALSE(header.SetCurrSel(5));
    EXPECT_FALSE(header.SetCurrSel(-1));
    POINT beside = ToScreen(header, 440, 10);
    PlatformClick(beside.x, beside.y);
    PlatformRunUntilIdle();
    EXPECT_EQ(header.GetCurrSel(), 2);
    EXPECT_EQ(Notices(Control::kTableHeaderSelChange).size(), 3u);
}

TEST_F(XTableHeaderTest, TheSelectedButtonIsDrawnInTheSelectedColours) {
    EXPECT_EQ(Fill(0), kSel);
    EXPECT_EQ(Fill(1), kItem);
    EXPECT_EQ(PlatformWindowPixel(header, 430, 5), kBack); // beyond the five tabs
    // The base line runs under every unselected tab and on beyond them; the selected tab opens
    // into it.
    RECT client{};
    GetClientRect(header, &client);
    for (int x : {static_cast<int>(header.GetButtonRect(1).left) + 10, 420})
        EXPECT_EQ(PlatformWindowPixel(header, x, client.bottom - 1), RGB(198, 40, 40)) << x;
    EXPECT_EQ(PlatformWindowPixel(header, 2, client.bottom - 1), kSel);
    PlatformSaveWindowPng(host, OutputPath("tableheader_tabs.png"));

    header.SetCurrSel(3);
    PlatformRunUntilIdle();
    EXPECT_EQ(Fill(0), kItem);
    EXPECT_EQ(Fill(3), kSel);

    // Flat buttons keep gaps of background between them.
    header.SetStyle(Control::TableHeaderStyleButton);
    PlatformRunUntilIdle();
    EXPECT_EQ(Fill(3), kSel);
    RECT r = header.GetButtonRect(1);
    EXPECT_EQ(PlatformWindowPixel(header, r.right + 1, 10), kBack);
    PlatformSaveWindowPng(host, OutputPath("tableheader_buttons.png"));
}

TEST(XTableHeaderAlone, AHeaderWithoutWindowOrButtonsRefusesSelections) {
    XTableHeader header;
    EXPECT_EQ(header.GetCurrSel(), -1);
    EXPECT_FALSE(header.SetCurrSel(0));
    header.AddButton(L"A");
    header.AddButton(L"B");
    EXPECT_EQ(header.GetCurrSel(), 0);
    EXPECT_TRUE(header.SetCurrSel(1)); // no window, no parent: nobody to tell, no crash
    EXPECT_EQ(header.GetCurrSel(), 1);
}
