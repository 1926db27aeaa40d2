// Temporary fund databases for tests: made from data/schema.sql plus SQL fixtures, or by the sample
// generator, and deleted with the object.
#pragma once

#include "SampleDbGenerator.h"
#include "Sqlite.h"

#include <initializer_list>
#include <string>
#include <string_view>

namespace TestSupport {

// A path in the temporary folder, unique in the process and the machine; the file and SQLite's
// side files are removed on destruction.
class TempDbFile {
public:
    explicit TempDbFile(std::string_view tag);
    ~TempDbFile();
    TempDbFile(const TempDbFile&) = delete;
    TempDbFile& operator=(const TempDbFile&) = delete;

    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

// The schema plus the named fixtures (files in tests/fixtures, loaded in order). With no fixture,
// an empty database with every table. Throws std::runtime_error when a file or statement fails.
class FixtureDb {
public:
    explicit FixtureDb(std::initializer_list<std::string_view> fixtures = {});

    const std::string& Path() const { return m_file.Path(); }
    // A read-only connection, the way the host opens the fund database.
    SampleDb::SqliteHandle Open() const;

private:
    TempDbFile m_file;
};

// A database made by the sample generator.
class GeneratedDb {
public:
    explicit GeneratedDb(const SampleDb::Options& options);

    const std::string& Path() const { return m_file.Path(); }
    SampleDb::SqliteHandle Open() const;

private:
    TempDbFile m_file;
};

// A file of the source tree, by its path from the root (for example "tests/fixtures/funds.sql").
std::string SourcePath(std::string_view relative);
// The whole file; throws std::runtime_error when it cannot be read.
std::string ReadFile(const std::string& path);

SampleDb::SqliteHandle OpenReadOnly(const std::string& path);

} // namespace TestSupport
