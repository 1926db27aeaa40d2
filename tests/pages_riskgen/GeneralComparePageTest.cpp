// The general page on the fixture database: the fund columns, the fact texts as the grid shows
// them, the group rows, and what happens with odd codes, odd names and failed queries.
#include "PageFixture.h"

#include <sdk/Kernel.h>

namespace {

class GeneralComparePageTest : public PageFixture {
protected:
    GeneralComparePage& page() { return module.Workspace().General(); }
    GeneralCompareGrid& grid() { return page().Grid(); }

    void Show() {
        HWND window = CreatePage(page());
        ASSERT_NE(window, nullptr);
        ShowWindow(window, SW_SHOW);
        PlatformRunUntilIdle();
    }

    // The cell as the grid shows it, asked the way the host's scripted runs ask.
    std::wstring Cell(int row, int column) {
        Control::DataGridEx::CellTextRequest request;
        request.row = row;
        request.column = column;
        SendMessageW(grid(), Control::DataGridEx::kGetCellTextMessage, 0, reinterpret_cast<LPARAM>(&request));
        return request.text.str();
    }
};

XComPtr<Data::IDataTable> AmountTable(std::initializer_list<double> values) {
    XComPtr<IXUnknown> object;
    object.Attach(createInstance("Data.DataTable"));
    XComPtr<Data::IDataTable> table = object.As<Data::IDataTable>();
    table->AddColumn(Data::kReal, L"x");
    table->AddRow(); // null
    for (double value : values) {
        int row = table->AddRow();
        XComPtr<Data::IDataRow> data;
        table->GetRow(data.Receive(), row);
        data->GetValueAt(0)->SetDouble(value);
    }
    return table;
}

} // namespace

TEST(GeneralCompareFormats, AmountsScaleFromTenThousandAndHundredMillionUp) {
    XComPtr<Data::IDataTable> table = AmountTable({9999.99, 10000, 99999999, 100000000, -500000000});
    std::vector<std::wstring> texts;
    for (int i = 0; i < table->GetRowCount(); ++i) {
        XComPtr<Data::IDataRow> row;
        table->GetRow(row.Receive(), i);
        texts.push_back(GeneralCompareGrid::FormatAmount(row->GetValueAt(0)).str());
    }
    EXPECT_EQ(texts, (std::vector<std::wstring>{L"--", L"9999.99", L"1.00万", L"10000.00万", L"1.00亿",
                                                L"-500000000.00"}));
    EXPECT_EQ(GeneralCompareGrid::FormatAmount(nullptr), XStringW(L"--"));
}

TEST(GeneralCompareFormats, StatesStarsAndSlots) {
    EXPECT_EQ(GeneralCompareGrid::FormatState(L"0"), XStringW(L"暂停"));
    EXPECT_EQ(GeneralCompareGrid::FormatState(L"1"), XStringW(L"开放"));
    EXPECT_EQ(GeneralCompareGrid::FormatState(L"2"), XStringW(L"2"));
    EXPECT_EQ(GeneralCompareGrid::FormatState(L""), XStringW(L""));

    XComPtr<Data::IDataTable> table = AmountTable({3, 0, -2, 2e9});
    std::vector<std::wstring> stars;
    for (int i = 0; i < table->GetRowCount(); ++i) {
        XComPtr<Data::IDataRow> row;
        table->GetRow(row.Receive(), i);
        stars.push_back(GeneralCompareGrid::FormatStars(row->GetValueAt(0)).str());
    }
    // A corrupt rating of two billion stays a short cell instead of gigabytes of stars.
    EXPECT_EQ(stars, (std::vector<std::wstring>{L"", L"★★★", L"", L"", L"★★★★★"}));

    EXPECT_EQ(GeneralComparePage::FillSlots(L"a='%s' b='%s' in (%s)", {L"x%s", L"y", L"'1','2'"}),
              XStringW(L"a='x%s' b='y' in ('1','2')"));
    EXPECT_EQ(GeneralComparePage::FillSlots(L"only %s", {L"1", L"2"}), XStringW(L"only 1"));
}

TEST_F(GeneralComparePageTest, FundsBecomeColumnsInQueryOrderWithTheirFacts) {
    StartModule();
    Show();
    module.AddFund(L"F003");
    module.AddFund(L"F001");
    module.AddFund(L"F002");
    module.AddFund(L"F012"); // deleted: no column
    EXPECT_EQ(page().ReloadCount(), 4);
    ASSERT_EQ(grid().GetColumnCount(), 4);
    EXPECT_EQ(grid().GetColumn(1)->title, XStringW(L"华夏成长股票\n(000001)"));
    EXPECT_EQ(grid().GetColumn(1)->name, XStringW(L"F001"));
    EXPECT_EQ(grid().GetColumn(3)->name, XStringW(L"F003"));
    EXPECT_EQ(SendMessageW(grid(), Control::DataGridEx::kGetRowCountMessage, 0, 0), 23);

    EXPECT_EQ(Cell(0, 0), L"基金概况");
    EXPECT_EQ(Cell(22, 0), L"五年评级");
    EXPECT_EQ(Cell(0, 1), L"");
    EXPECT_EQ(Cell(1, 1), L"华夏基金管理有限公司"); // not the withdrawn company row
    EXPECT_EQ(Cell(2, 1), L"2001-12-18");
    EXPECT_EQ(Cell(4, 1), L"股票型");
    EXPECT_EQ(Cell(5, 1), L"开放");
    EXPECT_EQ(Cell(7, 1), L"32.00亿");
    std::wstring managers = Cell(8, 1);
    EXPECT_TRUE(managers == L"张伟,李娜" || managers == L"李娜,张伟") << managers;
    EXPECT_EQ(Cell(9, 1), L"1.2345");
    EXPECT_EQ(Cell(12, 1), L"1.00亿"); // at the latest report date, 2010-09-30
    EXPECT_EQ(Cell(13, 1), L"9500.00万");
    EXPECT_EQ(Cell(15, 1), L"50.00亿");
    EXPECT_EQ(Cell(17, 1), L"2");
    EXPECT_EQ(Cell(20, 1), L"★★★★★"); // the latest rating date, 2010-09-30
    EXPECT_EQ(Cell(21, 1), L"★★★★★");
    EXPECT_EQ(Cell(22, 1), L"★★★★★");

    EXPECT_EQ(Cell(5, 2), L"暂停");
    EXPECT_EQ(Cell(7, 2), L"1.00万");
    EXPECT_EQ(Cell(12, 2), L"--");
    EXPECT_EQ(Cell(21, 2), L"");
    EXPECT_EQ(Cell(5, 3), L"2");
    EXPECT_EQ(Cell(6, 3), L"暂停");

    // Removing a fund and telling the module gives a fresh query without it.
    module.RemoveFund(L"F001");
    module.NotifyFundsChanged(L"");
    EXPECT_EQ(grid().GetColumnCount(), 3);
    EXPECT_TRUE(PlatformMessageBoxes().empty());
}

TEST_F(GeneralComparePageTest, EveryFundColumnIsExportedAsNumbersAndTheLabelsAsText) {
    StartModule();
    Show();
    for (const wchar_t* code : {L"F001", L"F002", L"F003"})
        module.AddFund(code);
    const Control::DataGridEx::Sheet sheet = grid().ReadSheet(false);
    ASSERT_EQ(sheet.columns.size(), 4u);
    EXPECT_FALSE(sheet.columns[0].numeric);
    // The page is turned on its side: the first fund's column is a fund column like the others.
    for (size_t c = 1; c < sheet.columns.size(); ++c)
        EXPECT_TRUE(sheet.columns[c].numeric) << c;
}

TEST_F(GeneralComparePageTest, AnEmptySetShowsTheLabelsOnlyAndTheFactsDoNotSort) {
    StartModule();
    Show();
    module.AddFund(L"F001");
    module.ClearFunds();
    EXPECT_EQ(grid().GetColumnCount(), 1);
    EXPECT_EQ(Cell(11, 0), L"基金规模");
    EXPECT_EQ(SendMessageW(grid(), Control::DataGridEx::kGetRowCountMessage, 0, 0), 23);

    module.AddFund(L"F001");
    RECT header = grid().GetHeaderRect();
    RECT cell = grid().GetCellRect(0, 1);
    POINT click{(cell.left + cell.right) / 2, (header.top + header.bottom) / 2};
    ClientToScreen(grid(), &click);
    PlatformClick(click.x, click.y);
    PlatformRunUntilIdle();
    EXPECT_TRUE(grid().GetSortColumn().empty());
    EXPECT_EQ(Cell(1, 0), L"基金公司");
}

TEST_F(GeneralComparePageTest, CodesAndNamesFromTheDatabaseCannotBreakTheQueryOrTheHeader) {
    Alter("INSERT INTO tb_fund (code, aliascode, name, fundtype, investtype, isdellisting, isdeleted) VALUES "
          "('F''Q', '0''9', 'A&B \"C\" <D>', '契约型开放式', '股票型', 0, 0)");
    StartModule();
    Show();
    module.AddFund(L"F'Q");
    module.AddFund(L"F001");
    EXPECT_TRUE(PlatformMessageBoxes().empty());
    ASSERT_EQ(grid().GetColumnCount(), 3);
    EXPECT_EQ(grid().GetColumn(1)->name, XStringW(L"F'Q"));
    EXPECT_EQ(grid().GetColumn(1)->title, XStringW(L"A&B \"C\" <D>\n(0'9)"));
    EXPECT_EQ(Cell(4, 1), L"股票型");
    EXPECT_EQ(Cell(7, 1), L"--");
}

TEST_F(GeneralComparePageTest, AFailedQueryIsReportedAndKeepsWhatWasShown) {
    Alter("DROP TABLE tb_bonus");
    StartModule();
    Show();
    module.AddFund(L"F001");
    ASSERT_EQ(PlatformMessageBoxes().size(), 1u);
    EXPECT_EQ(PlatformMessageBoxes()[0].caption, L"ERROR");
    EXPECT_EQ(PlatformMessageBoxes()[0].owner, page().GetHandle());
    EXPECT_NE(PlatformMessageBoxes()[0].text.find(L"tb_bonus"), std::wstring::npos);
    EXPECT_EQ(grid().GetColumnCount(), 1);
    EXPECT_TRUE(grid().Values().empty());
}

TEST_F(GeneralComparePageTest, GroupRowsTakeTheHeaderBackgroundAndLabelsTheTitleColour) {
    StartModule();
    Show();
    module.AddFund(L"F001");
    module.AddFund(L"F002");
    module.AddFund(L"F004");
    PlatformPaintAll();
    for (int row : {0, 11, 16, 19}) {
        RECT cell = grid().GetCellRect(row, 1);
        ASSERT_LT(cell.top, cell.bottom) << row;
        EXPECT_EQ(PlatformWindowPixel(grid(), (cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2),
                  kHeaderBackground)
            << row;
    }
    RECT fact = grid().GetCellRect(2, 1);
    EXPECT_NE(PlatformWindowPixel(grid(), fact.left + 4, fact.top + 4), kHeaderBackground);

    // Somewhere in a label the title colour is drawn (text is antialiased, so nearly that colour).
    auto near = [](COLORREF a, COLORREF b) {
        return std::abs(GetRValue(a) - GetRValue(b)) < 24 && std::abs(GetGValue(a) - GetGValue(b)) < 24 &&
               std::abs(GetBValue(a) - GetBValue(b)) < 24;
    };
    RECT label = grid().GetCellRect(1, 0);
    bool titleColour = false;
    for (int x = label.left; x < label.right && !titleColour; ++x)
        for (int y = label.top; y < label.bottom && !titleColour; ++y)
            titleColour = near(PlatformWindowPixel(grid(), x, y), kTitle);
    EXPECT_TRUE(titleColour);
    ASSERT_TRUE(PlatformSaveWindowPng(page().GetHandle(), "/tmp/general_page.png"));
}
