// Lists leaving the program: how shown texts read as numbers, the sheet read from a grid (groups
// and caption rows merged, selections), the CSV and workbook files read back, the context menu's
// "导出..." through the save dialog, and Ctrl+C onto the clipboard.
#include "GridTestSupport.h"
#include "support/XlsxReader.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <unistd.h>

namespace gridtest {
namespace {

// A list with a group column (drawn once over equal runs) and an optional caption row, which keeps
// the base grid's context menu.
class ExportGrid : public Control::DataGridEx {
public:
    std::vector<std::vector<std::wstring>> rows;
    int captionRow = -1;
    std::wstring group;

protected:
    int GetRowsCount() override { return static_cast<int>(rows.size()); }
    void GetItemText(int row, const HeaderInfo2& item, XStringW& text) override {
        text.clear();
        if (row >= 0 && row < static_cast<int>(rows.size()) &&
            item.index < static_cast<int>(rows[row].size()))
            text = rows[row][item.index];
    }
    XStringW GetGroupColumn() override { return XStringW(group); }
    bool IsCaptionRow(int row) override { return row == captionRow; }
    bool GetItemNumber(int row, const HeaderInfo2& item, double& value) override {
        auto found = numbers.find({row, item.index});
        if (found == numbers.end())
            return false;
        value = found->second;
        return true;
    }

public:
    std::map<std::pair<int, int>, double> numbers; // the full-precision value behind a cell
};

// A page around a list that says what the list shows, as the comparison pages do.
LRESULT CALLBACK captionPage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == Control::DataGridEx::kGetExportCaptionMessage) {
        *reinterpret_cast<XStringW*>(lParam) = XStringW(L"报告期 2010-06-30");
        return 1;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

const wchar_t* kHeader = L"<header>"
                         L"<item title='期间' name='period' width='90'/>"
                         L"<item title='代码' name='code' width='70'/>"
                         L"<item title='增长率' name='yield' width='80' data_type='d'/>"
                         L"<item title='市值' name='amount' width='100' data_type='double'/>"
                         L"</header>";

class GridExport : public ::testing::Test {
protected:
    void SetUp() override {
        PlatformStartHeadless(800, 600);
        folder = std::filesystem::temp_directory_path() /
                 ("grid-export-" + std::to_string(::getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(folder);
        grid.rows = {{L"最近一周", L"000001", L"12.34%", L"1.23亿"},
                     {L"最近一周", L"110011", L"-1.20%", L"5.68万"},
                     {L"最近一月", L"000001", L"0.00%", L"999.00"},
                     {L"最近一月", L"110011", L"--", L""}};
        grid.group = L"period";
        grid.SetHeader(kHeader);
        grid.SetExportName(L"业绩表现");
        ASSERT_TRUE(grid.Create(L"grid", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, nullptr));
        grid.Refresh(false, false);
        PlatformRunUntilIdle();
    }
    void TearDown() override {
        PlatformSetSaveDialogHook({});
        PlatformSetMenuHook({});
        PlatformSetMessageBoxHook({});
        std::filesystem::remove_all(folder);
    }
    std::string read(const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    // A right click on the header opens the context menu without changing the selection.
    void rightClickHeader() {
        RECT header = grid.GetHeaderRect();
        PlatformClick((header.left + header.right) / 2, (header.top + header.bottom) / 2,
                      PlatformMouseButton::Right);
        PlatformRunUntilIdle();
    }

    ExportGrid grid;
    std::filesystem::path folder;
};

TEST(ShownNumbers, PercentagesAmountsAndPlainNumbersReadAsTheyAreShown) {
    struct Case {
        const wchar_t* text;
        double value;
        const char* format;
    } cases[] = {
        {L"12.34%", 0.1234, "0.00%"},
        {L"-1.20%", -0.012, "0.00%"},
        {L"1.23亿", 1.23, "0.00\"亿\""},
        {L"5.68万", 5.68, "0.00\"万\""},
        {L"-2.00万", -2.0, "0.00\"万\""},
        {L"999.00", 999.0, "0.00"},
        {L"1,234.5", 1234.5, "#,##0.0"},
        {L"-12,345,678", -12345678.0, "#,##0"},
        {L"0", 0.0, "0"},
        {L"17", 17.0, "0"},
        {L"0.5", 0.5, "0.0"},
        {L" 3.10 ", 3.1, "0.00"},
        {L"+7", 7.0, "0"},
    };
    for (const Case& c : cases) {
        double value = -1;
        std::string format;
        ASSERT_TRUE(Control::ParseShownNumber(XStringW(c.text), value, format)) << XStringW(c.text).ToUtf8();
        EXPECT_NEAR(value, c.value, 1e-12) << XStringW(c.text).ToUtf8();
        EXPECT_EQ(format, c.format) << XStringW(c.text).ToUtf8();
    }
    // Codes, dates, ratings, ranks and placeholders stay text.
    for (const wchar_t* text :
         {L"000001",   L"007", L"--",  L"",    L"2009-12-31", L"★★★",     L"3/120", L"1.",
          L".5",       L"-",   L"%",   L"万",  L"1.2.3",      L",123",    L"12,",   L"1,23",
          L"1234,567", L"inf", L"nan", L"1e5", L"12.34%%",    L"1.23亿元"}) {
        double value = 0;
        std::string format;
        EXPECT_FALSE(Control::ParseShownNumber(XStringW(text), value, format)) << XStringW(text).ToUtf8();
    }
}

TEST_F(GridExport, TheSheetHoldsTheShownTextsWithGroupsAndCaptionsMerged) {
    Control::DataGridEx::Sheet sheet = grid.ReadSheet(false);
    EXPECT_EQ(sheet.name.str(), L"业绩表现");
    ASSERT_EQ(sheet.columns.size(), 4u);
    EXPECT_EQ(sheet.columns[2].title.str(), L"增长率");
    EXPECT_EQ(sheet.columns[0].width, 90);
    // data_type real (any word starting with d) makes a column numeric; no data_type keeps text.
    EXPECT_FALSE(sheet.columns[1].numeric);
    EXPECT_TRUE(sheet.columns[2].numeric);
    EXPECT_TRUE(sheet.columns[3].numeric);
    ASSERT_EQ(sheet.rows.size(), 4u);
    EXPECT_EQ(sheet.rows[1][2].str(), L"-1.20%");
    // Two runs of two rows in the group column; a single row or an empty text is no merge.
    ASSERT_EQ(sheet.merges.size(), 2u);
    EXPECT_EQ(sheet.merges[0].firstRow, 0);
    EXPECT_EQ(sheet.merges[0].lastRow, 1);
    EXPECT_EQ(sheet.merges[1].firstRow, 2);
    EXPECT_EQ(sheet.merges[1].lastRow, 3);
    EXPECT_EQ(sheet.merges[1].firstColumn, 0);
    EXPECT_EQ(sheet.merges[1].lastColumn, 0);

    grid.rows[2][0] = L"最近一周";
    grid.rows[3][0] = L"";
    grid.captionRow = 3;
    grid.SetZoom(1.5);
    sheet = grid.ReadSheet(false);
    // The caption row spans every column; the group run now covers three rows.
    ASSERT_EQ(sheet.merges.size(), 2u);
    EXPECT_EQ(sheet.merges[0].firstRow, 3);
    EXPECT_EQ(sheet.merges[0].lastColumn, 3);
    EXPECT_EQ(sheet.merges[1].lastRow, 2);
    // Widths as on the screen, zoom included.
    EXPECT_EQ(sheet.columns[0].width, 135);

    // Only the selected rows, in the grid's order; all rows when none is selected.
    grid.SetMultiSel(true);
    grid.SetCurrSel(3);
    PlatformKeyDown(VK_SHIFT);
    PlatformKeyPress(VK_UP);
    PlatformKeyPress(VK_UP);
    PlatformKeyUp(VK_SHIFT);
    PlatformRunUntilIdle();
    sheet = grid.ReadSheet(true);
    ASSERT_EQ(sheet.rows.size(), 3u);
    EXPECT_EQ(sheet.rows[0][1].str(), L"110011");
    EXPECT_EQ(sheet.rows[2][3].str(), L"");
    grid.ClearMultiSel();
    EXPECT_EQ(grid.ReadSheet(true).rows.size(), 4u);
}

TEST_F(GridExport, CsvCarriesAByteOrderMarkAndQuotesWhatWouldBreakAField) {
    grid.rows[0][1] = L"a,b";
    grid.rows[1][1] = L"say \"hi\"";
    grid.rows[2][1] = L"two\nlines";
    XStringW error;
    std::filesystem::path file = folder / "list.csv";
    ASSERT_TRUE(grid.ExportTo(XStringW::FromUtf8(file.string()), error)) << error.ToUtf8();
    std::string csv = read(file);
    ASSERT_GE(csv.size(), 3u);
    EXPECT_EQ(csv.substr(0, 3), "\xEF\xBB\xBF");
    // A code a spreadsheet would read as the number 110011 goes as the formula of its text; the
    // placeholder of a missing number is an empty field.
    EXPECT_EQ(csv.substr(3), "期间,代码,增长率,市值\r\n"
                             "最近一周,\"a,b\",12.34%,1.23亿\r\n"
                             "最近一周,\"say \"\"hi\"\"\",-1.20%,5.68万\r\n"
                             "最近一月,\"two\nlines\",0.00%,999.00\r\n"
                             "最近一月,\"=\"\"110011\"\"\",,\r\n");
    // A folder that does not exist is reported, not written.
    EXPECT_FALSE(grid.ExportTo(XStringW::FromUtf8((folder / "none" / "x.csv").string()), error));
    EXPECT_FALSE(error.empty());
}

TEST_F(GridExport, TheWorkbookReadsBackAsTheGridShowsIt) {
    grid.SetScrollLock(true);
    XStringW error;
    std::filesystem::path file = folder / "list.xlsx";
    ASSERT_TRUE(grid.ExportTo(XStringW::FromUtf8(file.string()), error)) << error.ToUtf8();
    TestSupport::XlsxSheet sheet = TestSupport::ReadXlsx(file.string());
    ASSERT_TRUE(sheet.ok) << sheet.error;
    EXPECT_EQ(sheet.name, "业绩表现");
    // A title row with the list's name, then the header; both stay in view.
    EXPECT_EQ(sheet.Shown(0, 0), "业绩表现");
    EXPECT_EQ(sheet.frozenRows, 2);
    EXPECT_EQ(sheet.frozenColumns, 1);
    ASSERT_EQ(sheet.rows, 6);
    ASSERT_EQ(sheet.columns, 4);
    // Every cell shows what the grid shows; the placeholder of a missing number is an empty cell.
    const wchar_t* titles[] = {L"期间", L"代码", L"增长率", L"市值"};
    for (int c = 0; c < 4; ++c)
        EXPECT_EQ(sheet.Shown(1, c), XStringW(titles[c]).ToUtf8());
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(sheet.Shown(r + 2, c),
                      grid.rows[r][c] == L"--" ? "" : XStringW(grid.rows[r][c]).ToUtf8())
                << r << "," << c;
    EXPECT_EQ(sheet.Cell(5, 2), nullptr);
    // Numbers are numbers: a percentage is its fraction, an amount the number before its unit.
    const TestSupport::XlsxCell* yield = sheet.Cell(2, 2);
    ASSERT_NE(yield, nullptr);
    EXPECT_TRUE(yield->number);
    EXPECT_NEAR(yield->value, 0.1234, 1e-12);
    EXPECT_EQ(yield->format, "0.00%");
    ASSERT_NE(sheet.Cell(3, 3), nullptr);
    EXPECT_EQ(sheet.Cell(3, 3)->format, "0.00\"万\"");
    // Codes in a text column stay text.
    ASSERT_NE(sheet.Cell(3, 1), nullptr);
    EXPECT_FALSE(sheet.Cell(3, 1)->number);
    // The title runs across the columns and the group runs are merged; widths follow the screen
    // (90 and 70 pixels keep their order).
    ASSERT_EQ(sheet.merges.size(), 3u);
    EXPECT_EQ(sheet.merges[0].firstRow, 0);
    EXPECT_EQ(sheet.merges[0].lastColumn, 3);
    EXPECT_EQ(sheet.merges[1].firstRow, 2);
    EXPECT_EQ(sheet.merges[1].lastRow, 3);
    EXPECT_GT(sheet.columnWidths[0], sheet.columnWidths[1]);
    EXPECT_GT(sheet.columnWidths[3], sheet.columnWidths[0]);
}

TEST_F(GridExport, NumbersKeepTheirFullPrecisionAndDatesAreDates) {
    // The value behind a shown text replaces the rounded one only where it shows as that text.
    grid.rows[0][2] = L"-1.57%";
    grid.numbers[{0, 2}] = -0.015712345; // shows as -1.57%
    grid.numbers[{0, 3}] = 123456789.0;  // yuan, shown as 1.23亿
    grid.numbers[{1, 2}] = 0.5;          // not what -1.20% shows: the shown value stays
    grid.rows[2][3] = L"1,234.57";
    grid.numbers[{2, 3}] = 1234.5678;
    grid.rows[3][0] = L"2010-06-30";
    grid.rows[3][1] = L"2010-02-30"; // no such day: text
    XStringW error;
    std::filesystem::path file = folder / "full.xlsx";
    ASSERT_TRUE(grid.ExportTo(XStringW::FromUtf8(file.string()), error)) << error.ToUtf8();
    TestSupport::XlsxSheet sheet = TestSupport::ReadXlsx(file.string());
    ASSERT_TRUE(sheet.ok) << sheet.error;
    ASSERT_NE(sheet.Cell(2, 2), nullptr);
    EXPECT_DOUBLE_EQ(sheet.Cell(2, 2)->value, -0.015712345);
    EXPECT_EQ(sheet.Shown(2, 2), "-1.57%");
    ASSERT_NE(sheet.Cell(2, 3), nullptr);
    EXPECT_DOUBLE_EQ(sheet.Cell(2, 3)->value, 1.23456789);
    EXPECT_EQ(sheet.Shown(2, 3), "1.23亿");
    ASSERT_NE(sheet.Cell(3, 2), nullptr);
    EXPECT_DOUBLE_EQ(sheet.Cell(3, 2)->value, -0.012);
    ASSERT_NE(sheet.Cell(4, 3), nullptr);
    EXPECT_DOUBLE_EQ(sheet.Cell(4, 3)->value, 1234.5678);
    EXPECT_EQ(sheet.Shown(4, 3), "1,234.57");
    // A date cell holds the day's serial number in a date format.
    ASSERT_NE(sheet.Cell(5, 0), nullptr);
    EXPECT_TRUE(sheet.Cell(5, 0)->number);
    EXPECT_EQ(sheet.Cell(5, 0)->value, 40359);
    EXPECT_EQ(sheet.Cell(5, 0)->format, "yyyy-mm-dd");
    EXPECT_EQ(sheet.Shown(5, 0), "2010-06-30");
    ASSERT_NE(sheet.Cell(5, 1), nullptr);
    EXPECT_FALSE(sheet.Cell(5, 1)->number);
}

TEST_F(GridExport, ThePagesCaptionStandsAboveTheHeader) {
    WNDCLASSW pageClass{};
    pageClass.lpfnWndProc = &captionPage;
    pageClass.lpszClassName = L"CaptionPage";
    RegisterClassW(&pageClass);
    HWND page = CreateWindowExW(0, L"CaptionPage", L"", WS_POPUP | WS_VISIBLE, 0, 0, 500, 400, nullptr,
                                nullptr, nullptr, nullptr);
    ASSERT_NE(page, nullptr);
    ExportGrid inner;
    inner.rows = grid.rows;
    inner.SetHeader(kHeader);
    inner.SetExportName(L"资产分布");
    ASSERT_TRUE(inner.Create(L"inner", WS_CHILD | WS_VISIBLE, 0, 0, 400, 300, page));
    EXPECT_EQ(inner.ReadSheet(false).caption.str(), L"资产分布  报告期 2010-06-30");
    EXPECT_EQ(grid.ReadSheet(false).caption.str(), L"业绩表现");
    XStringW error;
    std::filesystem::path file = folder / "captioned.xlsx";
    ASSERT_TRUE(inner.ExportTo(XStringW::FromUtf8(file.string()), error)) << error.ToUtf8();
    EXPECT_EQ(TestSupport::ReadXlsx(file.string()).Shown(0, 2), "资产分布  报告期 2010-06-30");
    DestroyWindow(page);
}

TEST_F(GridExport, CsvKeepsTextsASpreadsheetWouldTurnIntoSomethingElse) {
    grid.rows = {{L"3/120", L"=HYPERLINK(\"x\")", L"1.5%", L"+1"},
                 {L"2010-06-30", L"@SUM(A1)", L"--", L"-"},
                 {L"基金", L"0", L"abc", L"12"}};
    XStringW error;
    std::filesystem::path file = folder / "odd.csv";
    ASSERT_TRUE(grid.ExportTo(XStringW::FromUtf8(file.string()), error)) << error.ToUtf8();
    // A rank is no date, a formula is text, an ISO date may become a date, and a text in a column
    // of numbers that reads as no number is protected like any other.
    EXPECT_EQ(read(file).substr(3),
              "期间,代码,增长率,市值\r\n"
              "\"=\"\"3/120\"\"\",\"=\"\"=HYPERLINK(\"\"\"\"x\"\"\"\")\"\"\",1.5%,+1\r\n"
              "2010-06-30,\"=\"\"@SUM(A1)\"\"\",,\"=\"\"-\"\"\"\r\n"
              "基金,\"=\"\"0\"\"\",abc,12\r\n");
}

TEST_F(GridExport, TheContextMenuExportsThroughTheSaveDialogAndReportsFailures) {
    std::filesystem::path file = folder / "导出结果.xlsx";
    std::optional<PlatformSaveDialogRequest> asked;
    PlatformSetSaveDialogHook([&](const PlatformSaveDialogRequest& request) {
        asked = request;
        return std::optional<std::wstring>(XStringW::FromUtf8(file.string()).str());
    });
    PlatformSetMenuHook(PlatformMenuPickCaption(L"导出..."));
    rightClickHeader();
    ASSERT_TRUE(asked.has_value());
    EXPECT_EQ(asked->fileName, L"业绩表现.xlsx");
    ASSERT_EQ(asked->types.size(), 2u);
    EXPECT_EQ(asked->types[1].second, L"*.csv");
    EXPECT_TRUE(std::filesystem::exists(file));
    EXPECT_TRUE(TestSupport::ReadXlsx(file.string()).ok);

    // A name without an extension takes the type chosen; here the dialog's first, the workbook.
    PlatformSetSaveDialogHook([&](const PlatformSaveDialogRequest&) {
        return std::optional<std::wstring>(XStringW::FromUtf8((folder / "无扩展名").string()).str());
    });
    PlatformSetMenuHook(PlatformMenuPickCaption(L"导出..."));
    rightClickHeader();
    EXPECT_TRUE(std::filesystem::exists(folder / "无扩展名.xlsx"));

    // A cancelled dialog writes nothing; Ctrl+S opens the same dialog.
    size_t dialogs = PlatformSaveDialogs().size();
    PlatformSetSaveDialogHook([](const PlatformSaveDialogRequest&) { return std::optional<std::wstring>(); });
    SetFocus(grid);
    PlatformKeyDown(VK_CONTROL);
    PlatformKeyPress('S');
    PlatformKeyUp(VK_CONTROL);
    PlatformRunUntilIdle();
    EXPECT_EQ(PlatformSaveDialogs().size(), dialogs + 1);
    EXPECT_TRUE(PlatformSaveDialogs().back().answer.empty());

    // A file that cannot be written is reported in a message box, never as done.
    PlatformClearMessageBoxes();
    PlatformSetSaveDialogHook([&](const PlatformSaveDialogRequest&) {
        return std::optional<std::wstring>(
            XStringW::FromUtf8((folder / "missing" / "x.xlsx").string()).str());
    });
    PlatformSetMenuHook(PlatformMenuPickCaption(L"导出..."));
    rightClickHeader();
    ASSERT_EQ(PlatformMessageBoxes().size(), 1u);
    EXPECT_EQ(PlatformMessageBoxes()[0].text.rfind(L"导出失败：", 0), 0u);
}

TEST_F(GridExport, CtrlCCopiesTheSelectedRowsWithTheHeaderOrAllRows) {
    int writes = PlatformClipboardWrites();
    SetFocus(grid);
    PlatformKeyDown(VK_CONTROL);
    PlatformKeyPress('C');
    PlatformKeyUp(VK_CONTROL);
    PlatformRunUntilIdle();
    EXPECT_EQ(PlatformClipboardWrites(), writes + 1);
    EXPECT_EQ(PlatformClipboardText(), L"期间\t代码\t增长率\t市值\n"
                                       L"最近一周\t000001\t12.34%\t1.23亿\n"
                                       L"最近一周\t110011\t-1.20%\t5.68万\n"
                                       L"最近一月\t000001\t0.00%\t999.00\n"
                                       L"最近一月\t110011\t--\t\n");
    // Two selected rows; a tab or a line break inside a cell becomes a blank.
    grid.rows[3][1] = L"a\tb\nc";
    grid.SetMultiSel(true);
    RECT r1 = grid.GetCellRect(1, 1), r3 = grid.GetCellRect(3, 1);
    PlatformClick((r1.left + r1.right) / 2, (r1.top + r1.bottom) / 2);
    PlatformKeyDown(VK_CONTROL);
    PlatformClick((r3.left + r3.right) / 2, (r3.top + r3.bottom) / 2);
    PlatformKeyPress('C');
    PlatformKeyUp(VK_CONTROL);
    PlatformRunUntilIdle();
    EXPECT_EQ(PlatformClipboardText(), L"期间\t代码\t增长率\t市值\n"
                                       L"最近一周\t110011\t-1.20%\t5.68万\n"
                                       L"最近一月\ta b c\t--\t\n");
    // The clipboard is free again afterwards.
    ASSERT_TRUE(OpenClipboard(nullptr));
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(std::wstring(static_cast<const wchar_t*>(GlobalLock(data))), PlatformClipboardText());
    GlobalUnlock(data);
    EXPECT_TRUE(CloseClipboard());
}

} // namespace
} // namespace gridtest
