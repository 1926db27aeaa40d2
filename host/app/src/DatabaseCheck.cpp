// DatabaseCheck: opening and checking a fund database.
#include "DatabaseCheck.h"

#include "FundTables.h"

#include <hostconf/RegularFile.h>

#include <filesystem>
#include <sstream>
#include <vector>

namespace {

std::vector<std::string> words(const char* text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string word; in >> word;)
        out.push_back(word);
    return out;
}

std::string joined(const std::vector<std::string>& names, const char* separator) {
    std::string out;
    for (const std::string& name : names)
        out += (out.empty() ? "" : separator) + name;
    return out;
}

bool fail(DatabaseCheck::Failure& failure, DatabaseCheck::Failure::Kind kind, std::string detail) {
    failure.kind = kind;
    failure.detail = std::move(detail);
    return false;
}

// The tables and columns the program reads; false with the failure when some are missing.
bool checkSchema(HostDb::SqliteDatabase& sqlite, DatabaseCheck::Failure& failure) {
    using Failure = DatabaseCheck::Failure;
    std::vector<std::string> wanted, missing;
    XStringW error;
    for (const FundTables::Table& table : FundTables::kTables)
        if (!table.optional)
            wanted.push_back(table.name);
    if (!sqlite.MissingTables(wanted, missing, error))
        return fail(failure, Failure::kSchemaUnread, error.ToUtf8());
    if (!missing.empty())
        return fail(failure, Failure::kMissingTables, joined(missing, ", "));
    std::string lacking;
    for (const FundTables::Table& table : FundTables::kTables) {
        std::vector<std::string> gone;
        if (table.optional && (!sqlite.MissingTables({table.name}, gone, error) || !gone.empty()))
            continue;
        if (!sqlite.MissingColumns(table.name, words(table.columns), gone, error))
            return fail(failure, Failure::kSchemaUnread, error.ToUtf8());
        if (!gone.empty())
            lacking += (lacking.empty() ? "" : "; ") + std::string(table.name) + " has no column " +
                       joined(gone, ", ");
    }
    if (!lacking.empty())
        return fail(failure, Failure::kMissingColumns, lacking);
    return true;
}

std::wstring wide(const std::string& text) {
    return XStringW::FromUtf8(text).str();
}

} // namespace

namespace DatabaseCheck {

XComPtr<HostDb::SqliteDatabase> Open(const std::string& path, Failure& failure) {
    failure = Failure{};
    failure.path = path;
    std::string header, reason;
    if (!HostConf::ReadRegularFileStart(path, 16, header, reason)) {
        fail(failure, Failure::kUnreadable, reason);
        return nullptr;
    }
    if (header.size() < 16 || header.compare(0, 15, "SQLite format 3") != 0) {
        fail(failure, Failure::kNotSqlite, "");
        return nullptr;
    }
    XStringW error;
    XComPtr<HostDb::SqliteDatabase> database = HostDb::SqliteDatabase::Open(path, error);
    if (database == nullptr) {
        fail(failure, Failure::kUnopenable, error.ToUtf8());
        return nullptr;
    }
    if (!checkSchema(*database, failure))
        return nullptr;
    return database;
}

std::string CommandLineText(const Failure& failure) {
    const std::string& path = failure.path;
    switch (failure.kind) {
    case Failure::kNone:
        return {};
    case Failure::kUnreadable:
        return "cannot open the fund database: " + failure.detail;
    case Failure::kNotSqlite:
        return "'" + path + "' is not an SQLite fund database";
    case Failure::kUnopenable:
        return failure.detail;
    case Failure::kSchemaUnread:
        return "cannot read the tables of '" + path + "': " + failure.detail;
    case Failure::kMissingTables:
        return "'" + path + "' is not a fund database: it has no table " + failure.detail;
    case Failure::kMissingColumns:
        return "'" + path + "' is not a fund database the program can read: " + failure.detail;
    }
    return {};
}

std::wstring WindowText(const Failure& failure) {
    const std::wstring name = L"“" + wide(std::filesystem::path(failure.path).filename().string()) + L"”";
    switch (failure.kind) {
    case Failure::kNone:
        return {};
    case Failure::kUnreadable:
        return L"无法打开" + name + L"：" + wide(failure.detail);
    case Failure::kNotSqlite:
        return name + L"不是基金数据库：它不是 SQLite 数据库文件。";
    case Failure::kUnopenable:
        return L"无法打开数据库" + name + L"：" + wide(failure.detail);
    case Failure::kSchemaUnread:
        return L"无法读取" + name + L"中的表：" + wide(failure.detail);
    case Failure::kMissingTables:
        return name + L"不是基金数据库：缺少表 " + wide(failure.detail) + L"。";
    case Failure::kMissingColumns:
        return name + L"不是本程序能读的基金数据库：" + wide(failure.detail) + L"。";
    }
    return {};
}

} // namespace DatabaseCheck
