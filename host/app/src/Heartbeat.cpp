#include "Heartbeat.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace {

// A thread timer's procedure learns nothing of its owner: one heartbeat per process.
Heartbeat* g_current = nullptr;

} // namespace

Heartbeat::Heartbeat() {
    const char* path = std::getenv(kVariable);
    if (path == nullptr || *path == '\0' || g_current != nullptr)
        return;
    m_file = ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (m_file < 0) {
        std::fprintf(stderr, "fundhost: cannot write the heartbeat to '%s'\n", path);
        return;
    }
    g_current = this;
    Beat();
    m_timer = SetTimer(nullptr, 0, kPeriodMs, &Heartbeat::OnTimer);
}

Heartbeat::~Heartbeat() {
    if (m_timer != 0)
        KillTimer(nullptr, m_timer);
    if (g_current == this)
        g_current = nullptr;
    if (m_file >= 0)
        ::close(m_file);
}

void CALLBACK Heartbeat::OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (g_current != nullptr)
        g_current->Beat();
}

void Heartbeat::Beat() {
    // A fixed width, written in place: a reader never sees a shorter, older number's tail.
    char text[32];
    int length = std::snprintf(text, sizeof text, "%020llu\n", ++m_count);
    if (::pwrite(m_file, text, static_cast<size_t>(length), 0) != length && !m_failed) {
        // The watcher will see the count stop although the loop turns: say why, once.
        m_failed = true;
        std::fprintf(stderr, "fundhost: the heartbeat could not be written\n");
    }
}
