// XRefCounted<Base...>: the one reference count of the program's objects, host and modules alike.
// The count starts at 1 for the creator, may change from any thread (it is atomic, so no lock is
// needed around it), and the last Release deletes the object.
#pragma once

#include <sdk/XComPtr.h>

#include <atomic>
#include <utility>

template <class... Bases>
class XRefCounted : public Bases... {
public:
    unsigned long AddRef() override { return m_refs.fetch_add(1, std::memory_order_relaxed) + 1; }
    unsigned long Release() override {
        unsigned long left = m_refs.fetch_sub(1, std::memory_order_acq_rel) - 1;
        if (left == 0)
            delete this;
        return left;
    }

protected:
    XRefCounted() = default;
    virtual ~XRefCounted() = default;
    XRefCounted(const XRefCounted&) = delete;
    XRefCounted& operator=(const XRefCounted&) = delete;

private:
    std::atomic<unsigned long> m_refs{1};
};

// A new object whose creator's reference the returned pointer owns.
template <class T, class... Args>
XComPtr<T> XMakeRef(Args&&... args) {
    XComPtr<T> p;
    p.Attach(new T(std::forward<Args>(args)...));
    return p;
}
