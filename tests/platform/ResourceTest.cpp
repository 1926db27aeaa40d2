// Resources: per-library tables, ids and names, GB2312 conversion by the build, unloading.
#include <platform/winbase.h>
#include <platform/winnls.h>

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <fstream>
#include <iterator>
#include <string>

extern "C" HMODULE resfixture_a_instance();
extern "C" HMODULE resfixture_b_instance();

namespace {

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The bytes of a resource, or nullopt-like empty marker when any step fails.
bool resourceBytes(HMODULE module, LPCWSTR name, LPCWSTR type, std::string& out) {
    HRSRC info = FindResourceW(module, name, type);
    if (info == nullptr)
        return false;
    DWORD size = SizeofResource(module, info);
    HGLOBAL loaded = LoadResource(module, info);
    const void* data = LockResource(loaded);
    if (data == nullptr || size == 0)
        return false;
    out.assign(static_cast<const char*>(data), size);
    return true;
}

TEST(Resources, TextComesBackAsGb2312AndDecodesToTheOriginal) {
    std::string bytes;
    ASSERT_TRUE(resourceBytes(resfixture_a_instance(), L"TITLE", L"TEXT", bytes));
    EXPECT_EQ(bytes, "\xBB\xF9\xBD\xF0\xB6\xD4\xB1\xC8\xC4\xA3\xBF\xE9\n");

    std::wstring text(bytes.size(), L'\0');
    int n = MultiByteToWideChar(936, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(),
                                static_cast<int>(text.size()));
    text.resize(static_cast<size_t>(n));
    EXPECT_EQ(text, L"基金对比模块\n");

    // Full-width quotes and Chinese inside an SQL text survive the trip as well.
    ASSERT_TRUE(resourceBytes(resfixture_b_instance(), L"QUERY", L"SQL", bytes));
    text.assign(bytes.size(), L'\0');
    n = MultiByteToWideChar(936, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(),
                            static_cast<int>(text.size()));
    text.resize(static_cast<size_t>(n));
    EXPECT_EQ(text, L"select code from tb_fund where name = ‘甲’ and x = 1 -- 注释\n");
}

TEST(Resources, BinaryBytesComeBackUnchangedByIdAndByName) {
    const std::string png = readFile(std::string(RESFIXTURE_DIR) + "/mark.png");
    ASSERT_GT(png.size(), 8u);
    std::string bytes;
    ASSERT_TRUE(resourceBytes(resfixture_a_instance(), MAKEINTRESOURCEW(20), L"PNG", bytes));
    EXPECT_EQ(bytes, png);
    ASSERT_TRUE(resourceBytes(resfixture_a_instance(), L"#20", L"png", bytes));
    EXPECT_EQ(bytes, png);
    ASSERT_TRUE(resourceBytes(resfixture_a_instance(), L"mark", L"Png", bytes));
    EXPECT_EQ(bytes, png);
    // A numeric type and a numeric name.
    ASSERT_TRUE(resourceBytes(resfixture_a_instance(), MAKEINTRESOURCEW(7), MAKEINTRESOURCEW(300), bytes));
    EXPECT_EQ(bytes, readFile(std::string(RESFIXTURE_DIR) + "/title_a.txt")); // not converted
}

TEST(Resources, MissingTypeOrNameGivesNullWithTheReason) {
    HMODULE a = resfixture_a_instance();
    SetLastError(0);
    EXPECT_EQ(FindResourceW(a, L"TITLE", L"XML"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_TYPE_NOT_FOUND));
    SetLastError(0);
    EXPECT_EQ(FindResourceW(a, MAKEINTRESOURCEW(21), L"PNG"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
    // An id is not a name: "20" written as text is a name, not the id 20.
    EXPECT_EQ(FindResourceW(a, L"20", L"PNG"), nullptr);
    EXPECT_EQ(FindResourceW(a, L"MARK", MAKEINTRESOURCEW(300)), nullptr);
    EXPECT_EQ(FindResourceW(a, nullptr, L"PNG"), nullptr);
    // Null handles do not crash the other calls.
    EXPECT_EQ(LoadResource(a, nullptr), nullptr);
    EXPECT_EQ(SizeofResource(a, nullptr), 0u);
    EXPECT_EQ(LockResource(nullptr), nullptr);
}

TEST(Resources, LibrariesDoNotSeeEachOthersResources) {
    HMODULE a = resfixture_a_instance();
    HMODULE b = resfixture_b_instance();
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_NE(a, b);
    EXPECT_NE(FindResourceW(a, L"TITLE", L"TEXT"), nullptr);
    EXPECT_EQ(FindResourceW(b, L"TITLE", L"TEXT"), nullptr);
    EXPECT_NE(FindResourceW(b, L"QUERY", L"SQL"), nullptr);
    EXPECT_EQ(FindResourceW(a, L"QUERY", L"SQL"), nullptr);
    // The executable carries no resources of its own.
    EXPECT_EQ(FindResourceW(nullptr, L"TITLE", L"TEXT"), nullptr);
}

TEST(Resources, ModuleHandlesAreFoundByAddressAndByName) {
    HMODULE a = resfixture_a_instance();
    EXPECT_EQ(GetModuleHandleW(L"resfixture_a"), a);
    EXPECT_EQ(GetModuleHandleW(L"libresfixture_a.so"), a);
    EXPECT_EQ(GetModuleHandleW(L"no_such_library"), nullptr);
    EXPECT_NE(GetModuleHandleW(nullptr), nullptr);
    EXPECT_NE(GetModuleHandleW(nullptr), a);

    wchar_t path[1024];
    DWORD n = GetModuleFileNameW(a, path, 1024);
    ASSERT_GT(n, 0u);
    EXPECT_TRUE(std::wstring(path, n).ends_with(L"/libresfixture_a.so"));
    // Truncation terminates the buffer and reports the shortage.
    wchar_t small[4];
    EXPECT_EQ(GetModuleFileNameW(a, small, 4), 4u);
    EXPECT_EQ(small[3], L'\0');
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
}

TEST(Resources, ALoadedLibraryRegistersOnLoadAndUnregistersOnUnload) {
    void* handle = dlopen(RESFIXTURE_C_FILE, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle, nullptr) << dlerror();
    auto instance = reinterpret_cast<HMODULE (*)()>(dlsym(handle, "resfixture_c_instance"));
    ASSERT_NE(instance, nullptr);
    HMODULE c = instance();
    EXPECT_EQ(GetModuleHandleW(L"resfixture_c"), c);
    std::string bytes;
    ASSERT_TRUE(resourceBytes(c, L"PLAIN", L"DATA", bytes));
    EXPECT_EQ(bytes, "plain bytes 123\n");

    ASSERT_EQ(dlclose(handle), 0);
    EXPECT_EQ(GetModuleHandleW(L"resfixture_c"), nullptr);
    EXPECT_EQ(FindResourceW(c, L"PLAIN", L"DATA"), nullptr);
}

} // namespace
