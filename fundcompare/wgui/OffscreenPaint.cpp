// OffscreenPaint: the paint's buffer and the copy to the window.
#include "wgui/OffscreenPaint.h"

namespace WGUI {

OffscreenPaint::OffscreenPaint(HWND window) : m_window(window) {
    m_target = BeginPaint(window, &m_paint);
    ::GetClientRect(window, &m_client);
}

OffscreenPaint::~OffscreenPaint() {
    if (m_shown != nullptr && m_shown->Valid()) {
        const RECT& r = m_paint.rcPaint;
        BitBlt(m_target, r.left, r.top, r.right - r.left, r.bottom - r.top, m_shown->Dc(), r.left, r.top,
               SRCCOPY);
    }
    EndPaint(m_window, &m_paint);
}

HDC OffscreenPaint::Dc() {
    if (Empty() || !m_own.Ensure(m_client.right, m_client.bottom))
        return nullptr;
    m_shown = &m_own;
    return m_own.Dc();
}

} // namespace WGUI
