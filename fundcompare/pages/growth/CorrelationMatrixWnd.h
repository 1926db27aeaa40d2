// CorrelationMatrixWnd: the correlation matrix of the compared funds' daily returns as a grid of
// coloured cells, red for +1 through the neutral colour at 0 to blue for -1, with the fund names
// down the left and, written top to bottom, along the top. Pointing at a cell shows the pair and
// the value; large cells also carry the value. When the cells would be smaller than a readable
// minimum the grid scrolls: the wheel moves the rows, the wheel with Shift the columns.
#pragma once

#include "pages/growth/ChartCanvas.h"
#include "wgui/DibBuffer.h"
#include "wgui/GdiObject.h"
#include "wgui/WindowBase.h"
#include "wgui/WindowProc.h"

#include <sdk/XStringW.h>

#include <vector>

class CorrelationMatrixWnd : public WGUI::WindowBase {
public:
    struct Colours {
        COLORREF background = RGB(0, 0, 0);
        COLORREF text = RGB(200, 200, 200);
        COLORREF grid = RGB(40, 40, 40);
        COLORREF negative = RGB(40, 90, 200);
        COLORREF neutral = RGB(60, 60, 60);
        COLORREF positive = RGB(210, 50, 50);
        COLORREF tipBackground = RGB(30, 30, 30);
        COLORREF tipText = RGB(230, 230, 230);
        COLORREF tipBorder = RGB(90, 90, 90);
    };

    static constexpr int kRowLabelWidth = 160;
    static constexpr int kColumnLabelHeight = 112;
    static constexpr int kMinCell = 16;
    static constexpr int kMaxCell = 64;
    // Cells at least this large show their value.
    static constexpr int kValueCell = 40;

    CorrelationMatrixWnd();
    ~CorrelationMatrixWnd() override;

    // A child of the parent, hidden, class "Quenda2_GrowthCorrelation".
    HWND Create(HWND parent);
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    void SetColours(const Colours& colours);
    void SetFontFace(const XStringW& face);
    // Names in order and the row-major n x n matrix (NaN where a pair has no value).
    void SetData(std::vector<XStringW> names, std::vector<double> matrix);
    // A text shown instead of the matrix; empty shows the matrix.
    void SetNotice(const XStringW& notice);

    size_t Size() const { return m_names.size(); }
    double Value(size_t row, size_t column) const;
    const XStringW& Notice() const { return m_notice; }
    // The cell under a client point: false outside the cells.
    bool CellAt(int x, int y, size_t& row, size_t& column) const;
    RECT CellRect(size_t row, size_t column) const;
    int CellSize() const { return m_cell; }
    // The text of the tip now shown, empty when there is none.
    const XStringW& TipText() const { return m_tipText; }
    void HoverAt(int x, int y);
    // A whole frame into the off-screen buffer.
    void RenderFrame();

    // For a picture in parts: the rows and the columns that show whole at the present size, and
    // the cell shown first at the top left (the others scroll), kept within the matrix.
    int RowsInView() const;
    int ColumnsInView() const;
    int FirstRow() const { return m_firstRow; }
    int FirstColumn() const { return m_firstColumn; }
    void ScrollToCell(int row, int column);

private:
    void Layout();
    void Draw();
    void DrawPicture(HDC dc, ChartCanvas& canvas);
    void OnPaint();
    void OnMouseWheel(WPARAM wParam);
    void Changed();

    WGUI::WindowProc m_binder;
    Colours m_colours;
    gdiobj::GdiObject<HFONT> m_font;
    XStringW m_fontFace = L"WenQuanYi Micro Hei";
    std::vector<XStringW> m_names;
    std::vector<double> m_matrix;
    XStringW m_notice;
    RECT m_client{0, 0, 0, 0};
    RECT m_cells{0, 0, 0, 0}; // the area of the cells in view
    int m_cell = kMinCell;
    int m_firstRow = 0;
    int m_firstColumn = 0;
    int m_hoverRow = -1;
    int m_hoverColumn = -1;
    POINT m_pointer{0, 0};
    XStringW m_tipText;
    bool m_tracking = false;
    DibBuffer m_buffer;
    bool m_dirty = true;
};
