// DatabaseModule: "mod_Database", the module through which other modules reach the fund database.
#pragma once

#include <hostdb/SqliteDatabase.h>
#include <hostkernel/RefCounted.h>
#include <sdk/Modules.h>

namespace HostDb {

class DatabaseModule final : public HostKernel::RefCounted<IDbModule> {
public:
    static constexpr const char* kId = "mod_Database";

    // Opens the database file, replacing the one open before only when this one opens.
    bool Open(const std::string& path, XStringW& error);
    // Replaces the database with one opened elsewhere (another file, or the same file read anew);
    // those who hold the old one keep it alive until they let it go.
    void Use(XComPtr<SqliteDatabase> database) { m_database = std::move(database); }

    bool GetInfo(ModuleInfo& info) override;
    int Load(void*, void*) override { return 0; }
    int Initialize(IApp*, XStringW&) override { return 0; }
    void Uninitialize() override {}
    // Null until a database is open.
    bool GetDatabase(Data::IDatabase** database) override;

private:
    XComPtr<SqliteDatabase> m_database;
};

} // namespace HostDb
