// The host program run as a person's script runs it: headless, on a fixture database, checking its
// exit codes, its messages and the screenshots it writes.
#include "HostRun.h"
#include "support/FixtureDb.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <sys/wait.h>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// Changes a test database before the program opens it (read-only) for a run.
void alter(const std::string& path, const std::string& sql) {
    SampleDb::Exec(SampleDb::OpenDatabase(path, true).get(), sql);
}

std::vector<std::string> linesOf(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> out;
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

std::string readAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
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

TEST_F(FundHostRun, EveryFileTheProgramReadsMustBeAFile) {
    std::string script = writeScript(folder, "tab 对比分析\n");
    std::string pipe = (folder / "pipe").string();
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    std::string config = " --config " + (folder / "config.xml").string();

    // A folder or a pipe as the script: refused with the reason, never a crash or a wait.
    for (const std::string& bad : {folder.string(), pipe}) {
        HostRun run = runHost("--headless --db " + db.Path() + config + " --script " + bad);
        EXPECT_EQ(run.code, 1) << bad << "\n" << run.output;
        EXPECT_NE(run.output.find("cannot read the script: '" + bad + "' is a"), std::string::npos)
            << run.output;
    }
    // A pipe or a folder as the database stops the program at once.
    for (const std::string& bad : {pipe, folder.string()}) {
        HostRun run = runHost("--headless --db " + bad + config + " --script " + script);
        EXPECT_EQ(run.code, 2) << bad << "\n" << run.output;
        EXPECT_NE(run.output.find("cannot open the fund database: '" + bad + "' is a"), std::string::npos)
            << run.output;
    }
    // An empty name is a mistake, not the sample database.
    HostRun run = runHost("--headless --db ''" + config + " --script " + script);
    EXPECT_EQ(run.code, 2) << run.output;
    EXPECT_NE(run.output.find("--db needs a file name"), std::string::npos) << run.output;
    // A module that is a pipe is reported like any module that will not load; the host goes on.
    run = runHost(common() + " --module " + pipe + " --script " + writeScript(folder, "tab 基金筛选\n"));
    EXPECT_EQ(run.code, 0) << run.output;
    EXPECT_NE(run.output.find("无法加载基金对比模块"), std::string::npos) << run.output;
    EXPECT_TRUE(std::filesystem::is_fifo(pipe));
}

TEST_F(FundHostRun, AConfigurationPathThatIsNoFileIsLeftAlone) {
    std::string script = writeScript(folder, "tab 对比分析\n");
    std::filesystem::path documents = folder / "documents";
    std::filesystem::create_directories(documents);
    std::ofstream(documents / "letter.txt") << "dear";
    std::string pipe = (folder / "pipe").string();
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    for (const std::string& bad : {documents.string(), pipe}) {
        HostRun run =
            runHost("--headless --zoom 2 --db " + db.Path() + " --config " + bad + " --script " + script);
        EXPECT_EQ(run.code, 2) << bad << "\n" << run.output;
        EXPECT_NE(run.output.find("the configuration '" + bad + "' is a"), std::string::npos) << run.output;
        EXPECT_FALSE(std::filesystem::exists(bad + ".bad"));
    }
    EXPECT_EQ(readAll(documents / "letter.txt"), "dear");
    EXPECT_TRUE(std::filesystem::is_fifo(pipe));

    // A configuration reached through a link is written at the link's target.
    std::filesystem::path target = folder / "kept" / "settings.xml";
    std::filesystem::create_directories(target.parent_path());
    std::ofstream(target) << "<Quenda2/>";
    std::filesystem::path link = folder / "config-link.xml";
    std::filesystem::create_symlink(target, link);
    HostRun run = runHost("--headless --zoom 2 --db " + db.Path() + " --config " + link.string() +
                          " --script " + writeScript(folder, "theme light\n"));
    EXPECT_EQ(run.code, 0) << run.output;
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    std::string saved = readAll(target);
    EXPECT_NE(saved.find("<FontSize>2"), std::string::npos) << saved;
    EXPECT_NE(saved.find("<Theme>light</Theme>"), std::string::npos) << saved;
}

TEST_F(FundHostRun, ASettingThatCannotBeSavedIsToldEveryTimeTheSameWay) {
    // The configuration's folder is a file: nothing can be written there.
    std::ofstream(folder / "plain") << "x";
    std::string config = (folder / "plain" / "config.xml").string();
    std::string told = "cannot save the configuration '" + config + "': Not a directory";
    std::string options = "--headless --size 1024x700 --db " + db.Path() + " --config " + config;

    HostRun run = runHost(options + " --zoom 1.5 --script " +
                          writeScript(folder, "expect-message " + told +
                                                  "\n"
                                                  "theme light\n"
                                                  "expect-message " +
                                                  told +
                                                  "\n"
                                                  "add 000001\n"
                                                  "add 000001\n"
                                                  "expect-message 基金[000001]华夏成长股票已存在。\n"
                                                  "theme dark\n"
                                                  "expect-message " +
                                                  told + "\n"));
    EXPECT_EQ(run.code, 0) << run.output;

    // Following a fund is refused the same way, and the line says the fund is not followed.
    run = runHost(options + " --script " + writeScript(folder, "follow 000004\n"));
    EXPECT_EQ(run.code, 1) << run.output;
    EXPECT_NE(run.output.find("line 1: the fund 000004 is not followed: " + told), std::string::npos)
        << run.output;
}

TEST_F(FundHostRun, AForeignDatabaseStopsWithTheMissingTablesNamed) {
    TestSupport::TempDbFile foreign("foreign");
    alter(foreign.Path(), "CREATE TABLE tb_fund(code TEXT); CREATE TABLE notes(text TEXT);"
                          "CREATE VIEW tb_manager AS SELECT 1 AS code;");
    HostRun run = runHost("--headless --db " + foreign.Path() + " --config " + (folder / "c.xml").string() +
                          " --script " + writeScript(folder, "tab 对比分析\n"));
    EXPECT_EQ(run.code, 2) << run.output;
    EXPECT_NE(
        run.output.find("is not a fund database: it has no table tb_yield, tb_yieldhistory, tb_currvalue, "
                        "tb_buyredeemstate, tb_assetallocation, tb_investindustry, tb_industryname, "
                        "tb_riskevaluation, tb_investadvisor, tb_bonus, tb_issueandlisting, "
                        "tb_analyticalindex\n"),
        std::string::npos)
        << run.output;
    EXPECT_EQ(run.output.find("no such table"), std::string::npos) << run.output;
}

TEST_F(FundHostRun, WithoutADisplayTheProgramSaysSoAndStops) {
    HostRun run = runHost("--db " + db.Path() + " --config " + (folder / "c.xml").string(),
                          "env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER");
    EXPECT_EQ(run.code, 2) << run.output;
    EXPECT_NE(
        run.output.find("fundhost: no display to show the program on; run it with --headless --script FILE"),
        std::string::npos)
        << run.output;
    // A display named but not there is no display either.
    run = runHost("--db " + db.Path() + " --config " + (folder / "c.xml").string(),
                  "env -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER DISPLAY=:97");
    EXPECT_EQ(run.code, 2) << run.output;
    EXPECT_NE(run.output.find("no display to show the program on"), std::string::npos) << run.output;
}

TEST_F(FundHostRun, AMissingThemeGivesWayToOneThatLoads) {
    // A copy of the program whose theme folder lacks dark.xml; its libraries are the build's.
    std::filesystem::path bin = folder / "bin";
    std::filesystem::path built = std::filesystem::path(FUNDHOST_PATH).parent_path();
    std::filesystem::create_directories(bin / "themes");
    std::filesystem::copy_file(FUNDHOST_PATH, bin / "fundhost");
    std::filesystem::copy_file(built / "themes" / "light.xml", bin / "themes" / "light.xml");
    for (const auto& entry : std::filesystem::directory_iterator(built))
        if (entry.path().extension() == ".so")
            std::filesystem::create_symlink(entry.path(), bin / entry.path().filename());
    std::string shot = (folder / "light.png").string();
    std::string command = (bin / "fundhost").string() + " " + common() + " --script " +
                          writeScript(folder, "tab 对比分析\nscreenshot " + shot + "\n") + " 2>&1";
    FILE* pipe = popen(("timeout -s KILL 120 " + command).c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string output;
    std::array<char, 512> buffer{};
    while (fgets(buffer.data(), buffer.size(), pipe) != nullptr)
        output += buffer.data();
    int status = pclose(pipe);
    ASSERT_TRUE(WIFEXITED(status)) << output;
    EXPECT_EQ(WEXITSTATUS(status), 0) << output;
    EXPECT_NE(output.find("themes/dark.xml': No such file or directory"), std::string::npos) << output;
    EXPECT_NE(output.find("using the light theme"), std::string::npos) << output;
    EXPECT_TRUE(std::filesystem::exists(shot));
}

TEST_F(FundHostRun, ARemovalBringsItsRowIntoViewAndIsChecked) {
    // Sorted by code downwards, the first row of 000001 is the ninth: on these short screens, with
    // rows twice as tall, it is cut by the bottom of the list, or below it.
    std::string before = (folder / "before.tsv").string(), after = (folder / "after.tsv").string();
    std::string adds;
    for (const char* code :
         {"000001", "000002", "000003", "000004", "000005", "000006", "000007", "000008", "000014"})
        adds += std::string("add ") + code + "\n";
    for (int height : {520, 584}) {
        HostRun run = runHost("--headless --zoom 2 --size 1024x" + std::to_string(height) + " --db " +
                              db.Path() + " --config " + (folder / "c.xml").string() + " --script " +
                              writeScript(folder, adds + "tab 业绩表现\nsort aliascode desc\ndump " + before +
                                                      "\nremove 000001\ndump " + after + "\n"));
        ASSERT_EQ(run.code, 0) << height << "\n" << run.output;
        std::vector<std::string> shown = linesOf(before), left = linesOf(after);
        auto count = [](const std::vector<std::string>& lines, const std::string& code) {
            return std::count_if(lines.begin(), lines.end(), [&](const std::string& line) {
                return line.find("\t" + code + "\t") != std::string::npos;
            });
        };
        ASSERT_GE(shown.size(), 10u);
        EXPECT_NE(shown[9].find("\t000001\t"), std::string::npos) << shown[9];
        EXPECT_EQ(count(left, "000001"), 0) << height;
        EXPECT_EQ(count(left, "000014"), 13) << height;
        EXPECT_EQ(left.size() + 13, shown.size()) << height;
    }

    // A fund the list does not show fails the line.
    HostRun run =
        runHost(common() + " --script " + writeScript(folder, "add 000001\ntab 业绩表现\nremove 000002\n"));
    EXPECT_EQ(run.code, 1) << run.output;
    EXPECT_NE(run.output.find("line 3: the visible page lists no fund 000002"), std::string::npos)
        << run.output;
}

TEST_F(FundHostRun, DumpAndScreenshotFailWhenTheFileCannotBeWritten) {
    for (const std::string& action : {std::string("screenshot /dev/full"), std::string("dump /dev/full"),
                                      "screenshot " + (folder / "none" / "shot.png").string(),
                                      "dump " + (folder / "none" / "list.tsv").string()}) {
        HostRun run =
            runHost(common() + " --script " + writeScript(folder, "tab 基金筛选\n" + action + "\n"));
        EXPECT_EQ(run.code, 1) << action << "\n" << run.output;
        EXPECT_NE(run.output.find("line 2: cannot write"), std::string::npos) << run.output;
    }
}

TEST_F(FundHostRun, DatabaseTextThatXmlCannotHoldKeepsTheGeneralPageWhole) {
    // A NUL inside one fund's name and control characters in another's.
    alter(db.Path(), "UPDATE tb_fund SET name = '华夏' || char(0) || '成长股票' WHERE code = 'F001';"
                     "UPDATE tb_fund SET name = '嘉实' || char(1) || '沪深' || char(65534) || '300指数' "
                     "WHERE code = 'F003';");
    std::string tsv = (folder / "general.tsv").string();
    HostRun run = runHost(common() + " --script " +
                          writeScript(folder, "add 000001\nadd 000003\ntab 综合对比\ndump " + tsv + "\n"));
    ASSERT_EQ(run.code, 0) << run.output;
    std::vector<std::string> lines = linesOf(tsv);
    ASSERT_FALSE(lines.empty());
    EXPECT_NE(lines[0].find("华夏成长股票 (000001)"), std::string::npos) << lines[0];
    EXPECT_NE(lines[0].find("嘉实沪深300指数 (000003)"), std::string::npos) << lines[0];
}

TEST_F(FundHostRun, FiguresThatAreNoNumbersShowAsMissingAndAreNotRanked) {
    // Last week's returns: F001 0.02 and F014 0.01 stay, F007 has none; the others are text of
    // every kind, or infinite.
    alter(db.Path(), "UPDATE tb_yield SET lastweek = 'abc' WHERE fundcode = 'F002' AND NOT isdeleted;"
                     "UPDATE tb_yield SET lastweek = '-' WHERE fundcode = 'F003';"
                     "UPDATE tb_yield SET lastweek = '１２' WHERE fundcode = 'F004';"
                     "UPDATE tb_yield SET lastweek = '0x10' WHERE fundcode = 'F005';"
                     "UPDATE tb_yield SET lastweek = 1e999 WHERE fundcode = 'F006';"
                     "UPDATE tb_yield SET lastweek = NULL WHERE fundcode = 'F007';");
    std::string tsv = (folder / "week.tsv").string();
    std::string adds;
    for (const char* code : {"000001", "000002", "000003", "000004", "000005", "000006", "000007", "000014"})
        adds += std::string("add ") + code + "\n";
    HostRun run = runHost(common() + " --script " +
                          writeScript(folder, adds + "tab 业绩表现\nfilter 最近一周\ndump " + tsv + "\n"));
    ASSERT_EQ(run.code, 0) << run.output;
    std::map<std::string, std::vector<std::string>> rows; // by display code
    for (const std::string& line : linesOf(tsv)) {
        std::vector<std::string> cells;
        std::stringstream split(line);
        for (std::string cell; std::getline(split, cell, '\t');)
            cells.push_back(cell);
        cells.resize(9);
        rows[cells[1]] = cells;
    }
    ASSERT_EQ(rows.size(), 9u) << readAll(tsv); // the titles and eight funds
    // Columns: period, code, name, type, state, type rank, overall rank, growth, bar. A figure
    // that is no number shows as the missing one does: no rank, no growth, no bar.
    const std::vector<std::string> missing(rows["000007"].begin() + 5, rows["000007"].end());
    EXPECT_EQ(missing[2], "--");
    for (const char* bad : {"000002", "000003", "000004", "000005", "000006"})
        EXPECT_EQ(std::vector<std::string>(rows[bad].begin() + 5, rows[bad].end()), missing) << bad;
    // F001 and F014 rank among the equity funds as if the text were not there.
    EXPECT_EQ(rows["000001"][7], "2.00%");
    EXPECT_EQ(rows["000001"][5], "1/2");
    EXPECT_EQ(rows["000014"][5], "2/2");
}

TEST_F(FundHostRun, AReportDateThatIsNoDateDoesNotEmptyTheDateBox) {
    alter(db.Path(),
          "INSERT INTO tb_assetallocation (code, date, assettype, marketvalue, percent, isdeleted) VALUES"
          " ('F001', 'zz-garbage', '股票', 1, 1, 0), ('F001', '0000-00-00', '股票', 1, 1, 0);"
          "INSERT INTO tb_investindustry (code, date, industryid, marketvalue, percent, isdeleted) VALUES"
          " ('F001', '9999-99-99', 1, 1, 1, 0);");
    std::string tsv = (folder / "asset.tsv").string();
    HostRun run = runHost(common() + " --script " +
                          writeScript(folder, "add 000001\ntab 资产分布\ndate 2010-06-30\ndump " + tsv +
                                                  "\ntab 行业配置\ndate 2010-09-30\n"));
    ASSERT_EQ(run.code, 0) << run.output;
    std::vector<std::string> lines = linesOf(tsv);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[1].rfind("股票投资\t000001\t", 0), 0u) << lines[1];
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
        titles.rfind(
            "代码\t名称\t起始日\t截止日\t区间收益\t年化收益\t年化波动率\t最大回撤\t回撤峰值日\t回撤谷底日\t",
            0),
        0u)
        << titles;
    // Eleven days are not annualised.
    EXPECT_EQ(fund.rfind("000001\t华夏成长股票\t2010-09-20\t2010-09-30\t6.32%\t--\t", 0), 0u) << fund;
    EXPECT_EQ(index.rfind("sh000001\t上证指数\t2010-09-20\t2010-09-30\t6.00%\t--\t", 0), 0u) << index;
    EXPECT_FALSE(std::getline(in, extra) && !extra.empty()) << extra;
}

} // namespace

namespace {

TEST_F(FundHostRun, TheNextStartOpensOnTheTabTheLastOneEndedOn) {
    // The first line of what the visible page dumps tells which page it is.
    auto firstLineAtStart = [&] {
        std::string tsv = (folder / "start.tsv").string();
        HostRun run = runHost(common() + " --script " + writeScript(folder, "dump " + tsv + "\n"));
        EXPECT_EQ(run.code, 0) << run.output;
        std::ifstream in(tsv);
        std::string titles;
        std::getline(in, titles);
        return titles;
    };
    const std::string fundList = firstLineAtStart();
    EXPECT_EQ(fundList.rfind("代码\t名称\t拼音", 0), 0u) << fundList;
    // Ended on the comparison's 业绩表现: the next start shows it (the module keeps its page).
    HostRun run = runHost(common() + " --script " + writeScript(folder, "add 000001\ntab 业绩表现\n"));
    ASSERT_EQ(run.code, 0) << run.output;
    std::string performance = firstLineAtStart();
    EXPECT_NE(performance, fundList);
    EXPECT_NE(performance.find("同类排名"), std::string::npos) << performance;
    // Back on the fund list, the start after that is there too.
    run = runHost(common() + " --script " + writeScript(folder, "tab 基金筛选\n"));
    ASSERT_EQ(run.code, 0) << run.output;
    EXPECT_EQ(firstLineAtStart(), fundList);
}

} // namespace

namespace {

TEST_F(FundHostRun, TimingsAreWrittenForASessionInTheWindowWhenItEnds) {
    if (std::system("command -v xvfb-run >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "xvfb-run is missing";
    // A person's session on a virtual display, asked to stop after a while as the desktop asks
    // a program at log-out (SIGTERM), which ends the loop in the usual order.
    std::string timings = (folder / "timings.tsv").string();
    std::string command =
        "ASAN_OPTIONS=detect_leaks=0 SDL_VIDEODRIVER=x11 xvfb-run -a timeout --preserve-status "
        "-s TERM 8 " +
        std::string(FUNDHOST_PATH) + " --db " + db.Path() + " --config " + (folder / "config.xml").string() +
        " --timings " + timings + " 2>&1";
    int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    std::vector<std::string> lines = linesOf(timings);
    ASSERT_EQ(lines.size(), 2u) << readAll(timings);
    std::istringstream frame(lines[0]);
    std::string name;
    long long firstFrame = 0;
    frame >> name >> firstFrame;
    EXPECT_EQ(name, "first-frame");
    EXPECT_GT(firstFrame, 0);
    std::istringstream session(lines[1]);
    int line = -1, messages = 0;
    double longest = 0, longestCpu = 0, busy = 0, busyCpu = 0;
    session >> name >> line >> longest >> longestCpu >> busy >> busyCpu >> messages;
    EXPECT_EQ(name, "line");
    EXPECT_EQ(line, 0);
    EXPECT_GT(messages, 0);
    EXPECT_GT(busy, 0);
}

} // namespace

namespace {

TEST_F(FundHostRun, ScriptsChooseTheGrowthRangeAndViewWithoutCoordinates) {
    TestSupport::FixtureDb history{"funds.sql", "../pages_growth/growth_history.sql"};
    const std::string args =
        "--headless --size 1024x700 --db " + history.Path() + " --config " + (folder / "config.xml").string();
    const std::string figures = (folder / "figures.tsv").string(), custom = (folder / "custom.tsv").string(),
                      matrix = (folder / "matrix.png").string();
    HostRun run =
        runHost(args + " --script " +
                writeScript(folder, "add 000001\nadd 000002\ntab 走势对比\nrange 1m\ndump " + figures +
                                        "\nrange 2010-09-21:2010-09-28\ndump " + custom +
                                        "\nview matrix\nscreenshot " + matrix + "\nview figures\n"));
    ASSERT_EQ(run.code, 0) << run.output;
    auto read = [](const std::string& path) {
        std::ifstream in(path);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    // 起始日 and 截止日 of 000001 follow the range chosen.
    EXPECT_NE(read(figures).find("\t2010-09-20\t2010-09-30\t"), std::string::npos) << read(figures);
    EXPECT_NE(read(custom).find("\t2010-09-21\t2010-09-28\t"), std::string::npos) << read(custom);

    // A start after the end fails its line with the page's reason; so do words the page lacks.
    run = runHost(args + " --script " +
                  writeScript(folder, "add 000001\ntab 走势对比\nrange 2010-09-28:2010-09-21\n"));
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.output.find("晚于结束日期"), std::string::npos) << run.output;
    run = runHost(args + " --script " + writeScript(folder, "tab 业绩表现\nrange 1y\n"));
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.output.find("no range to choose"), std::string::npos) << run.output;

    // The benchmark by its code; one the database lacks fails its line and names those it has.
    const std::string benchmark = (folder / "benchmark.tsv").string();
    run = runHost(
        args + " --script " +
        writeScript(folder, "add 000001\ntab 走势对比\nbenchmark sz399001\ndump " + benchmark + "\n"));
    ASSERT_EQ(run.code, 0) << run.output;
    EXPECT_NE(read(benchmark).find("sz399001\t深证成指"), std::string::npos) << read(benchmark);
    EXPECT_EQ(read(benchmark).find("上证指数"), std::string::npos) << read(benchmark);
    run =
        runHost(args + " --script " + writeScript(folder, "add 000001\ntab 走势对比\nbenchmark zz000000\n"));
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.output.find(
                  "benchmark zz000000: the database has no index 'zz000000' (it has sh000001 sz399001)"),
              std::string::npos)
        << run.output;
}

} // namespace
