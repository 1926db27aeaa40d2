#include "ModuleStatements.h"

#include "pages/asset/AssetQueries.h"
#include "pages/common/SqlCodeList.h"
#include "pages/general/GeneralQueries.h"
#include "pages/growth/GrowthQueries.h"
#include "pages/industry/IndustryQueries.h"
#include "pages/performance/PerformanceQueries.h"
#include "pages/riskreturn/RiskReturnQueries.h"
#include "support/FixtureDb.h"

#include <utility>

namespace DataTests {
namespace {

std::string Utf8(const XStringW& text) {
    return text.ToUtf8();
}

template <std::size_t... I>
XStringW FormatWithDate(const XStringW& text, const XStringW& date, std::index_sequence<I...>) {
    XStringW filled;
    filled.Format(text.c_str(), ((void)I, date.c_str())...);
    return filled;
}

} // namespace

XStringW LoadTemplate(const char* name) {
    return XStringW::FromUtf8(TestSupport::ReadFile(
        TestSupport::SourcePath(std::string("fundcompare/resources/") + name + ".sql")));
}

std::string FundsSource() {
    // The picker's statement has no slot; it still passes the formatter's hands once.
    XStringW filled;
    filled.Format(LoadTemplate("FUNDS_SOURCE").c_str());
    return Utf8(filled);
}

std::string GeneralQuery(const XStringW& date, const std::vector<XStringW>& codes) {
    const XStringW safeDate = SqlCodeList::EscapeLiteral(date);
    XStringW filled;
    filled.Format(LoadTemplate("GENERAL_QUERY").c_str(), safeDate.c_str(), safeDate.c_str(),
                  SqlCodeList::JoinQuoted(codes).c_str());
    return Utf8(filled);
}

std::string AssetQuery(const XStringW& date, const std::vector<XStringW>& codes) {
    XStringW filled = FormatWithDate(LoadTemplate("ASSET_QUERY"), SqlCodeList::EscapeLiteral(date),
                                     std::make_index_sequence<7>());
    return Utf8(filled + SqlCodeList::FundListClause(codes));
}

std::string IndustryQuery(const XStringW& date, const std::vector<XStringW>& codes) {
    XStringW filled = FormatWithDate(LoadTemplate("INDUSTRY_QUERY"), SqlCodeList::EscapeLiteral(date),
                                     std::make_index_sequence<23>());
    return Utf8(filled + SqlCodeList::FundListClause(codes));
}

std::string AllFundsQuery(int latestYear) {
    const XStringW year = XStringW().Format(L"%d", latestYear);
    XStringW filled;
    filled.Format(kAllFundsQuery, year.c_str(), latestYear - 1, latestYear - 2, year.c_str(), latestYear - 1,
                  latestYear - 2);
    return Utf8(filled);
}

std::vector<FilledStatement> AllStatements(const XStringW& date, int latestYear,
                                           const std::vector<XStringW>& codes) {
    return {
        {"FUNDS_SOURCE", FundsSource()},
        {"kLatestReportDateQuery", Utf8(kLatestReportDateQuery)},
        {"GENERAL_QUERY", GeneralQuery(date, codes)},
        {"kLatestYearQuery", Utf8(kLatestYearQuery)},
        {"kAllFundsQuery", AllFundsQuery(latestYear)},
        {"kFundRiskQuery", Utf8(kFundRiskQuery)},
        {"kIndexWeeksQuery", Utf8(kIndexWeeksQuery)},
        {"kAverageQuery", Utf8(kAverageQuery)},
        {"kAssetEarliestDateQuery", Utf8(kAssetEarliestDateQuery)},
        {"kAssetLatestDateQuery", Utf8(kAssetLatestDateQuery)},
        {"ASSET_QUERY", AssetQuery(date, codes)},
        {"kIndustryEarliestDateQuery", Utf8(kIndustryEarliestDateQuery)},
        {"kIndustryLatestDateQuery", Utf8(kIndustryLatestDateQuery)},
        {"kIndustryNamesQuery", Utf8(kIndustryNamesQuery)},
        {"INDUSTRY_QUERY", IndustryQuery(date, codes)},
        {"kHistoryTablesQuery", Utf8(kHistoryTablesQuery)},
        {"kFundHistoryQuery",
         Utf8(XStringW().Format(
             kFundHistoryQuery,
             (XStringW(L"'") + SqlCodeList::EscapeLiteral(codes.at(0)) + XStringW(L"'")).c_str()))},
        {"kIndexHistoryQuery", Utf8(XStringW().Format(kIndexHistoryQuery, L"'sh000001'"))},
        {"kIndexCodesQuery", Utf8(kIndexCodesQuery)},
        {"kFundNamesQuery",
         Utf8(XStringW().Format(kFundNamesQuery, SqlCodeList::Parenthesized(codes).c_str()))},
    };
}

} // namespace DataTests

namespace DataTests {

const TestSupport::GeneratedDb& SmallGeneratedDb() {
    static const TestSupport::GeneratedDb db(SampleDb::Options{150, 6, 20101231});
    return db;
}

} // namespace DataTests
