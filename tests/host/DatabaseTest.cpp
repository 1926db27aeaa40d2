// The SQLite database module: opening, Execute into tables, Query statements, and the guarantee
// that nothing changes the file.
#include <hostdb/DatabaseModule.h>
#include <hostdb/SqliteDatabase.h>
#include <hostkernel/DataTable.h>
#include <hostkernel/DataView.h>
#include <hostkernel/RefCounted.h>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace HostDb;
using HostKernel::DataTable;

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class DatabaseTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() /
              ("hostdb_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
        path = (dir / "funds.db").string();
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
        const char* sql = "CREATE TABLE tb_fund(code TEXT, name VARCHAR(40), nav REAL, shares INTEGER,"
                          " grade NUMERIC, createdate DATE);"
                          "INSERT INTO tb_fund VALUES('000001', '华夏成长', 1.25, 100, 'A', '2001-12-18');"
                          "INSERT INTO tb_fund VALUES('000002', '易方达蓝筹', NULL, 200, 3, NULL);"
                          "INSERT INTO tb_fund VALUES('000003', NULL, 0.1, NULL, 4.5, '0001-01-01');";
        ASSERT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);
        XStringW error;
        database = SqliteDatabase::Open(path, error);
        ASSERT_NE(database, nullptr) << error.ToUtf8();
    }
    void TearDown() override {
        database = nullptr;
        std::filesystem::remove_all(dir);
    }
    XComPtr<DataTable> Run(const wchar_t* sql) {
        XComPtr<DataTable> table = DataTable::Create();
        EXPECT_TRUE(database->Execute(sql, table, 1, 0));
        return table;
    }

    std::filesystem::path dir;
    std::string path;
    XComPtr<SqliteDatabase> database;
};

class CountingListener final : public HostKernel::RefCounted<Data::IDataViewEvent> {
public:
    void OnBeforeChange(Data::IDataView*) override { ++before; }
    void OnAfterChange(Data::IDataView*) override { ++after; }
    int before = 0, after = 0;
};

} // namespace

TEST_F(DatabaseTest, BadFilesFailAtOpenWithTheReason) {
    XStringW error;
    EXPECT_EQ(SqliteDatabase::Open((dir / "missing.db").string(), error), nullptr);
    EXPECT_NE(error.ToUtf8().find("no such file"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir / "missing.db")); // never created

    std::ofstream(dir / "empty.db").close();
    EXPECT_EQ(SqliteDatabase::Open((dir / "empty.db").string(), error), nullptr);
    EXPECT_NE(error.ToUtf8().find("empty"), std::string::npos);

    std::ofstream(dir / "text.db") << std::string(4096, 'x');
    EXPECT_EQ(SqliteDatabase::Open((dir / "text.db").string(), error), nullptr);
    EXPECT_NE(error.ToUtf8().find("not a SQLite database"), std::string::npos) << error.ToUtf8();

    EXPECT_EQ(SqliteDatabase::Open(dir.string(), error), nullptr);
    EXPECT_NE(error.ToUtf8().find("not a file"), std::string::npos);

    DatabaseModule module;
    module.AddRef(); // held on the stack: keep the count above zero
    XComPtr<Data::IDatabase> none;
    EXPECT_FALSE(module.GetDatabase(none.Receive()));
    EXPECT_FALSE(module.Open((dir / "missing.db").string(), error));
    ASSERT_TRUE(module.Open(path, error));
    ASSERT_TRUE(module.GetDatabase(none.Receive()));
    EXPECT_TRUE(none->IsOpen());
    ModuleInfo info;
    EXPECT_TRUE(module.GetInfo(info));
    EXPECT_EQ(info.id, XStringA("mod_Database"));
}

TEST_F(DatabaseTest, ExecuteTakesKindsFromDeclaredTypesThenFromValues) {
    XComPtr<DataTable> t =
        Run(L"select code, name, nav, shares, grade, createdate, nav * 2 as twice,"
            L" null as empty_value, 0.1 + 0.25 as total, count(*) over () as n from tb_fund");
    ASSERT_EQ(t->GetColumnCount(), 10);
    EXPECT_EQ(t->GetColumnIndex(L"twice"), 6);
    EXPECT_EQ(t->KindAt(0), Data::kText);
    EXPECT_EQ(t->KindAt(1), Data::kText);
    EXPECT_EQ(t->KindAt(2), Data::kReal);
    EXPECT_EQ(t->KindAt(3), Data::kInteger);
    EXPECT_EQ(t->KindAt(4), Data::kText); // NUMERIC holding 'A' first, then numbers
    EXPECT_EQ(t->KindAt(5), Data::kText);
    EXPECT_EQ(t->KindAt(6), Data::kReal);
    EXPECT_EQ(t->KindAt(7), Data::kText);
    EXPECT_EQ(t->KindAt(8), Data::kReal);
    EXPECT_EQ(t->KindAt(9), Data::kInteger);
    ASSERT_EQ(t->GetRowCount(), 3);
    EXPECT_EQ(t->CellText(0, 1), L"华夏成长");
    EXPECT_EQ(t->CellText(1, 4), L"3");
    EXPECT_EQ(t->CellText(2, 4), L"4.5");
    EXPECT_EQ(t->CellText(0, 8), L"0.35");
    EXPECT_TRUE(t->CellIsNull(1, 2));
    EXPECT_TRUE(t->CellIsNull(2, 1));
    EXPECT_TRUE(t->CellIsNull(0, 7));
}

TEST_F(DatabaseTest, ExecuteWidensColumnsRatherThanLosingValues) {
    // An expression column typed by its first value (integer) later meets a fraction and text.
    XComPtr<DataTable> t =
        Run(L"select case code when '000001' then 1 when '000002' then 2.5 end as a,"
            L" case code when '000001' then 7 else 'n/a' end as b from tb_fund order by code");
    EXPECT_EQ(t->KindAt(0), Data::kReal);
    EXPECT_EQ(t->CellText(0, 0), L"1");
    EXPECT_EQ(t->CellText(1, 0), L"2.5");
    EXPECT_TRUE(t->CellIsNull(2, 0));
    EXPECT_EQ(t->KindAt(1), Data::kText);
    EXPECT_EQ(t->CellText(0, 1), L"7");
    EXPECT_EQ(t->CellText(2, 1), L"n/a");
}

TEST_F(DatabaseTest, FailedExecuteLeavesTheTableAsItWas) {
    XComPtr<DataTable> t = Run(L"select code, name from tb_fund");
    auto view = HostKernel::DataView::Create();
    view->SetSource(t);
    auto listener = HostKernel::MakeRef<CountingListener>();
    view->SetListener(listener);

    for (const wchar_t* bad : {L"select * from tb_missing", L"select code from", L"", L"   ",
                               L"select code from tb_fund; select 1"}) {
        EXPECT_FALSE(database->Execute(bad, t, 1, 0)) << XStringW(bad).ToUtf8();
        XStringW error;
        database->GetLastError(error);
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(t->GetRowCount(), 3);
        EXPECT_EQ(t->GetColumnCount(), 2);
    }
    // A runtime error after some rows were read also leaves the table alone.
    EXPECT_FALSE(database->Execute(
        L"select code, case when code = '000003' then json(code || '{') end from tb_fund", t, 1, 0));
    EXPECT_EQ(t->GetRowCount(), 3);
    EXPECT_EQ(listener->after, 0);

    // A successful refill is one announced change, and keeps the tags of columns it keeps.
    XComPtr<Data::IColumnItem> item;
    t->GetColumnItem(item.Receive(), 0);
    item->SetTag(this);
    EXPECT_TRUE(database->Execute(L"select code from tb_fund where code > '000001'", t, 1, 0));
    t->GetColumnItem(item.Receive(), 0);
    EXPECT_EQ(item->GetTag(), this);
    EXPECT_EQ(listener->before, 1);
    EXPECT_EQ(listener->after, 1);
    EXPECT_EQ(view->GetRowCount(), 2);
    // Appending needs the same columns.
    EXPECT_TRUE(database->Execute(L"select name from tb_fund", t, 0, 0));
    EXPECT_EQ(t->GetRowCount(), 5);
    EXPECT_FALSE(database->Execute(L"select code, name from tb_fund", t, 0, 0));
    EXPECT_FALSE(database->Execute(L"select 1", nullptr, 1, 0));
}

TEST_F(DatabaseTest, QueryReadsRowsAndReportsErrors) {
    XComPtr<Data::IStatement> statement;
    XStringW error;
    EXPECT_FALSE(database->Query(statement.Receive(), L"select nonesuch from tb_fund", error));
    EXPECT_EQ(statement, nullptr);
    EXPECT_NE(error.ToUtf8().find("no such column"), std::string::npos);

    ASSERT_TRUE(
        database->Query(statement.Receive(), L"select name, nav, code from tb_fund order by code", error));
    EXPECT_EQ(statement->GetColumnCount(), 3);
    XStringW text;
    std::vector<std::pair<std::wstring, double>> rows;
    while (statement->Next()) {
        statement->GetString(text, 0);
        rows.emplace_back(text.str(), statement->GetDouble(1));
    }
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0], (std::pair<std::wstring, double>{L"华夏成长", 1.25}));
    EXPECT_EQ(rows[1], (std::pair<std::wstring, double>{L"易方达蓝筹", 0})); // null reads as 0
    EXPECT_EQ(rows[2], (std::pair<std::wstring, double>{L"", 0.1}));         // null reads as empty
    // Once finished, a statement stays finished instead of starting over.
    EXPECT_FALSE(statement->Next());
    statement->GetString(text, 0);
    EXPECT_TRUE(text.empty());
    EXPECT_EQ(statement->GetDouble(99), 0);
}

TEST_F(DatabaseTest, ChineseTextTravelsThroughSqlBothWays) {
    XComPtr<Data::IStatement> statement;
    XStringW error;
    ASSERT_TRUE(database->Query(
        statement.Receive(), L"select code, '基金' || name from tb_fund where name = '易方达蓝筹'", error));
    ASSERT_TRUE(statement->Next());
    XStringW text;
    statement->GetString(text, 1);
    EXPECT_EQ(text, L"基金易方达蓝筹");
    EXPECT_FALSE(statement->Next());
    XComPtr<DataTable> t = Run(L"select length(name) as n from tb_fund where name like '华夏%'");
    EXPECT_EQ(t->CellText(0, 0), L"4");
}

TEST_F(DatabaseTest, NothingCanWriteTheFile) {
    database->Execute(L"select * from tb_fund", DataTable::Create(), 1, 0);
    std::string before = ReadFile(path);
    XComPtr<Data::IStatement> statement;
    XStringW error;
    for (const wchar_t* write : {L"delete from tb_fund", L"update tb_fund set nav = 0", L"drop table tb_fund",
                                 L"insert into tb_fund(code) values('x')", L"create table t(x)",
                                 L"pragma user_version = 5", L"select 1; delete from tb_fund"}) {
        EXPECT_FALSE(database->Query(statement.Receive(), write, error)) << XStringW(write).ToUtf8();
        EXPECT_FALSE(error.empty());
        XComPtr<DataTable> t = DataTable::Create();
        EXPECT_FALSE(database->Execute(write, t, 1, 0));
    }
    database = nullptr;
    EXPECT_EQ(ReadFile(path), before);
    EXPECT_FALSE(std::filesystem::exists(path + "-journal"));
    EXPECT_FALSE(std::filesystem::exists(path + "-wal"));
}

namespace {

// A database of figures written the ways a careless feed writes them.
class FigureTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() /
              ("hostdb_fig_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
        path = (dir / "figures.db").string();
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
        const char* sql =
            "CREATE TABLE f(id INTEGER, kind TEXT, value REAL, count INTEGER, grade NUMERIC, name TEXT);"
            "INSERT INTO f VALUES(1, 'a', 0.25, 3, 'A', 'plain');"
            "INSERT INTO f VALUES(2, 'a', 'abc', 'abc', 'B', 'letters');"
            "INSERT INTO f VALUES(3, 'a', '-', '-', 1, 'dash');"
            "INSERT INTO f VALUES(4, 'a', '１２', '１２', 2, 'full-width');"
            "INSERT INTO f VALUES(5, 'a', '0x10', '0x10', 3, 'hex');"
            "INSERT INTO f VALUES(6, 'b', 1e999, 7, 4, 'infinite');"
            "INSERT INTO f VALUES(7, 'b', -1e999, 8, 5, 'minus infinite');"
            "INSERT INTO f VALUES(8, 'b', '', '', 6, 'empty');"
            "INSERT INTO f VALUES(9, 'b', x'3132', x'3132', 7, 'blob');"
            "INSERT INTO f VALUES(10, 'b', ' 1.5 ', '12', 8, 'spaced');"
            "INSERT INTO f VALUES(11, 'c', NULL, NULL, NULL, 'nul' || char(0) || 'led');"
            "INSERT INTO f VALUES(12, 'c', -0.5, -2, 9, 'negative');";
        char* message = nullptr;
        ASSERT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, &message), SQLITE_OK) << message;
        sqlite3_close(db);
        XStringW error;
        database = SqliteDatabase::Open(path, error);
        ASSERT_NE(database, nullptr) << error.ToUtf8();
    }
    void TearDown() override {
        database = nullptr;
        std::filesystem::remove_all(dir);
    }

    std::filesystem::path dir;
    std::string path;
    XComPtr<SqliteDatabase> database;
};

} // namespace

TEST_F(FigureTest, AFigureThatIsNoPlainNumberReadsAsMissing) {
    // Only ids 1, 10 and 12 hold numbers in `value`, only 1, 6, 7, 10 and 12 in `count`.
    const std::vector<int> numbers = {1, 10, 12};
    const std::vector<int> counts = {1, 6, 7, 10, 12};
    auto contains = [](const std::vector<int>& list, int id) {
        return std::find(list.begin(), list.end(), id) != list.end();
    };

    XComPtr<DataTable> t = DataTable::Create();
    ASSERT_TRUE(database->Execute(L"select id, value, count, grade, name from f order by id", t, 1, 0));
    ASSERT_EQ(t->GetRowCount(), 12);
    EXPECT_EQ(t->KindAt(1), Data::kReal);
    EXPECT_EQ(t->KindAt(2), Data::kInteger);
    for (int row = 0; row < 12; ++row) {
        int id = row + 1;
        EXPECT_EQ(t->CellIsNull(row, 1), !contains(numbers, id)) << "value of " << id;
        EXPECT_EQ(t->CellIsNull(row, 2), !contains(counts, id)) << "count of " << id;
    }
    EXPECT_EQ(t->CellText(9, 1), L"1.5");
    EXPECT_EQ(t->CellText(11, 2), L"-2");
    // A column without a numeric type keeps its text: a grade 'A' is a grade, not a figure.
    EXPECT_EQ(t->CellText(0, 3), L"A");
    EXPECT_EQ(t->CellText(1, 3), L"B");

    // A statement reads the same: no text, 0 as a number.
    XComPtr<Data::IStatement> statement;
    XStringW error;
    ASSERT_TRUE(database->Query(statement.Receive(), L"select id, value, count from f order by id", error));
    XStringW text;
    while (statement->Next()) {
        int id = static_cast<int>(statement->GetDouble(0));
        statement->GetString(text, 1);
        EXPECT_EQ(text.empty(), !contains(numbers, id)) << "value of " << id << ": " << text.ToUtf8();
        if (!contains(numbers, id))
            EXPECT_EQ(statement->GetDouble(1), 0) << id;
        statement->GetString(text, 2);
        EXPECT_EQ(text.empty(), !contains(counts, id)) << "count of " << id << ": " << text.ToUtf8();
    }
    statement->GetError(error);
    EXPECT_TRUE(error.empty());
}

TEST_F(FigureTest, AveragesAndSumsPassOverWhatIsNoNumber) {
    XComPtr<DataTable> t = DataTable::Create();
    ASSERT_TRUE(database->Execute(L"select kind, avg(value) as a, sum(value) as s, avg(count) as ac, "
                                  L"sum(count) as sc, count(value) as n"
                                  L" from f group by kind order by kind",
                                  t, 1, 0));
    ASSERT_EQ(t->GetRowCount(), 3);
    // Kind a: only 0.25 is a number (not 0.25 + 0 + 0 + 0 + 16 over five).
    EXPECT_EQ(t->CellText(0, 1), L"0.25");
    EXPECT_EQ(t->CellText(0, 2), L"0.25");
    EXPECT_EQ(t->CellText(0, 3), L"3");
    EXPECT_EQ(t->CellText(0, 4), L"3");
    // Kind b: two infinities, an empty text and a blob are passed over; the average is not infinite.
    EXPECT_EQ(t->CellText(1, 1), L"1.5");
    EXPECT_EQ(t->CellText(1, 3), L"9");
    EXPECT_EQ(t->CellText(1, 4), L"27"); // integers stay an integer sum
    // Kind c: a null and one number.
    EXPECT_EQ(t->CellText(2, 1), L"-0.5");
    EXPECT_EQ(t->CellText(2, 2), L"-0.5");
    EXPECT_EQ(t->CellText(2, 5), L"1");

    // Nothing to average is null, as in SQLite; a text column of decimals still averages.
    ASSERT_TRUE(
        database->Execute(L"select avg(value) as a, sum(value) as s from f where id in (2, 3)", t, 1, 0));
    EXPECT_TRUE(t->CellIsNull(0, 0));
    EXPECT_TRUE(t->CellIsNull(0, 1));
    ASSERT_TRUE(database->Execute(L"select avg(x) from (select '1.5' as x union all select '2.5')", t, 1, 0));
    EXPECT_EQ(t->CellText(0, 0), L"2");
    // As window functions over a moving frame, with the bad figures still passed over.
    ASSERT_TRUE(
        database->Execute(L"select id, sum(count) over (order by id rows between 1 preceding and current"
                          L" row) as s from f where id between 5 and 7 order by id",
                          t, 1, 0));
    EXPECT_TRUE(t->CellIsNull(0, 1));
    EXPECT_EQ(t->CellText(1, 1), L"7");
    EXPECT_EQ(t->CellText(2, 1), L"15");
}

TEST_F(FigureTest, TextReadsWholeWithoutItsNulCharacters) {
    XComPtr<DataTable> t = DataTable::Create();
    ASSERT_TRUE(database->Execute(L"select name, length(cast(name as blob)) from f where id = 11", t, 1, 0));
    EXPECT_EQ(t->CellText(0, 0), L"nulled");
    EXPECT_EQ(t->CellText(0, 1), L"7");
    XComPtr<Data::IStatement> statement;
    XStringW error, text;
    ASSERT_TRUE(database->Query(statement.Receive(), L"select name from f where id = 11", error));
    ASSERT_TRUE(statement->Next());
    statement->GetString(text, 0);
    EXPECT_EQ(text.str(), L"nulled");
}

TEST_F(FigureTest, TheTablesADatabaseLacksAreNamed) {
    std::vector<std::string> missing;
    XStringW error;
    ASSERT_TRUE(database->MissingTables({"f", "tb_fund", "sqlite_master", "tb_yield"}, missing, error));
    EXPECT_EQ(missing, (std::vector<std::string>{"tb_fund", "sqlite_master", "tb_yield"}));
    ASSERT_TRUE(database->MissingTables({"F"}, missing, error)); // SQLite names ignore case
    EXPECT_TRUE(missing.empty());
}

TEST_F(FigureTest, FailedStatementsAreCountedAndTold) {
    std::vector<std::string> told;
    database->SetFailureObserver(
        [&told](const std::string& sql, const std::string& reason) { told.push_back(sql + " | " + reason); });
    EXPECT_EQ(database->FailureCount(), 0);
    XComPtr<Data::IStatement> statement;
    XStringW error;
    EXPECT_FALSE(database->Query(statement.Receive(), L"select nonesuch from f", error));
    EXPECT_FALSE(database->Execute(L"select nonesuch from f", DataTable::Create(), 1, 0));
    ASSERT_TRUE(database->Query(statement.Receive(),
                                L"select case when id = 3 then json('{') else id end from f order by id",
                                error));
    while (statement->Next()) {
    }
    EXPECT_EQ(database->FailureCount(), 3);
    ASSERT_TRUE(database->Execute(L"select id from f", DataTable::Create(), 1, 0));
    EXPECT_EQ(database->FailureCount(), 3);
    ASSERT_EQ(told.size(), 3u);
    EXPECT_EQ(told[0], "select nonesuch from f | no such column: nonesuch");
    EXPECT_EQ(told[1], told[0]);
    EXPECT_EQ(told[2],
              "select case when id = 3 then json('{') else id end from f order by id | malformed JSON");
}

TEST_F(FigureTest, FurtherConnectionsAreOfferedOnlyOnRequestAndReportTheirFailuresToTheFirst) {
    XComPtr<Data::IDatabase> second;
    XStringW error;
    EXPECT_FALSE(database->OpenConnection(second.Receive(), error));
    EXPECT_EQ(second, nullptr);
    EXPECT_FALSE(error.empty());

    database->OfferConnections(true);
    error.clear();
    ASSERT_TRUE(database->OpenConnection(second.Receive(), error)) << error.ToUtf8();
    ASSERT_NE(second, nullptr);
    XComPtr<Data::IStatement> statement;
    ASSERT_TRUE(second->Query(statement.Receive(), L"select count(*) from f", error));
    ASSERT_TRUE(statement->Next());
    EXPECT_EQ(statement->GetDouble(0), 12);

    // The observer set on the first connection after the second was opened still hears of the
    // second's failures, and the count is the two connections' together.
    std::vector<std::string> told;
    database->SetFailureObserver(
        [&told](const std::string& sql, const std::string&) { told.push_back(sql); });
    EXPECT_FALSE(second->Query(statement.Receive(), L"select nonesuch from f", error));
    EXPECT_FALSE(database->Query(statement.Receive(), L"select other from f", error));
    EXPECT_EQ(told, (std::vector<std::string>{"select nonesuch from f", "select other from f"}));
    EXPECT_EQ(database->FailureCount(), 2);
}

namespace {

// Copies a database with a journal left behind by a writer that stopped half-way: the journal
// holds the pages as they were, the file the half-written change.
void MakeHotJournal(const std::string& source, const std::string& copy) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(source.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(
        sqlite3_exec(db,
                     "PRAGMA journal_mode=DELETE; PRAGMA cache_size=1; CREATE TABLE t(x);"
                     "BEGIN; WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2000)"
                     " INSERT INTO t SELECT randomblob(300) FROM n;",
                     nullptr, nullptr, nullptr),
        SQLITE_OK);
    ASSERT_TRUE(std::filesystem::exists(source + "-journal"));
    std::filesystem::copy_file(source, copy);
    std::filesystem::copy_file(source + "-journal", copy + "-journal");
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

} // namespace

TEST_F(FigureTest, AJournalOrALogThatBarsReadingIsNamed) {
    std::string hot = (dir / "hot.db").string();
    MakeHotJournal((dir / "source.db").string(), hot);
    XStringW error;
    EXPECT_EQ(SqliteDatabase::Open(hot, error), nullptr);
    EXPECT_NE(error.ToUtf8().find("hot journal"), std::string::npos) << error.ToUtf8();
    EXPECT_TRUE(std::filesystem::exists(hot + "-journal")); // left for its owner to roll back

    // A database in write-ahead-log mode, in a folder its reader may not write to, without the
    // log's index file. Root may write anywhere, so the reading is done by an unprivileged child.
    std::filesystem::path readOnly = dir / "readonly";
    std::filesystem::create_directories(readOnly);
    std::string wal = (readOnly / "wal.db").string();
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(wal.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "PRAGMA journal_mode=WAL; CREATE TABLE t(x); INSERT INTO t VALUES(1);",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    ASSERT_FALSE(std::filesystem::exists(wal + "-shm"));
    ::chmod(dir.c_str(), 0755);
    ::chmod(readOnly.c_str(), 0555);
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeEnds[0]);
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(3);
        XStringW childError;
        XComPtr<SqliteDatabase> opened = SqliteDatabase::Open(wal, childError);
        std::string text = opened != nullptr ? std::string("opened") : childError.ToUtf8();
        ssize_t written = ::write(pipeEnds[1], text.data(), text.size());
        ::_exit(written == static_cast<ssize_t>(text.size()) ? 0 : 4);
    }
    ::close(pipeEnds[1]);
    std::string said;
    char buffer[512];
    for (ssize_t n; (n = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
        said.append(buffer, static_cast<size_t>(n));
    ::close(pipeEnds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    ::chmod(readOnly.c_str(), 0755);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_NE(said.find("write-ahead log"), std::string::npos) << said;
    EXPECT_NE(said.find("wal.db-shm"), std::string::npos) << said;
}

TEST_F(FigureTest, TextInAnIntegerColumnIsNoNumberEvenWhenItStartsWithOne) {
    // '5 funds' starts like 5; in a column declared as a number it is a figure nobody can read.
    std::string other = (dir / "counts.db").string();
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(other.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "CREATE TABLE c(count INTEGER, share REAL, note TEXT);"
                           "INSERT INTO c VALUES('5 funds', '2.5 %', '7 days');",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    XStringW error;
    XComPtr<SqliteDatabase> counts = SqliteDatabase::Open(other, error);
    ASSERT_NE(counts, nullptr) << error.ToUtf8();
    XComPtr<Data::IStatement> statement;
    ASSERT_TRUE(counts->Query(statement.Receive(), L"select count, share, note from c", error));
    ASSERT_TRUE(statement->Next());
    EXPECT_EQ(statement->GetDouble(0), 0);
    EXPECT_EQ(statement->GetDouble(1), 0);
    double number = -1;
    EXPECT_FALSE(statement->GetNumber(0, number));
    XStringW text;
    statement->GetString(text, 0);
    EXPECT_TRUE(text.empty()) << text.ToUtf8();
    // A column of text keeps reading its leading number, as _wtof would.
    EXPECT_EQ(statement->GetDouble(2), 7);
    XComPtr<DataTable> t = DataTable::Create();
    ASSERT_TRUE(counts->Execute(L"select count, share from c", t, 1, 0));
    EXPECT_TRUE(t->CellIsNull(0, 0));
    EXPECT_TRUE(t->CellIsNull(0, 1));
}

TEST_F(FigureTest, TheColumnsATableLacksAreNamed) {
    std::vector<std::string> missing;
    XStringW error;
    ASSERT_TRUE(database->MissingColumns("f", {"id", "VALUE", "rating", "name", "code"}, missing, error));
    EXPECT_EQ(missing, (std::vector<std::string>{"rating", "code"}));
    // A table that is not there lacks every column.
    ASSERT_TRUE(database->MissingColumns("nothing", {"id"}, missing, error));
    EXPECT_EQ(missing, (std::vector<std::string>{"id"}));
}
