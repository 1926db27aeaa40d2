// Data views: notifications and batching, filters, sorting and chains of views.
#include <hostkernel/DataTable.h>
#include <hostkernel/DataView.h>
#include <hostkernel/RefCounted.h>
#include <hostkernel/Sorters.h>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

using namespace HostKernel;

namespace {

// Records every notification with the row count the view had at that moment.
class Recorder final : public RefCounted<Data::IDataViewEvent> {
public:
    Recorder(std::vector<std::string>& log, std::string name) : m_log(log), m_name(std::move(name)) {}
    void OnBeforeChange(Data::IDataView* view) override {
        m_log.push_back(m_name + " before " + std::to_string(view->GetRowCount()));
        if (onBefore)
            onBefore();
    }
    void OnAfterChange(Data::IDataView* view) override {
        m_log.push_back(m_name + " after " + std::to_string(view->GetRowCount()));
    }
    std::function<void()> onBefore;

private:
    std::vector<std::string>& m_log;
    std::string m_name;
};

// Keeps rows whose text in a column is one of the accepted ones; counts its calls.
class TextFilter final : public RefCounted<Data::IDataFilter> {
public:
    TextFilter(std::wstring column, std::vector<std::wstring> accepted)
        : m_column(std::move(column)), m_accepted(std::move(accepted)) {}
    void Filter(Data::IDataTable* table, int* rows, int* count) override {
        ++calls;
        int column = table->GetColumnIndex(m_column.c_str());
        int kept = 0;
        for (int i = 0; i < *count; ++i) {
            XComPtr<Data::IDataRow> row;
            table->GetRow(row.Receive(), rows[i]);
            std::wstring text = row->GetValueAt(column)->ToString().str();
            for (auto& a : m_accepted)
                if (a == text) {
                    rows[kept++] = rows[i];
                    break;
                }
        }
        *count = kept;
    }
    int calls = 0;

private:
    std::wstring m_column;
    std::vector<std::wstring> m_accepted;
};

// A filter that writes nonsense back: indexes out of range, duplicates and a larger count.
class RogueFilter final : public RefCounted<Data::IDataFilter> {
public:
    void Filter(Data::IDataTable*, int* rows, int* count) override {
        if (*count >= 3) {
            rows[0] = 1000;
            rows[1] = -5;
            rows[2] = rows[*count - 1];
        }
        *count += 10;
    }
};

class DataViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        table = DataTable::Create();
        table->AddColumn(Data::kText, L"code");
        table->AddColumn(Data::kReal, L"yield");
        table->AddColumn(Data::kInteger, L"rank");
        table->AddColumn(Data::kText, L"type");
        view = DataView::Create();
        ASSERT_TRUE(view->SetSource(table));
    }
    void Add(const wchar_t* code, double yield, const wchar_t* type = L"股票型", bool nullYield = false) {
        int r = table->AddRow();
        table->SetCellText(r, 0, code);
        if (!nullYield)
            table->SetCellDouble(r, 1, yield);
        table->SetCellInteger(r, 2, r);
        table->SetCellText(r, 3, type);
    }
    std::vector<std::wstring> CodesOf(Data::IDataContainer* container) {
        std::vector<std::wstring> codes;
        for (int i = 0; i < container->GetRowCount(); ++i) {
            XComPtr<Data::IDataRow> row;
            container->GetRow(row.Receive(), i);
            codes.push_back(row->GetValue(L"code")->ToString().str());
        }
        return codes;
    }
    void SortBy(const wchar_t* field, bool ascending) {
        auto sorter = MakeRef<FieldSorter>();
        sorter->SetField(field);
        sorter->SetAscending(ascending);
        view->SetSorter(sorter);
    }

    XComPtr<DataTable> table;
    XComPtr<DataView> view;
    std::vector<std::string> log;
};

using Codes = std::vector<std::wstring>;

} // namespace

TEST_F(DataViewTest, ListenerHearsEachUnbatchedChangeAroundIt) {
    auto listener = MakeRef<Recorder>(log, "v");
    view->SetListener(listener);
    table->AddRow();
    EXPECT_EQ(log, (std::vector<std::string>{"v before 0", "v after 1"}));
    log.clear();
    view->Reapply(0);
    EXPECT_EQ(log, (std::vector<std::string>{"v before 1", "v after 1"}));
}

TEST_F(DataViewTest, TableUpdateIsOneRefilterAndOneNotification) {
    auto filter = MakeRef<TextFilter>(L"type", std::vector<std::wstring>{L"股票型"});
    view->AddFilter(filter);
    auto listener = MakeRef<Recorder>(log, "v");
    view->SetListener(listener);
    filter->calls = 0;
    {
        XComPtr<Data::IUpdateContext> update;
        ASSERT_TRUE(table->BeginUpdate(update.Receive()));
        for (int i = 0; i < 100; ++i)
            Add(L"000001", i);
        table->Clear(1);
        for (int i = 0; i < 5; ++i)
            Add(L"000002", i);
        EXPECT_EQ(view->GetRowCount(), 0);
        update->Commit();
        update->Commit(); // a second commit changes nothing
    }
    EXPECT_EQ(log, (std::vector<std::string>{"v before 0", "v after 5"}));
    EXPECT_EQ(filter->calls, 1);
}

TEST_F(DataViewTest, FillingByPositionIsAnnouncedAndBatchesLikeRows) {
    auto listener = MakeRef<Recorder>(log, "v");
    view->SetListener(listener);
    XComPtr<Data::IDataTableCells> fill = XComPtr<Data::IDataTable>(table.Get()).As<Data::IDataTableCells>();
    ASSERT_NE(fill, nullptr);
    fill->AddRows(2);
    fill->SetTextAt(1, 0, L"000002", 6);
    EXPECT_EQ(log, (std::vector<std::string>{"v before 0", "v after 2", "v before 2", "v after 2"}));
    log.clear();
    // Sorted by code, the view must see the texts written inside the update, not the nulls the
    // rows were added with.
    auto sorter = MakeRef<FieldSorter>();
    sorter->SetField(L"code");
    view->SetSorter(sorter);
    log.clear();
    {
        XComPtr<Data::IUpdateContext> update;
        ASSERT_TRUE(table->BeginUpdate(update.Receive()));
        table->Clear(1);
        int first = fill->AddRows(3);
        fill->SetTextAt(first, 0, L"000009", 6);
        fill->SetTextAt(first + 1, 0, L"000001", 6);
        fill->SetTextAt(first + 2, 0, L"000005", 6);
        fill->SetDoubleAt(first, 1, 1.5);
    }
    EXPECT_EQ(log, (std::vector<std::string>{"v before 2", "v after 3"}));
    EXPECT_EQ(CodesOf(view), (std::vector<std::wstring>{L"000001", L"000005", L"000009"}));
}

TEST_F(DataViewTest, UpdateReleasedWithoutCommitStillAnnouncesTheChange) {
    auto listener = MakeRef<Recorder>(log, "v");
    view->SetListener(listener);
    {
        XComPtr<Data::IUpdateContext> update;
        table->BeginUpdate(update.Receive());
        Add(L"1", 1);
    }
    EXPECT_EQ(log, (std::vector<std::string>{"v before 0", "v after 1"}));
    EXPECT_EQ(view->GetRowCount(), 1);
}

TEST_F(DataViewTest, ViewUpdateBatchesFilterChangesIntoOneRefilter) {
    for (int i = 0; i < 4; ++i)
        Add((L"c" + std::to_wstring(i)).c_str(), i, i % 2 ? L"债券型" : L"股票型");
    auto listener = MakeRef<Recorder>(log, "v");
    view->SetListener(listener);
    auto a = MakeRef<TextFilter>(L"type", std::vector<std::wstring>{L"债券型"});
    auto b = MakeRef<TextFilter>(L"code", std::vector<std::wstring>{L"c1", L"c2"});
    XComPtr<Data::IUpdateContext> update;
    view->BeginUpdate(update.Receive());
    view->AddFilter(a);
    view->AddFilter(b);
    view->AddFilter(b); // already there
    update->Commit();
    // Filters combine with AND: only c1 is a bond fund among c1 and c2.
    EXPECT_EQ(CodesOf(view), Codes{L"c1"});
    EXPECT_EQ(log, (std::vector<std::string>{"v before 4", "v after 1"}));
    EXPECT_EQ(a->calls, 1);
    view->RemoveFilter(a);
    EXPECT_EQ(CodesOf(view), (Codes{L"c1", L"c2"}));
}

TEST_F(DataViewTest, MisbehavingFilterCannotCorruptTheView) {
    for (int i = 0; i < 5; ++i)
        Add((L"c" + std::to_wstring(i)).c_str(), i);
    view->AddFilter(MakeRef<RogueFilter>());
    // Out-of-range and repeated indexes are dropped and the count is capped.
    EXPECT_EQ(CodesOf(view), (Codes{L"c4", L"c3"}));
}

TEST_F(DataViewTest, SortIsStableWithNullsLastInBothDirections) {
    Add(L"a", 2);
    Add(L"n1", 0, L"", true);
    Add(L"b", 1);
    Add(L"c", 2);
    Add(L"nan", std::numeric_limits<double>::quiet_NaN());
    Add(L"d", 1);
    Add(L"n2", 0, L"", true);
    SortBy(L"yield", true);
    EXPECT_EQ(CodesOf(view), (Codes{L"b", L"d", L"a", L"c", L"n1", L"nan", L"n2"}));
    SortBy(L"yield", false);
    EXPECT_EQ(CodesOf(view), (Codes{L"a", L"c", L"b", L"d", L"n1", L"nan", L"n2"}));
    EXPECT_EQ(view->GetSourceIndex(0), 0);
    EXPECT_EQ(view->GetSourceIndex(2), 2);
    EXPECT_EQ(view->GetSourceIndex(7), -1);
}

TEST_F(DataViewTest, IntegersSortByValueAndTextsByCodeUnits) {
    Add(L"b", 0);
    Add(L"B", 0);
    Add(L"", 0);
    Add(L"a10", 0);
    Add(L"a9", 0);
    table->SetCellInteger(0, 2, 10);
    table->SetCellInteger(1, 2, -3);
    table->SetCellInteger(2, 2, INT64_MAX);
    table->SetCellInteger(3, 2, INT64_MAX - 1);
    table->SetCellNull(4, 2);
    SortBy(L"rank", true);
    EXPECT_EQ(CodesOf(view), (Codes{L"B", L"b", L"a10", L"", L"a9"}));
    SortBy(L"code", true);
    EXPECT_EQ(CodesOf(view), (Codes{L"B", L"a10", L"a9", L"b", L""}));
    SortBy(L"code", false);
    EXPECT_EQ(CodesOf(view), (Codes{L"b", L"a9", L"a10", L"B", L""}));
}

TEST_F(DataViewTest, TaggedTextColumnSortsInNaturalOrder) {
    for (const wchar_t* rank : {L"10/120", L"9/120", L"", L"100/120", L"1/120", L"9/12"})
        Add(rank, 0);
    XComPtr<Data::IColumnItem> item;
    ASSERT_TRUE(view->GetColumnItem(item.Receive(), 0));
    item->SetTag(this);
    SortBy(L"code", true);
    EXPECT_EQ(CodesOf(view), (Codes{L"1/120", L"9/12", L"9/120", L"10/120", L"100/120", L""}));
    SortBy(L"code", false);
    EXPECT_EQ(CodesOf(view), (Codes{L"100/120", L"10/120", L"9/120", L"9/12", L"1/120", L""}));
    // The tag set through the view is the table's: clearing it on the table restores code units.
    XComPtr<Data::IColumnItem> tableItem;
    table->GetColumnItem(tableItem.Receive(), 0);
    tableItem->SetTag(nullptr);
    view->Reapply(0);
    EXPECT_EQ(CodesOf(view), (Codes{L"9/120", L"9/12", L"100/120", L"10/120", L"1/120", L""}));
}

TEST_F(DataViewTest, TheTagOneSortsRanksBestFirstWhenDescending) {
    // The first click on a header sorts downwards: for a rank that must show 1/N first. Texts
    // that are no rank stay last with the empty cells, in both directions.
    for (const wchar_t* rank : {L"10/120", L"9/120", L"", L"100/120", L"1/120", L"--", L"2/12", L" 3/120 "})
        Add(rank, 0);
    XComPtr<Data::IColumnItem> item;
    ASSERT_TRUE(view->GetColumnItem(item.Receive(), 0));
    item->SetTag(reinterpret_cast<void*>(1));
    SortBy(L"code", false);
    EXPECT_EQ(CodesOf(view),
              (Codes{L"1/120", L"2/12", L" 3/120 ", L"9/120", L"10/120", L"100/120", L"", L"--"}));
    SortBy(L"code", true);
    EXPECT_EQ(CodesOf(view),
              (Codes{L"100/120", L"10/120", L"9/120", L" 3/120 ", L"2/12", L"1/120", L"", L"--"}));
    // Another tag keeps the natural order of texts.
    item->SetTag(this);
    view->Reapply(0);
    EXPECT_EQ(CodesOf(view),
              (Codes{L" 3/120 ", L"--", L"1/120", L"2/12", L"9/120", L"10/120", L"100/120", L""}));
}

TEST_F(DataViewTest, RanksSortWithinTheFirstKeysGroups) {
    // As the performance page sorts: the period first, then the rank; ties keep their order.
    Add(L"5/9", 0, L"b");
    Add(L"1/9", 0, L"b");
    Add(L"", 0, L"a");
    Add(L"12/30", 0, L"a");
    Add(L"2/30", 0, L"a");
    Add(L"2/30", 0, L"a");
    Add(L"x", 0, L"b");
    XComPtr<Data::IColumnItem> item;
    ASSERT_TRUE(view->GetColumnItem(item.Receive(), 0));
    item->SetTag(reinterpret_cast<void*>(1));
    auto sorter = MakeRef<MultiFieldSorter>();
    sorter->AddKey(L"type", true);
    sorter->AddKey(L"code", false);
    view->SetSorter(sorter);
    EXPECT_EQ(CodesOf(view), (Codes{L"2/30", L"2/30", L"12/30", L"", L"1/9", L"5/9", L"x"}));
    sorter->Clear();
    sorter->AddKey(L"type", true);
    sorter->AddKey(L"code", true);
    view->Reapply(0);
    EXPECT_EQ(CodesOf(view), (Codes{L"12/30", L"2/30", L"2/30", L"", L"5/9", L"1/9", L"x"}));
}

TEST_F(DataViewTest, NaturalOrderPutsFewerLeadingZerosFirstAmongEqualNumbers) {
    // Inserted with the zero-padded forms first, so that a tie left to the stable order fails.
    for (const wchar_t* code : {L"a001", L"a01", L"a10", L"a1", L"a9", L"a010"})
        Add(code, 0);
    XComPtr<Data::IColumnItem> item;
    ASSERT_TRUE(view->GetColumnItem(item.Receive(), 0));
    item->SetTag(this);
    SortBy(L"code", true);
    EXPECT_EQ(CodesOf(view), (Codes{L"a1", L"a01", L"a001", L"a9", L"a10", L"a010"}));
    SortBy(L"code", false);
    EXPECT_EQ(CodesOf(view), (Codes{L"a010", L"a10", L"a9", L"a001", L"a01", L"a1"}));
}

TEST_F(DataViewTest, MultiFieldSorterUsesKeysInOrder) {
    Add(L"a", 1, L"y");
    Add(L"b", 2, L"x");
    Add(L"c", 1, L"x");
    Add(L"d", 2, L"y");
    auto sorter = MakeRef<MultiFieldSorter>();
    sorter->AddKey(L"type", true);
    sorter->AddKey(L"nothing", true); // unknown fields are skipped
    sorter->AddKey(L"yield", false);
    view->SetSorter(sorter);
    EXPECT_EQ(CodesOf(view), (Codes{L"b", L"c", L"d", L"a"}));
    sorter->Clear();
    view->Reapply(0);
    EXPECT_EQ(CodesOf(view), (Codes{L"a", L"b", L"c", L"d"}));
}

TEST_F(DataViewTest, MultiFieldSortKeepsMissingValuesLastInEveryKeyAndDirection) {
    // Two groups by type, each with values, a null, a NaN and a tie on the second key; the rank
    // (the row number) is the third key.
    Add(L"x-null", 0, L"x", true);
    Add(L"x-1", 1, L"x");
    Add(L"y-nan", std::numeric_limits<double>::quiet_NaN(), L"y");
    Add(L"x-3", 3, L"x");
    Add(L"y-2", 2, L"y");
    Add(L"empty", 5, L"");
    Add(L"x-nan", std::numeric_limits<double>::quiet_NaN(), L"x");
    Add(L"y-null", 0, L"y", true);
    Add(L"x-3b", 3, L"x");

    auto sorter = MakeRef<MultiFieldSorter>();
    sorter->AddKey(L"type", true);
    sorter->AddKey(L"yield", false);
    sorter->AddKey(L"rank", false);
    view->SetSorter(sorter);
    // Descending yields inside each type, ties by descending rank; null and NaN after the values
    // of their group, among themselves by the third key; the empty type after every type.
    EXPECT_EQ(CodesOf(view),
              (Codes{L"x-3b", L"x-3", L"x-1", L"x-nan", L"x-null", L"y-2", L"y-null", L"y-nan", L"empty"}));

    sorter->Clear();
    sorter->AddKey(L"type", false);
    sorter->AddKey(L"yield", true);
    sorter->AddKey(L"rank", true);
    view->Reapply(0);
    EXPECT_EQ(CodesOf(view),
              (Codes{L"y-2", L"y-nan", L"y-null", L"x-1", L"x-3", L"x-3b", L"x-null", L"x-nan", L"empty"}));

    // A missing first key still leaves the order to the keys after it.
    table->SetCellText(0, 3, L"");
    sorter->Clear();
    sorter->AddKey(L"type", false);
    sorter->AddKey(L"yield", false);
    view->Reapply(0);
    EXPECT_EQ(CodesOf(view).back(), L"x-null");
    EXPECT_EQ(CodesOf(view)[CodesOf(view).size() - 2], L"empty");
}

TEST_F(DataViewTest, ChainedViewsRederiveTopDownAndEachNotifiesOnce) {
    for (int i = 0; i < 6; ++i)
        Add((L"c" + std::to_wstring(i)).c_str(), i % 3, i < 3 ? L"x" : L"y");
    SortBy(L"yield", false);
    auto display = DataView::Create();
    ASSERT_TRUE(display->SetSource(view));
    display->AddFilter(MakeRef<TextFilter>(L"type", std::vector<std::wstring>{L"y"}));
    // The downstream view sees the upstream view's rows in its order.
    EXPECT_EQ(CodesOf(display), (Codes{L"c5", L"c4", L"c3"}));
    EXPECT_EQ(display->GetSourceIndex(0), 1);

    auto upper = MakeRef<Recorder>(log, "sorted");
    auto lower = MakeRef<Recorder>(log, "display");
    view->SetListener(upper);
    display->SetListener(lower);
    // The display's listener must see its rows unchanged before anything re-derives.
    std::vector<std::wstring> seenBefore;
    lower->onBefore = [&] { seenBefore = CodesOf(display); };
    {
        XComPtr<Data::IUpdateContext> update;
        table->BeginUpdate(update.Receive());
        Add(L"c6", 9, L"y");
        Add(L"c7", 9, L"x");
    }
    EXPECT_EQ(log, (std::vector<std::string>{"sorted before 6", "display before 3", "sorted after 8",
                                             "display after 4"}));
    EXPECT_EQ(seenBefore, (Codes{L"c5", L"c4", L"c3"}));
    EXPECT_EQ(CodesOf(display), (Codes{L"c6", L"c5", L"c4", L"c3"}));
}

TEST_F(DataViewTest, SourcesCanBeSwitchedAndCyclesAreRefused) {
    Add(L"a", 1);
    auto second = DataView::Create();
    ASSERT_TRUE(second->SetSource(view));
    EXPECT_FALSE(view->SetSource(second));
    EXPECT_FALSE(view->SetSource(view));
    EXPECT_EQ(second->GetRowCount(), 1);

    auto listener = MakeRef<Recorder>(log, "second");
    second->SetListener(listener);
    ASSERT_TRUE(view->SetSource(nullptr));
    EXPECT_EQ(second->GetRowCount(), 0);
    EXPECT_EQ(second->GetColumnIndex(L"code"), -1);
    EXPECT_EQ(log, (std::vector<std::string>{"second before 1", "second after 0"}));
    XComPtr<Data::IDataRow> row;
    EXPECT_FALSE(second->GetRow(row.Receive(), 0));
}

TEST_F(DataViewTest, ViewOutlivesNobodyAndDetachesFromItsSource) {
    Add(L"a", 1);
    {
        auto temporary = DataView::Create();
        temporary->SetSource(table);
    }
    // A change after the view went must not reach it.
    Add(L"b", 2);
    EXPECT_EQ(view->GetRowCount(), 2);
}

TEST_F(DataViewTest, ViewAttachedDuringATableUpdateSeesTheCommittedRows) {
    Add(L"a", 1);
    XComPtr<Data::IUpdateContext> update;
    table->BeginUpdate(update.Receive());
    Add(L"b", 2);
    auto late = DataView::Create();
    late->SetSource(table);
    Add(L"c", 3);
    update->Commit();
    EXPECT_EQ(CodesOf(late), (Codes{L"a", L"b", L"c"}));
    EXPECT_EQ(CodesOf(view), (Codes{L"a", L"b", L"c"}));
}

TEST_F(DataViewTest, RowsReadInsideABatchAfterClearAreAbsentNotStale) {
    Add(L"a", 1);
    Add(L"b", 2);
    XComPtr<Data::IUpdateContext> update;
    table->BeginUpdate(update.Receive());
    table->Clear(1);
    // The view still lists two rows until the commit, but they no longer exist in the table.
    EXPECT_EQ(view->GetRowCount(), 2);
    XComPtr<Data::IDataRow> row;
    EXPECT_FALSE(view->GetRow(row.Receive(), 0));
    update->Commit();
    EXPECT_EQ(view->GetRowCount(), 0);
}
