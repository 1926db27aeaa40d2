// Text that goes into an XML document the host builds (header documents of its grids, theme font
// attributes). Names and codes come from the database and may hold anything; what XML cannot hold
// is left out, so that one odd value never makes a whole document malformed.
#pragma once

#include <string>

namespace HostConf {

// True for the characters XML 1.0 documents may contain: tab, line feed, carriage return, and
// everything from U+0020 up except the surrogates, U+FFFE and U+FFFF.
bool IsXmlChar(wchar_t c);

// Text made safe for an XML attribute value in double quotes: markup characters escaped, line
// breaks and tabs as character references (attribute normalisation would turn them into blanks),
// and characters XML cannot hold left out.
std::wstring EscapeAttribute(const std::wstring& text);

} // namespace HostConf
