// Showing, moving, sizing and stacking; rectangles, coordinate mapping and the window tree.
#include "WindowTestSupport.h"

using namespace wintest;

namespace {

class ShowAndPositionTest : public WindowTest {};

TEST_F(ShowAndPositionTest, ShowWindowReportsThePreviousStateAndSendsShowWindowOnlyOnChange) {
    HWND top = CreateTop(0, 0, 200, 200);
    HWND child = CreateChild(top, 1, 0, 0, 20, 20, WS_CHILD);
    Log().Clear();
    EXPECT_FALSE(ShowWindow(child, SW_SHOW));
    EXPECT_TRUE(ShowWindow(child, SW_SHOW));
    EXPECT_EQ(Log().Find(WM_SHOWWINDOW, child).size(), 1u);
    EXPECT_EQ(Log().Messages(child),
              (std::vector<UINT>{WM_SHOWWINDOW, WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED}));
    Log().Clear();
    EXPECT_TRUE(ShowWindow(child, SW_HIDE));
    EXPECT_FALSE(ShowWindow(child, SW_HIDE));
    EXPECT_EQ(Log().Messages(child),
              (std::vector<UINT>{WM_SHOWWINDOW, WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED}));
    EXPECT_EQ(Log().Find(WM_SHOWWINDOW, child)[0].wParam, static_cast<WPARAM>(FALSE));
}

TEST_F(ShowAndPositionTest, VisibilityNeedsEveryAncestor) {
    HWND top = CreateTop(0, 0, 200, 200, WS_POPUP);
    HWND child = CreateChild(top, 1, 0, 0, 20, 20);
    EXPECT_TRUE(GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE);
    EXPECT_FALSE(IsWindowVisible(child));
    Log().Clear();
    // Under a hidden parent ShowWindow only toggles the style.
    ShowWindow(child, SW_HIDE);
    EXPECT_EQ(Log().Messages(child), (std::vector<UINT>{WM_SHOWWINDOW}));
    ShowWindow(child, SW_SHOW);
    ShowWindow(top, SW_SHOWNOACTIVATE);
    EXPECT_TRUE(IsWindowVisible(child));
    EXPECT_EQ(GetActiveWindow(), nullptr);
}

TEST_F(ShowAndPositionTest, SetWindowPosSendsChangingChangedMoveAndSize) {
    HWND top = CreateTop(0, 0, 300, 300);
    HWND child = CreateChild(top, 1, 10, 10, 50, 50);
    Log().Clear();
    WINDOWPOS changing{};
    WINDOWPOS changed{};
    Log().SetHandler(child, [&](HWND, UINT message, WPARAM, LPARAM lParam) -> std::optional<LRESULT> {
        if (message == WM_WINDOWPOSCHANGING)
            changing = *reinterpret_cast<WINDOWPOS*>(lParam);
        if (message == WM_WINDOWPOSCHANGED)
            changed = *reinterpret_cast<WINDOWPOS*>(lParam);
        return std::nullopt;
    });
    EXPECT_TRUE(SetWindowPos(child, nullptr, 20, 30, 60, 70, SWP_NOZORDER | SWP_NOACTIVATE));
    EXPECT_EQ(Log().Messages(child), (std::vector<UINT>{WM_WINDOWPOSCHANGING, WM_NCCALCSIZE,
                                                        WM_WINDOWPOSCHANGED, WM_MOVE, WM_SIZE}));
    EXPECT_EQ(changing.x, 20);
    EXPECT_EQ(changing.cy, 70);
    EXPECT_EQ(changed.flags & (SWP_NOMOVE | SWP_NOSIZE), 0u);
    EXPECT_EQ(Log().Find(WM_MOVE, child)[0].lParam, MAKELPARAM(20, 30));
    EXPECT_EQ(Log().Find(WM_SIZE, child)[0].lParam, MAKELPARAM(60, 70));
    RECT rect;
    GetWindowRect(child, &rect);
    EXPECT_EQ(rect.left, 20);
    EXPECT_EQ(rect.bottom, 100);

    // Only a move: no WM_NCCALCSIZE and no WM_SIZE.
    Log().Clear();
    MoveWindow(child, 5, 5, 60, 70, TRUE);
    EXPECT_EQ(Log().Messages(child), (std::vector<UINT>{WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED, WM_MOVE}));
    // Nothing changes: WM_WINDOWPOSCHANGED is not sent.
    Log().Clear();
    SetWindowPos(child, nullptr, 5, 5, 60, 70, SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(Log().Messages(child), (std::vector<UINT>{WM_WINDOWPOSCHANGING}));
}

TEST_F(ShowAndPositionTest, WindowPosChangingMayChangeTheOutcome) {
    HWND top = CreateTop(0, 0, 300, 300);
    HWND child = CreateChild(top, 1, 10, 10, 50, 50);
    Log().SetHandler(child, [](HWND, UINT message, WPARAM, LPARAM lParam) -> std::optional<LRESULT> {
        if (message == WM_WINDOWPOSCHANGING) {
            auto* pos = reinterpret_cast<WINDOWPOS*>(lParam);
            pos->cx = std::min(pos->cx, 80);
        }
        return std::nullopt;
    });
    SetWindowPos(child, nullptr, 0, 0, 500, 40, SWP_NOZORDER | SWP_NOMOVE);
    RECT rect;
    GetClientRect(child, &rect);
    EXPECT_EQ(rect.right, 80);
    EXPECT_EQ(rect.bottom, 40);
}

TEST_F(ShowAndPositionTest, BordersMakeTheClientAreaSmaller) {
    HWND top = CreateTop(100, 50, 300, 300);
    HWND bordered = CreateChild(top, 1, 10, 20, 100, 60, WS_CHILD | WS_VISIBLE | WS_BORDER);
    HWND edged = CreateChild(top, 2, 10, 100, 100, 60, WS_CHILD | WS_VISIBLE, nullptr, WS_EX_CLIENTEDGE);
    RECT client;
    GetClientRect(bordered, &client);
    EXPECT_EQ(client.right, 98);
    EXPECT_EQ(client.bottom, 58);
    GetClientRect(edged, &client);
    EXPECT_EQ(client.right, 96);
    POINT p{0, 0};
    ClientToScreen(bordered, &p);
    EXPECT_EQ(p.x, 100 + 10 + 1);
    EXPECT_EQ(p.y, 50 + 20 + 1);
    ScreenToClient(bordered, &p);
    EXPECT_EQ(p.x, 0);
    RECT adjusted{0, 0, 98, 58};
    AdjustWindowRectEx(&adjusted, WS_CHILD | WS_BORDER, FALSE, 0);
    EXPECT_EQ(adjusted.right - adjusted.left, 100);
    POINT points[2] = {{0, 0}, {5, 5}};
    MapWindowPoints(bordered, edged, points, 2);
    EXPECT_EQ(points[0].x, 1 - 2);
    EXPECT_EQ(points[0].y, 20 + 1 - 100 - 2);
    POINT screen{0, 0};
    MapWindowPoints(top, nullptr, &screen, 1);
    EXPECT_EQ(screen.x, 100);
}

TEST_F(ShowAndPositionTest, TreeQueriesFollowZOrder) {
    HWND top = CreateTop(0, 0, 300, 300);
    HWND a = CreateChild(top, 1, 0, 0, 10, 10);
    HWND b = CreateChild(top, 2, 0, 0, 10, 10);
    HWND c = CreateChild(top, 3, 0, 0, 10, 10);
    // New children go to the bottom, so the first created is the first child.
    EXPECT_EQ(GetWindow(top, GW_CHILD), a);
    EXPECT_EQ(GetWindow(a, GW_HWNDNEXT), b);
    EXPECT_EQ(GetWindow(c, GW_HWNDPREV), b);
    EXPECT_EQ(GetWindow(b, GW_HWNDLAST), c);
    EXPECT_EQ(GetWindow(c, GW_HWNDNEXT), nullptr);
    SetWindowPos(c, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_EQ(GetWindow(top, GW_CHILD), c);
    SetWindowPos(c, a, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_EQ(GetWindow(a, GW_HWNDNEXT), c);
    HWND grandchild = CreateChild(b, 9, 0, 0, 5, 5);
    EXPECT_TRUE(IsChild(top, grandchild));
    EXPECT_FALSE(IsChild(b, a));
    EXPECT_EQ(GetAncestor(grandchild, GA_ROOT), top);
    EXPECT_EQ(GetAncestor(grandchild, GA_PARENT), b);
    EXPECT_EQ(GetDlgItem(top, 9), nullptr);
    int count = 0;
    EnumChildWindows(
        top,
        [](HWND, LPARAM counter) {
            ++*reinterpret_cast<int*>(counter);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
    EXPECT_EQ(count, 4);
}

TEST_F(ShowAndPositionTest, TopmostWindowsStayAboveAndOwnedWindowsAboveOwners) {
    HWND normal = CreateTop(0, 0, 100, 100);
    HWND topmost = CreateTop(0, 0, 100, 100, WS_POPUP | WS_VISIBLE, nullptr, WS_EX_TOPMOST);
    HWND later = CreateTop(0, 0, 100, 100);
    EXPECT_EQ(GetTopWindow(nullptr), topmost);
    EXPECT_EQ(GetWindow(topmost, GW_HWNDNEXT), later);
    HWND owned = CreateTop(0, 0, 50, 50, WS_POPUP | WS_VISIBLE, nullptr, 0, normal);
    SetActiveWindow(normal);
    EXPECT_EQ(GetWindow(topmost, GW_HWNDNEXT), owned);
    EXPECT_EQ(GetWindow(owned, GW_HWNDNEXT), normal);
    SetWindowPos(later, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    EXPECT_TRUE(GetWindowLongW(later, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(GetTopWindow(nullptr), later);
}

TEST_F(ShowAndPositionTest, WindowFromPointFindsTheDeepestVisibleEnabledWindow) {
    HWND top = CreateTop(100, 100, 300, 300);
    HWND panel = CreateChild(top, 1, 10, 10, 200, 200);
    HWND button = CreateChild(panel, 2, 20, 20, 50, 50);
    HWND hidden = CreateChild(panel, 3, 100, 20, 50, 50, WS_CHILD);
    HWND disabled = CreateChild(panel, 4, 20, 100, 50, 50, WS_CHILD | WS_VISIBLE | WS_DISABLED);
    (void)hidden;
    (void)disabled;
    EXPECT_EQ(WindowFromPoint(POINT{135, 135}), button);
    EXPECT_EQ(WindowFromPoint(POINT{215, 135}), panel);
    EXPECT_EQ(WindowFromPoint(POINT{135, 215}), panel);
    EXPECT_EQ(WindowFromPoint(POINT{105, 105}), top);
    EXPECT_EQ(WindowFromPoint(POINT{50, 50}), nullptr);
    EXPECT_EQ(ChildWindowFromPoint(panel, POINT{110, 30}), hidden);
    EXPECT_EQ(ChildWindowFromPointEx(panel, POINT{110, 30}, CWP_SKIPINVISIBLE), panel);
    EXPECT_EQ(ChildWindowFromPointEx(panel, POINT{30, 110}, CWP_SKIPDISABLED), panel);
    EXPECT_EQ(ChildWindowFromPointEx(panel, POINT{30, 110}, CWP_ALL), disabled);
    EXPECT_EQ(ChildWindowFromPoint(panel, POINT{500, 500}), nullptr);
}

TEST_F(ShowAndPositionTest, SetParentMovesAChildUnderAnotherParent) {
    HWND first = CreateTop(0, 0, 100, 100);
    HWND second = CreateTop(200, 0, 100, 100);
    HWND child = CreateChild(first, 1, 10, 10, 20, 20);
    EXPECT_EQ(SetParent(child, second), first);
    EXPECT_EQ(GetParent(child), second);
    EXPECT_EQ(GetWindow(first, GW_CHILD), nullptr);
    RECT rect;
    GetWindowRect(child, &rect);
    EXPECT_EQ(rect.left, 210);
    EXPECT_TRUE(IsWindowVisible(child));
}

} // namespace
