// gdiobj::GdiObject: ownership of one GDI handle. The test binary wraps DeleteObject
// (-Wl,--wrap=DeleteObject) to count the calls the holders make.
#include "WguiTestSupport.h"

#include "wgui/GdiObject.h"

namespace {

int deleteCalls = 0;

} // namespace

extern "C" {
BOOL WINAPI __real_DeleteObject(HGDIOBJ object);
BOOL WINAPI __wrap_DeleteObject(HGDIOBJ object) {
    ++deleteCalls;
    return __real_DeleteObject(object);
}
}

namespace {

class GdiObjectTest : public ::testing::Test {
protected:
    void SetUp() override { deleteCalls = 0; }
};

TEST_F(GdiObjectTest, ANullHolderCallsNothing) {
    {
        gdiobj::GdiObject<HFONT> font;
        gdiobj::GdiObject<HBRUSH> brush(nullptr);
        EXPECT_TRUE(font.IsNull());
    }
    EXPECT_EQ(deleteCalls, 0);
}

TEST_F(GdiObjectTest, TheHolderDeletesItsHandle) {
    HBRUSH handle = CreateSolidBrush(RGB(1, 2, 3));
    {
        gdiobj::GdiObject<HBRUSH> brush(handle);
        EXPECT_EQ(static_cast<HBRUSH>(brush), handle);
    }
    EXPECT_EQ(deleteCalls, 1);
    EXPECT_EQ(GetObjectType(handle), 0u);
}

TEST_F(GdiObjectTest, AttachReplacesWithoutDeleting) {
    LOGFONTW logFont{};
    logFont.lfHeight = -12;
    HFONT first = CreateFontIndirectW(&logFont);
    HFONT second = CreateFontIndirectW(&logFont);
    {
        gdiobj::GdiObject<HFONT> font(first);
        font.Attach(second);
        EXPECT_EQ(deleteCalls, 0);
        EXPECT_EQ(font.GetHandle(), second);
    }
    EXPECT_EQ(deleteCalls, 1);
    EXPECT_EQ(GetObjectType(second), 0u);
    EXPECT_EQ(GetObjectType(first), static_cast<DWORD>(OBJ_FONT));
    DeleteObject(first);
}

} // namespace
