// "mod_AssetAllocation" and "mod_IndustryAllocation": the host's pages that list one fund's
// holdings by report date. ShowFund(code) fills the page and shows it in the main frame's tab.
#pragma once

#include "HostWindow.h"
#include "MainFrame.h"

#include <hostkernel/RefCounted.h>
#include <sdk/ControlDataGrid.h>
#include <sdk/Modules.h>

#include <functional>

// A page with a title line and a grid of one fund's holdings.
class HoldingsPage final : public HostTabPage {
public:
    // Fills the table for a code; returns the fund's display text ("000001 华夏成长股票").
    using Loader = std::function<XStringW(Data::IDatabase*, const XStringW& code, Data::IDataTable* table)>;

    HoldingsPage(XStringW title, Data::IDatabase* database, Loader loader);

    void ShowFundCode(const XStringW& code);
    // Reads from another database: the fund shown is read again from it.
    void UseDatabase(Data::IDatabase* database);
    const XStringW& FundText() const { return m_fundText; }
    Data::IDataTable* Table() const { return m_table; }
    Control::DataGridEx& Grid() { return m_grid; }
    void ApplyTheme(Conf::ITheme* theme);

    void GetTitle(XStringW& title) override { title = m_title; }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    class HoldingsGrid final : public Control::DataGridEx {
    public:
        explicit HoldingsGrid(HoldingsPage& page) : m_page(page) {}

    protected:
        int GetRowsCount() override;
        void GetItemText(int row, const HeaderInfo2& item, XStringW& text) override;

    private:
        HoldingsPage& m_page;
    };

    ~HoldingsPage() override;
    void RebuildHeader();

    XStringW m_title;
    XComPtr<Data::IDatabase> m_database;
    Loader m_loader;
    XComPtr<Data::IDataTable> m_table;
    HoldingsGrid m_grid;
    XStringW m_fundText;
    XStringW m_code; // the fund shown; empty before the first
    COLORREF m_back = RGB(11, 13, 18), m_text = RGB(200, 204, 212);
    HBRUSH m_backBrush = nullptr;
};

// One module class for both: the page it shows decides what is listed.
template <class Interface>
class HoldingsModule final : public HostKernel::RefCounted<Interface> {
public:
    HoldingsModule(const char* id, MainFrame* frame, HoldingsPage* page)
        : m_id(id), m_frame(frame), m_page(page) {}

    bool GetInfo(ModuleInfo& info) override {
        info.id = m_id;
        XStringW title;
        m_page->GetTitle(title);
        info.title = title;
        return true;
    }
    int Load(void*, void*) override { return 0; }
    int Initialize(IApp*, XStringW&) override { return 0; }
    void Uninitialize() override {}
    // Fills the page and shows it, adding it to the frame's tab on first use.
    void ShowFund(const XStringW& code) override {
        m_page->ShowFundCode(code);
        TabCtrl* tabs = m_frame->FundFilterTab();
        if (tabs->IndexOf(m_page) < 0)
            tabs->AddPage(m_page);
        m_frame->ActivatePage(m_page);
    }

private:
    const char* m_id;
    MainFrame* m_frame; // not owned: the host outlives its modules
    XComPtr<HoldingsPage> m_page;
};

// The loaders of the two pages.
XStringW LoadAssetHoldings(Data::IDatabase* database, const XStringW& code, Data::IDataTable* table);
XStringW LoadIndustryHoldings(Data::IDatabase* database, const XStringW& code, Data::IDataTable* table);
