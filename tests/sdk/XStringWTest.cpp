// XStringW and XStringA: the operations the host and the module build their text with.
#include <sdk/XStringA.h>
#include <sdk/XStringW.h>

#include <platform/winnls.h>

#include <gtest/gtest.h>

#include <set>

namespace {

TEST(XStringW, CompareOrdersByCharacterAndOptionallyIgnoresCase) {
    EXPECT_LT(XStringW(L"000001").compare(L"000002"), 0);
    EXPECT_GT(XStringW(L"1").compare(L"01"), 0);
    EXPECT_EQ(XStringW(L"abc").compare(L"abc"), 0);
    EXPECT_LT(XStringW(L"ab").compare(L"abc"), 0);
    EXPECT_NE(XStringW(L"ABC").compare(L"abc"), 0);
    EXPECT_EQ(XStringW(L"ABC").compare(L"abc", true), 0);
    // A leading blank makes a different code, ordered before the digits.
    EXPECT_LT(XStringW(L" 000001").compare(L"000001"), 0);

    // An ordered set of codes uses the same order.
    std::set<XStringW> codes{L"110022", L"000001", L" 000001", L"000001"};
    ASSERT_EQ(codes.size(), 3u);
    EXPECT_EQ(*codes.begin(), XStringW(L" 000001"));
}

TEST(XStringW, FindSubstrAndReplaceAll) {
    XStringW s(L"font=\"_font_digital\" font=\"_font_digital_bold\"");
    EXPECT_EQ(s.find(L"_font_digital\""), 6u);
    EXPECT_EQ(s.find(L"missing"), XStringW::npos);
    EXPECT_EQ(s.find(L'"', 6), 19u);

    // Replacing the quoted alias must not touch the longer alias that shares its prefix.
    EXPECT_EQ(s.replace(L"font=\"_font_digital\"", L"font=\"_font_digital\" font-family=\"X\""), 1);
    EXPECT_EQ(s, XStringW(L"font=\"_font_digital\" font-family=\"X\" font=\"_font_digital_bold\""));

    // All occurrences, without rescanning inserted text; empty pattern replaces nothing.
    XStringW t(L"aaa");
    EXPECT_EQ(t.replace(L"a", L"aa"), 3);
    EXPECT_EQ(t, XStringW(L"aaaaaa"));
    EXPECT_EQ(t.replace(L"", L"x"), 0);
    XStringW q(L"x') OR ('1'='1");
    EXPECT_EQ(q.replace(L"'", L"''"), 4);
    EXPECT_EQ(q, XStringW(L"x'') OR (''1''=''1"));

    XStringW u(L"基金对比");
    EXPECT_EQ(u.substr(2), XStringW(L"对比"));
    EXPECT_EQ(u.substr(1, 2), XStringW(L"金对"));
    EXPECT_EQ(u.substr(4), XStringW());
    EXPECT_EQ(u.substr(99, 3), XStringW());
}

TEST(XStringW, FormatTakesWideTextForPercentS) {
    XStringW s;
    s.Format(L"基金[%s]%s已存在。", L"000001", L"华夏成长");
    EXPECT_EQ(s, XStringW(L"基金[000001]华夏成长已存在。"));

    EXPECT_EQ(XStringW().Format(L"%0.2f亿", 1.234567), XStringW(L"1.23亿"));
    EXPECT_EQ(XStringW().Format(L"%d|%5d|%-5d|%05d", -7, 42, 42, 42), XStringW(L"-7|   42|42   |00042"));
    EXPECT_EQ(XStringW().Format(L"%I64d %lld %u %x %X", 1LL << 40, -3LL, 7u, 255u, 255u),
              XStringW(L"1099511627776 -3 7 ff FF"));
    EXPECT_EQ(XStringW().Format(L"%c%c|%.3s|%6s|%-4s|", L'基', L'A', L"abcdef", L"ab", L"x"),
              XStringW(L"基A|abc|    ab|x   |"));
    EXPECT_EQ(XStringW().Format(L"%*d|%.*f", 4, 1, 1, 2.25), XStringW(L"   1|2.2"));
    EXPECT_EQ(XStringW().Format(L"100%%"), XStringW(L"100%"));
    // Narrow text in a wide format is decoded from the system code page.
    EXPECT_EQ(XStringW().Format(L"%hs|%S", "\xBB\xF9\xBD\xF0", "abc"), XStringW(L"基金|abc"));
    EXPECT_EQ(XStringW().Format(L"%s", static_cast<const wchar_t*>(nullptr)), XStringW(L"(null)"));
    // An unknown conversion and a trailing '%' stay as written and consume nothing.
    EXPECT_EQ(XStringW().Format(L"%y %d %", 5), XStringW(L"%y 5 %"));

    // Long output is not cut.
    XStringW longText(5000, L'字');
    EXPECT_EQ(XStringW().Format(L"[%s]", longText.c_str()).length(), 5002u);
}

TEST(XStringW, ConvertsToAndFromCodePages) {
    XStringW title(L"基金对比模块");
    XStringA gb = title.ToMultiByte(936);
    EXPECT_EQ(gb.str(), "\xBB\xF9\xBD\xF0\xB6\xD4\xB1\xC8\xC4\xA3\xBF\xE9");
    EXPECT_EQ(gb.ToWide(936), title);
    EXPECT_EQ(XStringW::FromMultiByte(gb.c_str(), 936), title);
    EXPECT_EQ(XStringW::FromUtf8(title.ToUtf8()), title);
    EXPECT_EQ(XStringW::FromMultiByte(nullptr, 936), XStringW());
    EXPECT_EQ(XStringW::FromMultiByte("", CP_UTF8), XStringW());
    EXPECT_EQ(XStringW().ToMultiByte(936), XStringA());
    // Invalid bytes do not make the whole text disappear.
    EXPECT_EQ(XStringW::FromMultiByte("ok\xFF", CP_UTF8), XStringW(L"ok\xFFFD"));
}

// The UTF-8 conversions take a shorter way than the code-page layer; they must give what it gives,
// on the forms at each length's bounds and on every kind of ill-formed input.
TEST(XStringW, Utf8ConversionsAgreeWithTheCodePageLayer) {
    const std::string samples[] = {
        "",
        "plain ascii 000001",
        "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF\xF0\x90\x80\x80\xF4\x8F\xBF\xBF", // each length's ends
        "\xE5\x9F\xBA\xE9\x87\x91 fund",                                                // 基金
        "cut \xE5\x9F",         // a sequence cut short at the end
        "\xE5\x9F cut",         // and in the middle
        "\xC0\xAF\xE0\x80\xAF", // overlong forms
        "\xED\xA0\x80",         // an encoded surrogate
        "\xF4\x90\x80\x80",     // above U+10FFFF
        "\x80\xBF lone continuation bytes",
        std::string("nul\0inside", 11),
    };
    for (const std::string& sample : samples) {
        EXPECT_EQ(XStringW::FromUtf8(sample), XStringW::FromMultiByte(sample.data(), sample.size(), CP_UTF8))
            << sample;
        const XStringW wide = XStringW::FromMultiByte(sample.data(), sample.size(), CP_UTF8);
        EXPECT_EQ(wide.ToUtf8(), wide.ToMultiByte(CP_UTF8).str()) << sample;
    }
    // Characters that are no scalar value are written as U+FFFD, as the code-page layer does.
    const XStringW odd(
        std::wstring{L'a', static_cast<wchar_t>(0xD800), static_cast<wchar_t>(0x110000), L'b'});
    EXPECT_EQ(odd.ToUtf8(), "a\xEF\xBF\xBD\xEF\xBF\xBD"
                            "b");
    EXPECT_EQ(odd.ToUtf8(), odd.ToMultiByte(CP_UTF8).str());
}

TEST(XStringA, NarrowOperations) {
    XStringA key("list_bg_oddLine");
    EXPECT_EQ(key.compare("LIST_BG_ODDLINE", true), 0);
    EXPECT_LT(key.compare("list_bg_z"), 0);
    EXPECT_EQ(key.find("odd"), 8u);
    EXPECT_EQ(key.substr(5, 2), XStringA("bg"));
    XStringA path("/a/b/a");
    EXPECT_EQ(path.replace("a", "xy"), 2);
    EXPECT_EQ(path, XStringA("/xy/b/xy"));
    EXPECT_EQ(XStringA().Format("%s=%d", "size", 12), XStringA("size=12"));
}

} // namespace
