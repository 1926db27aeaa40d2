// AllocationGrid: binding, grouped drawing with bars, group-keeping sort, tooltip, context menu.
#include "pages/asset/AllocationGrid.h"

#include <platform/gdiplus.h>
#include <sdk/Kernel.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr const wchar_t kImageField[] = L"image";

// The fund columns whose sort keeps the groups together; the group column sorts on its own.
constexpr const wchar_t* kGroupedSortFields[] = {L"code",     L"aliascode",   L"name",    L"investtype",
                                                 L"buystate", L"marketvalue", L"percent", L"image"};

template <class T>
XComPtr<T> CreateComponent(const char* classId) {
    XComPtr<IXUnknown> object;
    object.Attach(createInstance(classId));
    return object.As<T>();
}

} // namespace

// ---- Construction and binding ------------------------------------------------------------------

AllocationGrid::AllocationGrid(const wchar_t* groupField) : m_groupField(groupField) {
    m_table = CreateComponent<Data::IDataTable>("Data.DataTable");
    if (m_table) {
        m_table->AddColumn(Data::kInteger, L"index");
        m_table->AddColumn(Data::kText, groupField);
        for (const wchar_t* name : {L"code", L"aliascode", L"name", L"investtype", L"buystate"})
            m_table->AddColumn(Data::kText, name);
        // Amounts and shares are numbers, so that sorting orders them by value: as text,
        // "5000000" would follow "10000000" and 0.05 would follow 0.1.
        m_table->AddColumn(Data::kReal, L"marketvalue");
        m_table->AddColumn(Data::kReal, L"percent");
        m_table->AddColumn(Data::kReal, kImageField);
    }
    m_multiSorter = CreateComponent<Data::IMultiFieldSorter>("Data.MultiFieldSorter");
}

AllocationGrid::~AllocationGrid() {
    // The tooltip is a pop-up owned by the grid, not a child: it does not go with the page.
    if (m_tooltip.IsWindow())
        m_tooltip.DestroyWindow();
}

void AllocationGrid::Bind() {
    SetDataSource(m_table);
    if (m_sortedView && m_multiSorter)
        m_sortedView->SetSorter(m_multiSorter);
}

void AllocationGrid::OnAfterChange(Data::IDataView* view) {
    // The sorted view speaks before the display view has followed it.
    if (view != nullptr && view != m_displayView.Get())
        return;
    m_maxShare = 0;
    int count = GetRowsCount();
    // The column is found once: a look-up by name for each of thousands of rows would cost more
    // than reading the share.
    int column = m_displayView ? m_displayView->GetColumnIndex(L"percent") : -1;
    for (int row = 0; row < count && column >= 0; ++row) {
        XComPtr<Data::IDataRow> dataRow;
        if (!m_displayView->GetRow(dataRow.Receive(), row) || !dataRow)
            continue;
        Data::IDataElement* cell = dataRow->GetValueAt(column);
        if (cell == nullptr || cell->IsNull())
            continue;
        double share = std::fabs(cell->AsDouble());
        if (std::isfinite(share))
            m_maxShare = std::max(m_maxShare, share);
    }
    if (!RestoreCurrentFund())
        Refresh(false, true);
}

void AllocationGrid::GetItemText(int row, const HeaderInfo2& item, XStringW& text) {
    bool amount = item.name == XStringW(L"marketvalue") || item.name == XStringW(L"percent") ||
                  item.name == XStringW(kImageField);
    if (amount && CellText(row, item.name.c_str()).empty()) {
        text.clear();
        return;
    }
    GeneralDataGrid::GetItemText(row, item, text);
}

// ---- Drawing -------------------------------------------------------------------------------------

void AllocationGrid::DrawItem(HDC hdc, Gdiplus::Graphics* graphics, int row, const HeaderInfo2& item,
                              const RECT& rect) {
    bool groupColumn = item.name == m_groupField;
    bool lastOfGroup = true;
    if (groupColumn) {
        GroupPlace group = FindGroup(row, m_groupField.c_str());
        m_groupSpan = group.span;
        lastOfGroup = group.position == group.span - 1;
        DrawGroupCell(hdc, graphics, row, item, rect, group);
    } else if (item.name != XStringW(kImageField)) {
        GeneralDataGrid::DrawItem(hdc, graphics, row, item, rect);
    }

    // Inside a group the caption column stays open, so the group reads as one cell.
    if (!groupColumn || lastOfGroup)
        FillSolid(hdc, RECT{rect.left, rect.bottom - 1, rect.right, rect.bottom}, m_gridColor);
    if (row > 0 && m_groupSpan > 1 && (row + 1) % m_groupSpan == 0)
        FillSolid(hdc, RECT{rect.left, rect.bottom - 1, rect.right, rect.bottom}, kGroupLineColour);

    if (item.name == XStringW(kImageField))
        DrawBar(graphics, row, rect);
}

void AllocationGrid::DrawBar(Gdiplus::Graphics* graphics, int row, const RECT& rect) {
    if (m_barImage == nullptr || graphics == nullptr)
        return;
    int left = rect.left + kBarMargin;
    int right = rect.right - kBarMargin;
    int width = right - left;
    if (width <= 0)
        return;
    double share = CellNumber(row, kImageField);
    double barWidth = std::fabs(m_maxShare) < kNoShare ? 0 : width * share / m_maxShare;
    // A share above the largest (a view not yet rescaled) or a broken value must not paint
    // outside the cell.
    if (!(barWidth > 0))
        return;
    barWidth = std::min<double>(barWidth, width);
    int imageHeight = static_cast<int>(m_barImage->GetHeight());
    int top = rect.top + (rect.bottom - rect.top - imageHeight) / 2;
    Gdiplus::GraphicsState state = graphics->Save();
    graphics->SetClip(
        Gdiplus::Rect(left, rect.top, static_cast<INT>(std::lround(barWidth)), rect.bottom - rect.top));
    // The image is stretched over the whole column and cut at the share, so that the bar's
    // gradient stays the same whatever its length.
    Gdiplus::Point corners[3] = {{left, top}, {right, top}, {left, top + imageHeight}};
    graphics->DrawImage(m_barImage, corners, 3);
    graphics->Restore(state);
}

// ---- Sorting -------------------------------------------------------------------------------------

bool AllocationGrid::sort(const XStringW& name, bool ascending) {
    if (m_sorting)
        return true;
    if (!m_multiSorter)
        return GeneralDataGrid::sort(name, ascending);
    m_sorting = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{m_sorting};

    if (!IsWindow() || !m_sortedView)
        return false;
    bool grouped = std::any_of(std::begin(kGroupedSortFields), std::end(kGroupedSortFields),
                               [&name](const wchar_t* field) { return name == XStringW(field); });
    if (!grouped) {
        // The group column: the multi-field sorter is the one the view uses, so it must carry
        // the key; the base sort then marks the column and re-sorts. A column the header marks
        // unsortable leaves the order as it is.
        ColumnFormat* format = FindOrCreateFormat(name);
        if (format == nullptr || !format->Sortable())
            return false;
        m_multiSorter->Clear();
        m_multiSorter->AddKey(name.c_str(), ascending);
        m_sorting = false;
        return GeneralDataGrid::sort(name, ascending);
    }
    m_multiSorter->Clear();
    RememberCurrentFund();
    m_multiSorter->AddKey(L"index", false);
    m_multiSorter->AddKey(name.c_str(), ascending);
    int column = m_sortedView->GetColumnIndex(name.c_str());
    XComPtr<Data::IColumnItem> columnItem;
    // Codes and names compare in natural order, as in every other fund grid.
    if (column != -1 && m_sortedView->GetColumnItem(columnItem.Receive(), column) && columnItem &&
        columnItem->GetTag() != static_cast<void*>(this))
        columnItem->SetTag(static_cast<void*>(this));
    m_sortedView->Reapply(0);
    RestoreCurrentFund();
    return true;
}

// ---- Tooltip, menu and entering a row --------------------------------------------------------------

LRESULT AllocationGrid::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        m_tooltip.Create(m_hWnd, nullptr, nullptr, WGUI::ToolTipCtrl::kStyle, WGUI::ToolTipCtrl::kExStyle);
        if (m_tooltip.IsWindow())
            m_tooltip.SetMaxTipWidth(kTipWidth);
        break;
    case WM_SIZE:
        ResetTool(LOWORD(lParam), HIWORD(lParam));
        break;
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header != nullptr && header->code == TTN_GETDISPINFOW &&
            header->hwndFrom == m_tooltip.GetHandle())
            reinterpret_cast<NMTTDISPINFOW*>(lParam)->lpszText = const_cast<LPWSTR>(m_tipText.c_str());
        break;
    }
    case WM_MOUSEMOVE:
        OnMouseMove(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
        break;
    default:
        break;
    }
    return GeneralDataGrid::WndProc(message, wParam, lParam);
}

void AllocationGrid::ResetTool(int width, int height) {
    if (!m_tooltip.IsWindow())
        return;
    TOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_MIN_SIZE;
    tool.uFlags = TTF_SUBCLASS | TTF_TRANSPARENT;
    tool.hwnd = m_hWnd;
    tool.uId = 0;
    tool.rect = RECT{0, 0, width, height};
    tool.lpszText = LPSTR_TEXTCALLBACKW;
    m_tooltip.DelTool(&tool);
    m_tooltip.AddTool(&tool);
}

void AllocationGrid::OnMouseMove(int x, int y) {
    int row = -1;
    HeaderInfo2 item;
    if (HitTest(x, y, row, item) == HitCell && row >= 0 && row < GetRowsCount() &&
        item.name == XStringW(kImageField)) {
        XStringW text;
        text.Format(L"比例：%.02f%%", CellNumber(row, kImageField) * 100);
        if (text != m_tipText || row != m_tipRow) {
            m_tipText = text;
            m_tipRow = row;
            if (m_tooltip.IsWindow())
                m_tooltip.SendMessage(TTM_UPDATE);
        }
        return;
    }
    if (!m_tipText.empty()) {
        m_tipText.clear();
        m_tipRow = -1;
        if (m_tooltip.IsWindow())
            m_tooltip.SendMessage(TTM_UPDATE);
        SetFocus();
    }
}

void AllocationGrid::OnContextMenu(int x, int y) {
    ShowRemoveMenu(x, y, kRemoveCommand);
}

void AllocationGrid::OnEnterItem(int row) {
    XStringW code = GetRowCode(row);
    if (!code.empty())
        OpenFund(code);
}
