// Encoding detection and conversion to UTF-8 through iconv.
#include "TextDecoder.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>

namespace FundImport {
namespace {

constexpr std::size_t kPiece = 1 << 20;
constexpr std::size_t kSample = 64 << 10;

iconv_t Handle(void* handle) {
    return static_cast<iconv_t>(handle);
}

} // namespace

bool ParseEncoding(std::string_view name, Encoding& encoding) {
    std::string lower;
    for (char c : name)
        if (c != '-' && c != '_')
            lower.push_back(static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c));
    if (lower == "auto")
        encoding = Encoding::Auto;
    else if (lower == "utf8")
        encoding = Encoding::Utf8;
    else if (lower == "gb18030" || lower == "gbk" || lower == "gb2312" || lower == "cp936")
        encoding = Encoding::Gb18030;
    else if (lower == "utf16")
        encoding = Encoding::Utf16;
    else
        return false;
    return true;
}

const char* EncodingName(Encoding encoding) {
    switch (encoding) {
    case Encoding::Auto:
        return "auto";
    case Encoding::Utf8:
        return "UTF-8";
    case Encoding::Gb18030:
        return "GB18030";
    case Encoding::Utf16:
        return "UTF-16";
    }
    return "?";
}

bool IsUtf8(std::string_view bytes, bool allowCut) {
    std::size_t i = 0;
    const std::size_t n = bytes.size();
    while (i < n) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        int follow = 0;
        unsigned minimum = 0;
        unsigned code = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            follow = 1;
            code = c & 0x1F;
            minimum = 0x80;
        } else if ((c & 0xF0) == 0xE0) {
            follow = 2;
            code = c & 0x0F;
            minimum = 0x800;
        } else if ((c & 0xF8) == 0xF0) {
            follow = 3;
            code = c & 0x07;
            minimum = 0x10000;
        } else {
            return false;
        }
        if (i + follow >= n) {
            if (!allowCut)
                return false;
            // Cut off at the end: valid as far as it goes.
            for (std::size_t k = i + 1; k < n; ++k)
                if ((static_cast<unsigned char>(bytes[k]) & 0xC0) != 0x80)
                    return false;
            return true;
        }
        for (int k = 1; k <= follow; ++k) {
            const auto b = static_cast<unsigned char>(bytes[i + k]);
            if ((b & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (b & 0x3F);
        }
        if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += follow + 1;
    }
    return true;
}

TextDecoder::TextDecoder() = default;

TextDecoder::~TextDecoder() {
    if (m_file != nullptr)
        std::fclose(m_file);
    if (m_iconv != nullptr)
        iconv_close(Handle(m_iconv));
}

bool TextDecoder::Open(const std::string& path, Encoding forced, std::string& error) {
    m_file = std::fopen(path.c_str(), "rb");
    if (m_file == nullptr) {
        error = std::strerror(errno);
        return false;
    }
    Detect(forced);
    if (!m_error.empty()) {
        error = m_error;
        return false;
    }
    return true;
}

void TextDecoder::OpenBytes(std::string bytes, Encoding forced) {
    m_memory = std::move(bytes);
    Detect(forced);
}

bool TextDecoder::Fill() {
    if (m_end)
        return false;
    if (m_file != nullptr) {
        const std::size_t had = m_raw.size();
        m_raw.resize(had + kPiece);
        const std::size_t got = std::fread(m_raw.data() + had, 1, kPiece, m_file);
        m_raw.resize(had + got);
        if (got == 0) {
            if (std::ferror(m_file))
                m_error = std::string("cannot read: ") + std::strerror(errno);
            m_end = true;
            return false;
        }
        return true;
    }
    if (m_memoryAt >= m_memory.size()) {
        m_end = true;
        return false;
    }
    const std::size_t take = std::min(kPiece, m_memory.size() - m_memoryAt);
    m_raw.append(m_memory, m_memoryAt, take);
    m_memoryAt += take;
    return true;
}

void TextDecoder::Detect(Encoding forced) {
    while (m_raw.size() < kSample && Fill()) {
    }
    m_end = false;
    if (m_file == nullptr && m_memoryAt >= m_memory.size())
        m_end = true;
    if (m_file != nullptr && std::feof(m_file))
        m_end = true;
    std::string_view head(m_raw);
    std::size_t skip = 0;
    Encoding found = Encoding::Utf8;
    const char* from = nullptr;
    if (head.substr(0, 3) == "\xEF\xBB\xBF") {
        skip = 3;
        found = Encoding::Utf8;
    } else if (head.substr(0, 2) == "\xFF\xFE") {
        skip = 2;
        found = Encoding::Utf16;
        from = "UTF-16LE";
    } else if (head.substr(0, 2) == "\xFE\xFF") {
        skip = 2;
        found = Encoding::Utf16;
        from = "UTF-16BE";
    } else if (!IsUtf8(head, !m_end)) {
        found = Encoding::Gb18030;
    }
    if (forced != Encoding::Auto && forced != found) {
        // A forced encoding wins over the detection; a UTF-8 mark is dropped either way.
        found = forced;
        from = nullptr;
        if (forced == Encoding::Utf16 && skip != 2)
            from = "UTF-16LE";
        if (forced != Encoding::Utf8 && skip == 3)
            skip = 0;
    }
    if (found == Encoding::Gb18030)
        from = "GB18030";
    m_encoding = found;
    m_raw.erase(0, skip);
    m_offset = skip;
    if (from != nullptr) {
        iconv_t handle = iconv_open("UTF-8", from);
        if (handle == reinterpret_cast<iconv_t>(-1)) {
            m_error = std::string("no converter from ") + from;
            return;
        }
        m_iconv = handle;
    }
}

bool TextDecoder::Read(std::string& out) {
    if (!m_error.empty())
        return false;
    if (!m_end)
        Fill();
    if (!m_error.empty() || m_raw.empty())
        return false;
    if (m_iconv == nullptr) {
        // UTF-8 passes through; a sequence cut at the end of the piece waits for the next piece.
        std::size_t keep = 0;
        if (!m_end) {
            std::size_t k = m_raw.size();
            while (k > 0 && keep < 3 && (static_cast<unsigned char>(m_raw[k - 1]) & 0xC0) == 0x80) {
                --k;
                ++keep;
            }
            if (k > 0 && static_cast<unsigned char>(m_raw[k - 1]) >= 0xC0)
                ++keep;
            else
                keep = 0;
        }
        const std::string_view piece(m_raw.data(), m_raw.size() - keep);
        if (!IsUtf8(piece, false)) {
            m_error = "not UTF-8 text near byte " + std::to_string(m_offset) +
                      " (give the encoding with --encoding gb18030)";
            return false;
        }
        out.append(piece);
        m_offset += piece.size();
        m_raw.erase(0, piece.size());
        return true;
    }
    std::string converted(m_raw.size() * 2 + 16, '\0');
    char* in = m_raw.data();
    std::size_t inLeft = m_raw.size();
    char* to = converted.data();
    std::size_t toLeft = converted.size();
    while (inLeft > 0) {
        const std::size_t rc = iconv(Handle(m_iconv), &in, &inLeft, &to, &toLeft);
        if (rc != static_cast<std::size_t>(-1))
            continue;
        if (errno == E2BIG) {
            const std::size_t used = static_cast<std::size_t>(to - converted.data());
            converted.resize(converted.size() * 2);
            to = converted.data() + used;
            toLeft = converted.size() - used;
            continue;
        }
        if (errno == EINVAL && !m_end)
            break; // a character cut at the end of the piece: the rest comes with the next piece
        m_error = std::string("not ") + EncodingName(m_encoding) + " text near byte " +
                  std::to_string(m_offset + static_cast<std::size_t>(in - m_raw.data()));
        return false;
    }
    const std::size_t used = static_cast<std::size_t>(in - m_raw.data());
    m_offset += used;
    m_raw.erase(0, used);
    out.append(converted.data(), static_cast<std::size_t>(to - converted.data()));
    if (m_end && !m_raw.empty()) {
        m_error = "the text ends inside a character";
        return false;
    }
    return true;
}

bool TextDecoder::DecodeAll(std::string_view bytes, Encoding forced, std::string& out, std::string& error) {
    TextDecoder decoder;
    decoder.OpenBytes(std::string(bytes), forced);
    while (decoder.Read(out)) {
    }
    error = decoder.Error();
    return error.empty();
}

} // namespace FundImport
