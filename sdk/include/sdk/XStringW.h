// XStringW: the host's wide string, used for all text that crosses between host and modules.
#pragma once

#include <compare>
#include "XStringA.h"

#include <cstdarg>
#include <string>
#include <string_view>

namespace Common {

class XStringW {
public:
    using size_type = std::wstring::size_type;
    static constexpr size_type npos = std::wstring::npos;

    XStringW() = default;
    XStringW(const wchar_t* text) : m_text(text != nullptr ? text : L"") {}
    XStringW(const wchar_t* text, size_type length)
        : m_text(text != nullptr ? text : L"", text != nullptr ? length : 0) {}
    XStringW(size_type count, wchar_t c) : m_text(count, c) {}
    XStringW(std::wstring text) : m_text(std::move(text)) {}
    XStringW(std::wstring_view text) : m_text(text) {}

    // Text of a multibyte code page (936, CP_UTF8, CP_ACP); undecodable bytes become U+FFFD.
    static XStringW FromMultiByte(const char* text, unsigned codePage);
    static XStringW FromMultiByte(const char* text, size_type length, unsigned codePage);
    // Converts to a code page; characters it cannot represent become "?".
    XStringA ToMultiByte(unsigned codePage) const;
    static XStringW FromUtf8(std::string_view text);
    std::string ToUtf8() const;

    const wchar_t* c_str() const noexcept { return m_text.c_str(); }
    const std::wstring& str() const noexcept { return m_text; }
    operator std::wstring_view() const noexcept { return m_text; }
    size_type length() const noexcept { return m_text.size(); }
    size_type size() const noexcept { return m_text.size(); }
    bool empty() const noexcept { return m_text.empty(); }
    void clear() noexcept { m_text.clear(); }
    wchar_t operator[](size_type i) const { return m_text[i]; }

    // Negative, zero or positive as this text sorts before, equal to or after the other, by
    // character values; with ignoreCase, letters compare without regard to case.
    int compare(const XStringW& other, bool ignoreCase = false) const;

    size_type find(const XStringW& what, size_type from = 0) const { return m_text.find(what.m_text, from); }
    size_type find(wchar_t c, size_type from = 0) const { return m_text.find(c, from); }
    size_type rfind(const XStringW& what, size_type from = npos) const {
        return m_text.rfind(what.m_text, from);
    }
    size_type rfind(wchar_t c, size_type from = npos) const { return m_text.rfind(c, from); }

    // Replaces every occurrence of `from`, scanning left to right without rescanning the
    // replacement text; returns the number of replacements. An empty `from` replaces nothing.
    int replace(const XStringW& from, const XStringW& to);

    // Up to `count` characters from `pos`; empty when `pos` is past the end.
    XStringW substr(size_type pos, size_type count = npos) const;

    // printf-style formatting as on Windows: %s and %c take wide text and characters (%hs and %S
    // narrow ones); numbers as in printf. Returns *this.
    XStringW& Format(const wchar_t* format, ...);
    XStringW& FormatV(const wchar_t* format, va_list args);

    XStringW& append(const XStringW& other) {
        m_text += other.m_text;
        return *this;
    }
    XStringW& operator+=(const XStringW& other) { return append(other); }
    XStringW& operator+=(const wchar_t* other) {
        m_text += other != nullptr ? other : L"";
        return *this;
    }
    XStringW& operator+=(wchar_t c) {
        m_text.push_back(c);
        return *this;
    }

    friend XStringW operator+(XStringW a, const XStringW& b) { return a.append(b); }
    friend bool operator==(const XStringW& a, const XStringW& b) noexcept { return a.m_text == b.m_text; }
    friend std::strong_ordering operator<=>(const XStringW& a, const XStringW& b) noexcept {
        return a.m_text <=> b.m_text;
    }

private:
    std::wstring m_text;
};

} // namespace Common

using Common::XStringW;
