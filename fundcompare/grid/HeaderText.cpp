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
    XStringW result = header;
    for (size_t i = 0; i < 5; ++i) {
        // The closing quote in the search text keeps "_font_digital" from matching inside
        // "_font_digital_bold".
        XStringW alias(kAliases[i].alias);
        result.replace(alias, alias + XStringW(L" ") + fonts[i].attributes);
    }
    return result;
}
