// OffscreenPaint: how the module's hand-drawn windows paint without flicker. Made in a window's
// WM_PAINT, it begins the paint; the window then draws the whole picture into Dc() (a buffer of
// the client's size made for this paint, in client coordinates), or hands over a buffer it keeps
// between paints with Show; when it goes, the invalid part of the buffer is copied to the window
// and the paint ends. A window whose client area is empty, or for which no buffer can be made,
// gets an ended paint and no picture.
#pragma once

#include "wgui/DibBuffer.h"

#include <platform/windows.h>

namespace WGUI {

class OffscreenPaint {
public:
    explicit OffscreenPaint(HWND window);
    ~OffscreenPaint();
    OffscreenPaint(const OffscreenPaint&) = delete;
    OffscreenPaint& operator=(const OffscreenPaint&) = delete;

    const RECT& Client() const { return m_client; }
    // The part of the window to paint, in client coordinates.
    const RECT& Invalid() const { return m_paint.rcPaint; }
    bool Empty() const { return m_client.right <= 0 || m_client.bottom <= 0; }
    // The buffer to draw into; null when there is none.
    HDC Dc();
    // Shows a buffer the window keeps instead, from its top left corner.
    void Show(const DibBuffer& kept) { m_shown = &kept; }

private:
    HWND m_window;
    PAINTSTRUCT m_paint{};
    HDC m_target = nullptr;
    RECT m_client{0, 0, 0, 0};
    DibBuffer m_own;
    const DibBuffer* m_shown = nullptr;
};

} // namespace WGUI
