// Reading the files people have: dates, numbers, states and dividend texts; the CSV scanner over
// every line ending and quoting; encodings; header recognition in English and Chinese.
#include "CellText.h"
#include "ColumnTable.h"
#include "CsvScanner.h"
#include "FundImporter.h"
#include "TextDecoder.h"

#include <sdk/CivilDays.h>

#include <gtest/gtest.h>

namespace {

using namespace FundImport;

int Day(int y, int m, int d) {
    return CivilDays::FromDate(y, m, d);
}

TEST(ImportDates, TheWrittenFormsAreReadAndAmbiguousOnesRefused) {
    for (const char* text : {"2020-01-02", "2020/1/2", "2020.01.02", "20200102", "2020年1月2日", " 2020-1-2 ",
                             "2020/1/2 0:00", "2020-01-02 00:00:00", "2020-01-02T00:00:00"}) {
        const DateCell date = ReadDate(text);
        EXPECT_TRUE(date.ok) << text << ": " << date.reason;
        EXPECT_EQ(date.day, Day(2020, 1, 2)) << text;
    }
    // Whether 01/02/2020 is the first of February or the second of January is not certain.
    for (const char* text : {"01/02/2020", "1/2/20", "02-01-2020", "2.1.2020"}) {
        const DateCell date = ReadDate(text);
        EXPECT_FALSE(date.ok) << text;
        EXPECT_NE(date.reason.find("ambiguous"), std::string::npos) << text << ": " << date.reason;
    }
    // Impossible days, a time of day, stray text.
    for (const char* text : {"2021-02-29", "2020-13-01", "2020-00-10", "20201301", "2020-01-02 09:30",
                             "2020-01-02x", "2020--01", "abc", "2020", "202001020"})
        EXPECT_FALSE(ReadDate(text).ok) << text;
    EXPECT_TRUE(ReadDate("2020-02-29").ok);
    EXPECT_FALSE(ReadDate("1899-12-31").ok);
}

TEST(ImportDates, SpreadsheetSerialsFollowThe1900System) {
    EXPECT_EQ(ReadDateNumber(1).day, Day(1900, 1, 1));
    EXPECT_EQ(ReadDateNumber(59).day, Day(1900, 2, 28));
    EXPECT_FALSE(ReadDateNumber(60).ok); // the system's 29 February 1900 never was
    EXPECT_EQ(ReadDateNumber(61).day, Day(1900, 3, 1));
    EXPECT_EQ(ReadDateNumber(43831).day, Day(2020, 1, 1));
    EXPECT_EQ(ReadDateNumber(20200102).day, Day(2020, 1, 2));
    EXPECT_FALSE(ReadDateNumber(43831.5).ok);
    EXPECT_FALSE(ReadDateNumber(-3).ok);
    EXPECT_FALSE(ReadDateNumber(1e300).ok); // no integer conversion of a number that large
}

TEST(ImportNumbers, PlainDecimalsPercentagesUnitsAndPlaceholders) {
    struct Case {
        const char* text;
        double value;
        bool percent;
    };
    for (const Case& c :
         {Case{"1.2345", 1.2345, false}, Case{"-0.5", -0.5, false}, Case{"1,234.5", 1234.5, false},
          Case{"12.5%", 0.125, true}, Case{"-1.03％", -0.0103, true}, Case{"12.5亿", 12.5e8, false},
          Case{"3万", 3e4, false}, Case{"100元", 100.0, false}, Case{"1e3", 1000.0, false},
          Case{"+2", 2.0, false}}) {
        const NumberCell cell = ReadNumber(c.text);
        ASSERT_EQ(cell.state, NumberCell::Ok) << c.text << ": " << cell.reason;
        EXPECT_DOUBLE_EQ(cell.value, c.value) << c.text;
        EXPECT_EQ(cell.percentSign, c.percent) << c.text;
    }
    for (const char* text : {"", "--", "-", "—", "N/A", "  "})
        EXPECT_EQ(ReadNumber(text).state, NumberCell::Missing) << text;
    for (const char* text :
         {"abc", "1.2.3", "0x10", "inf", "nan", "1,23", "12,3456", "1-2", "--5", "1 2", "%"})
        EXPECT_EQ(ReadNumber(text).state, NumberCell::Bad) << text;
}

TEST(ImportCells, StatesDividendTextsAndStars) {
    EXPECT_EQ(ReadState("开放申购").state, 1);
    EXPECT_EQ(ReadState("暂停赎回").state, 0);
    EXPECT_EQ(ReadState("限制大额申购").state, 2);
    EXPECT_TRUE(ReadState("").missing);
    EXPECT_FALSE(ReadState("随便").ok);

    PayoutCell cash = ReadPayout("每份派现金0.0500元");
    ASSERT_TRUE(cash.ok);
    EXPECT_FALSE(cash.split);
    EXPECT_DOUBLE_EQ(cash.amount, 0.05);
    cash = ReadPayout("每10份派现金0.5元");
    ASSERT_TRUE(cash.ok);
    EXPECT_DOUBLE_EQ(cash.amount, 0.05);
    PayoutCell split = ReadPayout("每份基金份额折算1.0234567份");
    ASSERT_TRUE(split.ok);
    EXPECT_TRUE(split.split);
    EXPECT_DOUBLE_EQ(split.amount, 1.0234567);
    EXPECT_TRUE(ReadPayout("每份基金份额分拆1.5份").split);
    EXPECT_TRUE(ReadPayout("").missing);
    for (const char* text :
         {"派现金0.05元", "每份派现金元", "每份派现金-0.05元", "每份派现金0.05份", "每份折算1.2元"})
        EXPECT_FALSE(ReadPayout(text).ok) << text;

    EXPECT_EQ(ReadStars("★★★").stars, 3);
    EXPECT_EQ(ReadStars("★★☆☆☆").stars, 2);
    EXPECT_EQ(ReadStars("4").stars, 4);
    EXPECT_TRUE(ReadStars("暂无评级").missing);
    EXPECT_FALSE(ReadStars("★★★★★★").ok);
    EXPECT_FALSE(ReadStars("7").ok);
}

std::vector<std::vector<std::string>> Scan(const std::string& bytes, char delimiter = 0,
                                           std::string* error = nullptr,
                                           std::vector<std::int64_t>* lines = nullptr) {
    TextDecoder decoder;
    decoder.OpenBytes(bytes, Encoding::Auto);
    CsvScanner scanner(decoder, delimiter);
    std::vector<std::vector<std::string>> records;
    std::vector<std::string_view> fields;
    std::int64_t line = 0;
    while (scanner.Next(fields, line)) {
        records.emplace_back(fields.begin(), fields.end());
        if (lines != nullptr)
            lines->push_back(line);
    }
    if (error != nullptr)
        *error = scanner.Error();
    return records;
}

TEST(ImportCsv, QuotesLineEndingsBlankLinesAndLineNumbers) {
    std::vector<std::int64_t> lines;
    const auto records =
        Scan("a,b,c\r\n\"x, y\",\"say \"\"hi\"\"\",\"two\r\nlines\"\r\n\r\n1,,3\n4,5,6", 0, nullptr, &lines);
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[1], (std::vector<std::string>{"x, y", "say \"hi\"", "two\r\nlines"}));
    EXPECT_EQ(records[2], (std::vector<std::string>{"1", "", "3"}));
    EXPECT_EQ(records[3], (std::vector<std::string>{"4", "5", "6"}));
    EXPECT_EQ(lines, (std::vector<std::int64_t>{1, 2, 5, 6}));

    // Tabs win when the first line has them; a comma inside a tab-separated field stays.
    const auto tabs = Scan("code\tname\n000001\tA,B\n");
    ASSERT_EQ(tabs.size(), 2u);
    EXPECT_EQ(tabs[1], (std::vector<std::string>{"000001", "A,B"}));

    std::string error;
    Scan("a,b\n\"open,1\n", 0, &error);
    EXPECT_NE(error.find("never closed"), std::string::npos) << error;
    Scan("a,b\n\"x\"y,1\n", 0, &error);
    EXPECT_NE(error.find("line 2"), std::string::npos) << error;
}

TEST(ImportCsv, RecordsAcrossThePiecesOfALargeFile) {
    // More than the decoder's piece, so that records and quoted fields straddle a refill.
    std::string text = "code,value\n";
    for (int k = 0; k < 120000; ++k)
        text += std::to_string(k) + ",\"" + std::to_string(k * 3) + "\"\n";
    const auto records = Scan(text);
    ASSERT_EQ(records.size(), 120001u);
    for (int k = 0; k < 120000; ++k)
        ASSERT_EQ(records[k + 1][1], std::to_string(k * 3)) << k;
}

TEST(ImportEncodings, Utf8MarkUtf16AndGbkAreFoundAndGivenAsUtf8) {
    std::string out, error;
    ASSERT_TRUE(TextDecoder::DecodeAll("\xEF\xBB\xBF基金代码", Encoding::Auto, out, error));
    EXPECT_EQ(out, "基金代码");
    // 基金 in GBK.
    out.clear();
    ASSERT_TRUE(TextDecoder::DecodeAll("\xBB\xF9\xBD\xF0,1", Encoding::Auto, out, error)) << error;
    EXPECT_EQ(out, "基金,1");
    // UTF-16 little-endian with its mark, as a spreadsheet's "Unicode text".
    out.clear();
    ASSERT_TRUE(TextDecoder::DecodeAll(std::string("\xFF\xFE\xFA\x57\xD1\x91\x09\x00", 8), Encoding::Auto,
                                       out, error));
    EXPECT_EQ(out, "基金\t");
    // Forced UTF-8 on GBK bytes is an error that names the byte, not a silent garble.
    out.clear();
    EXPECT_FALSE(TextDecoder::DecodeAll("ab\xBB\xF9", Encoding::Utf8, out, error));
    EXPECT_NE(error.find("byte"), std::string::npos);
    EXPECT_TRUE(IsUtf8("基", false));
    EXPECT_FALSE(IsUtf8(std::string("基").substr(0, 2), false));
    EXPECT_TRUE(IsUtf8(std::string("基").substr(0, 2), true));
}

TEST(ImportHeaders, KindsAreRecognisedFromEnglishAndChineseNames) {
    Header header = RecogniseHeader(
        {"净值日期", "单位净值", "累计净值", "日增长率", "申购状态", "赎回状态", "分红送配"}, Kind::Auto);
    EXPECT_EQ(header.kind, Kind::History);
    EXPECT_TRUE(header.error.empty());
    EXPECT_EQ(header.Find(Column::Growth), 3);
    EXPECT_TRUE(header.percent[3]); // a Chinese growth column shows percentages
    EXPECT_EQ(RecogniseHeader({"code", "date", "value", "totalvalue"}, Kind::Auto).kind, Kind::History);
    EXPECT_FALSE(RecogniseHeader({"code", "date", "value", "growth"}, Kind::Auto).percent[3]);
    EXPECT_EQ(RecogniseHeader({"指数代码", "日期", "收盘价"}, Kind::Auto).kind, Kind::Index);
    EXPECT_EQ(RecogniseHeader({"基金代码", "基金简称", "基金类型"}, Kind::Auto).kind, Kind::Funds);
    EXPECT_EQ(RecogniseHeader({"基金代码", "基金类型"}, Kind::Auto).kind, Kind::Funds);
    EXPECT_EQ(
        RecogniseHeader({"基金代码", "报告期", "资产类型", "市值（元）", "占总资产比例（%）"}, Kind::Auto)
            .kind,
        Kind::Assets);
    EXPECT_EQ(RecogniseHeader({"基金代码", "报告期", "行业名称", "市值", "占净值比例"}, Kind::Auto).kind,
              Kind::Industries);
    EXPECT_EQ(RecogniseHeader({"基金代码", "评级日期", "三年评级"}, Kind::Auto).kind, Kind::Ratings);
    EXPECT_EQ(RecogniseHeader({"基金代码", "基金经理", "任职日期", "离任日期"}, Kind::Auto).kind,
              Kind::Managers);
    EXPECT_EQ(RecogniseHeader({"基金代码", "除息日", "每份分红"}, Kind::Auto).kind, Kind::Dividends);
    // A holdings file with the stock's industry is no industry allocation, and its 股票名称 is no
    // fund name.
    header = RecogniseHeader(
        {"基金代码", "报告期", "股票代码", "股票名称", "行业名称", "持股数", "持仓市值", "占净值比例"},
        Kind::Auto);
    EXPECT_EQ(header.kind, Kind::Holdings);
    EXPECT_TRUE(header.ignored.empty());
    EXPECT_TRUE(header.percent[7]);
    EXPECT_EQ(RecogniseHeader({"code", "date", "stockcode", "percent"}, Kind::Auto).kind, Kind::Holdings);
    // The captions of messages follow the kind: the same column is 占总资产比例 in an asset file.
    EXPECT_STREQ(ColumnCaption(Column::Percent, Kind::Holdings), "占净值比例");
    EXPECT_STREQ(ColumnCaption(Column::Percent, Kind::Assets), "占总资产比例");

    // Unknown columns are listed, not fatal; a header of nothing known says so.
    header = RecogniseHeader({"Date", "Value", "Comment"}, Kind::Auto);
    EXPECT_EQ(header.kind, Kind::History);
    EXPECT_EQ(header.ignored, std::vector<std::string>{"Comment"});
    EXPECT_FALSE(RecogniseHeader({"foo", "bar"}, Kind::Auto).error.empty());
    // A forced kind that lacks a needed column says which.
    header = RecogniseHeader({"净值日期", "累计净值"}, Kind::History);
    EXPECT_NE(header.error.find("单位净值"), std::string::npos) << header.error;
}

TEST(ImportNames, PinyinInitialsAndInvestmentTypes) {
    EXPECT_EQ(PinyinInitials("南方稳健"), "NFWJ");
    EXPECT_EQ(PinyinInitials("阿尔法"), "AEF"); // the first and
    EXPECT_EQ(PinyinInitials("座"), "Z");       // the last character of the first level
    EXPECT_EQ(PinyinInitials("沪深300指数(LOF)"), "HS300ZSLOF");
    EXPECT_EQ(InvestTypeOf("货币型"), "现金型");
    EXPECT_EQ(InvestTypeOf("混合型-偏债"), "混合型");
    EXPECT_EQ(InvestTypeOf("债券型-混合二级"), "债券型");
    EXPECT_EQ(InvestTypeOf("偏债混合型"), "混合型");
    EXPECT_EQ(InvestTypeOf("指数型-股票"), "指数型");
    EXPECT_EQ(InvestTypeOf("QDII-指数"), "QDII");
    EXPECT_EQ(InvestTypeOf("股票型"), "股票型");
    EXPECT_EQ(InvestTypeOf("商品"), "商品");
}

} // namespace
