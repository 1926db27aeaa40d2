// The one replace-all loop behind XStringW::replace and XStringA::replace.
#pragma once

#include <string>

namespace Common {

// Replaces every occurrence of `from` in `text`, scanning left to right without rescanning the
// replacement; returns the number of replacements. An empty `from` replaces nothing.
template <class String>
int ReplaceAll(String& text, const String& from, const String& to) {
    if (from.empty())
        return 0;
    int count = 0;
    String result;
    typename String::size_type start = 0;
    for (auto at = text.find(from); at != String::npos; at = text.find(from, start)) {
        result.append(text, start, at - start);
        result += to;
        start = at + from.size();
        ++count;
    }
    if (count > 0) {
        result.append(text, start, String::npos);
        text.swap(result);
    }
    return count;
}

} // namespace Common
