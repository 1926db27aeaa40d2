// WorkspaceKeys: the keyboard of the comparison workspace, offered every key message before it is
// dispatched (through the module's pre-message hook).
//
//   Tab, Shift+Tab   the fund picker, the buttons, the visible page's boxes, then its list or chart
//   Ctrl+1 ... Ctrl+6  shows a page (bringing the workspace forward)
//   Ctrl+F           puts the caret in the fund picker
//   Ctrl+Z           undoes the latest removal of funds, "清除对比基金" or set opened, one at a time
//   Ctrl+S           exports the page's list (a chart page saves its picture)
//   Ctrl+P           exports the report of the whole comparison (a PDF document)
//   Ctrl+C           copies the selected rows of the page's list (all rows when none is selected)
//   Escape           closes the picker's open list
//   Alt+letter       presses the workspace button whose caption marks that letter
// Lists handle their own arrows, Page Up/Down, Home/End and Delete (which removes the selected funds
// as the context menu does).
#pragma once

#include <platform/windows.h>

#include <vector>

class BackgroundPage;
class WorkspaceContext;

class WorkspaceKeys {
public:
    WorkspaceKeys(WorkspaceContext& context, BackgroundPage& workspace)
        : m_context(context), m_workspace(workspace) {}

    // True when the key was the workspace's and is consumed.
    bool Handle(const MSG& message);

    // The windows Tab walks through, in order, for the page shown now.
    std::vector<HWND> TabOrder() const;

private:
    bool FocusInWorkspace() const;
    bool MoveFocus(bool backwards);
    bool ShowPage(int index);
    bool PressMnemonic(wchar_t letter);
    HWND VisiblePage() const;

    WorkspaceContext& m_context;
    BackgroundPage& m_workspace;
};
