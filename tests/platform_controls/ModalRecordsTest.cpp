// What the menus, message boxes and save dialogs leave behind for the driver: the last hundred
// records and a count of all, so that a long session stays flat in memory while a caller can still
// tell that one more was shown. Memory is counted as the bytes the allocator holds, not timed.
#include "ControlTestSupport.h"

#include <platform/commdlg.h>

#include <malloc.h>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define FC_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define FC_ASAN 1
#endif
#ifdef FC_ASAN
#include <sanitizer/allocator_interface.h>
#endif

using namespace wintest;
using namespace controltest;

namespace {

// The bytes the program holds on the heap now.
size_t HeldBytes() {
#ifdef FC_ASAN
    return __sanitizer_get_current_allocated_bytes();
#else
    return mallinfo2().uordblks;
#endif
}

class ModalRecordsTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        owner = CreateTop(100, 100, 400, 300);
        menu = CreatePopupMenu();
        for (UINT id = 1; id <= 12; ++id)
            AppendMenuW(menu, MF_STRING, id, (L"一个相当长的菜单项的标题 " + std::to_wstring(id)).c_str());
        PlatformSetMenuHook([](HWND, POINT, const std::vector<PlatformMenuItem>&) { return 3u; });
        PlatformSetSaveDialogHook([](const PlatformSaveDialogRequest&) { return std::nullopt; });
    }
    void TearDown() override {
        PlatformSetMenuHook(nullptr);
        PlatformSetSaveDialogHook({});
        DestroyMenu(menu);
        WindowTest::TearDown();
    }

    // One menu, one message box and one save dialog, as a person's use of the program brings.
    void Cycle() {
        EXPECT_EQ(TrackPopupMenu(menu, TPM_RETURNCMD, 150, 160, 0, owner, nullptr), 3);
        MessageBoxW(owner, L"最多只能添加100只基金进行对比！", L"提示", MB_OK | MB_ICONWARNING);
        wchar_t file[260] = L"名单.xlsx";
        OPENFILENAMEW ofn{};
        ofn.lStructSize = sizeof ofn;
        ofn.hwndOwner = owner;
        ofn.lpstrFilter = L"Excel 工作簿 (*.xlsx)\0*.xlsx\0\0";
        ofn.lpstrFile = file;
        ofn.nMaxFile = 260;
        GetSaveFileNameW(&ofn);
        // The test's own log of the owner's messages is no part of what is measured.
        Log().Clear();
    }

    HWND owner = nullptr;
    HMENU menu = nullptr;
};

TEST_F(ModalRecordsTest, TheLastHundredAreKeptAndAllAreCounted) {
    PlatformClearMenus();
    PlatformClearMessageBoxes();
    size_t menus = PlatformMenuCount(), boxes = PlatformMessageBoxCount(),
           dialogs = PlatformSaveDialogCount();
    for (int i = 0; i < 150; ++i)
        Cycle();
    EXPECT_EQ(PlatformMenuCount(), menus + 150);
    EXPECT_EQ(PlatformMessageBoxCount(), boxes + 150);
    EXPECT_EQ(PlatformSaveDialogCount(), dialogs + 150);
    EXPECT_EQ(PlatformMenus().size(), 100u);
    EXPECT_EQ(PlatformMessageBoxes().size(), 100u);
    EXPECT_EQ(PlatformSaveDialogs().size(), 100u);
    // The newest is last, and clearing keeps the count going.
    ASSERT_TRUE(PlatformMenus().back().picked.has_value());
    EXPECT_EQ(*PlatformMenus().back().picked, 3u);
    MessageBoxW(owner, L"最后一个", L"提示", MB_OK);
    EXPECT_EQ(PlatformMessageBoxes().back().text, L"最后一个");
    PlatformClearMessageBoxes();
    EXPECT_TRUE(PlatformMessageBoxes().empty());
    EXPECT_EQ(PlatformMessageBoxCount(), boxes + 151);
}

TEST_F(ModalRecordsTest, TwoThousandCyclesLeaveTheHeapAsItWas) {
    // Past the first hundred every record kept replaces an older one; what is held then must not
    // grow with the cycles (a record of this menu alone is about 2 KiB).
    for (int i = 0; i < 200; ++i)
        Cycle();
    PlatformRunUntilIdle();
    size_t before = HeldBytes();
    for (int i = 0; i < 2000; ++i)
        Cycle();
    PlatformRunUntilIdle();
    size_t after = HeldBytes();
    EXPECT_LT(after, before + 64 * 1024) << "held " << before << " bytes, then " << after;
}

} // namespace
