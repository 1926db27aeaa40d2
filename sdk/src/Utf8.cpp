// Utf8: the decoder, with quick paths for ASCII runs and for the three-byte sequences of Chinese text.
#include <sdk/Utf8.h>

#include <cstdint>
#include <cstring>

namespace Utf8 {

std::size_t Decode(wchar_t* out, const char* text, std::size_t length) {
    wchar_t* w = out;
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    const auto* end = p + length;
    while (p < end) {
        // Runs of ASCII, the bulk of codes and numbers, go eight bytes at a time.
        while (end - p >= 8) {
            std::uint64_t chunk;
            std::memcpy(&chunk, p, 8);
            if ((chunk & 0x8080808080808080ull) != 0)
                break;
            for (int k = 0; k < 8; ++k)
                w[k] = static_cast<wchar_t>(p[k]);
            w += 8;
            p += 8;
        }
        if (p >= end)
            break;
        unsigned c = *p;
        if (c < 0x80) {
            *w++ = static_cast<wchar_t>(c);
            ++p;
            continue;
        }
        // Three-byte sequences carry every Chinese character; they get their own quick path.
        if ((c & 0xF0) == 0xE0 && end - p >= 3 && (p[1] & 0xC0) == 0x80 && (p[2] & 0xC0) == 0x80) {
            unsigned cp3 = (c & 0x0Fu) << 12 | (p[1] & 0x3Fu) << 6 | (p[2] & 0x3Fu);
            if (cp3 >= 0x800 && (cp3 < 0xD800 || cp3 > 0xDFFF)) {
                *w++ = static_cast<wchar_t>(cp3);
                p += 3;
                continue;
            }
        }
        int extra = 0;
        unsigned cp = 0, min = 0;
        if ((c & 0xE0) == 0xC0) {
            extra = 1, cp = c & 0x1F, min = 0x80;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2, cp = c & 0x0F, min = 0x800;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3, cp = c & 0x07, min = 0x10000;
        } else {
            *w++ = 0xFFFD;
            ++p;
            continue;
        }
        bool ok = end - p > extra;
        for (int k = 1; ok && k <= extra; ++k) {
            ok = (p[k] & 0xC0) == 0x80;
            cp = (cp << 6) | (p[k] & 0x3Fu);
        }
        if (!ok || cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            *w++ = 0xFFFD;
            ++p;
            continue;
        }
        *w++ = static_cast<wchar_t>(cp);
        p += extra + 1;
    }
    return static_cast<std::size_t>(w - out);
}

void Append(std::wstring& out, const char* text, std::size_t length) {
    const std::size_t start = out.size();
    out.resize(start + length);
    out.resize(start + Decode(out.data() + start, text, length));
}

} // namespace Utf8
