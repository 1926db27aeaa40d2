// GeneralCompareGrid: the general page's transposed table. Its 23 rows are the facts, fixed; its
// columns are the label column and one column per fund of the last query. The grid is bound to no
// view: it answers the host grid's cell queries from the display texts it keeps per fund.
#pragma once

#include "grid/GeneralDataGrid.h"

#include <map>
#include <vector>

class GeneralCompareGrid : public GeneralDataGrid {
public:
    static constexpr int kRowCount = 23;

    GeneralCompareGrid();
    ~GeneralCompareGrid() override;

    // The rows of the last successful query, one per fund.
    Data::IDataTable* ResultTable() const { return m_resultTable; }
    // The header document for the funds of the result table.
    XStringW BuildHeaderXml();
    // Rebuilds the per-fund display texts from the result table.
    void RebuildValues();

    static const wchar_t* RowLabel(int row);
    static bool IsGroupRow(int row);
    // The display of an amount: "--" when missing, else scaled to 亿 or 万 from those units up.
    static XStringW FormatAmount(Data::IDataElement* cell);
    // "0" reads 暂停 (suspended) and "1" 开放 (open); any other state shows as it is.
    static XStringW FormatState(const XStringW& state);
    static XStringW FormatStars(Data::IDataElement* cell);
    // The text with the characters that would end or break an XML attribute written as entities.
    static XStringW EscapeXmlAttribute(const XStringW& text);

    void OnAfterChange(Data::IDataView* view) override;

    // The texts of a fund's cells, for callers that check what a column holds.
    const std::map<XStringW, std::vector<XStringW>>& Values() const { return m_values; }

protected:
    int GetRowsCount() override { return kRowCount; }
    void GetItemText(int row, const HeaderInfo2& item, XStringW& text) override;
    void GetItemColor(int row, const HeaderInfo2& item, const XStringW& text, COLORREF& colour) override;
    void DrawItem(HDC hdc, Gdiplus::Graphics* graphics, int row, const HeaderInfo2& item,
                  const RECT& rect) override;
    // The facts have a fixed order that a sort would only scramble.
    bool sort(const XStringW& name, bool ascending) override;
    void OnHeaderChange() override {}
    void OnResetHeader() override {}
    void OnEnterItem(int) override {}
    // Exported as shown: the fund columns hold amounts and figures, the group rows are captions.
    bool IsNumericColumn(int column) override { return column > 0; }
    bool IsCaptionRow(int row) override { return IsGroupRow(row); }

private:
    XComPtr<Data::IDataTable> m_resultTable;
    std::map<XStringW, std::vector<XStringW>> m_values;
};
