// XStringA: the host's narrow string, for identifiers (module ids, event names, theme keys) and
// multibyte text of a code page.
#pragma once

#include <compare>
#include <cstdarg>
#include <string>
#include <string_view>

namespace Common {

class XStringW;

class XStringA {
public:
    using size_type = std::string::size_type;
    static constexpr size_type npos = std::string::npos;

    XStringA() = default;
    XStringA(const char* text) : m_text(text != nullptr ? text : "") {}
    XStringA(const char* text, size_type length)
        : m_text(text != nullptr ? text : "", text != nullptr ? length : 0) {}
    XStringA(std::string text) : m_text(std::move(text)) {}
    XStringA(std::string_view text) : m_text(text) {}

    // Decodes this text of a code page (936, CP_UTF8, CP_ACP); undecodable bytes become U+FFFD.
    XStringW ToWide(unsigned codePage) const;

    const char* c_str() const noexcept { return m_text.c_str(); }
    const std::string& str() const noexcept { return m_text; }
    operator std::string_view() const noexcept { return m_text; }
    size_type length() const noexcept { return m_text.size(); }
    size_type size() const noexcept { return m_text.size(); }
    bool empty() const noexcept { return m_text.empty(); }
    void clear() noexcept { m_text.clear(); }
    char operator[](size_type i) const { return m_text[i]; }

    // Byte-wise comparison; with ignoreCase, ASCII letters compare without regard to case.
    int compare(const XStringA& other, bool ignoreCase = false) const;
    size_type find(const XStringA& what, size_type from = 0) const { return m_text.find(what.m_text, from); }
    size_type find(char c, size_type from = 0) const { return m_text.find(c, from); }
    int replace(const XStringA& from, const XStringA& to);
    XStringA substr(size_type pos, size_type count = npos) const;
    XStringA& Format(const char* format, ...) __attribute__((format(printf, 2, 3)));

    XStringA& operator+=(const XStringA& other) {
        m_text += other.m_text;
        return *this;
    }
    friend XStringA operator+(XStringA a, const XStringA& b) { return a += b; }
    friend bool operator==(const XStringA& a, const XStringA& b) noexcept { return a.m_text == b.m_text; }
    friend std::strong_ordering operator<=>(const XStringA& a, const XStringA& b) noexcept {
        return a.m_text <=> b.m_text;
    }

private:
    std::string m_text;
};

} // namespace Common

using Common::XStringA;
