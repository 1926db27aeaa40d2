// AllocationGrid: the list of the two allocation pages. Rows come grouped (one group per asset type
// or industry, one row per fund inside it); the group's caption is drawn once over the whole
// group, the share gets a bar scaled to the largest share in view, sorting a fund column keeps
// the groups together, and a context menu removes funds from the comparison.
//
// Sections: construction and binding; drawing; sorting; tooltip, menu and entering a row.
#pragma once

#include "grid/GeneralDataGrid.h"
#include "wgui/ToolTipCtrl.h"

#include <sdk/Data.h>

namespace Gdiplus {
class Image;
}
class AllocationGrid : public GeneralDataGrid {
public:
    static constexpr UINT kRemoveCommand = 101; // "从当前对比中移除(&R)"
    static constexpr int kBarMargin = 4;        // on each side of a bar
    static constexpr int kTipWidth = 500;       //
    static constexpr double kNoShare = 0.00001; // shares and values below this count as none
    static constexpr COLORREF kGroupLineColour = RGB(125, 125, 125);

    // groupField names the column that holds the group caption ("assettype" or "industrytype").
    explicit AllocationGrid(const wchar_t* groupField);
    ~AllocationGrid() override;

    // ---- Construction and binding ----
    // The table the page fills: index (integer), the group caption, code, aliascode, name,
    // investtype, buystate (text), marketvalue, percent and image (real).
    Data::IDataTable* Table() const { return m_table; }
    // Binds the table and puts the group-keeping sorter on the sorted view.
    void Bind();
    // Borrowed; null leaves the bar column empty.
    void SetBarImage(Gdiplus::Image* image) { m_barImage = image; }
    // Looks up the sibling module that opens an entered fund.
    virtual void SetFundModule(IApp* app) = 0;
    const XStringW& GroupField() const { return m_groupField; }

    // ---- Inspection ----
    double MaxShare() const { return m_maxShare; }
    int GroupSpan() const { return m_groupSpan; }
    const XStringW& TooltipText() const { return m_tipText; }
    HWND TooltipWindow() const { return m_tooltip.GetHandle(); }

    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnAfterChange(Data::IDataView* view) override;

protected:
    // Amounts a fund does not hold show as empty cells rather than as a missing value.
    void GetItemText(int row, const HeaderInfo2& item, XStringW& text) override;
    void DrawItem(HDC hdc, Gdiplus::Graphics* graphics, int row, const HeaderInfo2& item,
                  const RECT& rect) override;
    bool sort(const XStringW& name, bool ascending) override;
    void OnContextMenu(int x, int y) override;
    void OnEnterItem(int row) override;
    UINT RemoveCommand() const override { return kRemoveCommand; }
    XStringW GetGroupColumn() override { return m_groupField; }
    // Hands an entered fund to the sibling module; nothing when there is none.
    virtual void OpenFund(const XStringW& code) = 0;

private:
    void DrawBar(Gdiplus::Graphics* graphics, int row, const RECT& rect);
    void ResetTool(int width, int height);
    void OnMouseMove(int x, int y);

    XStringW m_groupField;
    XComPtr<Data::IDataTable> m_table;
    XComPtr<Data::IMultiFieldSorter> m_multiSorter;
    Gdiplus::Image* m_barImage = nullptr; // borrowed
    double m_maxShare = 0;
    int m_groupSpan = 1;
    bool m_sorting = false;
    WGUI::ToolTipCtrl m_tooltip;
    XStringW m_tipText;
    int m_tipRow = -1;
};
