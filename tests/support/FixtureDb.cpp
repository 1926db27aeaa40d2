#include "support/FixtureDb.h"

#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace TestSupport {

TempDbFile::TempDbFile(std::string_view tag) {
    static std::atomic<int> counter{0};
    const char* folder = std::getenv("TMPDIR");
    m_path = std::string(folder != nullptr && *folder != '\0' ? folder : "/tmp") + "/fc-" + std::string(tag) +
             "-" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + ".db";
    std::remove(m_path.c_str());
}

TempDbFile::~TempDbFile() {
    for (const char* suffix : {"", "-journal", "-wal", "-shm"})
        std::remove((m_path + suffix).c_str());
}

std::string SourcePath(std::string_view relative) {
    return std::string(FC_SOURCE_DIR) + "/" + std::string(relative);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

SampleDb::SqliteHandle OpenReadOnly(const std::string& path) {
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr);
    SampleDb::SqliteHandle db(raw);
    if (rc != SQLITE_OK)
        throw std::runtime_error("cannot open " + path);
    return db;
}

FixtureDb::FixtureDb(std::initializer_list<std::string_view> fixtures) : m_file("fixture") {
    SampleDb::SqliteHandle db = SampleDb::OpenDatabase(m_file.Path(), true);
    SampleDb::CreateSchema(db.get());
    for (std::string_view fixture : fixtures)
        SampleDb::Exec(db.get(), ReadFile(SourcePath("tests/fixtures/" + std::string(fixture))));
}

SampleDb::SqliteHandle FixtureDb::Open() const {
    return OpenReadOnly(Path());
}

GeneratedDb::GeneratedDb(const SampleDb::Options& options) : m_file("generated") {
    const std::string error = SampleDb::Generate(m_file.Path(), options);
    if (!error.empty())
        throw std::runtime_error("generating the sample database failed: " + error);
}

SampleDb::SqliteHandle GeneratedDb::Open() const {
    return OpenReadOnly(Path());
}

} // namespace TestSupport
