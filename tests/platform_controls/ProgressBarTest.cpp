// The "msctls_progress32" class: the answers of its messages (old values, limits), positions kept
// inside the range, the step that starts over, and the fill drawn in proportion, by blocks or
// smooth, across or upwards, in its own colours.
#include "ControlTestSupport.h"

using namespace wintest;
using namespace controltest;

namespace {

class ProgressBarTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        parent = CreateTop(100, 100, 400, 200);
        bar = Make(PBS_SMOOTH, 20, 20, 202, 22);
    }

    HWND Make(DWORD style, int x, int y, int width, int height) {
        HWND made = CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | WS_VISIBLE | style, x, y, width, height,
                                    parent, nullptr, nullptr, nullptr);
        EXPECT_NE(made, nullptr);
        return made;
    }
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) { return SendMessageW(bar, message, wParam, lParam); }
    // The bar's colour at a point inside its frame, after painting.
    COLORREF At(HWND window, int x, int y) {
        PlatformPaintAll();
        return PlatformWindowPixel(window, x, y);
    }

    HWND parent = nullptr;
    HWND bar = nullptr;
};

TEST_F(ProgressBarTest, StartsAtZeroOfAHundredAndAnswersTheOldValues) {
    EXPECT_EQ(Send(PBM_GETPOS), 0);
    EXPECT_EQ(Send(PBM_GETRANGE, TRUE), 0);
    EXPECT_EQ(Send(PBM_GETRANGE, FALSE), 100);
    EXPECT_EQ(Send(PBM_SETPOS, 30), 0);
    EXPECT_EQ(Send(PBM_SETPOS, 45), 30);
    EXPECT_EQ(Send(PBM_DELTAPOS, 5), 45);
    EXPECT_EQ(Send(PBM_GETPOS), 50);
    EXPECT_EQ(Send(PBM_SETSTEP, 7), 10);
    EXPECT_EQ(Send(PBM_GETSTEP), 7);
    // The old range comes back as two 16-bit halves, whichever message set it.
    EXPECT_EQ(Send(PBM_SETRANGE, 0, MAKELPARAM(10, 60)), MAKELONG(0, 100));
    EXPECT_EQ(Send(PBM_SETRANGE32, 5, 70000), MAKELONG(10, 60));
    EXPECT_EQ(Send(PBM_SETRANGE32, 0, 10), MAKELONG(5, static_cast<WORD>(70000)));
    PBRANGE range{-1, -1};
    EXPECT_EQ(Send(PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range)), 10);
    EXPECT_EQ(range.iLow, 0);
    EXPECT_EQ(range.iHigh, 10);
}

TEST_F(ProgressBarTest, PositionsStayInsideTheRangeAndARangeMovesThePositionIntoIt) {
    Send(PBM_SETRANGE32, 10, 20);
    EXPECT_EQ(Send(PBM_GETPOS), 10); // 0 was below the new range
    Send(PBM_SETPOS, 25);
    EXPECT_EQ(Send(PBM_GETPOS), 20);
    Send(PBM_SETPOS, static_cast<WPARAM>(-3));
    EXPECT_EQ(Send(PBM_GETPOS), 10);
    Send(PBM_SETPOS, 20);
    Send(PBM_DELTAPOS, 1);
    EXPECT_EQ(Send(PBM_GETPOS), 20);
    Send(PBM_DELTAPOS, static_cast<WPARAM>(-4));
    EXPECT_EQ(Send(PBM_GETPOS), 16);
    Send(PBM_SETRANGE32, 0, 12);
    EXPECT_EQ(Send(PBM_GETPOS), 12);
    // A range of millions, as a count of rows gives.
    Send(PBM_SETRANGE32, 0, 30000000);
    Send(PBM_SETPOS, 29999999);
    EXPECT_EQ(Send(PBM_GETPOS), 29999999);
}

TEST_F(ProgressBarTest, StepItGoesOnByTheStepAndStartsOverPastTheTop) {
    Send(PBM_SETRANGE32, 0, 100);
    Send(PBM_SETSTEP, 40);
    EXPECT_EQ(Send(PBM_STEPIT), 0);
    EXPECT_EQ(Send(PBM_STEPIT), 40);
    EXPECT_EQ(Send(PBM_GETPOS), 80);
    EXPECT_EQ(Send(PBM_STEPIT), 80);
    EXPECT_EQ(Send(PBM_GETPOS), 20);
    // Exactly at the top is not past it.
    Send(PBM_SETPOS, 60);
    Send(PBM_STEPIT);
    EXPECT_EQ(Send(PBM_GETPOS), 100);
}

TEST_F(ProgressBarTest, TheFillFollowsThePositionInProportion) {
    // 200 pixels inside the frame: a position of a quarter fills 50 of them.
    Send(PBM_SETBARCOLOR, 0, RGB(255, 0, 0));
    Send(PBM_SETBKCOLOR, 0, RGB(0, 0, 255));
    Send(PBM_SETRANGE32, 1000, 1400);
    Send(PBM_SETPOS, 1100);
    EXPECT_TRUE(Near(At(bar, 2, 10), RGB(255, 0, 0)));
    EXPECT_TRUE(Near(At(bar, 49, 10), RGB(255, 0, 0)));
    EXPECT_TRUE(Near(At(bar, 53, 10), RGB(0, 0, 255)));
    EXPECT_TRUE(Near(At(bar, 190, 10), RGB(0, 0, 255)));
    Send(PBM_SETPOS, 1400);
    EXPECT_TRUE(Near(At(bar, 199, 10), RGB(255, 0, 0)));
    Send(PBM_SETPOS, 1000);
    EXPECT_TRUE(Near(At(bar, 2, 10), RGB(0, 0, 255)));
    // CLR_DEFAULT gives the system's colours back, and the old colour is the answer.
    EXPECT_EQ(static_cast<COLORREF>(Send(PBM_SETBARCOLOR, 0, CLR_DEFAULT)), RGB(255, 0, 0));
    EXPECT_EQ(static_cast<COLORREF>(Send(PBM_GETBARCOLOR)), static_cast<COLORREF>(CLR_DEFAULT));
    Send(PBM_SETBKCOLOR, 0, CLR_DEFAULT);
    Send(PBM_SETPOS, 1200);
    EXPECT_TRUE(Near(At(bar, 20, 10), GetSysColor(COLOR_HIGHLIGHT), 8));
    EXPECT_TRUE(Near(At(bar, 150, 10), GetSysColor(COLOR_3DFACE), 8));
}

TEST_F(ProgressBarTest, WithoutSmoothTheFillIsARowOfBlocksAndVerticalFillsUpwards) {
    HWND blocks = Make(0, 20, 60, 202, 32);
    SendMessageW(blocks, PBM_SETBARCOLOR, 0, RGB(255, 0, 0));
    SendMessageW(blocks, PBM_SETBKCOLOR, 0, RGB(0, 0, 255));
    SendMessageW(blocks, PBM_SETPOS, 50, 0);
    // Blocks of 20 pixels (two thirds of 30) with gaps of 2: the gap after the first block shows
    // the background, and nothing is drawn past the half.
    EXPECT_TRUE(Near(At(blocks, 10, 15), RGB(255, 0, 0)));
    EXPECT_TRUE(Near(At(blocks, 22, 15), RGB(0, 0, 255)));
    EXPECT_TRUE(Near(At(blocks, 30, 15), RGB(255, 0, 0)));
    EXPECT_TRUE(Near(At(blocks, 160, 15), RGB(0, 0, 255)));

    HWND upright = Make(PBS_VERTICAL | PBS_SMOOTH, 260, 20, 22, 102);
    SendMessageW(upright, PBM_SETBARCOLOR, 0, RGB(255, 0, 0));
    SendMessageW(upright, PBM_SETBKCOLOR, 0, RGB(0, 0, 255));
    SendMessageW(upright, PBM_SETPOS, 30, 0);
    EXPECT_TRUE(Near(At(upright, 10, 95), RGB(255, 0, 0)));
    EXPECT_TRUE(Near(At(upright, 10, 20), RGB(0, 0, 255)));
}

TEST_F(ProgressBarTest, AnEmptyOrUpsideDownRangeDrawsNoFillAndHoldsItsLowLimit) {
    Send(PBM_SETBARCOLOR, 0, RGB(255, 0, 0));
    Send(PBM_SETBKCOLOR, 0, RGB(0, 0, 255));
    Send(PBM_SETRANGE32, 50, 50);
    Send(PBM_SETPOS, 80);
    EXPECT_EQ(Send(PBM_GETPOS), 50);
    EXPECT_TRUE(Near(At(bar, 100, 10), RGB(0, 0, 255)));
    Send(PBM_SETRANGE32, 50, 10);
    Send(PBM_SETPOS, 30);
    EXPECT_EQ(Send(PBM_GETPOS), 50);
    EXPECT_TRUE(Near(At(bar, 100, 10), RGB(0, 0, 255)));
}

} // namespace
