// Decodes arbitrary bytes from both code pages and checks that a decoded text survives the trip
// back and forth, and that size queries agree with the conversions.
#include <platform/winnls.h>
#include <sdk/XStringA.h>
#include <sdk/XStringW.h>

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    if (size == 0 || size > 1 << 16)
        return 0;
    const char* bytes = reinterpret_cast<const char*>(data);
    for (UINT codePage : {936u, static_cast<UINT>(CP_UTF8)}) {
        int needed = MultiByteToWideChar(codePage, 0, bytes, static_cast<int>(size), nullptr, 0);
        if (needed <= 0)
            std::abort();
        std::wstring wide(static_cast<size_t>(needed), L'\0');
        if (MultiByteToWideChar(codePage, 0, bytes, static_cast<int>(size), wide.data(), needed) != needed)
            std::abort();
        // A too-small buffer fails and is left alone.
        std::wstring small(static_cast<size_t>(needed), L'#');
        if (needed > 1 &&
            MultiByteToWideChar(codePage, 0, bytes, static_cast<int>(size), small.data(), needed - 1) != 0)
            std::abort();
        if (needed > 1 && small[0] != L'#')
            std::abort();

        // Whatever was decoded encodes and decodes to itself in UTF-8.
        XStringW text(wide);
        if (XStringW::FromUtf8(text.ToUtf8()) != text)
            std::abort();
        // And in GBK, as long as every character was representable.
        XStringA gb = text.ToMultiByte(936);
        if (codePage == 936 && wide.find(L'\xFFFD') == std::wstring::npos && gb.ToWide(936) != text)
            std::abort();
    }
    return 0;
}
