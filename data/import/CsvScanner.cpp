// The CSV scanner: records parsed in place in a buffer that is refilled from the decoder.
#include "CsvScanner.h"

namespace FundImport {

CsvScanner::CsvScanner(TextDecoder& decoder, char delimiter) : m_decoder(decoder), m_delimiter(delimiter) {}

bool CsvScanner::Refill() {
    if (m_finished)
        return false;
    m_buffer.erase(0, m_pos);
    m_pos = 0;
    if (!m_decoder.Read(m_buffer)) {
        m_finished = true;
        if (!m_decoder.Error().empty())
            m_error = m_decoder.Error();
        return false;
    }
    return true;
}

void CsvScanner::FindDelimiter() {
    int commas = 0, tabs = 0, semicolons = 0;
    bool quoted = false;
    for (std::size_t i = m_pos; i < m_buffer.size(); ++i) {
        const char c = m_buffer[i];
        if (c == '"')
            quoted = !quoted;
        else if (!quoted && c == '\n')
            break;
        else if (!quoted && c == ',')
            ++commas;
        else if (!quoted && c == '\t')
            ++tabs;
        else if (!quoted && c == ';')
            ++semicolons;
    }
    m_delimiter = tabs > 0 && tabs >= commas ? '\t' : commas > 0 ? ',' : semicolons > 0 ? ';' : ',';
}

CsvScanner::Parse CsvScanner::ParseRecord(std::size_t& next, std::int64_t& lines) {
    m_spans.clear();
    lines = 0;
    std::size_t i = m_pos;
    const std::size_t n = m_buffer.size();
    const char* data = m_buffer.data();
    for (;;) {
        Span span;
        if (i < n && data[i] == '"') {
            ++i;
            span.begin = i;
            for (;;) {
                if (i >= n)
                    return m_finished ? (m_error = "a quoted field is never closed", Parse::Failed)
                                      : Parse::NeedMore;
                if (data[i] == '"') {
                    if (i + 1 >= n && !m_finished)
                        return Parse::NeedMore;
                    if (i + 1 < n && data[i + 1] == '"') {
                        span.escaped = true;
                        i += 2;
                        continue;
                    }
                    span.end = i;
                    ++i;
                    break;
                }
                if (data[i] == '\n')
                    ++lines;
                ++i;
            }
            if (i < n && data[i] != m_delimiter && data[i] != '\r' && data[i] != '\n') {
                m_error = "text after a closing quote";
                return Parse::Failed;
            }
        } else {
            span.begin = i;
            while (i < n && data[i] != m_delimiter && data[i] != '\n')
                ++i;
            if (i >= n && !m_finished)
                return Parse::NeedMore;
            span.end = i;
            if (span.end > span.begin && i < n && data[i] == '\n' && data[span.end - 1] == '\r')
                --span.end;
            else if (i >= n && span.end > span.begin && data[span.end - 1] == '\r')
                --span.end;
        }
        m_spans.push_back(span);
        if (i < n && data[i] == m_delimiter) {
            ++i;
            continue;
        }
        if (i < n && data[i] == '\r')
            ++i;
        if (i < n && data[i] == '\n') {
            ++i;
            ++lines;
        } else if (i < n) {
            m_error = "a stray carriage return";
            return Parse::Failed;
        } else if (!m_finished) {
            return Parse::NeedMore;
        }
        next = i;
        return Parse::Record;
    }
}

bool CsvScanner::Next(std::vector<std::string_view>& fields, std::int64_t& line) {
    for (;;) {
        if (!m_error.empty())
            return false;
        if (m_pos >= m_buffer.size() && !Refill())
            return false;
        if (m_delimiter == 0) {
            while (m_buffer.find('\n', m_pos) == std::string::npos && Refill()) {
            }
            FindDelimiter();
        }
        std::size_t next = 0;
        std::int64_t lines = 0;
        Parse parse = ParseRecord(next, lines);
        while (parse == Parse::NeedMore) {
            if (!Refill()) {
                if (!m_error.empty())
                    return false;
            }
            parse = ParseRecord(next, lines);
        }
        if (parse == Parse::Failed) {
            m_error = "line " + std::to_string(m_line) + ": " + m_error;
            return false;
        }
        line = m_line;
        m_line += lines;
        m_pos = next;
        bool blank = true;
        for (const Span& span : m_spans)
            if (span.end > span.begin) {
                blank = false;
                break;
            }
        if (blank)
            continue;
        m_unescaped.clear();
        for (const Span& span : m_spans)
            if (span.escaped)
                for (std::size_t k = span.begin; k < span.end; ++k) {
                    m_unescaped.push_back(m_buffer[k]);
                    if (m_buffer[k] == '"')
                        ++k;
                }
        fields.clear();
        std::size_t at = 0;
        for (const Span& span : m_spans) {
            if (!span.escaped) {
                fields.emplace_back(m_buffer.data() + span.begin, span.end - span.begin);
                continue;
            }
            std::size_t length = 0;
            for (std::size_t k = span.begin; k < span.end; ++k, ++length)
                if (m_buffer[k] == '"')
                    ++k;
            fields.emplace_back(m_unescaped.data() + at, length);
            at += length;
        }
        return true;
    }
}

} // namespace FundImport
