// PerformanceGrid: binding, grouped drawing with bars, sorting within period groups, the largest
// growth, the tooltip and the context menu.
#include "pages/performance/PerformanceGrid.h"

#include "grid/ValueFormater.h"
#include "wgui/ToolInfo.h"

#include <platform/gdiplus.h>
#include <sdk/Kernel.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <vector>

namespace {

template <class T>
XComPtr<T> CreateComponent(const char* classId) {
    XComPtr<IXUnknown> object;
    object.Attach(createInstance(classId));
    return object.As<T>();
}

// The fields sorted within each period group; the period label itself goes to the base grid.
bool SortsWithinGroups(const XStringW& field) {
    static const wchar_t* const kFields[] = {L"code",  L"aliascode", L"name",     L"investtype", L"buystate",
                                             L"yield", L"type_rank", L"all_rank", L"image"};
    for (const wchar_t* name : kFields)
        if (field == XStringW(name))
            return true;
    return false;
}

bool IsRankField(const XStringW& field) {
    return field == XStringW(L"type_rank") || field == XStringW(L"all_rank");
}

} // namespace

PerformanceGrid::PerformanceGrid() {
    m_table = CreateComponent<Data::IDataTable>("Data.DataTable");
    if (m_table) {
        m_table->AddColumn(Data::kInteger, L"index");
        m_table->AddColumn(Data::kText, L"distance");
        m_table->AddColumn(Data::kText, L"code");
        m_table->AddColumn(Data::kText, L"aliascode");
        m_table->AddColumn(Data::kText, L"name");
        m_table->AddColumn(Data::kText, L"investtype");
        m_table->AddColumn(Data::kText, L"buystate");
        m_table->AddColumn(Data::kReal, L"yield");
        m_table->AddColumn(Data::kText, L"type_rank");
        m_table->AddColumn(Data::kText, L"all_rank");
        m_table->AddColumn(Data::kReal, L"image");
    }
    SetDataSource(m_table);
    m_multiSorter = CreateComponent<Data::IMultiFieldSorter>("Data.MultiFieldSorter");
}

PerformanceGrid::~PerformanceGrid() = default;

void PerformanceGrid::SetBarImages(Gdiplus::Image* gain, Gdiplus::Image* loss) {
    m_gainBar = gain;
    m_lossBar = loss;
}

void PerformanceGrid::SetRankTags(void* tag) {
    if (!m_table)
        return;
    for (const wchar_t* field : {L"type_rank", L"all_rank"}) {
        int column = m_table->GetColumnIndex(field);
        XComPtr<Data::IColumnItem> item;
        if (column >= 0 && m_table->GetColumnItem(item.Receive(), column) && item)
            item->SetTag(tag);
    }
}

// ---- Drawing -------------------------------------------------------------------------------------

void PerformanceGrid::DrawItem(HDC hdc, Gdiplus::Graphics* graphics, int row, const HeaderInfo2& item,
                               const RECT& rect) {
    bool isGroupCell = item.name == XStringW(L"distance");
    bool isBar = item.name == XStringW(L"image");
    bool lastOfGroup = true;
    if (isGroupCell) {
        GroupPlace group = FindGroup(row, L"distance");
        m_groupSpan = group.span;
        lastOfGroup = group.position == group.span - 1;
        DrawGroupCell(hdc, graphics, row, item, rect, group);
    } else if (!isBar) {
        GeneralDataGrid::DrawItem(hdc, graphics, row, item, rect);
    }

    // A group cell reads as one merged cell, so only its last row closes it with a line.
    if (!isGroupCell || lastOfGroup)
        FillSolid(hdc, RECT{rect.left, rect.bottom - 1, rect.right, rect.bottom}, m_gridColor);
    if (row > 0 && m_groupSpan > 1 && (row + 1) % m_groupSpan == 0)
        FillSolid(hdc, RECT{rect.left, rect.bottom - 1, rect.right, rect.bottom}, kGroupLineColour);

    if (isBar)
        DrawBar(graphics, row, rect);
}

void PerformanceGrid::DrawBar(Gdiplus::Graphics* graphics, int row, const RECT& rect) {
    if (graphics == nullptr)
        return;
    double value = CellNumber(row, L"image");
    Gdiplus::Image* bar = value >= 0 ? m_gainBar : m_lossBar;
    if (bar == nullptr)
        return;
    int left = rect.left + kBarMargin;
    int width = rect.right - kBarMargin - left;
    int height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0)
        return;
    int barWidth = 0;
    if (std::fabs(m_maxYield) >= 0.00001)
        barWidth = static_cast<int>(std::min(1.0, std::fabs(value) / m_maxYield) * width);
    if (barWidth <= 0)
        return;
    int imageHeight = static_cast<int>(bar->GetHeight());
    int top = rect.top + (height - imageHeight) / 2;
    Gdiplus::Point corners[3] = {Gdiplus::Point(left, top), Gdiplus::Point(left + width, top),
                                 Gdiplus::Point(left, top + imageHeight)};
    // The image is stretched over the whole column and cut to the bar's length, so that the
    // gradient of a short bar matches the start of a long one.
    Gdiplus::GraphicsState state = graphics->Save();
    graphics->IntersectClip(Gdiplus::Rect(left, rect.top, barWidth, height));
    graphics->DrawImage(bar, corners, 3);
    graphics->Restore(state);
}

// ---- Sorting ---------------------------------------------------------------------------------------

bool PerformanceGrid::sort(const XStringW& name, bool ascending) {
    if (!SortsWithinGroups(name) || !m_multiSorter || !m_sortedView) {
        // The base grid sorts with its own single-field sorter.
        if (m_sortedView && m_sorter)
            m_sortedView->SetSorter(m_sorter);
        return GeneralDataGrid::sort(name, ascending);
    }
    if (IsRankField(name))
        SetRankTags(reinterpret_cast<void*>(1));
    m_multiSorter->Clear();
    m_multiSorter->AddKey(L"index", true);
    if (name == XStringW(L"type_rank"))
        m_multiSorter->AddKey(L"investtype", true);
    m_multiSorter->AddKey(name.c_str(), ascending);
    m_sortedView->SetSorter(m_multiSorter);
    m_sortedView->Reapply(0);
    return true;
}

void PerformanceGrid::OnHeaderChange() {
    SetRankTags(reinterpret_cast<void*>(1));
}

// ---- View notifications ------------------------------------------------------------------------------

void PerformanceGrid::GetItemText(int row, const HeaderInfo2& item, XStringW& text) {
    GeneralDataGrid::GetItemText(row, item, text);
}

void PerformanceGrid::OnAfterChange(Data::IDataView* view) {
    // The sorted view speaks before the display view has followed it; only the latter's rows count.
    if (view != nullptr && view != m_displayView.Get())
        return;
    m_maxYield = 0;
    int rows = GetRowsCount();
    for (int row = 0; row < rows; ++row)
        m_maxYield = std::max(m_maxYield, std::fabs(CellNumber(row, L"yield")));
    Refresh(false, true);
}

// ---- Tooltip and menu ----------------------------------------------------------------------------------

LRESULT PerformanceGrid::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        if (m_tooltip.Create(m_hWnd, nullptr, nullptr, WGUI::ToolTipCtrl::kStyle,
                             WGUI::ToolTipCtrl::kExStyle))
            m_tooltip.SetMaxTipWidth(500);
        break;
    case WM_SIZE:
        ResetTool(LOWORD(lParam), HIWORD(lParam));
        break;
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header != nullptr && header->code == TTN_GETDISPINFOW) {
            auto* info = reinterpret_cast<NMTTDISPINFOW*>(lParam);
            info->lpszText = const_cast<LPWSTR>(m_tipText.c_str());
        }
        break;
    }
    case WM_MOUSEMOVE:
        OnMouseMove(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        break;
    default:
        break;
    }
    return GeneralDataGrid::WndProc(message, wParam, lParam);
}

void PerformanceGrid::ResetTool(int width, int height) {
    if (!m_tooltip.IsWindow())
        return;
    RECT area{0, 0, width, height};
    WGUI::ToolInfo tool(TTF_SUBCLASS | TTF_TRANSPARENT, m_hWnd, 0, &area);
    // Tool id 0 with the grid as owner: ToolInfo would otherwise name the parent as the owner.
    tool.uFlags = TTF_SUBCLASS | TTF_TRANSPARENT;
    tool.hwnd = m_hWnd;
    tool.uId = 0;
    m_tooltip.DelTool(&tool);
    m_tooltip.AddTool(&tool);
}

void PerformanceGrid::UpdateTooltip() {
    if (m_tooltip.IsWindow())
        m_tooltip.SendMessage(TTM_UPDATE, 0, 0);
}

void PerformanceGrid::OnMouseMove(int x, int y) {
    int row = -1;
    HeaderInfo2 item;
    int area = HitTest(x, y, row, item);
    if (area == HitCell && row >= 0 && row < GetRowsCount() && item.name == XStringW(L"image")) {
        XStringW text = DropSignOfZero(XStringW().Format(L"涨幅：%.02f%%", CellNumber(row, L"image") * 100));
        if (text != m_tipText || row != m_tipRow) {
            m_tipText = text;
            m_tipRow = row;
            UpdateTooltip();
        }
        return;
    }
    if (!m_tipText.empty()) {
        m_tipText.clear();
        m_tipRow = -1;
        UpdateTooltip();
        SetFocus();
    }
}

void PerformanceGrid::OnContextMenu(int x, int y) {
    ShowRemoveMenu(x, y, kRemoveCommand);
}
