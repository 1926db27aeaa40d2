// PrintWindow: a window's picture for a program that wants to keep it (saving a chart as an
// image). Every window draws onto its top-level's surface, so once the window and its children
// have painted, its pixels are there to copy.
#include <platform/windows.h>

extern "C" BOOL WINAPI PrintWindow(HWND window, HDC target, UINT flags) {
    if (!IsWindow(window) || target == nullptr)
        return FALSE;
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    bool clientOnly = (flags & PW_CLIENTONLY) != 0;
    HDC source = clientOnly ? GetDC(window) : GetWindowDC(window);
    if (source == nullptr)
        return FALSE;
    RECT area{};
    if (clientOnly) {
        GetClientRect(window, &area);
    } else {
        GetWindowRect(window, &area);
        OffsetRect(&area, -area.left, -area.top);
    }
    BOOL copied = BitBlt(target, 0, 0, area.right, area.bottom, source, 0, 0, SRCCOPY);
    ReleaseDC(window, source);
    return copied;
}
