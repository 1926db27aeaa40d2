// CharPool: the characters of a text column, grown without initialising the new space, because
// every character is written right after it is reserved.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cwchar>
#include <memory>
#include <string_view>
#include <utility>

namespace HostKernel {

class CharPool {
public:
    std::size_t size() const { return m_size; }
    const wchar_t* data() const { return m_data.get(); }
    wchar_t* data() { return m_data.get(); }
    void clear() { m_size = 0; }

    void reserve(std::size_t capacity) {
        if (capacity <= m_capacity)
            return;
        auto grown = std::make_unique_for_overwrite<wchar_t[]>(capacity);
        if (m_size > 0)
            std::wmemcpy(grown.get(), m_data.get(), m_size);
        m_data = std::move(grown);
        m_capacity = capacity;
    }
    // Space for n more characters at the end, counted in the size; Truncate gives back what was
    // not used.
    wchar_t* Grow(std::size_t n) {
        if (m_size + n > m_capacity)
            reserve(std::max(m_size + n, m_capacity * 2 + 64));
        wchar_t* at = m_data.get() + m_size;
        m_size += n;
        return at;
    }
    void Truncate(std::size_t size) { m_size = std::min(size, m_size); }
    void append(std::wstring_view text) {
        if (!text.empty())
            std::wmemcpy(Grow(text.size()), text.data(), text.size());
    }
    void swap(CharPool& other) noexcept {
        std::swap(m_data, other.m_data);
        std::swap(m_size, other.m_size);
        std::swap(m_capacity, other.m_capacity);
    }

private:
    std::unique_ptr<wchar_t[]> m_data;
    std::size_t m_size = 0;
    std::size_t m_capacity = 0;
};

} // namespace HostKernel
