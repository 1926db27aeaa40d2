// Critical sections over recursive pthread mutexes, and interlocked counters.
#include "platform/winbase.h"

#include <new>
#include <pthread.h>

static_assert(sizeof(pthread_mutex_t) <= sizeof(CRITICAL_SECTION::opaque), "CRITICAL_SECTION too small");
static_assert(alignof(pthread_mutex_t) <= 8, "CRITICAL_SECTION under-aligned");

namespace {

pthread_mutex_t* mutexOf(LPCRITICAL_SECTION section) {
    return std::launder(reinterpret_cast<pthread_mutex_t*>(section->opaque));
}

} // namespace

extern "C" {

void WINAPI InitializeCriticalSection(LPCRITICAL_SECTION section) {
    pthread_mutexattr_t attributes;
    pthread_mutexattr_init(&attributes);
    // Windows lets the owning thread enter again.
    pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE);
    new (section->opaque) pthread_mutex_t;
    pthread_mutex_init(mutexOf(section), &attributes);
    pthread_mutexattr_destroy(&attributes);
}

void WINAPI EnterCriticalSection(LPCRITICAL_SECTION section) {
    pthread_mutex_lock(mutexOf(section));
}

BOOL WINAPI TryEnterCriticalSection(LPCRITICAL_SECTION section) {
    return pthread_mutex_trylock(mutexOf(section)) == 0;
}

void WINAPI LeaveCriticalSection(LPCRITICAL_SECTION section) {
    pthread_mutex_unlock(mutexOf(section));
}

void WINAPI DeleteCriticalSection(LPCRITICAL_SECTION section) {
    pthread_mutex_destroy(mutexOf(section));
}

LONG WINAPI InterlockedIncrement(LONG volatile* value) {
    return __atomic_add_fetch(value, 1, __ATOMIC_SEQ_CST);
}

LONG WINAPI InterlockedDecrement(LONG volatile* value) {
    return __atomic_sub_fetch(value, 1, __ATOMIC_SEQ_CST);
}
}
