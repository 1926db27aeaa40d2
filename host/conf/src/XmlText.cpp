#include "XmlText.h"

#include <algorithm>

namespace HostConf {

int LineOf(const char* data, std::size_t size, std::ptrdiff_t offset) {
    if (data == nullptr || offset < 0)
        return 1;
    std::size_t end = std::min(size, static_cast<std::size_t>(offset));
    return 1 + static_cast<int>(std::count(data, data + end, '\n'));
}

bool IsXmlChar(wchar_t c) {
    const auto u = static_cast<unsigned long>(c);
    if (u < 0x20)
        return c == L'\t' || c == L'\n' || c == L'\r';
    return (u < 0xD800 || u > 0xDFFF) && u != 0xFFFE && u != 0xFFFF && u <= 0x10FFFF;
}

std::wstring EscapeAttribute(const std::wstring& text) {
    std::wstring out;
    out.reserve(text.size());
    for (wchar_t c : text) {
        if (!IsXmlChar(c))
            continue;
        switch (c) {
        case L'&':
            out += L"&amp;";
            break;
        case L'<':
            out += L"&lt;";
            break;
        case L'>':
            out += L"&gt;";
            break;
        case L'"':
            out += L"&quot;";
            break;
        case L'\t':
            out += L"&#9;";
            break;
        case L'\n':
            out += L"&#10;";
            break;
        case L'\r':
            out += L"&#13;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

} // namespace HostConf
