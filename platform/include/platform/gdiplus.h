// GDI+ (namespace Gdiplus): PNG images from streams, bitmaps, and a Graphics that draws images
// and solid fills onto a DC or a bitmap with rectangular clipping and saved states.
//
// Sections: basic types and enums; start-up; Color and brushes; Image and Bitmap; Graphics.
//
// Pixel grid: a destination rectangle (0, 0, 10, 10) covers pixels 0 to 9, the same pixels GDI
// fills for that rectangle, so that GDI and GDI+ drawing line up in one cell.
#pragma once

#include "objidl.h"
#include "wingdi.h"

#include <vector>

struct _cairo;
struct _cairo_surface;

namespace Gdiplus {

// ---- Basic types and enums ---------------------------------------------------------------------

typedef float REAL;
typedef DWORD ARGB;
typedef UINT GraphicsState;
typedef INT PixelFormat;

enum Status {
    Ok = 0,
    GenericError = 1,
    InvalidParameter = 2,
    OutOfMemory = 3,
    ObjectBusy = 4,
    InsufficientBuffer = 5,
    NotImplemented = 6,
    Win32Error = 7,
    WrongState = 8,
    Aborted = 9,
    FileNotFound = 10,
    ValueOverflow = 11,
    AccessDenied = 12,
    UnknownImageFormat = 13,
    FontFamilyNotFound = 14,
    FontStyleNotFound = 15,
    NotTrueTypeFont = 16,
    UnsupportedGdiplusVersion = 17,
    GdiplusNotInitialized = 18,
    PropertyNotFound = 19,
    PropertyNotSupported = 20,
};
typedef Status GpStatus;

enum Unit {
    UnitWorld = 0,
    UnitDisplay = 1,
    UnitPixel = 2,
    UnitPoint = 3,
    UnitInch = 4,
    UnitDocument = 5,
    UnitMillimeter = 6
};

enum CombineMode {
    CombineModeReplace = 0,
    CombineModeIntersect = 1,
    CombineModeUnion = 2,
    CombineModeXor = 3,
    CombineModeExclude = 4,
    CombineModeComplement = 5,
};

enum QualityMode { QualityModeInvalid = -1, QualityModeDefault = 0, QualityModeLow = 1, QualityModeHigh = 2 };

enum SmoothingMode {
    SmoothingModeInvalid = QualityModeInvalid,
    SmoothingModeDefault = QualityModeDefault,
    SmoothingModeHighSpeed = QualityModeLow,
    SmoothingModeHighQuality = QualityModeHigh,
    SmoothingModeNone = 3,
    SmoothingModeAntiAlias = 4,
    SmoothingModeAntiAlias8x4 = SmoothingModeAntiAlias,
    SmoothingModeAntiAlias8x8 = 5,
};

enum InterpolationMode {
    InterpolationModeInvalid = QualityModeInvalid,
    InterpolationModeDefault = QualityModeDefault,
    InterpolationModeLowQuality = QualityModeLow,
    InterpolationModeHighQuality = QualityModeHigh,
    InterpolationModeBilinear = 3,
    InterpolationModeBicubic = 4,
    InterpolationModeNearestNeighbor = 5,
    InterpolationModeHighQualityBilinear = 6,
    InterpolationModeHighQualityBicubic = 7,
};

enum ImageType { ImageTypeUnknown = 0, ImageTypeBitmap = 1, ImageTypeMetafile = 2 };

#define PixelFormat32bppRGB 0x00022009
#define PixelFormat32bppARGB 0x0026200A
#define PixelFormat32bppPARGB 0x000E200B

struct Point {
    Point() : X(0), Y(0) {}
    Point(INT x, INT y) : X(x), Y(y) {}
    INT X;
    INT Y;
};

struct PointF {
    PointF() : X(0), Y(0) {}
    PointF(REAL x, REAL y) : X(x), Y(y) {}
    REAL X;
    REAL Y;
};

struct Size {
    Size() : Width(0), Height(0) {}
    Size(INT width, INT height) : Width(width), Height(height) {}
    INT Width;
    INT Height;
};

struct Rect {
    Rect() : X(0), Y(0), Width(0), Height(0) {}
    Rect(INT x, INT y, INT width, INT height) : X(x), Y(y), Width(width), Height(height) {}
    INT GetLeft() const { return X; }
    INT GetTop() const { return Y; }
    INT GetRight() const { return X + Width; }
    INT GetBottom() const { return Y + Height; }
    BOOL IsEmptyArea() const { return Width <= 0 || Height <= 0; }
    INT X;
    INT Y;
    INT Width;
    INT Height;
};

struct RectF {
    RectF() : X(0), Y(0), Width(0), Height(0) {}
    RectF(REAL x, REAL y, REAL width, REAL height) : X(x), Y(y), Width(width), Height(height) {}
    REAL GetLeft() const { return X; }
    REAL GetTop() const { return Y; }
    REAL GetRight() const { return X + Width; }
    REAL GetBottom() const { return Y + Height; }
    BOOL IsEmptyArea() const { return Width <= 0 || Height <= 0; }
    REAL X;
    REAL Y;
    REAL Width;
    REAL Height;
};

// ---- Start-up ----------------------------------------------------------------------------------

struct GdiplusStartupInput {
    GdiplusStartupInput()
        : GdiplusVersion(1), DebugEventCallback(nullptr), SuppressBackgroundThread(FALSE),
          SuppressExternalCodecs(FALSE) {}
    UINT GdiplusVersion;
    void* DebugEventCallback;
    BOOL SuppressBackgroundThread;
    BOOL SuppressExternalCodecs;
};

struct GdiplusStartupOutput {
    void* NotificationHook;
    void* NotificationUnhook;
};

// Drawing works without start-up here; the calls exist so that Win32 code runs unchanged.
Status GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInput* input, GdiplusStartupOutput* output);
void GdiplusShutdown(ULONG_PTR token);

// ---- Color and brushes -------------------------------------------------------------------------

class Color {
public:
    Color() : Argb(0xFF000000) {}
    Color(ARGB argb) : Argb(argb) {}
    Color(BYTE r, BYTE g, BYTE b) : Argb(MakeARGB(255, r, g, b)) {}
    Color(BYTE a, BYTE r, BYTE g, BYTE b) : Argb(MakeARGB(a, r, g, b)) {}

    BYTE GetA() const { return static_cast<BYTE>(Argb >> 24); }
    BYTE GetR() const { return static_cast<BYTE>(Argb >> 16); }
    BYTE GetG() const { return static_cast<BYTE>(Argb >> 8); }
    BYTE GetB() const { return static_cast<BYTE>(Argb); }
    BYTE GetAlpha() const { return GetA(); }
    BYTE GetRed() const { return GetR(); }
    BYTE GetGreen() const { return GetG(); }
    BYTE GetBlue() const { return GetB(); }
    ARGB GetValue() const { return Argb; }
    void SetValue(ARGB argb) { Argb = argb; }
    void SetFromCOLORREF(COLORREF rgb) {
        Argb = MakeARGB(255, GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
    }
    COLORREF ToCOLORREF() const { return RGB(GetR(), GetG(), GetB()); }

    static ARGB MakeARGB(BYTE a, BYTE r, BYTE g, BYTE b) {
        return (static_cast<ARGB>(a) << 24) | (static_cast<ARGB>(r) << 16) | (static_cast<ARGB>(g) << 8) | b;
    }

    enum : ARGB {
        Black = 0xFF000000,
        White = 0xFFFFFFFF,
        Red = 0xFFFF0000,
        Green = 0xFF008000,
        Blue = 0xFF0000FF,
        Gray = 0xFF808080,
        Transparent = 0x00FFFFFF,
    };

protected:
    ARGB Argb;
};

class Brush {
public:
    virtual ~Brush() = default;
    Status GetLastStatus() const { return m_lastStatus; }
    // The colour a fill uses.
    virtual ARGB FillColor() const = 0;

protected:
    Status m_lastStatus = Ok;
};

class SolidBrush : public Brush {
public:
    explicit SolidBrush(const Color& color) : m_color(color) {}
    Status GetColor(Color* color) const;
    Status SetColor(const Color& color);
    ARGB FillColor() const override { return m_color.GetValue(); }

private:
    Color m_color;
};

// ---- Image and Bitmap --------------------------------------------------------------------------

class ImageAttributes;

// Decoded pixels, premultiplied ARGB. A failed decode leaves an empty image whose
// GetLastStatus tells why; drawing it fails with InvalidParameter.
class Image {
public:
    // PNG bytes from the stream, read from its current position; the stream is not kept.
    explicit Image(IStream* stream, BOOL useEmbeddedColorManagement = FALSE);
    virtual ~Image();
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;

    // Never null for a readable stream: check GetLastStatus, as with Win32's GDI+.
    static Image* FromStream(IStream* stream, BOOL useEmbeddedColorManagement = FALSE);

    UINT GetWidth();
    UINT GetHeight();
    Status GetLastStatus() const { return m_lastStatus; }
    ImageType GetType() const { return m_surface != nullptr ? ImageTypeBitmap : ImageTypeUnknown; }
    Image* Clone();
    // Writes the image to a file; only the PNG encoder (PngEncoderClsid) is offered.
    Status Save(const WCHAR* filename, const CLSID* encoder, const void* parameters = nullptr);

    // For Graphics: the pixels, or null.
    _cairo_surface* Surface() const { return m_surface; }

protected:
    Image() = default;
    void Decode(IStream* stream);
    void Adopt(_cairo_surface* surface);

    _cairo_surface* m_surface = nullptr;
    Status m_lastStatus = Ok;
};

class Bitmap : public Image {
public:
    Bitmap(INT width, INT height, PixelFormat format = PixelFormat32bppARGB);
    explicit Bitmap(IStream* stream, BOOL useEmbeddedColorManagement = FALSE);
    static Bitmap* FromStream(IStream* stream, BOOL useEmbeddedColorManagement = FALSE);
    // A copy of a GDI bitmap's pixels, opaque; the palette is not used (bitmaps here are 32-bit).
    Bitmap(HBITMAP bitmap, HPALETTE palette);
    static Bitmap* FromHBITMAP(HBITMAP bitmap, HPALETTE palette) { return new Bitmap(bitmap, palette); }

    Status GetPixel(INT x, INT y, Color* color);
    Status SetPixel(INT x, INT y, const Color& color);
};

// The class id of GDI+'s PNG encoder ({557CF406-1A04-11D3-9A73-0000F81EF32E}), which Win32 callers
// find with GetImageEncoders under the MIME type "image/png".
const CLSID& PngEncoderClsid();

// ---- Graphics ----------------------------------------------------------------------------------

class Graphics {
public:
    // Draws into whatever the DC draws into, inside the DC's clipping and at its viewport origin.
    explicit Graphics(HDC dc);
    explicit Graphics(Image* image);
    ~Graphics() = default;
    Graphics(const Graphics&) = delete;
    Graphics& operator=(const Graphics&) = delete;

    static Graphics* FromHDC(HDC dc) { return new Graphics(dc); }
    static Graphics* FromImage(Image* image) { return new Graphics(image); }

    Status GetLastStatus() const { return m_lastStatus; }

    // Three points: where the image's upper-left, upper-right and lower-left corners go.
    Status DrawImage(Image* image, const Point* destPoints, INT count);
    Status DrawImage(Image* image, const PointF* destPoints, INT count);
    Status DrawImage(Image* image, const Rect& destRect);
    Status DrawImage(Image* image, const RectF& destRect);
    Status DrawImage(Image* image, INT x, INT y, INT width, INT height);
    Status DrawImage(Image* image, REAL x, REAL y, REAL width, REAL height);
    Status DrawImage(Image* image, INT x, INT y);
    Status DrawImage(Image* image, REAL x, REAL y);
    // A part of the image (pixels) into a rectangle.
    Status DrawImage(Image* image, const Rect& destRect, INT srcX, INT srcY, INT srcWidth, INT srcHeight,
                     Unit srcUnit, const ImageAttributes* attributes = nullptr);

    Status FillRectangle(const Brush* brush, const Rect& rect);
    Status FillRectangle(const Brush* brush, const RectF& rect);
    Status FillRectangle(const Brush* brush, INT x, INT y, INT width, INT height);
    Status FillRectangle(const Brush* brush, REAL x, REAL y, REAL width, REAL height);
    Status Clear(const Color& color);

    // Replace and Intersect are supported; other modes give NotImplemented and keep the clip.
    Status SetClip(const Rect& rect, CombineMode mode = CombineModeReplace);
    Status SetClip(const RectF& rect, CombineMode mode = CombineModeReplace);
    Status IntersectClip(const Rect& rect) { return SetClip(rect, CombineModeIntersect); }
    Status IntersectClip(const RectF& rect) { return SetClip(rect, CombineModeIntersect); }
    Status ResetClip();
    Status GetClipBounds(RectF* rect) const;
    BOOL IsClipEmpty() const;

    GraphicsState Save();
    Status Restore(GraphicsState state);

    Status SetSmoothingMode(SmoothingMode mode);
    SmoothingMode GetSmoothingMode() const { return m_state.smoothing; }
    Status SetInterpolationMode(InterpolationMode mode);
    InterpolationMode GetInterpolationMode() const { return m_state.interpolation; }

private:
    struct State {
        bool clipped = false;
        RectF clip;
        SmoothingMode smoothing = SmoothingModeDefault;
        InterpolationMode interpolation = InterpolationModeDefault;
    };
    struct Saved {
        GraphicsState token;
        State state;
    };

    // A cairo context on the target with the clipping applied, or null (status set).
    _cairo* Begin();
    Status DrawParallelogram(Image* image, const PointF* corners, const RectF& source);
    Status Fill(const Brush* brush, REAL x, REAL y, REAL width, REAL height);

    HDC m_dc = nullptr;
    Image* m_image = nullptr;
    Status m_lastStatus = Ok;
    State m_state;
    std::vector<Saved> m_saved;
    GraphicsState m_nextToken = 1;
};

} // namespace Gdiplus
