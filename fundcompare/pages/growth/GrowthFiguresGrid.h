// GrowthFiguresGrid: the figures of the growth page's range, one row per compared fund and one for
// the index, with the columns of GROWTH_GRIDHEADER. Figures that cannot be computed are null cells
// and show "--"; every column sorts by value, nulls last. The context menu removes the selected
// funds from the comparison (the index row is no compared fund: it stays).
#pragma once

#include "grid/GeneralDataGrid.h"
#include "pages/growth/GrowthFigures.h"

class GrowthFiguresGrid : public GeneralDataGrid {
public:
    static constexpr UINT kRemoveCommand = 101; // "从当前对比中移除(&R)"

    struct Row {
        XStringW code;
        XStringW aliascode;
        XStringW name;
        GrowthFigures::Figures figures;
    };

    GrowthFiguresGrid();
    ~GrowthFiguresGrid() override;

    // The table the grid shows: code, aliascode, name, firstdate and lastdate (the days the figures
    // run over), peakdate, troughdate (text) and the
    // figures (real): totalreturn, annualreturn, volatility, maxdrawdown, sharpe, sortino, calmar,
    // beta, alpha, correlation.
    Data::IDataTable* Table() const { return m_table; }
    void Bind();
    // Replaces the rows in one update.
    void Fill(const std::vector<Row>& rows);
    void Clear();

protected:
    void OnContextMenu(int x, int y) override;
    UINT RemoveCommand() const override { return kRemoveCommand; }

private:
    XComPtr<Data::IDataTable> m_table;
};
