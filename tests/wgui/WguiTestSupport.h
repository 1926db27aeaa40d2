// Shared pieces of the WGUI tests: the module instance, stand-in classes for "Button",
// "ComboBox" and "tooltips_class32" (the real ones come with the standard controls), and a
// fixture on a fresh headless screen.
#pragma once

#include <platform/driver.h>
#include <platform/windows.h>

#include <gtest/gtest.h>

#include <vector>

namespace wguitest {

struct StandInMessage {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// Every message the stand-in controls received, in order.
std::vector<StandInMessage>& StandInLog();
std::vector<UINT> StandInMessages(HWND window);
// The last TOOLINFOW the stand-in tooltip received with TTM_ADDTOOLW.
TOOLINFOW& LastAddedTool();

class WguiTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A visible top-level window of a plain class, for parents.
    HWND CreateHost(int x, int y, int width, int height);
};

} // namespace wguitest
