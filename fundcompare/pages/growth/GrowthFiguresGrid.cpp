// GrowthFiguresGrid: the figures table, its fill and the removal menu.
#include "pages/growth/GrowthFiguresGrid.h"

#include "pages/growth/GrowthDates.h"

#include <sdk/Kernel.h>

#include <cmath>

namespace {

constexpr const wchar_t* kTextColumns[] = {L"code",     L"aliascode", L"name",      L"firstdate",
                                           L"lastdate", L"peakdate",  L"troughdate"};
constexpr const wchar_t* kFigureColumns[] = {L"totalreturn", L"annualreturn", L"volatility", L"maxdrawdown",
                                             L"sharpe",      L"sortino",      L"calmar",     L"beta",
                                             L"alpha",       L"correlation"};

void SetNumber(Data::IDataElement* cell, double value) {
    if (cell == nullptr)
        return;
    if (std::isfinite(value))
        cell->SetDouble(value);
    else
        cell->SetNull();
}

void SetText(Data::IDataElement* cell, const XStringW& text) {
    if (cell != nullptr)
        cell->SetText(text.c_str());
}

} // namespace

GrowthFiguresGrid::GrowthFiguresGrid() {
    XComPtr<IXUnknown> object;
    object.Attach(createInstance("Data.DataTable"));
    m_table = object.As<Data::IDataTable>();
    if (m_table) {
        for (const wchar_t* name : kTextColumns)
            m_table->AddColumn(Data::kText, name);
        for (const wchar_t* name : kFigureColumns)
            m_table->AddColumn(Data::kReal, name);
    }
}

GrowthFiguresGrid::~GrowthFiguresGrid() = default;

void GrowthFiguresGrid::Bind() {
    SetDataSource(m_table);
}

void GrowthFiguresGrid::Clear() {
    if (m_table)
        m_table->Clear(0);
}

void GrowthFiguresGrid::Fill(const std::vector<Row>& rows) {
    if (!m_table)
        return;
    XComPtr<Data::IUpdateContext> update;
    m_table->BeginUpdate(update.Receive());
    m_table->Clear(1);
    for (const Row& row : rows) {
        XComPtr<Data::IDataRow> dataRow;
        if (!m_table->GetRow(dataRow.Receive(), m_table->AddRow()) || !dataRow)
            continue;
        const GrowthFigures::Figures& f = row.figures;
        SetText(dataRow->GetValue(L"code"), row.code);
        SetText(dataRow->GetValue(L"aliascode"), row.aliascode);
        SetText(dataRow->GetValue(L"name"), row.name);
        if (f.firstDay >= 0)
            SetText(dataRow->GetValue(L"firstdate"), GrowthDates::Format(f.firstDay));
        if (f.lastDay >= 0)
            SetText(dataRow->GetValue(L"lastdate"), GrowthDates::Format(f.lastDay));
        if (f.peakDay >= 0)
            SetText(dataRow->GetValue(L"peakdate"), GrowthDates::Format(f.peakDay));
        if (f.troughDay >= 0)
            SetText(dataRow->GetValue(L"troughdate"), GrowthDates::Format(f.troughDay));
        SetNumber(dataRow->GetValue(L"totalreturn"), f.totalReturn);
        SetNumber(dataRow->GetValue(L"annualreturn"), f.annualReturn);
        SetNumber(dataRow->GetValue(L"volatility"), f.volatility);
        SetNumber(dataRow->GetValue(L"maxdrawdown"), f.maxDrawdown);
        SetNumber(dataRow->GetValue(L"sharpe"), f.sharpe);
        SetNumber(dataRow->GetValue(L"sortino"), f.sortino);
        SetNumber(dataRow->GetValue(L"calmar"), f.calmar);
        SetNumber(dataRow->GetValue(L"beta"), f.beta);
        SetNumber(dataRow->GetValue(L"alpha"), f.alpha);
        SetNumber(dataRow->GetValue(L"correlation"), f.correlation);
    }
    if (update)
        update->Commit();
}

void GrowthFiguresGrid::OnContextMenu(int x, int y) {
    ShowRemoveMenu(x, y, kRemoveCommand);
}
