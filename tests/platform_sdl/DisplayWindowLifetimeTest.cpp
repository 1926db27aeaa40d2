// The display's windows and the top-levels they show, on SDL's off-screen video driver (no X server
// needed): a top-level's SDL window outlives it and shows the next top-level of its kind, so that
// menus and tips that come and go never destroy a display window the display may still be sending
// to, and their number stays that of the top-levels open at once.
#include <platform/display.h>
#include <platform/windows.h>

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>

namespace {

class DisplayWindowLifetime : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ::setenv("SDL_VIDEODRIVER", "offscreen", 1);
        started = PlatformStartSdl();
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = DefWindowProcW;
        wc.lpszClassName = kClass;
        RegisterClassExW(&wc);
    }
    void SetUp() override {
        if (!started)
            GTEST_SKIP() << "SDL has no off-screen video driver here";
    }

    // A window like a menu's or a tip's: a top-most pop-up that takes no activation.
    static HWND PopUp(int x) {
        return CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kClass, L"",
                               WS_POPUP | WS_VISIBLE, x, 40, 120, 80, nullptr, nullptr, nullptr, nullptr);
    }
    static HWND Framed() {
        return CreateWindowExW(0, kClass, L"框", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 300, 200,
                               nullptr, nullptr, nullptr, nullptr);
    }
    // The SDL windows that exist, shown or not.
    static int SdlWindows() {
        int count = 0;
        for (Uint32 id = 1; id < 2000; ++id)
            count += SDL_GetWindowFromID(id) != nullptr ? 1 : 0;
        return count;
    }

    static constexpr const wchar_t* kClass = L"LifetimeTestWindow";
    static inline bool started = false;
};

TEST_F(DisplayWindowLifetime, ADestroyedPopUpsWindowIsHiddenAndShowsTheNextOne) {
    HWND first = PopUp(40);
    unsigned id = PlatformSdlWindowId(first);
    ASSERT_NE(id, 0u);
    ASSERT_TRUE(DestroyWindow(first));
    SDL_Window* kept = SDL_GetWindowFromID(id);
    ASSERT_NE(kept, nullptr) << "the display window went with its top-level";
    EXPECT_EQ(SDL_GetWindowFlags(kept) & SDL_WINDOW_SHOWN, 0u);
    // The next pop-up takes it, at its own place and size, and shows it.
    HWND second = PopUp(200);
    EXPECT_EQ(PlatformSdlWindowId(second), id);
    int x = 0, y = 0, w = 0, h = 0;
    SDL_GetWindowPosition(kept, &x, &y);
    SDL_GetWindowSize(kept, &w, &h);
    EXPECT_EQ(x, 200);
    EXPECT_EQ(w, 120);
    EXPECT_EQ(h, 80);
    EXPECT_NE(SDL_GetWindowFlags(kept) & SDL_WINDOW_SHOWN, 0u);
    // A window of another kind (framed, sizeable) is not shown in a pop-up's window.
    HWND framed = Framed();
    EXPECT_NE(PlatformSdlWindowId(framed), id);
    EXPECT_NE(PlatformSdlWindowId(framed), 0u);
    DestroyWindow(framed);
    DestroyWindow(second);
}

TEST_F(DisplayWindowLifetime, ManyMenusAndTipsNeedNoMoreWindowsThanAreOpenAtOnce) {
    HWND main = Framed();
    int before = SdlWindows();
    // Two at a time, as a menu and a tip over it, five hundred times.
    for (int i = 0; i < 500; ++i) {
        HWND menu = PopUp(40 + i % 7);
        HWND tip = PopUp(300);
        EXPECT_NE(PlatformSdlWindowId(menu), PlatformSdlWindowId(tip));
        DestroyWindow(tip);
        DestroyWindow(menu);
    }
    EXPECT_LE(SdlWindows(), before + 2);
    DestroyWindow(main);
}

} // namespace
