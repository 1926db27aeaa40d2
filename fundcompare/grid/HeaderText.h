// The text side of header documents: loading a GB2312 text resource of the module, and resolving
// the font aliases of a header against the current theme.
#pragma once

#include <platform/windef.h>
#include <sdk/Conf.h>
#include <sdk/XStringW.h>

// The text of a resource (types "SQL" and "XML"), decoded from GB2312; empty when missing.
XStringW LoadResourceText(HINSTANCE instance, const wchar_t* type, const wchar_t* name);

// Appends, after every font alias written exactly as font="_font_xxx", the theme font's attribute
// text (font-family="..." font-size="..." font-style="..."), so that the host grid can read it.
// The aliases are looked up in the order name, bold, regular, digital, digital_bold; an alias
// written any other way is left as it is.
XStringW SubstituteFontAliases(const XStringW& header, Conf::ITheme* theme);
