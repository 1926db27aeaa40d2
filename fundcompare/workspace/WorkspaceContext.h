// WorkspaceContext: what the comparison workspace asks of the module beyond what its pages ask —
// adding funds from the picker, clearing and undoing, the named sets and what the comparison
// remembers, and the hooks by which the module follows the workspace's window. The module
// implements it; the workspace never sees the module itself.
#pragma once

#include "pages/common/CompareContext.h"
#include "workspace/CompareSettings.h"

#include <vector>

class WorkspaceContext : public CompareContext {
public:
    // What AddFund answers.
    enum AddResult { kAdded = 0, kPresent = 1, kFull = 2 };
    // The command of the status bar's "撤销" link (sent to the workspace window).
    static constexpr UINT kUndoCommand = 0xE150;

    // Adds a fund to the comparison (kFull before kPresent: a full set answers "full" even for a
    // code it holds).
    virtual int AddFund(XStringW code) = 0;
    // Empties the comparison; the funds taken can be brought back with Undo.
    virtual void ClearFunds() = 0;
    // Undoes the latest removal, clear or opened set not yet undone: the funds it took away come
    // back and those it brought in leave. False when there is nothing to undo.
    virtual bool Undo() = 0;
    // Replaces the compared funds with a saved set (those no longer in the database left out);
    // `note` says what was done.
    virtual void ReplaceFunds(const std::vector<XStringW>& codes, const XStringW& note) = 0;
    virtual CompareSettings& Settings() = 0;
    // Brings the workspace's tab forward (without reloading anything) when it is not shown.
    virtual void ActivateWorkspace() = 0;

    // ---- The workspace's window ----
    // It was made, with its pages.
    virtual void OnWorkspaceCreated() = 0;
    // A page was shown (and has loaded).
    virtual void OnPageShown(int index) = 0;
    // It is closing; its pages still exist.
    virtual void OnWorkspaceClosing() = 0;

protected:
    ~WorkspaceContext() = default;
};
