// Parses arbitrary bytes as a theme file. A theme either fails with a reason or answers every
// lookup, and the font attribute text it builds is itself well-formed XML.
#include <hostconf/Theme.h>

#include <pugixml.hpp>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    if (size > 1 << 16)
        return 0;
    XStringW error;
    XComPtr<HostConf::Theme> theme = HostConf::Theme::Parse(reinterpret_cast<const char*>(data), size, error);
    if (!theme) {
        if (error.empty())
            std::abort();
        return 0;
    }
    COLORREF colour = 0;
    theme->GetColor("wnd_general_bg", colour);
    theme->GetNumber("list_list_row_heihgt");
    for (const char* key : {"default", "fntn_font_header", "f", "a"}) {
        Conf::ThemeFont font;
        if (!theme->GetFont(key, font))
            continue;
        std::string element = "<item " + font.attributes.ToUtf8() + "/>";
        pugi::xml_document doc;
        if (!doc.load_string(element.c_str()))
            std::abort();
        if (XStringW::FromUtf8(doc.first_child().attribute("font-family").value()) != font.face)
            std::abort();
    }
    return 0;
}
