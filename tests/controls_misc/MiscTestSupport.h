// Shared pieces of the table header, fund picker and star map tests: a fresh headless screen per
// test, a top-level host window that records what its children tell it, and picture output.
#pragma once

#include <platform/driver.h>
#include <platform/windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace misctest {

struct Notice {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

class ControlTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A visible pop-up at (x, y) that records every message at or above WM_USER and WM_COMMAND.
    HWND CreateHost(int x, int y, int width, int height);
    // The recorded notices of one message.
    std::vector<Notice> Notices(UINT message) const;
    void ClearNotices();
};

// Where tests leave their pictures.
std::string OutputPath(const std::string& name);

// Client point of a window to screen point.
POINT ToScreen(HWND window, int x, int y);

} // namespace misctest
