// Records of a CSV or TSV text, read piece by piece from a TextDecoder so that a file of any size
// takes little memory. Fields are separated by commas, tabs or semicolons (the one the first line
// uses most, tabs winning a tie, unless given); a field in double quotes may hold separators, line
// breaks and doubled quotes; lines end in LF or CRLF. Blank lines are skipped. Each record carries
// the number of the line it starts on, for error messages.
#pragma once

#include "TextDecoder.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace FundImport {

class CsvScanner {
public:
    // `delimiter` 0 finds it from the first line.
    explicit CsvScanner(TextDecoder& decoder, char delimiter = 0);

    // The next record's fields, valid until the next call; false at the end or on an error.
    bool Next(std::vector<std::string_view>& fields, std::int64_t& line);
    const std::string& Error() const { return m_error; }
    char Delimiter() const { return m_delimiter; }

private:
    struct Span {
        std::size_t begin = 0, end = 0;
        bool escaped = false; // holds doubled quotes to undo
    };
    enum class Parse { Record, NeedMore, Failed };
    Parse ParseRecord(std::size_t& next, std::int64_t& lines);
    bool Refill();
    void FindDelimiter();

    TextDecoder& m_decoder;
    char m_delimiter;
    std::string m_buffer;
    std::size_t m_pos = 0;
    bool m_finished = false; // the decoder has nothing more
    std::int64_t m_line = 1;
    std::vector<Span> m_spans;
    std::string m_unescaped;
    std::string m_error;
};

} // namespace FundImport
