// RefCounted<Base...>: the reference counting that every host object shares, which is the sdk's
// one count (sdk/RefCounted.h) under the kernel's names.
#pragma once

#include <sdk/RefCounted.h>

#include <utility>

namespace HostKernel {

template <class... Bases>
using RefCounted = XRefCounted<Bases...>;

// A new object whose creator's reference the returned pointer owns.
template <class T, class... Args>
XComPtr<T> MakeRef(Args&&... args) {
    return XMakeRef<T>(std::forward<Args>(args)...);
}

} // namespace HostKernel
