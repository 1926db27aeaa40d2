// Creation and destruction: Win32's message order, creation parameters, failure answers and
// destruction from inside a handler.
#include "WindowTestSupport.h"

using namespace wintest;
using Names = std::vector<std::string>;

namespace {

class CreateDestroyTest : public WindowTest {};

TEST_F(CreateDestroyTest, ChildCreationSendsWin32Sequence) {
    HWND parent = CreateTop(0, 0, 200, 200);
    Log().Clear();
    HWND child = CreateChild(parent, 7, 10, 20, 50, 40, WS_CHILD);
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(Log().Messages(child),
              (std::vector<UINT>{WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE, WM_SIZE, WM_MOVE}));
    auto notes = Log().Find(WM_PARENTNOTIFY, parent);
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(LOWORD(notes[0].wParam), WM_CREATE);
    EXPECT_EQ(HIWORD(notes[0].wParam), 7);
    EXPECT_EQ(reinterpret_cast<HWND>(notes[0].lParam), child);
    auto size = Log().Find(WM_SIZE, child)[0];
    EXPECT_EQ(size.lParam, MAKELPARAM(50, 40));
    EXPECT_EQ(Log().Find(WM_MOVE, child)[0].lParam, MAKELPARAM(10, 20));
    EXPECT_FALSE(IsWindowVisible(child));
    EXPECT_EQ(GetDlgCtrlID(child), 7);
    EXPECT_EQ(GetDlgItem(parent, 7), child);
    EXPECT_EQ(GetParent(child), parent);
}

TEST_F(CreateDestroyTest, VisibleChildIsShownBeforeCreateReturns) {
    HWND parent = CreateTop(0, 0, 200, 200);
    Log().Clear();
    Log().SetCreationHandler([](HWND window, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (message == WM_CREATE) {
            EXPECT_FALSE(GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE);
        }
        return std::nullopt;
    });
    HWND child = CreateChild(parent, 1, 0, 0, 50, 40);
    Log().SetCreationHandler(nullptr);
    EXPECT_TRUE(IsWindowVisible(child));
    EXPECT_EQ(Log().Messages(child),
              (std::vector<UINT>{WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE, WM_SIZE, WM_MOVE, WM_SHOWWINDOW,
                                 WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED}));
}

TEST_F(CreateDestroyTest, HiddenOverlappedWindowGetsSizeAtFirstShow) {
    HWND window = CreateWindowExW(0, TestClass(), L"main", WS_OVERLAPPEDWINDOW, 10, 10, 300, 200, nullptr,
                                  nullptr, TestInstance(), nullptr);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(Log().Messages(window),
              (std::vector<UINT>{WM_GETMINMAXINFO, WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE}));
    Log().Clear();
    EXPECT_FALSE(ShowWindow(window, SW_SHOW));
    EXPECT_EQ(Log().Messages(window),
              (std::vector<UINT>{WM_SHOWWINDOW, WM_WINDOWPOSCHANGING, WM_ACTIVATEAPP, WM_NCACTIVATE,
                                 WM_ACTIVATE, WM_SETFOCUS, WM_WINDOWPOSCHANGED, WM_SIZE, WM_MOVE}));
    EXPECT_EQ(GetActiveWindow(), window);
    EXPECT_EQ(GetFocus(), window);
    Log().Clear();
    EXPECT_TRUE(ShowWindow(window, SW_SHOW));
    EXPECT_TRUE(Log().Messages(window).empty());
}

TEST_F(CreateDestroyTest, CreateParamsReachWmCreate) {
    int marker = 42;
    LPVOID seen = nullptr;
    HWND seenParent = nullptr;
    HWND parent = CreateTop(0, 0, 100, 100);
    Log().SetCreationHandler([&](HWND, UINT message, WPARAM, LPARAM lParam) -> std::optional<LRESULT> {
        if (message == WM_CREATE) {
            auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
            seen = create->lpCreateParams;
            seenParent = create->hwndParent;
            EXPECT_EQ(create->cx, 30);
            EXPECT_EQ(create->cy, 20);
            EXPECT_STREQ(create->lpszName, L"named");
        }
        return std::nullopt;
    });
    HWND child = CreateWindowExW(0, TestClass(), L"named", WS_CHILD, 1, 2, 30, 20, parent,
                                 reinterpret_cast<HMENU>(5), TestInstance(), &marker);
    Log().SetCreationHandler(nullptr);
    EXPECT_EQ(seen, &marker);
    EXPECT_EQ(seenParent, parent);
    wchar_t text[16];
    EXPECT_EQ(GetWindowTextW(child, text, 16), 5);
    EXPECT_STREQ(text, L"named");
}

TEST_F(CreateDestroyTest, WmCreateMinusOneDestroysTheWindow) {
    HWND parent = CreateTop(0, 0, 100, 100);
    HWND created = nullptr;
    Log().SetCreationHandler([&](HWND window, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
        created = window;
        if (message == WM_CREATE)
            return -1;
        return std::nullopt;
    });
    Log().Clear();
    EXPECT_EQ(CreateChild(parent, 1, 0, 0, 10, 10), nullptr);
    Log().SetCreationHandler(nullptr);
    EXPECT_EQ(Log().Messages(created),
              (std::vector<UINT>{WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE, WM_DESTROY, WM_NCDESTROY}));
    EXPECT_FALSE(IsWindow(created));
    EXPECT_EQ(GetWindow(parent, GW_CHILD), nullptr);
}

TEST_F(CreateDestroyTest, NcCreateFalseFailsWithNcDestroyOnly) {
    HWND created = nullptr;
    Log().SetCreationHandler([&](HWND window, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
        created = window;
        if (message == WM_NCCREATE)
            return FALSE;
        return std::nullopt;
    });
    EXPECT_EQ(CreateTop(0, 0, 10, 10), nullptr);
    Log().SetCreationHandler(nullptr);
    EXPECT_EQ(Log().Messages(created), (std::vector<UINT>{WM_NCCREATE, WM_NCDESTROY}));
    EXPECT_FALSE(IsWindow(created));
}

TEST_F(CreateDestroyTest, ChildWithoutParentFails) {
    EXPECT_EQ(
        CreateWindowExW(0, TestClass(), L"", WS_CHILD, 0, 0, 1, 1, nullptr, nullptr, TestInstance(), nullptr),
        nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_TLW_WITH_WSCHILD));
}

TEST_F(CreateDestroyTest, DestroyOrderIsParentFirstThenChildrenAndNcDestroyLast) {
    HWND top = CreateTop(0, 0, 200, 200);
    HWND a = CreateChild(top, 1, 0, 0, 50, 50);
    HWND a1 = CreateChild(a, 11, 0, 0, 10, 10);
    HWND b = CreateChild(top, 2, 60, 0, 50, 50);
    Log().Name(top, "top");
    Log().Name(a, "a");
    Log().Name(a1, "a1");
    Log().Name(b, "b");
    Log().Clear();
    EXPECT_TRUE(DestroyWindow(top));
    std::vector<std::string> destroys;
    for (const auto& item : Log().Named()) {
        if (item.find("DESTROY") != std::string::npos)
            destroys.push_back(item);
    }
    EXPECT_EQ(destroys, (Names{"top:WM_DESTROY", "a:WM_DESTROY", "a1:WM_DESTROY", "b:WM_DESTROY",
                               "a1:WM_NCDESTROY", "a:WM_NCDESTROY", "b:WM_NCDESTROY", "top:WM_NCDESTROY"}));
    for (HWND h : {top, a, a1, b})
        EXPECT_FALSE(IsWindow(h));
    EXPECT_FALSE(DestroyWindow(top));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    EXPECT_EQ(SendMessageW(a, WM_USER, 0, 0), 0);
}

TEST_F(CreateDestroyTest, DestroyingAVisibleChildHidesItAndNotifiesTheParent) {
    HWND top = CreateTop(0, 0, 200, 200);
    HWND child = CreateChild(top, 3, 0, 0, 50, 50);
    Log().Name(top, "top");
    Log().Name(child, "child");
    Log().Clear();
    DestroyWindow(child);
    EXPECT_EQ(Log().Named(),
              (Names{"top:WM_PARENTNOTIFY", "child:WM_SHOWWINDOW", "child:WM_WINDOWPOSCHANGING",
                     "child:WM_WINDOWPOSCHANGED", "child:WM_DESTROY", "child:WM_NCDESTROY"}));
}

TEST_F(CreateDestroyTest, DestroyReleasesFocusAndCapture) {
    HWND top = CreateTop(0, 0, 200, 200);
    HWND child = CreateChild(top, 3, 0, 0, 50, 50, WS_CHILD); // hidden: no hiding on the way
    SetFocus(child);
    SetCapture(child);
    Log().Name(top, "top");
    Log().Name(child, "child");
    Log().Clear();
    DestroyWindow(child);
    EXPECT_EQ(Log().Named(), (Names{"top:WM_PARENTNOTIFY", "child:WM_KILLFOCUS", "top:WM_SETFOCUS",
                                    "child:WM_CAPTURECHANGED", "child:WM_DESTROY", "child:WM_NCDESTROY"}));
    EXPECT_EQ(GetFocus(), top);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(CreateDestroyTest, OwnedPopupsGoWithTheirOwner) {
    HWND owner = CreateTop(0, 0, 200, 200);
    HWND popup = CreateTop(10, 10, 50, 50, WS_POPUP | WS_VISIBLE, nullptr, 0, owner);
    EXPECT_EQ(GetWindow(popup, GW_OWNER), owner);
    EXPECT_EQ(GetParent(popup), owner);
    EXPECT_EQ(GetAncestor(popup, GA_PARENT), GetDesktopWindow());
    Log().Name(owner, "owner");
    Log().Name(popup, "popup");
    Log().Clear();
    DestroyWindow(owner);
    EXPECT_FALSE(IsWindow(popup));
    Names destroys;
    for (const auto& item : Log().Named()) {
        if (item.find("DESTROY") != std::string::npos)
            destroys.push_back(item);
    }
    EXPECT_EQ(destroys,
              (Names{"popup:WM_DESTROY", "popup:WM_NCDESTROY", "owner:WM_DESTROY", "owner:WM_NCDESTROY"}));
}

TEST_F(CreateDestroyTest, DestroyingFromInsideAHandlerIsSafe) {
    HWND top = CreateTop(0, 0, 200, 200);
    HWND child = CreateChild(top, 1, 0, 0, 100, 100);
    int afterDestroy = 0;
    Log().SetHandler(child, [&](HWND window, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (message == WM_LBUTTONDOWN) {
            DestroyWindow(GetParent(window));
            // The window and its parent are gone; asking about them is safe.
            afterDestroy = IsWindow(window) + IsWindow(GetParent(window)) + 1;
            return 0;
        }
        if (message == WM_DESTROY)
            DestroyWindow(window); // a second destruction from WM_DESTROY does nothing more
        return std::nullopt;
    });
    PlatformClick(10, 10);
    PlatformRunUntilIdle();
    EXPECT_EQ(afterDestroy, 1);
    EXPECT_FALSE(IsWindow(top));
    EXPECT_EQ(Log().Find(WM_NCDESTROY, child).size(), 1u);
    EXPECT_EQ(Log().Find(WM_LBUTTONUP).size(), 0u);
}

TEST_F(CreateDestroyTest, WmCloseDestroysThroughDefWindowProc) {
    HWND top = CreateTop(0, 0, 20, 20);
    PostMessageW(top, WM_CLOSE, 0, 0);
    PlatformRunUntilIdle();
    EXPECT_FALSE(IsWindow(top));
}

} // namespace
