// PerformanceGrid: the list of the performance page. Rows are grouped by comparison period (the
// period cell is drawn once over its group), the growth is drawn as a red or green bar scaled to
// the largest growth in view, sorting keeps the period groups together, and a context menu removes
// funds from the comparison.
//
// Sections: binding and images; drawing; sorting; view notifications; tooltip and menu.
#pragma once

#include "grid/GeneralDataGrid.h"
#include "wgui/ToolTipCtrl.h"

#include <sdk/Data.h>

#include <memory>

namespace Gdiplus {
class Image;
}

class PerformanceGrid : public GeneralDataGrid {
public:
    // The context menu's only command.
    static constexpr UINT kRemoveCommand = 100;
    // The second line under the last row of every period group.
    static constexpr COLORREF kGroupLineColour = RGB(125, 125, 125);
    // Bars keep this distance to the cell's left and right edges.
    static constexpr int kBarMargin = 4;

    PerformanceGrid();
    ~PerformanceGrid() override;

    // ---- Binding and images ----
    // The table the page fills; it is the grid's data source from construction on.
    Data::IDataTable* Table() const { return m_table; }
    // Bars are borrowed from the page, which owns the images.
    void SetBarImages(Gdiplus::Image* gain, Gdiplus::Image* loss);
    double MaxYield() const { return m_maxYield; }
    int GroupSpan() const { return m_groupSpan; }
    const XStringW& TooltipText() const { return m_tipText; }
    HWND TooltipWindow() const { return m_tooltip.GetHandle(); }

    // Sets the tag of both rank columns; a non-zero tag makes the view order "9/120" before "10/120".
    void SetRankTags(void* tag);

    // ---- Host hooks made public for the page and its tests ----
    bool sort(const XStringW& name, bool ascending) override;
    void OnAfterChange(Data::IDataView* view) override;

    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    void GetItemText(int row, const HeaderInfo2& item, XStringW& text) override;
    void DrawItem(HDC hdc, Gdiplus::Graphics* graphics, int row, const HeaderInfo2& item,
                  const RECT& rect) override;
    void OnContextMenu(int x, int y) override;
    void OnHeaderChange() override;
    UINT RemoveCommand() const override { return kRemoveCommand; }
    XStringW GetGroupColumn() override { return XStringW(L"distance"); }

private:
    void DrawBar(Gdiplus::Graphics* graphics, int row, const RECT& rect);
    void OnMouseMove(int x, int y);
    void ResetTool(int width, int height);
    void UpdateTooltip();

    XComPtr<Data::IDataTable> m_table;
    XComPtr<Data::IMultiFieldSorter> m_multiSorter;
    Gdiplus::Image* m_gainBar = nullptr; // borrowed
    Gdiplus::Image* m_lossBar = nullptr; // borrowed
    double m_maxYield = 0;
    int m_groupSpan = 1;
    WGUI::ToolTipCtrl m_tooltip;
    XStringW m_tipText;
    int m_tipRow = -1;
};
