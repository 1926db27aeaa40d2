// Small helpers shared by the configuration and theme readers.
#pragma once

#include <hostconf/XmlEscape.h>
#include <sdk/XStringW.h>

#include <cstddef>
#include <string>

namespace HostConf {

// The 1-based line of a byte offset in a document.
int LineOf(const char* data, std::size_t size, std::ptrdiff_t offset);

inline XStringW Utf8(const std::string& text) {
    return XStringW::FromUtf8(text);
}

} // namespace HostConf
