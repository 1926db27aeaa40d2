// Header text: GB2312 resources decoded, and font aliases resolved against a theme.
#include "grid/HeaderText.h"
#include "FakeTheme.h"

#include <gtest/gtest.h>

extern "C" HMODULE resfixture_a_instance();

namespace {

TEST(LoadResourceText, DecodesGb2312AndGivesEmptyTextWhenMissing) {
    EXPECT_EQ(LoadResourceText(resfixture_a_instance(), L"TEXT", L"TITLE"), XStringW(L"基金对比模块\n"));
    EXPECT_TRUE(LoadResourceText(resfixture_a_instance(), L"XML", L"TITLE").empty());
    EXPECT_TRUE(LoadResourceText(resfixture_a_instance(), L"TEXT", L"NO_SUCH").empty());
    EXPECT_TRUE(LoadResourceText(nullptr, L"XML", L"ASSET_GRIDHEADER").empty());
}

TEST(FontAliases, EachExactAliasGetsItsThemeFontAppended) {
    FakeTheme theme;
    theme.AddFont("fntn_font_name", L"WenQuanYi Micro Hei", 13, L"normal");
    theme.AddFont("fntn_font_digital", L"DejaVu Sans Mono", 12, L"normal");
    theme.AddFont("fntn_font_digital_bold", L"DejaVu Sans Mono", 12, L"bold");

    XStringW header = L"<header><item title=\"名称\" font=\"_font_name\" name=\"name\"/>"
                      L"<item font=\"_font_digital\" name=\"aliascode\"/>"
                      L"<item font=\"_font_digital_bold\" name=\"percent\"/>"
                      L"<item font='_font_name' name=\"quoted\"/>"
                      L"<item font = \"_font_name\" name=\"spaced\"/></header>";
    XStringW out = SubstituteFontAliases(header, &theme);
    EXPECT_NE(out.find(L"font=\"_font_name\" font-family=\"WenQuanYi Micro Hei\" font-size=\"13\""),
              XStringW::npos);
    EXPECT_NE(out.find(L"font=\"_font_digital\" font-family=\"DejaVu Sans Mono\" font-size=\"12\" "
                       L"font-style=\"normal\" name"),
              XStringW::npos);
    // The bold digital alias gets the bold font only, not the plain digital one as well.
    EXPECT_NE(out.find(L"font=\"_font_digital_bold\" font-family=\"DejaVu Sans Mono\" font-size=\"12\" "
                       L"font-style=\"bold\" name=\"percent\""),
              XStringW::npos);
    // Aliases written another way are passed on untouched.
    EXPECT_NE(out.find(L"<item font='_font_name' name=\"quoted\"/>"), XStringW::npos);
    EXPECT_NE(out.find(L"<item font = \"_font_name\" name=\"spaced\"/>"), XStringW::npos);
}

TEST(FontAliases, MissingThemeFontsAddNothingButABlank) {
    FakeTheme theme;
    EXPECT_EQ(SubstituteFontAliases(L"<item font=\"_font_bold\"/>", &theme),
              XStringW(L"<item font=\"_font_bold\" />"));
    EXPECT_EQ(SubstituteFontAliases(L"<item font=\"_font_bold\"/>", nullptr),
              XStringW(L"<item font=\"_font_bold\"/>"));
}

} // namespace
