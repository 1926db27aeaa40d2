// CorrelationMatrixGrid: the correlation matrix of the compared funds' daily returns as a fund list,
// so that it sorts, scrolls, exports, copies and dumps like every other list. One row per fund
// (名称 and 代码 first), then one column per fund titled with its code; the full name of a column's
// fund is in the tip of its title, and the tip of a cell names the pair. A cell shows the
// coefficient with two decimals on a heat colour: towards the positive colour for +1, the negative
// one for -1, the list's own background at 0. A pair with fewer than two common returns has no
// coefficient and shows "--".
#pragma once

#include "pages/holdings/HoldingsGrid.h"

#include <vector>

class CorrelationMatrixGrid : public HoldingsGrid {
public:
    struct Fund {
        XStringW code;
        XStringW aliascode;
        XStringW name;
    };

    CorrelationMatrixGrid();
    ~CorrelationMatrixGrid() override;

    // The colours of +1 and -1.
    void SetHeatColours(COLORREF positive, COLORREF negative);
    // A new table for these funds and their row-major n x n matrix (NaN where a pair has no value).
    void Fill(std::vector<Fund> funds, std::vector<double> matrix);
    // No funds and no columns but the names.
    void Empty() { Fill({}, {}); }

    size_t Size() const { return m_funds.size(); }
    // The coefficient of two funds in the order given to Fill (not the order shown), NaN for none.
    double Value(size_t row, size_t column) const;
    // The field name of the column of the fund at `index` in the order given to Fill.
    static XStringW ColumnName(size_t index);
    // The tip of a cell of a shown row, or of a column's title when row is -1.
    XStringW Tip(int row, const XStringW& column);

private:
    // The place of a fund in the order given to Fill, Size() for none.
    size_t IndexOfCode(const XStringW& code) const;
    size_t IndexOfColumn(const XStringW& column) const;

    std::vector<Fund> m_funds;
    std::vector<double> m_matrix;
    COLORREF m_positive = RGB(220, 50, 50);
    COLORREF m_negative = RGB(40, 100, 220);
};
