// FeesPage: the tab 费率与经理: what holding each compared fund costs, and who runs it. Two views
// behind a switch: 费率对比, the fees side by side with a calculator of the cost of an amount held
// for a period (the two boxes above the list, and a tick that lets the funds' recent returns grow
// the amount), and 基金经理, one row per fund and current manager with the fund's return since the
// manager started; Enter on a row lists that fund's managers over its life below.
//
// The page follows the compared-fund set and the theme like the other pages and reloads only while
// it is visible. The fees and the managers are read on every reload; the daily histories (for
// returns) are wanted only by the manager view and the tick, and come through the read-ahead: the
// lists show at once, their returns say "--" while the caption says that the histories are on their
// way, and the cells fill when they arrive. Without a read-ahead the page reads them itself, once
// per fund (GrowthHistory). A change of the boxes or the tick recomputes from memory. A database
// without the fee tables shows the page, which then says so. The manager view has a filter by
// investment type; the fee view has none, its funds being columns.
//
// Sections: creation and layout; theme; reloading; the calculator; the managers; painting.
#pragma once

#include "filter/FilterWnd2.h"
#include "pages/common/ComparePage.h"
#include "pages/fees/FeeBook.h"
#include "pages/fees/FeeCompareGrid.h"
#include "pages/fees/ManagerGrid.h"
#include "pages/growth/GrowthHistory.h"
#include "wgui/ComboBox.h"

#include <sdk/ControlTableHeader.h>

class FeesPage : public ComparePage {
public:
    static constexpr int kAmountBoxId = 105;
    static constexpr int kPeriodBoxId = 106;
    static constexpr int kTopStrip = 30;
    static constexpr int kCaptionHeight = 22;
    static constexpr double kDefaultAmount = 100000.0;
    static constexpr int kDefaultDays = 3 * 365;

    static constexpr const wchar_t* kNoFeeDataNotice = L"数据库中没有费率数据";
    static constexpr const wchar_t* kHistoryComingNotice = L"净值历史加载中，收益稍后填入";

    enum class View { kFees, kManagers };

    FeesPage();
    ~FeesPage() override;

    void ApplyTheme(Conf::ITheme* theme) override;
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    // ---- Reloading ----
    void ReloadIfVisible() override;
    void OnFundsCleared() override;
    void OnDatabaseChanged() override;
    // The histories on their way from the read-ahead, wanted while the page is the current one.
    std::optional<AheadRequest> AwaitedAhead() const override;
    void OnReadAhead(AheadResult result) override;
    // The histories the returns need are on their way.
    bool WaitingForHistories() const { return m_waiting; }
    const GrowthHistory& Histories() const { return m_history; }
    // Reads what the current view needs for the compared set and rebuilds it. A failed statement is
    // reported and leaves the page as it was.
    void Reload();
    int ReloadCount() const { return m_reloads; }

    // ---- The calculator ----
    // The amount in yuan and the holding period in days (the boxes show the nearest offered value
    // when they do not offer it).
    void SetAmount(double amount);
    void SetPeriodDays(int days);
    double Amount() const { return m_amount; }
    int PeriodDays() const { return m_days; }
    // Lets the funds' annualised returns over the last N years grow the amount (N: the period in
    // whole years, rounded up, 1 to 5), or none.
    void SetEstimateGrowth(bool estimate);
    bool EstimateGrowth() const { return m_estimateGrowth; }
    int GrowthYears() const;
    // Works the costs out again from what was read and refills the fee list.
    void Recalculate();
    // The calculator's caption: the amount, the period and every assumption.
    XStringW CostCaption() const;

    // ---- The managers ----
    void ShowView(View view);
    View CurrentView() const { return m_view; }
    // Lists a fund's managers over its life in the lower list.
    void ShowHistoryOf(const XStringW& code);
    const XStringW& HistoryFund() const { return m_historyCode; }
    // The day that stands for "now": the last day of the histories, else today.
    int AsOfDay() const;

    XStringW ExportCaption() const override;

    FeeCompareGrid& FeeGrid() { return m_feeGrid; }
    ManagerGrid& Managers() { return m_managerGrid; }
    ManagerGrid& History() { return m_historyGrid; }
    FilterWnd2& FilterPanel() { return m_filter; }
    const FeeBook& Book() const { return m_book; }
    RECT TickRect() const { return m_tickRect; }

    // The offered amounts and periods, in the boxes' order.
    static const std::vector<std::pair<double, const wchar_t*>>& Amounts();
    static const std::vector<std::pair<int, const wchar_t*>>& Periods();

protected:
    void PaintOver(HDC dc, const RECT& client) override;

private:
    // Drops everything read (fees, managers, histories) and reads again if shown.
    void Forget();
    void OnCreate();
    void OnSize(int width, int height);
    void OnBoxChange(int id);
    bool NeedsHistory() const { return m_view == View::kManagers || m_estimateGrowth; }
    enum class HistoryState { kReady, kWaiting, kFailed };
    // Brings the histories in line with the set: from the read-ahead (`arrived`, or asked for now),
    // or read here when nothing reads ahead. kWaiting while they are on their way; kFailed when
    // the reading failed (reported).
    HistoryState BringHistory(std::optional<AheadResult> arrived = std::nullopt);
    // Offers the compared funds' investment types in the manager view's filter.
    void UpdateFilterValues();
    // The fund's annualised return over the last `years` years; NaN when its history is shorter.
    double RecentGrowth(const XStringW& code, int years) const;
    void RebuildManagers();
    // A stint's figures from the histories at hand; no tenure while they are on their way.
    StintFigures FiguresOf(const ManagerStint& stint, const XStringW& code) const;
    void Layout();

    Control::XTableHeader m_viewHeader;
    FilterWnd2 m_filter;
    std::vector<XStringW> m_filterTypes;
    WGUI::ComboBox m_amountBox;
    WGUI::ComboBox m_periodBox;
    FeeCompareGrid m_feeGrid;
    ManagerGrid m_managerGrid;
    ManagerGrid m_historyGrid;
    gdiobj::GdiObject<HFONT> m_labelFont;
    COLORREF m_labelColour = RGB(200, 200, 200);
    XComPtr<Conf::ITheme> m_theme;

    FeeBook m_book;
    GrowthHistory m_history;
    View m_view = View::kFees;
    double m_amount = kDefaultAmount;
    int m_days = kDefaultDays;
    bool m_estimateGrowth = false;
    XStringW m_historyCode;
    bool m_waiting = false;
    int m_reloads = 0;
    bool m_selecting = false;
    RECT m_tickRect{0, 0, 0, 0};
    RECT m_captionRect{0, 0, 0, 0};
    RECT m_historyCaptionRect{0, 0, 0, 0};
    RECT m_labelRects[2]{};
};
