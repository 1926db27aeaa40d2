// FeeCompareGrid: the fee view's transposed table, as the general page lays out its facts. Its rows
// are the fees and the calculator's figures, fixed; its columns are the label column and one column
// per compared fund. The subscription and redemption tiers take a row each, as many as the fund
// with the most has, under one label; their one-line text is what sorts. A click on a row's label orders the
// fund columns by that row (numbers by value, texts in natural order, "--" last either way; a second click
// turns the order round), and the sort is remembered like a list's under the name "rowN". The cheapest total
// is marked. A right click on a fund's column offers to take that fund out of the comparison.
//
// The cells keep their numbers and the way each is written; the text is made when a cell is
// painted, copied or dumped, so that filling a hundred funds formats nothing. The header is parsed
// again only when the funds, their order or their titles change: working the costs out again for
// another amount leaves it as it is.
#pragma once

#include "grid/GeneralDataGrid.h"
#include "pages/fees/FeeCalculator.h"

#include <array>
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

    // How a cell's number is written.
    enum class Shown {
        kText,    // the cell's text as it stands, "--" when empty
        kRate,    // a yearly rate: "1.5%", "0", "--"
        kAmount,  // an amount as the tiers write it: "1000元", "1万", "--"
        kMoney,   // yuan, two decimals
        kPercent, // a percentage, two decimals
    };
    struct Cell {
        Shown shown = Shown::kText;
        double number = std::numeric_limits<double>::quiet_NaN(); // what sorts and exports
        XStringW text; // kText: the text; otherwise what follows the number ("（最低）")
    };
    struct Column {
        XStringW code;
        XStringW title; // name and shown code, two lines
        std::array<Cell, kRowCount> cells{};
        std::vector<FeeTier> tiers[2]; // subscription, then redemption tiers, a row each
        bool cheapest = false;
    };

    // A cell's text as shown.
    static XStringW CellText(const Cell& cell);

    FeeCompareGrid();
    ~FeeCompareGrid() override;

    // Replaces the fund columns (in the compared order) and applies the current sort to them.
    void Fill(std::vector<Column> columns);
    // Sets the header afresh (a new theme) and repaints.
    void ResetHeader() { Rebuild(true); }
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
    // Sets the header again when the columns differ from those it was made for, and repaints.
    void Rebuild(bool force = false);
    // The text a fund shows in a row, the tier rows written on one line.
    static XStringW RowText(const Column& column, int row);
    const Column* Find(const XStringW& code) const;
    void SortColumns();
    void RemoveFundColumn(const XStringW& code);

    std::vector<Column> m_columns;
    std::vector<std::pair<XStringW, XStringW>> m_headerColumns; // code and title the header shows
    bool m_headerSet = false;
    XStringW m_costCaption;
    int m_tierRows[2] = {1, 1};
    int m_sortRow = -1;
    bool m_sortAscending = true;
    FundRemover m_columnRemover;
    XStringW m_menuCode; // the fund of the column the context menu was opened on
};
