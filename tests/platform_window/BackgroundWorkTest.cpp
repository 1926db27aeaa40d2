// Messages posted from other threads, and the headless loop's wait for announced background work.
#include "WindowTestSupport.h"

#include <platform/background.h>

#include <chrono>
#include <thread>

using namespace wintest;

namespace {

class BackgroundWorkTest : public WindowTest {};

TEST_F(BackgroundWorkTest, MessagesOfAnotherThreadJoinTheQueueInTheOrderPosted) {
    HWND top = CreateTop(0, 0, 50, 50);
    PlatformRunUntilIdle();
    Log().Clear();
    PostMessageW(top, WM_USER + 1, 1, 0);
    std::thread worker([top] {
        PostMessageW(top, WM_USER + 1, 2, 0);
        PostMessageW(top, WM_USER + 1, 3, 0);
    });
    worker.join();
    PostMessageW(top, WM_USER + 1, 4, 0);
    MSG msg;
    std::vector<WPARAM> order;
    while (PeekMessageW(&msg, nullptr, WM_USER + 1, WM_USER + 1, PM_REMOVE))
        order.push_back(msg.wParam);
    // One queue for all threads: in the order the messages were posted.
    EXPECT_EQ(order, (std::vector<WPARAM>{1, 2, 3, 4}));
}

TEST_F(BackgroundWorkTest, TheHeadlessLoopWaitsForAnnouncedWorkAndItsMessages) {
    HWND top = CreateTop(0, 0, 50, 50);
    PlatformRunUntilIdle();
    Log().Clear();
    PlatformBeginBackgroundWork();
    EXPECT_EQ(PlatformBackgroundWork(), 1);
    std::thread worker([top] {
        for (WPARAM i = 1; i <= 3; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            PostMessageW(top, WM_USER + 2, i, 0);
        }
        PlatformEndBackgroundWork();
    });
    EXPECT_TRUE(PlatformRunUntilIdle());
    worker.join();
    EXPECT_EQ(PlatformBackgroundWork(), 0);
    std::vector<LoggedMessage> got = Log().Find(WM_USER + 2, top);
    ASSERT_EQ(got.size(), 3u) << "the loop called the program idle before the work ended";
    EXPECT_EQ(got[2].wParam, 3u);
}

TEST_F(BackgroundWorkTest, AMessageForAWindowThatWentAwayIsDropped) {
    HWND gone = CreateTop(0, 0, 50, 50);
    HWND stays = CreateTop(60, 0, 50, 50);
    PlatformRunUntilIdle();
    Log().Clear();
    std::thread worker([gone, stays] {
        PostMessageW(gone, WM_USER + 3, 1, 0);
        PostMessageW(stays, WM_USER + 3, 2, 0);
        // Nothing but a window can be the target from another thread.
        EXPECT_FALSE(PostMessageW(nullptr, WM_USER + 3, 3, 0));
    });
    worker.join();
    DestroyWindow(gone);
    PlatformRunUntilIdle();
    std::vector<LoggedMessage> got = Log().Find(WM_USER + 3);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].window, stays);
}

TEST_F(BackgroundWorkTest, ANewHeadlessScreenDropsWhatOtherThreadsPostedForTheOldOne) {
    HWND top = CreateTop(0, 0, 50, 50);
    std::thread worker([top] { PostMessageW(top, WM_USER + 4, 1, 0); });
    worker.join();
    PlatformStartHeadless(320, 240);
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_USER + 4, WM_USER + 4, PM_REMOVE));
}

} // namespace
