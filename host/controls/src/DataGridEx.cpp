// Control::DataGridEx: the grid that module grids derive from. It adds the text a cell carries
// when it leaves the grid (dragged out, or asked for by the host's scripted runs), and the keys
// and the command that export and copy the list (DataGridExport.cpp).
#include <sdk/ControlDataGrid.h>

#include <sdk/XComPtr.h>

namespace Control {

DataGridEx::DataGridEx() = default;
DataGridEx::~DataGridEx() = default;

LRESULT DataGridEx::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case kGetCellTextMessage: {
        auto* request = reinterpret_cast<CellTextRequest*>(lParam);
        if (request == nullptr)
            return 0;
        const HeaderInfo2* column = GetColumn(request->column);
        if (column == nullptr || request->row < 0 || request->row >= GetRowsCount())
            return 0;
        if (!DragItemToString(request->row, column->name, request->text))
            return 0;
        double number = 0;
        if (GetItemNumber(request->row, *column, number))
            request->number = number;
        return 1;
    }
    case kGetRowCountMessage:
        return GetRowsCount();
    case WM_COMMAND:
        if (LOWORD(wParam) == kExportCommand) {
            ExportWithDialog();
            return 0;
        }
        break;
    case WM_KEYDOWN:
        // Ctrl+S saves the list to a file and Ctrl+C copies its rows, wherever the list lives.
        if ((GetKeyState(VK_CONTROL) & 0x8000) != 0 && (GetKeyState(VK_MENU) & 0x8000) == 0) {
            if (wParam == 'S') {
                ExportWithDialog();
                return 0;
            }
            if (wParam == 'C') {
                CopyRows();
                return 0;
            }
        }
        break;
    default:
        break;
    }
    return XDataGrid::WndProc(message, wParam, lParam);
}

bool DataGridEx::DragItemToString(int row, const XStringW& name, Data::IDataContainer* source,
                                  XStringW& text) {
    text.clear();
    if (source == nullptr || row < 0 || row >= source->GetRowCount())
        return false;
    XComPtr<Data::IDataRow> dataRow;
    if (!source->GetRow(dataRow.Receive(), row) || !dataRow)
        return false;
    Data::IDataElement* element = dataRow->GetValue(name.c_str());
    if (element == nullptr)
        return false;
    text = element->ToString();
    return true;
}

bool DataGridEx::DragItemToString(int row, const XStringW& name, XStringW& text) {
    text.clear();
    HeaderInfo2 item;
    if (row < 0 || row >= GetRowsCount() || !GetHeaderInfo(name.c_str(), item))
        return false;
    GetItemText(row, item, text);
    return true;
}

} // namespace Control
