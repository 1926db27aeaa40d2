// UpdateContext: closes one level of a table's or view's batch, at Commit or, when the caller
// forgets to commit, at the last Release.
#pragma once

#include <hostkernel/ChangeNode.h>
#include <hostkernel/RefCounted.h>
#include <sdk/Data.h>
#include <sdk/XComPtr.h>

namespace HostKernel {

class UpdateContext final : public RefCounted<Data::IUpdateContext> {
public:
    // owner keeps the node alive until the context is committed.
    UpdateContext(ChangeNode* node, IXUnknown* owner) : m_node(node), m_owner(owner) { m_node->BeginBatch(); }
    ~UpdateContext() override { Commit(); }

    void Commit() override {
        if (m_owner == nullptr)
            return;
        XComPtr<IXUnknown> owner = std::move(m_owner);
        m_node->EndBatch();
    }

private:
    ChangeNode* m_node;
    XComPtr<IXUnknown> m_owner;
};

} // namespace HostKernel
