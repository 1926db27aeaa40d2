// GeneralDataGrid: the grid of funds that every page grid is built on. It binds a host table
// through two chained views (a sorted one and the displayed one, where the filter panel attaches
// its filters), shows cells through the column formats of the header document, colours values by
// their sign or by the followed-funds highlight, sorts by a clicked column and keeps the current
// fund selected across data changes and sorts. Page grids whose rows come in groups draw each
// group's caption once over the group.
//
// Sections: construction and binding; theme and header; view notifications; the host hooks;
// grouped rows.
#pragma once

#include <vector>

#include "grid/ColumnFormat.h"
#include "grid/ThemeDataGrid.h"

#include <sdk/App.h>
#include <sdk/Modules.h>

#include <map>
#include <memory>

class GeneralDataGrid : public ThemeDataGrid, public Data::IDataViewEvent {
public:
    // The colours of values by sign, shared by every fund grid of the process: the last theme
    // applied to any of them sets them for all.
    struct ValueColours {
        COLORREF zero = RGB(192, 192, 192);
        COLORREF negative = RGB(0, 200, 0);
        COLORREF positive = RGB(255, 64, 64);
    };
    static const ValueColours& GetValueColours();

    GeneralDataGrid();
    ~GeneralDataGrid() override;

    // The grid belongs to its page: the views' references to it count for nothing.
    unsigned long AddRef() override { return 1; }
    unsigned long Release() override { return 1; }

    // ---- Construction and binding ----
    void SetApp(IApp* app);
    IApp* GetApp() const { return m_app; }
    // Binds the grid to a table. The views and the sorter are made on the first call and kept by
    // every later one, so that a rebinding keeps the user's sort and the panel's filters.
    void SetDataSource(Data::IDataTable* table);
    // A new reference to the view the grid shows (null before the first SetDataSource).
    XComPtr<Data::IDataView> GetDisplayView() const { return m_displayView; }
    // The zoom of the user's font-size setting, 1.0 when it is not set.
    void ApplyUserZoom();

    // ---- Theme and header ----
    void SetTheme(Conf::ITheme* theme) override;
    int SetHeader(const wchar_t* xml) override;
    COLORREF GetHighlightColour() const { return m_highlightColour; }
    // The formatting record of a column, made from its header item on first use; null when the
    // header has no item of that name.
    ColumnFormat* FindOrCreateFormat(const XStringW& name, const pugi::xml_node& item);
    ColumnFormat* FindOrCreateFormat(const XStringW& name);

    // ---- View notifications ----
    void OnBeforeChange(Data::IDataView* view) override;
    void OnAfterChange(Data::IDataView* view) override;

    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    // ---- Host hooks ----
    int GetRowsCount() override;
    void GetItemColor(int row, const HeaderInfo2& item, const XStringW& text, COLORREF& colour) override;
    void GetItemText(int row, const HeaderInfo2& item, XStringW& text) override;
    bool sort(const XStringW& name, bool ascending) override;
    // The value of a real or integer column's cell, unrounded, for exports.
    bool GetItemNumber(int row, const HeaderInfo2& item, double& value) override;

    // The fund code of a display row; empty when the row has none ("--" counts as none).
    XStringW GetRowCode(int row);
    // A field of a display row as text, and as a finite number (null, missing and not-a-number
    // read as 0).
    XStringW CellText(int row, const wchar_t* field);
    // The distinct fund codes of the selected rows, read before anything changes the rows.
    std::vector<XStringW> SelectedCodes();
    // The context menu of a fund list: "从当前对比中移除(&R)" with the command id, greyed when no row
    // is selected, then "导出..." behind a separator, at a point in grid coordinates; the pick
    // arrives as WM_COMMAND.
    void ShowRemoveMenu(int x, int y, UINT command);
    // The command of the removal item of the grid's context menu, 0 for a grid without one; the
    // Delete key sends it as the menu does.
    virtual UINT RemoveCommand() const { return 0; }
    double CellNumber(int row, const wchar_t* field);
    // Notes the code of the current row before the rows change under it.
    void RememberCurrentFund();
    // Makes the row of the remembered fund current again; false when it is gone or nothing
    // was remembered.
    bool RestoreCurrentFund();

    // ---- Grouped rows ----
    // Where a row stands in its group: the run of adjacent display rows whose field text equals
    // the row's. (0, 1) for a row outside the view.
    struct GroupPlace {
        int position = 0; // of the row in the group, 0 for the first
        int span = 1;     // rows in the group
    };
    GroupPlace FindGroup(int row, const wchar_t* field);
    // Draws the part of a group's caption cell that falls in one row. The group reads as one cell
    // spanning its rows: its background is the grid's own, whatever the stripes and the selection
    // of the rows, and its caption is centred on the part of the group that is in view, so that
    // it stays visible while any row of the group is. Every row draws its slice of the same
    // picture, which keeps a row redrawn on its own (a moving selection) in step with the frame.
    void DrawGroupCell(HDC hdc, Gdiplus::Graphics* graphics, int row, const HeaderInfo2& item,
                       const RECT& rect, const GroupPlace& group);

    XComPtr<Data::IDataView> m_sortedView;
    XComPtr<Data::IDataView> m_displayView;
    XComPtr<Data::IFieldSorter> m_sorter;

private:
    // Lets go of the views, the sorter and the application, leaving no view able to call back.
    void ReleaseData();
    IConcernFundModule* ConcernFundModule();

    XComPtr<IApp> m_app;
    XComPtr<IConcernFundModule> m_concernFunds;
    std::map<XStringW, std::unique_ptr<ColumnFormat>> m_formats;
    COLORREF m_highlightColour = RGB(255, 255, 0);
    XStringW m_rememberedCode;
    bool m_sorting = false;
};
