// Critical sections: recursive for the owner, exclusive between threads.
#include <platform/winbase.h>

#include <gtest/gtest.h>

#include <thread>

namespace {

TEST(CriticalSection, OwnerMayEnterAgainAndOtherThreadsWait) {
    CRITICAL_SECTION section;
    InitializeCriticalSection(&section);
    EnterCriticalSection(&section);
    EXPECT_TRUE(TryEnterCriticalSection(&section)); // recursive
    LeaveCriticalSection(&section);

    BOOL otherGotIt = TRUE;
    std::thread([&] { otherGotIt = TryEnterCriticalSection(&section); }).join();
    EXPECT_FALSE(otherGotIt);
    LeaveCriticalSection(&section);

    long counter = 0;
    LONG volatile interlocked = 0;
    auto work = [&] {
        for (int i = 0; i < 10000; ++i) {
            EnterCriticalSection(&section);
            ++counter;
            LeaveCriticalSection(&section);
            InterlockedIncrement(&interlocked);
        }
    };
    std::thread a(work), b(work);
    a.join();
    b.join();
    EXPECT_EQ(counter, 20000);
    EXPECT_EQ(interlocked, 20000);
    EXPECT_EQ(InterlockedDecrement(&interlocked), 19999);
    DeleteCriticalSection(&section);
}

} // namespace
