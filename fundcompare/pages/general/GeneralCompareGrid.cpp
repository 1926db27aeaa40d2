// GeneralCompareGrid: the header of fund columns, the display texts and the drawing of group rows.
#include "pages/general/GeneralCompareGrid.h"

#include "grid/ValueFormater.h"

#include <sdk/Kernel.h>

namespace {

const wchar_t* const kRowLabels[GeneralCompareGrid::kRowCount] = {
    L"基金概况", L"基金公司", L"成立时间", L"投资风格", L"投资类型", L"申购状态", L"赎回状态",   L"成立规模",
    L"基金经理", L"最新净值", L"累计净值", L"基金规模", L"总资产",   L"净资产",   L"持有人户数", L"总份额",
    L"基金分红", L"分红次数", L"累计分红", L"基金评级", L"两年评级", L"三年评级", L"五年评级",
};

// How a fact row shows its field.
enum class Show { Group, Text, State, Amount, Stars };

struct Fact {
    const wchar_t* field;
    Show show;
};

const Fact kFacts[GeneralCompareGrid::kRowCount] = {
    {nullptr, Show::Group},
    {L"company", Show::Text},
    {L"createdate", Show::Text},
    {L"investstyle", Show::Text},
    {L"investtype", Show::Text},
    {L"buystate", Show::State},
    {L"redeemstate", Show::State},
    {L"issueshares", Show::Amount},
    {L"manager", Show::Text},
    {L"value", Show::Text},
    {L"totalvalue", Show::Text},
    {nullptr, Show::Group},
    {L"total_marketvalue", Show::Amount},
    {L"net_marketvalue", Show::Amount},
    {L"peoples", Show::Text},
    {L"quotient", Show::Amount},
    {nullptr, Show::Group},
    {L"bonus_times", Show::Text},
    {L"bonus", Show::Text},
    {nullptr, Show::Group},
    {L"star2", Show::Stars},
    {L"star3", Show::Stars},
    {L"star5", Show::Stars},
};

XStringW CellText(Data::IDataElement* cell) {
    return cell != nullptr ? cell->ToString() : XStringW();
}

} // namespace

GeneralCompareGrid::GeneralCompareGrid() {
    XComPtr<IXUnknown> object;
    object.Attach(createInstance("Data.DataTable"));
    m_resultTable = object.As<Data::IDataTable>();
}

GeneralCompareGrid::~GeneralCompareGrid() = default;

const wchar_t* GeneralCompareGrid::RowLabel(int row) {
    return row >= 0 && row < kRowCount ? kRowLabels[row] : L"";
}

bool GeneralCompareGrid::IsGroupRow(int row) {
    return row == 0 || row == 11 || row == 16 || row == 19;
}

XStringW GeneralCompareGrid::FormatAmount(Data::IDataElement* cell) {
    if (cell == nullptr || cell->IsNull())
        return L"--";
    const double x = cell->AsDouble();
    XStringW text;
    if (x >= 100000000.0)
        text.Format(L"%0.2f亿", x / 100000000.0);
    else if (x >= 10000.0)
        text.Format(L"%0.2f万", x / 10000.0);
    else
        text.Format(L"%0.2f", x);
    return DropSignOfZero(text);
}

XStringW GeneralCompareGrid::FormatState(const XStringW& state) {
    if (state == XStringW(L"0"))
        return L"暂停";
    if (state == XStringW(L"1"))
        return L"开放";
    return state;
}

XStringW GeneralCompareGrid::FormatStars(Data::IDataElement* cell) {
    const int n = cell != nullptr && !cell->IsNull() ? cell->AsInt() : 0;
    // A rating beyond five stars is not a rating; capping it keeps a corrupt figure from
    // producing an absurdly long cell.
    return n > 0 ? XStringW(static_cast<size_t>(n > 5 ? 5 : n), L'★') : XStringW();
}

XStringW GeneralCompareGrid::EscapeXmlAttribute(const XStringW& text) {
    std::wstring escaped;
    for (wchar_t c : text.str()) {
        // A character XML cannot hold (a NUL, another control character, U+FFFE) would make the
        // whole header malformed and blank the page; it is left out.
        const auto u = static_cast<unsigned long>(c);
        if ((u < 0x20 && c != L'\t' && c != L'\n' && c != L'\r') || (u >= 0xD800 && u <= 0xDFFF) ||
            u == 0xFFFE || u == 0xFFFF || u > 0x10FFFF)
            continue;
        switch (c) {
        case L'&':
            escaped += L"&amp;";
            break;
        case L'<':
            escaped += L"&lt;";
            break;
        case L'>':
            escaped += L"&gt;";
            break;
        case L'"':
            escaped += L"&quot;";
            break;
        case L'\n':
            escaped += L"&#10;";
            break;
        default:
            escaped += c;
        }
    }
    return XStringW(std::move(escaped));
}

XStringW GeneralCompareGrid::BuildHeaderXml() {
    XStringW xml(
        L"<header><item title=\"\" font=\"_font_bold\" align=\"center\" name=\"column\" width=\"100\" />");
    const int rows = m_resultTable != nullptr ? m_resultTable->GetRowCount() : 0;
    for (int i = 0; i < rows; ++i) {
        XComPtr<Data::IDataRow> row;
        if (!m_resultTable->GetRow(row.Receive(), i) || row == nullptr)
            continue;
        const XStringW code = ::CellText(row->GetValue(L"code"));
        const XStringW title = ::CellText(row->GetValue(L"name")) + XStringW(L"\n(") +
                               ::CellText(row->GetValue(L"aliascode")) + XStringW(L")");
        // Names and codes come from the database; escaped, a name with "&" or a quote still
        // yields a well-formed header instead of a grid without columns. The line feed is kept
        // as a character reference because attribute normalisation would turn it into a blank.
        xml += XStringW(L"<item title=\"") + EscapeXmlAttribute(title) +
               XStringW(L"\" font=\"_font_regular\" align=\"center\" name=\"") + EscapeXmlAttribute(code) +
               XStringW(L"\" width=\"200\" />");
    }
    xml += L"</header>";
    return xml;
}

void GeneralCompareGrid::RebuildValues() {
    m_values.clear();
    const int rows = m_resultTable != nullptr ? m_resultTable->GetRowCount() : 0;
    for (int i = 0; i < rows; ++i) {
        XComPtr<Data::IDataRow> row;
        if (!m_resultTable->GetRow(row.Receive(), i) || row == nullptr)
            continue;
        std::vector<XStringW> texts(kRowCount);
        for (int r = 0; r < kRowCount; ++r) {
            const Fact& fact = kFacts[r];
            if (fact.show == Show::Group)
                continue;
            Data::IDataElement* cell = row->GetValue(fact.field);
            switch (fact.show) {
            case Show::Text:
                texts[static_cast<size_t>(r)] = ::CellText(cell);
                break;
            case Show::State:
                texts[static_cast<size_t>(r)] = FormatState(::CellText(cell));
                break;
            case Show::Amount:
                texts[static_cast<size_t>(r)] = FormatAmount(cell);
                break;
            case Show::Stars:
                texts[static_cast<size_t>(r)] = FormatStars(cell);
                break;
            case Show::Group:
                break;
            }
        }
        m_values[::CellText(row->GetValue(L"code"))] = std::move(texts);
    }
    Refresh(false, true);
    if (IsWindow())
        ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

void GeneralCompareGrid::GetItemText(int row, const HeaderInfo2& item, XStringW& text) {
    if (item.name == XStringW(L"column")) {
        text = RowLabel(row);
        return;
    }
    const std::vector<XStringW>& texts = m_values[item.name];
    text = row >= 0 && static_cast<size_t>(row) < texts.size() ? texts[static_cast<size_t>(row)] : XStringW();
}

void GeneralCompareGrid::GetItemColor(int, const HeaderInfo2& item, const XStringW&, COLORREF& colour) {
    // The labels read as a second header, in the header's text colour.
    if (item.name == XStringW(L"column")) {
        colour = RGB(255, 255, 255);
        if (GetTheme() != nullptr)
            GetTheme()->GetColor("list_title", colour);
    }
}

void GeneralCompareGrid::DrawItem(HDC hdc, Gdiplus::Graphics* graphics, int row, const HeaderInfo2& item,
                                  const RECT& rect) {
    if (IsGroupRow(row))
        DrawHeaderBackgound(hdc, graphics, nullptr, rect);
    XDataGrid::DrawItem(hdc, graphics, row, item, rect);
}

bool GeneralCompareGrid::sort(const XStringW&, bool) {
    return false;
}

void GeneralCompareGrid::OnAfterChange(Data::IDataView*) {
    Refresh(false, true);
}
