// Input routing through the driver: the deepest window, capture, hidden and disabled windows,
// double clicks, the wheel, keys and characters, context menus, mouse tracking and key state.
#include "WindowTestSupport.h"

using namespace wintest;
using Names = std::vector<std::string>;

namespace {

class InputRoutingTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        top = CreateTop(100, 100, 400, 300);
        panel = CreateChild(top, 1, 10, 10, 300, 200);
        leaf = CreateChild(panel, 2, 20, 30, 100, 50);
        Log().Name(top, "top");
        Log().Name(panel, "panel");
        Log().Name(leaf, "leaf");
        PlatformRunUntilIdle();
        Log().Clear();
    }

    // Only the mouse and key messages.
    Names Input() const {
        Names out;
        for (const auto& item : MessageLog::Instance().Named()) {
            if (item.find("BUTTON") != std::string::npos || item.find("MOUSE") != std::string::npos ||
                item.find("KEY") != std::string::npos || item.find("CHAR") != std::string::npos ||
                item.find("CONTEXTMENU") != std::string::npos)
                out.push_back(item);
        }
        return out;
    }

    HWND top = nullptr;
    HWND panel = nullptr;
    HWND leaf = nullptr;
};

TEST_F(InputRoutingTest, AClickGoesToTheDeepestWindowInItsClientCoordinates) {
    PlatformClick(100 + 10 + 20 + 5, 100 + 10 + 30 + 7);
    PlatformRunUntilIdle();
    EXPECT_EQ(Input(), (Names{"leaf:WM_MOUSEMOVE", "leaf:WM_LBUTTONDOWN", "leaf:WM_LBUTTONUP"}));
    auto down = Log().Find(WM_LBUTTONDOWN, leaf)[0];
    EXPECT_EQ(GET_X_LPARAM(down.lParam), 5);
    EXPECT_EQ(GET_Y_LPARAM(down.lParam), 7);
    EXPECT_EQ(down.wParam, static_cast<WPARAM>(MK_LBUTTON));
    EXPECT_EQ(Log().Find(WM_LBUTTONUP, leaf)[0].wParam, 0u);
    // The ancestors hear of the press.
    auto notes = Log().Find(WM_PARENTNOTIFY, panel);
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(LOWORD(notes[0].wParam), WM_LBUTTONDOWN);
    EXPECT_EQ(GET_X_LPARAM(notes[0].lParam), 25);
    EXPECT_EQ(Log().Find(WM_PARENTNOTIFY, top).size(), 1u);
    EXPECT_EQ(GetMessagePos(), static_cast<DWORD>(MAKELONG(135, 147)));
}

TEST_F(InputRoutingTest, CaptureTakesTheMouseEvenOutsideTheWindow) {
    SetCapture(leaf);
    PlatformClick(50, 60);
    PlatformRunUntilIdle();
    EXPECT_EQ(Input(), (Names{"leaf:WM_MOUSEMOVE", "leaf:WM_LBUTTONDOWN", "leaf:WM_LBUTTONUP"}));
    auto up = Log().Find(WM_LBUTTONUP, leaf)[0];
    EXPECT_EQ(GET_X_LPARAM(up.lParam), 50 - 130);
    EXPECT_EQ(GET_Y_LPARAM(up.lParam), 60 - 140);
}

TEST_F(InputRoutingTest, HiddenWindowsAreSkippedAndDisabledOnesSwallowTheClick) {
    ShowWindow(leaf, SW_HIDE);
    PlatformClick(135, 145);
    PlatformRunUntilIdle();
    EXPECT_EQ(Input(), (Names{"panel:WM_MOUSEMOVE", "panel:WM_LBUTTONDOWN", "panel:WM_LBUTTONUP"}));
    ShowWindow(leaf, SW_SHOW);
    EnableWindow(leaf, FALSE);
    Log().Clear();
    PlatformClick(136, 145);
    PlatformRunUntilIdle();
    EXPECT_TRUE(Input().empty());
}

TEST_F(InputRoutingTest, DoubleClicksOnlyForClassesThatAskForThem) {
    HWND plain = leaf;
    HWND dbl = CreateChild(panel, 3, 150, 30, 100, 50, WS_CHILD | WS_VISIBLE, TestClass(CS_DBLCLKS));
    Log().Name(dbl, "dbl");
    PlatformDoubleClick(135, 145);
    PlatformRunUntilIdle();
    EXPECT_EQ(Log().Find(WM_LBUTTONDOWN, plain).size(), 2u);
    EXPECT_EQ(Log().Find(WM_LBUTTONDBLCLK, plain).size(), 0u);
    Log().Clear();
    PlatformDoubleClick(265, 145);
    PlatformRunUntilIdle();
    EXPECT_EQ(Input(), (Names{"dbl:WM_MOUSEMOVE", "dbl:WM_LBUTTONDOWN", "dbl:WM_LBUTTONUP",
                              "dbl:WM_LBUTTONDBLCLK", "dbl:WM_LBUTTONUP"}));
    // Too slow or too far: two single clicks.
    Log().Clear();
    PlatformAdvanceClock(1000);
    PlatformClick(265, 145);
    PlatformAdvanceClock(GetDoubleClickTime() + 1);
    PlatformClick(265, 145);
    PlatformClick(275, 145);
    PlatformRunUntilIdle();
    EXPECT_EQ(Log().Find(WM_LBUTTONDOWN, dbl).size(), 3u);
    EXPECT_EQ(Log().Find(WM_LBUTTONDBLCLK, dbl).size(), 0u);
}

TEST_F(InputRoutingTest, WheelGoesToTheWindowUnderTheCursorAndUpItsParents) {
    // The focus elsewhere does not matter: the panel is under the cursor, not the leaf.
    SetFocus(leaf);
    PlatformRunUntilIdle();
    Log().Clear();
    PlatformMouseWheel(300, 300, -2);
    PlatformRunUntilIdle();
    EXPECT_TRUE(Log().Find(WM_MOUSEWHEEL, leaf).empty());
    auto panelWheel = Log().Find(WM_MOUSEWHEEL, panel);
    ASSERT_EQ(panelWheel.size(), 1u);
    EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(panelWheel[0].wParam), -240);
    EXPECT_EQ(GET_X_LPARAM(panelWheel[0].lParam), 300); // screen coordinates
    EXPECT_EQ(GET_Y_LPARAM(panelWheel[0].lParam), 300);
    // DefWindowProc passes it up the chain of parents.
    EXPECT_EQ(Log().Find(WM_MOUSEWHEEL, top).size(), 1u);

    // Over the leaf, without any focus, it starts at the leaf.
    SetFocus(nullptr);
    Log().Clear();
    PlatformMouseWheel(140, 150, 1);
    PlatformRunUntilIdle();
    EXPECT_EQ(Log().Find(WM_MOUSEWHEEL, leaf).size(), 1u);
    EXPECT_EQ(Log().Find(WM_MOUSEWHEEL, panel).size(), 1u);
    EXPECT_EQ(Log().Find(WM_MOUSEWHEEL, top).size(), 1u);

    // A parent that uses the wheel keeps it from its own parents.
    Log().SetHandler(panel, [](HWND, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (message == WM_MOUSEWHEEL)
            return 0;
        return std::nullopt;
    });
    Log().Clear();
    PlatformMouseWheel(141, 150, 1);
    PlatformRunUntilIdle();
    EXPECT_EQ(Log().Find(WM_MOUSEWHEEL, leaf).size(), 1u);
    EXPECT_EQ(Log().Find(WM_MOUSEWHEEL, panel).size(), 1u);
    EXPECT_TRUE(Log().Find(WM_MOUSEWHEEL, top).empty());
}

TEST_F(InputRoutingTest, WheelPassesDisabledWindowsAndFollowsTheCapture) {
    // A disabled window does not swallow the wheel: its enabled parent scrolls.
    EnableWindow(leaf, FALSE);
    Log().Clear();
    PlatformMouseWheel(140, 150, 1);
    PlatformRunUntilIdle();
    EXPECT_TRUE(Log().Find(WM_MOUSEWHEEL, leaf).empty());
    EXPECT_EQ(Log().Find(WM_MOUSEWHEEL, panel).size(), 1u);
    EnableWindow(leaf, TRUE);

    // The capture window takes it wherever the cursor is.
    SetCapture(leaf);
    Log().Clear();
    PlatformMouseWheel(300, 300, 1);
    PlatformRunUntilIdle();
    EXPECT_EQ(Log().Find(WM_MOUSEWHEEL, leaf).size(), 1u);
    ReleaseCapture();

    // Outside every window nobody hears it.
    Log().Clear();
    PlatformMouseWheel(700, 700, 1);
    PlatformRunUntilIdle();
    EXPECT_TRUE(Log().Find(WM_MOUSEWHEEL, top).empty());
    EXPECT_TRUE(Log().Find(WM_MOUSEWHEEL, panel).empty());
}

TEST_F(InputRoutingTest, KeysGoToTheFocusAndBecomeCharacters) {
    SetFocus(leaf);
    Log().Clear();
    PlatformKeyDown(VK_SHIFT);
    PlatformKeyPress('A');
    PlatformKeyUp(VK_SHIFT);
    PlatformKeyPress('B');
    PlatformKeyPress(VK_RETURN);
    PlatformTypeText(L"基");
    PlatformRunUntilIdle();
    std::wstring typed;
    for (const auto& e : Log().Find(WM_CHAR, leaf))
        typed += static_cast<wchar_t>(e.wParam);
    EXPECT_EQ(typed, L"Ab\r基");
    auto keyDowns = Log().Find(WM_KEYDOWN, leaf);
    ASSERT_EQ(keyDowns.size(), 4u);
    EXPECT_EQ(keyDowns[1].wParam, static_cast<WPARAM>('A'));
    auto keyUps = Log().Find(WM_KEYUP, leaf);
    EXPECT_TRUE(keyUps[0].lParam & (1u << 31));
    EXPECT_EQ(GetKeyState(VK_SHIFT) & 0x8000, 0);
    // Without focus, keys go to the active window.
    SetFocus(nullptr);
    Log().Clear();
    PlatformKeyPress(VK_ESCAPE);
    PlatformRunUntilIdle();
    EXPECT_EQ(Log().Find(WM_KEYDOWN, top).size(), 1u);
    // Alt makes system keys.
    Log().Clear();
    PlatformKeyDown(VK_MENU);
    PlatformKeyPress('F');
    PlatformKeyUp(VK_MENU);
    PlatformRunUntilIdle();
    EXPECT_EQ(Log().Find(WM_SYSKEYDOWN, top).size(), 2u);
}

TEST_F(InputRoutingTest, KeyStateFollowsTheMessagesRetrieved) {
    SHORT during = 0;
    Log().SetHandler(leaf, [&](HWND, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (message == WM_LBUTTONDOWN)
            during = GetKeyState(VK_LBUTTON);
        return std::nullopt;
    });
    PlatformMouseDown(135, 145);
    EXPECT_TRUE(GetAsyncKeyState(VK_LBUTTON) & 0x8000);
    EXPECT_FALSE(GetKeyState(VK_LBUTTON) & 0x8000);
    PlatformRunUntilIdle();
    EXPECT_TRUE(during & 0x8000);
    PlatformMouseUp(135, 145);
    PlatformRunUntilIdle();
    EXPECT_FALSE(GetKeyState(VK_LBUTTON) & 0x8000);
    POINT cursor;
    GetCursorPos(&cursor);
    EXPECT_EQ(cursor.x, 135);
}

TEST_F(InputRoutingTest, RightButtonUpBringsAContextMenuThatChildrenPassUp) {
    PlatformClick(135, 145, PlatformMouseButton::Right);
    PlatformRunUntilIdle();
    EXPECT_EQ(Input(), (Names{"leaf:WM_MOUSEMOVE", "leaf:WM_RBUTTONDOWN", "leaf:WM_RBUTTONUP",
                              "leaf:WM_CONTEXTMENU", "panel:WM_CONTEXTMENU", "top:WM_CONTEXTMENU"}));
    auto menu = Log().Find(WM_CONTEXTMENU, top)[0];
    EXPECT_EQ(reinterpret_cast<HWND>(menu.wParam), leaf);
    EXPECT_EQ(GET_X_LPARAM(menu.lParam), 135);
    EXPECT_EQ(GET_Y_LPARAM(menu.lParam), 145);
}

TEST_F(InputRoutingTest, ClickingAnInactiveWindowActivatesIt) {
    HWND other = CreateTop(600, 100, 100, 100);
    Log().Name(other, "other");
    EXPECT_EQ(GetActiveWindow(), other);
    Log().Clear();
    PlatformClick(135, 145);
    PlatformRunUntilIdle();
    EXPECT_EQ(GetActiveWindow(), top);
    auto activate = Log().Find(WM_MOUSEACTIVATE, leaf);
    ASSERT_EQ(activate.size(), 1u);
    EXPECT_EQ(reinterpret_cast<HWND>(activate[0].wParam), top);
    EXPECT_EQ(HIWORD(activate[0].lParam), WM_LBUTTONDOWN);
    EXPECT_EQ(LOWORD(Log().Find(WM_ACTIVATE, top)[0].wParam), WA_CLICKACTIVE);
    EXPECT_EQ(Log().Find(WM_LBUTTONDOWN, leaf).size(), 1u);
}

TEST_F(InputRoutingTest, MouseLeaveAndHoverTracking) {
    Log().SetHandler(leaf, [](HWND window, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (message == WM_MOUSEMOVE) {
            TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE | TME_HOVER, window, 300};
            TrackMouseEvent(&track);
        }
        return std::nullopt;
    });
    PlatformMouseMove(135, 145);
    PlatformRunUntilIdle();
    EXPECT_TRUE(Log().Find(WM_MOUSEHOVER, leaf).empty());
    PlatformAdvanceClock(299);
    EXPECT_TRUE(Log().Find(WM_MOUSEHOVER, leaf).empty());
    PlatformAdvanceClock(1);
    ASSERT_EQ(Log().Find(WM_MOUSEHOVER, leaf).size(), 1u);
    EXPECT_EQ(GET_X_LPARAM(Log().Find(WM_MOUSEHOVER, leaf)[0].lParam), 5);
    // Leaving: WM_MOUSELEAVE once.
    Log().SetHandler(leaf, nullptr);
    PlatformMouseMove(300, 145);
    PlatformMouseMove(301, 145);
    PlatformRunUntilIdle();
    EXPECT_EQ(Log().Find(WM_MOUSELEAVE, leaf).size(), 1u);
    // Hiding the window under a tracked mouse counts as leaving.
    TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, panel, 0};
    Log().Clear();
    EXPECT_TRUE(TrackMouseEvent(&track));
    ShowWindow(panel, SW_HIDE);
    PlatformRunUntilIdle();
    EXPECT_EQ(Log().Find(WM_MOUSELEAVE, panel).size(), 1u);
}

} // namespace
