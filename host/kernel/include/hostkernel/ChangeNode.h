// ChangeNode: the change announcements shared by tables and views.
//
// A change travels in two phases so that every listener down a chain of views sees its rows
// unchanged in OnBeforeChange: first "before" goes down the whole chain, then the change is made,
// then each node, top-down, re-derives and announces "after". Between BeginBatch and EndBatch a
// node announces "before" at most once and defers "after" to the end of the batch.
#pragma once

#include <vector>

namespace HostKernel {

class DataView;

class ChangeNode {
public:
    // The views whose source this node is (not owned: a view detaches itself when it goes).
    void AttachDownstream(DataView* view);
    void DetachDownstream(DataView* view);
    bool HasDownstream() const { return !m_downstream.empty(); }

    // Phase one: announces, once per change or batch, that rows are about to change.
    void BeginChange();
    // Phase two: unless a batch is open, applies and announces the change down the chain.
    void EndChange();

    void BeginBatch() { ++m_batch; }
    // Closes one level of batching; the last one finishes a change that is pending.
    void EndBatch();
    bool InBatch() const { return m_batch > 0; }

protected:
    ChangeNode() = default;
    ~ChangeNode() = default;

    // Hooks for the node's own reaction; views re-derive and call their listener here.
    virtual void OnBeforeChangeHook() {}
    virtual void OnApplyChangeHook() {}
    // Whether EndBatch must apply even when nothing announced a change during the batch.
    virtual bool ApplyOnEveryCommit() const { return false; }

    // Keeps the node alive while listeners run.
    virtual void HoldSelf() = 0;
    virtual void DropSelf() = 0;

private:
    std::vector<DataView*> m_downstream;
    int m_batch = 0;
    bool m_pending = false;
};

} // namespace HostKernel
