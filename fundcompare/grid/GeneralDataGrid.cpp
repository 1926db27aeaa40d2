// GeneralDataGrid: binding, cell text and colour, sorting, keeping the current fund, and the
// caption cells of grouped rows.
#include "grid/GeneralDataGrid.h"

#include <algorithm>
#include <cmath>
#include <set>

#include <platform/wcrt.h>
#include <sdk/Kernel.h>

namespace {

GeneralDataGrid::ValueColours g_valueColours;

// A new host component as the wanted interface; null when the factory or the cast fails.
template <class T>
XComPtr<T> CreateComponent(const char* classId) {
    XComPtr<IXUnknown> object;
    object.Attach(createInstance(classId));
    return object.As<T>();
}

bool IsFundColumn(const XStringW& name) {
    return name == XStringW(L"aliascode") || name == XStringW(L"code") || name == XStringW(L"name");
}

} // namespace

const GeneralDataGrid::ValueColours& GeneralDataGrid::GetValueColours() {
    return g_valueColours;
}

GeneralDataGrid::GeneralDataGrid() = default;

GeneralDataGrid::~GeneralDataGrid() {
    // The window may outlive this object's own message handling (XWin destroys it afterwards),
    // so the views must stop calling back here now.
    ReleaseData();
}

// ---- Construction and binding ------------------------------------------------------------------

void GeneralDataGrid::SetApp(IApp* app) {
    m_app = app;
}

void GeneralDataGrid::SetDataSource(Data::IDataTable* table) {
    if (!m_sortedView) {
        m_sortedView = CreateComponent<Data::IDataView>("Data.DataView");
        if (!m_sortedView)
            return;
        m_sortedView->SetListener(this);
    }
    m_sortedView->SetSource(table);
    if (!m_displayView) {
        m_displayView = CreateComponent<Data::IDataView>("Data.DataView");
        if (!m_displayView)
            return;
        m_displayView->SetListener(this);
        m_displayView->SetSource(m_sortedView);
    }
    if (!m_sorter) {
        m_sorter = CreateComponent<Data::IFieldSorter>("Data.FieldSorter");
        if (m_sorter)
            m_sortedView->SetSorter(m_sorter);
    }
}

void GeneralDataGrid::ApplyUserZoom() {
    if (!m_app)
        return;
    double zoom = 1.0;
    XComPtr<Conf::IConfManager> manager;
    XComPtr<Conf::IConfKey> key;
    XComPtr<Conf::IConfValue> value;
    if (m_app->GetConfManager(manager.Receive()) && manager &&
        manager->GetKey(key.Receive(), "/Quenda2/UserConfig/FontSize") && key &&
        key->GetValue(value.Receive()) && value)
        zoom = value->AsDouble();
    SetZoom(zoom);
}

void GeneralDataGrid::ReleaseData() {
    m_formats.clear();
    if (m_displayView) {
        m_displayView->SetListener(nullptr);
        m_displayView->SetSource(nullptr);
    }
    if (m_sortedView) {
        m_sortedView->SetListener(nullptr);
        m_sortedView->SetSource(nullptr);
    }
    m_displayView = nullptr;
    m_sortedView = nullptr;
    m_sorter = nullptr;
    m_concernFunds = nullptr;
    m_app = nullptr;
}

// ---- Theme and header --------------------------------------------------------------------------

void GeneralDataGrid::SetTheme(Conf::ITheme* theme) {
    if (theme == nullptr)
        return;
    ThemeDataGrid::SetTheme(theme);
    for (auto& [name, format] : m_formats)
        format->RefreshColour(theme);
    theme->GetColor("list_value_zero", g_valueColours.zero);
    theme->GetColor("list_value_negative", g_valueColours.negative);
    theme->GetColor("list_value_positive", g_valueColours.positive);
    theme->GetColor("list_highlight", m_highlightColour);
}

int GeneralDataGrid::SetHeader(const wchar_t* xml) {
    m_formats.clear();
    return ThemeDataGrid::SetHeader(xml);
}

ColumnFormat* GeneralDataGrid::FindOrCreateFormat(const XStringW& name, const pugi::xml_node& item) {
    auto found = m_formats.find(name);
    if (found != m_formats.end())
        return found->second.get();
    std::unique_ptr<ColumnFormat> format = ColumnFormat::Create(this, item, GetTheme());
    if (!format)
        return nullptr;
    return m_formats.emplace(name, std::move(format)).first->second.get();
}

ColumnFormat* GeneralDataGrid::FindOrCreateFormat(const XStringW& name) {
    auto found = m_formats.find(name);
    if (found != m_formats.end())
        return found->second.get();
    return FindOrCreateFormat(name, GetHeaderItem(name.c_str()));
}

// ---- View notifications ------------------------------------------------------------------------

void GeneralDataGrid::OnBeforeChange(Data::IDataView*) {
    RememberCurrentFund();
}

void GeneralDataGrid::OnAfterChange(Data::IDataView* view) {
    // A change of the sorted view is announced before the display view has followed it; the
    // display view's own announcement comes next, and only then are its rows worth reading.
    if (view != nullptr && view != m_displayView.Get())
        return;
    if (!RestoreCurrentFund())
        Refresh(false, true);
}

XStringW GeneralDataGrid::GetRowCode(int row) {
    if (!m_displayView)
        return XStringW();
    XComPtr<Data::IDataRow> dataRow;
    if (!m_displayView->GetRow(dataRow.Receive(), row) || !dataRow)
        return XStringW();
    Data::IDataElement* cell = dataRow->GetValue(L"code");
    if (cell == nullptr)
        return XStringW();
    XStringW code = cell->ToString();
    return code == XStringW(L"--") ? XStringW() : code;
}

void GeneralDataGrid::RememberCurrentFund() {
    if (!m_displayView)
        return;
    // Nothing current means nothing to bring back; an older code must not resurface later.
    int current = GetCurrSel();
    m_rememberedCode = current >= 0 ? GetRowCode(current) : XStringW();
}

bool GeneralDataGrid::RestoreCurrentFund() {
    if (!m_displayView || GetCurrSel() < 0 || m_rememberedCode.empty())
        return false;
    int count = m_displayView->GetRowCount();
    for (int row = 0; row < count; ++row) {
        if (GetRowCode(row) == m_rememberedCode) {
            SetCurrSel(row);
            Refresh(false, false);
            return true;
        }
    }
    return false;
}

// ---- Host hooks ----------------------------------------------------------------------------------

LRESULT GeneralDataGrid::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        SetMultiSel(true);
        break;
    case WM_DESTROY:
        ReleaseData();
        break;
    case WM_KEYDOWN:
        // Delete removes the selected funds by the same command the context menu's item sends.
        if (wParam == VK_DELETE && RemoveCommand() != 0) {
            if (!GetCurrSels().empty())
                SendMessageW(m_hWnd, WM_COMMAND, MAKEWPARAM(RemoveCommand(), 0), 0);
            return 0;
        }
        break;
    default:
        break;
    }
    return ThemeDataGrid::WndProc(message, wParam, lParam);
}

int GeneralDataGrid::GetRowsCount() {
    return m_displayView ? m_displayView->GetRowCount() : 0;
}

IConcernFundModule* GeneralDataGrid::ConcernFundModule() {
    if (!m_concernFunds && m_app) {
        // A failed look-up is tried again on the next cell: the module may load later.
        XComPtr<IModule> module;
        if (m_app->GetModule(module.Receive(), "mod_ConcernFund") && module)
            m_concernFunds = module.As<IConcernFundModule>();
    }
    return m_concernFunds;
}

void GeneralDataGrid::GetItemColor(int row, const HeaderInfo2& item, const XStringW& text, COLORREF& colour) {
    if (IsFundColumn(item.name)) {
        if (IConcernFundModule* followed = ConcernFundModule()) {
            XStringW code = GetRowCode(row);
            if (!code.empty() && followed->IsConcerned(code)) {
                colour = m_highlightColour;
                return;
            }
        }
    }
    ColumnFormat* format = FindOrCreateFormat(item.name, item.item);
    if (format == nullptr)
        return;
    if (format->HasTextColour()) {
        colour = format->TextColour();
        return;
    }
    if (text.empty() || text == XStringW(L"--") || _wtof(text.c_str()) == 0)
        colour = g_valueColours.zero;
    else if (text[0] == L'-')
        colour = g_valueColours.negative;
    else
        colour = g_valueColours.positive;
}

void GeneralDataGrid::GetItemText(int row, const HeaderInfo2& item, XStringW& text) {
    text.clear();
    if (!m_displayView)
        return;
    XComPtr<Data::IDataRow> dataRow;
    if (!m_displayView->GetRow(dataRow.Receive(), row) || !dataRow)
        return;
    // A column without a field of the data shows nothing from the row.
    Data::IDataElement* cell = dataRow->GetValue(item.name.c_str());
    if (cell == nullptr)
        return;
    ColumnFormat* format = FindOrCreateFormat(item.name, item.item);
    text = format != nullptr ? format->Format(cell) : cell->ToString();
}

bool GeneralDataGrid::GetItemNumber(int row, const HeaderInfo2& item, double& value) {
    if (!m_displayView)
        return false;
    XComPtr<Data::IDataRow> dataRow;
    if (!m_displayView->GetRow(dataRow.Receive(), row) || !dataRow)
        return false;
    Data::IDataElement* cell = dataRow->GetValue(item.name.c_str());
    ColumnFormat* format = FindOrCreateFormat(item.name, item.item);
    if (cell == nullptr || cell->IsNull() || format == nullptr ||
        (format->Type() != ColumnFormat::kReal && format->Type() != ColumnFormat::kInteger))
        return false;
    value = cell->AsDouble();
    return std::isfinite(value);
}

bool GeneralDataGrid::sort(const XStringW& name, bool ascending) {
    // Views notify while they re-sort; a sort reached from there must not start another.
    if (m_sorting)
        return true;
    m_sorting = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{m_sorting};

    if (!IsWindow())
        return false;
    RememberCurrentFund();
    ColumnFormat* format = FindOrCreateFormat(name);
    if (format == nullptr || !format->Sortable() || !m_displayView || !m_sortedView || !m_sorter)
        return false;
    m_sorter->SetField(name.c_str());
    m_sorter->SetAscending(ascending);

    int column = m_sortedView->GetColumnIndex(name.c_str());
    if (column == -1)
        return true;
    XComPtr<Data::IColumnItem> columnItem;
    if (!m_sortedView->GetColumnItem(columnItem.Receive(), column) || !columnItem)
        return true;
    // The view compares the texts of a tagged column in natural order ("9/120" before "10/120").
    if (columnItem->GetTag() != static_cast<void*>(this))
        columnItem->SetTag(static_cast<void*>(this));
    m_sortedView->Reapply(0);
    RestoreCurrentFund();
    return true;
}

// ---- Grouped rows -----------------------------------------------------------------------------

GeneralDataGrid::GroupPlace GeneralDataGrid::FindGroup(int row, const wchar_t* field) {
    int count = GetRowsCount();
    if (row < 0 || row >= count)
        return {};
    XStringW caption = CellText(row, field);
    int first = row;
    while (first > 0 && CellText(first - 1, field) == caption)
        --first;
    int last = row;
    while (last + 1 < count && CellText(last + 1, field) == caption)
        ++last;
    return GroupPlace{row - first, last - first + 1};
}

void GeneralDataGrid::DrawGroupCell(HDC hdc, Gdiplus::Graphics* graphics, int row, const HeaderInfo2& item,
                                    const RECT& rect, const GroupPlace& group) {
    FillSolid(hdc, rect, m_bkColor);
    int height = rect.bottom - rect.top;
    if (height <= 0)
        return;
    // The group's rows in grid coordinates, cut to the rows area.
    RECT data = GetDataRect();
    int groupTop = rect.top - group.position * height;
    int groupBottom = groupTop + group.span * height;
    int shownTop = std::max<int>(groupTop, data.top);
    int shownBottom = std::min<int>(groupBottom, data.bottom);
    if (shownBottom <= shownTop) {
        // Not a row of the frame: centre on the whole group.
        shownTop = groupTop;
        shownBottom = groupBottom;
    }
    int centredTop = shownTop + (shownBottom - shownTop - height) / 2;
    RECT centred{rect.left, centredTop, rect.right, centredTop + height};
    RECT overlap{};
    if (!IntersectRect(&overlap, &centred, &rect))
        return;
    int saved = SaveDC(hdc);
    IntersectClipRect(hdc, rect.left, rect.top, rect.right, rect.bottom);
    GeneralDataGrid::DrawItem(hdc, graphics, row, item, centred);
    RestoreDC(hdc, saved);
}

XStringW GeneralDataGrid::CellText(int row, const wchar_t* field) {
    if (!m_displayView)
        return XStringW();
    XComPtr<Data::IDataRow> dataRow;
    if (!m_displayView->GetRow(dataRow.Receive(), row) || !dataRow)
        return XStringW();
    Data::IDataElement* cell = dataRow->GetValue(field);
    return cell != nullptr ? cell->ToString() : XStringW();
}

double GeneralDataGrid::CellNumber(int row, const wchar_t* field) {
    if (!m_displayView)
        return 0;
    XComPtr<Data::IDataRow> dataRow;
    if (!m_displayView->GetRow(dataRow.Receive(), row) || !dataRow)
        return 0;
    Data::IDataElement* cell = dataRow->GetValue(field);
    if (cell == nullptr || cell->IsNull())
        return 0;
    double value = cell->AsDouble();
    return std::isfinite(value) ? value : 0;
}

std::vector<XStringW> GeneralDataGrid::SelectedCodes() {
    std::set<XStringW> seen;
    std::vector<XStringW> codes;
    for (int row : GetCurrSels()) {
        XStringW code = GetRowCode(row);
        if (!code.empty() && seen.insert(code).second)
            codes.push_back(code);
    }
    return codes;
}

void GeneralDataGrid::ShowRemoveMenu(int x, int y, UINT command) {
    HMENU menu = CreatePopupMenu();
    if (menu == nullptr)
        return;
    UINT flags = MF_STRING | (GetCurrSels().empty() ? MF_GRAYED : 0);
    AppendMenuW(menu, flags, command, L"从当前对比中移除(&R)");
    AppendExportItems(menu);
    POINT point{x, y};
    ::ClientToScreen(m_hWnd, &point);
    TrackPopupMenu(menu, TPM_LEFTBUTTON, point.x, point.y, 0, m_hWnd, nullptr);
    DestroyMenu(menu);
}
