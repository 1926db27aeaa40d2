#include <hostkernel/ChangeNode.h>
#include <hostkernel/DataView.h>

#include <algorithm>

namespace HostKernel {

void ChangeNode::AttachDownstream(DataView* view) {
    if (std::find(m_downstream.begin(), m_downstream.end(), view) != m_downstream.end())
        return;
    m_downstream.push_back(view);
    // A view that joins while this node's change is pending must hear its end too, or it would
    // keep the rows it derived before the change was made.
    if (m_pending)
        view->BeginChange();
}

void ChangeNode::DetachDownstream(DataView* view) {
    m_downstream.erase(std::remove(m_downstream.begin(), m_downstream.end(), view), m_downstream.end());
}

namespace {

// The downstream views at this moment, each held for the duration of a walk, because a listener
// may detach or release a view while it is being told.
std::vector<XComPtr<DataView>> Snapshot(const std::vector<DataView*>& views) {
    return std::vector<XComPtr<DataView>>(views.begin(), views.end());
}

} // namespace

void ChangeNode::BeginChange() {
    if (m_pending)
        return;
    m_pending = true;
    HoldSelf();
    OnBeforeChangeHook();
    for (auto& view : Snapshot(m_downstream))
        view->BeginChange();
    DropSelf();
}

void ChangeNode::EndChange() {
    if (m_batch > 0 || !m_pending)
        return;
    m_pending = false;
    HoldSelf();
    OnApplyChangeHook();
    for (auto& view : Snapshot(m_downstream))
        view->EndChange();
    DropSelf();
}

void ChangeNode::EndBatch() {
    if (m_batch == 0)
        return;
    if (--m_batch > 0)
        return;
    if (ApplyOnEveryCommit())
        BeginChange();
    EndChange();
}

} // namespace HostKernel
