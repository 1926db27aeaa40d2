// The window's data commands below the menu: the list of databases opened last, the words of an
// import's summary, and the import's worker handing its progress and result to a window.
#include "DataCommands.h"
#include "ImportJob.h"
#include "ImportWindow.h"
#include "support/FixtureDb.h"

#include <platform/driver.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

std::string utf8(const std::wstring& text) {
    return XStringW(text).ToUtf8();
}

// ---- The list of databases ------------------------------------------------------------------------

XComPtr<HostConf::ConfManager> emptyConfig() {
    XComPtr<HostConf::ConfManager> config;
    config.Attach(new HostConf::ConfManager);
    XStringW error;
    const char text[] = "<Quenda2/>";
    EXPECT_TRUE(config->Parse(text, sizeof text - 1, error)) << error.ToUtf8();
    return config;
}

TEST(RecentDatabases, NewestFirstWithoutRepeatsAndNoLongerThanTheMenu) {
    XComPtr<HostConf::ConfManager> config = emptyConfig();
    EXPECT_TRUE(DataCommands::Recent(config).empty());
    DataCommands::Remember(config, "/tmp/a.db");
    DataCommands::Remember(config, "/tmp/b.db");
    // Opening one again moves it to the front instead of listing it twice, also when written
    // another way.
    DataCommands::Remember(config, "/tmp/./a.db");
    EXPECT_EQ(DataCommands::Recent(config), (std::vector<std::string>{"/tmp/./a.db", "/tmp/b.db"}));

    for (int i = 0; i < 10; ++i)
        DataCommands::Remember(config, "/tmp/f" + std::to_string(i) + ".db");
    std::vector<std::string> recent = DataCommands::Recent(config);
    ASSERT_EQ(recent.size(), DataCommands::kRecentCount);
    EXPECT_EQ(recent.front(), "/tmp/f9.db");
    EXPECT_EQ(recent.back(), "/tmp/f" + std::to_string(10 - DataCommands::kRecentCount) + ".db");
    // The keys past the list's length are gone, so that an old entry never comes back.
    XComPtr<Conf::IConfKey> key;
    EXPECT_FALSE(config->GetKey(key.Receive(), "/Quenda2/FundHost/Recent/File7") && key != nullptr);
}

// ---- The words of a summary -----------------------------------------------------------------------

FundImport::Problem problem(int line) {
    FundImport::Problem p;
    p.file = "/home/someone/downloads/净值.csv";
    p.line = line;
    p.column = "单位净值";
    p.reason = "not a number";
    return p;
}

TEST(ImportSummary, SaysWhatWasAddedReplacedAndRejected) {
    FundImport::Result result;
    result.written = true;
    result.files = 3;
    result.rowsRead = 1234567;
    result.fundsAdded = 2;
    result.fundsChanged = 5;
    result.rowsAdded = 1000;
    result.rowsReplaced = 7;
    result.rowsRejected = 1;
    result.problems = {problem(12)};
    std::vector<std::wstring> lines = ImportWindow::SummaryLines(result, 10);
    ASSERT_GE(lines.size(), 5u);
    EXPECT_EQ(utf8(lines[0]), "导入完成。");
    EXPECT_EQ(utf8(lines[1]), "读取 3 个表，共 1,234,567 行。");
    EXPECT_EQ(utf8(lines[2]), "基金：新增 2 只，数据有变化 5 只。");
    EXPECT_NE(utf8(lines[3]).find("新增 1,000，替换 7，"), std::string::npos);
    EXPECT_NE(utf8(lines[3]).find("拒收 1"), std::string::npos);
    // The window shows the file by its name; the line and column stay.
    EXPECT_EQ(utf8(lines.back()), "净值.csv:12: 单位净值: not a number");
    EXPECT_EQ(utf8(ImportWindow::StatusLine(result)),
              "导入完成：新增基金 2 只，新增 1,000 行，替换 7 行，拒收 1 行");
}

TEST(ImportSummary, ShowsTheFirstErrorsAndCountsThemAll) {
    FundImport::Result result;
    for (int i = 1; i <= 25; ++i)
        result.problems.push_back(problem(i));
    std::vector<std::wstring> lines = ImportWindow::SummaryLines(result, 10);
    // Bad rows without --skip-bad: nothing was written, and the headline says so.
    EXPECT_NE(utf8(lines[0]).find("没有写入任何数据"), std::string::npos);
    ASSERT_EQ(lines.size(), 2u + 1u + 10u);
    EXPECT_EQ(utf8(lines[2]), "错误（共 25 处，前 10 处）：");
    EXPECT_EQ(utf8(lines[3]), "净值.csv:1: 单位净值: not a number");
    EXPECT_EQ(utf8(lines.back()), "净值.csv:10: 单位净值: not a number");
    // Exactly as many as there are: no "first 10 of 10".
    result.problems.resize(10);
    EXPECT_EQ(utf8(ImportWindow::SummaryLines(result, 10)[2]), "错误：");
    EXPECT_EQ(utf8(ImportWindow::StatusLine(result)), "导入未写入：10 处错误");
}

TEST(ImportSummary, ACancelOrAFailureSaysTheDatabaseIsUnchanged) {
    FundImport::Result cancelled;
    cancelled.cancelled = true;
    cancelled.rowsRead = 10;
    EXPECT_NE(utf8(ImportWindow::SummaryLines(cancelled, 10)[0]).find("数据库没有改变"), std::string::npos);
    EXPECT_NE(utf8(ImportWindow::StatusLine(cancelled)).find("取消"), std::string::npos);
    FundImport::Result failed;
    failed.error = "database or disk is full";
    std::vector<std::wstring> lines = ImportWindow::SummaryLines(failed, 10);
    EXPECT_NE(utf8(lines[0]).find("database or disk is full"), std::string::npos);
    // Nothing was written: no counts of rows that are not there.
    EXPECT_EQ(lines.size(), 2u);
    FundImport::Result nothingNew;
    nothingNew.rowsRead = 5;
    nothingNew.rowsUnchanged = 5;
    EXPECT_NE(utf8(ImportWindow::SummaryLines(nothingNew, 10)[0]).find("没有改变"), std::string::npos);
}

// ---- The worker -----------------------------------------------------------------------------------

class ImportJobTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = std::filesystem::temp_directory_path() /
                 ("import-job-" + std::to_string(::getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(folder);
        target =
            CreateWindowExW(0, L"Button", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    }
    void TearDown() override {
        DestroyWindow(target);
        std::filesystem::remove_all(folder);
    }
    std::vector<std::string> examples() const {
        return {TestSupport::SourcePath("data/examples/基金列表.csv"),
                TestSupport::SourcePath("data/examples/净值")};
    }

    std::filesystem::path folder;
    HWND target = nullptr;
};

TEST_F(ImportJobTest, RunsOnAWorkerAndHandsTheResultToTheWindowOnce) {
    const std::string database = (folder / "mine.db").string();
    ImportJob job(target, database, examples());
    EXPECT_FALSE(job.Finish()) << "no result before the worker ends";
    job.Start();
    // The headless screen waits for announced work: by the end the worker has posted its end.
    PlatformRunUntilIdle();
    std::optional<FundImport::Result> result = job.Finish();
    ASSERT_TRUE(result);
    EXPECT_TRUE(result->Ok()) << result->error;
    EXPECT_TRUE(result->created);
    EXPECT_EQ(result->fundsAdded, 3);
    EXPECT_GT(result->rowsAdded, 1000);
    EXPECT_TRUE(std::filesystem::exists(database));
    FundImport::Progress progress = job.TakeProgress();
    EXPECT_EQ(progress.filesDone, progress.filesTotal);
    EXPECT_GT(progress.rows, 1000);
    EXPECT_FALSE(job.Finish()) << "the result is handed out once";
    EXPECT_FALSE(job.Running());
}

TEST_F(ImportJobTest, ACancelledImportWritesNothing) {
    const std::string database = (folder / "mine.db").string();
    ImportJob job(target, database, examples());
    job.Cancel();
    job.Start();
    PlatformRunUntilIdle();
    std::optional<FundImport::Result> result = job.Finish();
    ASSERT_TRUE(result);
    EXPECT_TRUE(result->cancelled);
    EXPECT_FALSE(result->written);
    EXPECT_FALSE(std::filesystem::exists(database));
}

TEST_F(ImportJobTest, AJobDestroyedWhileRunningStopsItsWorkerAndLeavesTheDatabaseAsItWas) {
    const std::string database = (folder / "mine.db").string();
    {
        ImportJob job(target, database, examples());
        job.Start();
    }
    // Either it had finished (the file is whole) or it was cancelled (no file): never a half file.
    PlatformRunUntilIdle();
    if (std::filesystem::exists(database)) {
        auto db = TestSupport::OpenReadOnly(database);
        EXPECT_TRUE(db != nullptr);
    }
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        EXPECT_EQ(entry.path().filename(), "mine.db") << "a work file was left behind";
}

} // namespace
