// HoldingsGrid: a list of the holdings page. The page gives it its columns (the compared funds make
// some of them, so the table is made anew when they change) and fills the table; the grid sorts,
// exports, copies and dumps it like every fund list. Its additions:
// - a heat map: cells of chosen columns filled with a colour that runs from the background at 0 to
//   the heat colour at a given scale, with text that stays readable on it; with a second colour,
//   values below 0 run towards that one (a matrix of correlations);
// - marked rows: where an integer field reaches 2, chosen cells take the mark colour;
// - a tip per cell, and one per column header, from the page;
// - removal by column: in a list whose columns are funds (the stocks held), the context menu's
//   "从当前对比中移除(&R)" and Delete take the fund of the column last clicked, since a row is a
//   stock; in the other lists the rows' code column names the fund, as everywhere.
//
// Sections: table; drawing; tip; menu and removal.
#pragma once

#include "grid/GeneralDataGrid.h"
#include "wgui/ToolTipCtrl.h"

#include <functional>
#include <optional>
#include <set>
#include <vector>

class HoldingsGrid : public GeneralDataGrid {
public:
    // One column of a header document: title and name escaped for XML (a line break kept as
    // &#10;); the colour and the number format left out when null.
    static XStringW HeaderItem(const XStringW& title, const XStringW& name, int width, const wchar_t* align,
                               const wchar_t* font, const wchar_t* colour = nullptr,
                               const wchar_t* format = nullptr);
    static constexpr UINT kRemoveCommand = 101; // "从当前对比中移除(&R)"
    static constexpr int kTipWidth = 520;

    struct ColumnSpec {
        XStringW name;
        int kind = Data::kText;
    };
    // The fund whose column a column is; empty for a column of no fund.
    using ColumnFund = std::function<XStringW(const XStringW& column)>;
    // The tip of a cell, or of a column's header when row is -1; empty for none.
    using TipSource = std::function<XStringW(int row, const XStringW& column)>;
    using Remover = std::function<void(const std::vector<XStringW>& codes)>;

    HoldingsGrid();
    ~HoldingsGrid() override;

    // ---- Table ----
    // A new table of these columns, bound in place of the old one (the sort and the filters stay).
    Data::IDataTable* Reset(const std::vector<ColumnSpec>& columns);
    Data::IDataTable* Table() const { return m_table; }
    void Clear();

    // The fund code of a display row, empty for none.
    XStringW RowCode(int row) { return GetRowCode(row); }

    // ---- Drawing ----
    void SetHeat(std::set<XStringW> columns, double scale, COLORREF colour);
    // Values below 0 take this colour by their size; without it they are not filled.
    void SetNegativeHeat(COLORREF colour);
    void SetMark(const XStringW& field, std::set<XStringW> columns, COLORREF colour);
    // Columns of weights: a cell without a number (a fund without a report) shows "--" and, with
    // blankZero, a weight of 0 (a stock the fund does not hold) shows nothing.
    void SetWeightColumns(std::set<XStringW> columns, bool blankZero);
    // Enter on a row (a double click or the Enter key).
    void SetEnterAction(std::function<void(int row)> action) { m_enter = std::move(action); }
    // The fill of a heat cell of this value: the background, or a mix towards the heat colour (or
    // the negative one).
    COLORREF HeatColour(double value) const;

    // ---- Tip ----
    void SetTipSource(TipSource source) { m_tipSource = std::move(source); }
    const XStringW& TipText() const { return m_tipText; }
    void HoverAt(int x, int y);

    // ---- Removal by column ----
    void SetColumnFunds(ColumnFund columnFund, Remover remover);
    // The column clicked last (by either button), empty before any click.
    const XStringW& ClickedColumn() const { return m_clickedColumn; }
    void ClickAt(int x, int y);

    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    void DrawItem(HDC hdc, Gdiplus::Graphics* graphics, int row, const HeaderInfo2& item,
                  const RECT& rect) override;
    void GetItemColor(int row, const HeaderInfo2& item, const XStringW& text, COLORREF& colour) override;
    void GetItemText(int row, const HeaderInfo2& item, XStringW& text) override;
    void OnContextMenu(int x, int y) override;
    void OnEnterItem(int row) override;
    UINT RemoveCommand() const override { return kRemoveCommand; }

private:
    bool IsHeated(double value) const { return value > 0 || (value < 0 && m_negativeHeat); }
    void ResetTool(int width, int height);
    void RemoveClickedFund();

    XComPtr<Data::IDataTable> m_table;
    std::set<XStringW> m_heatColumns;
    double m_heatScale = 1;
    COLORREF m_heatColour = RGB(220, 60, 60);
    std::optional<COLORREF> m_negativeHeat;
    XStringW m_markField;
    std::set<XStringW> m_markColumns;
    COLORREF m_markColour = RGB(255, 200, 0);
    std::set<XStringW> m_weightColumns;
    bool m_blankZero = false;
    std::function<void(int row)> m_enter;
    TipSource m_tipSource;
    WGUI::ToolTipCtrl m_tooltip;
    XStringW m_tipText;
    int m_tipRow = -1;
    XStringW m_tipColumn;
    ColumnFund m_columnFund;
    Remover m_columnRemover;
    XStringW m_clickedColumn;
};
