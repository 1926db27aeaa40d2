#include "BenchDatabase.h"

#include <SampleDbGenerator.h>
#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace BenchSupport {

namespace {

// FNV-1a: a digest that stays the same from one build and machine to the next.
std::uint64_t Digest(const char* text) {
    std::uint64_t hash = 1469598103934665603ULL;
    for (const char* c = text; *c != '\0'; ++c) {
        hash ^= static_cast<unsigned char>(*c);
        hash *= 1099511628211ULL;
    }
    return hash;
}

} // namespace

std::string CacheFolder() {
    const char* chosen = std::getenv("FC_BENCH_CACHE");
    if (chosen != nullptr && *chosen != '\0')
        return chosen;
    return (std::filesystem::temp_directory_path() / "fundcompare-bench").string();
}

std::string CachedDatabase(const DatabaseSpec& spec) {
    char name[160];
    std::snprintf(name, sizeof name, "funds%d-years%d-history%d-seed%llu-schema%016llx.db", spec.funds,
                  spec.years, spec.historyFunds, static_cast<unsigned long long>(spec.seed),
                  static_cast<unsigned long long>(Digest(SampleDb::SchemaSql())));
    const std::filesystem::path folder = CacheFolder();
    const std::filesystem::path path = folder / name;
    std::error_code error;
    if (std::filesystem::is_regular_file(path, error))
        return path.string();
    std::filesystem::create_directories(folder, error);
    std::fprintf(stderr, "generating %s (kept for later runs) ...\n", path.string().c_str());
    const auto start = std::chrono::steady_clock::now();
    SampleDb::Options options;
    options.funds = spec.funds;
    options.years = spec.years;
    options.seed = spec.seed;
    options.historyFunds = spec.historyFunds;
    // The generator writes beside the final name and renames when done, so a run that is stopped
    // half-way, or a second program generating the same file, never leaves a partial database here.
    const std::string failure = SampleDb::Generate(path.string(), options);
    if (!failure.empty()) {
        std::fprintf(stderr, "cannot generate the benchmark database: %s\n", failure.c_str());
        std::exit(1);
    }
    std::fprintf(stderr, "generated in %.1f s\n",
                 std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    return path.string();
}

std::vector<std::string> ComparedCodes(const std::string& path, int count) {
    std::vector<std::string> codes;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return codes;
    }
    const char* sql = "select code from tb_fund f where fundtype = '契约型开放式' and investtype <> '现金型'"
                      " and not isdeleted and not isdellisting"
                      " and exists (select 1 from tb_netvaluehistory h where h.code = f.code)"
                      " and exists (select 1 from tb_yield y where y.fundcode = f.code)"
                      " order by code limit ?1";
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) == SQLITE_OK) {
        sqlite3_bind_int(statement, 1, count);
        while (sqlite3_step(statement) == SQLITE_ROW)
            codes.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return codes;
}

namespace {

void ParseCounts(const char* program, const char* text, std::vector<int>& counts) {
    for (const char* p = text; *p != '\0';) {
        char* end = nullptr;
        const long n = std::strtol(p, &end, 10);
        if (end == p || n < 1 || n > SampleDb::kMaxFunds || (*end != ',' && *end != '\0')) {
            std::fprintf(stderr, "%s: --funds takes fund counts separated by commas\n", program);
            std::exit(2);
        }
        counts.push_back(static_cast<int>(n));
        p = *end == ',' ? end + 1 : end;
    }
}

} // namespace

std::vector<int> TakeFundCounts(int& argc, char** argv, std::vector<int> fallback) {
    constexpr const char kFlag[] = "--funds=";
    std::vector<int> counts;
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], kFlag, sizeof kFlag - 1) != 0)
            argv[kept++] = argv[i];
        else
            ParseCounts(argv[0], argv[i] + sizeof kFlag - 1, counts);
    }
    argc = kept;
    argv[argc] = nullptr;
    const char* chosen = std::getenv("FC_BENCH_FUNDS");
    if (counts.empty() && chosen != nullptr && *chosen != '\0')
        ParseCounts(argv[0], chosen, counts);
    return counts.empty() ? fallback : counts;
}

} // namespace BenchSupport
