// Documents: device contexts over cairo's PDF surface, and Win32's calls that move through their
// pages. The DC is an ordinary DeviceContext whose target is the PDF surface; everything that
// draws on a DC draws here the same way.
#include "gdi/DeviceContext.h"
#include "internal/Utf8.h"

#include "platform/pdfdc.h"
#include "platform/winbase.h"

#include <cairo-pdf.h>

namespace {

using platform::gdi::DeviceContext;
using platform::gdi::VectorSink;

// Pixels at 96 per inch to points at 72.
constexpr double kPointsPerPixel = 72.0 / 96.0;

cairo_status_t writeBlock(void* closure, const unsigned char* data, unsigned int length) {
    auto* sink = static_cast<VectorSink*>(closure);
    if (sink->aborted)
        return CAIRO_STATUS_SUCCESS;
    if (sink->failed || !sink->write(sink->closure, data, length)) {
        sink->failed = true;
        return CAIRO_STATUS_WRITE_ERROR;
    }
    return CAIRO_STATUS_SUCCESS;
}

DeviceContext* documentOf(HDC handle) {
    DeviceContext* dc = platform::gdi::LookupDC(handle);
    return dc != nullptr && dc->IsVector() && dc->sink != nullptr ? dc : nullptr;
}

bool usable(const DeviceContext* dc) {
    return !dc->sink->failed && !dc->sink->aborted && !dc->sink->finished &&
           cairo_surface_status(dc->vectorSurface) == CAIRO_STATUS_SUCCESS;
}

} // namespace

extern "C" {

HDC WINAPI CreatePdfDC(int width, int height, PDFWRITEPROC writer, void* closure) {
    if (width <= 0 || height <= 0 || writer == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    HDC memory = CreateCompatibleDC(nullptr);
    DeviceContext* dc = platform::gdi::LookupDC(memory);
    if (dc == nullptr)
        return nullptr;
    auto sink = std::make_unique<VectorSink>();
    sink->write = writer;
    sink->closure = closure;
    cairo_surface_t* surface = cairo_pdf_surface_create_for_stream(
        &writeBlock, sink.get(), width * kPointsPerPixel, height * kPointsPerPixel);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        DeleteDC(memory);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    cairo_pdf_surface_set_metadata(surface, CAIRO_PDF_METADATA_CREATOR, "fundcompare");
    // The memory DC's stock bitmap stays selected and unused: the page is the target.
    dc->sink = std::move(sink);
    dc->vectorSurface = surface;
    dc->vectorWidth = width;
    dc->vectorHeight = height;
    dc->vectorScale = kPointsPerPixel;
    dc->ResetTarget();
    dc->InvalidateClip();
    return memory;
}

int WINAPI StartDocW(HDC handle, const DOCINFOW* info) {
    DeviceContext* dc = documentOf(handle);
    if (dc == nullptr || !usable(dc))
        return SP_ERROR;
    if (info != nullptr && info->lpszDocName != nullptr)
        cairo_pdf_surface_set_metadata(dc->vectorSurface, CAIRO_PDF_METADATA_TITLE,
                                       platform::Utf8(info->lpszDocName).c_str());
    return 1;
}

int WINAPI StartPage(HDC handle) {
    DeviceContext* dc = documentOf(handle);
    if (dc == nullptr || !usable(dc) || dc->sink->pageOpen)
        return SP_ERROR;
    dc->sink->pageOpen = true;
    return 1;
}

int WINAPI EndPage(HDC handle) {
    DeviceContext* dc = documentOf(handle);
    if (dc == nullptr || !usable(dc) || !dc->sink->pageOpen)
        return SP_ERROR;
    cairo_surface_show_page(dc->vectorSurface);
    dc->sink->pageOpen = false;
    ++dc->sink->pages;
    // Each page starts with a fresh cairo state, so nothing of one page's clip carries over.
    dc->ResetTarget();
    return usable(dc) ? 1 : SP_ERROR;
}

int WINAPI EndDoc(HDC handle) {
    DeviceContext* dc = documentOf(handle);
    if (dc == nullptr || !usable(dc))
        return SP_ERROR;
    if (dc->sink->pageOpen)
        EndPage(handle);
    dc->ResetTarget();
    cairo_surface_finish(dc->vectorSurface);
    bool complete = !dc->sink->failed && cairo_surface_status(dc->vectorSurface) == CAIRO_STATUS_SUCCESS;
    dc->sink->finished = true;
    return complete ? 1 : SP_ERROR;
}

int WINAPI AbortDoc(HDC handle) {
    DeviceContext* dc = documentOf(handle);
    if (dc == nullptr)
        return SP_ERROR;
    dc->sink->aborted = true;
    return 1;
}

int WINAPI GetPdfPageCount(HDC handle) {
    DeviceContext* dc = documentOf(handle);
    return dc != nullptr ? dc->sink->pages : 0;
}

} // extern "C"
