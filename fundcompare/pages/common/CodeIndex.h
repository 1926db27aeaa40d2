// CodeIndex: the row of a fund code among the thousands of a fund universe, found without a heap
// node per code: an open-addressing table of views of codes that the caller keeps in place. Codes
// are wide text or, for a universe kept as the database's UTF-8, bytes (Utf8CodeIndex).
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

template <class Char>
class BasicCodeIndex {
public:
    using View = std::basic_string_view<Char>;

    // Room for this many codes without growing.
    void Reserve(size_t count) {
        size_t capacity = 16;
        while (capacity < 2 * count)
            capacity *= 2;
        if (capacity <= m_slots.size())
            return;
        std::vector<Slot> old;
        old.swap(m_slots);
        m_slots.resize(capacity);
        m_size = 0;
        for (const Slot& slot : old)
            if (slot.row != kFree)
                Add(slot.code, slot.row);
    }
    // Adds the code of a row; a code added before keeps its first row. The text must stay where it
    // is while the index is used.
    void Add(View code, std::uint32_t row) {
        if (2 * (m_size + 1) > m_slots.size())
            Reserve(m_slots.empty() ? 8 : m_slots.size());
        const size_t mask = m_slots.size() - 1;
        for (size_t i = Hash(code) & mask;; i = (i + 1) & mask) {
            Slot& slot = m_slots[i];
            if (slot.row == kFree) {
                slot.code = code;
                slot.row = row;
                ++m_size;
                return;
            }
            if (slot.code == code)
                return;
        }
    }
    // The row of the code, or -1.
    int Find(View code) const {
        if (m_slots.empty())
            return -1;
        const size_t mask = m_slots.size() - 1;
        for (size_t i = Hash(code) & mask;; i = (i + 1) & mask) {
            const Slot& slot = m_slots[i];
            if (slot.row == kFree)
                return -1;
            if (slot.code == code)
                return static_cast<int>(slot.row);
        }
    }
    size_t Size() const { return m_size; }

private:
    static constexpr std::uint32_t kFree = 0xFFFFFFFFu;
    struct Slot {
        View code;
        std::uint32_t row = kFree;
    };

    // FNV-1a over the characters; codes are short.
    static std::uint64_t Hash(View code) {
        std::uint64_t hash = 1469598103934665603ULL;
        for (Char c : code) {
            hash ^= static_cast<std::uint64_t>(c);
            hash *= 1099511628211ULL;
        }
        return hash ^ (hash >> 29);
    }

    std::vector<Slot> m_slots; // a power of two, at most half full
    size_t m_size = 0;
};

using CodeIndex = BasicCodeIndex<wchar_t>;
using Utf8CodeIndex = BasicCodeIndex<char>;
