#include <hostdb/DatabaseModule.h>

namespace HostDb {

bool DatabaseModule::Open(const std::string& path, XStringW& error) {
    XComPtr<SqliteDatabase> database = SqliteDatabase::Open(path, error);
    if (!database)
        return false;
    m_database = database;
    return true;
}

bool DatabaseModule::GetInfo(ModuleInfo& info) {
    info.id = kId;
    info.title = L"数据库模块";
    info.number = 1;
    info.version = 0x01000001;
    return true;
}

bool DatabaseModule::GetDatabase(Data::IDatabase** database) {
    if (database == nullptr)
        return false;
    *database = m_database.Get();
    if (*database == nullptr)
        return false;
    (*database)->AddRef();
    return true;
}

} // namespace HostDb
