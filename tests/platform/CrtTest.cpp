// _wtof and _wtoi: Windows' reading rules, whatever the process locale.
#include <platform/wcrt.h>

#include <gtest/gtest.h>

#include <climits>
#include <clocale>
#include <cmath>

namespace {

TEST(Crt, WtofReadsTheLongestNumberPrefix) {
    EXPECT_DOUBLE_EQ(_wtof(L"12.5%"), 12.5);
    EXPECT_DOUBLE_EQ(_wtof(L"  -1.20%"), -1.2);
    EXPECT_DOUBLE_EQ(_wtof(L"1.20万"), 1.2);
    EXPECT_DOUBLE_EQ(_wtof(L"1e3x"), 1000);
    EXPECT_DOUBLE_EQ(_wtof(L"+.5"), 0.5);
    EXPECT_EQ(_wtof(L"--"), 0);
    EXPECT_EQ(_wtof(L""), 0);
    EXPECT_EQ(_wtof(nullptr), 0);
    EXPECT_EQ(_wtof(L"股票"), 0);
    EXPECT_TRUE(std::isinf(_wtof(L"1e999")));
    EXPECT_TRUE(std::isnan(_wtof(L"nan")));
}

TEST(Crt, WtofIgnoresTheProcessLocale) {
    // A locale with a decimal comma must not change how "0.5" reads.
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    std::string saved = previous != nullptr ? previous : "C";
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr)
        GTEST_SKIP() << "no German locale installed";
    EXPECT_DOUBLE_EQ(_wtof(L"0.5"), 0.5);
    std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(Crt, WtoiSaturatesAndStopsAtTheFirstNonDigit) {
    EXPECT_EQ(_wtoi(L" 42abc"), 42);
    EXPECT_EQ(_wtoi(L"-17"), -17);
    EXPECT_EQ(_wtoi(L"+8"), 8);
    EXPECT_EQ(_wtoi(L"3.9"), 3);
    EXPECT_EQ(_wtoi(L"x1"), 0);
    EXPECT_EQ(_wtoi(L"99999999999999999999"), INT_MAX);
    EXPECT_EQ(_wtoi(L"-2147483648"), INT_MIN);
    EXPECT_EQ(_wtoi(L"-99999999999"), INT_MIN);
    EXPECT_EQ(_wtoi(nullptr), 0);
    EXPECT_EQ(_wcsicmp(L"Code", L"CODE"), 0);
    EXPECT_LT(_wcsicmp(L"a", L"B"), 0);
}

} // namespace
