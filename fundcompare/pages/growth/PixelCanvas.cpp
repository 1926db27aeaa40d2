// PixelCanvas: coverage-based line drawing and the column decimation of long lines.
#include "pages/growth/PixelCanvas.h"

#include <algorithm>
#include <cmath>

namespace {

std::uint32_t ToPixel(COLORREF colour) {
    return (static_cast<std::uint32_t>(GetRValue(colour)) << 16) |
           (static_cast<std::uint32_t>(GetGValue(colour)) << 8) | GetBValue(colour);
}

// Coordinates this far outside the canvas are clamped before any arithmetic, so that a wild value
// costs nothing and overflows nothing.
constexpr float kFar = 65536.0f;

} // namespace

PixelCanvas::PixelCanvas(std::uint32_t* bits, int width, int height, int stride)
    : m_bits(bits), m_width(std::max(0, width)), m_height(std::max(0, height)),
      m_stride(stride), m_clip{0, 0, m_width, m_height} {}

void PixelCanvas::SetClip(const RECT& clip) {
    m_clip.left = std::clamp(static_cast<int>(clip.left), 0, m_width);
    m_clip.right = std::clamp(static_cast<int>(clip.right), 0, m_width);
    m_clip.top = std::clamp(static_cast<int>(clip.top), 0, m_height);
    m_clip.bottom = std::clamp(static_cast<int>(clip.bottom), 0, m_height);
}

void PixelCanvas::Blend(int x, int y, std::uint32_t colour, float coverage) {
    if (x < m_clip.left || x >= m_clip.right || y < m_clip.top || y >= m_clip.bottom || coverage <= 0.0f)
        return;
    std::uint32_t& pixel =
        m_bits[static_cast<size_t>(y) * static_cast<size_t>(m_stride) + static_cast<size_t>(x)];
    if (coverage >= 0.999f) {
        pixel = colour;
        return;
    }
    const auto a = static_cast<std::uint32_t>(coverage * 256.0f);
    const std::uint32_t rb = (((colour & 0xFF00FFu) * a) + ((pixel & 0xFF00FFu) * (256u - a))) >> 8;
    const std::uint32_t g = (((colour & 0x00FF00u) * a) + ((pixel & 0x00FF00u) * (256u - a))) >> 8;
    pixel = (rb & 0xFF00FFu) | (g & 0x00FF00u);
}

void PixelCanvas::Polyline(const ChartPoint* points, size_t count, COLORREF colour, float width,
                           LineStyles::DashPattern dash) {
    if (points == nullptr || count < 2)
        return;
    const std::uint32_t pixel = ToPixel(colour);
    float phase = 0.0f;
    int dashIndex = 0;
    for (size_t k = 1; k < count; ++k)
        Segment(points[k - 1].x, points[k - 1].y, points[k].x, points[k].y, pixel, width, dash, phase,
                dashIndex);
}

void PixelCanvas::Segment(float x0, float y0, float x1, float y1, std::uint32_t colour, float width,
                          LineStyles::DashPattern dash, float& phase, int& dashIndex) {
    if (!std::isfinite(x0) || !std::isfinite(y0) || !std::isfinite(x1) || !std::isfinite(y1))
        return;
    x0 = std::clamp(x0, -kFar, kFar), x1 = std::clamp(x1, -kFar, kFar);
    y0 = std::clamp(y0, -kFar, kFar), y1 = std::clamp(y1, -kFar, kFar);
    const bool steep = std::abs(y1 - y0) > std::abs(x1 - x0);
    // Walk the major axis one pixel at a time; (a, b) are the major and minor coordinates.
    float a0 = steep ? y0 : x0, a1 = steep ? y1 : x1;
    float b0 = steep ? x0 : y0, b1 = steep ? x1 : y1;
    if (a0 == a1)
        return;
    const float slope = (b1 - b0) / (a1 - a0);
    const float stepLength = std::sqrt(1.0f + slope * slope);
    const float half = 0.5f * std::max(1.0f, width) * stepLength;
    const int direction = a1 > a0 ? 1 : -1;
    // Pixel centres in [a0, a1) when walking up, in (a1, a0] when walking down, so that the
    // shared end of two segments is drawn once.
    int first, last;
    if (direction > 0) {
        first = static_cast<int>(std::ceil(a0 - 0.5f));
        last = static_cast<int>(std::ceil(a1 - 0.5f)) - 1;
    } else {
        first = static_cast<int>(std::floor(a0 - 0.5f));
        last = static_cast<int>(std::floor(a1 - 0.5f)) + 1;
    }
    const int majorLow = steep ? m_clip.top : m_clip.left;
    const int majorHigh = (steep ? m_clip.bottom : m_clip.right) - 1;
    for (int a = first; direction > 0 ? a <= last : a >= last; a += direction) {
        bool on = true;
        if (dash.count > 0) {
            on = dashIndex % 2 == 0;
            phase += stepLength;
            while (phase >= dash.lengths[dashIndex]) {
                phase -= dash.lengths[dashIndex];
                dashIndex = (dashIndex + 1) % dash.count;
            }
        }
        if (!on || a < majorLow || a > majorHigh)
            continue;
        const float centre = b0 + (a + 0.5f - a0) * slope;
        const float low = centre - half, high = centre + half;
        const int from = static_cast<int>(std::floor(low));
        const int to = static_cast<int>(std::floor(high));
        for (int b = from; b <= to; ++b) {
            const float coverage = std::min(high, b + 1.0f) - std::max(low, static_cast<float>(b));
            if (steep)
                Blend(b, a, colour, coverage);
            else
                Blend(a, b, colour, coverage);
        }
    }
}

void PixelCanvas::HorizontalLine(int x0, int x1, int y, COLORREF colour, int dashOn, int dashOff) {
    if (y < m_clip.top || y >= m_clip.bottom)
        return;
    const std::uint32_t pixel = ToPixel(colour);
    const int from = std::max(std::min(x0, x1), static_cast<int>(m_clip.left));
    const int to = std::min(std::max(x0, x1), static_cast<int>(m_clip.right));
    for (int x = from; x < to; ++x)
        if (dashOn <= 0 || (x - std::min(x0, x1)) % (dashOn + dashOff) < dashOn)
            m_bits[static_cast<size_t>(y) * static_cast<size_t>(m_stride) + static_cast<size_t>(x)] = pixel;
}

void PixelCanvas::VerticalLine(int x, int y0, int y1, COLORREF colour, int dashOn, int dashOff) {
    if (x < m_clip.left || x >= m_clip.right)
        return;
    const std::uint32_t pixel = ToPixel(colour);
    const int from = std::max(std::min(y0, y1), static_cast<int>(m_clip.top));
    const int to = std::min(std::max(y0, y1), static_cast<int>(m_clip.bottom));
    for (int y = from; y < to; ++y)
        if (dashOn <= 0 || (y - std::min(y0, y1)) % (dashOn + dashOff) < dashOn)
            m_bits[static_cast<size_t>(y) * static_cast<size_t>(m_stride) + static_cast<size_t>(x)] = pixel;
}

void PixelCanvas::FillRect(const RECT& rect, COLORREF colour) {
    const std::uint32_t pixel = ToPixel(colour);
    const int left = std::max(static_cast<int>(rect.left), static_cast<int>(m_clip.left));
    const int right = std::min(static_cast<int>(rect.right), static_cast<int>(m_clip.right));
    const int top = std::max(static_cast<int>(rect.top), static_cast<int>(m_clip.top));
    const int bottom = std::min(static_cast<int>(rect.bottom), static_cast<int>(m_clip.bottom));
    for (int y = top; y < bottom; ++y)
        std::fill_n(m_bits + static_cast<size_t>(y) * static_cast<size_t>(m_stride) + left,
                    std::max(0, right - left), pixel);
}

COLORREF PixelCanvas::Pixel(int x, int y) const {
    if (x < 0 || x >= m_width || y < 0 || y >= m_height)
        return 0;
    const std::uint32_t p =
        m_bits[static_cast<size_t>(y) * static_cast<size_t>(m_stride) + static_cast<size_t>(x)];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

void DecimateToColumns(const ChartPoint* points, size_t count, std::vector<ChartPoint>& out) {
    out.clear();
    if (points == nullptr || count == 0)
        return;
    size_t k = 0;
    while (k < count) {
        const float column = std::floor(points[k].x);
        size_t end = k;
        size_t lowest = k, highest = k;
        while (end < count && std::floor(points[end].x) == column) {
            if (points[end].y < points[lowest].y)
                lowest = end;
            if (points[end].y > points[highest].y)
                highest = end;
            ++end;
        }
        // first, then the two extremes in the order they came, then last; no point twice.
        size_t keep[4] = {k, std::min(lowest, highest), std::max(lowest, highest), end - 1};
        size_t previous = count;
        for (size_t index : keep) {
            if (index != previous)
                out.push_back(points[index]);
            previous = index;
        }
        k = end;
    }
}
