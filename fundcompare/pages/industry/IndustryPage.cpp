// IndustryPage: the industry names and the reading of INDUSTRY_QUERY's rows.
#include "pages/industry/IndustryPage.h"

#include "pages/industry/IndustryQueries.h"

IndustryPage::IndustryPage()
    : AllocationPage(L"IndustryPage", std::make_unique<IndustryGrid>(),
                     Traits{L"行业类型", L"行业类型:", L"INDUSTRY_GRIDHEADER", L"INDUSTRY_QUERY",
                            kIndustryEarliestDateQuery, kIndustryLatestDateQuery,
                            kIndustryReportDatesQuery}) {}

void IndustryPage::OnGridCreated() {
    Grid().SetRowHight(kRowHeight);
}

void IndustryPage::OnThemeApplied(Conf::ITheme* theme) {
    Conf::ThemeFont font;
    if (theme->GetFont("fntn_chart_font_header", font))
        Grid().SetHeaderFont(font.face.c_str(), font.size);
    // The theme's row height is meant for the other lists; the industry list has many groups and
    // keeps its rows compact.
    Grid().SetRowHight(kRowHeight);
}

bool IndustryPage::PrepareReload(Data::IDatabase* database) {
    if (!m_groupLabels.empty())
        return true;
    XComPtr<Data::IStatement> statement;
    XStringW error;
    if (!database->Query(statement.Receive(), kIndustryNamesQuery, error) || !statement) {
        ReportQueryError(error);
        return false;
    }
    // The old records are laid out by the old names; none may be paired with the new ones.
    ClearFunds();
    std::vector<XStringW> names;
    while (statement->Next()) {
        XStringW name;
        statement->GetString(name, 0);
        names.push_back(name);
    }
    statement->GetError(error);
    if (!error.empty()) {
        ReportQueryError(error);
        return false;
    }
    for (const XStringW& name : names) {
        m_groupLabels.push_back(name);
        FilterPanel().AddValue(Grid().GroupField(), name, name);
    }
    return true;
}

AllocationPage::FundRecord IndustryPage::ReadRecord(Data::IStatement* statement) {
    FundRecord record;
    statement->GetString(record.code, 0);
    statement->GetString(record.aliascode, 1);
    statement->GetString(record.name, 2);
    statement->GetString(record.investtype, 3);
    statement->GetString(record.buystate, 4);
    // Names and value pairs are matched by position; a name beyond the result's columns has no
    // figures and shows empty cells.
    int columns = statement->GetColumnCount();
    record.holdings.reserve(m_groupLabels.size());
    for (size_t i = 0; i < m_groupLabels.size(); ++i) {
        int valueColumn = kFirstValueColumn + 2 * static_cast<int>(i);
        Holding holding;
        if (valueColumn + 1 < columns) {
            holding.marketValue = statement->GetDouble(valueColumn);
            holding.share = statement->GetDouble(valueColumn + 1);
        }
        record.holdings.push_back(holding);
    }
    return record;
}
