// The "Button" class: clicks and their notification, the pressed and disabled looks, the parent's
// brush around the face, fonts, and a subclass that draws over the ordinary painting.
#include "ControlTestSupport.h"

using namespace wintest;
using namespace controltest;

namespace {

class ButtonTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        parent = CreateTop(100, 100, 300, 200);
        button = CreateWindowExW(0, L"Button", L"OK", WS_CHILD | WS_VISIBLE, 20, 20, 100, 30, parent,
                                 reinterpret_cast<HMENU>(42), nullptr, nullptr);
        ASSERT_NE(button, nullptr);
        PlatformRunUntilIdle();
        Log().Clear();
    }

    POINT At(int x, int y) { return ScreenPoint(button, x, y); }

    HWND parent = nullptr;
    HWND button = nullptr;
};

TEST_F(ButtonTest, PressAndReleaseInsideSendsClickedWithIdAndHandle) {
    POINT p = At(50, 15);
    PlatformClick(p.x, p.y);
    PlatformRunUntilIdle();
    auto commands = Log().Find(WM_COMMAND, parent);
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0].wParam, MAKEWPARAM(42, BN_CLICKED));
    EXPECT_EQ(reinterpret_cast<HWND>(commands[0].lParam), button);
    EXPECT_EQ(GetFocus(), button);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(ButtonTest, ReleaseOutsideCancelsAndComingBackClicks) {
    POINT in = At(50, 15);
    POINT out = At(200, 15);
    PlatformMouseDown(in.x, in.y);
    PlatformMouseUp(out.x, out.y);
    PlatformRunUntilIdle();
    EXPECT_TRUE(CommandCodes(parent, button).empty());

    PlatformMouseDown(in.x, in.y);
    PlatformMouseMove(out.x, out.y);
    PlatformRunUntilIdle();
    EXPECT_EQ(SendMessageW(button, BM_GETSTATE, 0, 0) & BST_PUSHED, 0);
    PlatformMouseMove(in.x + 1, in.y);
    PlatformRunUntilIdle();
    EXPECT_NE(SendMessageW(button, BM_GETSTATE, 0, 0) & BST_PUSHED, 0);
    PlatformMouseUp(in.x + 1, in.y);
    PlatformRunUntilIdle();
    EXPECT_EQ(CommandCodes(parent, button), std::vector<WORD>{BN_CLICKED});
}

TEST_F(ButtonTest, SpaceKeyAndBmClickAlsoClick) {
    SetFocus(button);
    PlatformKeyPress(VK_SPACE);
    PlatformRunUntilIdle();
    SendMessageW(button, BM_CLICK, 0, 0);
    EXPECT_EQ(CommandCodes(parent, button), (std::vector<WORD>{BN_CLICKED, BN_CLICKED}));
}

TEST_F(ButtonTest, DisabledButtonIgnoresClicksAndGreysItsCaption) {
    EnableWindow(button, FALSE);
    POINT p = At(50, 15);
    PlatformClick(p.x, p.y);
    PlatformRunUntilIdle();
    EXPECT_TRUE(CommandCodes(parent, button).empty());
    RECT caption{30, 5, 70, 25};
    EXPECT_TRUE(AnyPixel(button, caption, GetSysColor(COLOR_GRAYTEXT), 30));
    EXPECT_FALSE(AnyPixel(button, caption, GetSysColor(COLOR_BTNTEXT), 30));
}

TEST_F(ButtonTest, DrawsParentBrushAroundTheFaceAndTheCaption) {
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    Log().SetHandler(parent, [&](HWND, UINT message, WPARAM, LPARAM lParam) -> std::optional<LRESULT> {
        if (message == WM_CTLCOLORBTN && reinterpret_cast<HWND>(lParam) == button)
            return reinterpret_cast<LRESULT>(red);
        return std::nullopt;
    });
    InvalidateRect(button, nullptr, TRUE);
    PlatformPaintAll();
    EXPECT_EQ(PlatformWindowPixel(button, 0, 0), RGB(255, 0, 0));
    EXPECT_EQ(PlatformWindowPixel(button, 99, 29), RGB(255, 0, 0));
    EXPECT_EQ(PlatformWindowPixel(button, 1, 15), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(PlatformWindowPixel(button, 10, 15), GetSysColor(COLOR_BTNFACE));
    EXPECT_TRUE(AnyPixel(button, RECT{35, 5, 65, 25}, GetSysColor(COLOR_BTNTEXT), 40));
    // Nothing of the caption strays to the edges: it is centred.
    EXPECT_FALSE(AnyPixel(button, RECT{5, 5, 25, 25}, GetSysColor(COLOR_BTNTEXT), 40));
    EXPECT_EQ(Log().Find(WM_CTLCOLORBTN, parent).size(), 1u);
    ASSERT_TRUE(PlatformSaveWindowPng(parent, OutputPath("button.png")));

    // Held down: the sunken face.
    POINT p = At(50, 15);
    PlatformMouseDown(p.x, p.y);
    PlatformRunUntilIdle();
    EXPECT_EQ(PlatformWindowPixel(button, 10, 15), GetSysColor(COLOR_3DLIGHT));
    EXPECT_EQ(PlatformWindowPixel(button, 1, 15), GetSysColor(COLOR_3DDKSHADOW));
    PlatformMouseUp(p.x, p.y);
    PlatformRunUntilIdle();
    Log().SetHandler(parent, nullptr);
    DestroyWindow(parent);
    DeleteObject(red);
}

TEST_F(ButtonTest, FontIsKeptAndUsed) {
    EXPECT_EQ(SendMessageW(button, WM_GETFONT, 0, 0), 0);
    HFONT big = CreateFontW(-24, 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 0, L"WenQuanYi Micro Hei");
    SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(big), TRUE);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(button, WM_GETFONT, 0, 0)), big);
    PlatformRunUntilIdle();
    // A 24-pixel caption reaches rows that the default font leaves empty.
    EXPECT_TRUE(AnyPixel(button, RECT{30, 4, 70, 8}, GetSysColor(COLOR_BTNTEXT), 60));
    DestroyWindow(parent);
    DeleteObject(big);
}

WNDPROC ordinaryProc = nullptr;

LRESULT CALLBACK DrawOverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_PAINT)
        return CallWindowProcW(ordinaryProc, window, message, wParam, lParam);
    // The drop-down buttons' way: the ordinary painting first, then a mark over it.
    LRESULT result = CallWindowProcW(ordinaryProc, window, message, wParam, lParam);
    HDC dc = GetDC(window);
    RECT mark{80, 10, 90, 20};
    HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
    FillRect(dc, &mark, blue);
    DeleteObject(blue);
    ReleaseDC(window, dc);
    return result;
}

TEST_F(ButtonTest, SubclassDrawsOverTheOrdinaryPainting) {
    ordinaryProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&DrawOverProc)));
    InvalidateRect(button, nullptr, TRUE);
    PlatformRunUntilIdle();
    EXPECT_EQ(PlatformWindowPixel(button, 85, 15), RGB(0, 0, 255));
    EXPECT_EQ(PlatformWindowPixel(button, 10, 15), GetSysColor(COLOR_BTNFACE));
    EXPECT_TRUE(AnyPixel(button, RECT{35, 5, 65, 25}, GetSysColor(COLOR_BTNTEXT), 40));
    // The subclassed button still clicks.
    POINT p = At(50, 15);
    PlatformClick(p.x, p.y);
    PlatformRunUntilIdle();
    EXPECT_EQ(CommandCodes(parent, button), std::vector<WORD>{BN_CLICKED});
    DestroyWindow(parent);
}

} // namespace
