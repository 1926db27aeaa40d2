// Painting: update regions, WM_PAINT order, BeginPaint's answers, erasing with the class brush,
// children and WS_CLIPCHILDREN checked by pixels, and a screenshot of a small window tree.
#include "WindowTestSupport.h"

using namespace wintest;
using Names = std::vector<std::string>;

namespace {

constexpr COLORREF kRed = RGB(220, 30, 30);
constexpr COLORREF kGreen = RGB(30, 180, 60);
constexpr COLORREF kBlue = RGB(40, 60, 220);
constexpr COLORREF kYellow = RGB(240, 220, 40);

class PaintingTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        red = CreateSolidBrush(kRed);
        green = CreateSolidBrush(kGreen);
        blue = CreateSolidBrush(kBlue);
        yellow = CreateSolidBrush(kYellow);
    }
    void TearDown() override {
        WindowTest::TearDown();
        for (HBRUSH b : {red, green, blue, yellow})
            DeleteObject(b);
    }

    // Paints the whole client area with a brush in WM_PAINT.
    void PaintWith(HWND window, HBRUSH brush) {
        Log().SetHandler(window, [brush](HWND w, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
            if (message != WM_PAINT)
                return std::nullopt;
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(w, &ps);
            RECT client;
            GetClientRect(w, &client);
            FillRect(dc, &client, brush);
            EndPaint(w, &ps);
            return 0;
        });
    }

    std::vector<HWND> Painted() const {
        std::vector<HWND> out;
        for (const auto& e : MessageLog::Instance().Find(WM_PAINT))
            out.push_back(e.window);
        return out;
    }

    HBRUSH red = nullptr;
    HBRUSH green = nullptr;
    HBRUSH blue = nullptr;
    HBRUSH yellow = nullptr;
};

TEST_F(PaintingTest, ParentsPaintBeforeChildrenAndPaintingValidates) {
    HWND top = CreateTop(0, 0, 200, 200);
    HWND a = CreateChild(top, 1, 10, 10, 50, 50);
    HWND a1 = CreateChild(a, 2, 5, 5, 10, 10);
    HWND b = CreateChild(top, 3, 100, 10, 50, 50);
    PlatformRunUntilIdle();
    EXPECT_EQ(Painted(), (std::vector<HWND>{top, a, a1, b}));
    Log().Clear();
    PlatformRunUntilIdle();
    EXPECT_TRUE(Painted().empty());
}

TEST_F(PaintingTest, BeginPaintReportsTheUpdateRectangleAndTheErase) {
    HWND top = CreateTop(0, 0, 200, 200); // no class brush: erasing is left to the painter
    PlatformRunUntilIdle();
    PAINTSTRUCT seen{};
    Log().SetHandler(top, [&](HWND w, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (message != WM_PAINT)
            return std::nullopt;
        BeginPaint(w, &seen);
        EndPaint(w, &seen);
        return 0;
    });
    RECT area{10, 20, 30, 40};
    InvalidateRect(top, &area, TRUE);
    RECT more{25, 35, 60, 50};
    InvalidateRect(top, &more, FALSE);
    RECT update;
    EXPECT_TRUE(GetUpdateRect(top, &update, FALSE));
    EXPECT_EQ(update.left, 10);
    EXPECT_EQ(update.right, 60);
    Log().Clear();
    PlatformRunUntilIdle();
    EXPECT_EQ(Log().Messages(top), (std::vector<UINT>{WM_PAINT, WM_ERASEBKGND}));
    EXPECT_EQ(seen.rcPaint.left, 10);
    EXPECT_EQ(seen.rcPaint.top, 20);
    EXPECT_EQ(seen.rcPaint.right, 60);
    EXPECT_EQ(seen.rcPaint.bottom, 50);
    EXPECT_TRUE(seen.fErase);
    EXPECT_FALSE(GetUpdateRect(top, &update, FALSE));

    // A class brush erases: fErase is FALSE and the background has the brush's colour.
    HWND brushed = CreateTop(300, 0, 100, 100, WS_POPUP | WS_VISIBLE, TestClass(0, yellow));
    Log().SetHandler(brushed, [&](HWND w, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (message != WM_PAINT)
            return std::nullopt;
        BeginPaint(w, &seen);
        EndPaint(w, &seen);
        return 0;
    });
    PlatformRunUntilIdle();
    EXPECT_FALSE(seen.fErase);
    EXPECT_EQ(PlatformWindowPixel(brushed, 50, 50), kYellow);
    EXPECT_EQ(PlatformScreenPixel(350, 50), kYellow);
}

TEST_F(PaintingTest, ValidateRectUpdateWindowAndRedrawWindow) {
    HWND top = CreateTop(0, 0, 200, 200, WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN);
    HWND child = CreateChild(top, 1, 10, 10, 50, 50);
    PlatformRunUntilIdle();
    Log().Clear();
    InvalidateRect(top, nullptr, TRUE);
    ValidateRect(top, nullptr);
    PlatformRunUntilIdle();
    EXPECT_TRUE(Painted().empty());
    // WS_CLIPCHILDREN keeps the invalidation off the children.
    InvalidateRect(top, nullptr, FALSE);
    EXPECT_TRUE(UpdateWindow(top));
    EXPECT_EQ(Painted(), (std::vector<HWND>{top}));
    Log().Clear();
    RedrawWindow(top, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    EXPECT_EQ(Painted(), (std::vector<HWND>{top, child}));
    Log().Clear();
    RedrawWindow(top, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ERASENOW);
    EXPECT_EQ(Log().Messages(top), (std::vector<UINT>{WM_ERASEBKGND}));
    Log().Clear();
    PlatformRunUntilIdle();
    EXPECT_EQ(Painted(), (std::vector<HWND>{top}));
}

TEST_F(PaintingTest, RegionsAndInternalPaint) {
    HWND top = CreateTop(0, 0, 200, 200);
    PlatformRunUntilIdle();
    HRGN region = CreateRectRgn(10, 10, 20, 20);
    HRGN other = CreateRectRgn(50, 50, 60, 70);
    CombineRgn(region, region, other, RGN_OR);
    EXPECT_TRUE(InvalidateRgn(top, region, FALSE));
    HRGN update = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetUpdateRgn(top, update, FALSE), COMPLEXREGION);
    EXPECT_TRUE(EqualRgn(update, region));
    EXPECT_TRUE(ValidateRgn(top, other));
    RECT box;
    GetUpdateRect(top, &box, FALSE);
    EXPECT_EQ(box.right, 20);
    ValidateRect(top, nullptr);
    EXPECT_EQ(GetUpdateRgn(top, update, FALSE), NULLREGION);
    for (HRGN r : {region, other, update})
        DeleteObject(r);
    // An internal paint asks for WM_PAINT with an empty update region.
    Log().Clear();
    RedrawWindow(top, nullptr, nullptr, RDW_INTERNALPAINT);
    PlatformRunUntilIdle();
    EXPECT_EQ(Painted(), (std::vector<HWND>{top}));
}

TEST_F(PaintingTest, HiddenWindowsDoNotPaint) {
    HWND top = CreateTop(0, 0, 200, 200);
    HWND child = CreateChild(top, 1, 10, 10, 50, 50, WS_CHILD);
    PlatformRunUntilIdle();
    Log().Clear();
    InvalidateRect(child, nullptr, TRUE);
    PlatformRunUntilIdle();
    EXPECT_TRUE(Painted().empty());
    ShowWindow(child, SW_SHOW);
    PlatformRunUntilIdle();
    EXPECT_EQ(Painted(), (std::vector<HWND>{child}));
}

TEST_F(PaintingTest, ClipChildrenKeepsTheParentsPaintingOffItsChildren) {
    for (bool clip : {false, true}) {
        DWORD style = WS_POPUP | WS_VISIBLE | (clip ? WS_CLIPCHILDREN : 0);
        HWND top = CreateTop(0, 0, 200, 100, style);
        HWND child = CreateChild(top, 1, 50, 25, 100, 50);
        PaintWith(top, blue);
        PaintWith(child, green);
        PlatformRunUntilIdle();
        EXPECT_EQ(PlatformWindowPixel(top, 10, 10), kBlue);
        EXPECT_EQ(PlatformWindowPixel(top, 100, 50), kGreen);
        // Only the parent repaints: without WS_CLIPCHILDREN it paints over the child.
        RedrawWindow(top, nullptr, nullptr, RDW_INVALIDATE | RDW_NOCHILDREN | RDW_UPDATENOW);
        EXPECT_EQ(PlatformWindowPixel(top, 100, 50), clip ? kGreen : kBlue) << "clip " << clip;
        // An ordinary invalidation of a parent without WS_CLIPCHILDREN repaints the children too.
        InvalidateRect(top, nullptr, TRUE);
        PlatformRunUntilIdle();
        EXPECT_EQ(PlatformWindowPixel(top, 100, 50), kGreen);
        DestroyWindow(top);
    }
}

TEST_F(PaintingTest, MovingAChildRepaintsWhatItUncovers) {
    HWND top = CreateTop(0, 0, 200, 100, WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, TestClass(0, blue));
    HWND child = CreateChild(top, 1, 10, 10, 40, 40, WS_CHILD | WS_VISIBLE, TestClass(0, red));
    PlatformRunUntilIdle();
    EXPECT_EQ(PlatformWindowPixel(top, 20, 20), kRed);
    MoveWindow(child, 100, 10, 40, 40, TRUE);
    PlatformRunUntilIdle();
    EXPECT_EQ(PlatformWindowPixel(top, 20, 20), kBlue);
    EXPECT_EQ(PlatformWindowPixel(top, 110, 20), kRed);
    ShowWindow(child, SW_HIDE);
    PlatformRunUntilIdle();
    EXPECT_EQ(PlatformWindowPixel(top, 110, 20), kBlue);
}

TEST_F(PaintingTest, ClipSiblingsKeepsALowerSiblingOffAnUpperOne) {
    HWND top = CreateTop(0, 0, 200, 100, WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, TestClass(0, blue));
    HWND upper = CreateChild(top, 1, 10, 10, 60, 60, WS_CHILD | WS_VISIBLE, TestClass(0, red));
    HWND lower =
        CreateChild(top, 2, 40, 10, 60, 60, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, TestClass(0, green));
    PlatformRunUntilIdle();
    // The upper sibling (created first) covers the overlap; the lower one clips itself off it.
    EXPECT_EQ(PlatformWindowPixel(top, 50, 30), kRed);
    InvalidateRect(lower, nullptr, TRUE);
    PlatformRunUntilIdle();
    EXPECT_EQ(PlatformWindowPixel(top, 50, 30), kRed);
    EXPECT_EQ(PlatformWindowPixel(top, 90, 30), kGreen);
    (void)upper;
}

TEST_F(PaintingTest, BordersArePaintedAsTheNonClientArea) {
    HWND top = CreateTop(0, 0, 100, 100, WS_POPUP | WS_VISIBLE | WS_BORDER, TestClass(0, yellow));
    PlatformRunUntilIdle();
    EXPECT_EQ(PlatformWindowPixel(top, -1, -1), GetSysColor(COLOR_WINDOWFRAME));
    EXPECT_EQ(PlatformWindowPixel(top, 0, 0), kYellow);
}

TEST_F(PaintingTest, ScreenshotOfAWindowTree) {
    HWND back = CreateTop(20, 20, 300, 200, WS_POPUP | WS_VISIBLE | WS_BORDER | WS_CLIPCHILDREN,
                          TestClass(0, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)));
    HWND left =
        CreateChild(back, 1, 10, 10, 130, 170, WS_CHILD | WS_VISIBLE, TestClass(0, blue), WS_EX_CLIENTEDGE);
    CreateChild(left, 11, 10, 10, 60, 40, WS_CHILD | WS_VISIBLE | WS_BORDER, TestClass(0, yellow));
    CreateChild(back, 2, 150, 10, 130, 80, WS_CHILD | WS_VISIBLE, TestClass(0, green));
    HWND disabled = CreateChild(back, 3, 150, 100, 130, 80, WS_CHILD | WS_VISIBLE, TestClass(0, red));
    EnableWindow(disabled, FALSE);
    HWND popup =
        CreateTop(250, 150, 120, 60, WS_POPUP | WS_VISIBLE | WS_BORDER, TestClass(0, yellow), WS_EX_TOPMOST);
    PlatformRunUntilIdle();
    std::string screen = OutputPath("platform_window_tree.png");
    std::string window = OutputPath("platform_window_left.png");
    ASSERT_TRUE(PlatformSaveScreenPng(screen));
    ASSERT_TRUE(PlatformSaveWindowPng(left, window));
    EXPECT_EQ(PlatformScreenPixel(300, 180), kYellow); // the topmost pop-up covers the back window
    EXPECT_EQ(PlatformScreenPixel(200, 40), kGreen);
    EXPECT_EQ(PlatformScreenPixel(5, 5), GetSysColor(COLOR_DESKTOP));
    (void)popup;
}

} // namespace
