// The SQLite database module: opening, Execute into tables, Query statements, and the guarantee
// that nothing changes the file.
#include <hostdb/DatabaseModule.h>
#include <hostdb/SqliteDatabase.h>
#include <hostkernel/DataTable.h>
#include <hostkernel/DataView.h>
#include <hostkernel/RefCounted.h>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

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
