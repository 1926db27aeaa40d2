#include "RowBatch.h"

#include <cstring>
#include <stdexcept>

namespace SampleDb {

bool RowBatch::Reader::NextRow(int& table, int& values) {
    if (m_at == m_end)
        return false;
    unsigned char header[2];
    Take(header, sizeof header);
    table = header[0];
    values = header[1];
    return true;
}

RowBatch::Reader::Value RowBatch::Reader::NextValue() {
    Value value;
    unsigned char tag = 0;
    Take(&tag, 1);
    value.tag = static_cast<Tag>(tag);
    switch (value.tag) {
    case Tag::Null:
        break;
    case Tag::Integer:
        Take(&value.integer, sizeof value.integer);
        break;
    case Tag::Real:
        Take(&value.real, sizeof value.real);
        break;
    case Tag::Text: {
        std::uint32_t length = 0;
        Take(&length, sizeof length);
        if (static_cast<std::size_t>(m_end - m_at) < length)
            throw std::runtime_error("a row batch ends inside a text");
        value.text = std::string_view(reinterpret_cast<const char*>(m_at), length);
        m_at += length;
        break;
    }
    default:
        throw std::runtime_error("a row batch holds an unknown value");
    }
    return value;
}

void RowBatch::Reader::Take(void* to, std::size_t size) {
    if (static_cast<std::size_t>(m_end - m_at) < size)
        throw std::runtime_error("a row batch ends inside a row");
    std::memcpy(to, m_at, size);
    m_at += size;
}

} // namespace SampleDb
