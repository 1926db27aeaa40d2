// Code-page conversion. UTF-8 is decoded and encoded here; code page 936 goes through iconv.
//
// Sections: argument checks, UTF-8, code page 936 over iconv, the two entry points.
#include "platform/winbase.h"
#include "platform/winnls.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iconv.h>
#include <string>

namespace {

constexpr wchar_t kReplacement = 0xFFFD;
constexpr UINT kGbkCodePage = 936;

UINT effectiveCodePage(UINT codePage) {
    return (codePage == CP_ACP || codePage == CP_OEMCP) ? kGbkCodePage : codePage;
}

bool isValidScalar(std::uint32_t c) {
    return c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF);
}

// ---- UTF-8 ---------------------------------------------------------------------------------------

// Decodes strictly (no overlong forms, surrogates or values above U+10FFFF). Each maximal
// ill-formed subsequence becomes one replacement character. Returns false on the first ill-formed
// sequence when strict is set.
bool decodeUtf8(const unsigned char* p, size_t n, bool strict, std::wstring& out) {
    size_t i = 0;
    while (i < n) {
        unsigned char b = p[i];
        if (b < 0x80) {
            out.push_back(static_cast<wchar_t>(b));
            ++i;
            continue;
        }
        int extra;
        std::uint32_t c;
        unsigned char lo = 0x80, hi = 0xBF; // the allowed range of the second byte
        if (b >= 0xC2 && b <= 0xDF) {
            extra = 1;
            c = b & 0x1F;
        } else if (b >= 0xE0 && b <= 0xEF) {
            extra = 2;
            c = b & 0x0F;
            if (b == 0xE0)
                lo = 0xA0; // overlong
            if (b == 0xED)
                hi = 0x9F; // surrogates
        } else if (b >= 0xF0 && b <= 0xF4) {
            extra = 3;
            c = b & 0x07;
            if (b == 0xF0)
                lo = 0x90; // overlong
            if (b == 0xF4)
                hi = 0x8F; // above U+10FFFF
        } else {
            if (strict)
                return false;
            out.push_back(kReplacement);
            ++i;
            continue;
        }
        size_t j = i + 1;
        bool ok = true;
        for (int k = 0; k < extra; ++k, ++j) {
            unsigned char t = j < n ? p[j] : 0;
            unsigned char min = k == 0 ? lo : 0x80, max = k == 0 ? hi : 0xBF;
            if (j >= n || t < min || t > max) {
                ok = false;
                break;
            }
            c = (c << 6) | (t & 0x3F);
        }
        if (!ok) {
            if (strict)
                return false;
            out.push_back(kReplacement);
            i = j; // skip the valid prefix of the broken sequence
            continue;
        }
        out.push_back(static_cast<wchar_t>(c));
        i = j;
    }
    return true;
}

void appendUtf8(std::uint32_t c, std::string& out) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

bool encodeUtf8(const wchar_t* p, size_t n, bool strict, std::string& out) {
    for (size_t i = 0; i < n; ++i) {
        auto c = static_cast<std::uint32_t>(p[i]);
        if (!isValidScalar(c)) {
            if (strict)
                return false;
            c = kReplacement;
        }
        appendUtf8(c, out);
    }
    return true;
}

// ---- Code page 936 -------------------------------------------------------------------------------

// One conversion descriptor per direction and thread, opened on first use.
class IconvHandle {
public:
    IconvHandle(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~IconvHandle() {
        if (valid())
            iconv_close(m_cd);
    }
    IconvHandle(const IconvHandle&) = delete;
    IconvHandle& operator=(const IconvHandle&) = delete;

    bool valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() {
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr); // back to the initial shift state
        return m_cd;
    }

private:
    iconv_t m_cd;
};

bool decodeGbk(const unsigned char* p, size_t n, bool strict, std::wstring& out) {
    thread_local IconvHandle handle("WCHAR_T", "CP936");
    if (!handle.valid())
        return false;
    iconv_t cd = handle.get();
    auto* in = reinterpret_cast<char*>(const_cast<unsigned char*>(p));
    size_t inLeft = n;
    wchar_t buffer[256];
    while (inLeft > 0) {
        auto* outPtr = reinterpret_cast<char*>(buffer);
        size_t outLeft = sizeof buffer;
        size_t r = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, static_cast<size_t>(reinterpret_cast<wchar_t*>(outPtr) - buffer));
        if (r != static_cast<size_t>(-1))
            continue;
        if (errno == E2BIG)
            continue;
        // EILSEQ (an invalid sequence) or EINVAL (a lead byte cut off by the end of the input).
        if (strict)
            return false;
        out.push_back(kReplacement);
        ++in;
        --inLeft;
    }
    return true;
}

bool encodeGbk(const wchar_t* p, size_t n, const char* defaultChar, bool& usedDefault, std::string& out) {
    thread_local IconvHandle handle("CP936", "WCHAR_T");
    if (!handle.valid())
        return false;
    iconv_t cd = handle.get();
    auto* in = reinterpret_cast<char*>(const_cast<wchar_t*>(p));
    size_t inLeft = n * sizeof(wchar_t);
    char buffer[512];
    while (inLeft > 0) {
        char* outPtr = buffer;
        size_t outLeft = sizeof buffer;
        size_t r = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, static_cast<size_t>(outPtr - buffer));
        if (r != static_cast<size_t>(-1) || errno == E2BIG)
            continue;
        // A character that GBK cannot represent, or not a character at all.
        out.append(defaultChar);
        usedDefault = true;
        in += sizeof(wchar_t);
        inLeft -= std::min(inLeft, sizeof(wchar_t));
    }
    return true;
}

int fail(DWORD error) {
    SetLastError(error);
    return 0;
}

} // namespace

extern "C" {

UINT WINAPI GetACP() {
    return kGbkCodePage;
}

BOOL WINAPI IsValidCodePage(UINT codePage) {
    return codePage == kGbkCodePage || codePage == CP_UTF8;
}

int WINAPI MultiByteToWideChar(UINT codePage, DWORD flags, LPCCH multiByte, int multiByteLength, LPWSTR wide,
                               int wideLength) {
    if (multiByte == nullptr || multiByteLength == 0 || multiByteLength < -1 || wideLength < 0 ||
        (wideLength > 0 && wide == nullptr) ||
        (wide != nullptr && static_cast<const void*>(wide) == static_cast<const void*>(multiByte)))
        return fail(ERROR_INVALID_PARAMETER);
    codePage = effectiveCodePage(codePage);
    if (!IsValidCodePage(codePage))
        return fail(ERROR_INVALID_PARAMETER);
    if (codePage == CP_UTF8 && (flags & ~DWORD(MB_ERR_INVALID_CHARS)) != 0)
        return fail(ERROR_INVALID_FLAGS);

    size_t n = multiByteLength == -1 ? std::strlen(multiByte) + 1 : static_cast<size_t>(multiByteLength);
    const bool strict = (flags & MB_ERR_INVALID_CHARS) != 0;
    const auto* bytes = reinterpret_cast<const unsigned char*>(multiByte);
    std::wstring out;
    out.reserve(n);
    bool ok = codePage == CP_UTF8 ? decodeUtf8(bytes, n, strict, out) : decodeGbk(bytes, n, strict, out);
    if (!ok)
        return fail(ERROR_NO_UNICODE_TRANSLATION);
    if (out.size() > static_cast<size_t>(INT32_MAX))
        return fail(ERROR_INSUFFICIENT_BUFFER);
    if (wideLength == 0)
        return static_cast<int>(out.size());
    if (out.size() > static_cast<size_t>(wideLength))
        return fail(ERROR_INSUFFICIENT_BUFFER);
    std::wmemcpy(wide, out.data(), out.size());
    return static_cast<int>(out.size());
}

int WINAPI WideCharToMultiByte(UINT codePage, DWORD flags, LPCWCH wide, int wideLength, LPSTR multiByte,
                               int multiByteLength, LPCCH defaultChar, LPBOOL usedDefaultChar) {
    if (wide == nullptr || wideLength == 0 || wideLength < -1 || multiByteLength < 0 ||
        (multiByteLength > 0 && multiByte == nullptr) ||
        (multiByte != nullptr && static_cast<const void*>(wide) == static_cast<const void*>(multiByte)))
        return fail(ERROR_INVALID_PARAMETER);
    codePage = effectiveCodePage(codePage);
    if (!IsValidCodePage(codePage))
        return fail(ERROR_INVALID_PARAMETER);
    if (codePage == CP_UTF8) {
        if ((flags & ~DWORD(WC_ERR_INVALID_CHARS)) != 0)
            return fail(ERROR_INVALID_FLAGS);
        if (defaultChar != nullptr || usedDefaultChar != nullptr)
            return fail(ERROR_INVALID_PARAMETER);
    } else if ((flags & WC_ERR_INVALID_CHARS) != 0) {
        return fail(ERROR_INVALID_FLAGS);
    }

    size_t n = wideLength == -1 ? std::wcslen(wide) + 1 : static_cast<size_t>(wideLength);
    std::string out;
    out.reserve(n * 2);
    bool usedDefault = false;
    bool ok;
    if (codePage == CP_UTF8) {
        ok = encodeUtf8(wide, n, (flags & WC_ERR_INVALID_CHARS) != 0, out);
    } else {
        // The default character is one character of the code page: at most two bytes. A plain
        // array rather than a string: GCC 12 at -O3 takes the short string's copy for a read of
        // uninitialised bytes.
        char fallback[3] = {'?', '\0', '\0'};
        if (defaultChar != nullptr && defaultChar[0] != '\0') {
            fallback[0] = defaultChar[0];
            fallback[1] = defaultChar[1]; // '\0' after a one-byte character
        }
        ok = encodeGbk(wide, n, fallback, usedDefault, out);
    }
    if (!ok)
        return fail(ERROR_NO_UNICODE_TRANSLATION);
    if (out.size() > static_cast<size_t>(INT32_MAX))
        return fail(ERROR_INSUFFICIENT_BUFFER);
    if (multiByteLength != 0 && out.size() > static_cast<size_t>(multiByteLength))
        return fail(ERROR_INSUFFICIENT_BUFFER);
    if (usedDefaultChar != nullptr)
        *usedDefaultChar = usedDefault ? TRUE : FALSE;
    if (multiByteLength != 0)
        std::memcpy(multiByte, out.data(), out.size());
    return static_cast<int>(out.size());
}
}
