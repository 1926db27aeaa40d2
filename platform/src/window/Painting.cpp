// Update regions, invalidation and validation, WM_PAINT and WM_ERASEBKGND, device contexts on
// window surfaces, and the surfaces of top-level windows.
//
// Sections: surfaces; visible regions; invalidation (Redraw); painting now; USER32 calls.
//
// Invalidating a window adds to its update region (client coordinates) and, as Win32 does when
// neither RDW_ALLCHILDREN nor RDW_NOCHILDREN is given, to the covered parts of its children
// unless it has WS_CLIPCHILDREN. Invalidating a hidden window does nothing; hiding a window drops
// its update region. A region that covers the non-client border marks the frame for WM_NCPAINT.
#include "internal/SurfaceDC.h"
#include "internal/Window.h"
#include "internal/WindowBackend.h"
#include "internal/WindowManager.h"

#include "gdi/GdiObjects.h"

#include <platform/winbase.h>
#include <platform/wingdi.h>

#include <algorithm>
#include <cstdio>
#include <set>

namespace platform {
namespace {

cairo_rectangle_int_t toCairo(const RECT& r) {
    return cairo_rectangle_int_t{r.left, r.top, std::max(0, static_cast<int>(r.right - r.left)),
                                 std::max(0, static_cast<int>(r.bottom - r.top))};
}

RECT fromCairo(const cairo_rectangle_int_t& r) {
    return RECT{r.x, r.y, r.x + r.width, r.y + r.height};
}

cairo_region_t* regionOf(const RECT& r) {
    cairo_rectangle_int_t c = toCairo(r);
    return cairo_region_create_rectangle(&c);
}

void subtractRect(cairo_region_t* region, const RECT& r) {
    cairo_rectangle_int_t c = toCairo(r);
    cairo_region_subtract_rectangle(region, &c);
}

void intersectRect(cairo_region_t* region, const RECT& r) {
    cairo_rectangle_int_t c = toCairo(r);
    cairo_region_intersect_rectangle(region, &c);
}

RECT offset(RECT r, POINT by) {
    OffsetRect(&r, by.x, by.y);
    return r;
}

// The window rectangle of a window on its top-level's surface.
RECT windowOnSurface(const Window* window) {
    POINT origin = WindowOriginOnSurface(window);
    return RECT{origin.x, origin.y, origin.x + window->windowRect.right - window->windowRect.left,
                origin.y + window->windowRect.bottom - window->windowRect.top};
}

RECT clientOnSurface(const Window* window) {
    return offset(ClientArea(window), ClientOriginOnSurface(window));
}

bool needsPaint(const Window* window) {
    return window->update != nullptr || window->internalPaint || window->frameInvalid;
}

// The desktop's surface: what GetDC(NULL) draws on (text measuring, mostly).
cairo_surface_t* desktopSurface() {
    Window* desktop = Desktop();
    RECT screen = ScreenRect();
    if (desktop->surface == nullptr || cairo_image_surface_get_width(desktop->surface) != screen.right ||
        cairo_image_surface_get_height(desktop->surface) != screen.bottom) {
        if (desktop->surface != nullptr)
            cairo_surface_destroy(desktop->surface);
        desktop->surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, screen.right, screen.bottom);
    }
    return desktop->surface;
}

// ---- Visible regions ------------------------------------------------------------------------

// Where drawing into a window may land, on its top-level's surface: its client area (or whole
// window), less its visible children with WS_CLIPCHILDREN, less the siblings above it at every
// level that has WS_CLIPSIBLINGS, within every ancestor's client area.
cairo_region_t* visibleRegion(const Window* window, bool client) {
    if (!IsVisibleOnScreen(window))
        return cairo_region_create();
    cairo_region_t* region = regionOf(client ? clientOnSurface(window) : windowOnSurface(window));
    if (client && (window->style & WS_CLIPCHILDREN)) {
        for (const Window* child : window->children) {
            if (child->style & WS_VISIBLE)
                subtractRect(region, windowOnSurface(child));
        }
    }
    for (const Window* w = window; !w->IsTopLevel(); w = w->parent) {
        if (w->style & WS_CLIPSIBLINGS) {
            for (const Window* sibling : w->parent->children) {
                if (sibling == w)
                    break;
                if (sibling->style & WS_VISIBLE)
                    subtractRect(region, windowOnSurface(sibling));
            }
        }
        intersectRect(region, clientOnSurface(w->parent));
    }
    intersectRect(region, windowOnSurface(TopLevelOf(const_cast<Window*>(window))));
    return region;
}

// CS_PARENTDC gives a window its parent's clipping, except where the documentation says the
// style is ignored: the parent clips its children, or the window clips children or siblings.
bool usesParentClipping(const Window* window) {
    return (window->windowClass->info.style & CS_PARENTDC) && window->IsChildStyle() &&
           !(window->style & (WS_CLIPCHILDREN | WS_CLIPSIBLINGS)) &&
           !(window->parent->style & WS_CLIPCHILDREN);
}

cairo_region_t* clientDrawingRegion(const Window* window) {
    if (usesParentClipping(window) && IsVisibleOnScreen(window))
        return visibleRegion(window->parent, true);
    return visibleRegion(window, true);
}

HDC clientDC(Window* window, const cairo_region_t* updateInClient) {
    Window* top = TopLevelOf(window);
    if (top->surface == nullptr)
        SyncSurface(top);
    cairo_region_t* clip = clientDrawingRegion(window);
    POINT origin = ClientOriginOnSurface(window);
    if (updateInClient != nullptr) {
        cairo_region_t* update = cairo_region_copy(updateInClient);
        cairo_region_translate(update, origin.x, origin.y);
        cairo_region_intersect(clip, update);
        cairo_region_destroy(update);
    }
    HDC dc = CreateSurfaceDC(top->surface, origin, clip, window->handle);
    cairo_region_destroy(clip);
    return dc;
}

void markPainted(Window* window) {
    if (Window* top = TopLevelOf(window); top != nullptr && top->IsTopLevel())
        top->presentPending = true;
}

// ---- Invalidation -----------------------------------------------------------------------------

void invalidate(Window* window, const cairo_region_t* region, UINT flags);

void propagateToChildren(Window* window, const cairo_region_t* region, UINT flags) {
    if (flags & RDW_NOCHILDREN)
        return;
    if (!(flags & RDW_ALLCHILDREN) && (window->style & WS_CLIPCHILDREN))
        return;
    for (Window* child : window->children) {
        if (!(child->style & WS_VISIBLE))
            continue;
        // The region in the parent's client coordinates, cut to the child, moved into the
        // child's client coordinates.
        cairo_region_t* part = cairo_region_copy(region);
        intersectRect(part, child->windowRect);
        if (!cairo_region_is_empty(part)) {
            if (flags & RDW_INVALIDATE) {
                cairo_region_t* outsideClient = cairo_region_copy(part);
                subtractRect(outsideClient, child->clientRect);
                if (!cairo_region_is_empty(outsideClient))
                    child->frameInvalid = true;
                cairo_region_destroy(outsideClient);
            }
            cairo_region_translate(part, -child->clientRect.left, -child->clientRect.top);
            invalidate(child, part, flags);
        }
        cairo_region_destroy(part);
    }
}

void invalidate(Window* window, const cairo_region_t* region, UINT flags) {
    cairo_region_t* area = cairo_region_copy(region);
    intersectRect(area, ClientArea(window));
    if (flags & RDW_INVALIDATE) {
        if (!cairo_region_is_empty(area)) {
            if (window->update == nullptr)
                window->update = cairo_region_create();
            cairo_region_union(window->update, area);
            if (flags & RDW_ERASE)
                window->erasePending = true;
        }
    } else if (flags & RDW_VALIDATE) {
        if (window->update != nullptr) {
            cairo_region_subtract(window->update, area);
            if (cairo_region_is_empty(window->update)) {
                cairo_region_destroy(window->update);
                window->update = nullptr;
            }
        }
        if (window->update == nullptr || (flags & RDW_NOERASE))
            window->erasePending = false;
        if (flags & RDW_NOFRAME)
            window->frameInvalid = false;
        if (flags & RDW_NOINTERNALPAINT)
            window->internalPaint = false;
    }
    cairo_region_destroy(area);
    propagateToChildren(window, region, flags);
}

// ---- Painting now -----------------------------------------------------------------------------

void collectToPaint(Window* window, bool withChildren, std::vector<HWND>& out) {
    if (!IsVisibleOnScreen(window))
        return;
    out.push_back(window->handle);
    if (!withChildren)
        return;
    for (Window* child : window->children)
        collectToPaint(child, true, out);
}

// WM_PAINT to every window of a tree that needs it, parents first, each once.
void updateNow(Window* window, bool withChildren) {
    std::vector<HWND> handles;
    collectToPaint(window, withChildren, handles);
    for (HWND h : handles) {
        Window* w = LiveWindow(h);
        if (w != nullptr && !w->IsDesktop() && IsVisibleOnScreen(w) && needsPaint(w))
            SendTo(w, WM_PAINT, 0, 0);
    }
}

void sendFrameAndErase(Window* window) {
    auto hold = Hold(window);
    if (window->frameInvalid) {
        window->frameInvalid = false;
        SendTo(window, WM_NCPAINT, 1, 0);
        if (window->dead)
            return;
    }
    if (window->erasePending && window->update != nullptr) {
        window->erasePending = false;
        HDC dc = clientDC(window, window->update);
        SendTo(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
        DestroySurfaceDC(dc);
        markPainted(window);
    }
}

void eraseNow(Window* window, bool withChildren) {
    std::vector<HWND> handles;
    collectToPaint(window, withChildren, handles);
    for (HWND h : handles) {
        if (Window* w = LiveWindow(h))
            sendFrameAndErase(w);
    }
}

Window* firstToPaint(Window* window) {
    if (!(window->style & WS_VISIBLE) && !window->IsDesktop())
        return nullptr;
    if (!window->IsDesktop() && needsPaint(window))
        return window;
    for (Window* child : window->children) {
        if (Window* found = firstToPaint(child))
            return found;
    }
    return nullptr;
}

cairo_region_t* regionOfHandle(HRGN handle) {
    auto* region = gdi::Lookup<gdi::Region>(handle, OBJ_REGION);
    return region != nullptr ? region->region : nullptr;
}

// RedrawWindow on one window: the region (client coordinates) or the whole window.
void redraw(Window* window, const cairo_region_t* region, UINT flags) {
    auto hold = Hold(window);
    if (flags & (RDW_INVALIDATE | RDW_VALIDATE)) {
        if (!IsVisibleOnScreen(window) && (flags & RDW_INVALIDATE)) {
            // Nothing to paint while hidden; showing the window invalidates it whole.
        } else {
            cairo_region_t* area =
                region != nullptr ? cairo_region_copy(region) : regionOf(ClientArea(window));
            if ((flags & RDW_FRAME) && (flags & RDW_INVALIDATE) && region == nullptr &&
                BorderWidth(window->style, window->exStyle, window->IsTopLevel()) > 0)
                window->frameInvalid = true;
            invalidate(window, area, flags);
            cairo_region_destroy(area);
        }
    }
    // An internal paint asks for WM_PAINT without invalidating anything.
    if ((flags & RDW_INTERNALPAINT) && IsVisibleOnScreen(window))
        window->internalPaint = true;
    if (window->dead)
        return;
    if (flags & RDW_UPDATENOW)
        updateNow(window, !(flags & RDW_NOCHILDREN));
    else if (flags & RDW_ERASENOW)
        eraseNow(window, !(flags & RDW_NOCHILDREN));
}

} // namespace

// ---- Surfaces ---------------------------------------------------------------------------------

void SyncSurface(Window* window) {
    if (!window->IsTopLevel())
        return;
    int width = std::max(0, static_cast<int>(window->windowRect.right - window->windowRect.left));
    int height = std::max(0, static_cast<int>(window->windowRect.bottom - window->windowRect.top));
    cairo_surface_t* old = window->surface;
    if (old != nullptr && cairo_image_surface_get_width(old) == width &&
        cairo_image_surface_get_height(old) == height)
        return;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    if (old != nullptr) {
        // Keep what was drawn, as a window's bits survive a resize until it repaints.
        cairo_t* cr = cairo_create(surface);
        cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
        cairo_set_source_surface(cr, old, 0, 0);
        cairo_paint(cr);
        cairo_destroy(cr);
        cairo_surface_destroy(old);
    }
    window->surface = surface;
}

void FreeSurface(Window* window) {
    if (window->surface != nullptr) {
        cairo_surface_destroy(window->surface);
        window->surface = nullptr;
    }
}

void Redraw(Window* window, const cairo_region_t* region, UINT flags) {
    redraw(window, region, flags);
}

void InvalidateParentArea(Window* parent, const RECT& area) {
    if (parent == nullptr || parent->dead)
        return;
    if (parent->IsDesktop())
        return;
    cairo_region_t* region = regionOf(area);
    redraw(parent, region, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    cairo_region_destroy(region);
}

Window* NextWindowToPaint(Window* root) {
    if (root != nullptr) {
        if (!IsVisibleOnScreen(root))
            return nullptr;
        return firstToPaint(root);
    }
    return firstToPaint(Desktop());
}

void ClearPaintState(Window* window, bool withChildren) {
    if (window->update != nullptr) {
        cairo_region_destroy(window->update);
        window->update = nullptr;
    }
    window->erasePending = false;
    window->frameInvalid = false;
    window->internalPaint = false;
    if (withChildren) {
        for (Window* child : window->children)
            ClearPaintState(child, true);
    }
}

void PaintAllWindows() {
    // Each window once per round; a window that does not validate in WM_PAINT (which Win32 would
    // repaint forever) is left for the next round.
    std::set<HWND> painted;
    for (int guard = 0; guard < 100000; ++guard) {
        Window* next = nullptr;
        std::vector<HWND> all = AllWindows();
        for (HWND h : all) {
            Window* w = LiveWindow(h);
            if (w != nullptr && IsVisibleOnScreen(w) && needsPaint(w) && !painted.count(h)) {
                next = w;
                break;
            }
        }
        if (next == nullptr)
            return;
        painted.insert(next->handle);
        SendTo(next, WM_PAINT, 0, 0);
    }
}

} // namespace platform

using namespace platform;

extern "C" {

BOOL WINAPI RedrawWindow(HWND handle, const RECT* updateRect, HRGN updateRegion, UINT flags) {
    if (handle == nullptr || handle == Desktop()->handle) {
        // The desktop: every top-level window.
        std::vector<HWND> tops;
        for (Window* w : Desktop()->children)
            tops.push_back(w->handle);
        for (HWND h : tops) {
            if (Window* w = LiveWindow(h))
                redraw(w, nullptr, flags | RDW_ALLCHILDREN);
        }
        return TRUE;
    }
    Window* window = CheckWindow(handle);
    if (window == nullptr)
        return FALSE;
    cairo_region_t* region = nullptr;
    if (updateRegion != nullptr) {
        if (cairo_region_t* source = regionOfHandle(updateRegion))
            region = cairo_region_copy(source);
    } else if (updateRect != nullptr) {
        region = regionOf(*updateRect);
    }
    redraw(window, region, flags);
    if (region != nullptr)
        cairo_region_destroy(region);
    return TRUE;
}

BOOL WINAPI InvalidateRect(HWND handle, const RECT* rect, BOOL erase) {
    if (handle == nullptr)
        return RedrawWindow(nullptr, nullptr, nullptr, RDW_INVALIDATE | (erase ? RDW_ERASE : 0));
    return RedrawWindow(handle, rect, nullptr, RDW_INVALIDATE | (erase ? RDW_ERASE : 0));
}

BOOL WINAPI InvalidateRgn(HWND handle, HRGN region, BOOL erase) {
    return RedrawWindow(handle, nullptr, region, RDW_INVALIDATE | (erase ? RDW_ERASE : 0));
}

BOOL WINAPI ValidateRect(HWND handle, const RECT* rect) {
    if (handle == nullptr)
        return FALSE;
    return RedrawWindow(handle, rect, nullptr, RDW_VALIDATE | RDW_NOCHILDREN);
}

BOOL WINAPI ValidateRgn(HWND handle, HRGN region) {
    if (handle == nullptr)
        return FALSE;
    return RedrawWindow(handle, nullptr, region, RDW_VALIDATE | RDW_NOCHILDREN);
}

BOOL WINAPI GetUpdateRect(HWND handle, LPRECT rect, BOOL erase) {
    Window* window = CheckWindow(handle);
    if (window == nullptr)
        return FALSE;
    RECT extents{0, 0, 0, 0};
    if (window->update != nullptr) {
        cairo_rectangle_int_t box;
        cairo_region_get_extents(window->update, &box);
        extents = fromCairo(box);
    }
    if (erase)
        sendFrameAndErase(window);
    if (rect != nullptr)
        *rect = extents;
    return IsRectEmpty(&extents) ? FALSE : TRUE;
}

int WINAPI GetUpdateRgn(HWND handle, HRGN regionHandle, BOOL erase) {
    Window* window = CheckWindow(handle);
    if (window == nullptr || regionOfHandle(regionHandle) == nullptr)
        return ERROR;
    SetRectRgn(regionHandle, 0, 0, 0, 0);
    int count = 0;
    if (window->update != nullptr) {
        count = cairo_region_num_rectangles(window->update);
        for (int i = 0; i < count; ++i) {
            cairo_rectangle_int_t r;
            cairo_region_get_rectangle(window->update, i, &r);
            HRGN part = CreateRectRgn(r.x, r.y, r.x + r.width, r.y + r.height);
            CombineRgn(regionHandle, regionHandle, part, RGN_OR);
            DeleteObject(part);
        }
    }
    if (erase)
        sendFrameAndErase(window);
    return count == 0 ? NULLREGION : count == 1 ? SIMPLEREGION : COMPLEXREGION;
}

BOOL WINAPI UpdateWindow(HWND handle) {
    return RedrawWindow(handle, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

HDC WINAPI BeginPaint(HWND handle, LPPAINTSTRUCT paint) {
    Window* window = CheckWindow(handle);
    if (window == nullptr || paint == nullptr)
        return nullptr;
    auto hold = Hold(window);
    *paint = PAINTSTRUCT{};
    if (window->frameInvalid) {
        window->frameInvalid = false;
        SendTo(window, WM_NCPAINT, 1, 0);
        if (window->dead)
            return nullptr;
    }
    cairo_region_t* update = window->update != nullptr ? window->update : cairo_region_create();
    window->update = nullptr;
    bool erase = window->erasePending;
    window->erasePending = false;
    window->internalPaint = false;
    HDC dc = clientDC(window, update);
    cairo_rectangle_int_t box;
    cairo_region_get_extents(update, &box);
    cairo_region_destroy(update);
    paint->hdc = dc;
    RECT client = ClientArea(window);
    RECT painted = fromCairo(box);
    IntersectRect(&paint->rcPaint, &painted, &client);
    if (erase) {
        // fErase tells the painter that the background still needs erasing.
        paint->fErase = SendTo(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) ? FALSE : TRUE;
    }
    markPainted(window);
    return dc;
}

BOOL WINAPI EndPaint(HWND handle, const PAINTSTRUCT* paint) {
    if (paint == nullptr || paint->hdc == nullptr)
        return FALSE;
    DestroySurfaceDC(paint->hdc);
    if (Window* window = LiveWindow(handle))
        markPainted(window);
    return TRUE;
}

HDC WINAPI GetDC(HWND handle) {
    if (handle == nullptr || handle == Desktop()->handle)
        return CreateSurfaceDC(desktopSurface(), POINT{0, 0}, nullptr, Desktop()->handle);
    Window* window = CheckWindow(handle);
    if (window == nullptr)
        return nullptr;
    return clientDC(window, nullptr);
}

HDC WINAPI GetWindowDC(HWND handle) {
    if (handle == nullptr || handle == Desktop()->handle)
        return GetDC(nullptr);
    Window* window = CheckWindow(handle);
    if (window == nullptr)
        return nullptr;
    Window* top = TopLevelOf(window);
    if (top->surface == nullptr)
        SyncSurface(top);
    cairo_region_t* clip = visibleRegion(window, false);
    HDC dc = CreateSurfaceDC(top->surface, WindowOriginOnSurface(window), clip, handle);
    cairo_region_destroy(clip);
    return dc;
}

int WINAPI ReleaseDC(HWND handle, HDC dc) {
    if (dc == nullptr)
        return 0;
    DestroySurfaceDC(dc);
    if (Window* window = LiveWindow(handle))
        markPainted(window);
    return 1;
}

HWND WINAPI WindowFromDC(HDC dc) {
    return WindowFromSurfaceDC(dc);
}

} // extern "C"
