// ManagerGrid: the managers table, its fill and the menu.
#include "pages/fees/ManagerGrid.h"

#include "pages/growth/GrowthDates.h"

#include <sdk/Kernel.h>

#include <cmath>

namespace {

constexpr const wchar_t* kTextColumns[] = {L"code",    L"aliascode", L"name",    L"investtype",
                                           L"manager", L"startdate", L"enddate", L"fromdate"};
constexpr const wchar_t* kRealColumns[] = {L"tenure", L"fundreturn", L"annualreturn", L"indexreturn"};
constexpr const wchar_t* kIntegerColumns[] = {L"changes", L"otherfunds"};

void SetNumber(Data::IDataElement* cell, double value) {
    if (cell == nullptr)
        return;
    if (std::isfinite(value))
        cell->SetDouble(value);
    else
        cell->SetNull();
}

void SetCount(Data::IDataElement* cell, int value) {
    if (cell == nullptr)
        return;
    if (value >= 0)
        cell->SetInt(value);
    else
        cell->SetNull();
}

void SetText(Data::IDataElement* cell, const XStringW& text) {
    if (cell != nullptr)
        cell->SetText(text.c_str());
}

XStringW DayText(int day) {
    return day >= 0 ? GrowthDates::Format(day) : XStringW(L"--");
}

} // namespace

ManagerGrid::ManagerGrid(UINT removeCommand) : m_removeCommand(removeCommand) {
    XComPtr<IXUnknown> object;
    object.Attach(createInstance("Data.DataTable"));
    m_table = object.As<Data::IDataTable>();
    if (m_table) {
        for (const wchar_t* name : kTextColumns)
            m_table->AddColumn(Data::kText, name);
        for (const wchar_t* name : kRealColumns)
            m_table->AddColumn(Data::kReal, name);
        for (const wchar_t* name : kIntegerColumns)
            m_table->AddColumn(Data::kInteger, name);
    }
}

ManagerGrid::~ManagerGrid() = default;

void ManagerGrid::Bind() {
    SetDataSource(m_table);
}

void ManagerGrid::Clear() {
    if (m_table)
        m_table->Clear(0);
}

void ManagerGrid::Fill(const std::vector<Row>& rows) {
    if (!m_table)
        return;
    XComPtr<Data::IUpdateContext> update;
    m_table->BeginUpdate(update.Receive());
    m_table->Clear(1);
    for (const Row& row : rows) {
        XComPtr<Data::IDataRow> dataRow;
        if (!m_table->GetRow(dataRow.Receive(), m_table->AddRow()) || !dataRow)
            continue;
        const StintFigures& f = row.figures;
        SetText(dataRow->GetValue(L"code"), row.code);
        SetText(dataRow->GetValue(L"aliascode"), row.aliascode);
        SetText(dataRow->GetValue(L"name"), row.name);
        SetText(dataRow->GetValue(L"investtype"), row.investType.empty() ? XStringW(L"--") : row.investType);
        SetText(dataRow->GetValue(L"manager"), f.stint.name.empty() ? XStringW(L"--") : f.stint.name);
        SetText(dataRow->GetValue(L"startdate"), DayText(f.stint.start));
        SetText(dataRow->GetValue(L"enddate"), f.stint.end >= 0 ? DayText(f.stint.end) : XStringW(L"至今"));
        SetText(dataRow->GetValue(L"fromdate"), DayText(f.fromDay));
        SetNumber(dataRow->GetValue(L"tenure"), f.tenureYears);
        SetNumber(dataRow->GetValue(L"fundreturn"), f.fundReturn);
        SetNumber(dataRow->GetValue(L"annualreturn"), f.annualReturn);
        SetNumber(dataRow->GetValue(L"indexreturn"), f.indexReturn);
        SetCount(dataRow->GetValue(L"changes"), row.changes);
        SetCount(dataRow->GetValue(L"otherfunds"), row.otherFunds);
    }
    if (update)
        update->Commit();
}

void ManagerGrid::OnContextMenu(int x, int y) {
    ShowRemoveMenu(x, y, m_removeCommand);
}

void ManagerGrid::OnEnterItem(int row) {
    const XStringW code = GetRowCode(row);
    if (m_onEnter && !code.empty())
        m_onEnter(code);
}
