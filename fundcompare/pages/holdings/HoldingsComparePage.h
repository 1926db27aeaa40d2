// HoldingsComparePage: the tab 持仓对比: the stocks the compared funds hold at a report date, and
// how much their portfolios are the same. A date box at the top right (the quarter ends, as on the
// allocation pages) and three views:
// - 重仓股: a row per stock held by any compared fund, its weight in each fund, how many funds hold
//   it and the summed weight; the stocks held by two or more marked; a filter by industry;
// - 重合度矩阵: fund by fund, the overlap Σ min(weight_i, weight_j) over the stocks both hold, as a
//   heat map with the common stocks in the tip; or, at a toggle, the same over industry weights;
// - 单只基金: one fund's lines at every report date with the change of each weight since the report
//   before (Enter on a fund of the matrix opens it).
//
// The page reloads like the others: when shown, when the date changes, and when the compared set
// changes while it is visible. A database without the holdings table shows the page, which says so.
//
// Sections: creation and layout; theme; reloading; views; painting.
#pragma once

#include "filter/FilterWnd2.h"
#include "pages/common/ComparePage.h"
#include "pages/holdings/HoldingsGrid.h"
#include "pages/holdings/HoldingsReport.h"
#include "wgui/ComboBox.h"

#include <sdk/CompareWorkspace.h>
#include <sdk/ControlTableHeader.h>

class HoldingsComparePage : public ComparePage {
public:
    static constexpr UINT kDateBoxId = CompareWorkspace::kChoiceBoxId;
    static constexpr UINT kFundBoxId = 105;
    static constexpr int kMaxTextLength = 260;
    static constexpr int kTopStrip = 30;
    static constexpr int kCaptionHeight = 22;

    enum View { kStocksView, kMatrixView, kFundView, kViewCount };

    static constexpr const wchar_t* kNoHoldingsNotice = L"数据库中没有股票持仓数据";
    static constexpr const wchar_t* kNoFundsNotice = L"请先添加对比基金";
    static constexpr const wchar_t* kMarkText = L"★";

    HoldingsComparePage();
    ~HoldingsComparePage() override;

    void ApplyTheme(Conf::ITheme* theme) override;
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    // ---- Reloading ----
    void ReloadIfVisible() override;
    void OnFundsCleared() override;
    // Reads the report of the chosen date for the compared funds and rebuilds the views; without
    // force only when the date or the funds changed. A failed statement is reported and the page
    // keeps what it showed.
    void Reload(bool force);
    int ReloadCount() const { return m_reloads; }

    // ---- Views ----
    void ShowView(int view);
    int CurrentView() const { return m_view; }
    // The matrix over industry weights instead of stocks.
    void ShowIndustryMatrix(bool industries);
    bool IndustryMatrix() const { return m_industryMatrix; }
    // The fund of the single-fund view; a code not compared is refused (false).
    bool ShowFund(const XStringW& code);
    const XStringW& ChosenFund() const { return m_chosenFund; }
    // What the caption line says for the view shown.
    XStringW Caption() const;
    XStringW CaptionOf(int view) const;
    XStringW ExportCaption() const override { return Caption(); }
    const XStringW& Notice() const { return m_notice; }
    // The overlap matrix and the stock list whatever the view; the single fund when it is shown.
    void WriteReport(ReportSink& sink) override;
    // How many stocks the report lists: the whole list of a usual comparison (up to this many
    // fund cells), the top of a very wide one. Tests set a number of rows (0: the rule).
    static constexpr int kReportStockCells = 10000;
    static constexpr int kReportStockRowsAtLeast = 50;
    int ReportStockRows() const;
    void SetReportStockRows(int rows) { m_reportStockRows = rows; }

    // ---- Inspection ----
    HoldingsGrid& StockGrid() { return m_stockGrid; }
    HoldingsGrid& MatrixGrid() {
        FillIfStale(kMatrixView);
        return m_matrixGrid;
    }
    HoldingsGrid& FundGrid() {
        FillIfStale(kFundView);
        return m_fundGrid;
    }
    FilterWnd2& FilterPanel() { return m_filter; }
    HWND DateBox() const { return m_dateBox.GetHandle(); }
    HWND FundBox() const { return m_fundBox.GetHandle(); }
    Control::XTableHeader& ViewHeader() { return m_viewHeader; }
    Control::XTableHeader& BasisHeader() { return m_basisHeader; }
    const HoldingsReport& Report() const { return m_report; }
    const std::vector<double>& Matrix() {
        FillIfStale(kMatrixView);
        return m_matrix;
    }

protected:
    void PaintOver(HDC dc, const RECT& client) override;

private:
    void OnCreate();
    void OnSize(int width, int height);
    void OnHeaderSelection(HWND header, int index);
    bool BuildDateList(Data::IDatabase* database);
    XStringW SelectedDate() const;
    void SetNotice(const XStringW& notice);
    void FillFundBox();
    // The three lists from the report.
    void FillStocks();
    void FillMatrix();
    void FillFund();
    // The stock list is made at once; the matrix and the one-fund list when first needed (shown,
    // printed, inspected), so that showing the page pays only for the list on screen.
    void FillViews();
    void FillIfStale(int view);
    XStringW MatrixTip(int row, const XStringW& column);
    XStringW FundOfColumn(const XStringW& column) const;
    void LayoutViews();
    void RemoveFunds(const std::vector<XStringW>& codes);

    Control::XTableHeader m_viewHeader;
    Control::XTableHeader m_basisHeader;
    WGUI::ComboBox m_dateBox;
    WGUI::ComboBox m_fundBox;
    gdiobj::GdiObject<HFONT> m_labelFont;
    COLORREF m_labelColour = RGB(192, 192, 192);
    XComPtr<Conf::ITheme> m_theme;

    HoldingsGrid m_stockGrid;
    HoldingsGrid m_matrixGrid;
    HoldingsGrid m_fundGrid;

    HoldingsReport m_report;
    std::vector<double> m_matrix; // of the basis shown, row-major, Funds() order
    std::vector<XStringW> m_loadedCodes;
    XStringW m_lastDate;
    XStringW m_chosenFund;
    XStringW m_notice;
    bool m_probed = false;
    bool m_hasHoldings = false;
    bool m_hasStocks = false;
    int m_view = kStocksView;
    bool m_industryMatrix = false;
    bool m_selecting = false;
    bool m_matrixStale = true;
    bool m_fundStale = true;
    int m_reloads = 0;
    int m_reportStockRows = 0;
    std::vector<XStringW> m_fundColumns; // the stock list's fund columns, in Funds() order
    // Last, so that it goes first: its filters live on the stock list's view.
    FilterWnd2 m_filter;
};
