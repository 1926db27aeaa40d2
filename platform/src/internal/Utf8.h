// UTF-8 for the libraries under the platform (pango, cairo, SDL, the desktop portal), which take
// UTF-8 where our callers hand us wide text.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Wide text as UTF-8, with the byte offset of every wide character (and one past the end).
struct Utf8Text {
    std::string bytes;
    std::vector<int> offsets;
};

// A UTF-16 surrogate pair (text that came through a 16-bit path) is one character; its second
// half then adds no bytes. Lone surrogates, NULs and values beyond Unicode are not valid UTF-8
// and become U+FFFD, so that no library ever sees a broken string.
Utf8Text ToUtf8(const wchar_t* text, size_t length);
std::string Utf8(std::wstring_view text);

// UTF-8 from a library as wide text; broken sequences become U+FFFD.
std::wstring FromUtf8(const char* text);

} // namespace platform
