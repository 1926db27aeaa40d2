// IndustryPage: The fifth tab, 行业配置: the industry allocation of the compared funds at a report date.
#pragma once

#include "pages/asset/AllocationPage.h"
#include "pages/industry/IndustryGrid.h"

class IndustryPage : public AllocationPage {
public:
    static constexpr int kRowHeight = 18;
    static constexpr int kFirstValueColumn = 5; // market value of the first industry; its share follows

    IndustryPage();

    IndustryGrid& Grid() { return static_cast<IndustryGrid&>(AllocationPage::Grid()); }

protected:
    void OnGridCreated() override;
    void OnThemeApplied(Conf::ITheme* theme) override;
    bool PrepareReload(Data::IDatabase* database) override;
    FundRecord ReadRecord(Data::IStatement* statement) override;
};
