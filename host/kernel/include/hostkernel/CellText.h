// Conversions between cell values and text, independent of the process locale.
#pragma once

#include <sdk/Utf8.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace HostKernel {

// At most 15 significant digits, no trailing zeros, "-0" as "0"; "NaN", "Infinity", "-Infinity".
std::wstring FormatReal(double value);
std::wstring FormatInteger(std::int64_t value);

// The whole text (blanks around it allowed) as a number; false for anything else, including
// empty text, "inf" and "nan".
bool ParseReal(std::wstring_view text, double& value);
// An integer text, or a real text rounded to the nearest integer within the 64-bit range.
bool ParseInteger(std::wstring_view text, std::int64_t& value);

// The leading number of a text as _wtof reads it: leading blanks, a sign, digits, a fraction and
// an exponent; 0 when the text does not start with a number.
double LeadingNumber(std::wstring_view text);

// Rounds to the nearest integer, halves away from zero; false for NaN, infinities and values outside the
// 64-bit range.
bool RealToInteger(double value, std::int64_t& result);

// UTF-8 text decoded to wide characters, by the decoder the host shares with the modules (sdk/Utf8.h);
// malformed bytes become U+FFFD.
inline void AppendUtf8(std::wstring& out, const char* text, std::size_t length) {
    Utf8::Append(out, text, length);
}
// Decodes into a buffer of at least `length` characters; returns the number written.
inline std::size_t DecodeUtf8(wchar_t* out, const char* text, std::size_t length) {
    return Utf8::Decode(out, text, length);
}

} // namespace HostKernel
