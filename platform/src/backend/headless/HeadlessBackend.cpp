// The headless screen's backend.
#include "backend/headless/HeadlessBackend.h"

#include "internal/WindowManager.h"

namespace platform {

std::function<bool()>& HeadlessIdleHandler() {
    static std::function<bool()> handler;
    return handler;
}

void HeadlessBackend::Present(Window* window) {
    if (auto& hook = PresentHook(); hook)
        hook(window->handle);
}

bool HeadlessBackend::WaitForInput(DWORD timeout) {
    // Work under way on another thread will post its result: that is worth waiting for, on the
    // wall clock, whatever the virtual clock says.
    if (BackgroundPending()) {
        PresentPainted();
        WaitForBackground(kBackgroundWaitMs);
        return true;
    }
    // Input can only come from the idle handler; without one, time jumps to the next timer.
    if (auto& handler = HeadlessIdleHandler(); handler && handler())
        return true;
    if (timeout == INFINITE_WAIT)
        return false;
    m_clock += timeout;
    return true;
}

std::unique_ptr<WindowBackend> CreateHeadlessBackend() {
    return std::make_unique<HeadlessBackend>();
}

} // namespace platform
