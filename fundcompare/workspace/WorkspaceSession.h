// WorkspaceSession: the state of the workspace that the comparison remembers between runs — the
// page shown, the risk-return horizon, the report dates, and every page's sort and filter — taken
// from the windows when the workspace closes and given back to them when it opens again.
//
// Pages are told apart by their window class (without the "Quenda2_" prefix), and sorts and
// filters are read from whatever fund list and filter panel a page holds, so that a page added
// later is remembered without being named here. What cannot be given back at once waits for the
// page to be shown: a report date needs the page's date list, a filter its values, a sort its rows.
#pragma once

#include "workspace/CompareSettings.h"

#include <platform/windows.h>

#include <set>

class BackgroundPage;
class ComparePage;

class WorkspaceSession {
public:
    explicit WorkspaceSession(BackgroundPage& workspace) : m_workspace(workspace) {}

    // The state to give back; kept until each part has been applied once.
    void SetPending(const CompareSettings::Session& session);
    // The workspace's window now exists with its pages: the horizon and the page shown.
    void OnWorkspaceCreated();
    // A page was shown (and has loaded): its report date, filter and sort.
    void OnPageShown(int index);
    // The state of the windows now (the funds are not part of it).
    CompareSettings::Session Capture() const;

    // The key under which a page's state is kept: its window class without "Quenda2_".
    static std::string PageKey(ComparePage* page);

private:
    BackgroundPage& m_workspace;
    CompareSettings::Session m_pending;
    bool m_hasPending = false;
    std::set<int> m_applied; // pages whose state was given back
};
