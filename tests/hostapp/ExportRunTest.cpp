// The program run headless on a fixture database, as a person's script drives it: lists exported
// to workbooks and CSV files read back and compared with the dump of the same page, the chart's
// picture, Ctrl+C, named sets and the keyboard through script lines, and what the next run
// brings back (compared funds, page, filter, sort, window size).
#include "HostRun.h"
#include "support/FixtureDb.h"
#include "support/XlsxReader.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

std::string readText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The lines of a dump, split at tabs.
std::vector<std::vector<std::string>> readDump(const std::filesystem::path& path) {
    std::vector<std::vector<std::string>> rows;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        std::vector<std::string> cells;
        size_t start = 0;
        for (;;) {
            size_t tab = line.find('\t', start);
            cells.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
            if (tab == std::string::npos)
                break;
            start = tab + 1;
        }
        rows.push_back(cells);
    }
    return rows;
}

std::string oneLine(std::string text) {
    for (char& c : text)
        if (c == '\n')
            c = ' ';
    return text;
}

class ExportRun : public ::testing::Test {
protected:
    void SetUp() override {
        folder = std::filesystem::temp_directory_path() /
                 ("export-run-" + std::to_string(::getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(folder);
    }
    void TearDown() override { std::filesystem::remove_all(folder); }
    HostRun run(const std::string& script, const std::string& size = "--size 1024x700") {
        std::filesystem::path path = folder / "script.txt";
        std::ofstream(path) << script;
        return runHost("--headless " + size + " --db " + db.Path() + " --config " +
                       (folder / "config.xml").string() + " --script " + path.string());
    }
    std::string file(const std::string& name) const { return (folder / name).string(); }

    // Every cell of the workbook shows what the dump shows, under a title row that names the page;
    // merged ranges show their first cell over the rows of a group, a caption row's other cells
    // are empty in the dump, and "--" (no value) is an empty cell.
    void expectSameAsDump(const std::string& workbook, const std::string& dump, const std::string& title) {
        TestSupport::XlsxSheet sheet = TestSupport::ReadXlsx(workbook);
        ASSERT_TRUE(sheet.ok) << sheet.error;
        auto rows = readDump(dump);
        ASSERT_FALSE(rows.empty());
        ASSERT_EQ(sheet.rows, static_cast<int>(rows.size()) + 1);
        ASSERT_EQ(sheet.columns, static_cast<int>(rows[0].size()));
        EXPECT_EQ(sheet.Shown(0, 0).rfind(title, 0), 0u) << sheet.Shown(0, 0);
        EXPECT_EQ(sheet.frozenRows, 2);
        for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
            for (int c = 0; c < sheet.columns; ++c) {
                std::string dumped = rows[static_cast<size_t>(r)][static_cast<size_t>(c)];
                std::string shown = oneLine(sheet.Shown(r + 1, c));
                bool captionFill = false;
                for (const auto& m : sheet.merges)
                    captionFill = captionFill || (m.firstRow == m.lastRow && r + 1 == m.firstRow &&
                                                  c > m.firstColumn && c <= m.lastColumn);
                if (captionFill)
                    EXPECT_EQ(dumped, "") << "row " << r << " column " << c;
                else
                    EXPECT_EQ(shown, dumped == "--" ? "" : dumped) << "row " << r << " column " << c;
            }
        }
    }

    TestSupport::FixtureDb db{"funds.sql"};
    std::filesystem::path folder;
};

TEST_F(ExportRun, EveryPagesListExportsAsItsDumpShowsIt) {
    HostRun result =
        run("add 000001\nadd 000003\nadd 000005\n"
            "tab 综合对比\nexport " +
            file("general.xlsx") + "\ndump " + file("general.tsv") + "\n" +
            "tab 业绩表现\nfilter 最近一年\nfilter 最近一周\nsort yield asc\n"
            "export " +
            file("perf.xlsx") + "\nexport " + file("perf.csv") + "\ndump " + file("perf.tsv") + "\n" +
            "tab 资产分布\ndate 2010-06-30\nexport " + file("asset.xlsx") + "\ndump " + file("asset.tsv") +
            "\n" + "tab 行业配置\nexport " + file("industry.xlsx") + "\ndump " + file("industry.tsv") + "\n" +
            "tab 走势对比\nexport " + file("growth.xlsx") + "\ndump " + file("growth.tsv") + "\nexport " +
            file("growth.png") + "\n" + "tab 基金筛选\nexport " + file("filter.xlsx") + "\ndump " +
            file("filter.tsv") + "\n" + "expect-status 已导出到\n");
    ASSERT_EQ(result.code, 0) << result.output;
    const std::vector<std::pair<const char*, const char*>> pages = {
        {"general", "综合对比"},
        {"perf", "业绩表现"},
        {"asset", "资产分布  报告期 2010-06-30"},
        {"industry", "行业配置  报告期 2010-09-30"},
        {"growth", "走势对比  风险指标"},
        {"filter", "基金筛选"}};
    for (const auto& [page, title] : pages) {
        SCOPED_TRACE(page);
        expectSameAsDump(file(std::string(page) + ".xlsx"), file(std::string(page) + ".tsv"), title);
    }
    // The general page is the transposed table as displayed: facts down, funds across, group rows
    // merged across the row, the label column frozen with the header.
    TestSupport::XlsxSheet general = TestSupport::ReadXlsx(file("general.xlsx"));
    EXPECT_EQ(general.rows, 25);
    EXPECT_EQ(general.columns, 4);
    EXPECT_EQ(general.frozenColumns, 1);
    EXPECT_EQ(general.Shown(2, 0), "基金概况");
    int captionMerges = 0;
    for (const auto& m : general.merges)
        captionMerges += m.firstRow > 0 && m.firstRow == m.lastRow && m.lastColumn == 3 ? 1 : 0;
    EXPECT_EQ(captionMerges, 4);
    // On the performance page the two periods kept are groups of three, merged down; growth is a
    // number in percent.
    TestSupport::XlsxSheet perf = TestSupport::ReadXlsx(file("perf.xlsx"));
    EXPECT_EQ(perf.rows, 8);
    std::vector<TestSupport::XlsxMerge> groups;
    for (const auto& m : perf.merges)
        if (m.firstRow > 0)
            groups.push_back(m);
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(groups[0].lastRow - groups[0].firstRow, 2);
    bool percentNumber = false;
    for (int r = 2; r < perf.rows; ++r)
        if (const TestSupport::XlsxCell* cell = perf.Cell(r, 7))
            percentNumber = percentNumber || (cell->number && cell->format == "0.00%");
    EXPECT_TRUE(percentNumber);
    // The growth page's chart is saved as a picture too.
    EXPECT_EQ(readText(file("growth.png")).substr(1, 3), "PNG");
    // CSV: the same texts after a byte-order mark.
    std::string csv = readText(file("perf.csv"));
    EXPECT_EQ(csv.substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_NE(csv.find("对比区间,代码,名称"), std::string::npos);
}

TEST_F(ExportRun, TheChartSavesAPictureAtItsSizeAndCtrlCCopiesTheRows) {
    HostRun result = run("add 000001\nadd 000004\ntab 风险回报\nexport " + file("risk.png") + "\n" +
                         "tab 资产分布\nkey Ctrl+C\nclipboard " + file("clip.tsv") + "\ndump " +
                         file("asset.tsv") + "\nsave-as " + file("keys.csv") + "\nkey Ctrl+S\n");
    ASSERT_EQ(result.code, 0) << result.output;
    std::string png = readText(file("risk.png"));
    ASSERT_GT(png.size(), 24u);
    EXPECT_EQ(png.substr(1, 3), "PNG");
    auto be32 = [&](size_t at) {
        return (static_cast<unsigned char>(png[at]) << 24) | (static_cast<unsigned char>(png[at + 1]) << 16) |
               (static_cast<unsigned char>(png[at + 2]) << 8) | static_cast<unsigned char>(png[at + 3]);
    };
    // The star map fills the page's width under the frame's bars.
    EXPECT_EQ(be32(16), 1024u);
    EXPECT_GT(be32(20), 300u);
    // Nothing selected: every row, with the header, exactly as the dump shows them.
    EXPECT_EQ(readText(file("clip.tsv")), readText(file("asset.tsv")));
    // Ctrl+S goes through the same save dialog as the menu.
    EXPECT_NE(readText(file("keys.csv")).find("投资类别,代码"), std::string::npos);
}

TEST_F(ExportRun, TheNextRunBringsBackTheFundsPageFilterSortAndWindowSize) {
    HostRun first = run("add 000001\nadd 000003\ntab 业绩表现\nfilter 最近一月\nsort yield asc\ndump " +
                            file("before.tsv") + "\n",
                        "--size 900x640");
    ASSERT_EQ(first.code, 0) << first.output;
    // No --size: the window comes back at the size it had.
    HostRun second =
        run("tab 对比分析\ndump " + file("after.tsv") + "\nscreenshot " + file("after.png") + "\n", "");
    ASSERT_EQ(second.code, 0) << second.output;
    EXPECT_EQ(readText(file("after.tsv")), readText(file("before.tsv")));
    std::string png = readText(file("after.png"));
    ASSERT_GT(png.size(), 24u);
    std::string config = readText(folder / "config.xml");
    EXPECT_NE(config.find("<Width>900</Width>"), std::string::npos) << config;
    EXPECT_NE(config.find("<Funds>F001,F003</Funds>"), std::string::npos) << config;
}

TEST_F(ExportRun, NamedSetsUndoAndTheKeyboardThroughScriptLines) {
    HostRun result =
        run("add 000001\nadd 000002\n"
            "pick 保存对比组合...\npress 对比组合\ntype 股票组合\nkey Enter\n"
            "expect-status 已保存对比组合“股票组合”（2只基金）\n"
            "clear\nexpect-status 已清除2只对比基金\nkey Ctrl+Z\nexpect-status 已恢复2只对比基金\n"
            "clear\npick 打开对比组合 > 股票组合\npress 对比组合\n"
            "key Ctrl+2\ndump " +
            file("perf.tsv") +
            "\n"
            "key Alt+G\nkey Escape\n"
            "pick 删除对比组合 > 股票组合\npress 对比组合\n");
    ASSERT_EQ(result.code, 0) << result.output;
    auto rows = readDump(file("perf.tsv"));
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows[0][0], "对比区间");
    EXPECT_EQ(rows.size(), 1u + 13u * 2u);
    std::string config = readText(folder / "config.xml");
    EXPECT_EQ(config.find("股票组合"), std::string::npos) << config;
    // An unknown menu item or button is a failing line, not a silent success.
    HostRun bad = run("press 没有这个按钮\n");
    EXPECT_EQ(bad.code, 1);
    EXPECT_NE(bad.output.find("no visible button"), std::string::npos) << bad.output;
}

// A cell as openpyxl reads it.
struct ReadCell {
    int row = 0, column = 0; // 1-based, as spreadsheets count
    char kind = 's';         // n number, d date, s text
    std::string value, format;
};

std::vector<ReadCell> readWithOpenpyxl(const std::string& workbook, std::string& frozen) {
    std::vector<ReadCell> cells;
    std::string command = "/usr/bin/python3 '" + std::string(FC_SOURCE_DIR) +
                          "/tests/support/read_xlsx.py' '" + workbook + "' 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return cells;
    std::string output;
    std::array<char, 4096> buffer{};
    while (fgets(buffer.data(), buffer.size(), pipe) != nullptr)
        output += buffer.data();
    EXPECT_EQ(pclose(pipe), 0) << output;
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        std::vector<std::string> parts;
        std::istringstream fields(line);
        for (std::string field; std::getline(fields, field, '\t');)
            parts.push_back(field);
        if (parts.size() == 2 && parts[0] == "frozen")
            frozen = parts[1];
        else if (parts.size() == 5)
            cells.push_back(
                ReadCell{std::stoi(parts[0]), std::stoi(parts[1]), parts[2][0], parts[3], parts[4]});
    }
    return cells;
}

TEST_F(ExportRun, SpreadsheetsGetValuesTheyCanComputeWith) {
    // A return with more digits than the list shows: the workbook holds all of them.
    SampleDb::Exec(SampleDb::OpenDatabase(db.Path(), true).get(),
                   "UPDATE tb_yield SET lastweek = -0.015712345 WHERE fundcode = 'F001' AND NOT isdeleted");
    HostRun result =
        run("add 000001\nadd 000002\ntab 业绩表现\nfilter 最近一周\nexport " + file("perf.xlsx") +
            "\nexport " + file("perf.csv") + "\ndump " + file("perf.tsv") + "\ntab 综合对比\nexport " +
            file("general.xlsx") + "\ndump " + file("general.tsv") + "\n");
    ASSERT_EQ(result.code, 0) << result.output;
    EXPECT_NE(readText(file("perf.tsv")).find("-1.57%"), std::string::npos);

    std::string frozen;
    std::vector<ReadCell> perf = readWithOpenpyxl(file("perf.xlsx"), frozen);
    ASSERT_FALSE(perf.empty());
    // The title row names the page; the header follows it and stays in view with it.
    EXPECT_EQ(perf[0].row, 1);
    EXPECT_EQ(perf[0].value, "业绩表现");
    EXPECT_EQ(frozen, "A3");
    bool full = false;
    for (const ReadCell& cell : perf)
        full = full || (cell.kind == 'n' && cell.value == "-0.015712345" && cell.format == "0.00%");
    EXPECT_TRUE(full) << "no cell holds -0.015712345 as a percentage";
    // A code is text, whatever a spreadsheet would make of it.
    bool code = false;
    for (const ReadCell& cell : perf)
        code = code || (cell.kind == 's' && cell.value == "000001");
    EXPECT_TRUE(code);

    // The general page: dates are dates, a missing value is an empty cell, not "--".
    std::vector<ReadCell> general = readWithOpenpyxl(file("general.xlsx"), frozen);
    bool date = false;
    for (const ReadCell& cell : general) {
        date = date || (cell.kind == 'd' && cell.value == "2001-12-18" && cell.format == "yyyy-mm-dd");
        EXPECT_NE(cell.value, "--") << cell.row << "," << cell.column;
    }
    EXPECT_TRUE(date);
    EXPECT_NE(readText(file("general.tsv")).find("\t--"), std::string::npos);

    // CSV: codes and ranks as formulas of their text, so that a spreadsheet keeps 000001 and does
    // not read 1/3 as a date; numbers stay numbers.
    std::string csv = readText(file("perf.csv"));
    EXPECT_NE(csv.find(",\"=\"\"000001\"\"\","), std::string::npos) << csv;
    EXPECT_NE(csv.find("\"=\"\"1/3\"\"\""), std::string::npos) << csv;
    EXPECT_NE(csv.find(",-1.57%"), std::string::npos) << csv;
}

TEST_F(ExportRun, TheCorrelationMatrixDumpsExportsAndCopiesLikeEveryList) {
    TestSupport::FixtureDb history{"funds.sql", "../pages_growth/growth_history.sql"};
    std::filesystem::path path = folder / "script.txt";
    std::ofstream(path) << "add 000001\nadd 000002\nadd 000004\ntab 走势对比\nview matrix\ndump " +
                               file("matrix.tsv") + "\nexport " + file("matrix.xlsx") + "\nexport " +
                               file("matrix.csv") + "\nkey Ctrl+C\nclipboard " + file("clip.tsv") + "\n";
    HostRun result = runHost("--headless --size 1024x700 --db " + history.Path() + " --config " +
                             (folder / "config.xml").string() + " --script " + path.string());
    ASSERT_EQ(result.code, 0) << result.output;
    // 000004 has no history: a matrix of the two others, coefficient 0.17 (two decimals).
    auto rows = readDump(file("matrix.tsv"));
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"名称", "代码", "000001", "000002"}));
    EXPECT_EQ(rows[1], (std::vector<std::string>{"华夏成长股票", "000001", "1.00", "0.17"}));
    EXPECT_EQ(rows[2], (std::vector<std::string>{"华夏红利股票", "000002", "0.17", "1.00"}));
    expectSameAsDump(file("matrix.xlsx"), file("matrix.tsv"), "走势对比  相关系数矩阵");
    // The workbook holds the coefficient itself, not the two decimals shown.
    std::string frozen;
    bool full = false;
    for (const ReadCell& cell : readWithOpenpyxl(file("matrix.xlsx"), frozen))
        full = full || (cell.kind == 'n' && cell.value.rfind("0.1745", 0) == 0 && cell.value.size() > 6);
    EXPECT_TRUE(full);
    EXPECT_NE(readText(file("matrix.csv")).find("华夏成长股票,"), std::string::npos);
    // Ctrl+C with nothing selected copies every row with the header, as the dump shows them.
    EXPECT_EQ(readText(file("clip.tsv")), readText(file("matrix.tsv")));
}

} // namespace
