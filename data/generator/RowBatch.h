// Rows on their way from the thread that makes them to the thread that inserts them.
//
// A batch is a flat byte buffer: for each row the number of its table and of its values, then each
// value as a tag byte and its bytes. Text is copied in, so the maker's strings may go away as soon
// as the row is added, and the inserting side can bind it straight from the buffer.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace SampleDb {

// A NULL cell.
struct Null {};

class RowBatch {
public:
    enum class Tag : unsigned char { Null, Integer, Real, Text };

    void BeginRow(int table, int values) {
        m_bytes.push_back(static_cast<unsigned char>(table));
        m_bytes.push_back(static_cast<unsigned char>(values));
        ++m_rows;
    }
    void Add(std::int64_t value) { Put(Tag::Integer, &value, sizeof value); }
    void Add(int value) { Add(static_cast<std::int64_t>(value)); }
    void Add(double value) { Put(Tag::Real, &value, sizeof value); }
    void Add(std::string_view text) {
        const auto length = static_cast<std::uint32_t>(text.size());
        Put(Tag::Text, &length, sizeof length);
        Append(text.data(), text.size());
    }
    void Add(const std::string& text) { Add(std::string_view(text)); }
    void Add(const char* text) { Add(std::string_view(text)); }
    void Add(Null) { m_bytes.push_back(static_cast<unsigned char>(Tag::Null)); }
    void Add(const std::optional<double>& value) {
        if (value)
            Add(*value);
        else
            Add(Null{});
    }

    std::size_t Bytes() const { return m_bytes.size(); }
    std::int64_t Rows() const { return m_rows; }
    bool Empty() const { return m_bytes.empty(); }
    // Empties the batch but keeps its memory, so that a recycled batch does not grow again.
    void Clear() {
        m_bytes.clear();
        m_rows = 0;
    }
    void Reserve(std::size_t bytes) { m_bytes.reserve(bytes); }

    // Walks the rows of a batch in the order they were added. The views it returns point into the
    // batch and stay valid while the batch is neither changed nor destroyed.
    class Reader {
    public:
        struct Value {
            Tag tag = Tag::Null;
            std::int64_t integer = 0;
            double real = 0.0;
            std::string_view text;
        };

        explicit Reader(const RowBatch& batch)
            : m_at(batch.m_bytes.data()), m_end(batch.m_bytes.data() + batch.m_bytes.size()) {}

        // Reads the next row's header; false at the end of the batch.
        bool NextRow(int& table, int& values);
        // Reads the next value of the current row. Throws std::runtime_error on a truncated or
        // unknown value, which only a fault in the writing side can cause.
        Value NextValue();

    private:
        void Take(void* to, std::size_t size);

        const unsigned char* m_at;
        const unsigned char* m_end;
    };

private:
    void Put(Tag tag, const void* bytes, std::size_t size) {
        m_bytes.push_back(static_cast<unsigned char>(tag));
        Append(bytes, size);
    }
    void Append(const void* bytes, std::size_t size) {
        const auto* from = static_cast<const unsigned char*>(bytes);
        m_bytes.insert(m_bytes.end(), from, from + size);
    }

    std::vector<unsigned char> m_bytes;
    std::int64_t m_rows = 0;
};

} // namespace SampleDb
