// Message boxes on the headless screen: the record, the hook's answers, refusals of answers the
// box cannot give, placement on the owner, the drawn icon and text, and bad styles.
#include "ControlTestSupport.h"

using namespace wintest;
using namespace controltest;

namespace {

class MessageBoxTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        PlatformClearMessageBoxes();
        owner = CreateTop(200, 100, 400, 300);
    }
    void TearDown() override {
        PlatformSetMessageBoxHook(nullptr);
        WindowTest::TearDown();
    }
    HWND owner = nullptr;
};

TEST_F(MessageBoxTest, WithoutAHookTheDefaultButtonAnswersAndEveryBoxIsRecorded) {
    EXPECT_EQ(MessageBoxW(nullptr, L"no such table: tb_fundinfo", L"ERROR", MB_OK), IDOK);
    EXPECT_EQ(MessageBoxW(owner, L"请选择一只基金！", L"提示", MB_OK | MB_ICONINFORMATION), IDOK);
    EXPECT_EQ(MessageBoxW(owner, L"?", L"q", MB_OKCANCEL), IDOK);
    EXPECT_EQ(MessageBoxW(owner, L"?", L"q", MB_YESNO), IDYES);
    EXPECT_EQ(MessageBoxW(owner, L"?", L"q", MB_YESNO | MB_DEFBUTTON2), IDNO);
    const auto& boxes = PlatformMessageBoxes();
    ASSERT_EQ(boxes.size(), 5u);
    EXPECT_EQ(boxes[0].owner, nullptr);
    EXPECT_EQ(boxes[0].caption, L"ERROR");
    EXPECT_EQ(boxes[0].text, L"no such table: tb_fundinfo");
    EXPECT_EQ(boxes[1].owner, owner);
    EXPECT_EQ(boxes[1].flags & MB_ICONMASK, static_cast<UINT>(MB_ICONINFORMATION));
    EXPECT_EQ(boxes[4].answer, IDNO);
    EXPECT_TRUE(VisibleWindowsOfClass(L"#32770").empty());
}

TEST_F(MessageBoxTest, TheHookAnswersWhileTheBoxShowsCentredOnItsOwner) {
    RECT boxRect{};
    COLORREF iconPixel = 0;
    PlatformSetMessageBoxHook(
        [&](HWND hookOwner, const std::wstring& text, const std::wstring& caption, UINT) {
            EXPECT_EQ(hookOwner, owner);
            EXPECT_EQ(text, L"最多只能添加100只基金进行对比！");
            EXPECT_EQ(caption, L"提示");
            auto boxes = VisibleWindowsOfClass(L"#32770");
            EXPECT_EQ(boxes.size(), 1u);
            if (!boxes.empty()) {
                GetWindowRect(boxes[0], &boxRect);
                iconPixel = PlatformWindowPixel(boxes[0], 12 + 8, 24 + 12 + 26);
                PlatformSaveScreenPng(OutputPath("messagebox.png"));
            }
            return IDCANCEL;
        });
    SetFocus(owner);
    EXPECT_EQ(MessageBoxW(owner, L"最多只能添加100只基金进行对比！", L"提示", MB_OKCANCEL | MB_ICONWARNING),
              IDCANCEL);
    EXPECT_EQ(PlatformMessageBoxes().back().answer, IDCANCEL);
    EXPECT_NEAR((boxRect.left + boxRect.right) / 2, 400, 1);
    EXPECT_NEAR((boxRect.top + boxRect.bottom) / 2, 250, 1);
    EXPECT_TRUE(Near(iconPixel, RGB(255, 200, 0), 30)); // the warning triangle
    EXPECT_EQ(GetFocus(), owner);

    // An answer the box has no button for counts as the default button.
    PlatformSetMessageBoxHook([](HWND, const std::wstring&, const std::wstring&, UINT) { return IDYES; });
    EXPECT_EQ(MessageBoxW(owner, L"x", L"提示", MB_OK), IDOK);
}

TEST_F(MessageBoxTest, LongTextWrapsAndUnownedBoxesCentreOnTheScreen) {
    RECT boxRect{};
    PlatformSetMessageBoxHook([&](HWND, const std::wstring&, const std::wstring&, UINT) {
        GetWindowRect(VisibleWindowsOfClass(L"#32770").front(), &boxRect);
        return IDOK;
    });
    std::wstring text(400, L'字');
    MessageBoxW(nullptr, text.c_str(), L"ERROR", MB_OK | MB_ICONERROR);
    EXPECT_LE(boxRect.right - boxRect.left, 600);
    EXPECT_GT(boxRect.bottom - boxRect.top, 150);
    EXPECT_NEAR((boxRect.left + boxRect.right) / 2, 400, 1);
}

TEST_F(MessageBoxTest, BadStylesAndNullTextsAreHandled) {
    EXPECT_EQ(MessageBoxW(owner, L"x", L"y", 0x0000000F), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_MSGBOX_STYLE));
    EXPECT_EQ(MessageBoxW(reinterpret_cast<HWND>(0x7777), nullptr, nullptr, MB_OK), IDOK);
    ASSERT_EQ(PlatformMessageBoxes().size(), 1u);
    EXPECT_EQ(PlatformMessageBoxes()[0].owner, nullptr);
    EXPECT_EQ(PlatformMessageBoxes()[0].text, L"");
}

} // namespace
