// gdiobj::GdiObject<T>: the owner of one GDI handle (HFONT, HBRUSH), deleted with DeleteObject
// when the holder goes, unless it is null.
#pragma once

#include <platform/windows.h>

#include <cwchar>

namespace gdiobj {

// The pages' text font: 12 pixels, normal weight, in the theme's face (the default face when the
// theme names none).
inline HFONT CreateTextFont(const wchar_t* face) {
    LOGFONTW logFont{};
    logFont.lfHeight = -12;
    logFont.lfWeight = FW_NORMAL;
    logFont.lfCharSet = DEFAULT_CHARSET;
    wcsncpy(logFont.lfFaceName, face != nullptr && face[0] != 0 ? face : L"WenQuanYi Micro Hei",
            LF_FACESIZE - 1);
    return CreateFontIndirectW(&logFont);
}

template <class T>
class GdiObject {
public:
    GdiObject() = default;
    // Takes ownership of the handle.
    explicit GdiObject(T handle) : m_handle(handle) {}
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    virtual ~GdiObject() {
        if (m_handle != nullptr) {
            ::DeleteObject(m_handle);
            m_handle = nullptr;
        }
    }

    // Replaces the held handle without deleting the old one (whoever attaches has dealt with it).
    void Attach(T handle) { m_handle = handle; }
    // Deletes the held handle and takes ownership of the new one.
    void Replace(T handle) {
        if (m_handle != nullptr && m_handle != handle)
            ::DeleteObject(m_handle);
        m_handle = handle;
    }
    T GetHandle() const { return m_handle; }
    operator T() const { return m_handle; }
    bool IsNull() const { return m_handle == nullptr; }

private:
    T m_handle = nullptr;
};

} // namespace gdiobj
