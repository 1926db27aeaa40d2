// MultiValueFilter over a real host table and view: exact text, OR of values, order kept.
#include "filter/MultiValueFilter.h"

#include <sdk/Kernel.h>
#include <sdk/XComPtr.h>

#include <gtest/gtest.h>

#include <thread>

namespace {

template <class T>
XComPtr<T> make(const char* classId) {
    XComPtr<IXUnknown> object;
    object.Attach(createInstance(classId));
    return object.As<T>();
}

// A table with the asset types of three rows and a view over it.
struct Fixture {
    XComPtr<Data::IDataTable> table = make<Data::IDataTable>("Data.DataTable");
    XComPtr<Data::IDataView> view = make<Data::IDataView>("Data.DataView");

    explicit Fixture(std::initializer_list<const wchar_t*> types) {
        table->AddColumn(Data::kText, L"code");
        table->AddColumn(Data::kText, L"assettype");
        int i = 0;
        for (const wchar_t* type : types) {
            int r = table->AddRow();
            XComPtr<Data::IDataRow> row;
            table->GetRow(row.Receive(), r);
            row->GetValue(L"code")->SetText(XStringW().Format(L"%06d", ++i).c_str());
            row->GetValue(L"assettype")->SetText(type);
        }
        view->SetSource(table);
    }

    std::vector<XStringW> visibleCodes() {
        std::vector<XStringW> codes;
        for (int r = 0; r < view->GetRowCount(); ++r) {
            XComPtr<Data::IDataRow> row;
            view->GetRow(row.Receive(), r);
            codes.push_back(row->GetValue(L"code")->ToString());
        }
        return codes;
    }
};

struct FilterRef {
    MultiValueFilter* filter = new MultiValueFilter;
    ~FilterRef() { filter->Release(); }
};

TEST(MultiValueFilter, KeepsRowsMatchingAnyAcceptedTextInTheirOrder) {
    Fixture f{L"股票投资", L"现金存款", L"债券投资"};
    FilterRef ref;
    ref.filter->SetField(L"assettype");
    ref.filter->AddValue(L"债券投资");
    ref.filter->AddValue(L"股票投资");
    f.view->AddFilter(ref.filter);
    EXPECT_EQ(f.visibleCodes(), (std::vector<XStringW>{L"000001", L"000003"}));

    // Exact text only: a trailing blank is another value.
    ref.filter->ClearValues();
    ref.filter->AddValue(L"股票投资 ");
    f.view->Reapply(0);
    EXPECT_TRUE(f.visibleCodes().empty());
}

TEST(MultiValueFilter, ValuesAreUniqueAndRemovedCompletely) {
    FilterRef ref;
    ref.filter->AddValue(L"权证");
    ref.filter->AddValue(L"权证");
    ref.filter->AddValue(L"债券投资");
    EXPECT_EQ(ref.filter->AcceptedValues().size(), 2u);
    ref.filter->RemoveValue(L"权证");
    EXPECT_EQ(ref.filter->AcceptedValues(), std::vector<XStringW>{L"债券投资"});
}

TEST(MultiValueFilter, UnknownFieldKeepsEverythingAndANewFieldIsResolvedAgain) {
    Fixture f{L"股票投资", L"现金存款"};
    FilterRef ref;
    ref.filter->SetField(L"no_such_field");
    ref.filter->AddValue(L"000002");
    f.view->AddFilter(ref.filter);
    EXPECT_EQ(f.visibleCodes().size(), 2u);

    ref.filter->SetField(L"code");
    f.view->Reapply(0);
    EXPECT_EQ(f.visibleCodes(), std::vector<XStringW>{L"000002"});

    // Bad arguments leave the array alone.
    int rows[2] = {0, 1};
    int count = 0;
    ref.filter->Filter(f.table, rows, &count);
    EXPECT_EQ(count, 0);
    count = 2;
    ref.filter->Filter(nullptr, rows, &count);
    EXPECT_EQ(count, 2);
    ref.filter->Filter(f.table, nullptr, &count);
    ref.filter->Filter(f.table, rows, nullptr);
}

TEST(MultiValueFilter, AFilterMovedToAnotherFieldComparesThatField) {
    Fixture f{L"股票投资", L"现金存款", L"债券投资"};
    FilterRef ref;
    ref.filter->SetField(L"assettype");
    ref.filter->AddValue(L"现金存款");
    f.view->AddFilter(ref.filter);
    EXPECT_EQ(f.visibleCodes(), std::vector<XStringW>{L"000002"});

    // Once a field was found, a new one must be looked up again, not compared in the old column.
    ref.filter->SetField(L"code");
    ref.filter->ClearValues();
    ref.filter->AddValue(L"000003");
    f.view->Reapply(0);
    EXPECT_EQ(f.visibleCodes(), std::vector<XStringW>{L"000003"});

    // And back to the first field.
    ref.filter->SetField(L"assettype");
    ref.filter->ClearValues();
    ref.filter->AddValue(L"股票投资");
    f.view->Reapply(0);
    EXPECT_EQ(f.visibleCodes(), std::vector<XStringW>{L"000001"});
}

TEST(MultiValueFilter, ReferenceCountIsSafeAcrossThreads) {
    auto* filter = new MultiValueFilter;
    auto work = [filter] {
        for (int i = 0; i < 5000; ++i) {
            filter->AddRef();
            filter->Release();
        }
    };
    std::thread a(work), b(work);
    a.join();
    b.join();
    EXPECT_EQ(filter->AddRef(), 2u);
    EXPECT_EQ(filter->Release(), 1u);
    EXPECT_EQ(filter->Release(), 0u); // destroyed; ASan would report a leak otherwise
}

} // namespace
