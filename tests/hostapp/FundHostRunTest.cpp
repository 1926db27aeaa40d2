// The host program run as a person's script runs it: headless, on a fixture database, checking its
// exit codes, its messages and the screenshots it writes.
#include "support/FixtureDb.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/wait.h>
#include <vector>

namespace {

struct HostRun {
    int code = -1;
    std::string output;
};

HostRun runHost(const std::string& arguments) {
    std::string command = std::string(FUNDHOST_PATH) + " " + arguments + " 2>&1";
    HostRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return run;
    std::array<char, 512> buffer{};
    while (fgets(buffer.data(), buffer.size(), pipe) != nullptr)
        run.output += buffer.data();
    int status = pclose(pipe);
    run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

std::string writeScript(const std::filesystem::path& folder, const std::string& text) {
    std::filesystem::path path = folder / "script.txt";
    std::ofstream(path) << text;
    return path.string();
}

class FundHostRun : public ::testing::Test {
protected:
    void SetUp() override {
        folder = std::filesystem::temp_directory_path() /
                 ("fundhost-run-" + std::to_string(::getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(folder);
    }
    void TearDown() override { std::filesystem::remove_all(folder); }
    std::string common() const {
        return "--headless --size 1024x700 --db " + db.Path() + " --config " +
               (folder / "config.xml").string();
    }

    TestSupport::FixtureDb db{"funds.sql"};
    std::filesystem::path folder;
};

TEST_F(FundHostRun, AScriptDrivesTheFrameAndLeavesScreenshots) {
    std::string shot = (folder / "workspace.png").string();
    HostRun run =
        runHost(common() + " --script " +
                writeScript(folder, "tab 对比分析\nscreenshot " + shot + "\ntheme light\ntheme dark\n"));
    EXPECT_EQ(run.code, 0) << run.output;
    EXPECT_TRUE(std::filesystem::exists(shot));
    EXPECT_GT(std::filesystem::file_size(shot), 1000u);
}

TEST_F(FundHostRun, FundsAreAddedThroughThePickerAndFollowedFromTheFundFilterPage) {
    std::string shot = (folder / "filter.png").string();
    HostRun run = runHost(common() + " --script " +
                          writeScript(folder, "tab 基金筛选\n"
                                              "add 000001\n"
                                              "add 000003\n"
                                              "add 000001\n"
                                              "expect-message 基金[000001]华夏成长股票已存在。\n"
                                              "tab 业绩表现\n"
                                              "tab 综合对比\n"
                                              "clear\n"
                                              "follow 000004\n"
                                              "screenshot " +
                                                  shot + "\n"));
    EXPECT_EQ(run.code, 0) << run.output;
    EXPECT_TRUE(std::filesystem::exists(shot));
    // The followed fund is kept in the configuration.
    std::ifstream config(folder / "config.xml");
    std::string text((std::istreambuf_iterator<char>(config)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("F004"), std::string::npos) << text;

    // A closed-end fund is not offered, so it cannot be added or followed.
    run = runHost(common() + " --script " + writeScript(folder, "add 500001\n"));
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.output.find("line 1: the fund picker finds no fund 500001"), std::string::npos)
        << run.output;
    run = runHost(common() + " --script " + writeScript(folder, "follow 500001\n"));
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.output.find("line 1: there is no fund 500001"), std::string::npos) << run.output;
}

TEST_F(FundHostRun, SortAndDumpShowTheListAsItIsDrawn) {
    std::string tsv = (folder / "list.tsv").string();
    HostRun run = runHost(common() + " --script " +
                          writeScript(folder, "tab 基金筛选\nsort aliascode desc\ndump " + tsv + "\n"));
    ASSERT_EQ(run.code, 0) << run.output;
    std::ifstream in(tsv);
    std::string titles, first;
    std::getline(in, titles);
    std::getline(in, first);
    EXPECT_EQ(titles.rfind("代码\t名称\t", 0), 0u) << titles;
    EXPECT_EQ(first.rfind("000014\t嘉实增长股票\t", 0), 0u) << first;

    run = runHost(common() + " --script " + writeScript(folder, "sort nonsense asc\n"));
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.output.find("no column 'nonsense'"), std::string::npos) << run.output;
}

TEST_F(FundHostRun, PagesAreDrivenByDateFilterHorizonAndRemoval) {
    std::string before = (folder / "before.tsv").string(), after = (folder / "after.tsv").string();
    HostRun run = runHost(common() + " --script " +
                          writeScript(folder, "add 000001\n"
                                              "add 000003\n"
                                              "tab 资产分布\n"
                                              "date 2010-06-30\n"
                                              "filter 股票投资\n"
                                              "dump " +
                                                  before +
                                                  "\n"
                                                  "remove 000001\n"
                                                  "dump " +
                                                  after +
                                                  "\n"
                                                  "tab 风险回报\n"
                                                  "horizon 3\n"
                                                  "tab 业绩表现\n"
                                                  "sort yield desc\n"));
    ASSERT_EQ(run.code, 0) << run.output;
    auto lines = [](const std::string& path) {
        std::ifstream in(path);
        std::vector<std::string> out;
        for (std::string line; std::getline(in, line);)
            out.push_back(line);
        return out;
    };
    std::vector<std::string> shown = lines(before);
    ASSERT_EQ(shown.size(), 3u); // titles and the stock rows of the two funds
    EXPECT_EQ(shown[1].rfind("股票投资\t000001\t", 0), 0u) << shown[1];
    std::vector<std::string> left = lines(after);
    ASSERT_EQ(left.size(), 2u);
    EXPECT_NE(left[1].find("\t000003\t"), std::string::npos) << left[1];

    run =
        runHost(common() + " --script " + writeScript(folder, "add 000001\ntab 资产分布\ndate 1999-01-01\n"));
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.output.find("offers no '1999-01-01'"), std::string::npos) << run.output;
}

TEST_F(FundHostRun, TheRiskReturnPageDumpsItsStarsAsTheMapReadThem) {
    std::string one = (folder / "one.tsv").string(), two = (folder / "two.tsv").string();
    HostRun run = runHost(common() + " --script " +
                          writeScript(folder, "add 000004\nadd 000001\nadd 000008\nadd 000002\n"
                                              "tab 风险回报\ndump " +
                                                  one + "\nhorizon 2\ndump " + two + "\n"));
    ASSERT_EQ(run.code, 0) << run.output;
    auto lines = [](const std::string& path) {
        std::ifstream in(path);
        std::vector<std::string> out;
        for (std::string line; std::getline(in, line);)
            out.push_back(line);
        return out;
    };
    // Fund stars in code order (the money-market fund 000008 gets none), then the type averages
    // in the order of the averages query, kinds counted on from 8; the fixture's index series is
    // too short for a year, so there is no index star.
    const std::vector<std::string> expected = {
        "标签\t名称\t说明\t标准差\t收益率\t图标",
        "[F001]\t华夏成长股票\t股票型\t25.00%\t18.00%\t6",
        "[F002]\t华夏红利股票\t股票型\t20.00%\t12.00%\t6",
        "[F004]\t嘉实稳健债券\t债券型\t3.00%\t5.00%\t3",
        "\tQDII\t平均值\t0.00%\t0.00%\t8",
        "\t保本型\t平均值\t0.00%\t0.00%\t9",
        "\t债券型\t平均值\t3.00%\t5.00%\t10",
        "\t指数型\t平均值\t0.00%\t0.00%\t11",
        "\t混合型\t平均值\t12.00%\t8.00%\t12",
        "\t股票型\t平均值\t20.33%\t12.00%\t13",
    };
    EXPECT_EQ(lines(one), expected);
    // Over two years the bond fund has no figures and drops out.
    std::vector<std::string> second = lines(two);
    ASSERT_EQ(second.size(), 9u);
    EXPECT_EQ(second[1], "[F001]\t华夏成长股票\t股票型\t22.00%\t10.00%\t6");
    EXPECT_EQ(second[2], "[F002]\t华夏红利股票\t股票型\t18.00%\t9.00%\t6");
    EXPECT_EQ(second[3].rfind("\tQDII\t", 0), 0u) << second[3];
}

TEST_F(FundHostRun, AFailingLineStopsTheScriptWithItsNumber) {
    HostRun run =
        runHost(common() + " --script " + writeScript(folder, "tab 对比分析\nexpect-message 没有这个消息\n"));
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.output.find("line 2:"), std::string::npos) << run.output;

    run = runHost(common() + " --script " + writeScript(folder, "\n\nlaunch rockets\n"));
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.output.find("line 3: unknown action 'launch'"), std::string::npos) << run.output;
}

TEST_F(FundHostRun, AMissingOrForeignDatabaseStopsWithExitCodeTwo) {
    std::string script = writeScript(folder, "tab 对比分析\n");
    HostRun run = runHost("--headless --db " + (folder / "none.db").string() + " --script " + script);
    EXPECT_EQ(run.code, 2);
    EXPECT_NE(run.output.find("cannot open the fund database"), std::string::npos) << run.output;

    std::ofstream(folder / "notes.db") << "these are not funds";
    run = runHost("--headless --db " + (folder / "notes.db").string() + " --script " + script);
    EXPECT_EQ(run.code, 2);
    EXPECT_NE(run.output.find("is not an SQLite fund database"), std::string::npos) << run.output;

    run = runHost("--zoom 9");
    EXPECT_EQ(run.code, 2);
    EXPECT_NE(run.output.find("--zoom"), std::string::npos);
}

// The number of funds the general page shows: its columns after the row titles.
int generalFunds(const std::string& tsv) {
    std::ifstream in(tsv);
    std::string titles;
    if (!std::getline(in, titles))
        return -1;
    return static_cast<int>(std::count(titles.begin(), titles.end(), '\t'));
}

TEST_F(FundHostRun, TheFirstStartOnTheSampleComparesThreeFundsOnce) {
    TestSupport::GeneratedDb sample(SampleDb::Options{300, 6, 3});
    const std::string tsv = (folder / "general.tsv").string();
    const std::string sampleRun =
        "--headless --db " + sample.Path() + " --config " + (folder / "config.xml").string() + " --script ";
    HostRun run = runHost(sampleRun + writeScript(folder, "tab 综合对比\ndump " + tsv + "\nclear\n"));
    ASSERT_EQ(run.code, 0) << run.output;
    EXPECT_EQ(generalFunds(tsv), 3);
    // The configuration now exists: the next start is no first start, and the comparison the user
    // left empty stays empty.
    ASSERT_TRUE(std::filesystem::exists(folder / "config.xml"));
    run = runHost(sampleRun + writeScript(folder, "tab 综合对比\ndump " + tsv + "\n"));
    ASSERT_EQ(run.code, 0) << run.output;
    EXPECT_EQ(generalFunds(tsv), 0);

    // A first start on the user's own data adds nothing to the comparison.
    std::filesystem::remove(folder / "config.xml");
    run = runHost(common() + " --script " + writeScript(folder, "tab 综合对比\ndump " + tsv + "\n"));
    ASSERT_EQ(run.code, 0) << run.output;
    EXPECT_EQ(generalFunds(tsv), 0);
}

TEST_F(FundHostRun, VersionAndTheConfiguredDatabase) {
    HostRun run = runHost("--version");
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.output.rfind("fundhost ", 0), 0u) << run.output;
    EXPECT_NE(run.output.find_first_of("0123456789"), std::string::npos) << run.output;

    // Without --db the configured database is opened; a configured file that is missing is named
    // with the setting that points at it.
    const std::string config = (folder / "config.xml").string();
    std::ofstream(config) << "<Quenda2><FundHost><Database>" << db.Path()
                          << "</Database></FundHost></Quenda2>";
    const std::string tsv = (folder / "list.tsv").string();
    run = runHost("--headless --config " + config + " --script " +
                  writeScript(folder, "tab 基金筛选\nsort aliascode desc\ndump " + tsv + "\n"));
    ASSERT_EQ(run.code, 0) << run.output;
    std::ifstream in(tsv);
    std::string titles, first;
    std::getline(in, titles);
    std::getline(in, first);
    EXPECT_EQ(first.rfind("000014\t", 0), 0u) << first;

    std::ofstream(config) << "<Quenda2><FundHost><Database>" << (folder / "gone.db").string()
                          << "</Database></FundHost></Quenda2>";
    run = runHost("--headless --config " + config + " --script " + writeScript(folder, "tab 基金筛选\n"));
    EXPECT_EQ(run.code, 2);
    EXPECT_NE(run.output.find("FundHost/Database"), std::string::npos) << run.output;
}

TEST_F(FundHostRun, AModuleThatWillNotLoadIsReportedAndTheHostGoesOn) {
    std::string shot = (folder / "frame.png").string();
    HostRun run = runHost(common() + " --module " + (folder / "missing.so").string() + " --script " +
                          writeScript(folder, "screenshot " + shot + "\n"));
    EXPECT_EQ(run.code, 0) << run.output;
    EXPECT_NE(run.output.find("无法加载基金对比模块"), std::string::npos) << run.output;
    EXPECT_TRUE(std::filesystem::exists(shot));
}

} // namespace

namespace {

TEST_F(FundHostRun, TheGrowthPageIsReachedByNameAndDumpsItsFiguresAsShown) {
    const TestSupport::FixtureDb growthDb{"funds.sql", "../pages_growth/growth_history.sql"};
    const std::string tsv = (folder / "growth.tsv").string(), shot = (folder / "growth.png").string();
    HostRun run = runHost("--headless --size 1024x700 --config " + (folder / "config.xml").string() +
                          " --db " + growthDb.Path() + " --script " +
                          writeScript(folder, "add 000001\ntab growth\nmove 400 300\nscreenshot " + shot +
                                                  "\ntab 综合对比\ntab 走势对比\ndump " + tsv + "\n"));
    ASSERT_EQ(run.code, 0) << run.output;
    EXPECT_TRUE(std::filesystem::exists(shot));
    std::ifstream in(tsv);
    std::string titles, fund, index, extra;
    std::getline(in, titles);
    std::getline(in, fund);
    std::getline(in, index);
    EXPECT_EQ(
        titles.rfind("代码\t名称\t区间收益\t年化收益\t年化波动率\t最大回撤\t回撤峰值日\t回撤谷底日\t", 0), 0u)
        << titles;
    EXPECT_EQ(fund.rfind("000001\t华夏成长股票\t6.32%\t", 0), 0u) << fund;
    EXPECT_EQ(index.rfind("sh000001\t上证指数\t6.00%\t", 0), 0u) << index;
    EXPECT_FALSE(std::getline(in, extra) && !extra.empty()) << extra;
}

} // namespace
