#include "XmlText.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <iconv.h>

namespace HostConf {

int LineOf(const char* data, std::size_t size, std::ptrdiff_t offset) {
    if (data == nullptr || offset < 0)
        return 1;
    std::size_t end = std::min(size, static_cast<std::size_t>(offset));
    return 1 + static_cast<int>(std::count(data, data + end, '\n'));
}

namespace {

bool sameNoCase(const std::string& a, const char* b) {
    std::size_t n = std::strlen(b);
    if (a.size() != n)
        return false;
    for (std::size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// Where the encoding's name stands in the declaration at the start of a document: the offset and
// length of the name; false when there is no declaration or it names no encoding.
bool findDeclaredEncoding(const std::string& text, std::size_t& at, std::size_t& length) {
    if (text.compare(0, 5, "<?xml") != 0)
        return false;
    std::size_t end = text.find("?>");
    if (end == std::string::npos || end > 1024)
        return false;
    std::size_t key = text.find("encoding", 5);
    if (key == std::string::npos || key > end)
        return false;
    std::size_t p = key + 8;
    while (p < end && std::isspace(static_cast<unsigned char>(text[p])))
        ++p;
    if (p >= end || text[p] != '=')
        return false;
    ++p;
    while (p < end && std::isspace(static_cast<unsigned char>(text[p])))
        ++p;
    if (p >= end || (text[p] != '"' && text[p] != '\''))
        return false;
    std::size_t close = text.find(text[p], p + 1);
    if (close == std::string::npos || close > end)
        return false;
    at = p + 1;
    length = close - at;
    return true;
}

bool convertToUtf8(const std::string& from, const std::string& encoding, std::string& out,
                   std::string& reason) {
    iconv_t converter = iconv_open("UTF-8", encoding.c_str());
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        reason = "the declared encoding '" + encoding + "' is not known";
        return false;
    }
    out.clear();
    std::string input = from;
    char* in = input.data();
    std::size_t inLeft = input.size();
    char buffer[16384];
    bool ok = true;
    while (inLeft > 0) {
        char* outPointer = buffer;
        std::size_t outLeft = sizeof buffer;
        std::size_t result = iconv(converter, &in, &inLeft, &outPointer, &outLeft);
        out.append(buffer, sizeof buffer - outLeft);
        if (result == static_cast<std::size_t>(-1) && errno != E2BIG) {
            reason = "the text is not valid in its declared encoding " + encoding + " (byte " +
                     std::to_string(input.size() - inLeft + 1) + ")";
            ok = false;
            break;
        }
    }
    if (ok) {
        char* outPointer = buffer;
        std::size_t outLeft = sizeof buffer;
        iconv(converter, nullptr, nullptr, &outPointer, &outLeft);
        out.append(buffer, sizeof buffer - outLeft);
    }
    iconv_close(converter);
    return ok;
}

} // namespace

bool DecodeDeclaredEncoding(std::string& document, std::string& reason) {
    if (document.compare(0, 3, "\xEF\xBB\xBF") == 0)
        document.erase(0, 3);
    std::size_t at = 0, length = 0;
    if (!findDeclaredEncoding(document, at, length))
        return true;
    std::string encoding = document.substr(at, length);
    if (sameNoCase(encoding, "UTF-8") || sameNoCase(encoding, "UTF8"))
        return true;
    std::string converted;
    if (!convertToUtf8(document, encoding, converted, reason))
        return false;
    // The declaration is plain ASCII in every encoding that can be declared this way, so it
    // stands at the same place in the converted text.
    std::size_t newAt = 0, newLength = 0;
    if (!findDeclaredEncoding(converted, newAt, newLength)) {
        reason = "the declared encoding '" + encoding + "' does not keep the declaration readable";
        return false;
    }
    converted.replace(newAt, newLength, "UTF-8");
    document.swap(converted);
    return true;
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
