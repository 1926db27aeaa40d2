// Generated fund databases for the benchmarks. Making the 12,000-fund database takes longer than
// measuring on it, so each one is made once and kept in a cache folder between runs, under a name
// that spells out every option of the generator and a digest of the schema: another option or a
// changed schema makes a new file, never a stale answer.
//
// The folder is $FC_BENCH_CACHE when set, else fundcompare-bench in the temporary folder; removing
// it makes the next run generate everything anew.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace BenchSupport {

struct DatabaseSpec {
    int funds = 12000;
    int years = 10;
    // Funds given a daily net-value history, the first ones made. The growth page reads one fund at
    // a time through an index, so a history for every fund would only lengthen the generation.
    int historyFunds = 200;
    std::uint64_t seed = 1;
};

// The benchmark database of the design budgets: 12,000 funds, ten years.
inline constexpr DatabaseSpec kBudgetDatabase{};

std::string CacheFolder();

// The path of the database, generated first when the cache does not hold it. Exits the program
// with a message when the database cannot be made: no figure would mean anything without it.
std::string CachedDatabase(const DatabaseSpec& spec);

// Up to `count` codes of live open-ended funds (not money-market) that have a net-value history,
// ascending: funds that every page shows. The compared funds of the benchmarks.
std::vector<std::string> ComparedCodes(const std::string& path, int count);

// The fund counts named by "--funds=3000,12000,48000" among the arguments, which is taken out of
// them, else by $FC_BENCH_FUNDS in the same form (scripts/bench passes it to every program, which
// only these take); `fallback` when neither names any. Exits with a message on a count that is not
// a number.
std::vector<int> TakeFundCounts(int& argc, char** argv, std::vector<int> fallback);

} // namespace BenchSupport
