// Header documents as a page grid takes them: font aliases resolved against a theme, the document
// parsed by the host grid, a formatting record made for every column and a few cells formatted.
#include "grid/GeneralDataGrid.h"

#include <sdk/Kernel.h>

#include <cstdint>
#include <cstdlib>

namespace {

class Theme : public Conf::ITheme {
public:
    unsigned long AddRef() override { return 1; }
    unsigned long Release() override { return 1; }
    bool GetColor(const char*, COLORREF& colour) override {
        colour = RGB(1, 2, 3);
        return true;
    }
    bool GetFont(const char* key, Conf::ThemeFont& font) override {
        font.face = L"WenQuanYi Micro Hei";
        font.size = 12;
        // One font whose attribute text itself looks like an alias, to catch a substitution that
        // rescans what it inserted.
        font.attributes = std::string(key) == "fntn_font_bold"
                              ? L"font=\"_font_name\""
                              : L"font-family=\"WenQuanYi Micro Hei\" font-size=\"12\"";
        return true;
    }
    int GetNumber(const char*) override { return 0; }
    void GetName(XStringW& name) override { name = L"fuzz"; }
};

class Grid : public GeneralDataGrid {
public:
    using GeneralDataGrid::GetItemColor;
    using GeneralDataGrid::GetItemText;
};

// One row whose cells hold a text, a real, an integer and a null, under every column name the
// header may use: the cells are looked up by the header's names through the row.
Data::IDataRow* SampleRow() {
    struct Sample {
        XComPtr<Data::IDataTable> table;
        XComPtr<Data::IDataRow> row;
    };
    static Sample sample = [] {
        Sample made;
        XComPtr<IXUnknown> object;
        object.Attach(createInstance("Data.DataTable"));
        made.table = object.As<Data::IDataTable>();
        made.table->AddColumn(Data::kText, L"t");
        made.table->AddColumn(Data::kReal, L"r");
        made.table->AddColumn(Data::kInteger, L"i");
        made.table->AddColumn(Data::kText, L"n");
        made.table->AddRow();
        made.table->GetRow(made.row.Receive(), 0);
        made.row->GetValueAt(0)->SetText(L"-12.5万");
        made.row->GetValueAt(1)->SetDouble(123456789.25);
        made.row->GetValueAt(2)->SetInt(-20000);
        return made;
    }();
    return sample.row;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    if (size > 16384)
        return 0;
    XStringW xml = XStringW::FromUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
    static Theme theme;
    Grid grid;
    grid.SetTheme(&theme);
    if (grid.SetHeader(xml.c_str()) == 0)
        return 0;
    Data::IDataRow* row = SampleRow();
    for (int column = 0; column < grid.GetColumnCount(); ++column) {
        const Control::XDataGrid::HeaderInfo2* info = grid.GetColumn(column);
        ColumnFormat* format = grid.FindOrCreateFormat(info->name, info->item);
        if (format == nullptr)
            continue;
        for (const wchar_t* cell : {L"t", L"r", L"i", L"n"})
            (void)format->Format(row->GetValue(cell));
        (void)format->Format(nullptr);
    }
    return 0;
}
