// The headless screen's backend.
#include "backend/headless/HeadlessBackend.h"

namespace platform {

std::function<bool()>& HeadlessIdleHandler() {
    static std::function<bool()> handler;
    return handler;
}

bool HeadlessBackend::WaitForInput(DWORD timeout) {
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
