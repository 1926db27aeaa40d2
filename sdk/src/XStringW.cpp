// XStringW: conversions, comparison, replacement and the Windows-style formatter.
#include "sdk/XStringW.h"
#include "ReplaceAll.h"
#include "sdk/XStringA.h"

#include <platform/winnls.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cwctype>
#include <string>

namespace Common {

namespace {

std::wstring decode(const char* text, size_t length, unsigned codePage) {
    if (text == nullptr || length == 0 || length > static_cast<size_t>(INT32_MAX))
        return {};
    int n = MultiByteToWideChar(codePage, 0, text, static_cast<int>(length), nullptr, 0);
    if (n <= 0)
        return {};
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(codePage, 0, text, static_cast<int>(length), out.data(), n);
    return out;
}

std::string encode(const std::wstring& text, unsigned codePage) {
    if (text.empty() || text.size() > static_cast<size_t>(INT32_MAX))
        return {};
    int n = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                nullptr);
    if (n <= 0)
        return {};
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr,
                        nullptr);
    return out;
}

// One conversion of a format: %[flags][width][.precision][size]type.
struct Conversion {
    std::string flags;
    int width = -1;
    int precision = -1;
    std::string size; // as written: "", "h", "hh", "l", "ll", "L", "w", "I", "I32", "I64", "z", "j", "t"
    wchar_t type = 0;
    bool leftAlign() const { return flags.find('-') != std::string::npos; }
};

void pad(std::wstring& out, const std::wstring& text, const Conversion& conv) {
    size_t width = conv.width > 0 ? static_cast<size_t>(conv.width) : 0;
    size_t fill = width > text.size() ? width - text.size() : 0;
    if (!conv.leftAlign())
        out.append(fill, L' ');
    out += text;
    if (conv.leftAlign())
        out.append(fill, L' ');
}

// Formats one number with the C library into ASCII and widens it.
template <class T>
void formatNumber(std::wstring& out, const Conversion& conv, const char* length, T value) {
    std::string f = "%" + conv.flags;
    if (conv.width >= 0)
        f += std::to_string(conv.width);
    if (conv.precision >= 0)
        f += "." + std::to_string(conv.precision);
    f += length;
    f.push_back(static_cast<char>(conv.type));
    char buffer[512];
    int n = std::snprintf(buffer, sizeof buffer, f.c_str(), value);
    if (n < 0)
        return;
    std::string text;
    if (static_cast<size_t>(n) < sizeof buffer) {
        text.assign(buffer, static_cast<size_t>(n));
    } else {
        text.resize(static_cast<size_t>(n) + 1);
        std::snprintf(text.data(), text.size(), f.c_str(), value);
        text.resize(static_cast<size_t>(n));
    }
    out.append(text.begin(), text.end());
}

bool isNarrow(const Conversion& conv) {
    // In a wide format, %s and %c are wide; %hs, %hc, %S and %C are narrow (%lS, %wC wide again).
    bool upper = conv.type == L'S' || conv.type == L'C';
    if (conv.size == "h")
        return true;
    if (conv.size == "l" || conv.size == "w")
        return false;
    return upper;
}

} // namespace

XStringW XStringW::FromMultiByte(const char* text, unsigned codePage) {
    return text == nullptr ? XStringW() : FromMultiByte(text, std::char_traits<char>::length(text), codePage);
}

XStringW XStringW::FromMultiByte(const char* text, size_type length, unsigned codePage) {
    return XStringW(decode(text, length, codePage));
}

XStringA XStringW::ToMultiByte(unsigned codePage) const {
    return XStringA(encode(m_text, codePage));
}

namespace {

// Decodes well-formed UTF-8 in one pass; false at the first ill-formed sequence (no overlong
// forms, surrogates or values above U+10FFFF), which the code-page layer then handles.
bool DecodeWellFormedUtf8(std::string_view text, std::wstring& out) {
    out.resize(text.size());
    size_t written = 0;
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const size_t n = text.size();
    for (size_t i = 0; i < n;) {
        const unsigned char b = p[i];
        if (b < 0x80) {
            out[written++] = static_cast<wchar_t>(b);
            ++i;
            continue;
        }
        int extra = 0;
        std::uint32_t c = 0;
        unsigned char lo = 0x80, hi = 0xBF;
        if (b >= 0xC2 && b <= 0xDF) {
            extra = 1;
            c = b & 0x1Fu;
        } else if (b >= 0xE0 && b <= 0xEF) {
            extra = 2;
            c = b & 0x0Fu;
            lo = b == 0xE0 ? 0xA0 : lo;
            hi = b == 0xED ? 0x9F : hi;
        } else if (b >= 0xF0 && b <= 0xF4) {
            extra = 3;
            c = b & 0x07u;
            lo = b == 0xF0 ? 0x90 : lo;
            hi = b == 0xF4 ? 0x8F : hi;
        } else {
            return false;
        }
        if (i + static_cast<size_t>(extra) >= n)
            return false;
        for (int k = 1; k <= extra; ++k) {
            const unsigned char t = p[i + static_cast<size_t>(k)];
            if (t < (k == 1 ? lo : 0x80) || t > (k == 1 ? hi : 0xBF))
                return false;
            c = (c << 6) | (t & 0x3Fu);
        }
        out[written++] = static_cast<wchar_t>(c);
        i += static_cast<size_t>(extra) + 1;
    }
    out.resize(written);
    return true;
}

} // namespace

XStringW XStringW::FromUtf8(std::string_view text) {
    // Most text is well formed and goes through one pass here; the code-page layer, which
    // converts twice (once to measure) and replaces what is ill formed, takes the rest.
    std::wstring decoded;
    if (DecodeWellFormedUtf8(text, decoded))
        return XStringW(std::move(decoded));
    return XStringW(decode(text.data(), text.size(), CP_UTF8));
}

std::string XStringW::ToUtf8() const {
    // One pass to measure and one to write, here rather than through the code-page layer, which
    // converts the whole text twice; headers and statements of some ten thousand characters go
    // through this on every show. A character that is no Unicode scalar value becomes U+FFFD.
    auto scalar = [](wchar_t w) {
        const auto c = static_cast<std::uint32_t>(w);
        return c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF) ? c : 0xFFFDu;
    };
    size_t length = 0;
    for (wchar_t w : m_text) {
        const std::uint32_t c = scalar(w);
        length += c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
    }
    std::string out(length, '\0');
    char* p = out.data();
    for (wchar_t w : m_text) {
        const std::uint32_t c = scalar(w);
        if (c < 0x80) {
            *p++ = static_cast<char>(c);
        } else if (c < 0x800) {
            *p++ = static_cast<char>(0xC0 | (c >> 6));
            *p++ = static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            *p++ = static_cast<char>(0xE0 | (c >> 12));
            *p++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            *p++ = static_cast<char>(0x80 | (c & 0x3F));
        } else {
            *p++ = static_cast<char>(0xF0 | (c >> 18));
            *p++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            *p++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            *p++ = static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

int XStringW::compare(const XStringW& other, bool ignoreCase) const {
    if (!ignoreCase)
        return m_text.compare(other.m_text) < 0 ? -1 : (m_text == other.m_text ? 0 : 1);
    size_type n = std::min(m_text.size(), other.m_text.size());
    for (size_type i = 0; i < n; ++i) {
        auto a = static_cast<std::uint32_t>(std::towlower(static_cast<wint_t>(m_text[i])));
        auto b = static_cast<std::uint32_t>(std::towlower(static_cast<wint_t>(other.m_text[i])));
        if (a != b)
            return a < b ? -1 : 1;
    }
    return m_text.size() == other.m_text.size() ? 0 : (m_text.size() < other.m_text.size() ? -1 : 1);
}

int XStringW::replace(const XStringW& from, const XStringW& to) {
    return ReplaceAll(m_text, from.m_text, to.m_text);
}

XStringW XStringW::substr(size_type pos, size_type count) const {
    if (pos >= m_text.size())
        return XStringW();
    return XStringW(m_text.substr(pos, count));
}

XStringW& XStringW::Format(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    FormatV(format, args);
    va_end(args);
    return *this;
}

XStringW& XStringW::FormatV(const wchar_t* format, va_list args) {
    std::wstring out;
    if (format == nullptr) {
        m_text.clear();
        return *this;
    }
    for (const wchar_t* p = format; *p != L'\0'; ++p) {
        if (*p != L'%') {
            out.push_back(*p);
            continue;
        }
        const wchar_t* start = p++;
        if (*p == L'%') {
            out.push_back(L'%');
            continue;
        }
        Conversion conv;
        while (*p == L'-' || *p == L'+' || *p == L' ' || *p == L'#' || *p == L'0')
            conv.flags.push_back(static_cast<char>(*p++));
        if (*p == L'*') {
            conv.width = va_arg(args, int);
            if (conv.width < 0) {
                conv.flags.push_back('-');
                conv.width = conv.width == INT32_MIN ? INT32_MAX : -conv.width;
            }
            ++p;
        } else {
            for (; *p >= L'0' && *p <= L'9'; ++p)
                conv.width = std::min(10000, (conv.width < 0 ? 0 : conv.width) * 10 + (*p - L'0'));
        }
        if (*p == L'.') {
            ++p;
            conv.precision = 0;
            if (*p == L'*') {
                conv.precision = va_arg(args, int);
                ++p;
            } else {
                for (; *p >= L'0' && *p <= L'9'; ++p)
                    conv.precision = std::min(10000, conv.precision * 10 + (*p - L'0'));
            }
        }
        if (p[0] == L'I' && p[1] == L'6' && p[2] == L'4') {
            conv.size = "ll";
            p += 3;
        } else if (p[0] == L'I' && p[1] == L'3' && p[2] == L'2') {
            p += 3;
        } else if (p[0] == L'I') {
            conv.size = "z";
            ++p;
        } else if ((p[0] == L'h' && p[1] == L'h') || (p[0] == L'l' && p[1] == L'l')) {
            conv.size = p[0] == L'h' ? "hh" : "ll";
            p += 2;
        } else if (*p == L'h' || *p == L'l' || *p == L'L' || *p == L'w' || *p == L'z' || *p == L'j' ||
                   *p == L't') {
            conv.size = static_cast<char>(*p++);
        }
        conv.type = *p;
        switch (conv.type) {
        case L'd':
        case L'i': {
            long long v;
            if (conv.size == "ll")
                v = va_arg(args, long long);
            else if (conv.size == "l")
                v = va_arg(args, long);
            else if (conv.size == "z" || conv.size == "t")
                v = va_arg(args, std::ptrdiff_t);
            else if (conv.size == "j")
                v = va_arg(args, std::intmax_t);
            else
                v = va_arg(args, int);
            if (conv.size == "h")
                v = static_cast<short>(v);
            else if (conv.size == "hh")
                v = static_cast<signed char>(v);
            formatNumber(out, conv, "ll", v);
            break;
        }
        case L'o':
        case L'u':
        case L'x':
        case L'X': {
            unsigned long long v;
            if (conv.size == "ll")
                v = va_arg(args, unsigned long long);
            else if (conv.size == "l")
                v = va_arg(args, unsigned long);
            else if (conv.size == "z" || conv.size == "t")
                v = va_arg(args, std::size_t);
            else if (conv.size == "j")
                v = va_arg(args, std::uintmax_t);
            else
                v = va_arg(args, unsigned int);
            if (conv.size == "h")
                v = static_cast<unsigned short>(v);
            else if (conv.size == "hh")
                v = static_cast<unsigned char>(v);
            formatNumber(out, conv, "ll", v);
            break;
        }
        case L'e':
        case L'E':
        case L'f':
        case L'F':
        case L'g':
        case L'G':
        case L'a':
        case L'A':
            if (conv.size == "L")
                formatNumber(out, conv, "L", va_arg(args, long double));
            else
                formatNumber(out, conv, "", va_arg(args, double));
            break;
        case L'p':
            formatNumber(out, conv, "", va_arg(args, void*));
            break;
        case L'c':
        case L'C': {
            int c = va_arg(args, int);
            std::wstring text;
            if (isNarrow(conv)) {
                char byte = static_cast<char>(c);
                text = decode(&byte, 1, CP_ACP);
            } else {
                text.assign(1, static_cast<wchar_t>(c));
            }
            pad(out, text, conv);
            break;
        }
        case L's':
        case L'S': {
            std::wstring text;
            if (isNarrow(conv)) {
                const char* s = va_arg(args, const char*);
                if (s == nullptr) {
                    text = L"(null)";
                } else {
                    size_t n = std::char_traits<char>::length(s);
                    if (conv.precision >= 0 && static_cast<size_t>(conv.precision) < n)
                        n = static_cast<size_t>(conv.precision);
                    text = decode(s, n, CP_ACP);
                }
            } else {
                const wchar_t* s = va_arg(args, const wchar_t*);
                text = s != nullptr ? s : L"(null)";
                if (conv.precision >= 0 && static_cast<size_t>(conv.precision) < text.size())
                    text.resize(static_cast<size_t>(conv.precision));
            }
            pad(out, text, conv);
            break;
        }
        case L'n':
            // Writing back through a pointer is never needed here; the argument is consumed.
            (void)va_arg(args, void*);
            break;
        default:
            // Not a conversion: keep the text as written and consume nothing.
            out.append(start, conv.type == L'\0' ? p : p + 1);
            if (conv.type == L'\0')
                --p;
            break;
        }
    }
    m_text.swap(out);
    return *this;
}

} // namespace Common
