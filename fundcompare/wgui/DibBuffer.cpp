// DibBuffer: the life of an off-screen DIB section.
#include "wgui/DibBuffer.h"

#include <cstring>

DibBuffer::~DibBuffer() {
    Release();
}

void DibBuffer::Release() {
    if (m_dc != nullptr) {
        if (m_oldBitmap != nullptr)
            SelectObject(m_dc, m_oldBitmap);
        DeleteDC(m_dc);
    }
    if (m_bitmap != nullptr)
        DeleteObject(m_bitmap);
    m_dc = nullptr;
    m_bitmap = nullptr;
    m_oldBitmap = nullptr;
    m_bits = nullptr;
    m_width = m_height = 0;
}

bool DibBuffer::Ensure(int width, int height) {
    if (width <= 0 || height <= 0)
        return false;
    if (Valid() && width == m_width && height == m_height)
        return true;
    Release();
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    m_dc = CreateCompatibleDC(nullptr);
    m_bitmap = CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (m_dc == nullptr || m_bitmap == nullptr || bits == nullptr) {
        Release();
        return false;
    }
    m_oldBitmap = SelectObject(m_dc, m_bitmap);
    m_bits = static_cast<std::uint32_t*>(bits);
    m_width = width;
    m_height = height;
    return true;
}

void DibBuffer::CopyFrom(const DibBuffer& other) {
    if (!Valid() || !other.Valid() || other.m_width != m_width || other.m_height != m_height)
        return;
    GdiFlush();
    std::memcpy(m_bits, other.m_bits, static_cast<size_t>(m_width) * static_cast<size_t>(m_height) * 4);
}
