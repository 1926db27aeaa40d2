// The natural text order of tagged columns: numbers by value, then fewer leading zeros first.
#include <hostkernel/TextOrder.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using HostKernel::CompareNatural;

namespace {

TEST(TextOrder, NumbersCompareByValueAndLeadingZerosOnlyBreakTies) {
    EXPECT_LT(CompareNatural(L"a1", L"a01"), 0);
    EXPECT_GT(CompareNatural(L"a01", L"a1"), 0);
    EXPECT_LT(CompareNatural(L"a01", L"a001"), 0);
    // The value decides before the zeros do.
    EXPECT_LT(CompareNatural(L"a01", L"a2"), 0);
    EXPECT_LT(CompareNatural(L"a009", L"a10"), 0);
    EXPECT_GT(CompareNatural(L"a010", L"a9"), 0);
    // Text after an equal number decides before the zeros of that number.
    EXPECT_LT(CompareNatural(L"a01a", L"a1b"), 0);
    EXPECT_GT(CompareNatural(L"a1b", L"a01a"), 0);
    // The first run whose zeros differ decides.
    EXPECT_LT(CompareNatural(L"a1b01", L"a01b1"), 0);
    // Only equal texts are equal.
    EXPECT_EQ(CompareNatural(L"a007", L"a007"), 0);
    EXPECT_EQ(CompareNatural(L"", L""), 0);
    EXPECT_LT(CompareNatural(L"a1", L"a1x"), 0);
    EXPECT_LT(CompareNatural(L"9/120", L"10/120"), 0);
}

TEST(TextOrder, SortingWithNaturalOrderIsTotalAndRepeatable) {
    std::vector<std::wstring> texts = {L"b2", L"a01", L"a1", L"a001", L"a10", L"a010", L"a9",
                                       L"a",  L"b02", L"a0", L"a00",  L"b",   L"a1b",  L"a01a"};
    auto less = [](const std::wstring& x, const std::wstring& y) { return CompareNatural(x, y) < 0; };
    std::vector<std::wstring> sorted = texts;
    std::sort(sorted.begin(), sorted.end(), less);
    EXPECT_EQ(sorted, (std::vector<std::wstring>{L"a", L"a0", L"a00", L"a1", L"a01", L"a001", L"a01a", L"a1b",
                                                 L"a9", L"a10", L"a010", L"b", L"b2", L"b02"}));
    // Antisymmetric for every pair, so that any sort algorithm gives the same order.
    for (const auto& x : texts)
        for (const auto& y : texts)
            EXPECT_EQ(CompareNatural(x, y), -CompareNatural(y, x))
                << std::string(x.begin(), x.end()) << " " << std::string(y.begin(), y.end());
}

} // namespace
