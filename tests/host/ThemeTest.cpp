// Themes: the shipped files, the file format and its errors, and switching themes.
#include <hostconf/SystemColours.h>
#include <hostconf/Theme.h>
#include <hostconf/ThemeManager.h>
#include <hostconf/XmlEscape.h>

#include <platform/windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <sys/stat.h>

using namespace HostConf;

namespace {

const std::string kThemes = std::string(FC_SOURCE_DIR) + "/host/themes";

// Every key that the fund-comparison module and the host control library read.
const std::vector<std::string> kColourKeys = {
    "wnd_general_bg",
    "list_prev_data",
    "list_bg",
    "list_column_bg",
    "list_border",
    "list_border_inside",
    "list_title",
    "list_scroll_arrow",
    "list_scroll_button",
    "list_scroll_face",
    "list_scroll_darkborder",
    "list_scroll_lightborder",
    "list_bg_evenLine",
    "list_bg_oddLine",
    "list_sel_bg",
    "list_highlight",
    "list_value_zero",
    "list_value_negative",
    "list_value_positive",
    "list_name",
    "list_cur_data",
    "list_style",
    "list_type2",
    "list_company",
    "tabhdr_normal_bg",
    "tabhdr_normal_border",
    "tabhdr_normal_text",
    "tabhdr_focus_bg",
    "tabhdr_focus_border",
    "tabhdr_focus_text",
};
const std::vector<std::string> kFontKeys = {
    "default",           "fntn_font_header",  "fntn_font_name",         "fntn_font_bold",
    "fntn_font_regular", "fntn_font_digital", "fntn_font_digital_bold", "fntn_chart_font_header",
};
const std::vector<std::string> kNumberKeys = {"list_list_row_heihgt", "list_header_row_heihgt",
                                              "list_horizontal_border", "list_vertical_border"};

XComPtr<Theme> ParseText(const std::string& text, XStringW& error) {
    return Theme::Parse(text.data(), text.size(), error);
}

int Red(COLORREF c) {
    return static_cast<int>(c & 0xFF);
}
int Green(COLORREF c) {
    return static_cast<int>((c >> 8) & 0xFF);
}
int Blue(COLORREF c) {
    return static_cast<int>((c >> 16) & 0xFF);
}

struct Received {
    int count = 0;
    XStringW name;
};

void OnThemeChanged(void* argument, void* context) {
    auto* received = static_cast<Received*>(context);
    ++received->count;
    static_cast<Conf::ITheme*>(argument)->GetName(received->name);
}

} // namespace

TEST(Theme, ShippedThemesDefineEveryKeyThatIsRead) {
    for (const char* name : {"dark", "light"}) {
        XStringW error;
        XComPtr<Theme> theme = Theme::LoadFile(kThemes + "/" + name + ".xml", error);
        ASSERT_NE(theme, nullptr) << error.ToUtf8();
        for (const auto& key : kColourKeys)
            EXPECT_TRUE(theme->HasColor(key)) << name << " lacks colour " << key;
        for (const auto& key : kFontKeys)
            EXPECT_TRUE(theme->HasFont(key)) << name << " lacks font " << key;
        for (const auto& key : kNumberKeys)
            EXPECT_TRUE(theme->HasNumber(key)) << name << " lacks number " << key;
        EXPECT_GT(theme->GetNumber("list_list_row_heihgt"), 0);
        Conf::ThemeFont font;
        ASSERT_TRUE(theme->GetFont("default", font));
        EXPECT_EQ(font.face, L"WenQuanYi Micro Hei");
    }
}

TEST(Theme, DarkThemeShowsGainsRedLossesGreenHighlightsYellow) {
    XStringW error;
    XComPtr<Theme> theme = Theme::LoadFile(kThemes + "/dark.xml", error);
    ASSERT_NE(theme, nullptr);
    COLORREF c = 0;
    theme->GetColor("list_value_positive", c);
    EXPECT_GT(Red(c), 2 * Green(c));
    theme->GetColor("list_value_negative", c);
    EXPECT_GT(Green(c), 2 * Red(c));
    theme->GetColor("list_highlight", c);
    EXPECT_GT(Red(c), 200);
    EXPECT_GT(Green(c), 180);
    EXPECT_LT(Blue(c), 80);
    theme->GetColor("wnd_general_bg", c);
    EXPECT_LT(Red(c) + Green(c) + Blue(c), 60);
}

TEST(Theme, ValuesConvertAndMissingKeysLeaveOutputsAlone) {
    XStringW error;
    XComPtr<Theme> theme = ParseText(R"(<theme name="t">
        <color key="c" value="#112233"/>
        <font key="f" face='Sans "Pro" &amp; Co' size="14" weight="700" style="italic"/>
        <font key="g" face="Serif" size="9"/>
        <number key="n" value="-7"/>
    </theme>)",
                                     error);
    ASSERT_NE(theme, nullptr) << error.ToUtf8();
    COLORREF c = 0xDEAD;
    EXPECT_TRUE(theme->GetColor("c", c));
    EXPECT_EQ(c, 0x00332211u);
    c = 0xDEAD;
    EXPECT_FALSE(theme->GetColor("missing", c));
    EXPECT_FALSE(theme->GetColor(nullptr, c));
    EXPECT_EQ(c, 0xDEADu);
    EXPECT_EQ(theme->GetNumber("n"), -7);
    EXPECT_EQ(theme->GetNumber("missing"), 0);

    Conf::ThemeFont font;
    ASSERT_TRUE(theme->GetFont("f", font));
    EXPECT_EQ(font.size, 14);
    EXPECT_EQ(font.weight, 700);
    EXPECT_TRUE(font.italic);
    // The face is escaped, so the attribute text stays well-formed inside a header document.
    EXPECT_EQ(font.attributes,
              L"font-family=\"Sans &quot;Pro&quot; &amp; Co\" font-size=\"10.5\" font-style=\"bold italic\"");
    ASSERT_TRUE(theme->GetFont("g", font));
    EXPECT_EQ(font.attributes, L"font-family=\"Serif\" font-size=\"6.75\" font-style=\"normal\"");
    Conf::ThemeFont untouched;
    untouched.size = 99;
    EXPECT_FALSE(theme->GetFont("missing", untouched));
    EXPECT_EQ(untouched.size, 99);
}

TEST(Theme, MalformedFilesNameTheLineAndTheFault) {
    struct Case {
        const char* text;
        const char* expected;
    };
    for (const Case& bad : std::vector<Case>{
             {"<theme>\n<color key=\"a\" value=\"#12345\"/>\n</theme>", "line 2: colour 'a' is not #RRGGBB"},
             {"<theme>\n<color key=\"a\" value=\"#12345G\"/></theme>", "line 2"},
             {"<theme>\n\n<color key=\"a\" value=\"#123456\"/><color key=\"a\" value=\"#123456\"/></theme>",
              "line 3: colour 'a' is given twice"},
             {"<theme><colour key=\"a\" value=\"#123456\"/></theme>", "unknown element <colour>"},
             {"<theme><font key=\"f\" face=\"x\" size=\"0\"/></theme>", "size from 1 to 200"},
             {"<theme><font key=\"f\" face=\"x\" size=\"12px\"/></theme>", "size from 1 to 200"},
             {"<theme><font key=\"f\" size=\"12\"/></theme>", "has no face"},
             {"<theme><font key=\"f\" face=\"x\" size=\"12\" style=\"oblique\"/></theme>", "style"},
             {"<theme><number key=\"n\" value=\"1.5\"/></theme>", "not an integer"},
             {"<theme><number value=\"1\"/></theme>", "without a key"},
             {"<themes/>", "root element must be <theme>"},
             {"<theme>\n<color key=\"a\"", "line 2"},
             {"", "malformed theme"},
             {"<theme><font key=\"a\" face=\"x&#1;y\" size=\"12\"/></theme>", "character XML cannot hold"},
         }) {
        XStringW error;
        EXPECT_EQ(ParseText(bad.text, error), nullptr) << bad.text;
        EXPECT_NE(error.ToUtf8().find(bad.expected), std::string::npos) << error.ToUtf8();
    }
    // Nested beyond any real theme: malformed, before anything of it is looked at.
    std::string deep = "<theme>";
    for (int i = 0; i < 64; ++i)
        deep += "<g>";
    for (int i = 0; i < 64; ++i)
        deep += "</g>";
    deep += "</theme>";
    XStringW error;
    EXPECT_EQ(ParseText(deep.c_str(), error), nullptr);
    EXPECT_NE(error.ToUtf8().find("nested more than 64"), std::string::npos) << error.ToUtf8();
}

TEST(ThemeManager, SwitchingFiresTheEventAndBadThemesKeepTheCurrentOne) {
    auto folder = std::filesystem::temp_directory_path() / ("themes_" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    std::filesystem::copy_file(kThemes + "/dark.xml", folder / "dark.xml");
    std::ofstream(folder / "broken.xml") << "<theme><color key=\"x\" value=\"red\"/></theme>";

    XComPtr<ThemeManager> manager;
    manager.Attach(new ThemeManager(folder.string()));
    EXPECT_EQ(manager->ThemeNames(), (std::vector<std::string>{"broken", "dark"}));
    XComPtr<Conf::ITheme> current;
    EXPECT_FALSE(manager->GetCurrentTheme(current.Receive()));

    Received received;
    XComPtr<Kernel::IEvent> changed;
    changed.Attach(getEvent("event_theme_changed"));
    ASSERT_NE(changed, nullptr);
    changed->Subscribe(OnThemeChanged, &received);

    XStringW error;
    ASSERT_TRUE(manager->SelectTheme("dark", error)) << error.ToUtf8();
    EXPECT_EQ(received.count, 1);
    EXPECT_EQ(received.name, L"dark");

    EXPECT_FALSE(manager->SelectTheme("broken", error));
    EXPECT_NE(error.ToUtf8().find("broken.xml"), std::string::npos);
    EXPECT_FALSE(manager->SelectTheme("../dark", error));
    EXPECT_FALSE(manager->SelectTheme("none", error));
    EXPECT_EQ(received.count, 1);
    ASSERT_TRUE(manager->GetCurrentTheme(current.Receive()));
    XStringW name;
    current->GetName(name);
    EXPECT_EQ(name, L"dark");

    changed->Unsubscribe(OnThemeChanged, &received);
    std::filesystem::remove_all(folder);
}

TEST(ThemeManager, AThemeThatWillNotLoadGivesWayToOneThatDoes) {
    auto folder = std::filesystem::temp_directory_path() / ("themes_fallback_" + std::to_string(::getpid()));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    std::filesystem::copy_file(kThemes + "/light.xml", folder / "light.xml");
    XComPtr<ThemeManager> manager;
    manager.Attach(new ThemeManager(folder.string()));

    // dark.xml is missing: the wanted theme and the default fail, named, and light is taken.
    std::vector<XStringW> failures;
    EXPECT_EQ(manager->SelectFirstLoadable("dark", "dark", failures), "light");
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_NE(failures[0].ToUtf8().find("dark.xml"), std::string::npos) << failures[0].ToUtf8();
    XComPtr<Conf::ITheme> current;
    ASSERT_TRUE(manager->GetCurrentTheme(current.Receive()));
    XStringW name;
    current->GetName(name);
    EXPECT_EQ(name, L"light");

    // A wanted theme that loads is taken without complaint; an unknown one falls to the default.
    EXPECT_EQ(manager->SelectFirstLoadable("light", "dark", failures), "light");
    EXPECT_TRUE(failures.empty());
    std::filesystem::copy_file(kThemes + "/dark.xml", folder / "dark.xml");
    EXPECT_EQ(manager->SelectFirstLoadable("purple", "dark", failures), "dark");
    EXPECT_EQ(failures.size(), 1u);

    // A theme "file" that is a folder or a pipe is refused at once, never waited on; with nothing
    // that loads, nothing is selected and every failure is told.
    std::filesystem::remove(folder / "dark.xml");
    std::filesystem::create_directories(folder / "dark.xml");
    std::filesystem::remove(folder / "light.xml");
    ASSERT_EQ(::mkfifo((folder / "light.xml").c_str(), 0600), 0);
    EXPECT_EQ(manager->SelectFirstLoadable("dark", "dark", failures), "");
    ASSERT_EQ(failures.size(), 1u); // neither is a regular file, so neither is listed as a theme
    EXPECT_NE(failures[0].ToUtf8().find("a directory"), std::string::npos) << failures[0].ToUtf8();
    XStringW error;
    EXPECT_FALSE(manager->SelectTheme("light", error));
    EXPECT_NE(error.ToUtf8().find("pipe"), std::string::npos) << error.ToUtf8();
    std::filesystem::remove_all(folder);
}

TEST(ThemeManager, AttributeTextLeavesOutWhatXmlCannotHold) {
    EXPECT_EQ(EscapeAttribute(L"A&B \"C\" <D>"), L"A&amp;B &quot;C&quot; &lt;D&gt;");
    const wchar_t odd[] = {L'x', 0x0, L'y', 0x1, 0x1F, 0xFFFE, 0xFFFF, 0xD800, L'\t', L'\n', L'z'};
    EXPECT_EQ(EscapeAttribute(std::wstring(odd, std::size(odd))), L"xy&#9;&#10;z");
    EXPECT_EQ(EscapeAttribute(L"基金\u00E9\uFFFD"), L"基金\u00E9\uFFFD");
}

TEST(ThemeManager, TheStandardControlsTakeTheThemeThroughTheSystemColours) {
    XComPtr<ThemeManager> manager;
    manager.Attach(new ThemeManager(kThemes));
    auto expectColours = [&](const char* name) {
        XStringW error;
        ASSERT_TRUE(manager->SelectTheme(name, error)) << error.ToUtf8();
        XComPtr<Conf::ITheme> theme;
        ASSERT_TRUE(manager->GetCurrentTheme(theme.Receive()));
        auto key = [&](const char* k) {
            COLORREF c = 0;
            EXPECT_TRUE(theme->GetColor(k, c)) << k;
            return c;
        };
        EXPECT_EQ(GetSysColor(COLOR_WINDOW), key("combo_bg")) << name;
        EXPECT_EQ(GetSysColor(COLOR_WINDOWTEXT), key("combo_text")) << name;
        EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHT), key("list_sel_bg")) << name;
        EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHTTEXT), key("combo_text")) << name;
        EXPECT_EQ(GetSysColor(COLOR_BTNFACE), key("button_bg")) << name;
        EXPECT_EQ(GetSysColor(COLOR_BTNTEXT), key("button_text")) << name;
        EXPECT_EQ(GetSysColor(COLOR_MENU), key("button_bg")) << name;
        EXPECT_EQ(GetSysColor(COLOR_MENUTEXT), key("button_text")) << name;
    };
    expectColours("light");
    expectColours("dark");
    // A theme that cannot be read changes nothing, the system colours included.
    const COLORREF before = GetSysColor(COLOR_WINDOW);
    XStringW error;
    EXPECT_FALSE(manager->SelectTheme("missing", error));
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), before);
    // A theme without the keys leaves those colours alone.
    XComPtr<Theme> bare =
        ParseText("<theme name=\"bare\"><color key=\"combo_bg\" value=\"#102030\"/></theme>", error);
    ASSERT_NE(bare, nullptr);
    const COLORREF text = GetSysColor(COLOR_WINDOWTEXT);
    ApplySystemColours(bare.Get());
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), RGB(0x10, 0x20, 0x30));
    EXPECT_EQ(GetSysColor(COLOR_WINDOWTEXT), text);
    ApplySystemColours(nullptr);
}
