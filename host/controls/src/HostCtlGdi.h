// Small owning wrappers for the GDI objects of the table header, the fund picker and the star
// map, and the off-screen buffer they paint through.
#pragma once

#include <platform/windows.h>

#include <algorithm>
#include <utility>

namespace Control::hostctl {

// Owns one pen, brush, font or bitmap and deletes it when replaced or destroyed. (Not to be confused
// with the module's gdiobj::GdiObject, whose Attach takes a handle without deleting the one held.)
template <class H>
class GdiOwner {
public:
    GdiOwner() = default;
    explicit GdiOwner(H handle) : m_handle(handle) {}
    ~GdiOwner() { Reset(); }
    GdiOwner(const GdiOwner&) = delete;
    GdiOwner& operator=(const GdiOwner&) = delete;
    GdiOwner(GdiOwner&& other) noexcept : m_handle(std::exchange(other.m_handle, nullptr)) {}
    GdiOwner& operator=(GdiOwner&& other) noexcept {
        if (this != &other)
            Reset(std::exchange(other.m_handle, nullptr));
        return *this;
    }
    void Reset(H handle = nullptr) {
        if (m_handle != nullptr)
            DeleteObject(m_handle);
        m_handle = handle;
    }
    H Get() const { return m_handle; }
    operator H() const { return m_handle; }

private:
    H m_handle = nullptr;
};

inline HFONT MakeFont(int pixelHeight, int weight, const wchar_t* face = L"WenQuanYi Micro Hei") {
    return CreateFontW(-pixelHeight, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH, face);
}

// A colour between two others: t = 0 gives a, t = 1 gives b.
inline COLORREF Mix(COLORREF a, COLORREF b, double t) {
    auto channel = [t](int x, int y) {
        return static_cast<BYTE>(std::clamp(x + (y - x) * t, 0.0, 255.0) + 0.5);
    };
    return RGB(channel(GetRValue(a), GetRValue(b)), channel(GetGValue(a), GetGValue(b)),
               channel(GetBValue(a), GetBValue(b)));
}

inline bool IsDark(COLORREF c) {
    return GetRValue(c) * 299 + GetGValue(c) * 587 + GetBValue(c) * 114 < 128 * 1000;
}

// Paints a window through a 32-bit off-screen bitmap of its client size, so that the window never
// shows a half-drawn frame. The bitmap is copied to the window when the buffer goes.
class PaintBuffer {
public:
    PaintBuffer(HDC target, const RECT& client) : m_target(target), m_client(client) {
        int w = std::max<LONG>(1, client.right - client.left),
            h = std::max<LONG>(1, client.bottom - client.top);
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = w;
        info.bmiHeader.biHeight = -h;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        m_dc = CreateCompatibleDC(target);
        m_bitmap.Reset(CreateDIBSection(target, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        if (m_dc != nullptr && m_bitmap.Get() != nullptr)
            m_old = SelectObject(m_dc, m_bitmap.Get());
    }
    ~PaintBuffer() {
        if (m_old != nullptr) {
            BitBlt(m_target, m_client.left, m_client.top, m_client.right - m_client.left,
                   m_client.bottom - m_client.top, m_dc, 0, 0, SRCCOPY);
            SelectObject(m_dc, m_old);
        }
        if (m_dc != nullptr)
            DeleteDC(m_dc);
    }
    PaintBuffer(const PaintBuffer&) = delete;
    PaintBuffer& operator=(const PaintBuffer&) = delete;
    // The DC to draw into: the buffer, or the window itself when no buffer could be made.
    HDC Dc() const { return m_old != nullptr ? m_dc : m_target; }

private:
    HDC m_target;
    RECT m_client;
    HDC m_dc = nullptr;
    GdiOwner<HBITMAP> m_bitmap;
    HGDIOBJ m_old = nullptr;
};

// Selects an object for the life of a scope.
class Selected {
public:
    Selected(HDC dc, HGDIOBJ object) : m_dc(dc), m_old(SelectObject(dc, object)) {}
    ~Selected() { SelectObject(m_dc, m_old); }
    Selected(const Selected&) = delete;
    Selected& operator=(const Selected&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_old;
};

} // namespace Control::hostctl
