// Pictures of windows: PrintWindow into a bitmap of the window's size, written with GDI+'s PNG
// encoder through HostKernel::AtomicFile.
#include "SaveFileAsk.h"

#include <sdk/ControlPicture.h>
#include <sdk/ControlStatusNote.h>

#include <hostkernel/AtomicFile.h>
#include <platform/gdiplus.h>

namespace Control {

void AppendPictureItems(HMENU menu) {
    if (menu == nullptr)
        return;
    if (GetMenuItemCount(menu) > 0)
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, kSavePictureCommand, L"保存图片...");
}

bool WriteWindowPng(HWND window, const std::string& path, XStringW& error) {
    RECT client{};
    if (!IsWindow(window) || !GetClientRect(window, &client) || client.right <= 0 || client.bottom <= 0) {
        error = L"the window has nothing to show";
        return false;
    }
    HDC screen = GetDC(window);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BOOL printed = PrintWindow(window, memory, PW_CLIENTONLY);
    SelectObject(memory, old);
    DeleteDC(memory);
    ReleaseDC(window, screen);
    bool ok = false;
    HostKernel::AtomicFile file;
    std::string reason;
    if (!printed) {
        error = L"the window could not be drawn";
    } else if (!file.Open(path, reason)) {
        error = XStringW::FromUtf8(reason);
    } else {
        // The encoder writes the temporary by name; it replaces the file only once complete.
        Gdiplus::Bitmap picture(bitmap, nullptr);
        XStringW wide = XStringW::FromUtf8(file.TemporaryPath());
        ok = picture.GetLastStatus() == Gdiplus::Ok &&
             picture.Save(wide.c_str(), &Gdiplus::PngEncoderClsid()) == Gdiplus::Ok;
        if (!ok)
            error = XStringW::FromUtf8("cannot write the picture '" + path + "'");
        else if (!(ok = file.Commit(reason)))
            error = XStringW::FromUtf8(reason);
    }
    DeleteObject(bitmap);
    return ok;
}

bool SaveWindowPicture(HWND window, const XStringW& name) {
    SaveFileAsk ask;
    ask.owner = window;
    ask.name = name;
    ask.fallbackName = L"图片";
    ask.types = L"PNG 图片 (*.png)\0*.png\0";
    ask.extension = L"png";
    ask.title = L"保存图片";
    XStringW path;
    DWORD filterIndex = 1;
    if (!AskSaveFileName(ask, path, filterIndex))
        return false;
    XStringW error;
    if (!WriteWindowPng(window, path.ToUtf8(), error)) {
        std::wstring text = L"保存图片失败：" + error.str();
        MessageBoxW(window, text.c_str(), L"提示", MB_OK | MB_ICONWARNING);
        return false;
    }
    StatusNote note;
    note.text = XStringW(L"图片已保存到 " + path.str());
    ShowStatusNote(window, note);
    return true;
}

} // namespace Control
