// The GDI handle table, stock objects, object creation and deletion, GetObjectW.
#include "GdiObjects.h"

#include "DeviceContext.h"
#include "platform/winbase.h"
#include "platform/winuser_draw.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>

namespace platform::gdi {

namespace {

struct Slot {
    GdiObject* object = nullptr;
    std::uint32_t generation = 0;
};

// Slot index in the high bits, a 16-bit generation and the 4-bit type in the low bits; the
// smallest handle is far above the COLOR_xxx + 1 values that USER32 accepts as brushes.
constexpr int kIndexShift = 20;
constexpr int kGenerationShift = 4;

struct HandleTable {
    std::vector<Slot> slots;
    std::vector<std::uint32_t> freeSlots;
};

HandleTable& table() {
    static HandleTable* instance = new HandleTable; // lives as long as the process, like the objects
    return *instance;
}

HGDIOBJ encode(std::uint32_t index, std::uint32_t generation, DWORD type) {
    auto value = (static_cast<std::uintptr_t>(index) + 1) << kIndexShift |
                 static_cast<std::uintptr_t>(generation & 0xFFFF) << kGenerationShift | (type & 0xF);
    return reinterpret_cast<HGDIOBJ>(value);
}

} // namespace

Bitmap::~Bitmap() {
    if (alphaView != nullptr)
        cairo_surface_destroy(alphaView);
    if (surface != nullptr)
        cairo_surface_destroy(surface);
    std::free(bits);
}

cairo_surface_t* Bitmap::AlphaView() {
    if (alphaView == nullptr)
        alphaView =
            cairo_image_surface_create_for_data(topRow(), CAIRO_FORMAT_ARGB32, width, height, viewStride());
    return alphaView;
}

HGDIOBJ RegisterObject(std::unique_ptr<GdiObject> object) {
    HandleTable& t = table();
    std::uint32_t index;
    if (!t.freeSlots.empty()) {
        index = t.freeSlots.back();
        t.freeSlots.pop_back();
    } else {
        index = static_cast<std::uint32_t>(t.slots.size());
        t.slots.push_back({});
    }
    Slot& slot = t.slots[index];
    slot.object = object.release();
    slot.object->handle = encode(index, slot.generation, slot.object->type);
    return slot.object->handle;
}

GdiObject* LookupObject(HGDIOBJ handle, DWORD type) {
    auto value = reinterpret_cast<std::uintptr_t>(handle);
    if ((value >> kIndexShift) == 0)
        return nullptr;
    std::uintptr_t index = (value >> kIndexShift) - 1;
    HandleTable& t = table();
    if (index >= t.slots.size())
        return nullptr;
    const Slot& slot = t.slots[index];
    if (slot.object == nullptr || slot.object->handle != handle)
        return nullptr;
    if (type != 0 && slot.object->type != type)
        return nullptr;
    return slot.object;
}

DeviceContext* LookupDC(HDC dc) {
    return static_cast<DeviceContext*>(LookupObject(dc, OBJ_DC));
}

void DestroyObject(GdiObject* object) {
    auto value = reinterpret_cast<std::uintptr_t>(object->handle);
    std::uint32_t index = static_cast<std::uint32_t>((value >> kIndexShift) - 1);
    HandleTable& t = table();
    t.slots[index].object = nullptr;
    ++t.slots[index].generation;
    t.freeSlots.push_back(index);
    delete object;
}

void AddReference(GdiObject* object) {
    if (object != nullptr)
        ++object->references;
}

void ReleaseReference(GdiObject* object) {
    if (object == nullptr)
        return;
    if (--object->references <= 0 && object->pendingDelete && !object->stock)
        DestroyObject(object);
}

std::unique_ptr<Bitmap> MakeBitmap(int width, int height, int bitsPerPixel, bool bottomUp) {
    // A bitmap larger than 16384 pixels a side or 256 MB is a caller's mistake, not a canvas.
    if (width <= 0 || height <= 0 || width > 16384 || height > 16384)
        return nullptr;
    int stride = cairo_format_stride_for_width(CAIRO_FORMAT_RGB24, width);
    auto bytes = static_cast<size_t>(stride) * static_cast<size_t>(height);
    if (bytes > (size_t{256} << 20))
        return nullptr;
    auto bitmap = std::make_unique<Bitmap>();
    bitmap->bits = static_cast<unsigned char*>(std::calloc(bytes, 1));
    if (bitmap->bits == nullptr)
        return nullptr;
    bitmap->width = width;
    bitmap->height = height;
    bitmap->stride = stride;
    bitmap->bitsPerPixel = bitsPerPixel;
    bitmap->bottomUp = bottomUp;
    bitmap->surface = cairo_image_surface_create_for_data(bitmap->topRow(), CAIRO_FORMAT_RGB24, width, height,
                                                          bitmap->viewStride());
    if (cairo_surface_status(bitmap->surface) != CAIRO_STATUS_SUCCESS)
        return nullptr;
    return bitmap;
}

// ---- Stock objects -----------------------------------------------------------------------------

namespace {

template <class T>
T* makeStock(std::unique_ptr<T> object) {
    object->stock = true;
    T* raw = object.get();
    RegisterObject(std::move(object));
    return raw;
}

Brush* makeStockBrush(UINT style, COLORREF color, bool dcBrush = false) {
    auto brush = std::make_unique<Brush>();
    brush->style = style;
    brush->color = color;
    brush->dcBrush = dcBrush;
    return makeStock(std::move(brush));
}

Pen* makeStockPen(UINT style, COLORREF color, bool dcPen = false) {
    auto pen = std::make_unique<Pen>();
    pen->style = style;
    pen->color = color;
    pen->dcPen = dcPen;
    return makeStock(std::move(pen));
}

Font* makeStockFont(LONG height, LONG weight) {
    auto font = std::make_unique<Font>();
    font->log.lfHeight = height;
    font->log.lfWeight = weight;
    font->log.lfCharSet = GB2312_CHARSET;
    std::wcsncpy(font->log.lfFaceName, L"WenQuanYi Micro Hei", LF_FACESIZE - 1);
    return makeStock(std::move(font));
}

struct StockTable {
    GdiObject* objects[DC_PEN + 1] = {};
    Bitmap* monochrome = nullptr;
    StockTable() {
        objects[WHITE_BRUSH] = makeStockBrush(BS_SOLID, RGB(255, 255, 255));
        objects[LTGRAY_BRUSH] = makeStockBrush(BS_SOLID, RGB(192, 192, 192));
        objects[GRAY_BRUSH] = makeStockBrush(BS_SOLID, RGB(128, 128, 128));
        objects[DKGRAY_BRUSH] = makeStockBrush(BS_SOLID, RGB(64, 64, 64));
        objects[BLACK_BRUSH] = makeStockBrush(BS_SOLID, RGB(0, 0, 0));
        objects[NULL_BRUSH] = makeStockBrush(BS_NULL, 0);
        objects[WHITE_PEN] = makeStockPen(PS_SOLID, RGB(255, 255, 255));
        objects[BLACK_PEN] = makeStockPen(PS_SOLID, RGB(0, 0, 0));
        objects[NULL_PEN] = makeStockPen(PS_NULL, 0);
        // The system font is a bold 16-pixel cell as in Win32; the GUI font is the 12-pixel face
        // that the shipped themes use for ordinary text.
        objects[SYSTEM_FONT] = makeStockFont(16, FW_BOLD);
        objects[DEFAULT_GUI_FONT] = makeStockFont(-12, FW_NORMAL);
        objects[ANSI_VAR_FONT] = objects[DEFAULT_GUI_FONT];
        objects[DEVICE_DEFAULT_FONT] = objects[SYSTEM_FONT];
        objects[OEM_FIXED_FONT] = objects[SYSTEM_FONT];
        objects[ANSI_FIXED_FONT] = objects[SYSTEM_FONT];
        objects[SYSTEM_FIXED_FONT] = objects[SYSTEM_FONT];
        objects[DC_BRUSH] = makeStockBrush(BS_SOLID, RGB(255, 255, 255), true);
        objects[DC_PEN] = makeStockPen(PS_SOLID, RGB(0, 0, 0), true);
        auto mono = MakeBitmap(1, 1, 1, false);
        mono->stock = true;
        monochrome = mono.get();
        RegisterObject(std::move(mono));
    }
};

StockTable& stock() {
    static StockTable* instance = new StockTable;
    return *instance;
}

} // namespace

GdiObject* StockObject(int index) {
    if (index < 0 || index > DC_PEN)
        return nullptr;
    return stock().objects[index];
}

Brush* StockBrush(int index) {
    return static_cast<Brush*>(StockObject(index));
}

Bitmap* StockBitmap() {
    return stock().monochrome;
}

bool SystemColorFromBrushValue(HBRUSH brush, COLORREF* color) {
    auto value = reinterpret_cast<std::uintptr_t>(brush);
    if (value < 1 || value > COLOR_MENUBAR + 1)
        return false;
    *color = GetSysColor(static_cast<int>(value - 1));
    return true;
}

} // namespace platform::gdi

using namespace platform::gdi;

extern "C" {

HGDIOBJ WINAPI GetStockObject(int object) {
    GdiObject* found = StockObject(object);
    return found != nullptr ? found->handle : nullptr;
}

BOOL WINAPI DeleteObject(HGDIOBJ handle) {
    GdiObject* object = LookupObject(handle);
    if (object == nullptr || object->type == OBJ_DC) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (object->stock)
        return TRUE;
    if (object->references > 0) {
        if (object->type == OBJ_BITMAP)
            return FALSE;
        object->pendingDelete = true;
        return TRUE;
    }
    DestroyObject(object);
    return TRUE;
}

DWORD WINAPI GetObjectType(HGDIOBJ handle) {
    GdiObject* object = LookupObject(handle);
    if (object == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    if (object->type == OBJ_DC)
        return static_cast<DeviceContext*>(object)->memory ? OBJ_MEMDC : OBJ_DC;
    return object->type;
}

int WINAPI GetObjectW(HGDIOBJ handle, int size, LPVOID buffer) {
    GdiObject* object = LookupObject(handle);
    if (object == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    auto copyOut = [&](const void* data, int dataSize) -> int {
        if (buffer == nullptr)
            return dataSize;
        if (size < dataSize)
            return 0;
        std::memcpy(buffer, data, static_cast<size_t>(dataSize));
        return dataSize;
    };
    switch (object->type) {
    case OBJ_BRUSH: {
        auto* brush = static_cast<Brush*>(object);
        LOGBRUSH log{brush->style, brush->color, 0};
        return copyOut(&log, sizeof log);
    }
    case OBJ_PEN: {
        auto* pen = static_cast<Pen*>(object);
        LOGPEN log{pen->style, {pen->width, 0}, pen->color};
        return copyOut(&log, sizeof log);
    }
    case OBJ_FONT:
        return copyOut(&static_cast<Font*>(object)->log, sizeof(LOGFONTW));
    case OBJ_BITMAP: {
        auto* bitmap = static_cast<Bitmap*>(object);
        DIBSECTION dib{};
        dib.dsBm.bmWidth = bitmap->width;
        dib.dsBm.bmHeight = bitmap->height;
        dib.dsBm.bmPlanes = 1;
        dib.dsBm.bmBitsPixel = static_cast<WORD>(bitmap->bitsPerPixel);
        dib.dsBm.bmWidthBytes =
            bitmap->bitsPerPixel == 1 ? ((bitmap->width + 15) / 16) * 2 : bitmap->width * 4;
        if (bitmap->dibSection) {
            dib.dsBm.bmBits = bitmap->bits;
            dib.dsBmih = bitmap->header;
            // A DIB section answers with the whole DIBSECTION when the buffer has room for it.
            if (buffer != nullptr && size >= static_cast<int>(sizeof(DIBSECTION)))
                return copyOut(&dib, sizeof dib);
        }
        return copyOut(&dib.dsBm, sizeof(BITMAP));
    }
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
}

HBRUSH WINAPI CreateSolidBrush(COLORREF color) {
    auto brush = std::make_unique<Brush>();
    brush->color = color & 0x00FFFFFF;
    return static_cast<HBRUSH>(RegisterObject(std::move(brush)));
}

HBRUSH WINAPI CreateBrushIndirect(const LOGBRUSH* log) {
    if (log == nullptr || (log->lbStyle != BS_SOLID && log->lbStyle != BS_NULL)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto brush = std::make_unique<Brush>();
    brush->style = log->lbStyle;
    brush->color = log->lbColor & 0x00FFFFFF;
    return static_cast<HBRUSH>(RegisterObject(std::move(brush)));
}

HPEN WINAPI CreatePen(int style, int width, COLORREF color) {
    int kind = style & PS_STYLE_MASK;
    if (kind > PS_INSIDEFRAME) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto pen = std::make_unique<Pen>();
    pen->style = static_cast<UINT>(kind);
    // Width 0 means one pixel whatever the mapping; absurd widths are limited so that a stroke
    // stays a stroke.
    pen->width = width < 1 ? 1 : (width > 1000 ? 1000 : width);
    pen->color = color & 0x00FFFFFF;
    return static_cast<HPEN>(RegisterObject(std::move(pen)));
}

HPEN WINAPI CreatePenIndirect(const LOGPEN* log) {
    if (log == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return CreatePen(static_cast<int>(log->lopnStyle), log->lopnWidth.x, log->lopnColor);
}

} // extern "C"
