// Control::XWin: messages reach the object from creation to destruction, subclassing through
// Attach and Detach, and the lifetime rules between object and window.
#include <sdk/ControlWin.h>

#include <platform/driver.h>

#include <gtest/gtest.h>

#include <vector>

namespace {

class LoggingWin : public Control::XWin {
public:
    std::vector<UINT> messages;
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        messages.push_back(message);
        return XWin::WndProc(message, wParam, lParam);
    }
    bool Saw(UINT message) const {
        for (UINT m : messages)
            if (m == message)
                return true;
        return false;
    }
};

int g_foreignCalls = 0;
LRESULT CALLBACK ForeignProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_USER + 1)
        return ++g_foreignCalls;
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND CreateForeignWindow() {
    static bool registered = false;
    if (!registered) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = ForeignProc;
        wc.lpszClassName = L"XWinTestForeign";
        RegisterClassExW(&wc);
        registered = true;
    }
    return CreateWindowExW(0, L"XWinTestForeign", L"", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, nullptr,
                           nullptr);
}

class XWinTest : public ::testing::Test {
protected:
    void SetUp() override { PlatformStartHeadless(800, 600); }
};

TEST_F(XWinTest, CreationMessagesReachTheObjectAndDestructionUnbindsIt) {
    LoggingWin win;
    ASSERT_TRUE(win.Create(L"grid", WS_POPUP | WS_VISIBLE, 10, 20, 200, 100, nullptr));
    HWND window = win;
    EXPECT_TRUE(win.Saw(WM_NCCREATE));
    EXPECT_TRUE(win.Saw(WM_CREATE));
    EXPECT_EQ(Control::XWin::FromHandle(window), &win);

    RECT client{};
    ASSERT_TRUE(win.GetClientRect(&client));
    EXPECT_EQ(client.right, 200);
    EXPECT_EQ(client.bottom, 100);
    POINT p{5, 5};
    win.ClientToScreen(&p);
    EXPECT_EQ(p.x, 15);
    EXPECT_EQ(p.y, 25);
    win.MoveWindow(RECT{0, 0, 300, 150}, TRUE);
    win.GetWindowRect(&client);
    EXPECT_EQ(client.right, 300);

    DestroyWindow(window);
    EXPECT_TRUE(win.Saw(WM_DESTROY));
    EXPECT_TRUE(win.Saw(WM_NCDESTROY));
    EXPECT_EQ(static_cast<HWND>(win), nullptr);
    // The object can own a new window after the old one is gone.
    EXPECT_TRUE(win.Create(L"again", WS_POPUP, 0, 0, 10, 10, nullptr));
}

TEST_F(XWinTest, ClassFormRegistersANewClassAndChildrenGetTheirId) {
    LoggingWin parent;
    ASSERT_TRUE(parent.Create(L"XWinTestPageClass", L"page", WS_POPUP, 0, 0, 300, 300, 0, nullptr));
    LoggingWin child;
    ASSERT_TRUE(child.Create(L"child", WS_CHILD | WS_VISIBLE, 0, 0, 100, 100, 42, parent));
    EXPECT_EQ(GetDlgCtrlID(child), 42);
    EXPECT_EQ(GetParent(child), static_cast<HWND>(parent));
    wchar_t name[64] = {};
    GetClassNameW(parent, name, 64);
    EXPECT_STREQ(name, L"XWinTestPageClass");
    EXPECT_TRUE(parent.Saw(WM_CREATE));
}

TEST_F(XWinTest, AttachSubclassesAndDetachRestores) {
    HWND foreign = CreateForeignWindow();
    ASSERT_NE(foreign, nullptr);
    g_foreignCalls = 0;
    {
        LoggingWin win;
        ASSERT_TRUE(win.Attach(foreign));
        LoggingWin second;
        EXPECT_FALSE(second.Attach(foreign)) << "a window has one object";
        // What the object leaves to the base reaches the window's own procedure.
        EXPECT_EQ(SendMessageW(foreign, WM_USER + 1, 0, 0), 1);
        EXPECT_TRUE(win.Saw(WM_USER + 1));
        EXPECT_EQ(win.Detach(), foreign);
        win.messages.clear();
        EXPECT_EQ(SendMessageW(foreign, WM_USER + 1, 0, 0), 2);
        EXPECT_FALSE(win.Saw(WM_USER + 1));
        ASSERT_TRUE(win.Attach(foreign));
    }
    // An attached window outlives its object, with its own procedure back.
    ASSERT_TRUE(IsWindow(foreign));
    EXPECT_EQ(Control::XWin::FromHandle(foreign), nullptr);
    EXPECT_EQ(SendMessageW(foreign, WM_USER + 1, 0, 0), 3);
    DestroyWindow(foreign);
}

TEST_F(XWinTest, AnObjectDestroyedFirstTakesItsWindowAlong) {
    HWND window = nullptr;
    {
        LoggingWin win;
        ASSERT_TRUE(win.Create(L"x", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, nullptr));
        window = win;
    }
    EXPECT_FALSE(IsWindow(window));
    // A window of the class made behind the objects' back gets the default procedure.
    HWND plain = CreateWindowExW(0, Control::XWin::DefaultClassName(), L"", WS_POPUP, 0, 0, 10, 10, nullptr,
                                 nullptr, nullptr, nullptr);
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(Control::XWin::FromHandle(plain), nullptr);
    DestroyWindow(plain);
}

TEST_F(XWinTest, OperationsWithoutAWindowFailQuietly) {
    LoggingWin win;
    RECT r{};
    POINT p{};
    EXPECT_FALSE(win.GetClientRect(&r));
    EXPECT_FALSE(win.ScreenToClient(&p));
    EXPECT_FALSE(win.Invalidate());
    EXPECT_FALSE(win.MoveWindow(0, 0, 1, 1));
    EXPECT_EQ(win.Detach(), nullptr);
    EXPECT_FALSE(win.Attach(nullptr));
}

} // namespace
