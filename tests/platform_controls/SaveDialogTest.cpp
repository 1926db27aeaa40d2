// The save dialog (GetSaveFileNameW) on the headless screen: the platform's own dialog driven by
// queued keys (names, types, folders, the overwrite question, cancelling), the driver's hook and
// what the call writes back; the edit field it is built from; and the clipboard.
#include "ControlTestSupport.h"

#include <platform/commdlg.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

using namespace wintest;
using namespace controltest;

namespace {

const wchar_t kTypes[] = L"Excel 工作簿 (*.xlsx)\0*.xlsx\0CSV (*.csv)\0*.csv\0";

class SaveDialogTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        folder = std::filesystem::temp_directory_path() /
                 ("save-dialog-" + std::to_string(::getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(folder / "子目录");
        std::ofstream(folder / "a.xlsx") << "x";
        std::ofstream(folder / "b.csv") << "x";
        owner = CreateTop(0, 0, 800, 600);
        PlatformClearMessageBoxes();
    }
    void TearDown() override {
        PlatformSetSaveDialogHook({});
        PlatformSetMessageBoxHook({});
        std::filesystem::remove_all(folder);
        WindowTest::TearDown();
    }
    std::wstring wide(const std::filesystem::path& p) const { return XStringWide(p.string()); }
    static std::string XStringNarrow(const std::wstring& wide) {
        int n = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
        std::string out(static_cast<size_t>(n), '\0');
        WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, out.data(), n, nullptr, nullptr);
        out.resize(static_cast<size_t>(n - 1));
        return out;
    }
    static std::wstring XStringWide(const std::string& utf8) {
        int n = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
        std::wstring out(static_cast<size_t>(n), L'\0');
        MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, out.data(), n);
        out.resize(static_cast<size_t>(n - 1));
        return out;
    }
    // Runs the dialog with the input queued beforehand; the answer, or nothing when cancelled.
    std::optional<std::wstring> Run(const std::wstring& proposed = L"名单.xlsx",
                                    DWORD flags = OFN_OVERWRITEPROMPT, const wchar_t* types = kTypes,
                                    DWORD typeIndex = 1) {
        buffer.assign(1024, L'\0');
        std::copy(proposed.begin(), proposed.end(), buffer.begin());
        initial = wide(folder);
        ofn = OPENFILENAMEW{};
        ofn.lStructSize = sizeof ofn;
        ofn.hwndOwner = owner;
        ofn.lpstrFilter = types;
        ofn.nFilterIndex = typeIndex;
        ofn.lpstrFile = buffer.data();
        ofn.nMaxFile = static_cast<DWORD>(buffer.size());
        ofn.lpstrInitialDir = initial.c_str();
        ofn.Flags = flags;
        if (!GetSaveFileNameW(&ofn))
            return std::nullopt;
        return std::wstring(buffer.data());
    }
    void Keys(std::initializer_list<UINT> keys) {
        for (UINT k : keys)
            PlatformKeyPress(k);
    }
    void Alt(UINT key) {
        PlatformKeyDown(VK_MENU);
        PlatformKeyPress(key);
        PlatformKeyUp(VK_MENU);
    }

    std::filesystem::path folder;
    HWND owner = nullptr;
    std::vector<wchar_t> buffer;
    std::wstring initial;
    OPENFILENAMEW ofn{};
};

TEST_F(SaveDialogTest, ATypedNameTakesTheFolderAndTheTypesExtension) {
    PlatformTypeText(L"结果");
    Keys({VK_RETURN});
    auto answer = Run();
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(*answer, wide(folder / "结果.xlsx"));
    EXPECT_EQ(std::wstring(buffer.data() + ofn.nFileOffset), L"结果.xlsx");
    EXPECT_EQ(std::wstring(buffer.data() + ofn.nFileExtension), L"xlsx");
    EXPECT_EQ(ofn.nFilterIndex, 1u);
    // The dialog is gone and the owner usable again.
    EXPECT_TRUE(VisibleWindowsOfClass(L"PlatformSaveDialog").empty());
    EXPECT_TRUE(IsWindowEnabled(owner));
    const auto& record = PlatformSaveDialogs().back();
    EXPECT_EQ(record.request.fileName, L"名单.xlsx");
    EXPECT_EQ(record.request.folder, wide(folder));
}

TEST_F(SaveDialogTest, ChoosingAnotherTypeChangesTheNamesExtensionAndTheTypeIndex) {
    // Alt+T reaches the type box, Down takes the next type, Alt+N the name (the whole name selected).
    Alt('T');
    Keys({VK_DOWN});
    Alt('N');
    Keys({VK_END, VK_LEFT, VK_LEFT, VK_LEFT, VK_LEFT});
    PlatformTypeText(L"2");
    Keys({VK_RETURN});
    auto answer = Run();
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(*answer, wide(folder / "名单2.csv"));
    EXPECT_EQ(ofn.nFilterIndex, 2u);
}

TEST_F(SaveDialogTest, EscapeOrInputRunningOutCancels) {
    Keys({VK_ESCAPE});
    EXPECT_FALSE(Run().has_value());
    EXPECT_EQ(CommDlgExtendedError(), 0u);
    EXPECT_TRUE(PlatformSaveDialogs().back().answer.empty());
    // Nothing queued at all: the headless dialog has nobody to wait for.
    EXPECT_FALSE(Run().has_value());
    EXPECT_TRUE(VisibleWindowsOfClass(L"PlatformSaveDialog").empty());
}

TEST_F(SaveDialogTest, AnExistingFileIsReplacedOnlyWhenTheUserSaysSo) {
    std::vector<std::wstring> asked;
    PlatformSetMessageBoxHook([&](HWND, const std::wstring& text, const std::wstring&, UINT) {
        asked.push_back(text);
        return asked.size() == 1 ? IDNO : IDYES;
    });
    // "a" becomes a.xlsx, which exists: No keeps the dialog open, the second Enter asks again.
    PlatformTypeText(L"a");
    Keys({VK_RETURN, VK_RETURN});
    auto answer = Run();
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0], L"a.xlsx 已存在。\n要替换它吗？");
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(*answer, wide(folder / "a.xlsx"));
    // Without the flag nobody is asked.
    asked.clear();
    PlatformTypeText(L"a");
    Keys({VK_RETURN});
    EXPECT_TRUE(Run(L"名单.xlsx", 0).has_value());
    EXPECT_TRUE(asked.empty());
}

TEST_F(SaveDialogTest, AFolderNameOpensTheFolderAndAMissingFolderIsRefused) {
    PlatformTypeText(L"子目录");
    Keys({VK_RETURN});
    PlatformTypeText(L"r");
    Keys({VK_RETURN});
    auto answer = Run();
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(*answer, wide(folder / "子目录" / "r.xlsx"));

    PlatformTypeText(L"无此目录/r");
    Keys({VK_RETURN, VK_ESCAPE});
    EXPECT_FALSE(Run().has_value());
    ASSERT_FALSE(PlatformMessageBoxes().empty());
    EXPECT_EQ(PlatformMessageBoxes().back().text.rfind(L"找不到文件夹", 0), 0u);
}

TEST_F(SaveDialogTest, TheHookAnswersOnTheHeadlessScreenAndTheBufferMustHoldThePath) {
    PlatformSetSaveDialogHook([](const PlatformSaveDialogRequest& request) {
        EXPECT_EQ(request.title, L"另存为");
        EXPECT_EQ(request.types.size(), 2u);
        EXPECT_EQ(request.typeIndex, 1);
        return std::optional<std::wstring>(L"相对.csv");
    });
    auto answer = Run();
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(*answer, wide(folder / "相对.csv"));
    // The type follows the extension the file got.
    EXPECT_EQ(ofn.nFilterIndex, 2u);
    EXPECT_TRUE(VisibleWindowsOfClass(L"PlatformSaveDialog").empty());

    PlatformSetSaveDialogHook([](const PlatformSaveDialogRequest&) {
        return std::optional<std::wstring>(L"/tmp/很长的文件名.xlsx");
    });
    std::wstring small(8, L'\0');
    OPENFILENAMEW tight{};
    tight.lStructSize = sizeof tight;
    tight.lpstrFile = small.data();
    tight.nMaxFile = 8;
    tight.lpstrInitialDir = initial.c_str();
    EXPECT_FALSE(GetSaveFileNameW(&tight));
    EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(FNERR_BUFFERTOOSMALL));
    EXPECT_FALSE(GetSaveFileNameW(nullptr));
    EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(CDERR_INITIALIZATION));
}

TEST_F(SaveDialogTest, TwoTypesSharingAnExtensionKeepTheTypeTheUserChose) {
    // One document in two page shapes, both saved as .pdf, and a third type with its own extension.
    static const wchar_t shapes[] = L"PDF 横向 (*.pdf)\0*.pdf\0PDF 纵向 (*.pdf)\0*.pdf\0CSV (*.csv)\0*.csv\0";
    std::wstring answerName;
    PlatformSetSaveDialogHook(
        [&](const PlatformSaveDialogRequest&) { return std::optional<std::wstring>(answerName); });
    struct Case {
        const wchar_t* name;
        DWORD requested;
        const wchar_t* file;
        DWORD expected;
    };
    const Case cases[] = {
        {L"r.pdf", 1, L"r.pdf", 1}, // the first of the pair is not given up for the last
        {L"r.pdf", 2, L"r.pdf", 2}, // nor the second for the first
        {L"r", 2, L"r.pdf", 2},     // a bare name takes the chosen type's extension and keeps the type
        {L"r.pdf", 3, L"r.pdf", 1}, // the chosen type does not fit: the first that does
        {L"r.csv", 2, L"r.csv", 3}, // another extension still moves the type to its own
        {L"r.txt", 2, L"r.txt", 2}, // no type has it: the chosen one stays
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "answer " << XStringNarrow(c.name) << ", type " << c.requested);
        answerName = c.name;
        auto answer = Run(L"报告.pdf", OFN_OVERWRITEPROMPT, shapes, c.requested);
        ASSERT_TRUE(answer.has_value());
        EXPECT_EQ(*answer, wide(folder / XStringNarrow(c.file)));
        EXPECT_EQ(ofn.nFilterIndex, c.expected);
    }

    // The platform's own dialog: the second shape picked in the type box stays chosen.
    PlatformSetSaveDialogHook({});
    Alt('T');
    Keys({VK_DOWN});
    Alt('N');
    Keys({VK_RETURN});
    auto answer = Run(L"报告.pdf", OFN_OVERWRITEPROMPT, shapes, 1);
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(*answer, wide(folder / "报告.pdf"));
    EXPECT_EQ(ofn.nFilterIndex, 2u);
}

TEST_F(SaveDialogTest, TheEditFieldTypesDeletesSelectsAndTellsItsParent) {
    HWND edit = CreateWindowExW(0, WC_EDITW, L"abc", WS_CHILD | WS_VISIBLE, 10, 10, 200, 24, owner,
                                reinterpret_cast<HMENU>(7), nullptr, nullptr);
    ASSERT_NE(edit, nullptr);
    SetFocus(edit);
    auto text = [&] {
        wchar_t t[64] = {};
        GetWindowTextW(edit, t, 64);
        return std::wstring(t);
    };
    Log().Clear();
    Keys({VK_END});
    PlatformTypeText(L"定");
    Keys({VK_HOME, VK_DELETE, VK_RIGHT, VK_BACK});
    PlatformRunUntilIdle();
    EXPECT_EQ(text(), L"c定");
    // Shift+End selects to the end; typing replaces the selection.
    Keys({VK_HOME});
    PlatformKeyDown(VK_SHIFT);
    Keys({VK_END});
    PlatformKeyUp(VK_SHIFT);
    PlatformTypeText(L"xy");
    PlatformRunUntilIdle();
    EXPECT_EQ(text(), L"xy");
    SendMessageW(edit, EM_SETSEL, 0, -1);
    DWORD from = 9, to = 9;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
    EXPECT_EQ(from, 0u);
    EXPECT_EQ(to, 2u);
    // Control characters are not text; the limit holds.
    PlatformTypeText(L"\t\x1b");
    SendMessageW(edit, EM_LIMITTEXT, 3, 0);
    PlatformTypeText(L"12345");
    PlatformRunUntilIdle();
    EXPECT_EQ(text(), L"123");
    EXPECT_GE(CommandCodes(owner, edit).size(), 5u);
}

TEST(Clipboard, OneOpenerAtATimeAndOnlyTextIsKept) {
    EXPECT_EQ(SetClipboardData(CF_UNICODETEXT, GlobalAlloc(GMEM_MOVEABLE, 4)), nullptr); // not open
    ASSERT_TRUE(OpenClipboard(nullptr));
    EXPECT_FALSE(OpenClipboard(nullptr));
    EXPECT_TRUE(EmptyClipboard());
    HGLOBAL other = GlobalAlloc(GMEM_MOVEABLE, 8);
    EXPECT_EQ(SetClipboardData(CF_TEXT, other), nullptr);
    GlobalFree(other);
    // A block without its terminating zero is read no further than its size.
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 3 * sizeof(wchar_t));
    auto* p = static_cast<wchar_t*>(GlobalLock(block));
    p[0] = L'基';
    p[1] = L'金';
    p[2] = L'!';
    GlobalUnlock(block);
    int writes = PlatformClipboardWrites();
    EXPECT_EQ(SetClipboardData(CF_UNICODETEXT, block), block);
    EXPECT_EQ(PlatformClipboardWrites(), writes + 1);
    EXPECT_EQ(PlatformClipboardText(), L"基金!");
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_UNICODETEXT));
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_TEXT));
    EXPECT_TRUE(CloseClipboard());
    EXPECT_FALSE(CloseClipboard());
    EXPECT_EQ(GetClipboardData(CF_UNICODETEXT), nullptr); // closed
}

} // namespace
