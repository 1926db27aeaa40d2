#include "XmlText.h"

#include <algorithm>

namespace HostConf {

int LineOf(const char* data, std::size_t size, std::ptrdiff_t offset) {
    if (data == nullptr || offset < 0)
        return 1;
    std::size_t end = std::min(size, static_cast<std::size_t>(offset));
    return 1 + static_cast<int>(std::count(data, data + end, '\n'));
}

std::wstring EscapeAttribute(const std::wstring& text) {
    std::wstring out;
    out.reserve(text.size());
    for (wchar_t c : text) {
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
        default:
            out += c;
        }
    }
    return out;
}

} // namespace HostConf
