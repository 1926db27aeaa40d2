// Host scripts: every action, comments, and the line of the first mistake.
#include "Script.h"

#include <gtest/gtest.h>

namespace {

using Kind = ScriptAction::Kind;

TEST(Script, ParsesEveryActionWithItsArguments) {
    std::string error;
    auto actions = ParseScript("\xEF\xBB\xBF# a demo\r\n"
                               "add 000001\r\n"
                               "\n"
                               "tab 业绩表现\n"
                               "date 2010-06-30\n"
                               "filter 最近一周\n"
                               "sort yield desc\n"
                               "horizon 5\n"
                               "follow 110022\n"
                               "theme light\n"
                               "click 12 34\n"
                               "key Enter\n"
                               "type 华夏\n"
                               "wait 800\n"
                               "screenshot out/perf.png\n"
                               "dump out/perf.tsv\n"
                               "expect-message 基金[000001]华夏成长已存在。\n"
                               "remove 000001\n"
                               "clear",
                               error);
    ASSERT_TRUE(actions) << error;
    ASSERT_EQ(actions->size(), 17u);
    const auto& a = *actions;
    EXPECT_EQ(a[0].kind, Kind::Add);
    EXPECT_EQ(a[0].text, XStringW(L"000001"));
    EXPECT_EQ(a[0].line, 2);
    EXPECT_EQ(a[1].text, XStringW(L"业绩表现"));
    EXPECT_EQ(a[1].line, 4);
    EXPECT_EQ(a[4].text, XStringW(L"yield"));
    EXPECT_FALSE(a[4].ascending);
    EXPECT_EQ(a[5].number, 5);
    EXPECT_EQ(a[8].x, 12);
    EXPECT_EQ(a[8].y, 34);
    EXPECT_EQ(a[11].number, 800);
    EXPECT_EQ(a[14].text, XStringW(L"基金[000001]华夏成长已存在。"));
    EXPECT_EQ(a[16].kind, Kind::Clear);
}

TEST(Script, TheDataMenuLinesKeepTheirPathsWhole) {
    std::string error;
    auto actions = ParseScript("opendb /tmp/我的 基金.db\nimport /tmp/a.csv  /tmp/净值/\n", error);
    ASSERT_TRUE(actions) << error;
    ASSERT_EQ(actions->size(), 2u);
    EXPECT_EQ((*actions)[0].kind, Kind::OpenDatabase);
    EXPECT_EQ((*actions)[0].text, XStringW(L"/tmp/我的 基金.db"));
    EXPECT_EQ((*actions)[1].kind, Kind::Import);
    EXPECT_EQ((*actions)[1].text, XStringW(L"/tmp/a.csv  /tmp/净值/"));
}

TEST(Script, ReportsTheFirstBadLine) {
    std::string error;
    struct Case {
        const char* script;
        const char* expected;
    } cases[] = {
        {"add 1\nfly away", "line 2: unknown action 'fly'"},
        {"add", "line 1: add wants one fund code"},
        {"add 1 2", "line 1: add wants one fund code"},
        {"date 2010/06/30", "line 1: date wants YYYY-MM-DD, not '2010/06/30'"},
        {"sort yield", "line 1: sort wants FIELD asc|desc"},
        {"sort yield up", "line 1: sort wants FIELD asc|desc"},
        {"horizon 4", "line 1: horizon wants 1, 2, 3 or 5 years"},
        {"horizon 99999999999999", "line 1: horizon wants 1, 2, 3 or 5 years"},
        {"wait -1", "line 1: wait wants milliseconds, 0 to 600000"},
        {"click 1", "line 1: click wants X Y"},
        {"theme blue", "line 1: theme wants dark or light"},
        {"\n\nscreenshot", "line 3: screenshot wants a value"},
        {"clear now", "line 1: clear takes nothing after it"},
        {"range 2y", "line 1: range wants 1m, 3m, 6m, 1y, 3y, 5y, all or FROM:TO (YYYY-MM-DD), not '2y'"},
        {"range 2010-01-01", "line 1: range wants 1m, 3m, 6m, 1y, 3y, 5y, all or FROM:TO (YYYY-MM-DD), not "
                             "'2010-01-01'"},
        {"range 2010-01-01:2010/02/01", "line 1: range wants 1m, 3m, 6m, 1y, 3y, 5y, all or FROM:TO "
                                        "(YYYY-MM-DD), not '2010-01-01:2010/02/01'"},
        {"view chart", "line 1: view wants figures or matrix"},
        {"benchmark", "line 1: benchmark wants one index code"},
        {"benchmark sh000001 sz399001", "line 1: benchmark wants one index code"},
        {"opendb", "line 1: opendb wants a value"},
        {"import   ", "line 1: import wants a value"},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(ParseScript(c.script, error)) << c.script;
        EXPECT_EQ(error, c.expected);
    }
    auto empty = ParseScript("", error);
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->empty());
}

} // namespace

namespace {

TEST(Script, PointerMovesAndTheGrowthPage) {
    std::string error;
    auto actions = ParseScript("tab growth\ntab 走势对比\nmove 640 300\n", error);
    ASSERT_TRUE(actions) << error;
    ASSERT_EQ(actions->size(), 3u);
    EXPECT_EQ((*actions)[1].text, XStringW(L"走势对比"));
    EXPECT_EQ((*actions)[2].kind, Kind::Move);
    EXPECT_EQ((*actions)[2].x, 640);
    EXPECT_EQ((*actions)[2].y, 300);
    EXPECT_FALSE(ParseScript("move 640", error));
    EXPECT_EQ(error, "line 1: move wants X Y");
    actions = ParseScript("benchmark fc000101\n", error);
    ASSERT_TRUE(actions) << error;
    EXPECT_EQ((*actions)[0].kind, Kind::Benchmark);
    EXPECT_EQ((*actions)[0].text, XStringW(L"fc000101"));
}

} // namespace
