// ManagerGrid: a list of managers with the fund's return under each — the manager view's rows (one
// per compared fund and current manager) and, with another header, one fund's managers over its
// life. Figures that cannot be worked out are null cells and show "--"; every column sorts by value,
// nulls last. Enter (or a double click) on a row hands its fund to the page; the context menu and
// Delete take the selected funds out of the comparison.
#pragma once

#include "grid/GeneralDataGrid.h"
#include "pages/fees/ManagerRecord.h"

#include <functional>

class ManagerGrid : public GeneralDataGrid {
public:
    struct Row {
        XStringW code;
        XStringW aliascode;
        XStringW name;
        StintFigures figures;
        int changes = -1;    // -1: not shown
        int otherFunds = -1; // -1: not known
        XStringW investType; // what the filter picks by
    };
    using EnterHandler = std::function<void(const XStringW& code)>;

    explicit ManagerGrid(UINT removeCommand);
    ~ManagerGrid() override;

    // The table the grid shows: code, aliascode, name, investtype, manager, startdate, enddate, fromdate
    // (text), tenure, fundreturn, annualreturn, indexreturn (real), changes, otherfunds (integer).
    Data::IDataTable* Table() const { return m_table; }
    void Bind();
    // Replaces the rows in one update.
    void Fill(const std::vector<Row>& rows);
    void Clear();
    void SetEnterHandler(EnterHandler handler) { m_onEnter = std::move(handler); }

protected:
    void OnContextMenu(int x, int y) override;
    UINT RemoveCommand() const override { return m_removeCommand; }
    void OnEnterItem(int row) override;

private:
    XComPtr<Data::IDataTable> m_table;
    UINT m_removeCommand;
    EnterHandler m_onEnter;
};
