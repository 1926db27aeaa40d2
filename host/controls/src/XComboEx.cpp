// The searchable fund picker.
//
// Sections: creation and messages; data source and fields; searching and choosing; the drop-down;
// painting.
#include <sdk/ControlComboEx.h>

#include "HostCtlGdi.h"
#include "XComboExParts.h"
#include "XComboExSearch.h"

#include <algorithm>

namespace Control {

using hostctl::PickerEdit;
using hostctl::PickerList;
using hostctl::PickerSearch;

namespace {

constexpr const wchar_t* kClassName = L"XComboEx";
constexpr int kButtonWidth = 18;
// The list's size until the caller gives it one.
constexpr int kDefaultListWidth = 360;
constexpr int kDefaultListHeight = 240;

// Field names go into a header document as attribute values.
std::wstring XmlAttribute(const XStringW& text) {
    std::wstring out;
    for (wchar_t c : text.str()) {
        switch (c) {
        case L'&':
            out += L"&amp;";
            break;
        case L'<':
            out += L"&lt;";
            break;
        case L'"':
            out += L"&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

} // namespace

// ---- Creation and messages ----------------------------------------------------------------------

XComboEx::XComboEx()
    : m_search(std::make_unique<PickerSearch>()), m_edit(std::make_unique<PickerEdit>(*this)),
      m_list(std::make_unique<PickerList>(*this)) {}

XComboEx::~XComboEx() {
    // The list is a pop-up of its own: it goes first, then the picker with its edit field, while
    // every object their messages reach is still whole.
    if (m_list->IsWindow())
        DestroyWindow(*m_list);
    if (IsWindow())
        DestroyWindow(m_hWnd);
}

BOOL XComboEx::Create(DWORD style, int x, int y, int width, int height, UINT id, HWND parent) {
    if (IsWindow())
        return FALSE;
    m_id = id;
    if (!XWin::Create(kClassName, L"", style | WS_CLIPCHILDREN, x, y, width, height, id, parent))
        return FALSE;
    if (!m_edit->Create(L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, 1, m_hWnd)) {
        DestroyWindow(m_hWnd);
        return FALSE;
    }
    // The list belongs to the picker's top-level window, so that it can reach past the picker's
    // parent and is destroyed with the frame at the latest.
    HWND root = GetAncestor(m_hWnd, GA_ROOT);
    if (!m_list->Create(L"", WS_POPUP | WS_BORDER, 0, 0, std::max(width, kDefaultListWidth),
                        kDefaultListHeight, root != nullptr ? root : m_hWnd)) {
        DestroyWindow(m_hWnd);
        return FALSE;
    }
    // The list matches the picker's field until the caller gives it colours of its own.
    m_list->ApplySystemPalette();
    Layout();
    return TRUE;
}

LRESULT XComboEx::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        return OnPaint();
    case WM_ERASEBKGND:
        return 1;
    case WM_SIZE:
        Layout();
        return 0;
    case WM_SETFONT:
        m_font = reinterpret_cast<HFONT>(wParam);
        m_edit->SetFont(m_font);
        if (LOWORD(lParam) != 0)
            Invalidate(FALSE);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(m_font);
    case WM_SETFOCUS:
        // The keyboard belongs in the edit field.
        if (m_edit->IsWindow())
            ::SetFocus(*m_edit);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        // Only the button lies outside the edit field.
        ::SetFocus(*m_edit);
        ShowDropDown(!IsDroppedDown());
        return 0;
    case WM_SHOWWINDOW:
    case WM_ENABLE:
        // A list left open under a hidden or disabled picker would offer choices nobody can make.
        if (wParam == FALSE)
            ShowDropDown(false);
        break;
    case WM_DESTROY:
        if (m_list->IsWindow())
            ::ShowWindow(*m_list, SW_HIDE);
        break;
    default:
        break;
    }
    return XWin::WndProc(message, wParam, lParam);
}

void XComboEx::Layout() {
    if (!IsWindow() || !m_edit->IsWindow())
        return;
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    int w = std::max<int>(0, client.right - 2 - kButtonWidth), h = std::max<int>(0, client.bottom - 2);
    ::MoveWindow(*m_edit, 1, 1, w, h, TRUE);
    Invalidate(FALSE);
}

// ---- Data source and fields ---------------------------------------------------------------------

void XComboEx::SetDataSource(Data::IDataTable* table) {
    // The current fund is known by its code: its row number means nothing in the new table.
    XStringW current = GetCurrCode();
    m_source = table;
    Rebuild(current);
}

void XComboEx::SetDataField(const wchar_t* codeField, const wchar_t* displayCodeField,
                            const wchar_t* nameField, const wchar_t* searchField) {
    m_codeField = XStringW(codeField);
    m_displayField = XStringW(displayCodeField);
    m_nameField = XStringW(nameField);
    m_searchField = XStringW(searchField);
    // Until the caller gives the list a header, it shows the display code and the name.
    if (m_list->GetColumnCount() == 0 && (!m_displayField.empty() || !m_nameField.empty())) {
        std::wstring xml = L"<header><item title=\"\u4ee3\u7801\" name=\"" + XmlAttribute(m_displayField) +
                           L"\" width=\"70\"/><item title=\"\u540d\u79f0\" name=\"" +
                           XmlAttribute(m_nameField) + L"\" width=\"180\"/></header>";
        m_list->SetHeader(xml.c_str());
    }
    Rebuild(GetCurrCode());
}

XStringW XComboEx::FieldText(int row, const XStringW& field) const {
    if (m_source == nullptr || field.empty() || row < 0)
        return {};
    XComPtr<Data::IDataRow> r;
    if (!m_source->GetRow(r.Receive(), row) || r == nullptr)
        return {};
    Data::IDataElement* e = r->GetValue(field.c_str());
    return e != nullptr ? e->ToString() : XStringW();
}

XStringW XComboEx::GetCurrCode() const {
    return FieldText(m_currRow, m_codeField);
}

XStringW XComboEx::GetCurrName() const {
    return FieldText(m_currRow, m_nameField);
}

XStringW XComboEx::GetText() const {
    return XStringW(m_edit->Text());
}

void XComboEx::SelectAllText() {
    m_edit->SelectAll();
}

void XComboEx::ClearChoice() {
    ShowDropDown(false);
    m_edit->SetText(L"");
    m_textIsChoice = false;
    m_currRow = -1;
    m_matches = m_search->Find(std::wstring());
    m_list->Refresh(true, true);
}

HWND XComboEx::GetEditWindow() const {
    return m_edit->GetSafeHwnd();
}

XDataGrid& XComboEx::GetDropDownGrid() {
    return *m_list;
}

void XComboEx::Rebuild(const XStringW& previousCode) {
    m_currRow = -1;
    m_search->Clear();
    const int rows = m_source != nullptr ? m_source->GetRowCount() : 0;
    if (rows > 0 && !m_codeField.empty()) {
        const int search = m_source->GetColumnIndex(m_searchField.c_str());
        const int display = m_source->GetColumnIndex(m_displayField.c_str());
        const int name = m_source->GetColumnIndex(m_nameField.c_str());
        const int code = m_source->GetColumnIndex(m_codeField.c_str());
        // The list of every fund in the market is read cell by cell in place where the table
        // allows it: a row object and a copy of each text per fund would cost more than the search
        // index they feed. Other cells are read through the row, as text.
        XComPtr<Data::IDataTableCells> cells =
            XComPtr<Data::IDataTable>(m_source).As<Data::IDataTableCells>();
        XComPtr<Data::IDataRow> row;
        int rowAt = -1;
        std::wstring scratch[4];
        auto text = [&](int r, int column, int slot) -> std::wstring_view {
            const wchar_t* chars = nullptr;
            std::size_t length = 0;
            if (column < 0)
                return {};
            if (cells != nullptr && cells->GetTextAt(r, column, &chars, &length))
                return std::wstring_view(chars, length);
            if (rowAt != r) {
                rowAt = r;
                if (!m_source->GetRow(row.Receive(), r))
                    row = nullptr;
            }
            Data::IDataElement* e = row != nullptr ? row->GetValueAt(column) : nullptr;
            scratch[slot] = e != nullptr ? e->ToString().str() : std::wstring();
            return scratch[slot];
        };
        m_search->Reserve(static_cast<std::size_t>(rows), static_cast<std::size_t>(rows) * 20);
        const std::wstring_view wanted(previousCode.str());
        for (int i = 0; i < rows; ++i) {
            m_search->AddRow(text(i, search, 0), text(i, display, 1), text(i, name, 2));
            // The fund chosen before stays chosen when the new list has it.
            if (m_currRow < 0 && !wanted.empty() && code >= 0 && text(i, code, 3) == wanted)
                m_currRow = i;
        }
    }
    // A choice that the new list lacks must not linger in the edit field as if it still held.
    if (m_currRow < 0 && m_textIsChoice) {
        m_edit->SetText(L"");
        m_textIsChoice = false;
    }
    const int keep = m_currRow;
    m_matches = m_search->Find(m_textIsChoice ? std::wstring() : m_edit->Text());
    m_list->Refresh(true, true);
    if (m_textIsChoice) {
        m_currRow = keep;
        auto it = std::find(m_matches.begin(), m_matches.end(), keep);
        if (it != m_matches.end())
            m_list->SetCurrSel(static_cast<int>(it - m_matches.begin()));
    } else if (!m_edit->Text().empty() && !m_matches.empty()) {
        Highlight(0);
    } else {
        m_currRow = -1;
    }
}

// ---- Searching and choosing ---------------------------------------------------------------------

void XComboEx::OnTextChanged() {
    m_textIsChoice = false;
    m_matches = m_search->Find(m_edit->Text());
    m_list->Refresh(true, true);
    if (!m_edit->Text().empty() && !m_matches.empty())
        Highlight(0);
    else
        m_currRow = -1;
    ShowDropDown(!m_edit->Text().empty());
}

void XComboEx::Highlight(int listRow) {
    if (listRow < 0 || static_cast<std::size_t>(listRow) >= m_matches.size())
        return;
    m_currRow = m_matches[static_cast<std::size_t>(listRow)];
    m_list->SetCurrSel(listRow);
}

bool XComboEx::OnNavigate(UINT key) {
    const int count = static_cast<int>(m_matches.size());
    int sel = m_list->GetCurrSel();
    switch (key) {
    case VK_DOWN:
    case VK_UP:
    case VK_NEXT:
    case VK_PRIOR: {
        if (!IsDroppedDown()) {
            ShowDropDown(true);
            return true;
        }
        if (count == 0)
            return true;
        RECT list;
        ::GetClientRect(*m_list, &list);
        const int rowHeight = std::max(1, static_cast<int>(m_list->GetRowHight() * m_list->GetZoom()));
        const int page = std::max(1, static_cast<int>((list.bottom - list.top) / rowHeight) - 2);
        int step = key == VK_DOWN ? 1 : key == VK_UP ? -1 : key == VK_NEXT ? page : -page;
        Highlight(std::clamp(sel < 0 ? (step > 0 ? 0 : count - 1) : sel + step, 0, count - 1));
        return true;
    }
    case VK_RETURN:
        if (IsDroppedDown() && sel >= 0)
            ChooseListRow(sel);
        else if (m_currRow >= 0)
            Choose(m_currRow);
        return true;
    case VK_ESCAPE:
        if (IsDroppedDown()) {
            ShowDropDown(false);
            return true;
        }
        return false;
    default:
        return false;
    }
}

void XComboEx::ChooseListRow(int listRow) {
    if (listRow >= 0 && static_cast<std::size_t>(listRow) < m_matches.size())
        Choose(m_matches[static_cast<std::size_t>(listRow)]);
}

void XComboEx::Choose(int sourceRow) {
    m_currRow = sourceRow;
    XStringW shown = FieldText(sourceRow, m_displayField);
    XStringW name = FieldText(sourceRow, m_nameField);
    if (!shown.empty() && !name.empty())
        shown += L" ";
    shown += name;
    m_edit->SetText(shown.str());
    m_textIsChoice = true;
    ShowDropDown(false);
    if (IsWindow()) {
        ::SetFocus(*m_edit);
        HWND parent = GetParent(m_hWnd);
        if (parent != nullptr)
            SendMessageW(parent, WM_COMMAND, MAKEWPARAM(m_id, CBN_SELCHANGE),
                         reinterpret_cast<LPARAM>(m_hWnd));
    }
}

void XComboEx::OnEditLostFocus(HWND newFocus) {
    if (newFocus != nullptr && (newFocus == m_list->GetSafeHwnd() || newFocus == m_hWnd))
        return;
    ShowDropDown(false);
}

// ---- The drop-down ------------------------------------------------------------------------------

bool XComboEx::IsDroppedDown() const {
    return m_list->IsWindow() && IsWindowVisible(*m_list);
}

void XComboEx::ShowDropDown(bool show) {
    if (!m_list->IsWindow() || show == IsDroppedDown())
        return;
    if (!show) {
        ::ShowWindow(*m_list, SW_HIDE);
        InvalidateRect(nullptr, FALSE);
        return;
    }
    if (m_textIsChoice) {
        // Opened on a chosen fund: the whole list, with that fund in view.
        m_matches = m_search->Find(L"");
        m_list->Refresh(true, true);
        auto it = std::find(m_matches.begin(), m_matches.end(), m_currRow);
        if (it != m_matches.end())
            m_list->SetCurrSel(static_cast<int>(it - m_matches.begin()));
    }
    PositionDropDown();
    InvalidateRect(nullptr, FALSE);
}

void XComboEx::PositionDropDown() {
    RECT picker, list;
    ::GetWindowRect(m_hWnd, &picker);
    ::GetWindowRect(*m_list, &list);
    int w = list.right - list.left, h = list.bottom - list.top;
    if (w <= 2 || h <= 2) {
        w = std::max<int>(picker.right - picker.left, kDefaultListWidth);
        h = kDefaultListHeight;
    }
    // Below the picker, or above it when the screen ends first.
    int y = picker.bottom;
    if (y + h > GetSystemMetrics(SM_CYSCREEN) && picker.top - h >= 0)
        y = picker.top - h;
    SetWindowPos(*m_list, HWND_TOP, picker.left, y, w, h, SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

// ---- Painting -----------------------------------------------------------------------------------

LRESULT XComboEx::OnPaint() {
    PAINTSTRUCT ps;
    HDC target = BeginPaint(m_hWnd, &ps);
    if (target != nullptr) {
        RECT client;
        ::GetClientRect(m_hWnd, &client);
        hostctl::PaintBuffer buffer(target, client);
        HDC dc = buffer.Dc();
        const COLORREF face = GetSysColor(COLOR_WINDOW);
        const COLORREF frame = hostctl::Mix(face, GetSysColor(COLOR_WINDOWTEXT), 0.45);
        hostctl::GdiOwner<HBRUSH> faceBrush(CreateSolidBrush(face));
        hostctl::GdiOwner<HBRUSH> frameBrush(CreateSolidBrush(frame));
        FillRect(dc, &client, faceBrush);
        FrameRect(dc, &client, frameBrush);

        // The drop-down button: a separator and a small arrow, pointing up while the list is open.
        RECT button{client.right - 1 - kButtonWidth, client.top + 1, client.right - 1, client.bottom - 1};
        hostctl::GdiOwner<HBRUSH> buttonBrush(
            CreateSolidBrush(hostctl::Mix(face, frame, IsDroppedDown() ? 0.35 : 0.15)));
        FillRect(dc, &button, buttonBrush);
        RECT line{button.left, button.top, button.left + 1, button.bottom};
        FillRect(dc, &line, frameBrush);
        const int cx = (button.left + button.right) / 2, cy = (button.top + button.bottom) / 2;
        const bool up = IsDroppedDown();
        POINT arrow[3] = {
            {cx - 4, up ? cy + 2 : cy - 2}, {cx + 4, up ? cy + 2 : cy - 2}, {cx, up ? cy - 2 : cy + 2}};
        hostctl::GdiOwner<HBRUSH> arrowBrush(CreateSolidBrush(GetSysColor(COLOR_WINDOWTEXT)));
        hostctl::GdiOwner<HPEN> arrowPen(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_WINDOWTEXT)));
        hostctl::Selected b(dc, arrowBrush), p(dc, arrowPen);
        Polygon(dc, arrow, 3);
    }
    EndPaint(m_hWnd, &ps);
    return 0;
}

} // namespace Control
