// The clock: SYSTEMTIME fields agree with the C library's view of now.
#include <platform/winbase.h>

#include <gtest/gtest.h>

#include <ctime>

namespace {

TEST(Clock, SystemTimeIsUtcAndLocalTimeFollowsTheTimeZone) {
    std::time_t before = std::time(nullptr);
    SYSTEMTIME utc{}, local{};
    GetSystemTime(&utc);
    GetLocalTime(&local);
    std::time_t after = std::time(nullptr);

    std::tm expectedUtc{}, expectedLocal{};
    gmtime_r(&before, &expectedUtc);
    localtime_r(&before, &expectedLocal);
    if (before == after) { // the second did not roll over between the calls
        EXPECT_EQ(utc.wYear, expectedUtc.tm_year + 1900);
        EXPECT_EQ(utc.wMonth, expectedUtc.tm_mon + 1);
        EXPECT_EQ(utc.wDay, expectedUtc.tm_mday);
        EXPECT_EQ(utc.wDayOfWeek, expectedUtc.tm_wday);
        EXPECT_EQ(utc.wHour, expectedUtc.tm_hour);
        EXPECT_EQ(local.wHour, expectedLocal.tm_hour);
        EXPECT_EQ(local.wDay, expectedLocal.tm_mday);
    }
    EXPECT_LT(utc.wMilliseconds, 1000);
    EXPECT_LT(local.wMinute, 60);
    GetLocalTime(nullptr); // tolerated
}

} // namespace
