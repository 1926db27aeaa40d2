// GeneralComparePage: The first tab, 综合对比: the compared funds side by side as columns over their facts.
#pragma once

#include "pages/common/ComparePage.h"
#include "pages/general/GeneralCompareGrid.h"

class GeneralComparePage : public ComparePage {
public:
    GeneralComparePage();
    ~GeneralComparePage() override;

    void ApplyTheme(Conf::ITheme* theme) override;
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    // Rebuilds the page from the compared-fund set, whether the page is visible or not.
    void Reload();
    // The page follows every change of the set at once, visible or not.
    void OnFundsAdded() override { Reload(); }
    void OnFundsRemoved() override { Reload(); }
    void OnFundsCleared() override { Reload(); }
    void OnDatabaseChanged() override { Reload(); }
    int ReloadCount() const { return m_reloads; }

    GeneralCompareGrid& Grid() { return m_grid; }

    // The template with its "%s" slots filled in order; slots beyond the values stay as they are.
    // The values are not reread for slots, so a "%s" inside one is left alone.
    static XStringW FillSlots(const XStringW& sqlTemplate, std::initializer_list<XStringW> values);

private:
    void RebuildHeader();
    // The latest balance-sheet date, empty when it cannot be read.
    XStringW LatestReportDate();

    GeneralCompareGrid m_grid;
    int m_reloads = 0;
};
