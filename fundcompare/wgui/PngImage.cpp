// LoadPngImage: a GDI+ image of one of the module's PNG resources.
#include "wgui/PngImage.h"

#include "wgui/ModuleInstance.h"

#include <platform/gdiplus.h>
#include <platform/objidl.h>
#include <platform/winmem.h>

#include <cstring>

Gdiplus::Image* LoadPngImage(int id) {
    HINSTANCE instance = WGUI::ModuleInstance();
    HRSRC info = FindResourceW(instance, MAKEINTRESOURCEW(id), L"PNG");
    if (info == nullptr)
        return nullptr;
    DWORD size = SizeofResource(instance, info);
    HGLOBAL loaded = LoadResource(instance, info);
    const void* bytes = LockResource(loaded);
    if (size == 0 || bytes == nullptr)
        return nullptr;

    HGLOBAL block = GlobalAlloc(GMEM_FIXED, size);
    if (block == nullptr)
        return nullptr;
    std::memcpy(GlobalLock(block), bytes, size);
    GlobalUnlock(block);
    IStream* stream = nullptr;
    if (CreateStreamOnHGlobal(block, TRUE, &stream) != S_OK || stream == nullptr) {
        GlobalFree(block);
        return nullptr;
    }
    Gdiplus::Image* image = Gdiplus::Image::FromStream(stream, FALSE);
    stream->Release();
    if (image != nullptr && image->GetLastStatus() != Gdiplus::Ok) {
        delete image;
        image = nullptr;
    }
    return image;
}
