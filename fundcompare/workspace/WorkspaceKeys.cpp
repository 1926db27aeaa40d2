// WorkspaceKeys: the keys, the tab order and the mnemonics.
#include "workspace/WorkspaceKeys.h"

#include "workspace/BackgroundPage.h"
#include "workspace/WorkspaceContext.h"

#include <sdk/ControlDataGrid.h>
#include <sdk/ControlPicture.h>
#include <sdk/ControlStarMap.h>

#include <cwctype>
#include <string>

namespace {

bool keyDown(int key) {
    return (GetKeyState(key) & 0x8000) != 0;
}

std::wstring classOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

bool usable(HWND window) {
    return window != nullptr && IsWindowVisible(window) && IsWindowEnabled(window);
}

bool contains(HWND outer, HWND inner) {
    return outer != nullptr && inner != nullptr && (outer == inner || IsChild(outer, inner));
}

// The letter a caption marks with '&' (upper case), 0 when none.
wchar_t mnemonicOf(const std::wstring& caption) {
    for (size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != L'&')
            continue;
        if (caption[i + 1] == L'&') {
            ++i;
            continue;
        }
        return static_cast<wchar_t>(std::towupper(static_cast<wint_t>(caption[i + 1])));
    }
    return 0;
}

struct PageControls {
    std::vector<HWND> boxes; // drop-down boxes and filter buttons
    std::vector<HWND> lists; // lists and charts
};

PageControls controlsOf(HWND page) {
    PageControls found;
    EnumChildWindows(
        page,
        [](HWND window, LPARAM context) -> BOOL {
            auto* controls = reinterpret_cast<PageControls*>(context);
            if (!usable(window))
                return TRUE;
            Control::XWin* object = Control::XWin::FromHandle(window);
            std::wstring cls = classOf(window);
            if (dynamic_cast<Control::DataGridEx*>(object) != nullptr || Control::IsChartWindow(window))
                controls->lists.push_back(window);
            else if (cls == WC_COMBOBOXW || cls == WC_BUTTONW ||
                     (GetWindowLongW(window, GWL_STYLE) & WS_TABSTOP))
                controls->boxes.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

} // namespace

HWND WorkspaceKeys::VisiblePage() const {
    ComparePage* page = m_workspace.Page(m_workspace.CurrentTab());
    return page != nullptr && IsWindowVisible(page->GetHandle()) ? page->GetHandle() : nullptr;
}

bool WorkspaceKeys::FocusInWorkspace() const {
    HWND workspace = m_workspace.Window();
    if (workspace == nullptr || !IsWindowVisible(workspace))
        return false;
    HWND focus = GetFocus();
    // With the focus nowhere, or on the frame itself, the visible workspace takes the keys.
    return focus == nullptr || contains(workspace, focus) || focus == GetAncestor(workspace, GA_ROOT);
}

std::vector<HWND> WorkspaceKeys::TabOrder() const {
    std::vector<HWND> order;
    for (HWND w : {static_cast<HWND>(m_workspace.Picker()), m_workspace.AddButton(),
                   m_workspace.ClearButton(), m_workspace.SetsButton()})
        if (usable(w))
            order.push_back(w);
    if (HWND page = VisiblePage()) {
        PageControls controls = controlsOf(page);
        order.insert(order.end(), controls.boxes.begin(), controls.boxes.end());
        order.insert(order.end(), controls.lists.begin(), controls.lists.end());
    }
    return order;
}

bool WorkspaceKeys::MoveFocus(bool backwards) {
    std::vector<HWND> order = TabOrder();
    if (order.empty())
        return false;
    HWND focus = GetFocus();
    int at = -1;
    for (size_t i = 0; i < order.size(); ++i)
        if (contains(order[i], focus))
            at = static_cast<int>(i);
    int n = static_cast<int>(order.size());
    int next = at < 0 ? (backwards ? n - 1 : 0) : (at + (backwards ? n - 1 : 1)) % n;
    HWND target = order[static_cast<size_t>(next)];
    if (target == static_cast<HWND>(m_workspace.Picker()) && m_workspace.Picker().GetEditWindow() != nullptr)
        target = m_workspace.Picker().GetEditWindow();
    SetFocus(target);
    return true;
}

bool WorkspaceKeys::ShowPage(int index) {
    if (index < 0 || index >= m_workspace.PageCount())
        return false;
    m_context.ActivateWorkspace();
    if (m_workspace.Header().GetCurrSel() != index)
        m_workspace.Header().SetCurrSel(index);
    return true;
}

bool WorkspaceKeys::PressMnemonic(wchar_t letter) {
    for (HWND button : {m_workspace.AddButton(), m_workspace.ClearButton(), m_workspace.SetsButton()}) {
        if (!usable(button))
            continue;
        wchar_t caption[64] = {};
        GetWindowTextW(button, caption, 64);
        if (mnemonicOf(caption) == letter) {
            SetFocus(button);
            SendMessageW(button, BM_CLICK, 0, 0);
            return true;
        }
    }
    return false;
}

bool WorkspaceKeys::Handle(const MSG& message) {
    if (message.message == WM_SYSKEYDOWN) {
        wchar_t letter = static_cast<wchar_t>(message.wParam);
        return FocusInWorkspace() &&
               ((letter >= L'A' && letter <= L'Z') || (letter >= L'0' && letter <= L'9')) &&
               PressMnemonic(letter);
    }
    if (message.message != WM_KEYDOWN)
        return false;
    UINT key = static_cast<UINT>(message.wParam);
    bool ctrl = keyDown(VK_CONTROL);
    bool alt = keyDown(VK_MENU);
    if (ctrl && !alt) {
        if (key >= '1' && key <= '9')
            return ShowPage(static_cast<int>(key - '1'));
        if (key == 'P' && IsWindowVisible(m_workspace.Window())) {
            m_workspace.Report().StartWithDialog();
            return true;
        }
        if (key == 'F') {
            m_context.ActivateWorkspace();
            if (HWND edit = m_workspace.Picker().GetEditWindow()) {
                SetFocus(edit);
                // The whole text selected: a code typed now replaces the last one.
                m_workspace.Picker().SelectAllText();
            }
            return true;
        }
    }
    if (!FocusInWorkspace())
        return false;
    HWND focus = GetFocus();
    if (key == VK_TAB && !ctrl && !alt)
        return MoveFocus(keyDown(VK_SHIFT));
    if (key == VK_ESCAPE && m_workspace.Picker().IsDroppedDown()) {
        m_workspace.Picker().ShowDropDown(false);
        return true;
    }
    if (!ctrl || alt)
        return false;
    // The picker's field keeps no undo and no clipboard of its own: these keys always mean the
    // comparison and its list.
    if (key == 'Z')
        return m_context.Undo();
    if (key != 'S' && key != 'C')
        return false;
    // The list or chart with the focus, else the first list (or chart) of the page shown.
    auto* grid = dynamic_cast<Control::DataGridEx*>(Control::XWin::FromHandle(focus));
    HWND chart = grid == nullptr && Control::IsChartWindow(focus) ? focus : nullptr;
    if (grid == nullptr && chart == nullptr) {
        HWND page = VisiblePage();
        if (page == nullptr)
            return false;
        for (HWND list : controlsOf(page).lists) {
            if (grid != nullptr || chart != nullptr)
                break;
            grid = dynamic_cast<Control::DataGridEx*>(Control::XWin::FromHandle(list));
            chart = grid == nullptr ? list : nullptr;
        }
    }
    if (grid != nullptr) {
        if (key == 'S')
            grid->ExportWithDialog();
        else
            grid->CopyRows();
        return true;
    }
    if (chart != nullptr && key == 'S') {
        SendMessageW(chart, WM_COMMAND, Control::kSavePictureCommand, 0);
        return true;
    }
    return false;
}
