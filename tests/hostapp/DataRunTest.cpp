// The "数据" menu driven headless through script lines, as a person uses it: another database
// opened and remembered, files imported into the user's own database with the pages reading the
// new rows, the sample leading to a database of the user's own, bad rows reported and copied, and
// a file that is no fund database refused with the open one kept.
#include "HostRun.h"
#include "support/FixtureDb.h"

#include <FundImporter.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace {

std::string readAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

size_t occurrences(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size()))
        ++n;
    return n;
}

std::int64_t scalar(const std::string& database, const std::string& sql) {
    SampleDb::SqliteHandle db = TestSupport::OpenReadOnly(database);
    sqlite3_stmt* statement = nullptr;
    std::int64_t value = -1;
    if (sqlite3_prepare_v2(db.get(), sql.c_str(), -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW)
        value = sqlite3_column_int64(statement, 0);
    sqlite3_finalize(statement);
    return value;
}

class DataRun : public ::testing::Test {
protected:
    void SetUp() override {
        folder = std::filesystem::temp_directory_path() /
                 ("data-run-" + std::to_string(::getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(folder);
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    std::string file(const std::string& name) const { return (folder / name).string(); }
    std::string config() const { return file("config.xml"); }
    // A run on `database` (none: the configured one) with a script.
    HostRun run(const std::string& database, const std::string& script) {
        std::ofstream(folder / "script.txt") << script;
        return runHost("--headless --size 1024x700 --config " + config() +
                       (database.empty() ? "" : " --db " + database) + " --script " + file("script.txt"));
    }
    // A database of the user's own made from example files.
    std::string ownDatabase(const std::string& name, const std::vector<std::string>& examples) {
        std::vector<std::string> inputs;
        for (const std::string& example : examples)
            inputs.push_back(TestSupport::SourcePath("data/examples/" + example));
        FundImport::Result result = FundImport::Import(file(name), inputs, FundImport::Options{});
        EXPECT_TRUE(result.Ok()) << result.error;
        return file(name);
    }

    std::filesystem::path folder;
};

TEST_F(DataRun, AnotherDatabaseIsShownOnEveryPageAndOpensAgainAtTheNextStart) {
    TestSupport::FixtureDb fixture({"funds.sql"});
    const std::string mine = ownDatabase("mine.db", {"基金列表.csv", "净值"});
    // The fund compared on the fixture is not in the other database: it leaves the comparison,
    // and the picker offers the other database's funds.
    HostRun first = run(fixture.Path(), "add 000001\nopendb " + mine + "\nadd 000082\ntab 综合对比\ndump " +
                                            file("general.tsv") + "\n");
    ASSERT_EQ(first.code, 0) << first.output;
    const std::string general = readAll(file("general.tsv"));
    EXPECT_NE(general.find("000082"), std::string::npos) << general;
    EXPECT_EQ(general.find("000001"), std::string::npos) << "a fund of the other database is still compared";
    const std::string settings = readAll(config());
    EXPECT_NE(settings.find("<Database>" + mine + "</Database>"), std::string::npos) << settings;
    EXPECT_NE(settings.find("<File1>" + mine + "</File1>"), std::string::npos) << settings;
    EXPECT_NE(settings.find("<File2>" + fixture.Path() + "</File2>"), std::string::npos) << settings;

    // Without --db the remembered database opens.
    HostRun second = run("", "add 000083\n");
    EXPECT_EQ(second.code, 0) << second.output;
}

TEST_F(DataRun, AnUndoDoesNotBringBackFundsOfTheDatabaseOpenBefore) {
    TestSupport::FixtureDb fixture({"funds.sql"});
    const std::string mine = ownDatabase("mine.db", {"基金列表.csv", "净值"});
    HostRun switched =
        run(fixture.Path(), "add 000001\nclear\nopendb " + mine + "\nkey Ctrl+Z\nadd 000082\n");
    ASSERT_EQ(switched.code, 0) << switched.output;
    const std::string settings = readAll(config());
    EXPECT_NE(settings.find("<Funds>000082</Funds>"), std::string::npos) << settings;
}

TEST_F(DataRun, AFileThatIsNoFundDatabaseIsRefusedAndTheOpenOneStays) {
    TestSupport::FixtureDb fixture({"funds.sql"});
    std::ofstream(file("notes.db")) << "not a database at all\n";
    HostRun refused = run(fixture.Path(), "opendb " + file("notes.db") + "\n");
    EXPECT_EQ(refused.code, 1);
    EXPECT_NE(refused.output.find("不是基金数据库"), std::string::npos) << refused.output;
    // The fixture is still the one shown, and nothing was remembered.
    HostRun still = run(fixture.Path(), "add 000001\n");
    EXPECT_EQ(still.code, 0) << still.output;
    EXPECT_EQ(readAll(config()).find("notes.db"), std::string::npos);
}

TEST_F(DataRun, ImportedHistoriesReachTheOpenPagesAtOnce) {
    // The fund list first, without daily values: the pages have no figures for it.
    const std::string mine = ownDatabase("mine.db", {"基金列表.csv"});
    HostRun run1 = run(mine, "add 000082\ntab 业绩表现\ndump " + file("before.tsv") + "\nimport " +
                                 TestSupport::SourcePath("data/examples/净值") +
                                 "\nexpect-status 导入完成\ntab 业绩表现\ndump " + file("after.tsv") + "\n");
    ASSERT_EQ(run1.code, 0) << run1.output;
    const std::string before = readAll(file("before.tsv"));
    const std::string after = readAll(file("after.tsv"));
    EXPECT_NE(before, after);
    EXPECT_LT(occurrences(after, "--"), occurrences(before, "--")) << after;
    EXPECT_GT(scalar(mine, "select count(*) from tb_netvaluehistory where isdeleted = 0"), 1000);
}

TEST_F(DataRun, OnTheSampleTheImportMakesTheUsersOwnDatabaseAndSwitchesToIt) {
    TestSupport::GeneratedDb sample(SampleDb::Options{300, 6, 3});
    const std::string mine = file("我的基金.db");
    HostRun imported =
        run(sample.Path(),
            "save-as " + mine + "\nimport " + TestSupport::SourcePath("data/examples/基金列表.csv") + " " +
                TestSupport::SourcePath("data/examples/净值") + "\nexpect-status 导入完成\nadd 000084\n");
    ASSERT_EQ(imported.code, 0) << imported.output;
    EXPECT_NE(imported.output.find("导入完成：已建立数据库"), std::string::npos) << imported.output;
    EXPECT_EQ(scalar(mine, "select count(*) from tb_fund where not isdeleted"), 3);
    EXPECT_NE(readAll(config()).find("<Database>" + mine + "</Database>"), std::string::npos);

    // Without a database to create (the dialog cancelled), no import runs.
    HostRun cancelled =
        run(sample.Path(), "import " + TestSupport::SourcePath("data/examples/基金列表.csv") + "\n");
    EXPECT_EQ(cancelled.code, 1);
    EXPECT_NE(cancelled.output.find("no import ran"), std::string::npos) << cancelled.output;
}

TEST_F(DataRun, BadRowsAreListedAndCopiedAndNothingIsWrittenUnlessTheGoodOnesAreLetIn) {
    const std::string mine = ownDatabase("mine.db", {"基金列表.csv", "净值"});
    const std::int64_t rows = scalar(mine, "select count(*) from tb_netvaluehistory");
    ASSERT_GT(rows, 1000);
    std::filesystem::create_directories(folder / "in");
    const std::string bad = (folder / "in" / "000082_历史净值.csv").string();
    std::ofstream(bad)
        << "净值日期,单位净值,累计净值\n2024-01-02,1.5,1.6\n2024-01-03,abc,1.6\n2024-01-04,-1,1.6\n";
    HostRun checked = run(mine, "import " + bad + "\nexpect-status 导入未写入\npress 复制全部\nclipboard " +
                                    file("errors.txt") + "\npress 关闭\n");
    ASSERT_EQ(checked.code, 0) << checked.output;
    const std::string errors = readAll(file("errors.txt"));
    // Every error with the file's full path and line, as fund-import lists them.
    EXPECT_NE(errors.find(bad + ":3: "), std::string::npos) << errors;
    EXPECT_NE(errors.find(bad + ":4: "), std::string::npos) << errors;
    EXPECT_EQ(scalar(mine, "select count(*) from tb_netvaluehistory"), rows);

    // The person may let the good rows in after all: the one good day is added, the bad ones are not.
    HostRun skipped = run(mine, "import " + bad + "\npress 只导入无误的行\nexpect-status 拒收 2 行\n");
    ASSERT_EQ(skipped.code, 0) << skipped.output;
    EXPECT_EQ(scalar(mine, "select count(*) from tb_netvaluehistory"), rows + 1);
    EXPECT_EQ(
        scalar(mine, "select count(*) from tb_netvaluehistory where code = '000082' and date = '2024-01-02'"),
        1);
}

} // namespace
