// ValueFormater: the format mini-language as the page headers use it, and its failure modes.
#include "grid/ValueFormater.h"

#include <sdk/Data.h>
#include <sdk/Kernel.h>
#include <sdk/XComPtr.h>

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

namespace {

template <class V>
ValueFormater<V> parsed(const wchar_t* format, bool expectOk = true) {
    ValueFormater<V> f;
    EXPECT_EQ(f.Parse(format), expectOk) << "format: " << XStringW(format).ToUtf8();
    return f;
}

XStringW real(const wchar_t* format, double v) {
    return parsed<double>(format).FormatValue(v);
}

TEST(ValueFormater, HeaderFormatsShowPercentAndChineseUnits) {
    EXPECT_EQ(real(L"%.02f%%:*100", 0.1234), XStringW(L"12.34%"));
    EXPECT_EQ(real(L"%.02f%%:*100", -0.012), XStringW(L"-1.20%"));
    EXPECT_EQ(real(L"%.02f%%:*100", 0), XStringW(L"0.00%"));

    const wchar_t* amounts = L"%.02f::;10000,万;100000000,亿";
    EXPECT_EQ(real(amounts, 123456789), XStringW(L"1.23亿"));
    EXPECT_EQ(real(amounts, 56789), XStringW(L"5.68万"));
    EXPECT_EQ(real(amounts, 999), XStringW(L"999.00"));
    EXPECT_EQ(real(amounts, 10000), XStringW(L"1.00万"));
    EXPECT_EQ(real(amounts, 100000000), XStringW(L"1.00亿"));
    EXPECT_EQ(real(amounts, -20000), XStringW(L"-2.00万"));
    EXPECT_EQ(real(amounts, 9999.994), XStringW(L"9999.99"));
}

TEST(ValueFormater, PatternPrecisionPrefixAndSuffix) {
    ValueFormater<double> f = parsed<double>(L"100%% %.1f");
    EXPECT_EQ(f.Prefix(), XStringW(L"100% "));
    EXPECT_EQ(f.Precision(), 1);
    EXPECT_EQ(f.FormatValue(2.25), XStringW(L"100% 2.2"));

    EXPECT_EQ(parsed<double>(L"%0.2f").Precision(), 2);
    EXPECT_EQ(parsed<double>(L"%.0f").Precision(), 0);
    EXPECT_EQ(parsed<double>(L"%.12f").Precision(), 2); // only the character before the f counts
    ValueFormater<double> bare = parsed<double>(L"约%f元%%");
    EXPECT_EQ(bare.Precision(), ValueFormater<double>::kDefaultNotation);
    EXPECT_EQ(bare.FormatValue(1234.56789), XStringW(L"约1234.57元%")); // six significant digits
    EXPECT_EQ(parsed<int>(L"第%d名").FormatValue(3), XStringW(L"第3名"));
    EXPECT_EQ(parsed<int>(L"%d").Precision(), 0);
}

TEST(ValueFormater, EmptyOrMalformedFormatsFallBackToTheResetState) {
    // An empty format: a real rounds to a whole number, integers and text stay as they are.
    EXPECT_EQ(parsed<double>(L"", false).FormatValue(12.6), XStringW(L"13"));
    EXPECT_EQ(parsed<int>(L"", false).FormatValue(-42), XStringW(L"-42"));
    EXPECT_EQ(parsed<XStringW>(L"", false).FormatValue(L"股票"), XStringW(L"股票"));

    for (const wchar_t* bad :
         {L"%s", L"abc", L"50%", L"%.2f:x100", L"%.2f:*", L"%.2f::;10000,万;", L"%.2f::;10000",
          L"%.2f::;1,2,3", L"%.2f:::", L"%.2f:::0=--;", L"%.2f:::0", L"%.2f::;0,零"}) {
        ValueFormater<double> f = parsed<double>(bad, false);
        EXPECT_TRUE(f.Prefix().empty());
        EXPECT_TRUE(f.Suffix().empty());
        EXPECT_EQ(f.Precision(), 0);
        EXPECT_EQ(f.Operator(), 0);
        EXPECT_TRUE(f.Units().empty());
        EXPECT_TRUE(f.ValueMap().empty());
        EXPECT_EQ(f.FormatValue(0.5), XStringW(L"0")) << XStringW(bad).ToUtf8();
    }
    // Parts after the fourth are ignored.
    EXPECT_EQ(parsed<double>(L"%.1f:::1=一:whatever").FormatValue(1), XStringW(L"一"));
}

TEST(ValueFormater, UnitsNeedPairsAndAreScannedFromTheLast) {
    // A default unit alone makes no unit list, so nothing is appended.
    ValueFormater<double> onlyDefault = parsed<double>(L"%.1f::元");
    EXPECT_TRUE(onlyDefault.Units().empty());
    EXPECT_EQ(onlyDefault.FormatValue(5), XStringW(L"5.0"));

    // With pairs, a value below every threshold takes the default unit.
    ValueFormater<double> withDefault = parsed<double>(L"%.1f::元;10000,万元");
    EXPECT_EQ(withDefault.FormatValue(5), XStringW(L"5.0元"));
    EXPECT_EQ(withDefault.FormatValue(-50000), XStringW(L"-5.0万元"));

    // Integers divide with truncation toward zero.
    ValueFormater<int> ints = parsed<int>(L"%d::;10000,万");
    EXPECT_EQ(ints.FormatValue(56789), XStringW(L"5万"));
    EXPECT_EQ(ints.FormatValue(-56789), XStringW(L"-5万"));
    EXPECT_EQ(ints.FormatValue(9999), XStringW(L"9999"));

    // Text always takes the last unit.
    EXPECT_EQ(parsed<XStringW>(L"%d::;a,甲;b,乙").FormatValue(L"值"), XStringW(L"值乙"));
}

TEST(ValueFormater, ArithmeticIncludingDivisionByZero) {
    EXPECT_EQ(real(L"%.02f%%:/0", 0.37), XStringW(L"0.00%"));
    EXPECT_EQ(real(L"%.2f:+1.5", 1), XStringW(L"2.50"));
    EXPECT_EQ(real(L"%.2f:-1", 1), XStringW(L"0.00"));
    EXPECT_EQ(parsed<int>(L"%d:*2.6").FormatValue(3), XStringW(L"7")); // 7.8 truncated
    EXPECT_EQ(parsed<int>(L"%d:*-2.6").FormatValue(3), XStringW(L"-7"));
    EXPECT_EQ(parsed<int>(L"%d:/0").FormatValue(3), XStringW(L"0"));
    // Text is never computed on.
    EXPECT_EQ(parsed<XStringW>(L"%d:*100").FormatValue(L"0.5"), XStringW(L"0.5"));
    // Results beyond the integer range saturate instead of overflowing.
    EXPECT_EQ(parsed<int>(L"%d:*1000").FormatValue(INT_MAX), XStringW(std::to_wstring(INT_MAX)));
    EXPECT_EQ(parsed<int>(L"%d::;-1,x").FormatValue(INT_MIN), XStringW(std::to_wstring(INT_MAX) + L"x"));
}

TEST(ValueFormater, MapIsCheckedFirstOnTheRawValue) {
    ValueFormater<double> f = parsed<double>(L":*100::0=--");
    EXPECT_EQ(f.FormatValue(0), XStringW(L"--"));
    EXPECT_EQ(f.FormatValue(0.5), XStringW(L"50"));

    ValueFormater<XStringW> states = parsed<XStringW>(L":::0=暂停;1=开放;1=重复");
    EXPECT_EQ(states.FormatValue(L"0"), XStringW(L"暂停"));
    EXPECT_EQ(states.FormatValue(L"1"), XStringW(L"开放")); // the first replacement of a key wins
    EXPECT_EQ(states.FormatValue(L"1 "), XStringW(L"1 "));  // exact text only

    ValueFormater<int> ranks = parsed<int>(L"%d:::-1=未排名");
    EXPECT_EQ(ranks.FormatValue(-1), XStringW(L"未排名"));
    EXPECT_EQ(ranks.FormatValue(4), XStringW(L"4"));
}

TEST(ValueFormater, ValuesThatRoundToZeroCarryNoSign) {
    EXPECT_EQ(real(L"%.02f%%:*100", -0.00001), XStringW(L"0.00%"));
    EXPECT_EQ(real(L"%.02f%%:*100", -0.00004999), XStringW(L"0.00%"));
    EXPECT_EQ(real(L"%.02f%%:*100", -0.0), XStringW(L"0.00%"));
    // The smallest negative that still shows keeps its sign.
    EXPECT_EQ(real(L"%.02f%%:*100", -0.00006), XStringW(L"-0.01%"));
    EXPECT_EQ(real(L"%.02f::;10000,万;100000000,亿", -0.001), XStringW(L"0.00"));
    EXPECT_EQ(real(L"%.02f::;10000,万;100000000,亿", -10000.001), XStringW(L"-1.00万"));
    EXPECT_EQ(real(L"%.0f", -0.4), XStringW(L"0"));
    EXPECT_EQ(real(L"%f", -0.0), XStringW(L"0"));       // default notation
    EXPECT_EQ(real(L"%f", -1e-7), XStringW(L"-1e-07")); // not zero, however small
    // A prefix with a dash is text, not a sign.
    EXPECT_EQ(real(L"-%.1f", -0.01), XStringW(L"-0.0"));

    std::wstring text = L"涨幅：-0.00%";
    DropSignOfZero(text);
    EXPECT_EQ(text, L"涨幅：0.00%");
    for (const wchar_t* kept : {L"--", L"-", L"-1,000.00", L"-0.001", L"", L"x-1"}) {
        text = kept;
        DropSignOfZero(text);
        EXPECT_EQ(text, kept);
    }
    text = L"-0,000.00万";
    DropSignOfZero(text);
    EXPECT_EQ(text, L"0,000.00万");
}

TEST(ValueFormater, NonFiniteRealsShowAsMissing) {
    ValueFormater<double> f = parsed<double>(L"%.02f%%:*100:;1,x:0=zero");
    EXPECT_EQ(f.FormatValue(std::numeric_limits<double>::quiet_NaN()), XStringW(L"--"));
    EXPECT_EQ(f.FormatValue(std::numeric_limits<double>::infinity()), XStringW(L"--"));
    EXPECT_EQ(real(L"%.2f:*1e308", 1e10), XStringW(L"--")); // overflow by arithmetic
    // A NaN key cannot be looked up reliably and is refused at parse time.
    parsed<double>(L"%.2f:::nan=x", false);
}

TEST(ValueFormater, FormatsHostCellsAndShowsNullAsMissing) {
    XComPtr<IXUnknown> object;
    object.Attach(createInstance("Data.DataTable"));
    XComPtr<Data::IDataTable> table = object.As<Data::IDataTable>();
    ASSERT_NE(table.Get(), nullptr);
    table->AddColumn(Data::kReal, L"percent");
    table->AddColumn(Data::kInteger, L"count");
    table->AddColumn(Data::kText, L"state");
    table->AddRow();
    table->AddRow();
    XComPtr<Data::IDataRow> filled, empty;
    table->GetRow(filled.Receive(), 0);
    table->GetRow(empty.Receive(), 1);
    filled->GetValue(L"percent")->SetDouble(0.1234);
    filled->GetValue(L"count")->SetInt(56789);
    filled->GetValue(L"state")->SetText(L"1");

    EXPECT_EQ(parsed<double>(L"%.02f%%:*100").Format(filled->GetValue(L"percent")), XStringW(L"12.34%"));
    EXPECT_EQ(parsed<int>(L"%d::;10000,万").Format(filled->GetValue(L"count")), XStringW(L"5万"));
    EXPECT_EQ(parsed<XStringW>(L":::0=暂停;1=开放").Format(filled->GetValue(L"state")), XStringW(L"开放"));
    EXPECT_EQ(parsed<double>(L"%.02f%%:*100").Format(empty->GetValue(L"percent")), XStringW(L"--"));
    EXPECT_EQ(parsed<XStringW>(L":::0=暂停").Format(empty->GetValue(L"state")), XStringW(L"--"));
    EXPECT_EQ(parsed<int>(L"%d").Format(nullptr), XStringW(L"--"));
}

TEST(ValueFormater, SplitKeepsEmptyPieces) {
    auto pieces = SplitKeepingEmpty(L":a::b:", L':');
    ASSERT_EQ(pieces.size(), 5u);
    EXPECT_TRUE(pieces[0].empty());
    EXPECT_EQ(pieces[1], XStringW(L"a"));
    EXPECT_TRUE(pieces[2].empty());
    EXPECT_EQ(pieces[3], XStringW(L"b"));
    EXPECT_TRUE(pieces[4].empty());
    EXPECT_EQ(SplitKeepingEmpty(L"abc", L':').size(), 1u);
    EXPECT_EQ(SplitKeepingEmpty(L"", L':').size(), 1u);
}

} // namespace
