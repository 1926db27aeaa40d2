// PerformancePage: the second tab, 业绩表现. For every compared fund it lists the return over
// thirteen periods with its rank among funds of the same investment type and among all funds,
// ranked over the whole fund universe of the database. The universe is read and ranked once per
// page life; later changes of the compared set only refill the list from it.
#pragma once

#include "filter/FilterWnd2.h"
#include "pages/common/ComparePage.h"
#include "pages/performance/PerformanceGrid.h"
#include "pages/performance/PerformanceUniverse.h"

#include <sdk/Data.h>

#include <memory>
#include <vector>

namespace Gdiplus {
class Image;
}

class PerformancePage : public ComparePage {
public:
    // PNG resources of the bars.
    static constexpr int kGainBarImage = 20;
    static constexpr int kLossBarImage = 21;

    PerformancePage();
    ~PerformancePage() override;

    void ApplyTheme(Conf::ITheme* theme) override;
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    // Rebuilds the list when the page window is visible; a hidden page catches up when shown.
    void ReloadIfVisible() override;
    // A cleared comparison empties the list before the reload.
    void OnFundsCleared() override;
    void OnDatabaseChanged() override;
    // Reads and ranks the fund universe if that has not succeeded yet, then refills the list. A
    // universe being read ahead is waited for: the page shows that it is loading and finishes the
    // show when the universe comes (OnReadAhead).
    void ShowData();
    std::optional<AheadRequest> AwaitedAhead() const override;
    void OnReadAhead(AheadResult result) override;
    // Calls of ShowData, whatever started them.
    int ReloadCount() const { return m_reloads; }
    // Empties the list without refilling it (the compared set was cleared or is about to be shown anew).
    void ClearList();
    Data::IDataTable* ListTable() const { return m_grid.Table(); }

    // Runs the all-funds query and ranks every period; false, with nothing kept, when the query
    // fails or there is no database.
    bool LoadAllFunds();
    // One row per compared fund and period, the oldest calendar year first.
    void FillTable();

    // ---- Inspection ----
    PerformanceGrid& Grid() { return m_grid; }
    FilterWnd2& FilterPanel() { return m_filter; }
    const XStringW& LatestYear() const { return m_latestYear; }
    const std::vector<XStringW>& Periods() const { return m_periods; }
    const PerformanceUniverse& Universe() const { return m_universe; }

    // The year text the all-funds query may carry (the performance statements' SafeYear).
    static XStringW SafeYear(const XStringW& text);

private:
    void OnCreate();
    void OnSize(int width, int height);
    void ReadLatestYear();
    void BuildPeriods();
    // Shows the list from the universe, taking it over from the reading ahead or reading it here.
    void Fill();
    // Fills the list from the universe when it is ready, else empties it and says "加载中".
    void ShowList(bool ready);
    // Takes the read-ahead's answer: its universe (or its error), or the universe read here when
    // nothing reads ahead; false while it is on its way.
    bool TakeUniverse(AheadResult result);

    PerformanceGrid m_grid;
    XStringW m_latestYear;
    std::vector<XStringW> m_periods;
    PerformanceUniverse m_universe;
    std::unique_ptr<Gdiplus::Image> m_gainBar;
    std::unique_ptr<Gdiplus::Image> m_lossBar;
    int m_reloads = 0;
    // Last: the panel detaches its filters from the grid's view, which must still exist then.
    FilterWnd2 m_filter;
};
