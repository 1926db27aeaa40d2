// A text file read as UTF-8 in pieces, whatever it was saved as: UTF-8 with or without a byte-order
// mark, UTF-16 with its mark (a spreadsheet's "Unicode text"), or GB18030, which includes GBK and
// GB2312. Without a mark the encoding is found from the file's first 64 KB: text that is valid
// UTF-8 there is UTF-8, anything else GB18030. A piece that the chosen encoding cannot read stops
// the reading with a reason that names the byte offset.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace FundImport {

enum class Encoding { Auto, Utf8, Gb18030, Utf16 };

// "auto", "utf-8", "gb18030" (also "gbk", "gb2312"), "utf-16"; false for anything else.
bool ParseEncoding(std::string_view name, Encoding& encoding);
const char* EncodingName(Encoding encoding);

// True when `bytes` is valid UTF-8; with `allowCut`, a sequence cut off at the very end is allowed.
bool IsUtf8(std::string_view bytes, bool allowCut);

class TextDecoder {
public:
    // Decodes a whole text in memory (the fuzz targets and tests use this); `forced` as Auto
    // detects.
    static bool DecodeAll(std::string_view bytes, Encoding forced, std::string& out, std::string& error);

    TextDecoder();
    ~TextDecoder();
    TextDecoder(const TextDecoder&) = delete;
    TextDecoder& operator=(const TextDecoder&) = delete;

    // Opens a file; false with a reason when it cannot be read.
    bool Open(const std::string& path, Encoding forced, std::string& error);
    // Reads over an in-memory text instead of a file.
    void OpenBytes(std::string bytes, Encoding forced);

    // Appends the next piece of UTF-8 text to `out`; false at the end of the text or on an error
    // (then Error() is not empty).
    bool Read(std::string& out);
    const std::string& Error() const { return m_error; }
    Encoding Detected() const { return m_encoding; }
    std::uint64_t BytesRead() const { return m_offset; }

private:
    bool Fill();
    void Detect(Encoding forced);

    std::FILE* m_file = nullptr;
    std::string m_memory;       // the text when read from memory
    std::size_t m_memoryAt = 0; // how much of m_memory has been handed to the decoder
    std::string m_raw;          // bytes read but not yet decoded
    bool m_end = false;
    Encoding m_encoding = Encoding::Utf8;
    void* m_iconv = nullptr; // iconv_t, when the text is not UTF-8
    std::uint64_t m_offset = 0;
    std::string m_error;
};

} // namespace FundImport
