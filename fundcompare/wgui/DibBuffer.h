// DibBuffer: an off-screen 32-bit top-down DIB section with its memory DC, owned and freed as one,
// so that a window can both write pixels straight into it and draw text on it with GDI.
#pragma once

#include <platform/windows.h>

#include <cstdint>

class DibBuffer {
public:
    DibBuffer() = default;
    ~DibBuffer();
    DibBuffer(const DibBuffer&) = delete;
    DibBuffer& operator=(const DibBuffer&) = delete;

    // Makes the buffer this size (a new one only when the size changes); false when it cannot.
    bool Ensure(int width, int height);
    void Release();

    HDC Dc() const { return m_dc; }
    std::uint32_t* Bits() const { return m_bits; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    bool Valid() const { return m_bits != nullptr; }
    // Copies another buffer of the same size, pixel for pixel.
    void CopyFrom(const DibBuffer& other);

private:
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_oldBitmap = nullptr;
    std::uint32_t* m_bits = nullptr;
    int m_width = 0;
    int m_height = 0;
};
