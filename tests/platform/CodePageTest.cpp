// Code-page conversion: round trips, Win32's size queries and errors, and invalid input.
#include <platform/winbase.h>
#include <platform/winnls.h>

#include "internal/Utf8.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const wchar_t kTitle[] = L"基金对比模块";
// The same text in GB2312 and in UTF-8.
const char kTitleGb[] = "\xBB\xF9\xBD\xF0\xB6\xD4\xB1\xC8\xC4\xA3\xBF\xE9";
const char kTitleUtf8[] = "\xE5\x9F\xBA\xE9\x87\x91\xE5\xAF\xB9\xE6\xAF\x94\xE6\xA8\xA1\xE5\x9D\x97";

std::wstring toWide(UINT codePage, const std::string& bytes, DWORD flags = 0) {
    int n = MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(std::max(n, 0)), L'\0');
    if (n > 0) {
        EXPECT_EQ(n, MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()),
                                         out.data(), n));
    }
    return out;
}

std::string toBytes(UINT codePage, const std::wstring& text) {
    int n = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                nullptr);
    std::string out(static_cast<size_t>(std::max(n, 0)), '\0');
    if (n > 0) {
        EXPECT_EQ(n, WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(),
                                         n, nullptr, nullptr));
    }
    return out;
}

TEST(CodePage, ChineseTextRoundTripsThroughGbkAndUtf8) {
    EXPECT_EQ(toBytes(936, kTitle), kTitleGb);
    EXPECT_EQ(toWide(936, kTitleGb), kTitle);
    EXPECT_EQ(toBytes(CP_UTF8, kTitle), kTitleUtf8);
    EXPECT_EQ(toWide(CP_UTF8, kTitleUtf8), kTitle);
    // The system code page of this program is Chinese.
    EXPECT_EQ(toWide(CP_ACP, kTitleGb), kTitle);
    EXPECT_EQ(GetACP(), 936u);

    // Mixed ASCII, full-width punctuation, stars and a character outside the BMP.
    std::wstring mixed = L"A股：★★★，100%（含）";
    EXPECT_EQ(toWide(936, toBytes(936, mixed)), mixed);
    std::wstring astral = L"x\U0001F600y";
    EXPECT_EQ(toWide(CP_UTF8, toBytes(CP_UTF8, astral)), astral);
}

TEST(CodePage, TerminatedInputCountsAndWritesTheTerminator) {
    EXPECT_EQ(MultiByteToWideChar(936, 0, kTitleGb, -1, nullptr, 0), 7);
    wchar_t buffer[16];
    wmemset(buffer, L'#', 16);
    ASSERT_EQ(MultiByteToWideChar(936, 0, kTitleGb, -1, buffer, 16), 7);
    EXPECT_STREQ(buffer, kTitle);
    EXPECT_EQ(buffer[7], L'#');

    EXPECT_EQ(WideCharToMultiByte(936, 0, kTitle, -1, nullptr, 0, nullptr, nullptr), 13);
    char bytes[32];
    ASSERT_EQ(WideCharToMultiByte(936, 0, kTitle, -1, bytes, sizeof bytes, nullptr, nullptr), 13);
    EXPECT_STREQ(bytes, kTitleGb);
}

TEST(CodePage, TooSmallBufferFailsWithoutWriting) {
    wchar_t wide[3];
    wmemset(wide, L'#', 3);
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(936, 0, kTitleGb, -1, wide, 3), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(wide[0], L'#');

    char bytes[5] = "####";
    SetLastError(0);
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, kTitle, -1, bytes, 4, nullptr, nullptr), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_STREQ(bytes, "####");
}

TEST(CodePage, BadArgumentsFailWithWin32Errors) {
    wchar_t wide[8];
    char bytes[8];
    // Empty input is an error in Win32, not an empty result.
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(936, 0, "abc", 0, wide, 8), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(WideCharToMultiByte(936, 0, L"abc", 0, bytes, 8, nullptr, nullptr), 0);
    EXPECT_EQ(MultiByteToWideChar(936, 0, nullptr, 3, wide, 8), 0);
    EXPECT_EQ(MultiByteToWideChar(936, 0, "abc", -2, wide, 8), 0);
    EXPECT_EQ(MultiByteToWideChar(936, 0, "abc", 3, nullptr, 8), 0);
    // Unknown code page.
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(12345, 0, "abc", 3, wide, 8), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    // UTF-8 takes neither other flags nor a default character.
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_PRECOMPOSED, "abc", 3, wide, 8), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FLAGS));
    BOOL used = FALSE;
    SetLastError(0);
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, L"abc", 3, bytes, 8, nullptr, &used), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    SetLastError(0);
    EXPECT_EQ(WideCharToMultiByte(936, WC_ERR_INVALID_CHARS, L"abc", 3, bytes, 8, nullptr, nullptr), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FLAGS));
}

TEST(CodePage, InvalidBytesAreReplacedOrRefused) {
    // A GBK lead byte cut off at the end, and a byte that starts nothing in UTF-8.
    const std::string cutGbk = std::string("ab") + "\xBB";
    EXPECT_EQ(toWide(936, cutGbk), L"ab\xFFFD");
    const std::string badUtf8 = "a\xFF"
                                "b\xE5\x9F"
                                "c";
    EXPECT_EQ(toWide(CP_UTF8, badUtf8), L"a\xFFFD"
                                        L"b\xFFFD"
                                        L"c");
    // Overlong forms and encoded surrogates are not characters.
    EXPECT_EQ(toWide(CP_UTF8, "\xC0\xAF"), L"\xFFFD\xFFFD");
    EXPECT_EQ(toWide(CP_UTF8, "\xED\xA0\x80"), L"\xFFFD\xFFFD\xFFFD");

    // With MB_ERR_INVALID_CHARS the call fails and writes nothing.
    wchar_t wide[8];
    wmemset(wide, L'#', 8);
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, badUtf8.data(),
                                  static_cast<int>(badUtf8.size()), wide, 8),
              0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
    EXPECT_EQ(wide[0], L'#');
    EXPECT_EQ(MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, cutGbk.data(), static_cast<int>(cutGbk.size()),
                                  wide, 8),
              0);
    EXPECT_EQ(wide[0], L'#');
}

TEST(CodePage, UnrepresentableCharactersUseTheDefaultCharacter) {
    const std::wstring text = L"A\U0001F600B";
    char bytes[16] = {};
    BOOL used = FALSE;
    int n = WideCharToMultiByte(936, 0, text.data(), static_cast<int>(text.size()), bytes, sizeof bytes,
                                nullptr, &used);
    EXPECT_EQ(std::string(bytes, static_cast<size_t>(n)), "A?B");
    EXPECT_TRUE(used);

    used = FALSE;
    n = WideCharToMultiByte(936, 0, text.data(), static_cast<int>(text.size()), bytes, sizeof bytes, "*",
                            &used);
    EXPECT_EQ(std::string(bytes, static_cast<size_t>(n)), "A*B");
    EXPECT_TRUE(used);

    used = TRUE;
    WideCharToMultiByte(936, 0, L"AB", 2, bytes, sizeof bytes, nullptr, &used);
    EXPECT_FALSE(used);

    // A lone surrogate becomes U+FFFD in UTF-8, or fails with WC_ERR_INVALID_CHARS.
    const wchar_t lone[] = {L'a', static_cast<wchar_t>(0xD800), L'b'};
    n = WideCharToMultiByte(CP_UTF8, 0, lone, 3, bytes, sizeof bytes, nullptr, nullptr);
    EXPECT_EQ(std::string(bytes, static_cast<size_t>(n)), "a\xEF\xBF\xBD"
                                                          "b");
    EXPECT_EQ(
        WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, lone, 3, bytes, sizeof bytes, nullptr, nullptr),
        0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
}

TEST(CodePage, EmbeddedNulIsAnOrdinaryCharacterWithAnExplicitLength) {
    const std::string bytes("a\0b", 3);
    EXPECT_EQ(toWide(936, bytes), std::wstring(L"a\0b", 3));
    EXPECT_EQ(toBytes(CP_UTF8, std::wstring(L"a\0b", 3)), bytes);
}

// The UTF-8 that the platform hands to pango, cairo, SDL and the portal: never a broken string,
// and offsets that let a caret or a hit test map bytes back to wide characters.
TEST(LibraryUtf8Test, PairsAreOneCharacterAndBrokenTextBecomesReplacementCharacters) {
    EXPECT_EQ(kTitleUtf8, platform::Utf8(kTitle));
    EXPECT_EQ("\xF0\x9F\x98\x80", platform::Utf8(std::wstring(1, static_cast<wchar_t>(0x1F600))));

    const wchar_t pair[] = {L'a', static_cast<wchar_t>(0xD83D), static_cast<wchar_t>(0xDE00), L'b'};
    platform::Utf8Text text = platform::ToUtf8(pair, 4);
    EXPECT_EQ("a\xF0\x9F\x98\x80"
              "b",
              text.bytes);
    EXPECT_EQ((std::vector<int>{0, 1, 5, 5, 6}), text.offsets);

    const wchar_t broken[] = {static_cast<wchar_t>(0xDC00), L'\0', static_cast<wchar_t>(0x110000),
                              static_cast<wchar_t>(0xD800)};
    EXPECT_EQ("\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD",
              platform::Utf8(std::wstring_view(broken, 4)));

    EXPECT_EQ(kTitle, platform::FromUtf8(kTitleUtf8));
    EXPECT_EQ(L"x\xFFFDy", platform::FromUtf8("x\xE5\x9Fy"));
    EXPECT_EQ(L"", platform::FromUtf8(nullptr));
    EXPECT_EQ(L"", platform::FromUtf8(""));
}

} // namespace
