#include "internal/Utf8.h"

#include <platform/windows.h>

namespace platform {

namespace {

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

bool isHighSurrogate(char32_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool isLowSurrogate(char32_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

// Calls `onChar()` before the bytes of each wide character are appended (and after a pair).
template <typename OnChar>
void encode(const wchar_t* text, size_t length, std::string& out, OnChar&& onChar) {
    for (size_t i = 0; i < length; ++i) {
        onChar();
        auto c = static_cast<char32_t>(text[i]);
        if (isHighSurrogate(c) && i + 1 < length && isLowSurrogate(static_cast<char32_t>(text[i + 1]))) {
            auto low = static_cast<char32_t>(text[i + 1]);
            appendUtf8(out, 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00));
            onChar();
            ++i;
            continue;
        }
        if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF || c == 0)
            c = 0xFFFD;
        appendUtf8(out, c);
    }
}

} // namespace

Utf8Text ToUtf8(const wchar_t* text, size_t length) {
    Utf8Text out;
    out.bytes.reserve(length * 3);
    out.offsets.reserve(length + 1);
    encode(text, length, out.bytes, [&] { out.offsets.push_back(static_cast<int>(out.bytes.size())); });
    out.offsets.push_back(static_cast<int>(out.bytes.size()));
    return out;
}

std::string Utf8(std::wstring_view text) {
    std::string out;
    out.reserve(text.size() * 3);
    encode(text.data(), text.size(), out, [] {});
    return out;
}

std::wstring FromUtf8(const char* text) {
    if (text == nullptr)
        return std::wstring();
    int length = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    if (length <= 1)
        return std::wstring();
    std::wstring out(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text, -1, out.data(), length);
    out.resize(static_cast<size_t>(length - 1));
    return out;
}

} // namespace platform
