// The importer's database work: the transaction, merges, histories and derived figures.
//
// Sections: 1. opening and closing  2. values and statements  3. funds, companies, industries
// 4. the generic merge  5. histories and their figures.
#include "FundStore.h"

#include "NameParts.h"
#include "SampleDbGenerator.h"

#include <sdk/CivilDays.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace FundImport {
namespace {

using SampleDb::Exec;
using SampleDb::SqliteError;

enum LoaderTable { kHistoryTable, kIndexTable };

std::string Hex(std::uint64_t value, int digits) {
    char text[32];
    std::snprintf(text, sizeof text, "%0*llX", digits, static_cast<unsigned long long>(value));
    return std::string(text).substr(std::strlen(text) - static_cast<std::size_t>(digits));
}

// A company made by the importer gets a guid that follows from its name, so that two databases
// that import the same list agree.
std::string GuidOf(const std::string& name) {
    std::uint64_t a = 0xcbf29ce484222325ull, b = 0x84222325cbf29ce4ull;
    for (unsigned char c : name) {
        a = (a ^ c) * 0x100000001b3ull;
        b = (b ^ c) * 0x1000193ull + 7;
    }
    return Hex(a >> 32, 8) + "-" + Hex(a >> 16, 4) + "-" + Hex(a, 4) + "-" + Hex(b >> 48, 4) + "-" +
           Hex(b, 12);
}

// The short name fund houses are called by: the full name less its legal suffix.
std::string ShortNameOf(const std::string& name) {
    for (const char* suffix :
         {"基金管理股份有限公司", "基金管理有限责任公司", "基金管理有限公司", "资产管理有限公司",
          "证券股份有限公司", "证券有限责任公司", "证券有限公司", "基金管理公司"}) {
        const std::size_t length = std::strlen(suffix);
        if (name.size() > length && name.compare(name.size() - length, length, suffix) == 0)
            return name.substr(0, name.size() - length);
    }
    return name;
}

// "YYYY-MM-DD" as stored, read without the cost of a formatted scan (the histories hold millions);
// -1 for any other text.
int StoredDay(const unsigned char* text, int length) {
    if (text == nullptr || length != 10 || text[4] != '-' || text[7] != '-')
        return -1;
    int parts[3] = {0, 0, 0};
    const int starts[3] = {0, 5, 8}, lengths[3] = {4, 2, 2};
    for (int p = 0; p < 3; ++p)
        for (int k = 0; k < lengths[p]; ++k) {
            const unsigned char c = text[starts[p] + k];
            if (c < '0' || c > '9')
                return -1;
            parts[p] = parts[p] * 10 + (c - '0');
        }
    return CivilDays::FromDate(parts[0], parts[1], parts[2]);
}

// The stored form YYYY-MM-DD of a day, written without a formatted print (millions of rows).
void DayText(int day, char (&text)[10]) {
    const CivilDays::Date date = CivilDays::ToDate(day);
    int year = date.year;
    for (int k = 3; k >= 0; --k, year /= 10)
        text[k] = static_cast<char>('0' + year % 10);
    text[4] = text[7] = '-';
    text[5] = static_cast<char>('0' + date.month / 10);
    text[6] = static_cast<char>('0' + date.month % 10);
    text[8] = static_cast<char>('0' + date.day / 10);
    text[9] = static_cast<char>('0' + date.day % 10);
}

std::string Now() {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    gmtime_r(&now, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &parts);
    return text;
}

} // namespace

// 1. Opening and closing ===========================================================================

FundStore::FundStore(const std::string& path, bool create) : m_fresh(create) {
    try {
        Open(path);
    } catch (...) {
        Abandon();
        throw;
    }
}

void FundStore::Open(const std::string& path) {
    if (m_fresh) {
        // Built beside its name and renamed into place when complete, like the sample database.
        m_workPath = path + ".import." + std::to_string(::getpid());
        std::remove(m_workPath.c_str());
        m_db = SampleDb::OpenDatabase(m_workPath, true, true);
        Exec(m_db.get(), SampleDb::BuildSettingsSql());
        SampleDb::CreateSchema(m_db.get());
        Exec(m_db.get(), "BEGIN");
        m_open = true;
        for (const SampleDb::Industry& industry : SampleDb::kLeafIndustries) {
            sqlite3_stmt* insert =
                Statement("INSERT INTO tb_industryname (id, name, parentid) VALUES (?,?,?)");
            sqlite3_bind_int(insert, 1, industry.id);
            sqlite3_bind_text(insert, 2, industry.name, -1, SQLITE_STATIC);
            if (SampleDb::IsManufacturing(industry.id))
                sqlite3_bind_int(insert, 3, SampleDb::kManufacturingId);
            else
                sqlite3_bind_null(insert, 3);
            Step(insert);
        }
        sqlite3_stmt* insert =
            Statement("INSERT INTO tb_industryname (id, name, parentid) VALUES (?,?,NULL)");
        sqlite3_bind_int(insert, 1, SampleDb::kManufacturingId);
        sqlite3_bind_text(insert, 2, SampleDb::kManufacturingName, -1, SQLITE_STATIC);
        Step(insert);
    } else {
        m_workPath = path;
        m_db = SampleDb::OpenDatabase(path, false, true);
        // A busy database (a viewer reading it) is waited for a while rather than failed at once.
        sqlite3_busy_timeout(m_db.get(), 5000);
        Exec(m_db.get(), "PRAGMA cache_size=-65536");
        Exec(m_db.get(), "BEGIN IMMEDIATE");
        m_open = true;
        SampleDb::StatementHandle check = SampleDb::Prepare(
            m_db.get(), "select count(*) from sqlite_master where type = 'table' and name in "
                        "('tb_fund', 'tb_investadvisor', 'tb_currvalue', 'tb_yield')");
        if (sqlite3_step(check.get()) != SQLITE_ROW || sqlite3_column_int(check.get(), 0) != 4)
            throw SqliteError("not a fund database (it lacks the fund tables)");
        check.reset();
        // Tables and indexes added to the schema since the database was made.
        SampleDb::CreateSchema(m_db.get());
        // The import log of a database made before the stock holdings has no column for their
        // numbers; an old row then reads NULL there, as if no holdings had been imported.
        SampleDb::StatementHandle columns = SampleDb::Prepare(
            m_db.get(), "select count(*) from pragma_table_info('tb_import') where name = 'stockid'");
        const bool hasStockId =
            sqlite3_step(columns.get()) == SQLITE_ROW && sqlite3_column_int(columns.get(), 0) > 0;
        columns.reset();
        if (!hasStockId)
            Exec(m_db.get(), "ALTER TABLE tb_import ADD COLUMN stockid INTEGER");
    }
    std::vector<std::string_view> inserts = {
        "INSERT INTO tb_netvaluehistory (id, code, date, value, totalvalue, isdeleted) VALUES (?,?,?,?,?,?)",
        "INSERT INTO tb_indexhistory (id, exponentcode, date, closevalue, isdeleted) VALUES (?,?,?,?,?)"};
    m_loader = std::make_unique<SampleDb::RowLoader>(m_db.get(), inserts);

    sqlite3_stmt* funds = Statement("SELECT code, fundtype FROM tb_fund WHERE NOT isdeleted");
    while (sqlite3_step(funds) == SQLITE_ROW) {
        const auto* type = reinterpret_cast<const char*>(sqlite3_column_text(funds, 1));
        m_funds[reinterpret_cast<const char*>(sqlite3_column_text(funds, 0))] = type != nullptr ? type : "";
    }
    sqlite3_reset(funds);
    sqlite3_stmt* companies =
        Statement("SELECT guid, name, shortname FROM tb_investadvisor WHERE NOT isdeleted");
    while (sqlite3_step(companies) == SQLITE_ROW) {
        const std::string guid = reinterpret_cast<const char*>(sqlite3_column_text(companies, 0));
        for (int k : {1, 2})
            if (const auto* name = sqlite3_column_text(companies, k))
                m_companies.emplace(reinterpret_cast<const char*>(name), guid);
    }
    sqlite3_reset(companies);
    sqlite3_stmt* industries = Statement("SELECT id, name FROM tb_industryname");
    while (sqlite3_step(industries) == SQLITE_ROW)
        m_industries[reinterpret_cast<const char*>(sqlite3_column_text(industries, 1))] =
            sqlite3_column_int(industries, 0);
    sqlite3_reset(industries);
    m_firstHistoryId = NextId("tb_netvaluehistory");
    m_firstIndexId = NextId("tb_indexhistory");
}

FundStore::~FundStore() {
    if (!m_done)
        Abandon();
    for (auto& [sql, statement] : m_statements)
        sqlite3_finalize(statement);
}

std::int64_t FundStore::NextId(const char* table) {
    auto found = m_nextIds.find(table);
    if (found != m_nextIds.end())
        return found->second;
    // The last import's numbers, else the table's own largest id (read through once).
    std::int64_t next = 1;
    const std::string column = std::strcmp(table, "tb_netvaluehistory") == 0   ? "historyid"
                               : std::strcmp(table, "tb_indexhistory") == 0    ? "indexid"
                               : std::strcmp(table, "tb_assetallocation") == 0 ? "assetid"
                               : std::strcmp(table, "tb_stockholding") == 0    ? "stockid"
                                                                               : "industryid";
    sqlite3_stmt* last = Statement("SELECT " + column + " FROM tb_import ORDER BY id DESC LIMIT 1");
    if (sqlite3_step(last) == SQLITE_ROW && sqlite3_column_type(last, 0) != SQLITE_NULL) {
        next = sqlite3_column_int64(last, 0) + 1;
        sqlite3_reset(last);
    } else {
        sqlite3_reset(last);
        if (!m_fresh) {
            sqlite3_stmt* max = Statement(std::string("SELECT max(id) FROM ") + table);
            if (sqlite3_step(max) == SQLITE_ROW)
                next = sqlite3_column_int64(max, 0) + 1;
            sqlite3_reset(max);
        }
    }
    m_nextIds[table] = next;
    return next;
}

void FundStore::Commit(const std::string& finalPath) {
    FlushHistory();
    sqlite3_stmt* log =
        Statement("INSERT INTO tb_import (date, files, rowsadded, rowsreplaced, historyid, "
                  "indexid, assetid, industryid, stockid) VALUES (?,NULL,NULL,NULL,?,?,?,?,?)");
    const std::string now = Now();
    sqlite3_bind_text(log, 1, now.c_str(), -1, SQLITE_TRANSIENT);
    int k = 2;
    for (const char* table : {"tb_netvaluehistory", "tb_indexhistory", "tb_assetallocation",
                              "tb_investindustry", "tb_stockholding"})
        sqlite3_bind_int64(log, k++, NextId(table) - 1);
    Step(log);
    Exec(m_db.get(), "COMMIT");
    m_open = false;
    if (!m_fresh) {
        m_done = true;
        return;
    }
    // The planner's statistics, gathered as the sample generator gathers them.
    SampleDb::FinishBuild(m_db.get(), "");
    for (auto& [sql, statement] : m_statements)
        sqlite3_finalize(statement);
    m_statements.clear();
    m_loader.reset();
    m_db.reset();
    const int fd = ::open(m_workPath.c_str(), O_RDONLY);
    if (fd < 0 || ::fsync(fd) != 0) {
        if (fd >= 0)
            ::close(fd);
        std::remove(m_workPath.c_str());
        throw SqliteError("cannot write " + m_workPath + ": " + std::strerror(errno));
    }
    ::close(fd);
    if (std::rename(m_workPath.c_str(), finalPath.c_str()) != 0) {
        const std::string reason = std::strerror(errno);
        std::remove(m_workPath.c_str());
        throw SqliteError("cannot rename " + m_workPath + " to " + finalPath + ": " + reason);
    }
    m_done = true;
}

void FundStore::Abandon() {
    m_done = true;
    if (m_open && m_db != nullptr)
        sqlite3_exec(m_db.get(), "ROLLBACK", nullptr, nullptr, nullptr);
    m_open = false;
    for (auto& [sql, statement] : m_statements)
        sqlite3_finalize(statement);
    m_statements.clear();
    m_loader.reset();
    m_db.reset();
    if (m_fresh && !m_workPath.empty())
        std::remove(m_workPath.c_str());
}

// 2. Values and statements =========================================================================

bool Value::Same(const Value& other) const {
    if (type != other.type) {
        // A whole number may come back from SQLite as an integer or a real.
        if ((type == Integer || type == Real) && (other.type == Integer || other.type == Real)) {
            const double a = type == Integer ? static_cast<double>(integer) : real;
            const double b = other.type == Integer ? static_cast<double>(other.integer) : other.real;
            return a == b;
        }
        return false;
    }
    switch (type) {
    case Integer:
        return integer == other.integer;
    case Real:
        return real == other.real || std::fabs(real - other.real) <= 1e-12 * std::max(std::fabs(real), 1.0);
    case Text:
        return text == other.text;
    default:
        return true;
    }
}

sqlite3_stmt* FundStore::Statement(const std::string& sql) {
    auto found = m_statements.find(sql);
    if (found != m_statements.end()) {
        sqlite3_reset(found->second);
        sqlite3_clear_bindings(found->second);
        return found->second;
    }
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(m_db.get(), sql.c_str(), -1, &statement, nullptr) != SQLITE_OK)
        throw SqliteError(sqlite3_errmsg(m_db.get()));
    m_statements.emplace(sql, statement);
    return statement;
}

void FundStore::Bind(sqlite3_stmt* statement, int index, const Value& value) {
    switch (value.type) {
    case Value::Integer:
        sqlite3_bind_int64(statement, index, value.integer);
        break;
    case Value::Real:
        sqlite3_bind_double(statement, index, value.real);
        break;
    case Value::Text:
        sqlite3_bind_text(statement, index, value.text.data(), static_cast<int>(value.text.size()),
                          SQLITE_TRANSIENT);
        break;
    default:
        sqlite3_bind_null(statement, index);
    }
}

Value FundStore::Column(sqlite3_stmt* statement, int index) {
    switch (sqlite3_column_type(statement, index)) {
    case SQLITE_INTEGER:
        return Value::Of(static_cast<std::int64_t>(sqlite3_column_int64(statement, index)));
    case SQLITE_FLOAT:
        return Value::Of(sqlite3_column_double(statement, index));
    case SQLITE_NULL:
        return {};
    default:
        return Value::Of(std::string(reinterpret_cast<const char*>(sqlite3_column_text(statement, index)),
                                     static_cast<std::size_t>(sqlite3_column_bytes(statement, index))));
    }
}

void FundStore::Step(sqlite3_stmt* statement) {
    const int rc = sqlite3_step(statement);
    if (rc != SQLITE_DONE && rc != SQLITE_ROW)
        throw SqliteError(sqlite3_errmsg(m_db.get()));
    sqlite3_reset(statement);
}

// 3. Funds, companies, industries ==================================================================

std::map<std::string, Value> FundStore::FundRow(const std::string& code) const {
    std::map<std::string, Value> row;
    if (!HasFund(code))
        return row;
    sqlite3_stmt* statement =
        const_cast<FundStore*>(this)->Statement("SELECT * FROM tb_fund WHERE code = ? AND NOT isdeleted");
    sqlite3_bind_text(statement, 1, code.c_str(), -1, SQLITE_TRANSIENT);
    if (sqlite3_step(statement) == SQLITE_ROW)
        for (int k = 0; k < sqlite3_column_count(statement); ++k)
            row[sqlite3_column_name(statement, k)] = const_cast<FundStore*>(this)->Column(statement, k);
    sqlite3_reset(statement);
    return row;
}

std::string FundStore::CompanyGuid(const std::string& name) {
    auto found = m_companies.find(name);
    if (found != m_companies.end())
        return found->second;
    const std::string guid = GuidOf(name);
    const std::string shortName = ShortNameOf(name);
    sqlite3_stmt* insert =
        Statement("INSERT INTO tb_investadvisor (guid, name, shortname, isdeleted) VALUES (?,?,?,0)");
    sqlite3_bind_text(insert, 1, guid.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(insert, 2, name.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(insert, 3, shortName.c_str(), -1, SQLITE_TRANSIENT);
    Step(insert);
    m_companies.emplace(name, guid);
    m_companies.emplace(shortName, guid);
    return guid;
}

int FundStore::IndustryId(const std::string& nameOrId) const {
    auto found = m_industries.find(nameOrId);
    if (found != m_industries.end())
        return found->second;
    if (!nameOrId.empty() && nameOrId.find_first_not_of("0123456789") == std::string::npos &&
        nameOrId.size() < 4) {
        const int id = std::stoi(nameOrId);
        for (const auto& [name, known] : m_industries)
            if (known == id)
                return id;
    }
    return -1;
}

MergeCounts FundStore::PutFund(const std::string& code, const std::vector<Value>& values) {
    static const TableShape kFund{"tb_fund",
                                  {"code"},
                                  {},
                                  {"aliascode", "name", "pycode", "fundtype", "investtype", "investstyle",
                                   "companyguid", "createdate", "peoples", "quotient", "isdellisting"}};
    const bool known = HasFund(code);
    const MergeCounts counts = Merge(kFund, {Value::Of(code)}, {values}, true);
    if (counts.added + counts.replaced == 0)
        return counts;
    m_changedFunds.insert(code);
    const std::string fundtype = values[3].type == Value::Text ? values[3].text : m_funds[code];
    if (!known) {
        ++m_fundsAdded;
        // Every fund has a row of period returns, empty until its history gives them, so that the
        // performance page lists it with "--".
        sqlite3_stmt* insert =
            Statement("INSERT INTO tb_yield (fundcode, fundtype, isdeleted) VALUES (?,?,0)");
        sqlite3_bind_text(insert, 1, code.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 2, fundtype.c_str(), -1, SQLITE_TRANSIENT);
        Step(insert);
    } else if (fundtype != m_funds[code]) {
        sqlite3_stmt* update =
            Statement("UPDATE tb_yield SET fundtype = ? WHERE fundcode = ? AND NOT isdeleted");
        sqlite3_bind_text(update, 1, fundtype.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(update, 2, code.c_str(), -1, SQLITE_TRANSIENT);
        Step(update);
    }
    m_funds[code] = fundtype;
    return counts;
}

// 4. The generic merge =============================================================================

MergeCounts FundStore::Merge(const TableShape& shape, const std::vector<Value>& group,
                             const std::vector<std::vector<Value>>& rows, bool replaceWhole, bool addOnly) {
    MergeCounts counts;
    auto join = [](const std::vector<const char*>& names, const char* glue, const char* suffix) {
        std::string text;
        for (const char* name : names) {
            if (!text.empty())
                text += glue;
            text += name;
            text += suffix;
        }
        return text;
    };
    std::string where = join(shape.group, " AND ", " = ?");
    if (shape.filter != nullptr)
        where += std::string(" AND ") + shape.filter;
    std::vector<const char*> columns = shape.key;
    columns.insert(columns.end(), shape.values.begin(), shape.values.end());
    const std::size_t keys = shape.key.size();

    // The group's live rows, each with its key, values and where to find it again.
    struct Existing {
        std::vector<Value> cells;
        std::int64_t rowid = 0;
        bool seen = false;
    };
    std::vector<Existing> existing;
    {
        const std::string select = "SELECT " +
                                   (columns.empty() ? std::string("1") : join(columns, ", ", "")) +
                                   (shape.flagInKey ? ", 0" : ", rowid") + " FROM " + shape.table +
                                   " WHERE " + where + " AND NOT isdeleted";
        sqlite3_stmt* statement = Statement(select);
        for (std::size_t k = 0; k < group.size(); ++k)
            Bind(statement, static_cast<int>(k) + 1, group[k]);
        while (sqlite3_step(statement) == SQLITE_ROW) {
            Existing row;
            for (std::size_t k = 0; k < columns.size(); ++k)
                row.cells.push_back(Column(statement, static_cast<int>(k)));
            row.rowid = sqlite3_column_int64(statement, static_cast<int>(columns.size()));
            existing.push_back(std::move(row));
        }
        sqlite3_reset(statement);
    }
    auto withdraw = [&](const Existing& row) {
        if (!shape.flagInKey) {
            sqlite3_stmt* update =
                Statement(std::string("UPDATE ") + shape.table + " SET isdeleted = 1 WHERE rowid = ?");
            sqlite3_bind_int64(update, 1, row.rowid);
            Step(update);
            return;
        }
        // The next withdrawn number of this key, so that the key stays unique.
        const std::string keyWhere = where + (keys > 0 ? " AND " + join(shape.key, " AND ", " = ?") : "");
        sqlite3_stmt* next =
            Statement(std::string("SELECT max(isdeleted) FROM ") + shape.table + " WHERE " + keyWhere);
        int k = 1;
        for (const Value& value : group)
            Bind(next, k++, value);
        for (std::size_t c = 0; c < keys; ++c)
            Bind(next, k++, row.cells[c]);
        std::int64_t flag = 1;
        if (sqlite3_step(next) == SQLITE_ROW)
            flag = sqlite3_column_int64(next, 0) + 1;
        sqlite3_reset(next);
        sqlite3_stmt* update = Statement(std::string("UPDATE ") + shape.table + " SET isdeleted = ? WHERE " +
                                         keyWhere + " AND isdeleted = 0");
        sqlite3_bind_int64(update, 1, flag);
        k = 2;
        for (const Value& value : group)
            Bind(update, k++, value);
        for (std::size_t c = 0; c < keys; ++c)
            Bind(update, k++, row.cells[c]);
        Step(update);
    };
    auto insert = [&](const std::vector<Value>& cells) {
        std::vector<const char*> names = shape.group;
        names.insert(names.end(), columns.begin(), columns.end());
        std::string marks;
        for (std::size_t k = 0; k < names.size() + (shape.explicitId ? 1 : 0); ++k)
            marks += k == 0 ? "?" : ",?";
        sqlite3_stmt* statement =
            Statement(std::string("INSERT INTO ") + shape.table + " (" + (shape.explicitId ? "id, " : "") +
                      join(names, ", ", "") + ", isdeleted) VALUES (" + marks + ",0)");
        int k = 1;
        if (shape.explicitId) {
            const std::int64_t id = NextId(shape.table);
            m_nextIds[shape.table] = id + 1;
            sqlite3_bind_int64(statement, k++, id);
        }
        for (const Value& value : group)
            Bind(statement, k++, value);
        for (const Value& value : cells)
            Bind(statement, k++, value);
        Step(statement);
    };

    for (const std::vector<Value>& incoming : rows) {
        Existing* match = nullptr;
        for (Existing& row : existing)
            if (!row.seen &&
                std::equal(incoming.begin(), incoming.begin() + static_cast<long>(keys), row.cells.begin(),
                           [](const Value& a, const Value& b) { return a.Same(b); })) {
                match = &row;
                break;
            }
        if (match == nullptr) {
            std::vector<Value> cells = incoming;
            for (Value& cell : cells)
                if (cell.type == Value::Keep)
                    cell = {};
            insert(cells);
            ++counts.added;
            continue;
        }
        match->seen = true;
        std::vector<Value> cells = incoming;
        bool same = true;
        for (std::size_t c = 0; c < cells.size(); ++c) {
            if (cells[c].type == Value::Keep)
                cells[c] = match->cells[c];
            else if (!cells[c].Same(match->cells[c]))
                same = false;
        }
        if (same || addOnly) {
            ++counts.unchanged;
            continue;
        }
        withdraw(*match);
        insert(cells);
        ++counts.replaced;
    }
    if (replaceWhole)
        for (const Existing& row : existing)
            if (!row.seen) {
                withdraw(row);
                ++counts.withdrawn;
            }
    return counts;
}

// 5. Histories and their figures ====================================================================

void FundStore::WithdrawDay(const char* table, const char* codeColumn, const std::string& code, int day) {
    const std::string date = CivilDays::Text(day);
    sqlite3_stmt* next = Statement(std::string("SELECT max(isdeleted) FROM ") + table + " WHERE " +
                                   codeColumn + " = ? AND date = ?");
    sqlite3_bind_text(next, 1, code.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(next, 2, date.c_str(), -1, SQLITE_TRANSIENT);
    std::int64_t flag = 1;
    if (sqlite3_step(next) == SQLITE_ROW)
        flag = sqlite3_column_int64(next, 0) + 1;
    sqlite3_reset(next);
    sqlite3_stmt* update = Statement(std::string("UPDATE ") + table + " SET isdeleted = ? WHERE " +
                                     codeColumn + " = ? AND date = ? AND isdeleted = 0");
    sqlite3_bind_int64(update, 1, flag);
    sqlite3_bind_text(update, 2, code.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(update, 3, date.c_str(), -1, SQLITE_TRANSIENT);
    Step(update);
}

void FundStore::FlushHistory() {
    if (m_batch.Empty())
        return;
    m_loader->Load(m_batch);
    m_batch.Clear();
}

bool FundStore::HasDividends(const std::string& code) {
    sqlite3_stmt* statement = Statement("SELECT 1 FROM tb_bonus WHERE code = ? AND NOT isdeleted LIMIT 1");
    sqlite3_bind_text(statement, 1, code.c_str(), -1, SQLITE_TRANSIENT);
    const bool found = sqlite3_step(statement) == SQLITE_ROW;
    sqlite3_reset(statement);
    return found;
}

std::optional<int> FundStore::LatestDay(const std::string& code) {
    if (m_fresh && m_historyWritten.count(code) == 0)
        return std::nullopt;
    FlushHistory();
    sqlite3_stmt* statement = Statement(
        "SELECT date FROM tb_netvaluehistory WHERE code = ? AND isdeleted = 0 ORDER BY date DESC LIMIT 1");
    sqlite3_bind_text(statement, 1, code.c_str(), -1, SQLITE_TRANSIENT);
    std::optional<int> day;
    if (sqlite3_step(statement) == SQLITE_ROW) {
        const int found = StoredDay(sqlite3_column_text(statement, 0), sqlite3_column_bytes(statement, 0));
        if (found >= 0)
            day = found;
    }
    sqlite3_reset(statement);
    return day;
}

std::vector<HistoryDay> FundStore::Window(const char* table, const char* codeColumn, const char* valueColumns,
                                          const std::string& code, int from) {
    std::vector<HistoryDay> days;
    FlushHistory();
    const std::string fromText = CivilDays::Text(from);
    const std::string head = std::string("SELECT date, ") + valueColumns + " FROM " + table + " WHERE " +
                             codeColumn + " = ? AND isdeleted = 0";
    auto read = [&](sqlite3_stmt* statement) {
        while (sqlite3_step(statement) == SQLITE_ROW) {
            HistoryDay day;
            day.day = StoredDay(sqlite3_column_text(statement, 0), sqlite3_column_bytes(statement, 0));
            // A row the pages could not use either is left out.
            if (day.day < 0 || (sqlite3_column_type(statement, 1) != SQLITE_FLOAT &&
                                sqlite3_column_type(statement, 1) != SQLITE_INTEGER))
                continue;
            day.unit = sqlite3_column_double(statement, 1);
            day.total = sqlite3_column_type(statement, 2) == SQLITE_NULL
                            ? std::nan("")
                            : sqlite3_column_double(statement, 2);
            if (!(day.unit > 0.0))
                continue;
            days.push_back(day);
        }
        sqlite3_reset(statement);
    };
    sqlite3_stmt* before = Statement(head + " AND date < ? ORDER BY date DESC LIMIT 1");
    sqlite3_bind_text(before, 1, code.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(before, 2, fromText.c_str(), -1, SQLITE_TRANSIENT);
    read(before);
    sqlite3_stmt* after = Statement(head + " AND date >= ? ORDER BY date");
    sqlite3_bind_text(after, 1, code.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(after, 2, fromText.c_str(), -1, SQLITE_TRANSIENT);
    read(after);
    return days;
}

FundStore::HistoryOutcome FundStore::PutHistory(const std::string& code, const std::vector<HistoryDay>& days,
                                                bool payoutsGiven) {
    HistoryOutcome outcome;
    if (days.empty())
        return outcome;
    const bool known = !(m_fresh && m_historyWritten.count(code) == 0);
    const std::optional<int> latest = known ? LatestDay(code) : std::nullopt;
    // Days after the latest stored one, for a fund whose recent weeks the store keeps: the figures
    // follow from those weeks and a few days read back, not from five years of history.
    std::optional<Derive::FundState> state = latest ? ReadState(code) : std::nullopt;
    // The dividends of a fund come from its values when no file has given any: none in the
    // database, or only those its values implied before.
    const bool inferPayouts = !payoutsGiven && ((state && state->payoutsFromValues) || !HasDividends(code));
    if (latest && days.front().day > *latest && state && state->latestDay == *latest) {
        state->payoutsFromValues = inferPayouts;
        return AppendHistory(code, days, *state, inferPayouts);
    }
    const int newest = std::max(days.back().day, latest.value_or(days.back().day));
    // Enough days before the newest for every figure: five years of weeks and a margin.
    const int from = std::min(days.front().day, newest - 5 * 366 - 21);
    std::vector<HistoryDay> window;
    if (latest)
        window = Window("tb_netvaluehistory", "code", "value, totalvalue", code, from);
    // A fund this import already wrote to may restate those days only with the same values.
    const bool revisited = m_historyWritten.count(code) != 0;

    std::vector<HistoryDay> merged;
    merged.reserve(window.size() + days.size());
    std::size_t w = 0;
    int firstNew = days.back().day + 1;
    auto add = [&](const HistoryDay& day) {
        AddHistoryRow(code, day);
        firstNew = std::min(firstNew, day.day);
    };
    auto same = [](const HistoryDay& a, const HistoryDay& b) {
        auto near = [](double x, double y) {
            return (std::isnan(x) && std::isnan(y)) || x == y ||
                   std::fabs(x - y) <= 1e-12 * std::max(1.0, std::fabs(x));
        };
        return near(a.unit, b.unit) && near(a.total, b.total);
    };
    for (const HistoryDay& day : days) {
        while (w < window.size() && window[w].day < day.day)
            merged.push_back(window[w++]);
        if (w < window.size() && window[w].day == day.day) {
            const HistoryDay old = window[w++];
            if (same(old, day)) {
                ++outcome.counts.unchanged;
                merged.push_back(old);
                continue;
            }
            if (revisited) {
                outcome.conflicts.push_back(day);
                merged.push_back(old);
                continue;
            }
            FlushHistory();
            WithdrawDay("tb_netvaluehistory", "code", code, day.day);
            add(day);
            merged.push_back(day);
            ++outcome.counts.replaced;
            continue;
        }
        add(day);
        merged.push_back(day);
        ++outcome.counts.added;
    }
    while (w < window.size())
        merged.push_back(window[w++]);
    m_historyWritten.insert(code);
    outcome.latestDay = merged.empty() ? 0 : merged.back().day;
    if (outcome.counts.added + outcome.counts.replaced == 0)
        return outcome;
    outcome.changed = true;
    m_changedFunds.insert(code);

    std::vector<Derive::NavDay> navs(merged.size());
    for (std::size_t k = 0; k < merged.size(); ++k)
        navs[k] = {merged[k].day, merged[k].unit, merged[k].total};
    WriteFigures(code, Derive::DeriveFund(navs), merged.front().day);
    Derive::FundState made = Derive::MakeState(navs);
    made.payoutsFromValues = inferPayouts;
    WriteState(code, made);
    if (inferPayouts) {
        // Only the new days can hold a payout that the database does not know of yet.
        std::size_t start = 0;
        while (start + 1 < navs.size() && navs[start + 1].day < firstNew)
            ++start;
        PutPayouts(code, Derive::InferPayouts(std::span<const Derive::NavDay>(navs).subspan(start)));
    }
    return outcome;
}

void FundStore::AddHistoryRow(const std::string& code, const HistoryDay& day) {
    m_batch.BeginRow(kHistoryTable, 6);
    const std::int64_t id = NextId("tb_netvaluehistory");
    m_nextIds["tb_netvaluehistory"] = id + 1;
    m_batch.Add(id);
    m_batch.Add(code);
    char date[10];
    DayText(day.day, date);
    m_batch.Add(std::string_view(date, sizeof date));
    m_batch.Add(day.unit);
    if (std::isnan(day.total))
        m_batch.Add(SampleDb::Null{});
    else
        m_batch.Add(day.total);
    m_batch.Add(0);
    if (m_batch.Bytes() > (1u << 20))
        FlushHistory();
}

void FundStore::PutPayouts(const std::string& code, const std::vector<Derive::Payout>& payouts) {
    static const TableShape kBonus{"tb_bonus", {"code"}, {"date", "type"}, {"bonus"}};
    std::vector<std::vector<Value>> rows;
    for (const Derive::Payout& payout : payouts)
        rows.push_back({Value::Of(CivilDays::Text(payout.day)), Value::Of(std::int64_t{payout.split ? 1 : 0}),
                        Value::Of(payout.amount)});
    // Never in place of a dividend that the database already has for the day.
    if (!rows.empty())
        Merge(kBonus, {Value::Of(code)}, rows, false, true);
}

std::vector<HistoryDay> FundStore::Range(const std::string& code, int from, int to) {
    FlushHistory();
    std::vector<HistoryDay> days;
    const std::string fromText = CivilDays::Text(from), toText = CivilDays::Text(to);
    auto read = [&](sqlite3_stmt* statement) {
        while (sqlite3_step(statement) == SQLITE_ROW) {
            HistoryDay day;
            day.day = StoredDay(sqlite3_column_text(statement, 0), sqlite3_column_bytes(statement, 0));
            const int type = sqlite3_column_type(statement, 1);
            if (day.day < 0 || (type != SQLITE_FLOAT && type != SQLITE_INTEGER))
                continue;
            day.unit = sqlite3_column_double(statement, 1);
            day.total = sqlite3_column_type(statement, 2) == SQLITE_NULL
                            ? std::nan("")
                            : sqlite3_column_double(statement, 2);
            if (day.unit > 0.0)
                days.push_back(day);
        }
        sqlite3_reset(statement);
    };
    sqlite3_stmt* before =
        Statement("SELECT date, value, totalvalue FROM tb_netvaluehistory WHERE code = ? AND "
                  "isdeleted = 0 AND date <= ? ORDER BY date DESC LIMIT 1");
    sqlite3_bind_text(before, 1, code.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(before, 2, fromText.c_str(), -1, SQLITE_TRANSIENT);
    read(before);
    sqlite3_stmt* span =
        Statement("SELECT date, value, totalvalue FROM tb_netvaluehistory WHERE code = ? AND "
                  "isdeleted = 0 AND date > ? AND date <= ? ORDER BY date");
    sqlite3_bind_text(span, 1, code.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(span, 2, fromText.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(span, 3, toText.c_str(), -1, SQLITE_TRANSIENT);
    read(span);
    return days;
}

FundStore::HistoryOutcome FundStore::AppendHistory(const std::string& code,
                                                   const std::vector<HistoryDay>& days,
                                                   Derive::FundState& state, bool inferPayouts) {
    HistoryOutcome outcome;
    std::vector<Derive::NavDay> navs(days.size());
    for (std::size_t k = 0; k < days.size(); ++k) {
        navs[k] = {days[k].day, days[k].unit, days[k].total};
        AddHistoryRow(code, days[k]);
    }
    outcome.counts.added = static_cast<std::int64_t>(days.size());
    outcome.changed = true;
    outcome.latestDay = days.back().day;
    m_historyWritten.insert(code);
    m_changedFunds.insert(code);
    const Derive::NavDay before{state.latestDay, state.unit, state.total};
    const Derive::FundFigures figures = Derive::Advance(state, navs, [&](int from, int to) {
        std::vector<Derive::NavDay> read;
        for (const HistoryDay& day : Range(code, from, to))
            read.push_back({day.day, day.unit, day.total});
        return read;
    });
    WriteFigures(code, figures, navs.front().day);
    WriteState(code, state);
    if (inferPayouts) {
        navs.insert(navs.begin(), before);
        PutPayouts(code, Derive::InferPayouts(navs));
    }
    return outcome;
}

std::optional<Derive::FundState> FundStore::ReadState(const std::string& code) {
    sqlite3_stmt* statement = Statement("SELECT state FROM tb_importstate WHERE code = ?");
    sqlite3_bind_text(statement, 1, code.c_str(), -1, SQLITE_TRANSIENT);
    std::optional<Derive::FundState> state;
    if (sqlite3_step(statement) == SQLITE_ROW)
        state = Derive::StateFromBytes(sqlite3_column_blob(statement, 0),
                                       static_cast<std::size_t>(sqlite3_column_bytes(statement, 0)));
    sqlite3_reset(statement);
    return state;
}

void FundStore::WriteState(const std::string& code, const Derive::FundState& state) {
    const std::string bytes = Derive::StateBytes(state);
    sqlite3_stmt* statement = Statement("INSERT OR REPLACE INTO tb_importstate (code, state) VALUES (?, ?)");
    sqlite3_bind_text(statement, 1, code.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_blob(statement, 2, bytes.data(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
    Step(statement);
}

void FundStore::WriteFigures(const std::string& code, const Derive::FundFigures& figures,
                             int windowFirstDay) {
    if (figures.empty)
        return;
    auto opt = [](const std::optional<double>& value) { return value ? Value::Of(*value) : Value{}; };
    const std::string date = CivilDays::Text(figures.latestDay);
    auto upsert = [&](const std::string& update, const std::string& insert, const std::vector<Value>& set,
                      const std::vector<Value>& where) {
        sqlite3_stmt* statement = Statement(update);
        int k = 1;
        for (const Value& value : set)
            Bind(statement, k++, value);
        for (const Value& value : where)
            Bind(statement, k++, value);
        Step(statement);
        if (sqlite3_changes(m_db.get()) > 0)
            return;
        statement = Statement(insert);
        k = 1;
        for (const Value& value : where)
            Bind(statement, k++, value);
        for (const Value& value : set)
            Bind(statement, k++, value);
        Step(statement);
    };
    const Value codeValue = Value::Of(code);
    upsert(
        "UPDATE tb_currvalue SET date = ?, value = ?, totalvalue = ?, daymargin = ? WHERE code = ? AND NOT "
        "isdeleted",
        "INSERT INTO tb_currvalue (code, date, value, totalvalue, daymargin, isdeleted) VALUES (?,?,?,?,?,0)",
        {Value::Of(date), Value::Of(figures.unit),
         std::isnan(figures.total) ? Value{} : Value::Of(figures.total), opt(figures.dayGrowth)},
        {codeValue});
    const Derive::PeriodReturns& p = figures.periods;
    upsert("UPDATE tb_yield SET fundtype = ?, date = ?, lastweek = ?, lastmonth = ?, lastquarter = ?, "
           "lasthalfyear = ?, thisyear = ?, yearavgyield1year = ?, yearavgyield2year = ?, yearavgyield3year "
           "= ?, "
           "yearavgyield5year = ? WHERE fundcode = ? AND NOT isdeleted",
           "INSERT INTO tb_yield (fundcode, fundtype, date, lastweek, lastmonth, lastquarter, lasthalfyear, "
           "thisyear, "
           "yearavgyield1year, yearavgyield2year, yearavgyield3year, yearavgyield5year, isdeleted) "
           "VALUES (?,?,?,?,?,?,?,?,?,?,?,?,0)",
           {Value::Of(m_funds[code]), Value::Of(date), opt(p.lastweek), opt(p.lastmonth), opt(p.lastquarter),
            opt(p.lasthalfyear), opt(p.thisyear), opt(p.year1), opt(p.year2), opt(p.year3), opt(p.year5)},
           {codeValue});
    (void)windowFirstDay;
    for (const Derive::YearReturn& year : figures.years)
        upsert(
            "UPDATE tb_yieldhistory SET percentvalue = ? WHERE fundcode = ? AND yieldtype = 1 AND year = ? "
            "AND NOT isdeleted",
            "INSERT INTO tb_yieldhistory (fundcode, year, percentvalue, yieldtype, isdeleted) VALUES "
            "(?,?,?,1,0)",
            {Value::Of(year.value)}, {codeValue, Value::Of(std::int64_t{year.year})});
    for (const Derive::RiskFigures& risk : figures.risk)
        upsert("UPDATE tb_riskevaluation SET reportdate = ?, increasepercent = ?, standard = ? WHERE "
               "fundcode = ? "
               "AND year = ? AND NOT isdeleted",
               "INSERT INTO tb_riskevaluation (fundcode, year, reportdate, increasepercent, standard, "
               "isdeleted) "
               "VALUES (?,?,?,?,?,0)",
               {Value::Of(date), Value::Of(risk.annualReturn), Value::Of(risk.standard)},
               {codeValue, Value::Of(std::int64_t{risk.years})});
}

FundStore::HistoryOutcome FundStore::PutIndex(const std::string& code, const std::vector<HistoryDay>& days) {
    HistoryOutcome outcome;
    if (days.empty())
        return outcome;
    const std::string key = "index:" + code;
    const bool known = !(m_fresh && m_historyWritten.count(key) == 0);
    const bool revisited = m_historyWritten.count(key) != 0;
    // From the week before the first new day's, whose last close the first new week grows from.
    const int from = Derive::WeekFirstDay(Derive::WeekNumber(days.front().day));
    std::vector<HistoryDay> window;
    if (known)
        window = Window("tb_indexhistory", "exponentcode", "closevalue, NULL", code, from);
    std::vector<HistoryDay> merged;
    std::size_t w = 0;
    auto add = [&](const HistoryDay& day) {
        m_batch.BeginRow(kIndexTable, 5);
        const std::int64_t id = NextId("tb_indexhistory");
        m_nextIds["tb_indexhistory"] = id + 1;
        m_batch.Add(id);
        m_batch.Add(code);
        m_batch.Add(CivilDays::Text(day.day));
        m_batch.Add(day.unit);
        m_batch.Add(0);
    };
    for (const HistoryDay& day : days) {
        while (w < window.size() && window[w].day < day.day)
            merged.push_back(window[w++]);
        if (w < window.size() && window[w].day == day.day) {
            const HistoryDay old = window[w++];
            if (old.unit == day.unit) {
                ++outcome.counts.unchanged;
                merged.push_back(old);
                continue;
            }
            if (revisited) {
                outcome.conflicts.push_back(day);
                merged.push_back(old);
                continue;
            }
            FlushHistory();
            WithdrawDay("tb_indexhistory", "exponentcode", code, day.day);
            add(day);
            merged.push_back(day);
            ++outcome.counts.replaced;
            continue;
        }
        add(day);
        merged.push_back(day);
        ++outcome.counts.added;
    }
    while (w < window.size())
        merged.push_back(window[w++]);
    m_historyWritten.insert(key);
    if (outcome.counts.added + outcome.counts.replaced == 0)
        return outcome;
    outcome.changed = true;
    std::vector<Derive::CloseDay> closes(merged.size());
    for (std::size_t k = 0; k < merged.size(); ++k)
        closes[k] = {merged[k].day, merged[k].unit};
    for (const Derive::WeekReturn& week : Derive::IndexWeeks(closes)) {
        sqlite3_stmt* update =
            Statement("UPDATE tb_yieldhistory SET percentvalue = ? WHERE exponentcode = ? AND "
                      "yieldtype = 4 AND year = ? AND week = ? AND NOT isdeleted");
        sqlite3_bind_double(update, 1, week.value);
        sqlite3_bind_text(update, 2, code.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(update, 3, week.year);
        sqlite3_bind_int(update, 4, week.week);
        Step(update);
        if (sqlite3_changes(m_db.get()) > 0)
            continue;
        sqlite3_stmt* insert = Statement("INSERT INTO tb_yieldhistory (exponentcode, yieldtype, year, week, "
                                         "percentvalue, isdeleted) VALUES (?,4,?,?,?,0)");
        sqlite3_bind_text(insert, 1, code.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(insert, 2, week.year);
        sqlite3_bind_int(insert, 3, week.week);
        sqlite3_bind_double(insert, 4, week.value);
        Step(insert);
    }
    return outcome;
}

} // namespace FundImport
