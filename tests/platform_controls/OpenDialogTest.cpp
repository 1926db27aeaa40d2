// The open dialog (GetOpenFileNameW) on the headless screen: the platform's own dialog driven by
// queued input (a typed name, a folder typed or opened from the list, several entries selected with
// Shift, Ctrl and Ctrl+A, folders chosen when allowed, the type's patterns), the answers the driver's
// hook may and may not give, and the buffer written back as Win32's explorer-style dialog writes it.
#include "ControlTestSupport.h"

#include <platform/commdlg.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

using namespace wintest;
using namespace controltest;

namespace {

const wchar_t kTypes[] = L"数据文件 (*.csv;*.xlsx)\0*.csv;*.XLSX\0所有文件\0*\0";

std::wstring wideOf(const std::string& utf8) {
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, out.data(), n);
    out.resize(static_cast<size_t>(n - 1));
    return out;
}

class OpenDialogTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        folder = std::filesystem::temp_directory_path() /
                 ("open-dialog-" + std::to_string(::getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(folder / "子目录");
        for (const char* name : {"a.csv", "b.csv", "x.txt", "y.xlsx", "子目录/c.csv"})
            std::ofstream(folder / name) << "x";
        owner = CreateTop(0, 0, 800, 600);
        PlatformClearMessageBoxes();
    }
    void TearDown() override {
        PlatformSetOpenDialogHook({});
        PlatformSetMessageBoxHook({});
        std::filesystem::remove_all(folder);
        WindowTest::TearDown();
    }
    std::wstring wide(const std::filesystem::path& p) const { return wideOf(p.string()); }

    // Runs the dialog with the input queued beforehand; the paths chosen, read from the buffer the
    // way a Win32 caller reads it, or nothing when cancelled.
    std::optional<std::vector<std::wstring>> Run(DWORD flags = OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST,
                                                 DWORD flagsEx = 0, size_t size = 4096) {
        buffer.assign(size, L'\0');
        initial = wide(folder);
        ofn = OPENFILENAMEW{};
        ofn.lStructSize = sizeof ofn;
        ofn.hwndOwner = owner;
        ofn.lpstrFilter = kTypes;
        ofn.nFilterIndex = 1;
        ofn.lpstrFile = buffer.data();
        ofn.nMaxFile = static_cast<DWORD>(buffer.size());
        ofn.lpstrInitialDir = initial.c_str();
        ofn.Flags = flags | OFN_EXPLORER;
        ofn.FlagsEx = flagsEx;
        if (!GetOpenFileNameW(&ofn))
            return std::nullopt;
        std::vector<std::wstring> paths;
        if (ofn.nFileOffset > 0 && buffer[ofn.nFileOffset - 1] == L'\0') {
            std::wstring dir = buffer.data();
            for (const wchar_t* name = buffer.data() + ofn.nFileOffset; *name != L'\0'; name += wcslen(name) + 1)
                paths.push_back(dir + L"/" + name);
        } else {
            paths.push_back(buffer.data());
        }
        return paths;
    }
    void Keys(std::initializer_list<UINT> keys) {
        for (UINT k : keys)
            PlatformKeyPress(k);
    }
    void With(UINT modifier, std::initializer_list<UINT> keys) {
        PlatformKeyDown(modifier);
        Keys(keys);
        PlatformKeyUp(modifier);
    }
    // From the name field, where the dialog starts, back to the list.
    void ToList() { With(VK_SHIFT, {VK_TAB}); }

    std::filesystem::path folder;
    HWND owner = nullptr;
    std::vector<wchar_t> buffer;
    std::wstring initial;
    OPENFILENAMEW ofn{};
};

TEST_F(OpenDialogTest, ATypedNameIsChosenAndAMissingOneIsRefusedWithAMessage) {
    PlatformTypeText(L"无此文件.csv");
    Keys({VK_RETURN});
    With(VK_MENU, {'N'});
    PlatformTypeText(L"b.csv");
    Keys({VK_RETURN});
    auto answer = Run(OFN_FILEMUSTEXIST);
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(*answer, std::vector<std::wstring>{wide(folder / "b.csv")});
    EXPECT_EQ(std::wstring(buffer.data() + ofn.nFileOffset), L"b.csv");
    EXPECT_EQ(std::wstring(buffer.data() + ofn.nFileExtension), L"csv");
    ASSERT_EQ(PlatformMessageBoxes().size(), 1u);
    EXPECT_EQ(PlatformMessageBoxes().back().text.rfind(L"找不到文件“无此文件.csv”", 0), 0u);
    EXPECT_TRUE(VisibleWindowsOfClass(L"PlatformOpenDialog").empty());
    EXPECT_TRUE(IsWindowEnabled(owner));
    // Escape, or the input running out, cancels.
    Keys({VK_ESCAPE});
    EXPECT_FALSE(Run().has_value());
    EXPECT_FALSE(Run().has_value());
    EXPECT_EQ(CommDlgExtendedError(), 0u);
}

TEST_F(OpenDialogTest, ShiftAndCtrlASelectSeveralFilesWhichComeBackAsTheFolderAndTheirNames) {
    // The list: 子目录/, a.csv, b.csv, y.xlsx (x.txt is not of the type). Down twice reaches a.csv,
    // Shift+Down takes b.csv with it, and Enter on a file takes the selection.
    ToList();
    Keys({VK_DOWN, VK_DOWN});
    With(VK_SHIFT, {VK_DOWN});
    Keys({VK_RETURN});
    auto answer = Run();
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(*answer, (std::vector<std::wstring>{wide(folder / "a.csv"), wide(folder / "b.csv")}));
    EXPECT_EQ(std::wstring(buffer.data()), wide(folder));
    EXPECT_EQ(ofn.nFileOffset, wide(folder).size() + 1);

    // Ctrl+A takes every file of the type but not the folder, which files-only may not choose.
    ToList();
    With(VK_CONTROL, {'A'});
    With(VK_MENU, {'O'});
    answer = Run();
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(*answer, (std::vector<std::wstring>{wide(folder / "a.csv"), wide(folder / "b.csv"),
                                                  wide(folder / "y.xlsx")}));

    // Without OFN_ALLOWMULTISELECT, Shift selects one entry only.
    ToList();
    Keys({VK_DOWN, VK_DOWN});
    With(VK_SHIFT, {VK_DOWN});
    Keys({VK_RETURN});
    answer = Run(OFN_FILEMUSTEXIST);
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(*answer, std::vector<std::wstring>{wide(folder / "b.csv")});
}

TEST_F(OpenDialogTest, ControlWithAClickAddsAndTakesAwayOneEntry) {
    // The dialog stands in the middle of its 800 x 600 owner; its list starts at (12, 68) and its
    // rows are 20 pixels high.
    const int listLeft = (800 - 560) / 2 + 12, listTop = (600 - 404) / 2 + 68;
    auto row = [&](int index) { return POINT{listLeft + 60, listTop + 1 + index * 20 + 10}; };
    PlatformClick(row(1).x, row(1).y);
    PlatformKeyDown(VK_CONTROL);
    PlatformClick(row(3).x, row(3).y);
    PlatformClick(row(2).x, row(2).y);
    PlatformClick(row(1).x, row(1).y);
    PlatformKeyUp(VK_CONTROL);
    With(VK_MENU, {'O'});
    auto answer = Run();
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(*answer, (std::vector<std::wstring>{wide(folder / "b.csv"), wide(folder / "y.xlsx")}));
}

TEST_F(OpenDialogTest, FoldersAreChosenFromTheListAndOpenedWhenTypedOrEntered) {
    // With folders allowed, the folder and a file selected together are both chosen.
    ToList();
    Keys({VK_DOWN});
    With(VK_SHIFT, {VK_DOWN});
    With(VK_MENU, {'O'});
    auto answer = Run(OFN_ALLOWMULTISELECT, OFN_EX_PICKFOLDERS);
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(*answer, (std::vector<std::wstring>{wide(folder / "子目录"), wide(folder / "a.csv")}));

    // A folder alone: Enter in the list opens it; the open button chooses the one selected there.
    ToList();
    Keys({VK_DOWN, VK_RETURN, VK_DOWN});
    With(VK_MENU, {'U'});
    Keys({VK_HOME});
    With(VK_MENU, {'O'});
    answer = Run(OFN_ALLOWMULTISELECT, OFN_EX_PICKFOLDERS);
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(*answer, std::vector<std::wstring>{wide(folder / "子目录")});

    // A typed folder opens; the name typed next is found in it.
    PlatformTypeText(L"子目录");
    Keys({VK_RETURN});
    PlatformTypeText(L"c.csv");
    Keys({VK_RETURN});
    answer = Run(OFN_ALLOWMULTISELECT, OFN_EX_PICKFOLDERS);
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(*answer, std::vector<std::wstring>{wide(folder / "子目录" / "c.csv")});

    // Files only: the open button with a folder selected opens it instead of choosing it (the
    // keyboard stays in the list).
    ToList();
    Keys({VK_DOWN});
    With(VK_MENU, {'O'});
    Keys({VK_DOWN, VK_RETURN});
    answer = Run();
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(*answer, std::vector<std::wstring>{wide(folder / "子目录" / "c.csv")});
}

TEST_F(OpenDialogTest, TheTypeDecidesWhichFilesTheListShows) {
    // Under "所有文件" x.txt is listed: the fourth entry after the folder.
    With(VK_MENU, {'T'});
    Keys({VK_DOWN});
    ToList();
    ToList();
    Keys({VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN});
    auto answer = Run();
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(*answer, std::vector<std::wstring>{wide(folder / "x.txt")});
    EXPECT_EQ(ofn.nFilterIndex, 2u);
}

TEST_F(OpenDialogTest, TheHookAnswersAndWhatTheDialogCouldNotGiveIsRefused) {
    std::vector<std::wstring> given;
    PlatformOpenDialogRequest asked;
    PlatformSetOpenDialogHook([&](const PlatformOpenDialogRequest& request) {
        asked = request;
        return std::optional<std::vector<std::wstring>>(given);
    });
    given = {L"a.csv", L"子目录/"};
    auto answer = Run(OFN_ALLOWMULTISELECT, OFN_EX_PICKFOLDERS);
    EXPECT_EQ(asked.title, L"打开");
    EXPECT_EQ(asked.folder, wide(folder));
    EXPECT_TRUE(asked.multiple);
    EXPECT_TRUE(asked.folders);
    EXPECT_EQ(asked.types.size(), 2u);
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(*answer, (std::vector<std::wstring>{wide(folder / "a.csv"), wide(folder / "子目录")}));

    const size_t before = PlatformOpenDialogCount();
    // A folder when only files may be chosen; two when one was asked for; a missing file when
    // files must exist; several from different folders: each is a cancel.
    given = {L"子目录"};
    EXPECT_FALSE(Run().has_value());
    given = {L"a.csv", L"b.csv"};
    EXPECT_FALSE(Run(OFN_FILEMUSTEXIST).has_value());
    given = {L"无此文件.csv"};
    EXPECT_FALSE(Run(OFN_FILEMUSTEXIST).has_value());
    given = {L"a.csv", L"子目录/c.csv"};
    EXPECT_FALSE(Run().has_value());
    ASSERT_EQ(PlatformOpenDialogCount(), before + 4);
    EXPECT_TRUE(PlatformOpenDialogs().back().answer.empty());
    EXPECT_EQ(CommDlgExtendedError(), 0u);
    // A file that need not exist may be named.
    given = {L"无此文件.csv"};
    answer = Run(0);
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(PlatformOpenDialogs().back().answer, std::vector<std::wstring>{wide(folder / "无此文件.csv")});
}

TEST_F(OpenDialogTest, ABufferTooSmallTellsTheSizeItNeeds) {
    PlatformSetOpenDialogHook([](const PlatformOpenDialogRequest&) {
        return std::optional<std::vector<std::wstring>>(std::vector<std::wstring>{L"a.csv", L"b.csv"});
    });
    // The folder, a zero, two names of five with their zeros and the last zero.
    const size_t needed = wide(folder).size() + 1 + 6 + 6 + 1;
    EXPECT_FALSE(Run(OFN_ALLOWMULTISELECT, 0, needed - 1).has_value());
    EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(FNERR_BUFFERTOOSMALL));
    EXPECT_EQ(static_cast<size_t>(buffer[0]), needed);
    EXPECT_TRUE(Run(OFN_ALLOWMULTISELECT, 0, needed).has_value());
    EXPECT_FALSE(GetOpenFileNameW(nullptr));
    EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(CDERR_INITIALIZATION));
}

} // namespace
