// The picker's search: what matches, in which order, and that narrowing by one more character
// gives the same answer as a fresh search.
#include "XComboExSearch.h"

#include <gtest/gtest.h>

using Control::hostctl::PickerSearch;

namespace {

// Rows of (pinyin initials, display code, name).
PickerSearch Sample() {
    PickerSearch search;
    search.Assign({
        {L"HXCZHH", L"000001", L"华夏成长混合"},     // 0
        {L"YFDZXP", L"110011", L"易方达中小盘"},     // 1
        {L"FGTHCZ", L"161005", L"富国天惠成长"},     // 2
        {L"HXHS300", L"000051", L"华夏沪深300"},     // 3
        {L"ZSHX", L"217022", L"招商恒信"},           // 4: "hx" inside, not in front
        {L"", L"", L""},                             // 5: a row with nothing to find
        {L"ＨＸＺＱ", L"００００６１", L"华夏债券"}, // 6: full-width letters and digits
    });
    return search;
}

} // namespace

TEST(PickerSearch, MatchesInitialsCodesAndNamesCaseInsensitivePrefixesFirst) {
    PickerSearch search = Sample();
    EXPECT_EQ(search.Find(L"hx"), (std::vector<int>{0, 3, 6, 4}));
    EXPECT_EQ(search.Find(L"HX"), (std::vector<int>{0, 3, 6, 4}));
    EXPECT_EQ(search.Find(L"0000"), (std::vector<int>{0, 3, 6}));
    EXPECT_EQ(search.Find(L"0051"), (std::vector<int>{3}));
    EXPECT_EQ(search.Find(L"成长"), (std::vector<int>{0, 2}));
    EXPECT_EQ(search.Find(L"华夏"), (std::vector<int>{0, 3, 6}));
    EXPECT_TRUE(search.Find(L"qqq").empty());
    EXPECT_EQ(search.Find(L"").size(), 7u);
    // A row's prefix match in any field ranks it first, even when another field also contains it.
    EXPECT_EQ(search.Find(L"1"), (std::vector<int>{1, 2, 0, 3, 4, 6}));
}

TEST(PickerSearch, NarrowingAndWideningGiveTheSameAnswersAsFreshSearches) {
    PickerSearch typed = Sample();
    const std::wstring sequence[] = {L"h", L"hx", L"hxh", L"hx", L"h", L"hxc", L"x", L"xz", L"0", L"00"};
    for (const std::wstring& text : sequence) {
        PickerSearch fresh = Sample();
        EXPECT_EQ(typed.Find(text), fresh.Find(text))
            << "after typing " << std::string(text.begin(), text.end());
    }
    // A new list forgets the old matches.
    typed.Find(L"hx");
    typed.Assign({{L"HXA", L"1", L"a"}});
    EXPECT_EQ(typed.Find(L"hxa"), std::vector<int>{0});
    typed.Clear();
    EXPECT_TRUE(typed.Find(L"h").empty());
    EXPECT_TRUE(typed.Find(L"").empty());
}
