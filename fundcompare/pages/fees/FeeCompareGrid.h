// FeeCompareGrid: the fee view's transposed table, as the general page lays out its facts. Its rows
// are the fees and the calculator's figures, fixed; its columns are the label column and one column
// per compared fund. The subscription and redemption tiers take a row each, as many as the fund
// with the most has, under one label; their one-line text is what sorts. A click on a row's label orders the
// fund columns by that row (numbers by value, texts in natural order, "--" last either way; a second click
// turns the order round), and the sort is remembered like a list's under the name "rowN". The cheapest total
// is marked. A right click on a fund's column offers to take that fund out of the comparison.
#pragma once

#include "grid/GeneralDataGrid.h"

#include <limits>
#include <vector>

class FeeCompareGrid : public GeneralDataGrid {
public:
    static constexpr UINT kRemoveCommand = 102;
    static constexpr const wchar_t* kCheapestMark = L"（最低）";

    enum Row {
        kFeesGroup,
        kShareClass,
        kManagementFee,
        kCustodyFee,
        kSalesFee,
        kYearlyFees,
        kMinPurchase,
        kPurchaseTiers,
        kRedemptionTiers,
        kCostGroup,
        kGrowth,
        kSubscription,
        kHoldingFees,
        kRedemption,
        kTotal,
        kPerYear,
        kRowCount
    };

    struct Cell {
        XStringW text = L"--";
        double number = std::numeric_limits<double>::quiet_NaN(); // what sorts and exports
    };
    struct Column {
        XStringW code;
        XStringW title; // name and shown code, two lines
        std::vector<Cell> cells = std::vector<Cell>(kRowCount);
        std::vector<XStringW> tiers[2]; // a line per subscription, then redemption tier
        bool cheapest = false;
    };

    FeeCompareGrid();
    ~FeeCompareGrid() override;

    // Replaces the fund columns (in the compared order) and applies the current sort to them.
    void Fill(std::vector<Column> columns);
    // The caption of the calculator's group row (the amount and the period).
    void SetCostCaption(const XStringW& caption) { m_costCaption = caption; }
    // The fund columns in the order shown.
    const std::vector<Column>& Columns() const { return m_columns; }
    // The text of a fund's cell, "" when the fund is not shown.
    XStringW Text(const XStringW& code, int row) const;

    // Where a row of the table shows: its fact (a Row) and, in the tier rows, which tier.
    struct Place {
        int row = -1;
        int tier = 0;
    };
    Place PlaceOf(int displayRow) const;
    // The first row of the table that shows a fact.
    int DisplayRowOf(int row) const;
    int DisplayRowCount() const { return kRowCount - 2 + m_tierRows[0] + m_tierRows[1]; }

    static const wchar_t* RowLabel(int row);
    static bool IsGroupRow(int row) { return row == kFeesGroup || row == kCostGroup; }
    // "row" and the row's number: the sort's name for a row.
    static XStringW SortName(int row);
    // Where a removal from a column's menu sends the fund's code.
    void SetColumnRemover(FundRemover remover) { m_columnRemover = std::move(remover); }

    // Orders the columns by a row; false for a group row or a name that is no row.
    bool sort(const XStringW& name, bool ascending) override;

    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    int GetRowsCount() override { return DisplayRowCount(); }
    void GetItemText(int row, const HeaderInfo2& item, XStringW& text) override;
    void GetItemColor(int row, const HeaderInfo2& item, const XStringW& text, COLORREF& colour) override;
    void DrawItem(HDC hdc, Gdiplus::Graphics* graphics, int row, const HeaderInfo2& item,
                  const RECT& rect) override;
    bool GetItemNumber(int row, const HeaderInfo2& item, double& value) override;
    void OnContextMenu(int x, int y) override;
    void OnHeaderChange() override {}
    void OnResetHeader() override {}
    void OnEnterItem(int) override {}
    bool IsNumericColumn(int column) override { return column > 0; }
    bool IsCaptionRow(int row) override { return IsGroupRow(PlaceOf(row).row); }

private:
    void Rebuild();
    const Column* Find(const XStringW& code) const;
    void SortColumns();
    void RemoveFundColumn(const XStringW& code);

    std::vector<Column> m_columns;
    XStringW m_costCaption;
    int m_tierRows[2] = {1, 1};
    int m_sortRow = -1;
    bool m_sortAscending = true;
    FundRemover m_columnRemover;
    XStringW m_menuCode; // the fund of the column the context menu was opened on
};
