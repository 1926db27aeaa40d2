// Resource text and font aliases.
#include "grid/HeaderText.h"

#include <platform/winbase.h>
#include <platform/winnls.h>

#include <string>

XStringW LoadResourceText(HINSTANCE instance, const wchar_t* type, const wchar_t* name) {
    HRSRC info = FindResourceW(instance, name, type);
    if (info == nullptr)
        return XStringW();
    DWORD size = SizeofResource(instance, info);
    const void* data = LockResource(LoadResource(instance, info));
    if (data == nullptr || size == 0)
        return XStringW();
    // A private copy with a terminating zero: the resource itself carries none.
    std::string bytes(static_cast<const char*>(data), size);
    return XStringW::FromMultiByte(bytes.c_str(), bytes.size(), 936);
}

XStringW SubstituteFontAliases(const XStringW& header, Conf::ITheme* theme) {
    static const struct {
        const wchar_t* alias;
        const char* key;
    } kAliases[] = {
        {L"font=\"_font_name\"", "fntn_font_name"},
        {L"font=\"_font_bold\"", "fntn_font_bold"},
        {L"font=\"_font_regular\"", "fntn_font_regular"},
        {L"font=\"_font_digital\"", "fntn_font_digital"},
        {L"font=\"_font_digital_bold\"", "fntn_font_digital_bold"},
    };
    if (theme == nullptr)
        return header;
    Conf::ThemeFont fonts[5];
    for (size_t i = 0; i < 5; ++i)
        theme->GetFont(kAliases[i].key, fonts[i]);
    // One pass over the document: a header of a hundred columns is long, and five passes, each
    // copying it, would cost more than everything else the header takes.
    const std::wstring& text = header.str();
    static const std::wstring kStart = L"font=\"_font_";
    std::wstring result;
    result.reserve(text.size() + text.size() / 4);
    size_t done = 0;
    for (size_t at = text.find(kStart); at != std::wstring::npos; at = text.find(kStart, at + 1)) {
        for (size_t i = 0; i < 5; ++i) {
            // The closing quote in the alias keeps "_font_digital" from matching inside
            // "_font_digital_bold".
            const std::wstring_view alias(kAliases[i].alias);
            if (text.compare(at, alias.size(), alias) != 0)
                continue;
            result.append(text, done, at + alias.size() - done);
            result += L' ';
            result += fonts[i].attributes.str();
            done = at + alias.size();
            break;
        }
    }
    result.append(text, done, std::wstring::npos);
    return XStringW(std::move(result));
}
