// The message loop: posted messages, retrieval order, PeekMessage, WM_QUIT, timers and the
// virtual clock of the headless screen.
#include "WindowTestSupport.h"

using namespace wintest;

namespace {

class MessageLoopTest : public WindowTest {};

std::vector<UINT_PTR> timerProcCalls;

void CALLBACK TimerProc(HWND, UINT, UINT_PTR id, DWORD) {
    timerProcCalls.push_back(id);
}

TEST_F(MessageLoopTest, PostedMessagesComeInOrderBeforePainting) {
    HWND top = CreateTop(0, 0, 50, 50);
    PlatformRunUntilIdle();
    InvalidateRect(top, nullptr, TRUE);
    PostMessageW(top, WM_USER + 1, 1, 0);
    PostMessageW(top, WM_USER + 2, 2, 0);
    PostMessageW(nullptr, WM_USER + 3, 3, 0);
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 1));
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_USER + 2, WM_USER + 2, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 2u);
    ASSERT_TRUE(GetMessageW(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 1));
    EXPECT_EQ(msg.hwnd, top);
    ASSERT_TRUE(GetMessageW(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 3));
    EXPECT_EQ(msg.hwnd, nullptr);
    ASSERT_TRUE(GetMessageW(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_PAINT));
    DispatchMessageW(&msg);
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessageLoopTest, QuitEndsTheLoopAfterPostedMessages) {
    HWND top = CreateTop(0, 0, 50, 50);
    PostQuitMessage(3);
    PostMessageW(top, WM_USER, 0, 0);
    MSG msg;
    EXPECT_TRUE(GetMessageW(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER));
    EXPECT_FALSE(GetMessageW(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(msg.wParam, 3u);
    int code = 0;
    PostQuitMessage(4);
    EXPECT_FALSE(PlatformRunUntilIdle(&code));
    EXPECT_EQ(code, 4);
}

TEST_F(MessageLoopTest, AnIdleHeadlessLoopEndsInsteadOfHanging) {
    CreateTop(0, 0, 50, 50);
    MSG msg;
    int handled = 0;
    while (GetMessageW(&msg, nullptr, 0, 0)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
        ++handled;
    }
    EXPECT_GT(handled, 0); // the first painting
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
}

TEST_F(MessageLoopTest, TheIdleHandlerFeedsTheLoop) {
    HWND top = CreateTop(0, 0, 50, 50);
    int fed = 0;
    PlatformSetIdleHandler([&] {
        if (fed == 3)
            return false;
        ++fed;
        PostMessageW(top, WM_USER, static_cast<WPARAM>(fed), 0);
        return true;
    });
    MSG msg;
    std::vector<WPARAM> seen;
    while (GetMessageW(&msg, nullptr, 0, 0)) {
        if (msg.message == WM_USER)
            seen.push_back(msg.wParam);
        DispatchMessageW(&msg);
    }
    PlatformSetIdleHandler(nullptr);
    EXPECT_EQ(seen, (std::vector<WPARAM>{1, 2, 3}));
}

TEST_F(MessageLoopTest, TimersFireOnTheVirtualClock) {
    HWND top = CreateTop(0, 0, 50, 50);
    PlatformRunUntilIdle();
    EXPECT_EQ(SetTimer(top, 7, 100, nullptr), 7u);
    timerProcCalls.clear();
    UINT_PTR thread = SetTimer(nullptr, 0, 250, TimerProc);
    EXPECT_NE(thread, 0u);
    PlatformRunUntilIdle();
    EXPECT_TRUE(Log().Find(WM_TIMER, top).empty());
    PlatformAdvanceClock(99);
    EXPECT_TRUE(Log().Find(WM_TIMER, top).empty());
    PlatformAdvanceClock(1);
    ASSERT_EQ(Log().Find(WM_TIMER, top).size(), 1u);
    EXPECT_EQ(Log().Find(WM_TIMER, top)[0].wParam, 7u);
    PlatformAdvanceClock(400);
    EXPECT_EQ(Log().Find(WM_TIMER, top).size(), 5u);
    EXPECT_EQ(timerProcCalls, (std::vector<UINT_PTR>{thread, thread}));
    EXPECT_TRUE(KillTimer(top, 7));
    EXPECT_FALSE(KillTimer(top, 7));
    PlatformAdvanceClock(1000);
    EXPECT_EQ(Log().Find(WM_TIMER, top).size(), 5u);
    EXPECT_TRUE(KillTimer(nullptr, thread));
    // GetMessageW waits for a timer by moving the clock, not by sleeping.
    SetTimer(top, 8, 5000, nullptr);
    DWORD before = PlatformClock();
    MSG msg;
    ASSERT_TRUE(GetMessageW(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_TIMER));
    EXPECT_EQ(PlatformClock() - before, 5000u);
    EXPECT_EQ(static_cast<DWORD>(GetMessageTime()), PlatformClock());
}

TEST_F(MessageLoopTest, TimersDieWithTheirWindow) {
    HWND top = CreateTop(0, 0, 50, 50);
    SetTimer(top, 1, 10, nullptr);
    PostMessageW(top, WM_USER, 0, 0);
    DestroyWindow(top);
    PlatformAdvanceClock(100);
    EXPECT_TRUE(Log().Find(WM_TIMER).empty());
    EXPECT_TRUE(Log().Find(WM_USER).empty());
    EXPECT_FALSE(PostMessageW(top, WM_USER, 0, 0));
}

TEST_F(MessageLoopTest, TheMessageHandlerSeesEveryMessageFirst) {
    HWND top = CreateTop(0, 0, 50, 50);
    std::vector<UINT> seen;
    PlatformSetMessageHandler([&](MSG& msg) {
        seen.push_back(msg.message);
        if (msg.message == WM_KEYDOWN)
            return; // eaten before dispatch, as a pre-message handler may do
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    });
    PlatformKeyPress('X');
    PlatformRunUntilIdle();
    PlatformSetMessageHandler(nullptr);
    EXPECT_NE(std::find(seen.begin(), seen.end(), static_cast<UINT>(WM_KEYDOWN)), seen.end());
    EXPECT_TRUE(Log().Find(WM_KEYDOWN, top).empty());
    EXPECT_TRUE(Log().Find(WM_CHAR, top).empty());
    EXPECT_EQ(Log().Find(WM_KEYUP, top).size(), 1u);
}

TEST_F(MessageLoopTest, TheTranslatedCharacterIsReadBeforeMessagesPostedEarlier) {
    HWND top = CreateTop(0, 0, 50, 50);
    PlatformRunUntilIdle();
    PostMessageW(top, WM_USER + 1, 0, 0);
    PostMessageW(top, WM_USER + 2, 0, 0);
    // A key-down as the loop would have taken it from the queue: its character is read the next
    // time the loop asks, ahead of what was already waiting.
    MSG key{top, WM_KEYDOWN, 'K', 1, 0, {0, 0}};
    EXPECT_TRUE(TranslateMessage(&key));
    std::vector<UINT> order;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_CHAR || msg.message >= WM_USER)
            order.push_back(msg.message);
        if (msg.message == WM_CHAR)
            EXPECT_EQ(msg.wParam, static_cast<WPARAM>(L'k'));
    }
    EXPECT_EQ(order, (std::vector<UINT>{WM_CHAR, WM_USER + 1, WM_USER + 2}));
}

} // namespace
