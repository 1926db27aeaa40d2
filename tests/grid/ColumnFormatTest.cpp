// ColumnFormat: the per-column record read from a header item.
#include "grid/ColumnFormat.h"
#include "FakeTheme.h"

#include <sdk/Kernel.h>
#include <sdk/XComPtr.h>

#include <gtest/gtest.h>

namespace {

pugi::xml_node item(pugi::xml_document& doc, const char* xml) {
    EXPECT_TRUE(doc.load_string(xml));
    return doc.document_element();
}

TEST(ColumnFormat, ReadsTypeSortabilityAndFormatFromTheItem) {
    pugi::xml_document doc;
    auto f =
        ColumnFormat::Create(nullptr, item(doc, R"(<item name="percent" data_type="double" sortable="False"
                                                      text_format="%.02f%%:*100"/>)"),
                             nullptr);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->Type(), ColumnFormat::kReal);
    EXPECT_TRUE(f->Sortable()); // only the exact text "false" disables sorting
    EXPECT_FALSE(f->HasTextColour());

    pugi::xml_document doc2;
    auto g = ColumnFormat::Create(nullptr, item(doc2, R"(<item name="x" data_type="" sortable="false"/>)"),
                                  nullptr);
    EXPECT_EQ(g->Type(), ColumnFormat::kText);
    EXPECT_FALSE(g->Sortable());

    pugi::xml_document doc3;
    auto h = ColumnFormat::Create(nullptr, item(doc3, R"(<item name="n" data_type="int"/>)"), nullptr);
    EXPECT_EQ(h->Type(), ColumnFormat::kInteger);

    EXPECT_EQ(ColumnFormat::Create(nullptr, pugi::xml_node(), nullptr), nullptr);
}

TEST(ColumnFormat, FormatsCellsByItsDataType) {
    XComPtr<IXUnknown> object;
    object.Attach(createInstance("Data.DataTable"));
    auto table = object.As<Data::IDataTable>();
    table->AddColumn(Data::kText, L"percent"); // text column holding a number, as the pages do
    table->AddRow();
    XComPtr<Data::IDataRow> row;
    table->GetRow(row.Receive(), 0);
    row->GetValue(L"percent")->SetDouble(0.25);

    pugi::xml_document doc;
    auto f = ColumnFormat::Create(nullptr, item(doc, R"(<item data_type="d" text_format="%.02f%%:*100"/>)"),
                                  nullptr);
    EXPECT_EQ(f->Format(row->GetValue(L"percent")), XStringW(L"25.00%"));
    pugi::xml_document doc2;
    auto t = ColumnFormat::Create(nullptr, item(doc2, R"(<item/>)"), nullptr);
    EXPECT_EQ(t->Format(row->GetValue(L"percent")), XStringW(L"0.25"));
    EXPECT_EQ(t->Format(nullptr), XStringW(L"--"));
}

TEST(ColumnFormat, TextColourFollowsTheTheme) {
    FakeTheme dark, light;
    dark.colours["list_name"] = RGB(255, 255, 0);
    light.colours["list_name"] = RGB(0, 0, 128);
    pugi::xml_document doc;
    auto f = ColumnFormat::Create(nullptr, item(doc, R"(<item name="name" text_color="list_name"/>)"), &dark);
    ASSERT_TRUE(f->HasTextColour());
    EXPECT_EQ(f->TextColourKey(), "list_name");
    EXPECT_EQ(f->TextColour(), RGB(255, 255, 0));
    f->RefreshColour(&light);
    EXPECT_EQ(f->TextColour(), RGB(0, 0, 128));
    FakeTheme empty;
    f->RefreshColour(&empty); // a theme without the key keeps the colour
    EXPECT_EQ(f->TextColour(), RGB(0, 0, 128));
}

} // namespace
