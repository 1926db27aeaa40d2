// The fund picker driven by real input: searching by initials, code and name, moving and choosing
// with the keyboard and the mouse, the current code and name, a new data source, the edit field
// as a child window, and a picture of the open list.
#include "MiscTestSupport.h"

#include <sdk/ControlComboEx.h>
#include <sdk/Kernel.h>
#include <sdk/XComPtr.h>

using Common::XStringW;
using Control::XComboEx;
using namespace misctest;

namespace {

struct Fund {
    const wchar_t* code;
    const wchar_t* alias;
    const wchar_t* name;
    const wchar_t* pycode;
    const wchar_t* type;
};

const Fund kFunds[] = {
    {L"F000001", L"000001", L"华夏成长混合", L"HXCZHH", L"混合型"},
    {L"F110011", L"110011", L"易方达中小盘", L"YFDZXP", L"股票型"},
    {L"F161005", L"161005", L"富国天惠成长", L"FGTHCZ", L"混合型"},
    {L"F000051", L"000051", L"华夏沪深300", L"HXHS300", L"指数型"},
    {L"F217022", L"217022", L"招商恒信债券", L"ZSHXZQ", L"债券型"},
    {L"F519069", L"519069", L"汇添富价值精选", L"HTFJZJX", L"股票型"},
};

XComPtr<Data::IDataTable> MakeTable(std::initializer_list<int> rows) {
    XComPtr<Data::IDataTable> table;
    table.Attach(dynamic_cast<Data::IDataTable*>(createInstance("Data.DataTable")));
    for (const wchar_t* column : {L"code", L"aliascode", L"name", L"pycode", L"investtype"})
        table->AddColumn(Data::kText, column);
    for (int i : rows) {
        const Fund& f = kFunds[i];
        int r = table->AddRow();
        XComPtr<Data::IDataRow> row;
        table->GetRow(row.Receive(), r);
        const wchar_t* values[] = {f.code, f.alias, f.name, f.pycode, f.type};
        for (int c = 0; c < 5; ++c)
            row->GetValueAt(c)->SetText(values[c]);
    }
    return table;
}

class XComboExTest : public ControlTest {
protected:
    void SetUp() override {
        ControlTest::SetUp();
        host = CreateHost(0, 0, 700, 420);
        ASSERT_TRUE(picker.Create(WS_CHILD | WS_VISIBLE, 140, 8, 220, 23, 7, host));
        table = MakeTable({0, 1, 2, 3, 4, 5});
        picker.SetDataSource(table.Get());
        picker.GetDropDownGrid().SetHeader(
            L"<Header><item title=\"代码\" font-size=\"9\" align=\"left\" name=\"aliascode\" width=\"50\"/>"
            L"<item title=\"名称\" font-size=\"9\" align=\"left\" name=\"name\" width=\"160\"/>"
            L"<item title=\"拼音编码\" font-size=\"9\" align=\"left\" name=\"pycode\" width=\"120\"/>"
            L"<item title=\"投资风格\" font-size=\"9\" align=\"left\" name=\"investtype\" "
            L"width=\"100\"/></Header>");
        picker.SetDataField(L"code", L"aliascode", L"name", L"pycode");
        picker.GetDropDownGrid().MoveWindow(0, 0, 440, 200, TRUE);
        SendMessageW(picker, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), 0);
        PlatformRunUntilIdle();
    }

    void ClickEdit() {
        POINT p = ToScreen(picker, 40, 11);
        PlatformClick(p.x, p.y);
        PlatformAdvanceClock(1000);
        PlatformRunUntilIdle();
    }
    void Type(const std::wstring& text) {
        PlatformTypeText(text);
        PlatformRunUntilIdle();
    }
    void Key(UINT key) {
        PlatformKeyPress(key);
        PlatformRunUntilIdle();
    }

    HWND host = nullptr;
    XComboEx picker;
    XComPtr<Data::IDataTable> table;
};

} // namespace

TEST_F(XComboExTest, TypingSearchesInitialsCodesAndNamesAndTheBestMatchIsCurrent) {
    EXPECT_TRUE(picker.GetCurrCode().empty());
    EXPECT_TRUE(picker.GetCurrName().empty());
    ClickEdit();
    // The keyboard is inside the picker, in a window of its own.
    EXPECT_EQ(GetFocus(), picker.GetEditWindow());
    EXPECT_TRUE(IsChild(picker, GetFocus()));

    Type(L"hx");
    EXPECT_TRUE(picker.IsDroppedDown());
    EXPECT_EQ(picker.GetDropDownGrid().GetCurrSel(), 0);
    EXPECT_EQ(picker.GetCurrCode(), XStringW(L"F000001"));
    EXPECT_EQ(picker.GetCurrName(), XStringW(L"华夏成长混合"));
    PlatformSaveScreenPng(OutputPath("combo_search.png"));

    // "hxh" narrows to the index fund; the contained match "ZSHXZQ" went at "hxh".
    Type(L"h");
    EXPECT_EQ(picker.GetCurrCode(), XStringW(L"F000051"));
    Key(VK_BACK);
    Key(VK_BACK);
    Key(VK_BACK);
    EXPECT_EQ(picker.GetText(), XStringW(L""));
    EXPECT_TRUE(picker.GetCurrCode().empty());

    Type(L"0051"); // inside a display code
    EXPECT_EQ(picker.GetCurrCode(), XStringW(L"F000051"));
    for (int i = 0; i < 4; ++i)
        Key(VK_BACK);
    Type(L"价值"); // inside a name
    EXPECT_EQ(picker.GetCurrCode(), XStringW(L"F519069"));
    for (int i = 0; i < 2; ++i)
        Key(VK_BACK);
    Type(L"qq");
    EXPECT_TRUE(picker.GetCurrCode().empty());
}

TEST_F(XComboExTest, TheKeyboardMovesThroughTheListAndChoosesAndEscapeCloses) {
    ClickEdit();
    Type(L"HX"); // rows 0 and 3 by prefix, then row 4 ("ZSHXZQ") by containment
    Key(VK_DOWN);
    EXPECT_EQ(picker.GetCurrCode(), XStringW(L"F000051"));
    Key(VK_NEXT);
    EXPECT_EQ(picker.GetCurrCode(), XStringW(L"F217022"));
    Key(VK_DOWN); // stays on the last row
    EXPECT_EQ(picker.GetCurrCode(), XStringW(L"F217022"));
    Key(VK_PRIOR);
    EXPECT_EQ(picker.GetCurrCode(), XStringW(L"F000001"));
    Key(VK_DOWN);
    ClearNotices();
    Key(VK_RETURN);
    EXPECT_FALSE(picker.IsDroppedDown());
    EXPECT_EQ(picker.GetText(), XStringW(L"000051 华夏沪深300"));
    EXPECT_EQ(picker.GetCurrCode(), XStringW(L"F000051"));
    EXPECT_EQ(picker.GetCurrName(), XStringW(L"华夏沪深300"));
    auto commands = Notices(WM_COMMAND);
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0].wParam, MAKEWPARAM(7, CBN_SELCHANGE));

    // Down opens the whole list on the chosen fund; Escape closes it and keeps the choice.
    Key(VK_DOWN);
    EXPECT_TRUE(picker.IsDroppedDown());
    EXPECT_EQ(picker.GetDropDownGrid().GetCurrSel(), 3);
    Key(VK_ESCAPE);
    EXPECT_FALSE(picker.IsDroppedDown());
    EXPECT_EQ(picker.GetCurrCode(), XStringW(L"F000051"));
}

TEST_F(XComboExTest, EditingKeysWorkAtTheCaret) {
    ClickEdit();
    Type(L"hcz");
    Key(VK_LEFT);
    Key(VK_LEFT);
    Type(L"x"); // h|cz -> hx|cz
    EXPECT_EQ(picker.GetText(), XStringW(L"hxcz"));
    EXPECT_EQ(picker.GetCurrCode(), XStringW(L"F000001"));
    Key(VK_HOME);
    Key(VK_DELETE);
    EXPECT_EQ(picker.GetText(), XStringW(L"xcz"));
    Key(VK_END);
    Key(VK_BACK);
    Key(VK_RIGHT); // at the end already
    Type(L"Z");
    EXPECT_EQ(picker.GetText(), XStringW(L"xcZ"));
    // Enter and Escape are keys, never text.
    Key(VK_RETURN);
    Key(VK_ESCAPE);
    EXPECT_EQ(picker.GetText().find(L'\r'), XStringW::npos);
    EXPECT_EQ(picker.GetText().find(static_cast<wchar_t>(0x1B)), XStringW::npos);
}

TEST_F(XComboExTest, SelectedTextIsReplacedByTypingAndErasedByBackspaceOrDelete) {
    ClickEdit();
    Type(L"0051");
    picker.ShowDropDown(false);
    picker.SelectAllText();
    PlatformPaintAll();
    // The selection is drawn in the highlight colour.
    HWND edit = picker.GetEditWindow();
    auto marked = [edit] {
        RECT client{};
        GetClientRect(edit, &client);
        int count = 0;
        for (int y = 0; y < client.bottom; ++y)
            for (int x = 0; x < client.right; x += 2)
                count += PlatformWindowPixel(edit, x, y) == GetSysColor(COLOR_HIGHLIGHT);
        return count;
    };
    EXPECT_GT(marked(), 40);
    Type(L"1");
    EXPECT_EQ(picker.GetText(), XStringW(L"1"));
    PlatformPaintAll();
    EXPECT_EQ(marked(), 0);
    EXPECT_TRUE(picker.IsDroppedDown()); // the new text is searched
    Type(L"10");
    EXPECT_EQ(picker.GetCurrCode(), XStringW(L"F110011"));

    picker.SelectAllText();
    Key(VK_BACK);
    EXPECT_TRUE(picker.GetText().empty());
    Type(L"hx");
    picker.SelectAllText();
    Key(VK_DELETE);
    EXPECT_TRUE(picker.GetText().empty());

    // A caret key ends the selection: typing then adds to the text.
    Type(L"hx");
    picker.SelectAllText();
    Key(VK_END);
    Type(L"h");
    EXPECT_EQ(picker.GetText(), XStringW(L"hxh"));
    // Keys that are not text leave the selection and the text alone.
    picker.SelectAllText();
    Key(VK_ESCAPE);
    EXPECT_EQ(picker.GetText(), XStringW(L"hxh"));
    Type(L"z");
    EXPECT_EQ(picker.GetText(), XStringW(L"z"));
}

TEST_F(XComboExTest, AClickOnARowChoosesItAndKeepsTheFocusInThePicker) {
    ClickEdit();
    Type(L"成长");
    ASSERT_TRUE(picker.IsDroppedDown());
    HWND list = picker.GetDropDownGrid();
    RECT listRect;
    GetWindowRect(list, &listRect);
    RECT pickerRect;
    GetWindowRect(picker, &pickerRect);
    EXPECT_EQ(listRect.left, pickerRect.left);
    EXPECT_EQ(listRect.top, pickerRect.bottom);
    EXPECT_EQ(listRect.right - listRect.left, 440);

    // The second row of the list: header row, then rows of the grid's row height.
    int rowHeight = picker.GetDropDownGrid().GetRowHight();
    int headerHeight = picker.GetDropDownGrid().GetHeaderRowHight();
    POINT p{listRect.left + 30, listRect.top + 1 + headerHeight + rowHeight + rowHeight / 2};
    PlatformClick(p.x, p.y);
    PlatformRunUntilIdle();
    EXPECT_FALSE(picker.IsDroppedDown());
    EXPECT_EQ(picker.GetCurrCode(), XStringW(L"F161005"));
    EXPECT_EQ(picker.GetText(), XStringW(L"161005 富国天惠成长"));
    EXPECT_TRUE(IsChild(picker, GetFocus()));

    // The drop-down button opens and closes the list.
    POINT button = ToScreen(picker, 210, 11);
    PlatformClick(button.x, button.y);
    PlatformAdvanceClock(1000);
    PlatformRunUntilIdle();
    EXPECT_TRUE(picker.IsDroppedDown());
    PlatformSaveScreenPng(OutputPath("combo_open.png"));
    PlatformClick(button.x, button.y);
    PlatformRunUntilIdle();
    EXPECT_FALSE(picker.IsDroppedDown());
}

TEST_F(XComboExTest, ANewDataSourceReplacesTheListAndKeepsOnlyAChoiceItStillHolds) {
    ClickEdit();
    Type(L"yfd");
    Key(VK_RETURN);
    ASSERT_EQ(picker.GetCurrCode(), XStringW(L"F110011"));

    // The filtered list still holds the fund: it stays chosen, at its new row.
    XComPtr<Data::IDataTable> filtered = MakeTable({5, 1});
    picker.SetDataSource(filtered.Get());
    EXPECT_EQ(picker.GetCurrRow(), 1);
    EXPECT_EQ(picker.GetCurrCode(), XStringW(L"F110011"));
    EXPECT_EQ(picker.GetText(), XStringW(L"110011 易方达中小盘"));

    // A list without it: nothing is chosen and the edit no longer claims it.
    XComPtr<Data::IDataTable> other = MakeTable({0, 3});
    picker.SetDataSource(other.Get());
    EXPECT_TRUE(picker.GetCurrCode().empty());
    EXPECT_TRUE(picker.GetText().empty());
    Type(L"yfd");
    EXPECT_TRUE(picker.GetCurrCode().empty());

    // Typed text is searched again in the new list.
    XComPtr<Data::IDataTable> all = MakeTable({0, 1, 2, 3, 4, 5});
    picker.SetDataSource(all.Get());
    EXPECT_EQ(picker.GetCurrCode(), XStringW(L"F110011"));

    // No source at all: an empty list and nothing current.
    picker.SetDataSource(nullptr);
    EXPECT_TRUE(picker.GetCurrCode().empty());
    EXPECT_EQ(picker.GetDropDownGrid().GetCurrSel(), -1);
}

TEST_F(XComboExTest, TheWheelScrollsTheOpenListWhileTheKeyboardStaysInTheEdit) {
    // Enough funds that the list cannot show them all at once.
    XComPtr<Data::IDataTable> many = MakeTable({});
    for (int i = 0; i < 60; ++i) {
        int r = many->AddRow();
        XComPtr<Data::IDataRow> row;
        many->GetRow(row.Receive(), r);
        std::wstring n = std::to_wstring(100000 + i);
        const std::wstring values[] = {L"F" + n, n, L"基金" + n, L"JJ" + n, L"股票型"};
        for (int c = 0; c < 5; ++c)
            row->GetValueAt(c)->SetText(values[c].c_str());
    }
    picker.SetDataSource(many.Get());
    ClickEdit();
    POINT button = ToScreen(picker, 210, 11);
    PlatformClick(button.x, button.y);
    PlatformAdvanceClock(1000);
    PlatformRunUntilIdle();
    ASSERT_TRUE(picker.IsDroppedDown());
    Control::XDataGrid& list = picker.GetDropDownGrid();
    EXPECT_EQ(list.GetTopRow(), 0);

    RECT listRect;
    GetWindowRect(list, &listRect);
    POINT over{listRect.left + 60, listRect.top + 80};
    PlatformMouseWheel(over.x, over.y, -2); // toward the user: later rows
    PlatformRunUntilIdle();
    const int scrolled = list.GetTopRow();
    EXPECT_GT(scrolled, 0);
    PlatformMouseWheel(over.x, over.y, 1);
    PlatformRunUntilIdle();
    EXPECT_LT(list.GetTopRow(), scrolled);
    EXPECT_GT(list.GetTopRow(), 0);

    // Scrolling is not choosing: the list stays open and typing still goes to the edit field.
    EXPECT_TRUE(picker.IsDroppedDown());
    EXPECT_EQ(GetFocus(), picker.GetEditWindow());
    EXPECT_TRUE(picker.GetCurrCode().empty());
}

TEST_F(XComboExTest, TheListTakesTheColoursOfThePickersFieldAndFollowsThem) {
    POINT button = ToScreen(picker, 210, 11);
    PlatformClick(button.x, button.y);
    PlatformAdvanceClock(1000);
    PlatformRunUntilIdle();
    ASSERT_TRUE(picker.IsDroppedDown());
    HWND list = picker.GetDropDownGrid();
    RECT client;
    GetClientRect(list, &client);
    // Below the six rows the list shows its background: the field's, not a colour of its own.
    const POINT empty{client.right / 2, client.bottom - 20};
    EXPECT_EQ(PlatformWindowPixel(list, empty.x, empty.y), GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(PlatformWindowPixel(picker.GetEditWindow(), 2, 2), GetSysColor(COLOR_WINDOW));

    // A dark scheme: the open list and the field change together.
    const INT which[] = {COLOR_WINDOW, COLOR_WINDOWTEXT, COLOR_HIGHLIGHT};
    const COLORREF dark[] = {RGB(11, 13, 18), RGB(230, 232, 236), RGB(39, 48, 66)};
    SetSysColors(3, which, dark);
    PlatformRunUntilIdle();
    EXPECT_EQ(PlatformWindowPixel(list, empty.x, empty.y), RGB(11, 13, 18));
    EXPECT_EQ(PlatformWindowPixel(picker.GetEditWindow(), 2, 2), RGB(11, 13, 18));

    // Colours the owner gives the list are its own and stay.
    picker.GetDropDownGrid().SetBkColor(RGB(1, 2, 3));
    const COLORREF light[] = {RGB(255, 255, 255), RGB(0, 0, 0), RGB(0, 120, 215)};
    SetSysColors(3, which, light);
    PlatformRunUntilIdle();
    EXPECT_EQ(PlatformWindowPixel(list, empty.x, empty.y), RGB(1, 2, 3));
}

TEST_F(XComboExTest, CodesHeldAsNumbersAndEmptyCellsAreSearchedAsTheirText) {
    // A database may hold codes as integers; the list reads them as the text they show.
    XComPtr<Data::IDataTable> numeric;
    numeric.Attach(dynamic_cast<Data::IDataTable*>(createInstance("Data.DataTable")));
    numeric->AddColumn(Data::kInteger, L"code");
    numeric->AddColumn(Data::kInteger, L"aliascode");
    numeric->AddColumn(Data::kText, L"name");
    numeric->AddColumn(Data::kText, L"pycode");
    const struct {
        int code;
        const wchar_t* name;
        const wchar_t* pycode;
    } rows[] = {{110011, L"易方达中小盘", L"YFDZXP"},
                {161005, nullptr, L"FGTHCZ"},
                {519069, L"汇添富价值精选", nullptr}};
    for (const auto& fund : rows) {
        int r = numeric->AddRow();
        XComPtr<Data::IDataRow> row;
        numeric->GetRow(row.Receive(), r);
        row->GetValueAt(0)->SetInt(fund.code);
        row->GetValueAt(1)->SetInt(fund.code);
        row->GetValueAt(2)->SetText(fund.name);
        row->GetValueAt(3)->SetText(fund.pycode);
    }
    picker.SetDataSource(numeric.Get());
    ClickEdit();
    Type(L"1610");
    EXPECT_EQ(picker.GetCurrCode(), XStringW(L"161005"));
    for (int i = 0; i < 4; ++i)
        Key(VK_BACK);
    Type(L"价值");
    EXPECT_EQ(picker.GetCurrCode(), XStringW(L"519069"));
    Key(VK_RETURN);
    // Given the list again, the chosen fund is found by its code, held as a number.
    picker.SetDataSource(numeric.Get());
    EXPECT_EQ(picker.GetCurrRow(), 2);
    EXPECT_EQ(picker.GetCurrCode(), XStringW(L"519069"));
}

TEST_F(XComboExTest, CtrlASelectsTheWholeTextThatTypingThenReplaces) {
    ClickEdit();
    Type(L"hxcz");
    auto ctrlA = [] {
        PlatformKeyDown(VK_CONTROL);
        PlatformKeyPress('A');
        PlatformKeyUp(VK_CONTROL);
        PlatformRunUntilIdle();
    };
    ctrlA();
    Type(L"5");
    EXPECT_EQ(picker.GetText(), XStringW(L"5"));
    ctrlA();
    Key(VK_DELETE);
    EXPECT_TRUE(picker.GetText().empty());
    // Without Ctrl the letter is typed, and what follows is added to it.
    Type(L"hx");
    Key('A');
    Type(L"z");
    EXPECT_EQ(picker.GetText(), XStringW(L"hxaz"));
}

TEST_F(XComboExTest, ClearingTheChoiceEmptiesTheFieldAndWithoutADisplayCodeOnlyTheNameShows) {
    picker.SetDataField(L"code", L"", L"name", L"pycode");
    ClickEdit();
    Type(L"zshx");
    Key(VK_RETURN);
    EXPECT_EQ(picker.GetText(), XStringW(L"招商恒信债券"));
    EXPECT_EQ(picker.GetCurrCode(), XStringW(L"F217022"));
    picker.ClearChoice();
    PlatformRunUntilIdle();
    EXPECT_TRUE(picker.GetText().empty());
    EXPECT_TRUE(picker.GetCurrCode().empty());
    EXPECT_EQ(picker.GetCurrRow(), -1);
    EXPECT_FALSE(picker.IsDroppedDown());
    // Opening the list afterwards offers every fund again from the first, none chosen.
    Key(VK_DOWN);
    EXPECT_TRUE(picker.IsDroppedDown());
    Key(VK_DOWN);
    Key(VK_RETURN);
    EXPECT_EQ(picker.GetCurrCode(), XStringW(L"F000001"));
}
