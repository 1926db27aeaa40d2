#include <hostconf/RegularFile.h>
#include <hostconf/Theme.h>
#include <hostkernel/CellText.h>
#include <hostkernel/XmlLimits.h>

#include "XmlText.h"

#include <pugixml.hpp>

#include <algorithm>
#include <cstring>

namespace HostConf {

namespace {

// A pixel size as a point size for header attributes: exact, with at most two decimals ("9",
// "9.75", "10.5").
std::wstring PointsText(int pixels) {
    int hundredths = pixels * 75; // pixels * 0.75 points, in hundredths
    std::wstring text = std::to_wstring(hundredths / 100);
    int fraction = hundredths % 100;
    if (fraction != 0) {
        text += L'.';
        text += static_cast<wchar_t>(L'0' + fraction / 10);
        if (fraction % 10 != 0)
            text += static_cast<wchar_t>(L'0' + fraction % 10);
    }
    return text;
}

bool ParseColour(const char* text, COLORREF& colour) {
    if (std::strlen(text) != 7 || text[0] != '#')
        return false;
    unsigned value = 0;
    for (int i = 1; i < 7; ++i) {
        char c = text[i];
        unsigned digit;
        if (c >= '0' && c <= '9')
            digit = static_cast<unsigned>(c - '0');
        else if (c >= 'a' && c <= 'f')
            digit = static_cast<unsigned>(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F')
            digit = static_cast<unsigned>(c - 'A' + 10);
        else
            return false;
        value = value << 4 | digit;
    }
    // #RRGGBB to COLORREF 0x00BBGGRR.
    colour = ((value >> 16) & 0xFF) | (value & 0xFF00) | ((value & 0xFF) << 16);
    return true;
}

bool ParseInt(const char* text, int low, int high, int& value) {
    std::int64_t parsed = 0;
    std::wstring wide = XStringW::FromUtf8(text).str();
    // Only whole integers: "12.5" or "12px" are mistakes in a theme, not numbers.
    if (wide.find_first_of(L".eE") != std::wstring::npos || !HostKernel::ParseInteger(wide, parsed))
        return false;
    if (parsed < low || parsed > high)
        return false;
    value = static_cast<int>(parsed);
    return true;
}

} // namespace

XComPtr<Theme> Theme::Parse(const char* data, std::size_t size, XStringW& error) {
    error.clear();
    pugi::xml_document doc;
    auto fail = [&](std::ptrdiff_t offset, const std::string& what) {
        error = Utf8("malformed theme, line " + std::to_string(LineOf(data, size, offset)) + ": " + what);
        return XComPtr<Theme>();
    };
    std::string beyond;
    if (!HostKernel::XmlTextWithinLimits(std::string_view(data, size), beyond))
        return fail(0, beyond);
    pugi::xml_parse_result parsed = doc.load_buffer(data, size, pugi::parse_default, pugi::encoding_utf8);
    if (!parsed)
        return fail(parsed.offset, parsed.description());
    if (!HostKernel::XmlTreeWithinLimits(doc, beyond))
        return fail(0, beyond);
    pugi::xml_node root = doc.document_element();
    if (std::strcmp(root.name(), "theme") != 0)
        return fail(root.offset_debug(), "the root element must be <theme>");

    XComPtr<Theme> theme;
    theme.Attach(new Theme());
    theme->m_name = Utf8(root.attribute("name").value());
    for (pugi::xml_node node : root.children()) {
        if (node.type() != pugi::node_element)
            continue;
        std::ptrdiff_t at = node.offset_debug();
        std::string kind = node.name();
        std::string key = node.attribute("key").value();
        if (key.empty())
            return fail(at, "<" + kind + "> without a key");
        if (kind == "color") {
            COLORREF colour = 0;
            if (!ParseColour(node.attribute("value").value(), colour))
                return fail(at, "colour '" + key + "' is not #RRGGBB");
            if (!theme->m_colours.emplace(key, colour).second)
                return fail(at, "colour '" + key + "' is given twice");
        } else if (kind == "font") {
            Conf::ThemeFont font;
            font.face = Utf8(node.attribute("face").value());
            if (font.face.empty())
                return fail(at, "font '" + key + "' has no face");
            // The face travels on in header documents, which cannot hold such characters.
            if (!std::all_of(font.face.str().begin(), font.face.str().end(), IsXmlChar))
                return fail(at, "font '" + key + "' has a face with a character XML cannot hold");
            if (!ParseInt(node.attribute("size").value(), 1, 200, font.size))
                return fail(at, "font '" + key + "' has no size from 1 to 200");
            if (node.attribute("weight") && !ParseInt(node.attribute("weight").value(), 1, 1000, font.weight))
                return fail(at, "font '" + key + "' has a weight outside 1 to 1000");
            std::string style = node.attribute("style") ? node.attribute("style").value() : "normal";
            if (style != "normal" && style != "italic")
                return fail(at, "font '" + key + "' has a style other than normal or italic");
            font.italic = style == "italic";
            std::wstring shownStyle = font.weight >= 600 ? (font.italic ? L"bold italic" : L"bold")
                                                         : (font.italic ? L"italic" : L"normal");
            // Header documents speak points (96 pixels to 72 points); a theme speaks pixels.
            font.attributes =
                XStringW(L"font-family=\"" + EscapeAttribute(font.face.str()) + L"\" font-size=\"" +
                         PointsText(font.size) + L"\" font-style=\"" + shownStyle + L"\"");
            if (!theme->m_fonts.emplace(key, std::move(font)).second)
                return fail(at, "font '" + key + "' is given twice");
        } else if (kind == "number") {
            int value = 0;
            if (!ParseInt(node.attribute("value").value(), -1000000, 1000000, value))
                return fail(at, "number '" + key + "' is not an integer");
            if (!theme->m_numbers.emplace(key, value).second)
                return fail(at, "number '" + key + "' is given twice");
        } else {
            return fail(at, "unknown element <" + kind + ">");
        }
    }
    return theme;
}

XComPtr<Theme> Theme::LoadFile(const std::string& path, XStringW& error) {
    std::string data, reason;
    if (!ReadRegularFile(path, data, reason)) {
        error = Utf8(reason);
        return nullptr;
    }
    XComPtr<Theme> theme = Parse(data.data(), data.size(), error);
    if (!theme)
        error = Utf8(path + ": ") + error;
    return theme;
}

bool Theme::GetColor(const char* key, COLORREF& colour) {
    if (key == nullptr)
        return false;
    auto it = m_colours.find(std::string_view(key));
    if (it == m_colours.end())
        return false;
    colour = it->second;
    return true;
}

bool Theme::GetFont(const char* key, Conf::ThemeFont& font) {
    if (key == nullptr)
        return false;
    auto it = m_fonts.find(std::string_view(key));
    if (it == m_fonts.end())
        return false;
    font = it->second;
    return true;
}

int Theme::GetNumber(const char* key) {
    if (key == nullptr)
        return 0;
    auto it = m_numbers.find(std::string_view(key));
    return it == m_numbers.end() ? 0 : it->second;
}

} // namespace HostConf
