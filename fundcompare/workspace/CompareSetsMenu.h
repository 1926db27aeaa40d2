// CompareSetsMenu: the workspace's menu button "对比组合" beside "清除对比基金", for the user's named
// comparison sets: save the compared funds under a name, open a saved set in place of the compared
// funds, rename and delete sets. The sets live in the configuration (CompareSettings).
#pragma once

#include "wgui/Button.h"

#include <sdk/XStringW.h>

class WorkspaceContext;

class CompareSetsMenu {
public:
    static constexpr UINT kButtonId = 18;
    static constexpr int kMaxSets = 99;
    // Menu commands: one for saving, and a range per set for opening, renaming and deleting.
    static constexpr UINT kSaveCommand = 0xE200;
    static constexpr UINT kOpenFirst = 0xE210, kRenameFirst = 0xE280, kDeleteFirst = 0xE2F0;

    void SetContext(WorkspaceContext* context) { m_context = context; }
    // The button, as a visible child of the workspace with an empty rectangle.
    bool Create(HWND parent);
    HWND Button() const { return m_button.GetHandle(); }
    void Move(const RECT& rect) { m_button.MoveWindow(rect, TRUE); }

    // Shows the menu under the button and carries out what is picked.
    void ShowMenu();
    // The steps of the menu, also reachable without it.
    void SaveCurrent();
    void Open(int index);
    void Rename(int index);
    void Delete(int index);

private:
    HWND Owner() const;
    WorkspaceContext* m_context = nullptr;
    WGUI::Button m_button;
};
