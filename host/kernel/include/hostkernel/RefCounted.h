// RefCounted<Base...>: the reference counting that every host object shares. The count starts
// at 1 for the creator; the last Release deletes the object.
#pragma once

#include <sdk/XComPtr.h>

#include <atomic>
#include <utility>

namespace HostKernel {

template <class... Bases>
class RefCounted : public Bases... {
public:
    unsigned long AddRef() override { return m_refs.fetch_add(1, std::memory_order_relaxed) + 1; }
    unsigned long Release() override {
        unsigned long left = m_refs.fetch_sub(1, std::memory_order_acq_rel) - 1;
        if (left == 0)
            delete this;
        return left;
    }

protected:
    RefCounted() = default;
    virtual ~RefCounted() = default;
    RefCounted(const RefCounted&) = delete;
    RefCounted& operator=(const RefCounted&) = delete;

private:
    std::atomic<unsigned long> m_refs{1};
};

// A new object whose creator's reference the returned pointer owns.
template <class T, class... Args>
XComPtr<T> MakeRef(Args&&... args) {
    XComPtr<T> p;
    p.Attach(new T(std::forward<Args>(args)...));
    return p;
}

} // namespace HostKernel
