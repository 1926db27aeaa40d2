// The import engine on small files: what a bad row does with and without --skip-bad, how a second
// import replaces and withdraws rows, files as spreadsheets save them (GBK, CRLF, quotes; xlsx by
// another writer), and that a kill, a full disk or an error leaves the database exactly as before.
#include "FundImporter.h"
#include "XlsxBook.h"
#include "support/FixtureDb.h"
#include "support/SqlRows.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <thread>

#include <iconv.h>

namespace {

using TestSupport::Query;
namespace fs = std::filesystem;

class ImportFolder : public ::testing::Test {
protected:
    void SetUp() override {
        m_folder =
            fs::temp_directory_path() / ("fc-import-" + std::to_string(::getpid()) + "-" +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_folder);
        fs::create_directories(m_folder);
        m_db = (m_folder / "my.db").string();
    }
    void TearDown() override { fs::remove_all(m_folder); }

    std::string Write(const std::string& name, const std::string& bytes) {
        const fs::path path = m_folder / name;
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
        return path.string();
    }
    FundImport::Result Run(const std::vector<std::string>& inputs, FundImport::Options options = {}) {
        return FundImport::Import(m_db, inputs, options);
    }
    TestSupport::Rows Sql(const std::string& sql) {
        const SampleDb::SqliteHandle db = TestSupport::OpenReadOnly(m_db);
        return Query(db.get(), sql);
    }
    // Every cell of every table, for "exactly as before".
    std::string Everything() {
        const SampleDb::SqliteHandle db = TestSupport::OpenReadOnly(m_db);
        std::string all;
        for (const auto& table :
             Query(db.get(), "select name from sqlite_master where type = 'table' order by name").rows)
            for (const auto& row : Query(db.get(), "select * from " + table[0].text).rows)
                for (const auto& cell : row)
                    all += cell.text + "|";
        return all;
    }
    std::string FundList() {
        return Write("funds.csv",
                     "基金代码,基金简称,基金类型,基金管理人,成立日期,基金经理\n"
                     "000082,明远成长混合,混合型-偏股,明远基金管理有限公司,2019-03-01,\"李青、王舟\"\n"
                     "000083,青川货币A,货币型,青川基金管理有限公司,2019-01-02,赵一\n");
    }
    // Weekdays from 2019-03-01 on, `days` of them, oldest first.
    static std::vector<std::string> Dates(int days) {
        std::vector<std::string> dates;
        for (int day = 17956; static_cast<int>(dates.size()) < days; ++day) // 2019-03-01
            if (((day % 7) + 7 + 3) % 7 < 5) {
                const time_t seconds = static_cast<time_t>(day) * 86400;
                char text[16];
                std::strftime(text, sizeof text, "%Y-%m-%d", std::gmtime(&seconds));
                dates.push_back(text);
            }
        return dates;
    }
    std::string History(const std::string& name, int days, double growth = 0.001) {
        std::string text = "净值日期,单位净值,累计净值,日增长率\n";
        double value = 1.0;
        for (const std::string& date : Dates(days)) {
            char line[96];
            std::snprintf(line, sizeof line, "%s,%.4f,%.4f,%.2f%%\n", date.c_str(), value, value,
                          growth * 100);
            text += line;
            value *= 1.0 + growth;
        }
        return Write(name, text);
    }

    fs::path m_folder;
    std::string m_db;
};

TEST_F(ImportFolder, AFundListAndItsHistoryMakeADatabaseThePagesCanRead) {
    const std::string funds = FundList();
    History("navs/000082_历史净值.csv", 300);
    const FundImport::Result result = Run({funds, (m_folder / "navs").string()});
    ASSERT_TRUE(result.written) << (result.problems.empty() ? result.error : result.problems[0].Text());
    EXPECT_TRUE(result.created);
    EXPECT_EQ(result.fundsAdded, 2);
    const auto fund =
        Sql("select f.fundtype, f.investtype, f.pycode, c.name, c.shortname from tb_fund f join "
            "tb_investadvisor c on c.guid = f.companyguid where f.code = '000082'");
    ASSERT_EQ(fund.rows.size(), 1u);
    EXPECT_EQ(fund.rows[0][0].text, "契约型开放式"); // so that the fund reaches the picker
    EXPECT_EQ(fund.rows[0][1].text, "混合型");
    EXPECT_EQ(fund.rows[0][2].text, "MYCCHH");
    EXPECT_EQ(fund.rows[0][4].text, "明远");
    EXPECT_EQ(Sql("select investtype from tb_fund where code = '000083'").rows[0][0].text, "现金型");
    EXPECT_EQ(Sql("select group_concat(name, ',') from tb_manager where code = '000082'").rows[0][0].text,
              "李青,王舟");
    EXPECT_EQ(Sql("select count(*) from tb_netvaluehistory where code = '000082'").rows[0][0].real, 300.0);
    const auto latest = Sql("select date, value, daymargin from tb_currvalue where code = '000082'");
    EXPECT_EQ(latest.rows[0][0].text, Dates(300).back());
    EXPECT_NEAR(latest.rows[0][2].real, 0.001, 0.0002);
    // A fund without history still has its (empty) row of returns, so the performance page lists it.
    EXPECT_TRUE(Sql("select lastweek from tb_yield where fundcode = '000083'").rows[0][0].IsNull());
    EXPECT_FALSE(Sql("select lastmonth from tb_yield where fundcode = '000082'").rows[0][0].IsNull());
    EXPECT_EQ(Sql("select count(*) from tb_import").rows[0][0].real, 1.0);
}

TEST_F(ImportFolder, ABadRowWritesNothingUnlessSkipBadIsGiven) {
    const std::string funds = FundList();
    const std::string history = Write("000082_历史净值.csv", "净值日期,单位净值,累计净值\n"
                                                             "2020-01-02,1.0100,1.0100\n"
                                                             "01/03/2020,1.0200,1.0200\n"
                                                             "2020-01-06,abc,1.0300\n"
                                                             "2020-01-07,0,1.0300\n"
                                                             "2020-01-08,1.0400,1.0400\n"
                                                             "2020-01-08,1.0500,1.0500\n"
                                                             "2020-01-09,1.0600,1.0600\n");
    const std::string stranger = Write("999999.csv", "date,value,totalvalue\n2020-01-02,1,1\n");
    FundImport::Result result = Run({funds, history, stranger});
    EXPECT_FALSE(result.written);
    EXPECT_FALSE(fs::exists(m_db)) << "a database was left behind";
    std::vector<std::string> texts;
    for (const auto& problem : result.problems)
        texts.push_back(problem.Text());
    ASSERT_EQ(texts.size(), 6u) << ::testing::PrintToString(texts);
    EXPECT_EQ(texts[0], history + ":3: 净值日期: '01/03/2020' is ambiguous; write dates as YYYY-MM-DD");
    EXPECT_EQ(texts[1], history + ":4: 单位净值: 'abc' is not a number");
    EXPECT_EQ(texts[2], history + ":5: 单位净值: must be above zero");
    EXPECT_NE(texts[3].find(":6: 净值日期: the day 2020-01-08 comes more than once"), std::string::npos)
        << texts[3];
    EXPECT_NE(texts[4].find(":7: 净值日期:"), std::string::npos) << texts[4];
    EXPECT_NE(texts[5].find(stranger + ":2: 基金代码: unknown fund code 999999"), std::string::npos)
        << texts[5];

    FundImport::Options options;
    options.skipBad = true;
    result = Run({funds, history, stranger}, options);
    ASSERT_TRUE(result.written);
    EXPECT_EQ(result.rowsRejected, 6);
    EXPECT_EQ(Sql("select group_concat(date) from tb_netvaluehistory").rows[0][0].text,
              "2020-01-02,2020-01-09");
}

TEST_F(ImportFolder, ASecondImportAddsDaysAndWithdrawsWhatItReplaces) {
    const std::string funds = FundList();
    History("a/000082.csv", 400);
    ASSERT_TRUE(Run({funds, (m_folder / "a").string()}).written);
    const double before = Sql("select lastmonth from tb_yield where fundcode = '000082'").rows[0][0].real;
    const auto dates = Dates(402);

    // One corrected day, one new day, the rest restated unchanged; a renamed fund.
    Write("funds2.csv", "基金代码,基金简称,基金类型\n000082,明远成长混合A,\n");
    Write(
        "b/000082.csv",
        "净值日期,单位净值,累计净值\n" + dates[10] + ",2.0000,2.0000\n" + dates[400] + ",1.6000,1.6000\n" +
            dates[11] + "," +
            Sql("select printf('%.4f', value) from tb_netvaluehistory where date = '" + dates[11] + "'")
                .rows[0][0]
                .text +
            "," +
            Sql("select printf('%.4f', totalvalue) from tb_netvaluehistory where date = '" + dates[11] + "'")
                .rows[0][0]
                .text +
            "\n");
    FundImport::Result result = Run({(m_folder / "funds2.csv").string(), (m_folder / "b").string()});
    ASSERT_TRUE(result.written) << (result.problems.empty() ? result.error : result.problems[0].Text());
    EXPECT_EQ(result.created, false);
    EXPECT_EQ(result.rowsReplaced, 2); // the day and the fund row
    EXPECT_EQ(result.rowsUnchanged, 1);
    EXPECT_EQ(Sql("select count(*) from tb_netvaluehistory where not isdeleted").rows[0][0].real, 401.0);
    EXPECT_EQ(Sql("select value, isdeleted from tb_netvaluehistory where date = '" + dates[10] +
                  "' order by isdeleted")
                  .rows.size(),
              2u);
    EXPECT_EQ(Sql("select name from tb_fund where code = '000082' and not isdeleted").rows[0][0].text,
              "明远成长混合A");
    EXPECT_EQ(Sql("select count(*) from tb_fund where code = '000082' and isdeleted").rows[0][0].real, 1.0);
    // The company, inception and managers the second list did not give, and the type it left empty,
    // stay as they were; the initials follow the new name.
    EXPECT_EQ(
        Sql("select investtype, pycode from tb_fund where code = '000082' and not isdeleted").rows[0][0].text,
        "混合型");
    EXPECT_EQ(Sql("select pycode from tb_fund where code = '000082' and not isdeleted").rows[0][0].text,
              "MYCCHHA");
    EXPECT_EQ(Sql("select createdate from tb_fund where code = '000082' and not isdeleted").rows[0][0].text,
              "2019-03-01");
    EXPECT_EQ(Sql("select count(*) from tb_manager where code = '000082' and not isdeleted").rows[0][0].real,
              2.0);
    // Derived figures follow the new latest day, in place.
    EXPECT_EQ(Sql("select date from tb_currvalue where code = '000082'").rows[0][0].text, dates[400]);
    EXPECT_EQ(Sql("select count(*) from tb_yield where fundcode = '000082'").rows[0][0].real, 1.0);
    EXPECT_NE(Sql("select lastmonth from tb_yield where fundcode = '000082'").rows[0][0].real, before);

    // Corrected again: the earlier correction is kept too, withdrawn under the next number.
    Write("c/000082.csv", "净值日期,单位净值,累计净值\n" + dates[10] + ",2.5000,2.5000\n");
    ASSERT_TRUE(Run({(m_folder / "c").string()}).written);
    EXPECT_EQ(
        Sql("select group_concat(value || ':' || isdeleted) from (select * from tb_netvaluehistory where "
            "date = '" +
            dates[10] + "' order by isdeleted)")
            .rows[0][0]
            .text,
        "2.5:0," +
            Sql("select value from tb_netvaluehistory where date = '" + dates[10] + "' and isdeleted = 1")
                .rows[0][0]
                .text +
            ":1,2.0:2");
}

TEST_F(ImportFolder, NewDaysGiveTheFiguresOfImportingEverythingAtOnce) {
    // The new days are added from the fund's kept weeks, without its history read again; the
    // figures must be those of a database that took all the days at once.
    const std::string funds = FundList();
    auto history = [&](const std::string& name, int from, int to) {
        std::string text = "code,date,value,totalvalue\n";
        const auto dates = Dates(to);
        double unit = 1.0, total = 1.0;
        for (int k = 0; k < to; ++k) {
            const double r = 0.012 * std::sin(k * 0.7) + 0.0004;
            total += unit * r;
            unit *= 1.0 + r;
            if (k % 250 == 200)
                unit -= 0.05; // a dividend now and then
            if (k >= from) {
                char line[128];
                std::snprintf(line, sizeof line, "000082,%s,%.6f,%.6f\n", dates[k].c_str(), unit, total);
                text += line;
            }
        }
        return Write(name, text);
    };
    const std::string first = history("first.csv", 0, 1400), next = history("next.csv", 1400, 1460),
                      whole = history("whole.csv", 0, 1460);
    ASSERT_TRUE(Run({funds, first}).written);
    ASSERT_TRUE(Run({next}).written);
    const std::string stepwise = m_db;
    m_db = (m_folder / "once.db").string();
    ASSERT_TRUE(Run({funds, whole}).written);
    const std::string once = m_db;
    auto figures = [&](const std::string& path) {
        m_db = path;
        std::string text;
        for (const char* sql :
             {"select date, value, totalvalue, daymargin from tb_currvalue where not isdeleted",
              "select date, lastweek, lastmonth, lastquarter, lasthalfyear, thisyear, yearavgyield1year, "
              "yearavgyield2year, yearavgyield3year, yearavgyield5year from tb_yield where fundcode = "
              "'000082'",
              "select year, percentvalue from tb_yieldhistory where yieldtype = 1 order by year",
              "select year, reportdate, increasepercent, standard from tb_riskevaluation order by year",
              "select date, type, bonus from tb_bonus where not isdeleted order by date"})
            for (const auto& row : Sql(sql).rows)
                for (const auto& cell : row)
                    text += cell.text + (cell.IsNull() ? "null" : "") + "|";
        return text;
    };
    const std::string expected = figures(once);
    EXPECT_NE(expected.find("|"), std::string::npos);
    EXPECT_EQ(figures(stepwise), expected);
    EXPECT_EQ(Sql("select count(*) from tb_importstate").rows[0][0].real, 1.0);
}

TEST_F(ImportFolder, ASpreadsheetsGbkCsvWithQuotesAndCrlfIsRead) {
    // As a spreadsheet saves "CSV" on a Chinese system: GBK, CRLF, quoted fields, a title line.
    const std::string text =
        "\"明远成长混合(000082)历史净值\"\r\n"
        "\"净值日期\",\"单位净值\",\"累计净值\",\"日增长率\",\"申购状态\",\"赎回状态\",\"分红送配\"\r\n"
        "\"2020/1/3\",\"1.0200\",\"1.0700\",\"0.99%\",\"开放申购\",\"开放赎回\",\"\"\r\n"
        "\"2020/1/2\",\"1.0100\",\"1.0600\",\"1.00%\",\"暂停申购\",\"开放赎回\",\"每份派现金0.0500元\"\r\n";
    std::string gbk(text.size() * 2, '\0');
    iconv_t convert = iconv_open("GBK", "UTF-8");
    char* in = const_cast<char*>(text.data());
    std::size_t inLeft = text.size(), outLeft = gbk.size();
    char* out = gbk.data();
    ASSERT_NE(iconv(convert, &in, &inLeft, &out, &outLeft), static_cast<std::size_t>(-1));
    iconv_close(convert);
    gbk.resize(gbk.size() - outLeft);
    const std::string history = Write("下载/净值.csv", gbk);
    FundImport::Options options;
    options.code = "000082";
    const FundImport::Result result = Run({FundList(), history}, options);
    ASSERT_TRUE(result.written) << (result.problems.empty() ? result.error : result.problems[0].Text());
    EXPECT_EQ(Sql("select group_concat(date || '=' || value) from tb_netvaluehistory").rows[0][0].text,
              "2020-01-02=1.01,2020-01-03=1.02");
    EXPECT_EQ(Sql("select type, bonus, date from tb_bonus").rows[0][1].real, 0.05);
    // The states of the latest day are the fund's.
    EXPECT_EQ(
        Sql("select buystate, redeemstate from tb_buyredeemstate where code = '000082'").rows[0][0].real,
        1.0);
}

TEST_F(ImportFolder, AWorkbookWrittenByAnotherProgramIsRead) {
    // Debian's interpreter, which the package installs the module for, rather than whichever
    // python3 comes first in PATH.
    const std::string python = fs::exists("/usr/bin/python3") ? "/usr/bin/python3" : "python3";
    if (std::system((python + " -c 'import openpyxl' 2>/dev/null").c_str()) != 0)
        GTEST_SKIP() << "python3-openpyxl is not installed (scripts/deps installs it)";
    const std::string book = (m_folder / "funds.xlsx").string();
    const std::string script = Write("make.py", R"(
import datetime, sys, openpyxl
book = openpyxl.Workbook()
funds = book.active
funds.title = '基金列表'
funds.append(['基金代码', '基金简称', '基金类型', '成立日期'])
funds.append([82, '明远成长混合', '混合型', datetime.datetime(2019, 3, 1)])
history = book.create_sheet('净值')
history.append(['基金代码', '净值日期', '单位净值', '累计净值'])
day = datetime.date(2020, 1, 2)
for k in range(30):
    history.append(['000082', day + datetime.timedelta(days=k), 1 + k / 1000, 1 + k / 1000])
book.create_sheet('空白')
book.save(sys.argv[1])
)");
    ASSERT_EQ(std::system((python + " '" + script + "' '" + book + "'").c_str()), 0);
    const FundImport::Result result = Run({book});
    ASSERT_TRUE(result.written) << (result.problems.empty() ? result.error : result.problems[0].Text());
    // A code kept as a number loses its leading zeros in a spreadsheet; dates are serial numbers.
    EXPECT_EQ(Sql("select code, createdate from tb_fund").rows[0][0].text, "000082");
    EXPECT_EQ(Sql("select createdate from tb_fund").rows[0][0].text, "2019-03-01");
    EXPECT_EQ(Sql("select count(*), min(date), max(value) from tb_netvaluehistory").rows[0][1].text,
              "2020-01-02");
    EXPECT_EQ(Sql("select max(value) from tb_netvaluehistory").rows[0][0].real, 1.029);
}

TEST_F(ImportFolder, TheWorkbookReaderTakesEveryKindOfCell) {
    // A package put together by hand: rich-text and inline strings, a gap between cells, a formula's
    // text, a boolean, a row number that skips, a second sheet, and a sheet part named by an
    // absolute target.
    const std::string book = (m_folder / "hand.xlsx").string();
    const std::string script = Write("zip.py", R"(
import sys, zipfile
with zipfile.ZipFile(sys.argv[1], 'w') as z:
    z.writestr('xl/workbook.xml', '<workbook xmlns:r="r"><sheets><sheet name="A" r:id="rId1"/><sheet name="B" r:id="rId2"/></sheets></workbook>')
    z.writestr('xl/_rels/workbook.xml.rels', '<Relationships><Relationship Id="rId1" Target="worksheets/a.xml"/><Relationship Id="rId2" Target="/xl/worksheets/b.xml"/></Relationships>')
    z.writestr('xl/sharedStrings.xml', '<sst><si><t>code</t></si><si><r><t>na</t></r><r><t>me</t></r></si></sst>')
    z.writestr('xl/worksheets/a.xml', '<worksheet><sheetData><row r="1"><c r="A1" t="s"><v>0</v></c><c r="C1" t="s"><v>1</v></c></row><row r="4"><c r="A4" t="inlineStr"><is><t>000082</t></is></c><c r="B4" t="b"><v>1</v></c><c r="C4" t="str"><v>x</v></c></row></sheetData></worksheet>')
    z.writestr('xl/worksheets/b.xml', '<worksheet><sheetData><row><c><v>43831</v></c><c><v>1.25</v></c></row></sheetData></worksheet>')
)");
    const std::string python = fs::exists("/usr/bin/python3") ? "/usr/bin/python3" : "python3";
    ASSERT_EQ(std::system((python + " '" + script + "' '" + book + "'").c_str()), 0);
    FundImport::XlsxBook workbook;
    ASSERT_TRUE(workbook.Open(book)) << workbook.Error();
    ASSERT_EQ(workbook.SheetNames(), (std::vector<std::string>{"A", "B"}));
    std::vector<FundImport::XlsxRow> rows;
    ASSERT_TRUE(workbook.ReadSheet(0, rows)) << workbook.Error();
    ASSERT_EQ(rows.size(), 2u);
    ASSERT_EQ(rows[0].cells.size(), 3u);
    EXPECT_EQ(rows[0].cells[0].text, "code");
    EXPECT_EQ(rows[0].cells[1].text, "");
    EXPECT_EQ(rows[0].cells[2].text, "name");
    EXPECT_EQ(rows[1].line, 4);
    EXPECT_EQ(rows[1].cells[0].text, "000082");
    EXPECT_FALSE(rows[1].cells[0].number);
    EXPECT_EQ(rows[1].cells[1].text, "TRUE");
    EXPECT_EQ(rows[1].cells[2].text, "x");
    ASSERT_TRUE(workbook.ReadSheet(1, rows)) << workbook.Error();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_TRUE(rows[0].cells[0].number);
    EXPECT_EQ(rows[0].cells[0].value, 43831.0);
    EXPECT_EQ(rows[0].cells[1].text, "1.25");
    EXPECT_FALSE(workbook.ReadSheet(2, rows));
}

// While it lives, writing a file past `bytes` fails in this process, as on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        m_handler = std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_handler);
    }

private:
    rlimit m_old{};
    void (*m_handler)(int) = nullptr;
};

TEST_F(ImportFolder, AFullDiskLeavesTheDatabaseAsItWas) {
    const std::string funds = FundList();
    History("a/000082.csv", 100);
    ASSERT_TRUE(Run({funds, (m_folder / "a").string()}).written);
    const std::string before = Everything();
    const auto size = fs::file_size(m_db);
    History("b/000082.csv", 3000);
    FundImport::Result result;
    {
        FileSizeLimit limit(size + 16384);
        result = Run({(m_folder / "b").string()});
    }
    EXPECT_FALSE(result.written);
    EXPECT_FALSE(result.error.empty());
    EXPECT_EQ(Everything(), before);
    // A new database that does not fit is not made at all, and nothing is left beside it.
    const std::string other = (m_folder / "new.db").string();
    {
        FileSizeLimit limit(64 * 1024);
        result = FundImport::Import(other, {funds, (m_folder / "b").string()}, {});
    }
    EXPECT_FALSE(result.written);
    EXPECT_FALSE(fs::exists(other));
    for (const auto& entry : fs::directory_iterator(m_folder))
        EXPECT_EQ(entry.path().filename().string().find("new.db"), std::string::npos) << entry.path();
}

TEST_F(ImportFolder, AKilledImportLeavesTheDatabaseAsItWas) {
    const std::string funds = FundList();
    History("a/000082.csv", 100);
    ASSERT_TRUE(Run({funds, (m_folder / "a").string()}).written);
    const std::string before = Everything();
    // A large update, killed while its transaction is open (its journal exists).
    History("b/000082.csv", 6000, 0.0002);
    History("b/000083.csv", 6000, 0.0001);
    for (int attempt = 0; attempt < 3; ++attempt) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::execl(FUND_IMPORT_PATH, "fund-import", "--quiet", m_db.c_str(),
                    (m_folder / "b").string().c_str(), nullptr);
            ::_exit(127);
        }
        const auto start = std::chrono::steady_clock::now();
        while (!fs::exists(m_db + "-journal") &&
               std::chrono::steady_clock::now() - start < std::chrono::seconds(20))
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        std::this_thread::sleep_for(std::chrono::milliseconds(attempt * 5));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        if (WIFSIGNALED(status)) {
            // SQLite rolls the journal back when the database is next opened.
            EXPECT_EQ(Everything(), before) << "attempt " << attempt;
        }
    }
}

TEST_F(ImportFolder, AReportReplacesItsLinesWholeAndKeepsTheOldOnesWithdrawn) {
    const std::string funds = FundList();
    const std::string first = Write("a/资产配置.csv", "基金代码,报告期,资产类型,市值(元),占总资产比例(%)\n"
                                                      "000082,2023-12-31,股票,800,80\n"
                                                      "000082,2023-12-31,债券,150,15\n"
                                                      "000082,2023-12-31,资产总计,1000,100\n"
                                                      "000082,2023-09-30,股票,700,70\n");
    const std::string ratings = Write("a/评级.csv", "基金代码,评级日期,两年评级,三年评级,五年评级\n"
                                                    "000082,2023-12-31,★★★,★★★★,暂无评级\n");
    const std::string managers =
        Write("a/经理.csv", "基金代码,基金经理,任职日期,离任日期\n"
                            "000082,李青,2019-03-01,\n000082,孙木,2019-03-01,2021-05-06\n");
    ASSERT_TRUE(Run({funds, (m_folder / "a").string()}).written);
    EXPECT_EQ(Sql("select percent from tb_assetallocation where assettype = '股票' and date = '2023-12-31'")
                  .rows[0][0]
                  .real,
              0.8); // "(%)" in the header: 80 is 80 %
    EXPECT_EQ(Sql("select group_concat(year || '=' || star) from tb_analyticalindex").rows[0][0].text,
              "2=3,3=4");
    // The managers file replaced the list's current managers (王舟 is no longer one).
    EXPECT_EQ(Sql("select group_concat(name) from tb_manager where code = '000082' and not isdeleted")
                  .rows[0][0]
                  .text,
              "李青,孙木");

    // The December report again, corrected and without its bond line; September is not touched.
    Write("b/资产配置.csv", "基金代码,报告期,资产类型,市值(元),占总资产比例(%)\n"
                            "000082,2023-12-31,股票,810,81\n"
                            "000082,2023-12-31,资产总计,1000,100\n");
    const FundImport::Result result = Run({(m_folder / "b").string()});
    ASSERT_TRUE(result.written);
    EXPECT_EQ(result.rowsReplaced, 1);
    EXPECT_EQ(result.rowsWithdrawn, 1);
    EXPECT_EQ(result.rowsUnchanged, 1);
    EXPECT_EQ(Sql("select group_concat(assettype || ':' || marketvalue) from (select * from "
                  "tb_assetallocation where "
                  "not isdeleted and date = '2023-12-31' order by assettype)")
                  .rows[0][0]
                  .text,
              "股票:810.0,资产总计:1000.0");
    EXPECT_EQ(Sql("select count(*) from tb_assetallocation where isdeleted").rows[0][0].real, 2.0);
    EXPECT_EQ(Sql("select count(*) from tb_assetallocation where date = '2023-09-30' and not isdeleted")
                  .rows[0][0]
                  .real,
              1.0);
    // Lines of one report split over the file are refused, not merged by guess.
    Write("c/资产配置.csv",
          "基金代码,报告期,资产类型,市值\n000082,2022-12-31,股票,1\n000083,2022-12-31,股票,1\n"
          "000082,2022-12-31,债券,1\n");
    const FundImport::Result split = Run({(m_folder / "c").string()});
    EXPECT_FALSE(split.written);
    ASSERT_EQ(split.problems.size(), 1u);
    EXPECT_NE(split.problems[0].Text().find(":4: this report was given before, from line 2"),
              std::string::npos)
        << split.problems[0].Text();
}

TEST_F(ImportFolder, IndexClosesGiveTheWeeklySeriesTheRiskPageReads) {
    std::string text = "date,close\n";
    double close = 3000.0;
    // Fifteen grid weeks of 2021 from the year's first weekday, a close each weekday.
    for (int day = 18628; day < 18628 + 105; ++day) { // 2021-01-01
        if (((day % 7) + 7 + 3) % 7 >= 5)
            continue;
        const time_t seconds = static_cast<time_t>(day) * 86400;
        char date[16];
        std::strftime(date, sizeof date, "%Y-%m-%d", std::gmtime(&seconds));
        close *= 1.001;
        text += std::string(date) + "," + std::to_string(close) + "\n";
    }
    const std::string file = Write("sh000001.csv", text);
    FundImport::Options options;
    options.kind = FundImport::Kind::Index; // the header alone does not say which kind
    ASSERT_TRUE(Run({file}, options).written);
    const auto weeks =
        Sql("select year, week, percentvalue from tb_yieldhistory where exponentcode = 'sh000001' "
            "and yieldtype = 4 order by year, week");
    ASSERT_EQ(weeks.rows.size(), 14u); // the first week has no close before it
    EXPECT_EQ(weeks.rows[0][1].real, 2.0);
    EXPECT_NEAR(weeks.rows[1][2].real, std::pow(1.001, 5) - 1.0, 2e-6);
    // A later close of the week in progress changes that week's return in place.
    Write("more.csv", "date,close\n2021-04-16," + std::to_string(close * 1.05) + "\n");
    options.code = "sh000001";
    ASSERT_TRUE(Run({(m_folder / "more.csv").string()}, options).written);
    EXPECT_EQ(Sql("select count(*) from tb_yieldhistory where yieldtype = 4").rows[0][0].real, 15.0);
    // Two corrections of that close withdraw the rows they replace, each under its own number.
    for (double factor : {1.06, 1.07}) {
        Write("more.csv", "date,close\n2021-04-16," + std::to_string(close * factor) + "\n");
        ASSERT_TRUE(Run({(m_folder / "more.csv").string()}, options).written);
    }
    EXPECT_EQ(Sql("select group_concat(isdeleted) from (select isdeleted from tb_indexhistory where "
                  "exponentcode = 'sh000001' and date = '2021-04-16' order by isdeleted)")
                  .rows[0][0]
                  .text,
              "0,1,2");
    EXPECT_NEAR(Sql("select closevalue from tb_indexhistory where date = '2021-04-16' and not isdeleted")
                    .rows[0][0]
                    .real,
                close * 1.07, 1e-3);
}

TEST_F(ImportFolder, FilesThatAreNotDataAreReportedByName) {
    const std::string unknown = Write("notes.csv", "foo,bar\n1,2\n");
    const std::string empty = Write("empty.csv", "");
    const std::string broken = Write("broken.xlsx", "not a zip");
    const FundImport::Result result =
        Run({FundList(), unknown, empty, broken, (m_folder / "missing").string()});
    EXPECT_FALSE(result.written);
    std::vector<std::string> texts;
    for (const auto& problem : result.problems)
        texts.push_back(problem.Text());
    ASSERT_EQ(texts.size(), 3u) << ::testing::PrintToString(texts);
    EXPECT_NE(texts[0].find("missing"), std::string::npos);
    EXPECT_NE(texts[1].find("broken.xlsx: not an Excel workbook"), std::string::npos) << texts[1];
    EXPECT_EQ(texts[2], unknown + ":1: header: the header names no known kind of fund data");
}

TEST_F(ImportFolder, ACancelledImportWritesNothing) {
    std::atomic<bool> cancel{true};
    FundImport::Options options;
    options.cancel = &cancel;
    const FundImport::Result result = Run({FundList()}, options);
    EXPECT_TRUE(result.cancelled);
    EXPECT_FALSE(result.written);
    EXPECT_FALSE(fs::exists(m_db));
}

} // namespace

namespace {

// Stock holdings: a report's lines kept in order, its stocks named with their industry, a second
// import replacing the report whole, and the rows that cannot be a holding.
TEST_F(ImportFolder, AHoldingsFileGivesEachReportsLinesAndItsStocks) {
    const std::string funds = FundList();
    const std::string holdings =
        Write("持仓.csv", "基金代码,报告期,股票代码,股票名称,所属行业,持股数,持仓市值(元),"
                          "占净值比例(%)\n"
                          "000082,2023-12-31,600519,贵山酒业,食品、饮料,1000,1800000,9.5\n"
                          "000082,2023-12-31,1,平岸银行,金融、保险业,20万,2000000,8\n"
                          "000082,2023-12-31,00700,港岛科技,,500,300000,1.5\n"
                          "000083,2023-12-31,600519,贵山酒业,,10,18000,0.1\n");
    FundImport::Result result = Run({funds, holdings});
    ASSERT_TRUE(result.written) << (result.problems.empty() ? result.error : result.problems[0].Text());
    const auto lines = Sql("select code, date, rank, stockcode, stockname, shares, marketvalue, percent from "
                           "tb_stockholding where not isdeleted order by code, rank");
    ASSERT_EQ(lines.rows.size(), 4u);
    EXPECT_EQ(lines.rows[0][3].text, "600519");
    EXPECT_EQ(lines.rows[0][2].text, "1");
    EXPECT_DOUBLE_EQ(lines.rows[0][7].real, 0.095); // a Chinese percent header holds percentages
    EXPECT_EQ(lines.rows[1][3].text, "000001");     // the zeros a spreadsheet dropped
    EXPECT_DOUBLE_EQ(lines.rows[1][5].real, 200000);
    EXPECT_EQ(lines.rows[2][3].text, "00700"); // five digits as text: a Hong Kong code, kept
    EXPECT_EQ(lines.rows[2][2].text, "3");
    EXPECT_EQ(lines.rows[3][0].text, "000083");
    const auto stocks = Sql("select code, name, industryid from tb_stock where not isdeleted order by code");
    ASSERT_EQ(stocks.rows.size(), 3u);
    EXPECT_EQ(stocks.rows[0][0].text, "000001");
    EXPECT_EQ(stocks.rows[0][2].text, "20");
    EXPECT_EQ(stocks.rows[1][0].text, "00700");
    EXPECT_EQ(stocks.rows[1][2].text, "");  // no industry given
    EXPECT_EQ(stocks.rows[2][2].text, "4"); // the line without an industry keeps the one given before
    EXPECT_EQ(Sql("select stockid from tb_import order by id desc limit 1").rows[0][0].text, "4");

    // The report again with a changed line and one line fewer: the old lines stay, withdrawn.
    const std::string again =
        Write("持仓2.csv", "基金代码,报告期,股票代码,股票名称,持股数,持仓市值,占净值比例\n"
                           "000082,2023-12-31,600519,贵山酒业,1000,1800000,9.5\n"
                           "000082,2023-12-31,000001,平岸银行,30万,3000000,12\n");
    result = Run({again});
    ASSERT_TRUE(result.written) << (result.problems.empty() ? result.error : result.problems[0].Text());
    EXPECT_EQ(result.rowsReplaced, 1);
    EXPECT_EQ(result.rowsWithdrawn, 1);
    EXPECT_EQ(result.rowsUnchanged, 3); // the first line, and the two stocks named again
    const auto live =
        Sql("select rank, percent from tb_stockholding where code = '000082' and not isdeleted order "
            "by rank");
    ASSERT_EQ(live.rows.size(), 2u);
    EXPECT_DOUBLE_EQ(live.rows[1][1].real, 0.12);
    EXPECT_EQ(Sql("select count(*) from tb_stockholding where isdeleted").rows[0][0].text, "2");
    // Numbering goes on from the last import's: the replacing line is the fifth.
    EXPECT_EQ(Sql("select max(id) from tb_stockholding").rows[0][0].text, "5");
}

TEST_F(ImportFolder, HoldingsRowsThatCannotBeALineAreRefusedByName) {
    const std::string funds = FundList();
    const std::string holdings =
        Write("持仓.csv", "基金代码,报告期,序号,股票代码,股票名称,持仓市值,占净值比例(%)\n"
                          "000082,2023-12-31,1,600519,贵山酒业,1800000,9.5\n"
                          "000082,2023-12-31,1,600520,重复序号,100,1\n"
                          "000082,2023-12-31,2,,无代码,100,1\n"
                          "000082,2023-12-31,3,600521,过大,100,250\n"
                          "000082,2023-12-31,4,600522,负数,100,-2\n"
                          "999999,2023-12-31,1,600519,无此基金,100,1\n");
    const FundImport::Result result = Run({funds, holdings});
    EXPECT_FALSE(result.written);
    std::vector<std::string> texts;
    for (const FundImport::Problem& problem : result.problems)
        texts.push_back(std::to_string(problem.line) + " " + problem.column + ": " + problem.reason);
    EXPECT_EQ(texts, (std::vector<std::string>{
                         "3 序号: line 1 of this report comes twice",
                         "4 股票代码: no stock code",
                         "5 占净值比例: a share of net assets beyond 100 %",
                         "6 占净值比例: must not be negative",
                         "7 基金代码: unknown fund code 999999",
                     }));
}

TEST_F(ImportFolder, ADatabaseMadeBeforeTheHoldingsTakesThemAndKeepsItsOldRows) {
    ASSERT_TRUE(Run({FundList()}).written);
    {
        // As a database made before the holdings: no holdings tables, no column for their numbers.
        SampleDb::SqliteHandle db = SampleDb::OpenDatabase(m_db, false);
        SampleDb::Exec(db.get(),
                       "DROP TABLE tb_stockholding; DROP TABLE tb_stock; ALTER TABLE tb_import DROP COLUMN "
                       "stockid;");
    }
    const std::string holdings = Write("持仓.csv", "基金代码,报告期,股票代码,股票名称,占净值比例(%)\n"
                                                   "000082,2023-12-31,600519,贵山酒业,9.5\n");
    const FundImport::Result result = Run({holdings});
    ASSERT_TRUE(result.written) << (result.problems.empty() ? result.error : result.problems[0].Text());
    EXPECT_EQ(Sql("select count(*) from tb_stockholding").rows[0][0].text, "1");
    const auto log = Sql("select stockid from tb_import order by id");
    ASSERT_EQ(log.rows.size(), 2u);
    EXPECT_EQ(log.rows[0][0].text, ""); // the earlier import gave no holdings
    EXPECT_EQ(log.rows[1][0].text, "1");
}

} // namespace
