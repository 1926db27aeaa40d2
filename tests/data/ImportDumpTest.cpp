// The round trip as a user sees it: the program shows the same cells on every page, read through
// its own `dump` script action, for the sample database and for a new database that fund-import
// made from the files make-sample-db --csv writes.
#include "InputFiles.h"
#include "SampleDbGenerator.h"
#include "support/FixtureDb.h"
#include "support/SqlRows.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

namespace fs = std::filesystem;

std::string RunCommand(const std::string& command, int& code) {
    std::string output;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr)
        return output;
    std::array<char, 512> buffer{};
    while (fgets(buffer.data(), buffer.size(), pipe) != nullptr)
        output += buffer.data();
    const int status = pclose(pipe);
    code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return output;
}

std::string FileText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(ImportDump, EveryPageShowsTheSameCellsForTheSampleAndItsImport) {
    const fs::path folder = fs::temp_directory_path() / ("fc-import-dump-" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    const TestSupport::GeneratedDb generated(SampleDb::Options{120, 6, 8});
    ASSERT_EQ(SampleDb::WriteInputFiles(generated.Path(), (folder / "in").string()), "");
    const std::string imported = (folder / "imported.db").string();
    int code = 0;
    std::string output = RunCommand(std::string("timeout -s KILL 300 ") + FUND_IMPORT_PATH + " --quiet " +
                                        imported + " " + (folder / "in").string(),
                                    code);
    ASSERT_EQ(code, 0) << output;

    // Five open-ended funds with a history, compared on every page. The sample opens with funds of
    // its own already compared on a first start; "clear" makes both runs start from none.
    std::string script = "clear\n";
    {
        const SampleDb::SqliteHandle db = generated.Open();
        for (const auto& row :
             TestSupport::Query(db.get(), "select code from tb_fund where fundtype = '契约型开放式' "
                                          "and not isdeleted and not isdellisting order by code limit 5")
                 .rows)
            script += "add " + row[0].text + "\n";
    }
    int page = 0;
    auto dump = [&](const std::string& tab) {
        script += "tab " + tab + "\ndump @" + std::to_string(page++) + ".tsv\n";
    };
    dump("综合对比");
    dump("业绩表现");
    for (int horizon : {1, 2, 3, 5}) {
        script += "tab 风险回报\nhorizon " + std::to_string(horizon) + "\n";
        dump("风险回报");
    }
    dump("资产分布");
    script += "date 2008-06-30\n";
    dump("资产分布");
    dump("行业配置");
    dump("走势对比");
    dump("基金筛选");

    for (const char* run : {"generated", "imported"}) {
        const fs::path out = folder / run;
        fs::create_directories(out);
        std::string text = script;
        for (std::size_t at; (at = text.find('@')) != std::string::npos;)
            text.replace(at, 1, out.string() + "/");
        std::ofstream(out / "script.txt") << text;
        output = RunCommand(
            std::string("timeout -s KILL 300 ") + FUNDHOST_PATH + " --headless --size 1280x800 --db " +
                (std::string(run) == "generated" ? generated.Path() : imported) + " --config " +
                (out / "config.xml").string() + " --script " + (out / "script.txt").string(),
            code);
        ASSERT_EQ(code, 0) << run << ": " << output;
    }
    for (int k = 0; k < page; ++k) {
        const std::string name = std::to_string(k) + ".tsv";
        const std::string expected = FileText(folder / "generated" / name);
        EXPECT_GT(expected.size(), 40u) << name;
        EXPECT_EQ(expected, FileText(folder / "imported" / name)) << "page dump " << name;
    }
    fs::remove_all(folder);
}

} // namespace
