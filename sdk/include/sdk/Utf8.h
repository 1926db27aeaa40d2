// Decoding UTF-8 (the database's and the configuration's text) into wide text, one way for the host
// and every module, so that a text reads the same whoever reads it. Malformed bytes become U+FFFD.
#pragma once

#include <cstddef>
#include <string>

namespace Utf8 {

// Decodes into a buffer of at least `length` characters (a character never takes less than a
// byte); returns the number written.
std::size_t Decode(wchar_t* out, const char* text, std::size_t length);
// Appends the decoded text.
void Append(std::wstring& out, const char* text, std::size_t length);

} // namespace Utf8
