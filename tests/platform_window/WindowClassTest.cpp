// Window classes: registration per instance, duplicates, look-up order and system classes.
#include "WindowTestSupport.h"

#include "internal/WindowSystemClasses.h"

using namespace wintest;

namespace {

LRESULT CALLBACK SystemProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}

// A system class registered the way the standard controls register theirs.
platform::SystemClassRegistration systemClass([] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = SystemProc;
    wc.lpszClassName = L"TestSystemClass";
    platform::RegisterSystemClass(wc);
});

WNDCLASSEXW classInfo(const wchar_t* name, HINSTANCE instance, UINT style = 0) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = style;
    wc.lpfnWndProc = DefWindowProcW;
    wc.cbWndExtra = 16;
    wc.hInstance = instance;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = name;
    return wc;
}

HINSTANCE otherInstance() {
    // Any distinct module handle will do: the platform library's own.
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&DefWindowProcW), &module);
    return module;
}

class WindowClassTest : public WindowTest {};

TEST_F(WindowClassTest, RegistersOncePerInstance) {
    WNDCLASSEXW wc = classInfo(L"ClassOnce", TestInstance());
    ATOM atom = RegisterClassExW(&wc);
    ASSERT_NE(atom, 0);
    SetLastError(0);
    EXPECT_EQ(RegisterClassExW(&wc), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS));
    // The same name under another instance is another class.
    WNDCLASSEXW other = classInfo(L"ClassOnce", otherInstance());
    ATOM otherAtom = RegisterClassExW(&other);
    EXPECT_NE(otherAtom, 0);
    EXPECT_NE(otherAtom, atom);
    // Names compare without regard to case.
    WNDCLASSEXW upper = classInfo(L"CLASSONCE", TestInstance());
    EXPECT_EQ(RegisterClassExW(&upper), 0);
    EXPECT_TRUE(UnregisterClassW(L"ClassOnce", TestInstance()));
    EXPECT_TRUE(UnregisterClassW(L"classonce", otherInstance()));
    EXPECT_FALSE(UnregisterClassW(L"ClassOnce", TestInstance()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_DOES_NOT_EXIST));
}

TEST_F(WindowClassTest, GetClassInfoExReturnsTheRegisteredValues) {
    WNDCLASSEXW wc = classInfo(L"ClassInfo", TestInstance(), CS_DBLCLKS | CS_HREDRAW);
    ATOM atom = RegisterClassExW(&wc);
    WNDCLASSEXW out{};
    out.cbSize = sizeof(out);
    EXPECT_EQ(GetClassInfoExW(TestInstance(), L"ClassInfo", &out), static_cast<BOOL>(atom));
    EXPECT_EQ(out.style, static_cast<UINT>(CS_DBLCLKS | CS_HREDRAW));
    EXPECT_EQ(out.lpfnWndProc, &DefWindowProcW);
    EXPECT_EQ(out.cbWndExtra, 16);
    EXPECT_EQ(out.hbrBackground, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    EXPECT_EQ(out.hInstance, TestInstance());
    EXPECT_STREQ(out.lpszClassName, L"ClassInfo");
    EXPECT_FALSE(GetClassInfoExW(TestInstance(), L"NoSuchClass", &out));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_DOES_NOT_EXIST));
    EXPECT_TRUE(UnregisterClassW(L"ClassInfo", TestInstance()));
}

TEST_F(WindowClassTest, ACreatedWindowUsesItsClassAndBlocksUnregistering) {
    WNDCLASSEXW wc = classInfo(L"ClassInUse", TestInstance());
    ASSERT_NE(RegisterClassExW(&wc), 0);
    HWND window = CreateWindowExW(0, L"ClassInUse", L"t", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  TestInstance(), nullptr);
    ASSERT_NE(window, nullptr);
    wchar_t name[32];
    EXPECT_EQ(GetClassNameW(window, name, 32), 10);
    EXPECT_STREQ(name, L"ClassInUse");
    EXPECT_FALSE(UnregisterClassW(L"ClassInUse", TestInstance()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_HAS_WINDOWS));
    DestroyWindow(window);
    EXPECT_TRUE(UnregisterClassW(L"ClassInUse", TestInstance()));
    // A class of another instance is not found.
    EXPECT_EQ(CreateWindowExW(0, L"ClassInUse", L"t", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                              TestInstance(), nullptr),
              nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CANNOT_FIND_WND_CLASS));
}

TEST_F(WindowClassTest, SystemAndGlobalClassesAreFoundFromAnyInstance) {
    HWND system = CreateWindowExW(0, L"TestSystemClass", L"s", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  otherInstance(), nullptr);
    EXPECT_NE(system, nullptr);
    WNDCLASSEXW out{};
    out.cbSize = sizeof(out);
    EXPECT_TRUE(GetClassInfoExW(nullptr, L"TestSystemClass", &out));
    EXPECT_EQ(out.style, static_cast<UINT>(CS_DBLCLKS));
    // System classes cannot be unregistered or registered twice.
    EXPECT_FALSE(UnregisterClassW(L"TestSystemClass", nullptr));
    WNDCLASSEXW again = classInfo(L"TestSystemClass", nullptr);
    EXPECT_EQ(platform::RegisterSystemClass(again), 0);

    WNDCLASSEXW global = classInfo(L"GlobalClass", otherInstance(), CS_GLOBALCLASS);
    ASSERT_NE(RegisterClassExW(&global), 0);
    HWND window = CreateWindowExW(0, L"GlobalClass", L"g", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  TestInstance(), nullptr);
    EXPECT_NE(window, nullptr);
    DestroyWindow(window);
    DestroyWindow(system);
    EXPECT_TRUE(UnregisterClassW(L"GlobalClass", otherInstance()));
}

TEST_F(WindowClassTest, RejectsBadRegistrations) {
    WNDCLASSEXW wc = classInfo(L"Bad", TestInstance());
    wc.cbSize = 12;
    EXPECT_EQ(RegisterClassExW(&wc), 0);
    wc = classInfo(nullptr, TestInstance());
    EXPECT_EQ(RegisterClassExW(&wc), 0);
    EXPECT_EQ(RegisterClassExW(nullptr), 0);
}

} // namespace
