// The module's statements filled the way its pages fill them: the resource templates through the
// wide formatter, the program-text statements as they stand, the fund list as the pages build it.
#pragma once

#include <sdk/XStringW.h>

#include <string>
#include <vector>

namespace DataTests {

struct FilledStatement {
    std::string name;
    std::string sql; // UTF-8, ready for SQLite
};

// A template of fundcompare/resources (for example "ASSET_QUERY"), as wide text.
XStringW LoadTemplate(const char* name);

std::string FundsSource();
std::string GeneralQuery(const XStringW& date, const std::vector<XStringW>& codes);
std::string AssetQuery(const XStringW& date, const std::vector<XStringW>& codes);
std::string IndustryQuery(const XStringW& date, const std::vector<XStringW>& codes);
std::string AllFundsQuery(int latestYear);

// Every statement of the module, filled for one report date, year and fund list.
std::vector<FilledStatement> AllStatements(const XStringW& date, int latestYear,
                                           const std::vector<XStringW>& codes);

} // namespace DataTests

namespace TestSupport {
class GeneratedDb;
}

namespace DataTests {

// A small generated database (150 funds, 6 years), made once per test program.
const TestSupport::GeneratedDb& SmallGeneratedDb();

} // namespace DataTests
