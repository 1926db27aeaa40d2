// XComPtr<T>: owns one reference to a reference-counted host interface.
//
// Copying adds a reference, moving transfers it, and reset, assignment and destruction release
// the one held. Attach takes over a reference without adding one: that is how a caller receives
// an "out" parameter, which carries a reference the receiver owns.
#pragma once

#include <cstddef>
#include <utility>

template <class T>
class XComPtr {
public:
    XComPtr() noexcept = default;
    XComPtr(std::nullptr_t) noexcept {}

    // Shares the object: adds a reference.
    XComPtr(T* p) noexcept : m_p(p) { addRef(); }
    XComPtr(const XComPtr& other) noexcept : m_p(other.m_p) { addRef(); }
    XComPtr(XComPtr&& other) noexcept : m_p(std::exchange(other.m_p, nullptr)) {}
    template <class U>
    XComPtr(const XComPtr<U>& other) noexcept : m_p(other.Get()) {
        addRef();
    }

    ~XComPtr() { Reset(); }

    XComPtr& operator=(T* p) noexcept {
        if (p != m_p) {
            T* old = std::exchange(m_p, p);
            addRef();
            if (old != nullptr)
                old->Release();
        }
        return *this;
    }
    XComPtr& operator=(const XComPtr& other) noexcept { return *this = other.m_p; }
    XComPtr& operator=(XComPtr&& other) noexcept {
        if (this != &other)
            Attach(std::exchange(other.m_p, nullptr));
        return *this;
    }
    XComPtr& operator=(std::nullptr_t) noexcept {
        Reset();
        return *this;
    }

    // Releases the held reference, if any.
    void Reset() noexcept {
        if (T* old = std::exchange(m_p, nullptr))
            old->Release();
    }

    // Takes over a reference that the caller already owns; releases the one held before.
    void Attach(T* p) noexcept {
        T* old = std::exchange(m_p, p);
        if (old != nullptr)
            old->Release();
    }

    // Gives the held reference away without releasing it.
    [[nodiscard]] T* Detach() noexcept { return std::exchange(m_p, nullptr); }

    // For a raw "out" parameter (T**): releases the held reference and lets the callee store a
    // new one, which this pointer then owns.
    [[nodiscard]] T** Receive() noexcept {
        Reset();
        return &m_p;
    }

    // A new reference to the same object as another interface, or empty when it has none.
    template <class U>
    XComPtr<U> As() const noexcept {
        return XComPtr<U>(dynamic_cast<U*>(m_p));
    }

    T* Get() const noexcept { return m_p; }
    T* operator->() const noexcept { return m_p; }
    T& operator*() const noexcept { return *m_p; }
    operator T*() const noexcept { return m_p; }

    void Swap(XComPtr& other) noexcept { std::swap(m_p, other.m_p); }

private:
    void addRef() noexcept {
        if (m_p != nullptr)
            m_p->AddRef();
    }

    T* m_p = nullptr;
};
