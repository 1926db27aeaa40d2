// PageList: the workspace's pages, one line each.
#include "workspace/PageList.h"

#include "pages/asset/AssetAllocationPage.h"
#include "pages/general/GeneralComparePage.h"
#include "pages/growth/GrowthPage.h"
#include "pages/holdings/HoldingsComparePage.h"
#include "pages/industry/IndustryPage.h"
#include "pages/performance/PerformancePage.h"
#include "pages/riskreturn/RiskReturnPage.h"

namespace {

template <class Page>
std::unique_ptr<ComparePage> make() {
    return std::make_unique<Page>();
}

} // namespace

const std::vector<PageListEntry>& PageList() {
    static const std::vector<PageListEntry> pages = {
        {L"综合对比", &make<GeneralComparePage>},  {L"业绩表现", &make<PerformancePage>},
        {L"风险回报", &make<RiskReturnPage>},      {L"资产分布", &make<AssetAllocationPage>},
        {L"行业配置", &make<IndustryPage>},        {L"走势对比", &make<GrowthPage>},
        {L"持仓对比", &make<HoldingsComparePage>},
    };
    return pages;
}
