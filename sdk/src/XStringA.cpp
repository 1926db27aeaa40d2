// XStringA: conversions, comparison, replacement and formatting of narrow text.
#include "sdk/XStringA.h"
#include "ReplaceAll.h"
#include "sdk/XStringW.h"

#include <algorithm>
#include <cstdio>

namespace Common {

XStringW XStringA::ToWide(unsigned codePage) const {
    return XStringW::FromMultiByte(m_text.data(), m_text.size(), codePage);
}

int XStringA::compare(const XStringA& other, bool ignoreCase) const {
    auto fold = [ignoreCase](char c) {
        auto u = static_cast<unsigned char>(c);
        return ignoreCase && u >= 'A' && u <= 'Z' ? static_cast<unsigned char>(u - 'A' + 'a') : u;
    };
    size_type n = std::min(m_text.size(), other.m_text.size());
    for (size_type i = 0; i < n; ++i) {
        unsigned char a = fold(m_text[i]), b = fold(other.m_text[i]);
        if (a != b)
            return a < b ? -1 : 1;
    }
    return m_text.size() == other.m_text.size() ? 0 : (m_text.size() < other.m_text.size() ? -1 : 1);
}

int XStringA::replace(const XStringA& from, const XStringA& to) {
    return ReplaceAll(m_text, from.m_text, to.m_text);
}

XStringA XStringA::substr(size_type pos, size_type count) const {
    if (pos >= m_text.size())
        return XStringA();
    return XStringA(m_text.substr(pos, count));
}

XStringA& XStringA::Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (n < 0) {
        m_text.clear();
    } else {
        std::string out(static_cast<size_t>(n) + 1, '\0');
        std::vsnprintf(out.data(), out.size(), format, args);
        out.resize(static_cast<size_t>(n));
        m_text.swap(out);
    }
    va_end(args);
    return *this;
}

} // namespace Common
