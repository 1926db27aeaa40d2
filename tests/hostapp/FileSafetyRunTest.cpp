// The program run headless against files that must not be lost: every file it writes (exports,
// pictures, dumps, the clipboard's text, timings, the configuration) replaces the old one only
// when complete, refuses what is no file without waiting on it, and leaves read-only files alone;
// script lines that fail to write, or find nothing to act on, fail.
#include "HostRun.h"
#include "support/FixtureDb.h"
#include "support/Unprivileged.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <vector>

namespace {

std::string readText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class FileSafetyRun : public ::testing::Test {
protected:
    void SetUp() override {
        folder = std::filesystem::temp_directory_path() /
                 ("file-safety-" + std::to_string(::getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(folder);
    }
    void TearDown() override {
        std::error_code ignored;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(folder, ignored))
            std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(folder, ignored);
    }
    std::string file(const std::string& name) const { return (folder / name).string(); }
    HostRun run(const std::string& script, const std::string& options = "",
                const std::string& environment = "") {
        std::ofstream(folder / "script.txt") << script;
        return runHost("--headless --size 1024x700 --db " + db.Path() + " --config " + file("config.xml") +
                           " " + options + " --script " + file("script.txt"),
                       environment);
    }
    // The names in the folder besides the script and the configuration: a temporary left behind
    // shows here.
    std::vector<std::string> Others() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            std::string name = entry.path().filename().string();
            if (name != "script.txt" && name != "config.xml")
                names.push_back(name);
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    TestSupport::FixtureDb db{"funds.sql"};
    std::filesystem::path folder;
};

const std::string kFunds = "add 000001\nadd 000002\nadd 000003\nadd 000004\nadd 000005\nadd 000014\n";

} // namespace

TEST_F(FileSafetyRun, AFullDiskNeverCostsTheFileAlreadyThere) {
    // Every file may grow to 4 KiB at most: enough for the configuration, too little for any of
    // the files below. Each line fails, and each old file is still there, whole.
    const std::string old(20000, 'o');
    for (const char* name : {"r.xlsx", "r.csv", "r.png", "r.tsv", "r.txt", "t.txt"})
        std::ofstream(folder / name) << old;
    const std::string limited = "sh -c 'trap \"\" XFSZ; ulimit -f 8; exec \"$@\"' sh";
    for (const std::string& line :
         {"export " + file("r.xlsx"), "export " + file("r.csv"), "tab 风险回报\nexport " + file("r.png"),
          "screenshot " + file("r.png"), "dump " + file("r.tsv"), "key Ctrl+C\nclipboard " + file("r.txt")}) {
        SCOPED_TRACE(line);
        HostRun result = run(kFunds + "tab 业绩表现\n" + line + "\n", "", limited);
        EXPECT_EQ(result.code, 1) << result.output;
    }
    HostRun timed = run(kFunds + "tab 业绩表现\n", "--timings " + file("t.txt"), limited);
    EXPECT_EQ(timed.code, 0) << timed.output; // the timings are small: they fit
    for (const char* name : {"r.xlsx", "r.csv", "r.png", "r.tsv", "r.txt"})
        EXPECT_EQ(readText(folder / name), old) << name;
    EXPECT_EQ(Others(), (std::vector<std::string>{"r.csv", "r.png", "r.tsv", "r.txt", "r.xlsx", "t.txt"}));
}

TEST_F(FileSafetyRun, WhatIsNoFileIsRefusedWithoutWaitingAndStays) {
    // A pipe nobody reads would hold a writer forever; a device named like a file would take the
    // bytes, or be deleted after a failure.
    const std::string pipe = file("x.csv");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    auto start = std::chrono::steady_clock::now();
    for (const std::string& line :
         {"export " + pipe, "dump " + pipe, "screenshot " + pipe, "key Ctrl+C\nclipboard " + pipe,
          std::string("clipboard /dev/full"), std::string("dump /dev/null")}) {
        SCOPED_TRACE(line);
        HostRun result = run("add 000001\ntab 业绩表现\n" + line + "\n");
        EXPECT_EQ(result.code, 1) << result.output;
        EXPECT_NE(result.output.find("not a file"), std::string::npos) << result.output;
    }
    HostRun timed = run("tab 业绩表现\n", "--timings " + pipe);
    EXPECT_EQ(timed.code, 1) << timed.output;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(100));
    EXPECT_TRUE(std::filesystem::is_fifo(pipe));
    if (::geteuid() == 0) {
        const std::string device = file("null.csv");
        ASSERT_EQ(::mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
        HostRun result = run("add 000001\ntab 业绩表现\nexport " + device + "\n");
        EXPECT_EQ(result.code, 1) << result.output;
        EXPECT_TRUE(std::filesystem::is_character_file(device));
    }
}

TEST_F(FileSafetyRun, AReadOnlyFileIsNeitherReplacedNorRemoved) {
    if (TestSupport::RanUnprivileged())
        return;
    const std::string old = "precious";
    for (const char* name : {"r.xlsx", "r.csv", "r.png", "r.tsv", "r.txt", "t.txt"}) {
        std::ofstream(folder / name) << old;
        ::chmod(file(name).c_str(), 0444);
    }
    for (const std::string& line :
         {"export " + file("r.xlsx"), "export " + file("r.csv"), "screenshot " + file("r.png"),
          "dump " + file("r.tsv"), "key Ctrl+C\nclipboard " + file("r.txt"),
          "save-as " + file("r.xlsx") + "\nkey Ctrl+S"}) {
        SCOPED_TRACE(line);
        HostRun result = run("add 000001\ntab 业绩表现\n" + line + "\n");
        EXPECT_EQ(result.code, 1) << result.output;
    }
    HostRun timed = run("tab 业绩表现\n", "--timings " + file("t.txt"));
    EXPECT_EQ(timed.code, 1) << timed.output;
    for (const char* name : {"r.xlsx", "r.csv", "r.png", "r.tsv", "r.txt", "t.txt"}) {
        EXPECT_EQ(readText(folder / name), old) << name;
        struct stat info {};
        ASSERT_EQ(::stat(file(name).c_str(), &info), 0) << name;
        EXPECT_EQ(info.st_mode & 0777, 0444u) << name;
    }
    EXPECT_EQ(Others(), (std::vector<std::string>{"r.csv", "r.png", "r.tsv", "r.txt", "r.xlsx", "t.txt"}));
}

TEST_F(FileSafetyRun, AReadOnlyConfigurationLastsForTheSessionAndStays) {
    if (TestSupport::RanUnprivileged())
        return;
    const std::string original = "<Quenda2><UserConfig><Theme>dark</Theme></UserConfig></Quenda2>";
    std::ofstream(folder / "config.xml") << original;
    ::chmod(file("config.xml").c_str(), 0444);
    HostRun result = run("expect-status 配置文件只读\ntheme light\nadd 000001\nexpect-status 配置文件只读\n");
    EXPECT_EQ(result.code, 0) << result.output;
    EXPECT_EQ(readText(folder / "config.xml"), original);
    EXPECT_TRUE(Others().empty());

    // A configuration nobody may read stops the program and stays where it is, as it is.
    ::chmod(file("config.xml").c_str(), 0);
    for (int start = 0; start < 2; ++start) {
        result = run("tab 业绩表现\n");
        EXPECT_EQ(result.code, 2) << result.output;
        EXPECT_NE(result.output.find("cannot read the configuration"), std::string::npos) << result.output;
    }
    EXPECT_TRUE(Others().empty());
    ::chmod(file("config.xml").c_str(), 0600);
    EXPECT_EQ(readText(folder / "config.xml"), original);
}

TEST_F(FileSafetyRun, ScriptLinesThatDoNothingFail) {
    auto fails = [&](const std::string& script, const std::string& said) {
        HostRun result = run(script);
        EXPECT_EQ(result.code, 1) << script << "\n" << result.output;
        EXPECT_NE(result.output.find(said), std::string::npos) << script << "\n" << result.output;
    };
    // A pick of an item the menu does not have, and a pick that no menu ever asked for.
    fails("add 000001\npick 没有这一项\npress 对比组合\n",
          "line 3: the menu offers no '没有这一项' (pick on line 2)");
    fails("pick 保存对比组合...\n", "line 1: no menu was shown");
    // An export whose name says no type would be written under another name.
    fails("add 000001\ntab 业绩表现\nexport " + file("plain") + "\n", ".xlsx, .csv");
    fails("add 000001\ntab 业绩表现\nexport " + file("x.txt") + "\n", ".xlsx, .csv");
    // A save-as whose dialog never came, or whose file was not written.
    fails("save-as " + file("never.xlsx") + "\n", "line 1: no save dialog was shown");
    // A click off the screen reaches nothing.
    fails("click 5000 10\n", "off the screen");
    EXPECT_TRUE(Others().empty());

    // Extensions in capitals name the same types, and the file named is the file written.
    HostRun result = run("add 000001\nadd 000004\ntab 业绩表现\nexport " + file("X.CSV") + "\nexport " +
                         file("Y.XLSX") + "\ntab 风险回报\nexport " + file("x.PNG") + "\n");
    ASSERT_EQ(result.code, 0) << result.output;
    EXPECT_EQ(readText(folder / "X.CSV").substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_EQ(readText(folder / "Y.XLSX").substr(0, 2), "PK");
    EXPECT_EQ(readText(folder / "x.PNG").substr(1, 3), "PNG");
    EXPECT_EQ(Others(), (std::vector<std::string>{"X.CSV", "Y.XLSX", "x.PNG"}));
}

TEST_F(FileSafetyRun, ABlockedRemovalFailsItsLine) {
    // The growth page lists the index beside the funds; the index is no compared fund and is not
    // removed. The line must say so rather than pass.
    TestSupport::GeneratedDb sample(SampleDb::Options{120, 3, 5});
    std::ofstream(folder / "script.txt")
        << "tab 走势对比\ndump " + file("growth.tsv") + "\nremove sh000001\n";
    HostRun result = runHost("--headless --size 1024x700 --db " + sample.Path() + " --config " +
                             file("config.xml") + " --script " + file("script.txt"));
    EXPECT_EQ(result.code, 1) << result.output;
    EXPECT_NE(readText(folder / "growth.tsv").find("sh000001"), std::string::npos)
        << readText(folder / "growth.tsv");
    EXPECT_NE(result.output.find("line 3: the fund sh000001 is still compared"), std::string::npos)
        << result.output;
}

TEST_F(FileSafetyRun, WithoutHomeTheFilesGoHomeOrNowhere) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to run the program as a user without a home";
    if (!TestSupport::NobodyCanRun(FUNDHOST_PATH))
        GTEST_SKIP() << "the build tree is out of the reach of other users";
    // Nothing may land in the folder the program was started from.
    std::filesystem::permissions(folder, std::filesystem::perms::all);
    const std::string script = file("script.txt");
    std::ofstream(script) << "tab 业绩表现\n";
    const std::string bare = "cd " + folder.string() + " && env -u HOME -u XDG_CONFIG_HOME -u XDG_DATA_HOME ";
    // A user the password database does not know has no home at all: the program says so.
    HostRun stranger = runHost("--headless --db " + db.Path() + " --script " + script,
                               bare + "setpriv --reuid=54321 --regid=54321 --clear-groups");
    EXPECT_EQ(stranger.code, 2) << stranger.output;
    EXPECT_NE(stranger.output.find("HOME is not set"), std::string::npos) << stranger.output;
    // A known user's files go to the home folder the password database gives.
    HostRun nobody = runHost("--headless --db " + db.Path() + " --script " + script,
                             bare + "setpriv --reuid=nobody --regid=nogroup --clear-groups");
    EXPECT_NE(nobody.output.find("/nonexistent/.config/fundcompare/config.xml"), std::string::npos)
        << nobody.output;
    EXPECT_EQ(Others(), std::vector<std::string>{});
}

TEST_F(FileSafetyRun, ASizeBelowTheMinimumIsRaisedToIt) {
    std::ofstream(folder / "s.txt") << "tab 业绩表现\nscreenshot " + file("s.png") + "\n";
    HostRun result = runHost("--headless --size 320x320 --db " + db.Path() + " --config " +
                             file("config.xml") + " --script " + file("s.txt"));
    ASSERT_EQ(result.code, 0) << result.output;
    std::string png = readText(folder / "s.png");
    ASSERT_GT(png.size(), 24u);
    auto be32 = [&](size_t at) {
        return (static_cast<unsigned char>(png[at]) << 24) | (static_cast<unsigned char>(png[at + 1]) << 16) |
               (static_cast<unsigned char>(png[at + 2]) << 8) | static_cast<unsigned char>(png[at + 3]);
    };
    EXPECT_EQ(be32(16), 760u);
    EXPECT_EQ(be32(20), 520u);
}

TEST_F(FileSafetyRun, ADatabaseWithoutAColumnTheProgramReadsIsRefusedByName) {
    SampleDb::Exec(SampleDb::OpenDatabase(db.Path(), true).get(),
                   "ALTER TABLE tb_fund DROP COLUMN investtype; ALTER TABLE tb_yield DROP COLUMN lastweek;");
    HostRun result = run("tab 业绩表现\n");
    EXPECT_EQ(result.code, 2) << result.output;
    EXPECT_NE(result.output.find("tb_fund has no column investtype; tb_yield has no column lastweek"),
              std::string::npos)
        << result.output;
}
