// CorrelationMatrixGrid: the header, the table and the tips of the matrix list.
#include "pages/growth/CorrelationMatrixGrid.h"

#include <cmath>
#include <set>

namespace {

// Wide enough for a six-digit code or a coefficient such as -0.97 in the digital font.
constexpr int kValueWidth = 66;
constexpr int kNameWidth = 170;
constexpr int kCodeWidth = 70;

XStringW ValueText(double value) {
    return std::isfinite(value) ? XStringW().Format(L"%.2f", value) : XStringW(L"--");
}

XStringW FullName(const CorrelationMatrixGrid::Fund& fund) {
    return (fund.name.empty() ? fund.code : fund.name) + XStringW(L"（") + fund.aliascode + XStringW(L"）");
}

} // namespace

CorrelationMatrixGrid::CorrelationMatrixGrid() {
    SetTipSource([this](int row, const XStringW& column) { return Tip(row, column); });
}

CorrelationMatrixGrid::~CorrelationMatrixGrid() = default;

XStringW CorrelationMatrixGrid::ColumnName(size_t index) {
    return XStringW().Format(L"corr%u", static_cast<unsigned>(index));
}

void CorrelationMatrixGrid::SetHeatColours(COLORREF positive, COLORREF negative) {
    m_positive = positive;
    m_negative = negative;
}

void CorrelationMatrixGrid::Fill(std::vector<Fund> funds, std::vector<double> matrix) {
    m_funds = std::move(funds);
    m_matrix = std::move(matrix);
    const size_t n = m_funds.size();
    m_matrix.resize(n * n, NAN);

    std::vector<ColumnSpec> columns = {
        {L"code", Data::kText}, {L"name", Data::kText}, {L"aliascode", Data::kText}};
    XStringW header =
        XStringW(L"<header>") +
        HeaderItem(L"名称", L"name", kNameWidth, L"left", L"_font_name", L"list_name", nullptr) +
        HeaderItem(L"代码", L"aliascode", kCodeWidth, L"center", L"_font_digital", L"list_name", nullptr);
    std::set<XStringW> values;
    for (size_t k = 0; k < n; ++k) {
        const XStringW name = ColumnName(k);
        values.insert(name);
        columns.push_back({name, Data::kReal});
        // The code is short enough never to be cut; the tip of the title gives the whole name.
        header += HeaderItem(m_funds[k].aliascode.empty() ? m_funds[k].code : m_funds[k].aliascode, name,
                             kValueWidth, L"center", L"_font_digital", nullptr, L"%.02f");
    }
    header += L"</header>";
    SetWeightColumns(values, false);
    SetHeat(values, 1.0, m_positive);
    SetNegativeHeat(m_negative);
    SetHeader(header.c_str());
    Data::IDataTable* table = Reset(columns);
    if (table == nullptr)
        return;
    XComPtr<Data::IUpdateContext> update;
    table->BeginUpdate(update.Receive());
    for (size_t r = 0; r < n; ++r) {
        XComPtr<Data::IDataRow> row;
        if (!table->GetRow(row.Receive(), table->AddRow()) || !row)
            continue;
        if (Data::IDataElement* cell = row->GetValueAt(0))
            cell->SetText(m_funds[r].code.c_str());
        if (Data::IDataElement* cell = row->GetValueAt(1))
            cell->SetText(m_funds[r].name.c_str());
        if (Data::IDataElement* cell = row->GetValueAt(2))
            cell->SetText(m_funds[r].aliascode.c_str());
        for (size_t c = 0; c < n; ++c)
            if (Data::IDataElement* cell = row->GetValueAt(static_cast<int>(3 + c)))
                if (std::isfinite(m_matrix[r * n + c]))
                    cell->SetDouble(m_matrix[r * n + c]);
    }
    if (update)
        update->Commit();
}

double CorrelationMatrixGrid::Value(size_t row, size_t column) const {
    const size_t n = m_funds.size();
    return row < n && column < n ? m_matrix[row * n + column] : NAN;
}

size_t CorrelationMatrixGrid::IndexOfCode(const XStringW& code) const {
    for (size_t k = 0; k < m_funds.size(); ++k)
        if (m_funds[k].code == code)
            return k;
    return m_funds.size();
}

size_t CorrelationMatrixGrid::IndexOfColumn(const XStringW& column) const {
    for (size_t k = 0; k < m_funds.size(); ++k)
        if (ColumnName(k) == column)
            return k;
    return m_funds.size();
}

XStringW CorrelationMatrixGrid::Tip(int row, const XStringW& column) {
    const size_t c = IndexOfColumn(column);
    if (c >= m_funds.size())
        return XStringW();
    if (row < 0)
        return FullName(m_funds[c]);
    const size_t r = IndexOfCode(RowCode(row));
    if (r >= m_funds.size())
        return XStringW();
    const double value = Value(r, c);
    XStringW tip =
        FullName(m_funds[r]) + XStringW(L" 与 ") + FullName(m_funds[c]) + XStringW(L"：") + ValueText(value);
    if (!std::isfinite(value))
        tip += XStringW(L"（两者共同的日收益率不足两个）");
    return tip;
}
