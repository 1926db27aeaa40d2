// GuardedRefCount: a reference count that starts at 1 and changes only under its own critical
// section, for the module's filter objects, which the host may reference from any thread.
#pragma once

#include <platform/winbase.h>

class GuardedRefCount {
public:
    GuardedRefCount() { InitializeCriticalSection(&m_lock); }
    ~GuardedRefCount() { DeleteCriticalSection(&m_lock); }
    GuardedRefCount(const GuardedRefCount&) = delete;
    GuardedRefCount& operator=(const GuardedRefCount&) = delete;

    // Both return the new count.
    unsigned long Increment() { return Change(+1); }
    unsigned long Decrement() { return Change(-1); }

private:
    unsigned long Change(LONG delta) {
        EnterCriticalSection(&m_lock);
        LONG count = m_count += delta;
        LeaveCriticalSection(&m_lock);
        return static_cast<unsigned long>(count);
    }

    LONG m_count = 1;
    CRITICAL_SECTION m_lock;
};
