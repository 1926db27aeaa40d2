// Small helpers shared by the configuration and theme readers.
#pragma once

#include <hostconf/XmlEscape.h>
#include <sdk/XStringW.h>

#include <cstddef>
#include <string>

namespace HostConf {

// The 1-based line of a byte offset in a document.
int LineOf(const char* data, std::size_t size, std::ptrdiff_t offset);

// Turns a document whose XML declaration names another encoding than UTF-8 ("GBK",
// "ISO-8859-1") into UTF-8 text whose declaration says UTF-8, so that it is read as written and
// saved back as UTF-8. A document without a declared encoding, or declared as UTF-8, is left as
// it is (a UTF-8 byte-order mark is dropped). False with the reason when the declared encoding is
// unknown or the bytes are not valid text in it; the document is then unchanged.
bool DecodeDeclaredEncoding(std::string& document, std::string& reason);

inline XStringW Utf8(const std::string& text) {
    return XStringW::FromUtf8(text);
}

} // namespace HostConf
