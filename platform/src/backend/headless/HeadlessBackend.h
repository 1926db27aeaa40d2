// The headless screen: no display, a virtual clock that moves only when told to, and an optional
// idle handler that supplies input when the message loop would otherwise wait forever.
#pragma once

#include "internal/WindowBackend.h"

#include <functional>

namespace platform {

class HeadlessBackend : public WindowBackend {
public:
    // The clock starts at an arbitrary non-zero time, as a tick count does.
    static constexpr DWORD kStartTime = 100000;
    // The longest wait, on the wall clock, for background work that posts nothing: beyond it the
    // work is taken for hung and the loop goes on without it.
    static constexpr DWORD kBackgroundWaitMs = 300000;

    DWORD Now() override { return m_clock; }
    bool WaitForInput(DWORD timeout) override;
    void Present(Window* window) override;

    void Advance(DWORD milliseconds) { m_clock += milliseconds; }
    void SetClock(DWORD time) { m_clock = time; }

private:
    DWORD m_clock = kStartTime;
};

// The handler PlatformSetIdleHandler installed (shared by every headless backend).
std::function<bool()>& HeadlessIdleHandler();

} // namespace platform
