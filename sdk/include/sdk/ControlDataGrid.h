// Control::XDataGrid and Control::DataGridEx: the host's data grid.
//
// Sections: the column descriptor; the public operations (header, layout, colours, selection,
// hit testing); the protected hooks that derived grids override, in the order that derived
// grids in other libraries rely on; the private state.
//
// The grid owns no data: it asks GetRowsCount, GetItemText, GetItemColor and GetRowBackColor for
// what it shows, so a derived grid binds it to whatever source it likes. Columns come from a
// header document (an XML root whose element children are the columns, with the attributes
// title, name, width, align, font-family, font-size and font-style); the document stays
// available through GetHeader so that derived grids can read their own attributes from it.
//
// Sizes: widths, row heights and font sizes are given in pixels at zoom 1 and scaled by SetZoom.
#pragma once

#include <sdk/ControlWin.h>
#include <sdk/Data.h>
#include <sdk/XStringW.h>

#include <platform/gdiplus.h>

#include <pugixml.hpp>

#include <limits>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace Control {

class XDataGrid : public XWin {
public:
    // A column: its field name, caption and the item node of the header document it came from.
    // Copies stay valid until the next SetHeader.
    struct HeaderInfo2 {
        XStringW name;
        XStringW title;
        pugi::xml_node item;
        int index = -1;       // position among the columns
        int width = 0;        // pixels at zoom 1
        UINT align = DT_LEFT; // DT_LEFT, DT_CENTER or DT_RIGHT
    };

    // What a point of the grid falls on (HitTest).
    enum HitArea {
        HitNone = 0,
        HitHeader = 1,       // a header item; the item is filled in
        HitHeaderBorder = 2, // the right border of a header item, where dragging resizes it
        HitCell = 3,         // a cell of a row; row and item are filled in
        HitCheckBox = 4,     // the check box of a row
        HitVScroll = 5,
        HitHScroll = 6,
    };

    XDataGrid();
    ~XDataGrid() override;

    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // ---- Header ----
    // Parses a header document and makes its items the columns. Returns 1 on success; a malformed
    // document (or null) returns 0 and leaves the grid with no columns. OnResetHeader follows in
    // both cases.
    int SetHeader(const wchar_t* xml);
    // The parsed document, empty after a failed SetHeader.
    pugi::xml_document& GetHeader() { return *m_header; }
    // The header item of a column name; an empty node when there is no such column.
    pugi::xml_node GetHeaderItem(const wchar_t* name) const;
    bool GetHeaderInfo(const wchar_t* name, HeaderInfo2& info) const;
    int GetColumnCount() const { return static_cast<int>(m_columns.size()); }
    const HeaderInfo2* GetColumn(int index) const;

    // ---- Refreshing and layout ----
    // Re-reads the row count and repaints. scrollToTop moves the view back to the first row and
    // column; clearSelection drops the current row and the selection, for when the rows changed
    // under them and their indexes no longer name the same rows.
    void Refresh(bool scrollToTop, bool clearSelection);
    void SetZoom(double zoom);
    double GetZoom() const { return m_zoom; }
    void SetRowHight(int height);
    void SetHeaderRowHight(int height);
    int GetRowHight() const { return m_rowHeight; }
    int GetHeaderRowHight() const { return m_headerRowHeight; }
    void SetHeaderFont(const wchar_t* face, int size);
    void SetDrawGridLine(bool horizontal, bool vertical);
    // With the lock on, the first column stays in place when the grid scrolls sideways.
    void SetScrollLock(bool lock);
    bool GetScrollLock() const { return m_scrollLock; }
    // Frees the back buffer, fonts and brushes; they are made again on the next paint.
    void ReleaseDrawingResource();
    // Rows shown: the first row in view and the horizontal scroll offset in pixels.
    int GetTopRow() const { return m_topRow; }
    void SetTopRow(int row);
    int GetScrollX() const { return m_scrollX; }
    // Scrolls so that the row is fully in view.
    void EnsureVisible(int row);
    // Layout in grid coordinates, valid after the last size change or refresh.
    RECT GetHeaderRect() const;
    RECT GetDataRect() const;
    // The rectangle of a cell (clipped by nothing); empty when the row is not in view.
    RECT GetCellRect(int row, int column) const;
    // Draws a check box in front of the first column and lets clicks toggle it.
    void SetShowCheckBox(bool show);

    // ---- Colours ----
    void SetBkColor(COLORREF colour);
    void SetBdColor(COLORREF colour);
    void SetGridColor(COLORREF colour);
    void SetHeaderBkColor(COLORREF colour);
    void SetHeaderColor(COLORREF colour);
    // The colour of cell text. Until it is set, cells are written in a dark or a light ink,
    // whichever reads on the row's own background.
    void SetTextColor(COLORREF colour);
    void SetSelColor(COLORREF colour);
    void SetScrollArrowColor(COLORREF colour);
    void SetScrollButtonColor(COLORREF colour);
    void SetScrollFaceColor(COLORREF colour);
    void SetScrollDarkColor(COLORREF colour);
    void SetScrollLightColor(COLORREF colour);

    // ---- Selection ----
    void SetMultiSel(bool multi);
    bool GetMultiSel() const { return m_multiSel; }
    // The current row, -1 when there is none.
    int GetCurrSel() const { return m_currSel; }
    // Makes a row current and the only selected row, and scrolls it into view; -1 clears both.
    // Rows out of range are refused (false).
    bool SetCurrSel(int row);
    const std::set<int>& GetCurrSels() const { return m_sels; }
    bool IsSelected(int row) const { return m_sels.count(row) != 0; }
    // Clears the selection and the current row.
    void ClearMultiSel();

    // ---- Hit testing ----
    // Grid (client) coordinates. Returns a HitArea; row is -1 outside the rows, and item is the
    // column under the point (index -1 when none).
    int HitTest(int x, int y, int& row, HeaderInfo2& item) const;
    // Sorts by a column as a click on its header does, and puts the sort mark there when the grid
    // sorted; for restoring a sort the user chose earlier. False when the grid did not sort.
    bool SortBy(const XStringW& name, bool ascending);
    // The name and direction of the column the sort mark is on; empty when there is none.
    const XStringW& GetSortColumn() const { return m_sortName; }
    bool GetSortAscending() const { return m_sortAscending; }

    // ---- Printing ----
    // A part of the list that fits a printed page: rows [firstRow, firstRow + rowCount) under the
    // header, and the columns [firstColumn, lastColumn), after the first column when it is repeated
    // on every part (a list too wide for a page repeats its first column, which names the rows).
    struct PrintPart {
        int firstRow = 0;
        int rowCount = 0;
        int firstColumn = 0;
        int lastColumn = 0;
        bool repeatFirst = false;
        SIZE size{0, 0}; // pixels, header included
    };
    // Cuts the whole list, in its current order and filter, into parts of at most `area` pixels:
    // rows down the pages, and within each band of rows the columns across. A list without columns
    // gives no parts; one without rows gives its header alone. The first band of rows may be given
    // less height (`firstHeight`, what is left on a page under a heading); it is used when it holds
    // the header and at least one row, and otherwise ignored.
    std::vector<PrintPart> PlanPrint(SIZE area, int firstHeight = 0);
    // Draws a part at `origin` of the DC through the same drawing hooks as the screen (so a derived
    // grid's colours, bars and merged cells come out alike), without selection, focus or scroll
    // bars, and leaves the grid as it was on the screen.
    void DrawPrintPart(HDC hdc, POINT origin, const PrintPart& part);

protected:
    // ---- Drawing hooks ----
    // The whole frame into the back buffer: background, rows, header, scroll bars and border.
    virtual void Render(HDC hdc, Gdiplus::Graphics* graphics, const RECT& client);
    virtual void DrawHeader(HDC hdc, Gdiplus::Graphics* graphics, const RECT& rect);
    virtual void DrawHeaderItem(HDC hdc, Gdiplus::Graphics* graphics, const HeaderInfo2& item,
                                const RECT& rect);
    virtual void DrawHeaderBorder(HDC hdc, Gdiplus::Graphics* graphics, const HeaderInfo2* item,
                                  const RECT& rect);
    // item is null when the background is wanted outside any header item (the empty header
    // beyond the last column, or a derived grid painting a cell in the header's colour).
    virtual void DrawHeaderBackgound(HDC hdc, Gdiplus::Graphics* graphics, const HeaderInfo2* item,
                                     const RECT& rect);
    virtual void DrawHeaderText(HDC hdc, Gdiplus::Graphics* graphics, const HeaderInfo2& item,
                                const RECT& rect);
    virtual void DrawHeaderSort(HDC hdc, Gdiplus::Graphics* graphics, const HeaderInfo2& item,
                                const RECT& rect, bool ascending);
    virtual void DrawBackground(HDC hdc, Gdiplus::Graphics* graphics, const RECT& rect);
    virtual void DrawBorder(HDC hdc, Gdiplus::Graphics* graphics, const RECT& rect);
    virtual void DrawCheckBox(HDC hdc, Gdiplus::Graphics* graphics, int row, const RECT& rect, bool checked);
    // The visible rows inside the data area.
    virtual void DrawContent(HDC hdc, Gdiplus::Graphics* graphics, const RECT& rect);
    // One row drawn on its own into the back buffer and copied to the window, for changes that
    // touch a row or two (a moving selection) and need no full frame.
    virtual void DrawRowQuick(HDC hdc, Gdiplus::Graphics* graphics, int row, const RECT& rect);
    // One row of a frame: background, check box, every visible cell and the grid lines.
    virtual void DrawRow(HDC hdc, Gdiplus::Graphics* graphics, int row, const RECT& rect);
    // One cell. The default draws GetItemText in the colour from GetItemColor with the column's
    // font and alignment, padded and ellipsised.
    virtual void DrawItem(HDC hdc, Gdiplus::Graphics* graphics, int row, const HeaderInfo2& item,
                          const RECT& rect);
    // Both scroll bars, where shown.
    virtual void DrawScrollBar(HDC hdc, Gdiplus::Graphics* graphics);
    // One scroll bar: its whole rectangle and the thumb inside it.
    virtual void DrawScrollBar(HDC hdc, Gdiplus::Graphics* graphics, bool vertical, const RECT& bar,
                               const RECT& thumb);
    // An arrow button; direction is VK_UP, VK_DOWN, VK_LEFT or VK_RIGHT.
    virtual void DrawScrollBarButton(HDC hdc, Gdiplus::Graphics* graphics, const RECT& rect, UINT direction);

    // ---- Data hooks ----
    virtual int GetRowsCount();
    virtual bool GetCheckStatus(int row);
    // Called when the user toggles a row's check box.
    virtual void SetCheckStatus(int row);
    virtual void GetRowBackColor(int row, bool selected, COLORREF& colour);
    // colour arrives holding the grid's text colour.
    virtual void GetItemColor(int row, const HeaderInfo2& item, const XStringW& text, COLORREF& colour);
    virtual void GetItemText(int row, const HeaderInfo2& item, XStringW& text);
    // Sorts by a column; true when the rows are now in that order, which puts the sort mark on
    // the column. The base sorts nothing.
    virtual bool sort(const XStringW& name, bool ascending);

    // ---- Notifications ----
    // A right click, in grid coordinates, after the row under it was selected.
    virtual void OnContextMenu(int x, int y);
    // A column was resized by the user.
    virtual void OnHeaderChange();
    // SetHeader replaced the columns.
    virtual void OnResetHeader();
    // A row was entered with a double click or the Enter key.
    virtual void OnEnterItem(int row);

    // Drawing helpers for derived grids.
    HFONT GetColumnFont(int column);
    HFONT GetHeaderFontHandle();
    void FillSolid(HDC hdc, const RECT& rect, COLORREF colour);
    int ZoomedRowHeight() const;
    int ZoomedHeaderHeight() const;
    int ZoomedWidth(int column) const;

    COLORREF m_bkColor = RGB(0, 0, 0);
    COLORREF m_bdColor = RGB(255, 255, 255);
    COLORREF m_gridColor = RGB(255, 255, 255);
    COLORREF m_headerBkColor = RGB(0, 0, 0);
    COLORREF m_headerColor = RGB(255, 255, 255);
    COLORREF m_textColor = RGB(220, 220, 220);
    bool m_textColorSet = false; // SetTextColor was called
    COLORREF m_selColor = RGB(43, 52, 71);
    COLORREF m_scrollArrowColor = RGB(0, 0, 0);
    COLORREF m_scrollButtonColor = RGB(0, 0, 0);
    COLORREF m_scrollFaceColor = RGB(0, 0, 0);
    COLORREF m_scrollDarkColor = RGB(0, 0, 0);
    COLORREF m_scrollLightColor = RGB(0, 0, 0);

private:
    struct FontKey {
        std::wstring face;
        int size = 0;
        bool bold = false;
        bool italic = false;
        auto operator<=>(const FontKey&) const = default;
    };
    struct Column {
        HeaderInfo2 info;
        FontKey font; // size 0 and empty face take the grid's defaults
    };
    struct Layout {
        RECT client{};
        RECT header{};
        RECT data{};
        RECT vbar{};
        RECT hbar{};
        bool hasV = false;
        bool hasH = false;
        int lockedWidth = 0; // the locked first column, 0 without the lock
        int totalWidth = 0;
    };
    enum class Drag { None, Resize, HeaderPress, VThumb, HThumb, Select };

    // True while the grid has the keyboard focus; its frame then shows it.
    bool HasKeyboard() const;
    // The colour of the focus frame: the text colour, as far as it stands out.
    COLORREF FocusColor() const;

    // Message handlers.
    LRESULT OnPaint();
    void OnSize();
    void OnLButtonDown(int x, int y, WPARAM keys, bool doubleClick);
    void OnLButtonUp(int x, int y);
    void OnMouseMove(int x, int y, WPARAM keys);
    void OnRButtonDown(int x, int y);
    void OnRButtonUp(int x, int y);
    void OnMouseWheel(int notches, bool horizontal);
    bool OnKeyDown(UINT key);

    void UpdateLayout();
    void ClampScroll();
    int VisibleRowCount() const; // rows that fit entirely
    int RowAt(int y) const;
    int ColumnAt(int x, bool* onBorder) const;
    // The x of a column's left edge on screen (scrolling and the lock applied).
    int ColumnLeft(int column) const;
    void ScrollRows(int delta);
    void ScrollX(int delta);
    void MoveCurrent(int row, bool extend);
    void SelectByClick(int row, WPARAM keys);
    void HeaderClicked(int column);
    RECT ThumbRect(bool vertical) const;
    // A full frame on the next paint.
    void Repaint();
    // Redraws a few rows straight into the back buffer and asks only for their pixels, so that a
    // moving selection costs a row or two instead of a frame.
    void RepaintRows(const std::set<int>& rows);
    RECT RowRect(int row) const;
    void EnsureBuffer(int width, int height);
    HFONT FontFor(const FontKey& key);
    // Cells without a face or size of their own take the header's face and size, at normal weight
    // unless their style says bold.
    FontKey ZoomedFont(const FontKey& key) const;

    std::unique_ptr<pugi::xml_document> m_header;
    std::vector<Column> m_columns;
    int m_rowCount = 0;
    int m_topRow = 0;
    int m_scrollX = 0;
    double m_zoom = 1.0;
    int m_rowHeight = 23;
    int m_headerRowHeight = 23;
    FontKey m_headerFont{L"WenQuanYi Micro Hei", 12, true, false};
    bool m_hLines = true;
    bool m_vLines = false;
    bool m_scrollLock = false;
    bool m_showCheckBox = false;
    bool m_multiSel = false;
    int m_currSel = -1;
    int m_anchor = -1;
    std::set<int> m_sels;
    XStringW m_sortName;
    bool m_sortAscending = false;
    Layout m_layout;

    Drag m_drag = Drag::None;
    int m_dragColumn = -1;
    int m_dragStart = 0;  // the mouse position where the drag began
    int m_dragOrigin = 0; // the width, row or offset it began from

    // Drawing resources, made on demand.
    HDC m_bufferDC = nullptr;
    HBITMAP m_buffer = nullptr;
    HGDIOBJ m_bufferOld = nullptr;
    SIZE m_bufferSize{0, 0};
    bool m_frameValid = false; // the buffer holds the current frame
    RECT m_quickArea{};        // rows redrawn into the buffer since the last paint
    std::map<FontKey, HFONT> m_fonts;
};

// The grid the module derives its grids from: the data grid with the drag-out text of a cell.
class DataGridEx : public XDataGrid {
public:
    DataGridEx();
    ~DataGridEx() override;

    // Messages for callers that hold only the window, such as the host's scripted runs, which
    // dump the cells of a page exactly as shown. Sent, never posted: the request lives on the
    // sender's stack.
    struct CellTextRequest {
        int row = -1;
        int column = -1; // index among the header's columns
        XStringW text;
        // The number the text shows, at full precision (GetItemNumber); NaN when there is none.
        double number = std::numeric_limits<double>::quiet_NaN();
    };
    static constexpr UINT kGetCellTextMessage = WM_USER + 0x7A0; // lParam: CellTextRequest*; 1 when filled
    static constexpr UINT kGetRowCountMessage = WM_USER + 0x7A1; // answers the number of rows
    // Sent by an export to the grid's parent windows, nearest first, until one answers 1: lParam is
    // an XStringW* to fill with what the page shows about the list (its range, report date or
    // horizon), written as a title above the exported header.
    static constexpr UINT kGetExportCaptionMessage = WM_USER + 0x7A2;

    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // The text a dragged cell carries: the value of column `name` in row `row` of `source` (its own
    // text, unformatted), or of the grid's own text of that cell. False when the row or the column
    // does not exist.
    virtual bool DragItemToString(int row, const XStringW& name, Data::IDataContainer* source,
                                  XStringW& text);
    virtual bool DragItemToString(int row, const XStringW& name, XStringW& text);

    // ---- Leaving the program: export and copy ----
    // The list as it is shown, for a file or the clipboard: the columns with their captions and
    // widths on screen, and the cell texts of the rows in the grid's order (the texts the scripted
    // runs' dump reads). Cells that the grid draws once over several rows or across a row are
    // described as merged ranges.
    struct Sheet {
        struct Column {
            XStringW title;
            int width = 0;        // pixels on screen (zoom applied)
            bool numeric = false; // cells that read as numbers are written as numbers
        };
        struct Merge {
            int firstRow = 0, lastRow = 0, firstColumn = 0, lastColumn = 0; // inclusive, data rows
        };
        XStringW name;    // the sheet's name (SetExportName)
        XStringW caption; // a title above the header (the name and what the page says); may be empty
        std::vector<Column> columns;
        std::vector<std::vector<XStringW>> rows;
        // The full-precision numbers behind the texts of the rows, NaN where there is none; the
        // same shape as rows, or empty.
        std::vector<std::vector<double>> numbers;
        std::vector<Merge> merges;
        bool lockFirstColumn = false; // the first column stays in view when scrolling sideways
    };
    // The command of the context menus' "导出..." item; WM_COMMAND with it exports through the save
    // dialog.
    static constexpr UINT kExportCommand = 0xE140;

    // Every row, or only the selected ones (all rows when none is selected).
    Sheet ReadSheet(bool selectedOnly);
    // Appends "导出..." to a context menu, behind a separator when the menu holds items already.
    void AppendExportItems(HMENU menu);
    // Asks for a file in the save dialog and writes the list there. False when cancelled or failed
    // (a failure is reported in a message box, a success in the frame's status bar).
    bool ExportWithDialog();
    // Writes the list to a file: CSV for a ".csv" name, an Excel workbook for a ".xlsx" one (either
    // in any case of letters). False with the reason, also for a name with neither extension.
    bool ExportTo(const XStringW& path, XStringW& error);
    // Puts the selected rows (all rows when none is selected), with the header row, on the clipboard
    // as tab-separated text.
    bool CopyRows();
    // The name proposed for the file and given to the sheet.
    void SetExportName(const XStringW& name) { m_exportName = name; }
    const XStringW& GetExportName() const { return m_exportName; }

protected:
    // ---- What the export asks of derived grids ----
    // True when the column's cells may be written as numbers; by default the columns whose header
    // item has a data_type of real ("d...") or integer ("i...").
    virtual bool IsNumericColumn(int column);
    // The column whose runs of equal texts are drawn as one cell; empty when there is none.
    virtual XStringW GetGroupColumn();
    // A row whose first cell is a caption drawn across the whole row.
    virtual bool IsCaptionRow(int row);
    // The number behind a cell's text at full precision, where the grid has one (the text shows it
    // rounded). The base grid has none.
    virtual bool GetItemNumber(int row, const HeaderInfo2& item, double& value);
    // Shows "导出..." (the base grid has no other items).
    void OnContextMenu(int x, int y) override;

private:
    XStringW m_exportName = L"导出";
};

// Writers of a sheet. The path is UTF-8 text; false with the reason in error.
// CSV: UTF-8 with a byte-order mark (so spreadsheet programs read Chinese text), CR LF line ends,
// fields quoted where they hold a comma, a quote or a line break. A text that a spreadsheet would
// take for a number, a date or a formula (a code such as 000082, a rank such as 3/120, a name
// starting with '=') is written as the formula ="000082", which shows the text exactly; "--" in
// a column of numbers is left empty.
bool WriteSheetCsv(const DataGridEx::Sheet& sheet, const std::string& path, XStringW& error);
// Excel workbook: numbers as numbers in the format they are shown in (percentages as percentages),
// at full precision where the sheet holds the number behind the text; dates (YYYY-MM-DD) as dates;
// "--" (no value) as an empty cell; the caption as a title row above the header; merged ranges
// merged, the header row frozen (and the first column where it stays in view), column widths as
// on screen.
bool WriteSheetXlsx(const DataGridEx::Sheet& sheet, const std::string& path, XStringW& error);
// Tab-separated text with the header row, one line per row; tabs and line breaks in a cell become
// blanks.
XStringW SheetToTsv(const DataGridEx::Sheet& sheet);

// How a shown text reads as a number: the value and the spreadsheet number format that shows it the
// same way ("12.34%" is 0.1234 in "0.00%", "1.23亿" is 1.23 in 0.00"亿"). False for anything else,
// and for texts with a leading zero such as fund codes.
bool ParseShownNumber(const XStringW& text, double& value, std::string& format);

} // namespace Control
