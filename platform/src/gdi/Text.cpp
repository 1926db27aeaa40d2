// Fonts and text: CreateFont*, TextOutW/ExtTextOutW, extents and metrics, and DrawTextW.
//
// Sections: font creation; shared drawing helpers; TextOut family; DrawTextW.
#include "DeviceContext.h"
#include "FontCache.h"

#include "platform/winbase.h"
#include "platform/winuser_draw.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <string>

namespace platform::gdi {

namespace {

FontInstance* currentFont(DeviceContext* dc) {
    return InstanceOf(dc->state.font);
}

void fillBox(cairo_t* cr, double left, double top, double width, double height, COLORREF color) {
    if (width <= 0 || height <= 0)
        return;
    SetSourceColor(cr, color);
    cairo_rectangle(cr, left, top, width, height);
    cairo_fill(cr);
}

// Draws line `line` of `layout` with its top-left corner at (x, top).
void showLine(cairo_t* cr, const TextLayout* layout, int line, double x, double top,
              const FontInstance* font) {
    cairo_move_to(cr, x, top + font->Ascent());
    pango_cairo_show_layout_line(cr, layout->Line(line));
}

// No call lays out more than this many characters. Shaping costs time in proportion to the text,
// and a text this long cannot be read on one screen line anyway; what lies beyond is cut before it
// reaches pango, so that a pathological value (a name of tens of thousands of characters in the
// database) costs no more than a long line.
constexpr size_t kMaxLaidOutChars = 2048;

// The characters a clipped line `width` pixels wide could ever show: a character that takes room
// takes at least a pixel, and the margin keeps combining marks and other zero-width characters of
// the visible part.
size_t visibleCharCap(long long width) {
    constexpr size_t kZeroWidthMargin = 64;
    return static_cast<size_t>(std::clamp<long long>(width, 0, static_cast<long long>(kMaxLaidOutChars))) +
           kZeroWidthMargin;
}

bool lengthOf(LPCWSTR text, int length, size_t* out) {
    if (length < 0) {
        if (text == nullptr)
            return false;
        *out = std::wcslen(text);
        return true;
    }
    if (text == nullptr && length > 0)
        return false;
    *out = static_cast<size_t>(length);
    return true;
}

} // namespace

} // namespace platform::gdi

using namespace platform::gdi;

extern "C" {

// ---- Font creation -----------------------------------------------------------------------------

HFONT WINAPI CreateFontIndirectW(const LOGFONTW* log) {
    if (log == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto font = std::make_unique<Font>();
    font->log = *log;
    font->log.lfFaceName[LF_FACESIZE - 1] = 0;
    return static_cast<HFONT>(RegisterObject(std::move(font)));
}

HFONT WINAPI CreateFontW(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                         DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision,
                         DWORD clipPrecision, DWORD quality, DWORD pitchAndFamily, LPCWSTR faceName) {
    LOGFONTW log{};
    log.lfHeight = height;
    log.lfWidth = width;
    log.lfEscapement = escapement;
    log.lfOrientation = orientation;
    log.lfWeight = weight;
    log.lfItalic = italic != 0;
    log.lfUnderline = underline != 0;
    log.lfStrikeOut = strikeOut != 0;
    log.lfCharSet = static_cast<BYTE>(charSet);
    log.lfOutPrecision = static_cast<BYTE>(outPrecision);
    log.lfClipPrecision = static_cast<BYTE>(clipPrecision);
    log.lfQuality = static_cast<BYTE>(quality);
    log.lfPitchAndFamily = static_cast<BYTE>(pitchAndFamily);
    if (faceName != nullptr)
        std::wcsncpy(log.lfFaceName, faceName, LF_FACESIZE - 1);
    return CreateFontIndirectW(&log);
}

// ---- TextOut family ----------------------------------------------------------------------------

BOOL WINAPI GetTextExtentPoint32W(HDC handle, LPCWSTR text, int length, LPSIZE size) {
    DeviceContext* dc = LookupDC(handle);
    size_t count = 0;
    if (dc == nullptr || size == nullptr || !lengthOf(text, length, &count))
        return FALSE;
    FontInstance* font = currentFont(dc);
    count = std::min(count, kMaxLaidOutChars);
    size->cx = count == 0 ? 0 : font->Layout(text, count, -1, true)->width;
    size->cy = font->Height();
    return TRUE;
}

BOOL WINAPI GetTextMetricsW(HDC handle, LPTEXTMETRICW tm) {
    DeviceContext* dc = LookupDC(handle);
    if (dc == nullptr || tm == nullptr)
        return FALSE;
    FontInstance* font = currentFont(dc);
    const LOGFONTW& log = font->Log();
    *tm = TEXTMETRICW{};
    tm->tmHeight = font->Height();
    tm->tmAscent = font->Ascent();
    tm->tmDescent = font->Descent();
    tm->tmInternalLeading = std::max(0, font->Height() - font->EmSize());
    tm->tmAveCharWidth = font->AveCharWidth();
    tm->tmMaxCharWidth = font->MaxCharWidth();
    tm->tmWeight = log.lfWeight <= 0 ? FW_NORMAL : log.lfWeight;
    tm->tmDigitizedAspectX = 96;
    tm->tmDigitizedAspectY = 96;
    tm->tmFirstChar = 0x20;
    tm->tmLastChar = 0xFFFC;
    tm->tmDefaultChar = 0x1F;
    tm->tmBreakChar = 0x20;
    tm->tmItalic = log.lfItalic;
    tm->tmUnderlined = log.lfUnderline;
    tm->tmStruckOut = log.lfStrikeOut;
    // Win32's TMPF_FIXED_PITCH bit is set for variable-pitch fonts.
    tm->tmPitchAndFamily = TMPF_FIXED_PITCH | TMPF_VECTOR | TMPF_TRUETYPE | FF_SWISS;
    tm->tmCharSet = GB2312_CHARSET;
    return TRUE;
}

int WINAPI GetTextFaceW(HDC handle, int size, LPWSTR faceName) {
    DeviceContext* dc = LookupDC(handle);
    if (dc == nullptr)
        return 0;
    const WCHAR* face = dc->state.font->log.lfFaceName;
    int length = static_cast<int>(wcsnlen(face, LF_FACESIZE));
    if (faceName == nullptr)
        return length + 1;
    if (size <= 0)
        return 0;
    int copied = std::min(length, size - 1);
    std::wmemcpy(faceName, face, static_cast<size_t>(copied));
    faceName[copied] = 0;
    return copied;
}

BOOL WINAPI ExtTextOutW(HDC handle, int x, int y, UINT options, const RECT* rect, LPCWSTR text, UINT length,
                        const INT* dx) {
    DeviceContext* dc = LookupDC(handle);
    if (dc == nullptr || (text == nullptr && length > 0))
        return FALSE;
    length = std::min<UINT>(length, static_cast<UINT>(kMaxLaidOutChars));
    FontInstance* font = currentFont(dc);
    cairo_t* cr = dc->Prepare();
    cairo_save(cr);
    if (rect != nullptr && (options & ETO_OPAQUE))
        fillBox(cr, rect->left, rect->top, static_cast<double>(rect->right) - rect->left,
                static_cast<double>(rect->bottom) - rect->top, dc->state.bkColor);
    if (rect != nullptr && (options & ETO_CLIPPED)) {
        cairo_rectangle(cr, rect->left, rect->top, static_cast<double>(rect->right) - rect->left,
                        static_cast<double>(rect->bottom) - rect->top);
        cairo_clip(cr);
    }
    if (length == 0) {
        cairo_restore(cr);
        return TRUE;
    }

    // With explicit advances each character is placed on its own; otherwise the text is one run.
    const TextLayout* whole = dx == nullptr ? font->Layout(text, length, -1, true) : nullptr;
    long long width = 0;
    if (dx != nullptr) {
        for (UINT i = 0; i < length; ++i)
            width += dx[i];
    } else {
        width = whole->width;
    }
    UINT align = dc->state.textAlign;
    bool updateCp = (align & TA_UPDATECP) != 0;
    long long startX = updateCp ? dc->state.position.x : x;
    long long startY = updateCp ? dc->state.position.y : y;
    long long left = startX;
    if ((align & TA_CENTER) == TA_CENTER)
        left = startX - width / 2;
    else if (align & TA_RIGHT)
        left = startX - width;
    long long top = startY;
    if ((align & TA_BASELINE) == TA_BASELINE)
        top = startY - font->Ascent();
    else if (align & TA_BOTTOM)
        top = startY - font->Height();

    if (dc->state.bkMode == OPAQUE && !(options & ETO_OPAQUE))
        fillBox(cr, static_cast<double>(left), static_cast<double>(top), static_cast<double>(width),
                font->Height(), dc->state.bkColor);
    SetSourceColor(cr, dc->state.textColor);
    if (dx == nullptr) {
        showLine(cr, whole, 0, static_cast<double>(left), static_cast<double>(top), font);
    } else {
        long long pen = left;
        for (UINT i = 0; i < length; ++i) {
            const TextLayout* one = font->Layout(text + i, 1, -1, true);
            showLine(cr, one, 0, static_cast<double>(pen), static_cast<double>(top), font);
            pen += dx[i];
        }
    }
    cairo_restore(cr);
    if (updateCp) {
        if ((align & TA_CENTER) == TA_CENTER) {
        } else if (align & TA_RIGHT) {
            dc->state.position.x = static_cast<LONG>(startX - width);
        } else {
            dc->state.position.x = static_cast<LONG>(startX + width);
        }
    }
    return TRUE;
}

BOOL WINAPI TextOutW(HDC handle, int x, int y, LPCWSTR text, int length) {
    if (length < 0)
        return FALSE;
    return ExtTextOutW(handle, x, y, 0, nullptr, text, static_cast<UINT>(length), nullptr);
}

// ---- DrawTextW ---------------------------------------------------------------------------------

int WINAPI DrawTextW(HDC handle, LPCWSTR text, int length, LPRECT rect, UINT format) {
    DeviceContext* dc = LookupDC(handle);
    size_t count = 0;
    if (dc == nullptr || rect == nullptr || !lengthOf(text, length, &count))
        return 0;
    FontInstance* font = currentFont(dc);
    const bool singleLine = (format & DT_SINGLELINE) != 0;
    const bool ellipsis = (format & (DT_END_ELLIPSIS | DT_WORD_ELLIPSIS | DT_PATH_ELLIPSIS)) != 0;
    const bool wrap = (format & DT_WORDBREAK) && !singleLine;
    const long long rectWidth = static_cast<long long>(rect->right) - rect->left;
    const int lineHeight = font->Height();

    // Only what the rectangle can show is laid out: a clipped or ellipsised single line shows at
    // most a rectangle's width of characters, a wrapped text that many per visible line.
    size_t cap = kMaxLaidOutChars;
    const bool bounded = !(format & DT_CALCRECT) && (!(format & DT_NOCLIP) || ellipsis);
    if (bounded && singleLine) {
        cap = std::min(cap, visibleCharCap(rectWidth));
    } else if (bounded && wrap) {
        long long lines = (static_cast<long long>(rect->bottom) - rect->top) / std::max(lineHeight, 1) + 1;
        cap = std::min<long long>(cap, static_cast<long long>(visibleCharCap(rectWidth)) *
                                           std::clamp<long long>(lines, 1, kMaxLaidOutChars));
    }
    // A single line laid out plainly needs only a prefix that already overflows the rectangle:
    // starting from twice what average characters would fill, the prefix doubles until it does.
    // The probe's layout is the one drawn below (it comes from the layout cache), so an
    // ordinary text is shaped once and a pathological one costs a few short shapings.
    if (bounded && singleLine && (format & DT_NOPREFIX) && count > cap / 4) {
        const size_t limit = std::min(count, cap);
        const long long average = std::max(font->AveCharWidth(), 1);
        size_t probe = static_cast<size_t>(
            std::clamp<long long>(rectWidth / average + 8, 16, static_cast<long long>(limit)));
        while (probe < limit && font->Layout(text, probe, -1, true)->width <= rectWidth)
            probe = std::min(limit, probe * 2);
        cap = probe;
    }
    const bool cutShort = count > cap;
    count = std::min(count, cap);

    // Prefix processing: "&x" underlines x, "&&" is a literal "&". Single-line text shows no
    // line breaks at all.
    std::wstring shown;
    shown.reserve(count);
    long long underlined = -1;
    for (size_t i = 0; i < count; ++i) {
        wchar_t c = text[i];
        if (singleLine && (c == L'\r' || c == L'\n'))
            continue;
        if (c == L'&' && !(format & DT_NOPREFIX)) {
            if (i + 1 < count && text[i + 1] == L'&') {
                shown.push_back(L'&');
                ++i;
                continue;
            }
            if (i + 1 < count)
                underlined = static_cast<long long>(shown.size());
            continue;
        }
        shown.push_back(c);
    }

    const TextLayout* layout =
        font->Layout(shown.data(), shown.size(),
                     wrap ? static_cast<int>(std::clamp<long long>(rectWidth, 1, 1 << 20)) : -1, singleLine);

    // Each drawn line: which layout and line, its width, and the first wide character it shows.
    struct Row {
        const TextLayout* layout;
        int line;
        int width;
        size_t firstChar;
        size_t shownChars; // characters of `shown` that the row still shows (ellipsis cuts)
    };
    std::vector<Row> rows;
    rows.reserve(static_cast<size_t>(layout->lineCount));
    std::wstring cut;
    for (int i = 0; i < layout->lineCount; ++i) {
        PangoLayoutLine* line = layout->Line(i);
        const auto& offsets = layout->text.offsets;
        size_t first = static_cast<size_t>(
            std::lower_bound(offsets.begin(), offsets.end(), line->start_index) - offsets.begin());
        size_t last = static_cast<size_t>(
            std::lower_bound(offsets.begin(), offsets.end(), line->start_index + line->length) -
            offsets.begin());
        int width = layout->LineWidth(i);
        // The last line of a text cut short goes on beyond what was laid out.
        const bool continues = cutShort && i + 1 == layout->lineCount;
        if (ellipsis && (width > rectWidth || continues)) {
            // Keep as many characters as fit together with "...", measured on the shaped line.
            // Prefix widths grow with the prefix, so the longest that fits is found by halving.
            const TextLayout* dots = font->Layout(L"...", 3, -1, true);
            long long room = rectWidth - dots->width;
            auto prefixWidth = [&](size_t end) {
                int lineOfChar = 0;
                int x = layout->CharX(end, &lineOfChar);
                return lineOfChar == i ? x : width;
            };
            size_t keep = first;
            size_t high = last;
            while (keep < high) {
                size_t middle = keep + (high - keep + 1) / 2;
                if (prefixWidth(middle) <= room)
                    keep = middle;
                else
                    high = middle - 1;
            }
            cut.assign(shown, first, keep - first);
            cut += L"...";
            const TextLayout* truncated = font->Layout(cut.data(), cut.size(), -1, true);
            rows.push_back({truncated, 0, truncated->width, first, keep - first});
        } else {
            rows.push_back({layout, i, width, first, last - first});
        }
    }
    int maxWidth = 0;
    for (const Row& row : rows)
        maxWidth = std::max(maxWidth, row.width);
    const long long textHeight = static_cast<long long>(rows.size()) * lineHeight;

    long long top = rect->top;
    if (singleLine) {
        if (format & DT_VCENTER)
            top = (static_cast<long long>(rect->top) + rect->bottom - lineHeight) / 2;
        else if (format & DT_BOTTOM)
            top = static_cast<long long>(rect->bottom) - lineHeight;
    }
    const int result = static_cast<int>(std::clamp<long long>(
        (singleLine && (format & (DT_VCENTER | DT_BOTTOM))) ? top - rect->top + textHeight : textHeight, 0,
        INT32_MAX));

    if (format & DT_CALCRECT) {
        rect->right = static_cast<LONG>(rect->left + maxWidth);
        rect->bottom = static_cast<LONG>(std::clamp<long long>(rect->top + textHeight, INT32_MIN, INT32_MAX));
        return result;
    }

    cairo_t* cr = dc->Prepare();
    cairo_save(cr);
    if (!(format & DT_NOCLIP)) {
        cairo_rectangle(cr, rect->left, rect->top, static_cast<double>(rectWidth),
                        static_cast<double>(rect->bottom) - rect->top);
        cairo_clip(cr);
    }
    for (size_t r = 0; r < rows.size(); ++r) {
        const Row& row = rows[r];
        long long x = rect->left;
        if (format & DT_CENTER)
            x = rect->left + (rectWidth - row.width) / 2;
        else if (format & DT_RIGHT)
            x = rect->right - row.width;
        double y = static_cast<double>(top + static_cast<long long>(r) * lineHeight);
        if (dc->state.bkMode == OPAQUE)
            fillBox(cr, static_cast<double>(x), y, row.width, lineHeight, dc->state.bkColor);
        SetSourceColor(cr, dc->state.textColor);
        showLine(cr, row.layout, row.line, static_cast<double>(x), y, font);
        // The prefix underline spans the underlined character, just below the baseline.
        if (underlined >= 0 && static_cast<size_t>(underlined) >= row.firstChar &&
            static_cast<size_t>(underlined) < row.firstChar + row.shownChars) {
            size_t inRow = static_cast<size_t>(underlined) - (row.layout == layout ? 0 : row.firstChar);
            int lineA = 0, lineB = 0;
            int from = row.layout->CharX(inRow, &lineA);
            int to = row.layout->CharX(inRow + 1, &lineB);
            if (lineB != lineA)
                to = row.width;
            if (row.layout == layout) {
                int lineStart = 0;
                int origin = layout->CharX(row.firstChar, &lineStart);
                from -= origin;
                to -= origin;
            }
            fillBox(cr, static_cast<double>(x + std::min(from, to)),
                    y + font->Ascent() + font->UnderlinePosition(), std::abs(to - from),
                    font->UnderlineThickness(), dc->state.textColor);
        }
    }
    cairo_restore(cr);
    return result;
}

} // extern "C"
