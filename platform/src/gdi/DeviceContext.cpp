// Device contexts: creation (memory DCs and the window manager's surface DCs), selection, saved
// states, attributes, the viewport origin and clipping.
#include "DeviceContext.h"

#include "internal/SurfaceDC.h"
#include "platform/winbase.h"

#include <algorithm>
#include <climits>

namespace platform::gdi {

namespace {

cairo_rectangle_int_t clampedRect(long long left, long long top, long long right, long long bottom) {
    auto clamp = [](long long v) { return static_cast<int>(std::clamp<long long>(v, -(1 << 28), 1 << 28)); };
    int l = clamp(left), t = clamp(top), r = clamp(right), b = clamp(bottom);
    return {l, t, std::max(0, r - l), std::max(0, b - t)};
}

void setDefaults(DeviceContext* dc) {
    dc->state.brush = StockBrush(WHITE_BRUSH);
    dc->state.pen = static_cast<Pen*>(StockObject(BLACK_PEN));
    dc->state.font = static_cast<Font*>(StockObject(SYSTEM_FONT));
    AddReference(dc->state.brush);
    AddReference(dc->state.pen);
    AddReference(dc->state.font);
    if (dc->memory) {
        dc->state.bitmap = StockBitmap();
        AddReference(dc->state.bitmap);
    }
}

int regionKind(const cairo_region_t* region) {
    int count = cairo_region_num_rectangles(region);
    return count == 0 ? NULLREGION : (count == 1 ? SIMPLEREGION : COMPLEXREGION);
}

} // namespace

DeviceContext::~DeviceContext() {
    if (cr != nullptr)
        cairo_destroy(cr);
    if (effectiveClip != nullptr)
        cairo_region_destroy(effectiveClip);
    if (systemClip != nullptr)
        cairo_region_destroy(systemClip);
    if (windowSurface != nullptr)
        cairo_surface_destroy(windowSurface);
    if (vectorSurface != nullptr) {
        // A document never ended is dropped: its writer hears nothing more.
        if (sink != nullptr && !sink->finished)
            sink->aborted = true;
        cairo_surface_destroy(vectorSurface);
    }
}

void DeviceContext::BaseMatrix(cairo_t* context) const {
    cairo_identity_matrix(context);
    if (IsVector())
        cairo_scale(context, vectorScale, vectorScale);
}

void DeviceContext::ResetTarget() {
    if (cr != nullptr)
        cairo_destroy(cr);
    cr = nullptr;
    clipDirty = true;
}

const cairo_region_t* DeviceContext::EffectiveClip() {
    if (!clipDirty && effectiveClip != nullptr)
        return effectiveClip;
    if (effectiveClip != nullptr)
        cairo_region_destroy(effectiveClip);
    cairo_rectangle_int_t whole{0, 0, SurfaceWidth(), SurfaceHeight()};
    effectiveClip = cairo_region_create_rectangle(&whole);
    if (systemClip != nullptr)
        cairo_region_intersect(effectiveClip, systemClip);
    if (state.clip != nullptr) {
        cairo_region_t* own = cairo_region_copy(state.clip);
        cairo_region_translate(own, origin.x, origin.y);
        cairo_region_intersect(effectiveClip, own);
        cairo_region_destroy(own);
    }
    // Re-apply to the cairo context on the next Prepare.
    if (cr != nullptr) {
        BaseMatrix(cr);
        cairo_reset_clip(cr);
        int count = cairo_region_num_rectangles(effectiveClip);
        cairo_rectangle_int_t extents;
        cairo_region_get_extents(effectiveClip, &extents);
        if (count == 1 && extents.x == 0 && extents.y == 0 && extents.width == whole.width &&
            extents.height == whole.height) {
            // The whole surface: no clip at all keeps cairo on its fastest paths.
        } else {
            for (int i = 0; i < count; ++i) {
                cairo_rectangle_int_t r;
                cairo_region_get_rectangle(effectiveClip, i, &r);
                cairo_rectangle(cr, r.x, r.y, r.width, r.height);
            }
            cairo_clip(cr);
        }
    }
    clipDirty = false;
    return effectiveClip;
}

cairo_t* DeviceContext::Prepare() {
    if (cr == nullptr) {
        cr = cairo_create(Target());
        clipDirty = true;
    }
    if (clipDirty)
        EffectiveClip();
    BaseMatrix(cr);
    cairo_translate(cr, OffsetX(), OffsetY());
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    cairo_new_path(cr);
    return cr;
}

bool DeviceContext::BrushColor(const Brush* brush, COLORREF* color) const {
    if (brush == nullptr || brush->style == BS_NULL)
        return false;
    *color = brush->dcBrush ? state.dcBrushColor : brush->color;
    return true;
}

void SetSourceColor(cairo_t* cr, COLORREF color) {
    cairo_set_source_rgb(cr, GetRValue(color) / 255.0, GetGValue(color) / 255.0, GetBValue(color) / 255.0);
}

DcState CopyState(const DcState& state) {
    DcState copy = state;
    AddReference(copy.brush);
    AddReference(copy.pen);
    AddReference(copy.font);
    AddReference(copy.bitmap);
    copy.clip = state.clip != nullptr ? cairo_region_copy(state.clip) : nullptr;
    return copy;
}

void ReleaseState(DcState& state) {
    ReleaseReference(state.brush);
    ReleaseReference(state.pen);
    ReleaseReference(state.font);
    ReleaseReference(state.bitmap);
    if (state.clip != nullptr)
        cairo_region_destroy(state.clip);
    state = DcState{};
}

namespace {

void destroyDC(DeviceContext* dc) {
    for (DcState& state : dc->saved)
        ReleaseState(state);
    dc->saved.clear();
    if (dc->state.bitmap != nullptr && dc->state.bitmap->selectedInto == dc->handle)
        dc->state.bitmap->selectedInto = nullptr;
    ReleaseState(dc->state);
    DestroyObject(dc);
}

// Applies `mode` of CombineRgn to the DC's own clip with `region` (DC coordinates).
int combineClip(DeviceContext* dc, const cairo_region_t* region, int mode) {
    cairo_region_t*& clip = dc->state.clip;
    if (mode == RGN_COPY) {
        if (clip != nullptr)
            cairo_region_destroy(clip);
        clip = region != nullptr ? cairo_region_copy(region) : nullptr;
    } else {
        if (region == nullptr)
            return ERROR;
        if (clip == nullptr) {
            // No clip yet means the whole device.
            cairo_rectangle_int_t whole{-dc->origin.x, -dc->origin.y, dc->SurfaceWidth(),
                                        dc->SurfaceHeight()};
            clip = cairo_region_create_rectangle(&whole);
        }
        cairo_status_t status = CAIRO_STATUS_SUCCESS;
        switch (mode) {
        case RGN_AND:
            status = cairo_region_intersect(clip, region);
            break;
        case RGN_OR:
            status = cairo_region_union(clip, region);
            break;
        case RGN_XOR:
            status = cairo_region_xor(clip, region);
            break;
        case RGN_DIFF:
            status = cairo_region_subtract(clip, region);
            break;
        default:
            return ERROR;
        }
        if (status != CAIRO_STATUS_SUCCESS)
            return ERROR;
    }
    dc->InvalidateClip();
    return regionKind(dc->EffectiveClip());
}

} // namespace

} // namespace platform::gdi

using namespace platform::gdi;

namespace platform {

HDC CreateSurfaceDC(cairo_surface_t* surface, POINT origin, const cairo_region_t* clip, HWND window) {
    if (surface == nullptr || cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_IMAGE)
        return nullptr;
    auto dc = std::make_unique<DeviceContext>();
    dc->windowSurface = cairo_surface_reference(surface);
    dc->origin = origin;
    dc->systemClip = clip != nullptr ? cairo_region_copy(clip) : nullptr;
    dc->window = window;
    setDefaults(dc.get());
    return static_cast<HDC>(RegisterObject(std::move(dc)));
}

void DestroySurfaceDC(HDC handle) {
    DeviceContext* dc = LookupDC(handle);
    if (dc != nullptr && !dc->memory)
        destroyDC(dc);
}

HWND WindowFromSurfaceDC(HDC handle) {
    DeviceContext* dc = LookupDC(handle);
    return dc != nullptr ? dc->window : nullptr;
}

const cairo_region_t* RegionFromHandle(HRGN handle) {
    auto* region = Lookup<Region>(handle, OBJ_REGION);
    return region != nullptr ? region->region : nullptr;
}

HRGN CreateRegionHandle(const cairo_region_t* region) {
    auto object = std::make_unique<Region>();
    if (region != nullptr)
        cairo_region_union(object->region, region);
    return static_cast<HRGN>(RegisterObject(std::move(object)));
}

} // namespace platform

extern "C" {

HDC WINAPI CreateCompatibleDC(HDC) {
    auto dc = std::make_unique<DeviceContext>();
    dc->memory = true;
    setDefaults(dc.get());
    return static_cast<HDC>(RegisterObject(std::move(dc)));
}

BOOL WINAPI DeleteDC(HDC handle) {
    DeviceContext* dc = LookupDC(handle);
    if (dc == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    destroyDC(dc);
    return TRUE;
}

HGDIOBJ WINAPI SelectObject(HDC handle, HGDIOBJ objectHandle) {
    DeviceContext* dc = LookupDC(handle);
    GdiObject* object = LookupObject(objectHandle);
    if (dc == nullptr || object == nullptr || object->pendingDelete) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    GdiObject* previous = nullptr;
    switch (object->type) {
    case OBJ_BRUSH:
        previous = dc->state.brush;
        dc->state.brush = static_cast<Brush*>(object);
        break;
    case OBJ_PEN:
        previous = dc->state.pen;
        dc->state.pen = static_cast<Pen*>(object);
        break;
    case OBJ_FONT:
        previous = dc->state.font;
        dc->state.font = static_cast<Font*>(object);
        break;
    case OBJ_BITMAP: {
        auto* bitmap = static_cast<Bitmap*>(object);
        if (!dc->memory)
            return nullptr;
        if (bitmap == dc->state.bitmap)
            return bitmap->handle;
        // A bitmap can be selected into one DC at a time; the shared stock bitmap into any.
        if (!bitmap->stock && bitmap->selectedInto != nullptr && LookupDC(bitmap->selectedInto) != nullptr)
            return nullptr;
        previous = dc->state.bitmap;
        if (dc->state.bitmap->selectedInto == handle)
            dc->state.bitmap->selectedInto = nullptr;
        dc->state.bitmap = bitmap;
        if (!bitmap->stock)
            bitmap->selectedInto = handle;
        dc->ResetTarget();
        AddReference(object);
        HGDIOBJ previousHandle = previous->handle;
        ReleaseReference(previous);
        // Win32 answers a bitmap selection with the previous bitmap, or a region kind for regions.
        return previousHandle;
    }
    case OBJ_REGION: {
        int kind = SelectClipRgn(handle, static_cast<HRGN>(objectHandle));
        return reinterpret_cast<HGDIOBJ>(static_cast<std::intptr_t>(kind));
    }
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    AddReference(object);
    HGDIOBJ previousHandle = previous->handle;
    ReleaseReference(previous);
    return previousHandle;
}

HGDIOBJ WINAPI GetCurrentObject(HDC handle, UINT type) {
    DeviceContext* dc = LookupDC(handle);
    if (dc == nullptr)
        return nullptr;
    switch (type) {
    case OBJ_BRUSH:
        return dc->state.brush->handle;
    case OBJ_PEN:
        return dc->state.pen->handle;
    case OBJ_FONT:
        return dc->state.font->handle;
    case OBJ_BITMAP:
        return dc->state.bitmap != nullptr ? dc->state.bitmap->handle : nullptr;
    default:
        return nullptr;
    }
}

int WINAPI GetDeviceCaps(HDC handle, int index) {
    DeviceContext* dc = LookupDC(handle);
    switch (index) {
    case LOGPIXELSX:
    case LOGPIXELSY:
        return 96;
    case BITSPIXEL:
        return dc != nullptr && dc->memory ? dc->state.bitmap->bitsPerPixel : 32;
    case PLANES:
        return 1;
    case HORZRES:
        return dc != nullptr ? dc->SurfaceWidth() : 0;
    case VERTRES:
        return dc != nullptr ? dc->SurfaceHeight() : 0;
    default:
        return 0;
    }
}

int WINAPI SaveDC(HDC handle) {
    DeviceContext* dc = LookupDC(handle);
    if (dc == nullptr)
        return 0;
    dc->saved.push_back(CopyState(dc->state));
    return static_cast<int>(dc->saved.size());
}

BOOL WINAPI RestoreDC(HDC handle, int savedDC) {
    DeviceContext* dc = LookupDC(handle);
    if (dc == nullptr)
        return FALSE;
    int depth = static_cast<int>(dc->saved.size());
    int target = savedDC < 0 ? depth + 1 + savedDC : savedDC;
    if (savedDC == 0 || target < 1 || target > depth)
        return FALSE;
    DcState restored = std::move(dc->saved[static_cast<size_t>(target - 1)]);
    for (int i = depth - 1; i >= target; --i)
        ReleaseState(dc->saved[static_cast<size_t>(i)]);
    dc->saved.resize(static_cast<size_t>(target - 1));
    // The bitmap of the restored state may have been selected elsewhere meanwhile; keep the
    // current one in that case rather than sharing pixels between two DCs.
    if (dc->memory && restored.bitmap != dc->state.bitmap) {
        Bitmap* wanted = restored.bitmap;
        if (!wanted->stock && wanted->selectedInto != nullptr && wanted->selectedInto != handle &&
            LookupDC(wanted->selectedInto) != nullptr) {
            ReleaseReference(wanted);
            restored.bitmap = dc->state.bitmap;
            AddReference(restored.bitmap);
        } else {
            if (dc->state.bitmap->selectedInto == handle)
                dc->state.bitmap->selectedInto = nullptr;
            if (!wanted->stock)
                wanted->selectedInto = handle;
        }
        dc->ResetTarget();
    }
    ReleaseState(dc->state);
    dc->state = restored;
    dc->InvalidateClip();
    return TRUE;
}

#define DC_ATTRIBUTE(Setter, Getter, Type, field, failure)                                                   \
    Type WINAPI Setter(HDC handle, Type value) {                                                             \
        DeviceContext* dc = LookupDC(handle);                                                                \
        if (dc == nullptr)                                                                                   \
            return failure;                                                                                  \
        Type previous = dc->state.field;                                                                     \
        dc->state.field = value;                                                                             \
        return previous;                                                                                     \
    }                                                                                                        \
    Type WINAPI Getter(HDC handle) {                                                                         \
        DeviceContext* dc = LookupDC(handle);                                                                \
        return dc != nullptr ? dc->state.field : failure;                                                    \
    }

DC_ATTRIBUTE(SetTextColor, GetTextColor, COLORREF, textColor, CLR_INVALID)
DC_ATTRIBUTE(SetBkColor, GetBkColor, COLORREF, bkColor, CLR_INVALID)
DC_ATTRIBUTE(SetTextAlign, GetTextAlign, UINT, textAlign, GDI_ERROR)
DC_ATTRIBUTE(SetDCBrushColor, GetDCBrushColor, COLORREF, dcBrushColor, CLR_INVALID)
DC_ATTRIBUTE(SetDCPenColor, GetDCPenColor, COLORREF, dcPenColor, CLR_INVALID)

int WINAPI SetBkMode(HDC handle, int mode) {
    DeviceContext* dc = LookupDC(handle);
    if (dc == nullptr || (mode != TRANSPARENT && mode != OPAQUE))
        return 0;
    int previous = dc->state.bkMode;
    dc->state.bkMode = mode;
    return previous;
}

int WINAPI GetBkMode(HDC handle) {
    DeviceContext* dc = LookupDC(handle);
    return dc != nullptr ? dc->state.bkMode : 0;
}

int WINAPI SetPolyFillMode(HDC handle, int mode) {
    DeviceContext* dc = LookupDC(handle);
    if (dc == nullptr || (mode != ALTERNATE && mode != WINDING))
        return 0;
    int previous = dc->state.polyFillMode;
    dc->state.polyFillMode = mode;
    return previous;
}

int WINAPI SetStretchBltMode(HDC handle, int mode) {
    DeviceContext* dc = LookupDC(handle);
    if (dc == nullptr || mode < BLACKONWHITE || mode > HALFTONE)
        return 0;
    int previous = dc->state.stretchMode;
    dc->state.stretchMode = mode;
    return previous;
}

BOOL WINAPI SetViewportOrgEx(HDC handle, int x, int y, LPPOINT oldOrigin) {
    DeviceContext* dc = LookupDC(handle);
    if (dc == nullptr)
        return FALSE;
    if (oldOrigin != nullptr)
        *oldOrigin = dc->state.viewportOrg;
    dc->state.viewportOrg = {x, y};
    return TRUE;
}

BOOL WINAPI OffsetViewportOrgEx(HDC handle, int dx, int dy, LPPOINT oldOrigin) {
    DeviceContext* dc = LookupDC(handle);
    if (dc == nullptr)
        return FALSE;
    if (oldOrigin != nullptr)
        *oldOrigin = dc->state.viewportOrg;
    dc->state.viewportOrg.x += dx;
    dc->state.viewportOrg.y += dy;
    return TRUE;
}

BOOL WINAPI GetViewportOrgEx(HDC handle, LPPOINT origin) {
    DeviceContext* dc = LookupDC(handle);
    if (dc == nullptr || origin == nullptr)
        return FALSE;
    *origin = dc->state.viewportOrg;
    return TRUE;
}

// ---- Regions -----------------------------------------------------------------------------------

HRGN WINAPI CreateRectRgn(int left, int top, int right, int bottom) {
    auto region = std::make_unique<Region>();
    // Win32 accepts the corners in either order.
    cairo_rectangle_int_t r = clampedRect(std::min(left, right), std::min(top, bottom), std::max(left, right),
                                          std::max(top, bottom));
    if (r.width > 0 && r.height > 0)
        cairo_region_union_rectangle(region->region, &r);
    return static_cast<HRGN>(RegisterObject(std::move(region)));
}

HRGN WINAPI CreateRectRgnIndirect(const RECT* rect) {
    if (rect == nullptr)
        return nullptr;
    return CreateRectRgn(rect->left, rect->top, rect->right, rect->bottom);
}

BOOL WINAPI SetRectRgn(HRGN handle, int left, int top, int right, int bottom) {
    auto* region = Lookup<Region>(handle, OBJ_REGION);
    if (region == nullptr)
        return FALSE;
    cairo_region_destroy(region->region);
    cairo_rectangle_int_t r = clampedRect(std::min(left, right), std::min(top, bottom), std::max(left, right),
                                          std::max(top, bottom));
    region->region = cairo_region_create_rectangle(&r);
    return TRUE;
}

int WINAPI CombineRgn(HRGN destHandle, HRGN source1Handle, HRGN source2Handle, int mode) {
    auto* dest = Lookup<Region>(destHandle, OBJ_REGION);
    auto* source1 = Lookup<Region>(source1Handle, OBJ_REGION);
    auto* source2 = Lookup<Region>(source2Handle, OBJ_REGION);
    if (dest == nullptr || source1 == nullptr || (mode != RGN_COPY && source2 == nullptr))
        return ERROR;
    // Work on a copy so that the destination may also be a source.
    cairo_region_t* result = cairo_region_copy(source1->region);
    cairo_status_t status = CAIRO_STATUS_SUCCESS;
    switch (mode) {
    case RGN_COPY:
        break;
    case RGN_AND:
        status = cairo_region_intersect(result, source2->region);
        break;
    case RGN_OR:
        status = cairo_region_union(result, source2->region);
        break;
    case RGN_XOR:
        status = cairo_region_xor(result, source2->region);
        break;
    case RGN_DIFF:
        status = cairo_region_subtract(result, source2->region);
        break;
    default:
        cairo_region_destroy(result);
        return ERROR;
    }
    if (status != CAIRO_STATUS_SUCCESS) {
        cairo_region_destroy(result);
        return ERROR;
    }
    cairo_region_destroy(dest->region);
    dest->region = result;
    return regionKind(result);
}

int WINAPI OffsetRgn(HRGN handle, int dx, int dy) {
    auto* region = Lookup<Region>(handle, OBJ_REGION);
    if (region == nullptr)
        return ERROR;
    cairo_region_translate(region->region, dx, dy);
    return regionKind(region->region);
}

int WINAPI GetRgnBox(HRGN handle, LPRECT rect) {
    auto* region = Lookup<Region>(handle, OBJ_REGION);
    if (region == nullptr || rect == nullptr)
        return ERROR;
    cairo_rectangle_int_t e;
    cairo_region_get_extents(region->region, &e);
    *rect = {e.x, e.y, e.x + e.width, e.y + e.height};
    return regionKind(region->region);
}

BOOL WINAPI PtInRegion(HRGN handle, int x, int y) {
    auto* region = Lookup<Region>(handle, OBJ_REGION);
    return region != nullptr && cairo_region_contains_point(region->region, x, y);
}

BOOL WINAPI RectInRegion(HRGN handle, const RECT* rect) {
    auto* region = Lookup<Region>(handle, OBJ_REGION);
    if (region == nullptr || rect == nullptr)
        return FALSE;
    cairo_rectangle_int_t r = clampedRect(rect->left, rect->top, rect->right, rect->bottom);
    return cairo_region_contains_rectangle(region->region, &r) != CAIRO_REGION_OVERLAP_OUT;
}

BOOL WINAPI EqualRgn(HRGN handle1, HRGN handle2) {
    auto* region1 = Lookup<Region>(handle1, OBJ_REGION);
    auto* region2 = Lookup<Region>(handle2, OBJ_REGION);
    return region1 != nullptr && region2 != nullptr && cairo_region_equal(region1->region, region2->region);
}

int WINAPI SelectClipRgn(HDC handle, HRGN region) {
    return ExtSelectClipRgn(handle, region, RGN_COPY);
}

int WINAPI ExtSelectClipRgn(HDC handle, HRGN regionHandle, int mode) {
    DeviceContext* dc = LookupDC(handle);
    if (dc == nullptr)
        return ERROR;
    const cairo_region_t* region = nullptr;
    if (regionHandle != nullptr) {
        auto* object = Lookup<Region>(regionHandle, OBJ_REGION);
        if (object == nullptr)
            return ERROR;
        region = object->region;
    }
    return combineClip(dc, region, mode);
}

int WINAPI GetClipRgn(HDC handle, HRGN regionHandle) {
    DeviceContext* dc = LookupDC(handle);
    auto* region = Lookup<Region>(regionHandle, OBJ_REGION);
    if (dc == nullptr || region == nullptr)
        return -1;
    if (dc->state.clip == nullptr)
        return 0;
    cairo_region_destroy(region->region);
    region->region = cairo_region_copy(dc->state.clip);
    return 1;
}

int WINAPI IntersectClipRect(HDC handle, int left, int top, int right, int bottom) {
    DeviceContext* dc = LookupDC(handle);
    if (dc == nullptr)
        return ERROR;
    long long vx = dc->state.viewportOrg.x, vy = dc->state.viewportOrg.y;
    cairo_rectangle_int_t r = clampedRect(left + vx, top + vy, right + vx, bottom + vy);
    cairo_region_t* region = cairo_region_create_rectangle(&r);
    int kind = combineClip(dc, region, RGN_AND);
    cairo_region_destroy(region);
    return kind;
}

int WINAPI ExcludeClipRect(HDC handle, int left, int top, int right, int bottom) {
    DeviceContext* dc = LookupDC(handle);
    if (dc == nullptr)
        return ERROR;
    long long vx = dc->state.viewportOrg.x, vy = dc->state.viewportOrg.y;
    cairo_rectangle_int_t r = clampedRect(left + vx, top + vy, right + vx, bottom + vy);
    cairo_region_t* region = cairo_region_create_rectangle(&r);
    int kind = combineClip(dc, region, RGN_DIFF);
    cairo_region_destroy(region);
    return kind;
}

int WINAPI GetClipBox(HDC handle, LPRECT rect) {
    DeviceContext* dc = LookupDC(handle);
    if (dc == nullptr || rect == nullptr)
        return ERROR;
    const cairo_region_t* clip = dc->EffectiveClip();
    cairo_rectangle_int_t e;
    cairo_region_get_extents(clip, &e);
    if (cairo_region_is_empty(clip)) {
        *rect = {0, 0, 0, 0};
        return NULLREGION;
    }
    int dx = dc->OffsetX(), dy = dc->OffsetY();
    *rect = {e.x - dx, e.y - dy, e.x + e.width - dx, e.y + e.height - dy};
    return regionKind(clip);
}

BOOL WINAPI PtVisible(HDC handle, int x, int y) {
    DeviceContext* dc = LookupDC(handle);
    if (dc == nullptr)
        return FALSE;
    return cairo_region_contains_point(dc->EffectiveClip(), x + dc->OffsetX(), y + dc->OffsetY());
}

BOOL WINAPI RectVisible(HDC handle, const RECT* rect) {
    DeviceContext* dc = LookupDC(handle);
    if (dc == nullptr || rect == nullptr)
        return FALSE;
    long long dx = dc->OffsetX(), dy = dc->OffsetY();
    cairo_rectangle_int_t r =
        clampedRect(rect->left + dx, rect->top + dy, rect->right + dx, rect->bottom + dy);
    return cairo_region_contains_rectangle(dc->EffectiveClip(), &r) != CAIRO_REGION_OVERLAP_OUT;
}

} // extern "C"
