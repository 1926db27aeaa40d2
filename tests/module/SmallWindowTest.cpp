// The smallest window the frame allows: every page of the workspace — all of its page list, so that
// a page added later is held to the same rule — laid out in the host's frame at its minimum size,
// in both themes, keeps each visible control inside its parent's client area, apart from its
// visible siblings, and wide enough for its caption.
#include "HostedWorkspace.h"

#include <sstream>
#include <string>
#include <vector>

namespace {

std::wstring classOf(HWND window) {
    wchar_t name[128] = {};
    GetClassNameW(window, name, 128);
    return name;
}

std::wstring textOf(HWND window) {
    int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<size_t>(length));
    return text;
}

std::string describe(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    std::ostringstream out;
    out << XStringW(classOf(window)).ToUtf8() << " \"" << XStringW(textOf(window)).ToUtf8() << "\" ("
        << r.left << "," << r.top << ")-(" << r.right << "," << r.bottom << ")";
    return out.str();
}

// The visible children of a window, directly under it.
std::vector<HWND> visibleChildren(HWND parent) {
    struct Found {
        HWND parent;
        std::vector<HWND> windows;
    } found{parent, {}};
    EnumChildWindows(
        parent,
        [](HWND window, LPARAM context) -> BOOL {
            auto* f = reinterpret_cast<Found*>(context);
            if (GetParent(window) == f->parent && IsWindowVisible(window))
                f->windows.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found.windows;
}

RECT clientOnScreen(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
    return client;
}

// The width a button needs for its caption in its own font, '&' marks left out; a check box also
// needs its box.
int neededWidth(HWND button) {
    std::wstring caption;
    for (wchar_t c : textOf(button))
        if (c != L'&')
            caption += c;
    if (caption.empty())
        return 0;
    HDC dc = GetDC(button);
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(button, WM_GETFONT, 0, 0));
    HGDIOBJ old =
        SelectObject(dc, font != nullptr ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
    SIZE size{};
    GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(button, dc);
    LONG type = GetWindowLongW(button, GWL_STYLE) & BS_TYPEMASK;
    bool check = type == BS_CHECKBOX || type == BS_AUTOCHECKBOX;
    return static_cast<int>(size.cx) + (check ? 18 : 6);
}

// The star map leaves its top edge free of axes and captions, and the risk-return page puts its
// choices there on purpose: an overlap of a few pixels at the map's top is no fault.
bool InMapsTopMargin(const std::vector<HWND>& children, const std::vector<RECT>& rects, size_t i, size_t j,
                     const RECT& common) {
    for (size_t map : {i, j})
        if (classOf(children[map]) == L"FundStarMap" && common.top == rects[map].top &&
            common.bottom - common.top <= 8)
            return true;
    return false;
}

// Every fault of the window's visible descendants, one line each.
void checkTree(HWND parent, std::vector<std::string>& faults) {
    const RECT client = clientOnScreen(parent);
    std::vector<HWND> children = visibleChildren(parent);
    std::vector<RECT> rects;
    for (HWND child : children) {
        RECT r{};
        GetWindowRect(child, &r);
        rects.push_back(r);
        if (r.left < client.left || r.top < client.top || r.right > client.right || r.bottom > client.bottom)
            faults.push_back(describe(child) + " lies outside " + describe(parent));
        if (classOf(child) == WC_BUTTONW && r.right - r.left < neededWidth(child))
            faults.push_back(describe(child) + " is narrower than its caption (" +
                             std::to_string(neededWidth(child)) + ")");
    }
    for (size_t i = 0; i < children.size(); ++i)
        for (size_t j = i + 1; j < children.size(); ++j) {
            RECT common{};
            if (IntersectRect(&common, &rects[i], &rects[j]) &&
                !InMapsTopMargin(children, rects, i, j, common))
                faults.push_back(describe(children[i]) + " overlaps " + describe(children[j]));
        }
    for (HWND child : children)
        checkTree(child, faults);
}

class SmallWindow : public HostedWorkspace {
protected:
    void SelectTheme(const char* name) {
        XStringW error;
        ASSERT_TRUE(themes->SelectTheme(name, error)) << error.ToUtf8();
        XComPtr<Conf::ITheme> theme;
        ASSERT_TRUE(themes->GetCurrentTheme(theme.Receive()));
        frame->ApplyTheme(theme);
        PlatformRunUntilIdle();
    }
};

TEST_F(SmallWindow, EveryPageKeepsItsControlsInsideApartAndReadableAtTheMinimumSize) {
    ClickCompareButton();
    ASSERT_TRUE(Workspace().IsCreated());
    // Funds with figures on every page, so that lists, charts and their panels are all there.
    for (const wchar_t* code : {L"000001", L"000002", L"000003", L"000004"})
        AddByKeys(code);
    ASSERT_EQ(module.Funds().size(), 4u);
    ASSERT_TRUE(MoveWindow(frame->Window(), 0, 0, MainFrame::kMinWidth, MainFrame::kMinHeight, TRUE));
    PlatformRunUntilIdle();
    RECT frameClient{};
    GetClientRect(frame->Window(), &frameClient);
    ASSERT_LE(frameClient.right, MainFrame::kMinWidth);
    ASSERT_LE(frameClient.bottom, MainFrame::kMinHeight);

    for (const char* theme : {"dark", "light"}) {
        SelectTheme(theme);
        for (int page = 0; page < Workspace().PageCount(); ++page) {
            ClickPageTab(page);
            ASSERT_EQ(Workspace().CurrentTab(), page);
            ASSERT_TRUE(Workspace().Page(page)->IsWindowVisible());
            std::vector<std::string> faults;
            // The workspace itself within the frame's page area, then everything inside it.
            RECT area = frame->PageArea();
            RECT workspace{};
            GetWindowRect(Workspace().Window(), &workspace);
            MapWindowPoints(nullptr, frame->Window(), reinterpret_cast<POINT*>(&workspace), 2);
            if (workspace.left < area.left || workspace.top < area.top || workspace.right > area.right ||
                workspace.bottom > area.bottom)
                faults.push_back("the workspace lies outside the frame's page area");
            checkTree(Workspace().Window(), faults);
            std::string all;
            for (const std::string& fault : faults)
                all += "\n  " + fault;
            EXPECT_TRUE(faults.empty()) << theme << " theme, page " << page << ":" << all;
        }
    }
}

} // namespace
