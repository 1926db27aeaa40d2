// Keyboard focus, activation, enabling and mouse capture.
#include "WindowTestSupport.h"

using namespace wintest;
using Names = std::vector<std::string>;

namespace {

class FocusAndCaptureTest : public WindowTest {};

TEST_F(FocusAndCaptureTest, SetFocusKillsTheOldThenSetsTheNewWithTheOtherInWParam) {
    HWND top = CreateTop(0, 0, 200, 200);
    HWND a = CreateChild(top, 1, 0, 0, 20, 20);
    HWND b = CreateChild(top, 2, 30, 0, 20, 20);
    Log().Name(a, "a");
    Log().Name(b, "b");
    EXPECT_EQ(SetFocus(a), top);
    Log().Clear();
    HWND focusDuringKill = nullptr;
    Log().SetHandler(a, [&](HWND, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (message == WM_KILLFOCUS)
            focusDuringKill = GetFocus();
        return std::nullopt;
    });
    EXPECT_EQ(SetFocus(b), a);
    EXPECT_EQ(Log().Named(), (Names{"a:WM_KILLFOCUS", "b:WM_SETFOCUS"}));
    EXPECT_EQ(Log().Find(WM_KILLFOCUS, a)[0].wParam, reinterpret_cast<WPARAM>(b));
    EXPECT_EQ(Log().Find(WM_SETFOCUS, b)[0].wParam, reinterpret_cast<WPARAM>(a));
    EXPECT_EQ(focusDuringKill, b);
    EXPECT_EQ(GetFocus(), b);
    // The same window again: nothing is sent.
    Log().Clear();
    EXPECT_EQ(SetFocus(b), b);
    EXPECT_TRUE(Log().Entries().empty());
}

TEST_F(FocusAndCaptureTest, FocusIntoAnInactiveWindowActivatesIt) {
    HWND first = CreateTop(0, 0, 100, 100);
    HWND second = CreateTop(200, 0, 100, 100);
    HWND child = CreateChild(first, 1, 0, 0, 10, 10);
    EXPECT_EQ(GetActiveWindow(), second);
    Log().Name(first, "first");
    Log().Name(second, "second");
    Log().Name(child, "child");
    Log().Clear();
    SetFocus(child);
    Names messages = Log().Named();
    Names expected{"second:WM_NCACTIVATE",      "second:WM_ACTIVATE",  "first:WM_WINDOWPOSCHANGING",
                   "first:WM_WINDOWPOSCHANGED", "first:WM_NCACTIVATE", "first:WM_ACTIVATE",
                   "second:WM_KILLFOCUS",       "first:WM_SETFOCUS",   "first:WM_KILLFOCUS",
                   "child:WM_SETFOCUS"};
    EXPECT_EQ(messages, expected);
    EXPECT_EQ(GetActiveWindow(), first);
    EXPECT_EQ(GetFocus(), child);
    EXPECT_EQ(GetTopWindow(nullptr), first);
}

TEST_F(FocusAndCaptureTest, HidingTheFocusWindowGivesTheFocusToItsParent) {
    HWND top = CreateTop(0, 0, 100, 100);
    HWND child = CreateChild(top, 1, 0, 0, 10, 10);
    SetFocus(child);
    ShowWindow(child, SW_HIDE);
    EXPECT_EQ(GetFocus(), top);
}

TEST_F(FocusAndCaptureTest, EnableWindowSendsWmEnableAndDropsTheFocus) {
    HWND top = CreateTop(0, 0, 100, 100);
    HWND child = CreateChild(top, 1, 0, 0, 10, 10);
    SetFocus(child);
    Log().Clear();
    EXPECT_FALSE(EnableWindow(child, FALSE));
    EXPECT_EQ(Log().Messages(child), (std::vector<UINT>{WM_CANCELMODE, WM_KILLFOCUS, WM_ENABLE}));
    EXPECT_EQ(GetFocus(), nullptr);
    EXPECT_FALSE(IsWindowEnabled(child));
    EXPECT_EQ(SetFocus(child), nullptr);
    EXPECT_EQ(GetFocus(), nullptr);
    EXPECT_TRUE(EnableWindow(child, FALSE));
    Log().Clear();
    EXPECT_TRUE(EnableWindow(child, TRUE));
    EXPECT_EQ(Log().Messages(child), (std::vector<UINT>{WM_ENABLE}));
    EXPECT_EQ(Log().Find(WM_ENABLE, child)[0].wParam, static_cast<WPARAM>(TRUE));
    EXPECT_TRUE(IsWindowEnabled(child));
}

TEST_F(FocusAndCaptureTest, CaptureChangesAreAnnounced) {
    HWND top = CreateTop(0, 0, 100, 100);
    HWND a = CreateChild(top, 1, 0, 0, 10, 10);
    HWND b = CreateChild(top, 2, 20, 0, 10, 10);
    EXPECT_EQ(SetCapture(a), nullptr);
    EXPECT_EQ(GetCapture(), a);
    Log().Clear();
    EXPECT_EQ(SetCapture(b), a);
    auto changed = Log().Find(WM_CAPTURECHANGED, a);
    ASSERT_EQ(changed.size(), 1u);
    EXPECT_EQ(reinterpret_cast<HWND>(changed[0].lParam), b);
    Log().Clear();
    EXPECT_TRUE(ReleaseCapture());
    EXPECT_EQ(GetCapture(), nullptr);
    ASSERT_EQ(Log().Find(WM_CAPTURECHANGED, b).size(), 1u);
    EXPECT_EQ(Log().Find(WM_CAPTURECHANGED, b)[0].lParam, 0);
}

TEST_F(FocusAndCaptureTest, HidingTheActiveWindowActivatesAnother) {
    HWND first = CreateTop(0, 0, 100, 100);
    HWND second = CreateTop(200, 0, 100, 100);
    EXPECT_EQ(GetActiveWindow(), second);
    ShowWindow(second, SW_HIDE);
    EXPECT_EQ(GetActiveWindow(), first);
    EXPECT_EQ(GetFocus(), first);
    Log().Clear();
    DestroyWindow(first);
    EXPECT_EQ(GetActiveWindow(), nullptr);
    EXPECT_EQ(GetFocus(), nullptr);
    EXPECT_EQ(Log().Messages(first),
              (std::vector<UINT>{WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED, WM_NCACTIVATE, WM_ACTIVATE,
                                 WM_ACTIVATEAPP, WM_KILLFOCUS, WM_DESTROY, WM_NCDESTROY}));
}

} // namespace
