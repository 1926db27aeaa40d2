// The "tooltips_class32" class: tools watched through TTF_SUBCLASS, the initial delay, the text
// callback, wrapping at the maximum width, hiding on leave and on empty text, and the TTM_ calls.
#include "ControlTestSupport.h"

using namespace wintest;
using namespace controltest;

namespace {

class ToolTipTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        parent = CreateTop(0, 0, 600, 400);
        tool = CreateChild(parent, 7, 50, 50, 300, 200);
        Log().SetHandler(tool, [this](HWND, UINT message, WPARAM, LPARAM lParam) -> std::optional<LRESULT> {
            if (message != WM_NOTIFY)
                return std::nullopt;
            auto* header = reinterpret_cast<NMHDR*>(lParam);
            codes.push_back(header->code);
            if (header->code == TTN_GETDISPINFOW) {
                auto* info = reinterpret_cast<NMTTDISPINFOW*>(lParam);
                asker = header->hwndFrom;
                askedId = header->idFrom;
                info->lpszText = const_cast<LPWSTR>(text.c_str());
            }
            return 0;
        });
    }

    HWND CreateTip(DWORD style = WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP) {
        return CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, style, 0, 0, 0, 0, tool, nullptr,
                               nullptr, nullptr);
    }

    // The grids' way: one tool for the whole area, text on request, 32-bit record size.
    TOOLINFOW CallbackTool(UINT flags = TTF_SUBCLASS | TTF_TRANSPARENT) {
        TOOLINFOW info{};
        info.cbSize = TTTOOLINFOW_MIN_SIZE;
        info.uFlags = flags;
        info.hwnd = tool;
        info.uId = 1;
        info.rect = RECT{0, 0, 300, 200};
        info.lpszText = LPSTR_TEXTCALLBACKW;
        return info;
    }

    void Hover(int x, int y) {
        POINT p = ScreenPoint(tool, x, y);
        PlatformMouseMove(p.x, p.y);
        PlatformRunUntilIdle();
    }

    HWND parent = nullptr;
    HWND tool = nullptr;
    std::wstring text = L"比例：12.50%";
    std::vector<UINT> codes;
    HWND asker = nullptr;
    UINT_PTR askedId = 0;
};

TEST_F(ToolTipTest, CallbackTipShowsAfterTheDelayBelowTheCursorAndHidesOnLeaving) {
    HWND tip = CreateTip();
    ASSERT_NE(tip, nullptr);
    TOOLINFOW info = CallbackTool();
    ASSERT_TRUE(SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info)));
    Hover(100, 80);
    EXPECT_FALSE(IsWindowVisible(tip));
    PlatformAdvanceClock(300);
    EXPECT_FALSE(IsWindowVisible(tip));
    PlatformAdvanceClock(300);
    ASSERT_TRUE(IsWindowVisible(tip));
    EXPECT_EQ(asker, tip);
    EXPECT_EQ(askedId, 1u);
    EXPECT_NE(GetWindowLongW(tip, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
    RECT r;
    GetWindowRect(tip, &r);
    POINT cursor = ScreenPoint(tool, 100, 80);
    EXPECT_GE(r.top, cursor.y + 10);
    EXPECT_LE(std::abs(r.left - cursor.x), 2);
    EXPECT_EQ(PlatformWindowPixel(tip, 2, 2), GetSysColor(COLOR_INFOBK));
    EXPECT_TRUE(
        AnyPixel(tip, RECT{4, 2, r.right - r.left - 4, r.bottom - r.top - 2}, GetSysColor(COLOR_INFOTEXT)));
    ASSERT_TRUE(PlatformSaveScreenPng(OutputPath("tooltip.png")));

    // Moving within the tool keeps the tip; leaving for the parent hides it.
    Hover(120, 90);
    EXPECT_TRUE(IsWindowVisible(tip));
    POINT outside = ScreenPoint(parent, 500, 350);
    PlatformMouseMove(outside.x, outside.y);
    PlatformAdvanceClock(200);
    EXPECT_FALSE(IsWindowVisible(tip));
    EXPECT_EQ(std::count(codes.begin(), codes.end(), TTN_SHOW), 1);
    EXPECT_EQ(std::count(codes.begin(), codes.end(), TTN_POP), 1);
}

TEST_F(ToolTipTest, TextWrapsAtTheMaximumWidth) {
    HWND tip = CreateTip();
    text = L"a long tip text that cannot possibly fit on one line of a narrow tip";
    TOOLINFOW info = CallbackTool();
    SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    Hover(100, 80);
    PlatformAdvanceClock(600);
    RECT wide;
    GetWindowRect(tip, &wide);
    EXPECT_EQ(SendMessageW(tip, TTM_SETMAXTIPWIDTH, 0, 120), -1);
    SendMessageW(tip, TTM_UPDATE, 0, 0);
    PlatformRunUntilIdle();
    RECT narrow;
    GetWindowRect(tip, &narrow);
    EXPECT_LE(narrow.right - narrow.left, 120);
    EXPECT_GT(narrow.bottom - narrow.top, 2 * (wide.bottom - wide.top) - 8);
    EXPECT_GT(wide.right - wide.left, 200);
}

TEST_F(ToolTipTest, UpdateAsksAgainAndEmptyTextHides) {
    HWND tip = CreateTip();
    TOOLINFOW info = CallbackTool();
    SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    Hover(100, 80);
    PlatformAdvanceClock(600);
    ASSERT_TRUE(IsWindowVisible(tip));
    RECT before;
    GetWindowRect(tip, &before);
    text = L"比例：12.50% and a good deal more";
    SendMessageW(tip, TTM_UPDATE, 0, 0);
    RECT after;
    GetWindowRect(tip, &after);
    EXPECT_GT(after.right - after.left, before.right - before.left);

    text.clear();
    SendMessageW(tip, TTM_UPDATE, 0, 0);
    EXPECT_FALSE(IsWindowVisible(tip));
    // The next rest on the tool shows it again once there is text.
    text = L"back";
    Hover(140, 80);
    PlatformAdvanceClock(600);
    EXPECT_TRUE(IsWindowVisible(tip));
}

TEST_F(ToolTipTest, StaticTextToolsByWindowHandleAndTheirCalls) {
    HWND tip = CreateTip();
    TOOLINFOW info{};
    info.cbSize = TTTOOLINFOW_MIN_SIZE - 1;
    EXPECT_FALSE(SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info)));
    EXPECT_FALSE(SendMessageW(tip, TTM_ADDTOOLW, 0, 0));
    // The filter buttons' way: the whole window is the tool, its parent the owner.
    info.cbSize = sizeof(TOOLINFOW);
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS | TTF_TRANSPARENT;
    info.hwnd = parent;
    info.uId = reinterpret_cast<UINT_PTR>(tool);
    info.lpszText = const_cast<LPWSTR>(L"投资类型：股票，债券");
    ASSERT_TRUE(SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info)));
    EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 1);
    Hover(10, 10);
    PlatformAdvanceClock(600);
    ASSERT_TRUE(IsWindowVisible(tip));
    RECT shortTip;
    GetWindowRect(tip, &shortTip);

    info.lpszText = const_cast<LPWSTR>(L"投资类型：股票，债券，混合，货币，其他");
    SendMessageW(tip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
    RECT longTip;
    GetWindowRect(tip, &longTip);
    EXPECT_GT(longTip.right - longTip.left, shortTip.right - shortTip.left);

    SendMessageW(tip, TTM_POP, 0, 0);
    EXPECT_FALSE(IsWindowVisible(tip));
    SendMessageW(tip, TTM_ACTIVATE, FALSE, 0);
    Hover(20, 10);
    PlatformAdvanceClock(600);
    EXPECT_FALSE(IsWindowVisible(tip));
    SendMessageW(tip, TTM_ACTIVATE, TRUE, 0);
    Hover(30, 10);
    PlatformAdvanceClock(600);
    EXPECT_TRUE(IsWindowVisible(tip));

    SendMessageW(tip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_FALSE(IsWindowVisible(tip));
    EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 0);
    Hover(40, 10);
    PlatformAdvanceClock(600);
    EXPECT_FALSE(IsWindowVisible(tip));
}

TEST_F(ToolTipTest, ATransparentTipLetsClicksThroughAndAClickHidesIt) {
    HWND tip = CreateTip();
    TOOLINFOW info = CallbackTool();
    SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    Hover(100, 80);
    PlatformAdvanceClock(600);
    ASSERT_TRUE(IsWindowVisible(tip));
    RECT r;
    GetWindowRect(tip, &r);
    Log().Clear();
    PlatformClick(r.left + 3, r.top + 3);
    PlatformRunUntilIdle();
    EXPECT_EQ(Log().Find(WM_LBUTTONDOWN, tool).size(), 1u);
    EXPECT_FALSE(IsWindowVisible(tip));
}

TEST_F(ToolTipTest, WithoutAlwaysTipOnlyTheActiveWindowsToolsShowTips) {
    HWND tip = CreateTip(WS_POPUP | TTS_NOPREFIX);
    TOOLINFOW info = CallbackTool();
    SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    HWND other = CreateTop(700, 500, 50, 50, WS_POPUP | WS_VISIBLE);
    SetActiveWindow(other);
    Hover(100, 80);
    PlatformAdvanceClock(600);
    EXPECT_FALSE(IsWindowVisible(tip));
    SetActiveWindow(parent);
    Hover(110, 80);
    PlatformAdvanceClock(600);
    EXPECT_TRUE(IsWindowVisible(tip));
}

TEST_F(ToolTipTest, DestroyingTheToolWindowAndTheTipIsSafe) {
    HWND tip = CreateTip();
    TOOLINFOW info = CallbackTool();
    SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    Hover(100, 80);
    PlatformAdvanceClock(600);
    DestroyWindow(tool);
    PlatformAdvanceClock(300);
    EXPECT_FALSE(IsWindowVisible(tip) && IsWindow(tip));
    DestroyWindow(parent);
    PlatformRunUntilIdle();
}

} // namespace
