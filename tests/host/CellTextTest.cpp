// Number text of cells: what a user sees of a stored value, and what typed text stores.
#include <hostkernel/CellText.h>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace HostKernel;

TEST(CellText, RealsShowAtMostFifteenDigitsWithoutTrailingZeros) {
    EXPECT_EQ(FormatReal(0.1), L"0.1");
    EXPECT_EQ(FormatReal(0.1 + 0.25), L"0.35");
    EXPECT_EQ(FormatReal(1.0), L"1");
    EXPECT_EQ(FormatReal(-12.5), L"-12.5");
    EXPECT_EQ(FormatReal(1.0 / 3.0), L"0.333333333333333");
    EXPECT_EQ(FormatReal(123456789012.25), L"123456789012.25");
    EXPECT_EQ(FormatReal(1e20), L"1e+20");
    // A negative zero would read as a loss wherever the sign of the text decides the colour.
    EXPECT_EQ(FormatReal(-0.0), L"0");
}

TEST(CellText, NonFiniteRealsHaveFixedText) {
    EXPECT_EQ(FormatReal(std::numeric_limits<double>::quiet_NaN()), L"NaN");
    EXPECT_EQ(FormatReal(std::numeric_limits<double>::infinity()), L"Infinity");
    EXPECT_EQ(FormatReal(-std::numeric_limits<double>::infinity()), L"-Infinity");
}

TEST(CellText, StrictParsingAcceptsOnlyWholeNumbers) {
    double v = 0;
    EXPECT_TRUE(ParseReal(L"  2.5 ", v));
    EXPECT_EQ(v, 2.5);
    EXPECT_TRUE(ParseReal(L"+1e3", v));
    EXPECT_EQ(v, 1000);
    for (const wchar_t* bad : {L"", L"  ", L"abc", L"12abc", L"1,5", L"--", L"inf", L"nan", L"1e999", L"５"})
        EXPECT_FALSE(ParseReal(bad, v)) << bad;

    std::int64_t i = 0;
    EXPECT_TRUE(ParseInteger(L"9223372036854775807", i));
    EXPECT_EQ(i, INT64_MAX);
    EXPECT_TRUE(ParseInteger(L"3.6", i));
    EXPECT_EQ(i, 4);
    EXPECT_TRUE(ParseInteger(L"-2.5", i));
    EXPECT_EQ(i, -3); // halves round away from zero
    EXPECT_FALSE(ParseInteger(L"1e30", i));
}

TEST(CellText, LeadingNumberReadsLikeWtof) {
    EXPECT_EQ(LeadingNumber(L"12abc"), 12);
    EXPECT_EQ(LeadingNumber(L"  -1.5%"), -1.5);
    EXPECT_EQ(LeadingNumber(L"2e3x"), 2000);
    EXPECT_EQ(LeadingNumber(L"2e"), 2);
    EXPECT_EQ(LeadingNumber(L"."), 0);
    EXPECT_EQ(LeadingNumber(L"--"), 0);
    EXPECT_EQ(LeadingNumber(L""), 0);
    EXPECT_TRUE(std::isinf(LeadingNumber(L"1e999")));
    EXPECT_EQ(LeadingNumber(L"1e-999"), 0);
}

TEST(CellText, Utf8DecodingReplacesMalformedBytes) {
    std::wstring out;
    AppendUtf8(out, "\xE8\x82\xA1\xE7\xA5\xA8", 6); // 股票
    EXPECT_EQ(out, L"股票");
    out.clear();
    AppendUtf8(out,
               "a\xFF"
               "b\xE8\x82",
               5);
    EXPECT_EQ(out, L"a\xFFFD"
                   L"b\xFFFD\xFFFD");
    out.clear();
    AppendUtf8(out, "\xED\xA0\x80", 3); // an encoded surrogate is not a character
    EXPECT_EQ(out, L"\xFFFD\xFFFD\xFFFD");
}
