// The star map window.
//
// Sections: messages; reading the delegate; settings; hit testing; drawing (frame, axes, stars,
// labels, the hover tip).
#include <sdk/ControlPicture.h>
#include <sdk/ControlStarMap.h>

#include "FundStarMapLayout.h"
#include "FundStarMapPalette.h"
#include "HostCtlGdi.h"

#include <platform/gdiplus.h>

#include <algorithm>
#include <cmath>

namespace Control {

using Common::XStringW;
using hostctl::GdiOwner;
using hostctl::Mix;
using hostctl::Selected;

namespace {

constexpr const wchar_t* kClassName = L"FundStarMap";
// The largest side a star image is drawn with; bigger images are scaled down to it.
constexpr int kMaxImageSide = 20;
// How close (pixels) the mouse must come to a star for its tip.
constexpr int kHoverRadius = 8;
// Dots for kinds without an image, so that such stars still differ by kind.
constexpr COLORREF kDotColours[] = {RGB(230, 80, 70),   RGB(90, 170, 250),  RGB(250, 190, 60),
                                    RGB(120, 210, 120), RGB(200, 120, 230), RGB(240, 140, 60),
                                    RGB(160, 170, 180)};

// The half size of the dot drawn for a kind without an image.
constexpr int kDotRadius = 4;

// The averages and the index (read through GetAverageStar, or written without a label of their
// own) rather than a fund.
bool IsReference(const StarInfo& s) {
    return s.reserved2 != 0 || s.starLabel.empty();
}

bool Finite(const StarInfo& s) {
    return std::isfinite(s.stdDev) && std::isfinite(s.returnValue);
}

SIZE TextSize(HDC dc, const XStringW& text) {
    SIZE size{0, 0};
    if (!text.empty())
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.length()), &size);
    return size;
}

void DrawTextAt(HDC dc, const XStringW& text, RECT box, UINT format) {
    DrawTextW(dc, text.c_str(), static_cast<int>(text.length()), &box, format | DT_SINGLELINE | DT_NOPREFIX);
}

} // namespace

// The drawing objects and images of one map; the colours follow the background.
struct FundStarMap::Resources : StarMapLayout::Palette {
    GdiOwner<HFONT> tickFont{hostctl::MakeFont(11, FW_NORMAL)};
    GdiOwner<HFONT> captionFont{hostctl::MakeFont(12, FW_BOLD)};
    GdiOwner<HFONT> labelFont{hostctl::MakeFont(11, FW_NORMAL)};
    GdiOwner<HFONT> tipTitleFont{hostctl::MakeFont(12, FW_BOLD)};
    GdiOwner<HFONT> tipFont{hostctl::MakeFont(12, FW_NORMAL)};
    std::vector<std::unique_ptr<Gdiplus::Image>> images;

    // The label placement of the last painting: placing is the costly part of a frame and depends
    // only on the stars, their images and the plot, so a repaint for the hover tip reuses it.
    struct {
        bool valid = false;
        RECT plot{0, 0, 0, 0};
        std::vector<std::size_t> requestStar;
        std::vector<std::optional<StarMapLayout::PlacedLabel>> placed;
    } labels;

    Resources() { SetBackground(RGB(11, 13, 18)); }

    void SetBackground(COLORREF bg) {
        static_cast<StarMapLayout::Palette&>(*this) = StarMapLayout::MakePalette(bg);
    }
};

FundStarMap::FundStarMap() : m_res(std::make_unique<Resources>()) {}

FundStarMap::~FundStarMap() {
    // The window goes before the resources its painting uses.
    if (IsWindow())
        DestroyWindow(m_hWnd);
}

BOOL FundStarMap::Create(LPCWSTR title, DWORD style, int x, int y, int width, int height, UINT id,
                         HWND parent) {
    return XWin::Create(kClassName, title, style, x, y, width, height, id, parent);
}

// ---- Messages -----------------------------------------------------------------------------------

LRESULT FundStarMap::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        return OnPaint();
    case WM_PRINTCLIENT: {
        // The map as it stands, without the pointer's tip, onto the caller's DC: a document's
        // page keeps its lines, stars and labels as vectors and text.
        RECT client{};
        ::GetClientRect(m_hWnd, &client);
        if (wParam != 0 && client.right > 0 && client.bottom > 0) {
            const int hot = m_hot;
            m_hot = -1;
            Render(reinterpret_cast<HDC>(wParam), client);
            m_hot = hot;
        }
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_SIZE:
        Invalidate(FALSE);
        return 0;
    case WM_MOUSEMOVE:
        return OnMouseMove(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
    case WM_MOUSELEAVE:
        return OnMouseLeave();
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        return OnLButtonDown(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
    case WM_CHAR:
        return OnChar(static_cast<wchar_t>(wParam));
    case WM_KEYDOWN:
        if (wParam == 'S' && (GetKeyState(VK_CONTROL) & 0x8000) != 0) {
            OnMouseLeave();
            SaveWindowPicture(m_hWnd, XStringW(m_pictureName));
            return 0;
        }
        return OnKeyDown(static_cast<UINT>(wParam));
    case WM_RBUTTONUP: {
        // The chart's menu: keep a picture of it.
        HMENU menu = CreatePopupMenu();
        AppendPictureItems(menu);
        POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ::ClientToScreen(m_hWnd, &point);
        TrackPopupMenu(menu, TPM_LEFTBUTTON, point.x, point.y, 0, m_hWnd, nullptr);
        DestroyMenu(menu);
        return 0;
    }
    case kCanSavePictureMessage:
        return 1;
    case WM_COMMAND:
        if (LOWORD(wParam) == kSavePictureCommand) {
            // The pointer's tip belongs to the moment, not to the picture.
            OnMouseLeave();
            SaveWindowPicture(m_hWnd, XStringW(m_pictureName));
            return 0;
        }
        break;
    default:
        break;
    }
    return XWin::WndProc(message, wParam, lParam);
}

LRESULT FundStarMap::OnPaint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(m_hWnd, &ps);
    if (dc != nullptr) {
        RECT client;
        ::GetClientRect(m_hWnd, &client);
        hostctl::PaintBuffer buffer(dc, client);
        Render(buffer.Dc(), client);
    }
    EndPaint(m_hWnd, &ps);
    return 0;
}

LRESULT FundStarMap::OnMouseMove(int x, int y) {
    m_mouse = {x, y};
    if (!m_tracking) {
        TRACKMOUSEEVENT track{sizeof(TRACKMOUSEEVENT), TME_LEAVE, m_hWnd, 0};
        m_tracking = TrackMouseEvent(&track) != FALSE;
    }
    int hot = StarAt(x, y);
    if (hot != m_hot) {
        m_hot = hot;
        Invalidate(FALSE);
    }
    return 0;
}

LRESULT FundStarMap::OnMouseLeave() {
    m_tracking = false;
    if (m_hot >= 0) {
        m_hot = -1;
        Invalidate(FALSE);
    }
    return 0;
}

LRESULT FundStarMap::OnLButtonDown(int x, int y) {
    if (m_searchable)
        ::SetFocus(m_hWnd);
    if (!m_selectable)
        return 0;
    int hit = StarAt(x, y);
    if (hit != m_selected) {
        m_selected = hit;
        Invalidate(FALSE);
    }
    if (hit >= 0 && m_delegate != nullptr)
        m_delegate->OnStarClicked(hit, x, y);
    return 0;
}

LRESULT FundStarMap::OnChar(wchar_t c) {
    if (!m_searchable)
        return 0;
    if (c == L'\b') {
        if (!m_search.empty())
            m_search = m_search.substr(0, m_search.length() - 1);
    } else if (c >= L' ' && m_search.length() < 32) {
        m_search += c;
    } else {
        return 0;
    }
    Invalidate(FALSE);
    return 0;
}

LRESULT FundStarMap::OnKeyDown(UINT key) {
    if (m_searchable && key == VK_ESCAPE && !m_search.empty()) {
        m_search.clear();
        Invalidate(FALSE);
    }
    return 0;
}

// ---- Reading the delegate -----------------------------------------------------------------------

void FundStarMap::SetDelegate(FundStarMapDelegate* delegate) {
    m_delegate = delegate;
    ReadStars();
    if (IsWindow()) {
        // The stars under the mouse and the selection refer to the old reading.
        m_hot = -1;
        m_selected = -1;
        Invalidate(FALSE);
    }
}

void FundStarMap::ReadStars() {
    m_res->labels.valid = false;
    m_stars.clear();
    m_returnCaption.clear();
    m_stdDevCaption.clear();
    m_x0 = 0.0, m_x1 = 1.0, m_y0 = 0.0, m_y1 = 1.0;
    if (m_delegate == nullptr)
        return;

    // Counts come from outside: a negative one reads nothing, and an absurd one is capped so that
    // a broken delegate cannot make the map allocate without end.
    static constexpr int kMaxStars = 100000;
    auto read = [this](int count, bool averages) {
        count = std::clamp(count, 0, kMaxStars);
        for (int i = 0; i < count; ++i) {
            StarInfo info;
            bool ok = averages ? m_delegate->GetAverageStar(i, info) : m_delegate->GetStar(i, info);
            if (!ok)
                continue;
            info.reserved1 = static_cast<int>(m_stars.size());
            info.reserved2 = averages ? 1 : 0;
            m_stars.push_back(std::move(info));
        }
    };
    read(m_delegate->GetStarCount(), false);
    read(m_delegate->GetAverageCount(), true);

    m_returnCaption = m_delegate->GetReturnCaption();
    m_stdDevCaption = m_delegate->GetStdDevCaption();

    double x1 = 0.0, x0 = 0.0, y1 = 0.0, y0 = 0.0;
    if (!m_delegate->GetStdDevRange(x1, x0))
        x0 = x1 = std::nan("");
    if (!m_delegate->GetReturnRange(y1, y0))
        y0 = y1 = std::nan("");
    std::vector<double> xs, ys;
    for (const StarInfo& s : m_stars) {
        if (!Finite(s))
            continue;
        xs.push_back(s.stdDev);
        ys.push_back(s.returnValue);
    }
    StarMapLayout::FitRange(x0, x1, xs);
    StarMapLayout::FitRange(y0, y1, ys);
    m_x0 = x0, m_x1 = x1, m_y0 = y0, m_y1 = y1;
}

// ---- Settings -----------------------------------------------------------------------------------

void FundStarMap::SetDrawCross(bool draw) {
    m_drawCross = draw;
    if (IsWindow())
        Invalidate(FALSE);
}

void FundStarMap::SetSeachable(bool searchable) {
    m_searchable = searchable;
    if (!searchable && !m_search.empty()) {
        m_search.clear();
        if (IsWindow())
            Invalidate(FALSE);
    }
}

void FundStarMap::SetSelectable(bool selectable) {
    m_selectable = selectable;
    if (!selectable && m_selected >= 0) {
        m_selected = -1;
        if (IsWindow())
            Invalidate(FALSE);
    }
}

void FundStarMap::SetParentName(LPCWSTR name) {
    m_parentName = XStringW(name);
}

void FundStarMap::SetDGColor(const Gdiplus::Color& color) {
    m_res->SetBackground(color.ToCOLORREF());
    if (IsWindow())
        Invalidate(FALSE);
}

void FundStarMap::AddCustomStar(Gdiplus::Image* image) {
    std::unique_ptr<Gdiplus::Image> copy;
    if (image != nullptr && image->GetLastStatus() == Gdiplus::Ok && image->Surface() != nullptr)
        copy.reset(image->Clone());
    m_res->images.push_back(std::move(copy));
    m_res->labels.valid = false; // markers of that kind now have their image's size
    if (IsWindow())
        Invalidate(FALSE);
}

// ---- Hit testing --------------------------------------------------------------------------------

RECT FundStarMap::PlotRect() const {
    RECT client{0, 0, 0, 0};
    if (m_hWnd != nullptr)
        ::GetClientRect(m_hWnd, &client);
    return StarMapLayout::PlotArea(client);
}

bool FundStarMap::ValueToPoint(double stdDev, double returnValue, POINT& point) const {
    if (!std::isfinite(stdDev) || !std::isfinite(returnValue))
        return false;
    RECT plot = PlotRect();
    point.x = StarMapLayout::ValueToPixel(stdDev, m_x0, m_x1, plot.left, plot.right - 1);
    point.y = StarMapLayout::ValueToPixel(returnValue, m_y0, m_y1, plot.bottom - 1, plot.top);
    return true;
}

int FundStarMap::StarAt(int x, int y) const {
    // Stars drawn later lie on top, so the search runs backwards; the nearest one within reach wins.
    int best = -1;
    long bestDistance = static_cast<long>(kHoverRadius) * kHoverRadius + 1;
    for (int i = static_cast<int>(m_stars.size()) - 1; i >= 0; --i) {
        POINT p;
        if (!ValueToPoint(m_stars[i].stdDev, m_stars[i].returnValue, p))
            continue;
        long dx = p.x - x, dy = p.y - y, d = dx * dx + dy * dy;
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return best;
}

bool FundStarMap::Matches(const StarInfo& star) const {
    if (m_search.empty())
        return false;
    auto holds = [this](const XStringW& text) {
        XStringW::size_type n = m_search.length();
        for (XStringW::size_type i = 0; i + n <= text.length(); ++i)
            if (text.substr(i, n).compare(m_search, true) == 0)
                return true;
        return false;
    };
    return holds(star.starLabel) || holds(star.name);
}

// ---- Drawing ------------------------------------------------------------------------------------

void FundStarMap::Render(HDC dc, const RECT& client) {
    Resources& r = *m_res;
    GdiOwner<HBRUSH> back(CreateSolidBrush(r.background));
    FillRect(dc, &client, back);
    SetBkMode(dc, TRANSPARENT);

    const RECT plot = StarMapLayout::PlotArea(client);
    const int plotW = plot.right - plot.left, plotH = plot.bottom - plot.top;
    const StarMapLayout::Axis xAxis = StarMapLayout::MakeAxis(m_x0, m_x1, std::clamp(plotW / 90, 2, 12));
    const StarMapLayout::Axis yAxis = StarMapLayout::MakeAxis(m_y0, m_y1, std::clamp(plotH / 32, 2, 14));
    auto px = [&](double v) { return StarMapLayout::ValueToPixel(v, m_x0, m_x1, plot.left, plot.right - 1); };
    auto py = [&](double v) { return StarMapLayout::ValueToPixel(v, m_y0, m_y1, plot.bottom - 1, plot.top); };

    // Grid lines and tick labels.
    {
        GdiOwner<HPEN> gridPen(CreatePen(PS_SOLID, 1, r.grid));
        Selected pen(dc, gridPen);
        Selected font(dc, r.tickFont);
        SetTextColor(dc, r.tickText);
        for (double t : yAxis.ticks) {
            int y = py(t);
            MoveToEx(dc, plot.left, y, nullptr);
            LineTo(dc, plot.right, y);
            if (m_delegate != nullptr)
                DrawTextAt(dc, m_delegate->FormatPercent(t), {client.left, y - 8, plot.left - 6, y + 8},
                           DT_RIGHT | DT_VCENTER);
        }
        for (double t : xAxis.ticks) {
            int x = px(t);
            MoveToEx(dc, x, plot.top, nullptr);
            LineTo(dc, x, plot.bottom);
            if (m_delegate != nullptr)
                DrawTextAt(dc, m_delegate->FormatPercent(t),
                           {x - 40, plot.bottom + 4, x + 40, plot.bottom + 20}, DT_CENTER | DT_TOP);
        }
    }

    // The zero-return line sits between the grid and the stars, so that it reads as a reference.
    if (m_drawCross && m_y0 <= 0.0 && 0.0 <= m_y1) {
        GdiOwner<HPEN> crossPen(CreatePen(PS_SOLID, 1, r.cross));
        Selected pen(dc, crossPen);
        int y = py(0.0);
        MoveToEx(dc, plot.left, y, nullptr);
        LineTo(dc, plot.right, y);
    }

    // The frame: the two axes solid, the far sides faint.
    {
        GdiOwner<HPEN> axisPen(CreatePen(PS_SOLID, 1, r.axis));
        Selected pen(dc, axisPen);
        MoveToEx(dc, plot.left, plot.top, nullptr);
        LineTo(dc, plot.left, plot.bottom - 1);
        LineTo(dc, plot.right, plot.bottom - 1);
        for (double t : xAxis.ticks) {
            MoveToEx(dc, px(t), plot.bottom - 1, nullptr);
            LineTo(dc, px(t), plot.bottom + 3);
        }
        for (double t : yAxis.ticks) {
            MoveToEx(dc, plot.left - 4, py(t), nullptr);
            LineTo(dc, plot.left, py(t));
        }
    }

    // Captions: the return above the vertical axis, the standard deviation under the horizontal.
    {
        Selected font(dc, r.captionFont);
        SetTextColor(dc, r.caption);
        DrawTextAt(dc, m_returnCaption, {client.left + 8, plot.top - 28, plot.right, plot.top - 8},
                   DT_LEFT | DT_VCENTER);
        DrawTextAt(dc, m_stdDevCaption, {plot.left, plot.bottom + 20, plot.right, client.bottom - 2},
                   DT_CENTER | DT_VCENTER);
        if (m_searchable && !m_search.empty()) {
            SetTextColor(dc, r.highlight);
            DrawTextAt(dc, XStringW(L"\u2315 ") + m_search,
                       {plot.left, plot.top - 28, plot.right - 4, plot.top - 8}, DT_RIGHT | DT_VCENTER);
        }
    }

    // Stars and their labels, clipped to the plot with room for a marker on its edge.
    int saved = SaveDC(dc);
    IntersectClipRect(dc, plot.left - kMaxImageSide / 2, plot.top - kMaxImageSide / 2,
                      plot.right + kMaxImageSide / 2, plot.bottom + kMaxImageSide / 2);
    std::vector<POINT> points(m_stars.size());
    std::vector<bool> shown(m_stars.size(), false);
    std::vector<SIZE> drawn(m_stars.size(), SIZE{0, 0}); // the size each star's image is drawn at
    for (std::size_t i = 0; i < m_stars.size(); ++i) {
        if (!Finite(m_stars[i]))
            continue;
        shown[i] = true;
        points[i] = {px(m_stars[i].stdDev), py(m_stars[i].returnValue)};
        const int kind = m_stars[i].kind;
        Gdiplus::Image* image = kind >= 1 && static_cast<std::size_t>(kind) <= r.images.size()
                                    ? r.images[static_cast<std::size_t>(kind) - 1].get()
                                    : nullptr;
        if (image != nullptr) {
            int w = static_cast<int>(image->GetWidth()), h = static_cast<int>(image->GetHeight());
            if (w > kMaxImageSide || h > kMaxImageSide) {
                double scale = static_cast<double>(kMaxImageSide) / std::max(w, h);
                w = std::max(1, static_cast<int>(std::lround(w * scale)));
                h = std::max(1, static_cast<int>(std::lround(h * scale)));
            }
            drawn[i] = {w, h};
        }
    }
    // Every star shown keeps labels off its marker, as large as it is drawn; the averages and the
    // index are placed first, so that the chart keeps its bearings when funds crowd it.
    if (!r.labels.valid || !EqualRect(&r.labels.plot, &plot)) {
        std::vector<StarMapLayout::LabelRequest> requests;
        r.labels.requestStar.clear();
        Selected font(dc, r.labelFont);
        for (std::size_t i = 0; i < m_stars.size(); ++i) {
            if (!shown[i])
                continue;
            const StarInfo& s = m_stars[i];
            const XStringW& text = s.starLabel.empty() ? s.name : s.starLabel;
            SIZE size = TextSize(dc, text);
            const int radius = drawn[i].cx > 0 ? (std::max(drawn[i].cx, drawn[i].cy) + 1) / 2 : kDotRadius;
            requests.push_back(
                {points[i], radius, text.empty() ? SIZE{0, 0} : SIZE{size.cx + 2, size.cy}, IsReference(s)});
            r.labels.requestStar.push_back(i);
        }
        r.labels.placed = StarMapLayout::PlaceLabels(requests, plot);
        r.labels.plot = plot;
        r.labels.valid = true;
    }
    {
        Gdiplus::Graphics graphics(dc);
        graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
        for (std::size_t i = 0; i < m_stars.size(); ++i) {
            if (!shown[i])
                continue;
            const StarInfo& s = m_stars[i];
            const POINT p = points[i];
            if (drawn[i].cx > 0) {
                const int w = drawn[i].cx, h = drawn[i].cy;
                graphics.DrawImage(r.images[static_cast<std::size_t>(s.kind) - 1].get(),
                                   Gdiplus::Rect(p.x - w / 2, p.y - h / 2, w, h));
            } else {
                COLORREF colour =
                    kDotColours[static_cast<std::size_t>(std::abs(s.kind)) % std::size(kDotColours)];
                GdiOwner<HBRUSH> dot(CreateSolidBrush(colour));
                GdiOwner<HPEN> rim(CreatePen(PS_SOLID, 1, Mix(colour, r.background, 0.4)));
                Selected b(dc, dot), pn(dc, rim);
                Ellipse(dc, p.x - kDotRadius, p.y - kDotRadius, p.x + kDotRadius + 1, p.y + kDotRadius + 1);
            }
        }
    }
    // Rings for the selected star and for those the search finds.
    {
        GdiOwner<HPEN> ring(CreatePen(PS_SOLID, 2, r.highlight));
        Selected pn(dc, ring), b(dc, GetStockObject(NULL_BRUSH));
        for (std::size_t i = 0; i < m_stars.size(); ++i) {
            if (!shown[i] || (static_cast<int>(i) != m_selected && !Matches(m_stars[i])))
                continue;
            const POINT p = points[i];
            Ellipse(dc, p.x - 9, p.y - 9, p.x + 10, p.y + 10);
        }
    }
    m_labels.clear();
    {
        Selected font(dc, r.labelFont);
        GdiOwner<HPEN> leaderPen(CreatePen(PS_SOLID, 1, r.leader));
        for (std::size_t k = 0; k < r.labels.placed.size(); ++k) {
            if (!r.labels.placed[k])
                continue;
            const StarMapLayout::PlacedLabel& l = *r.labels.placed[k];
            const std::size_t star = r.labels.requestStar[k];
            const StarInfo& s = m_stars[star];
            if (l.leader) {
                Selected pen(dc, leaderPen);
                MoveToEx(dc, l.leaderFrom.x, l.leaderFrom.y, nullptr);
                LineTo(dc, l.leaderTo.x, l.leaderTo.y);
            }
            SetTextColor(dc, IsReference(s) ? r.averageLabel : r.label);
            DrawTextAt(dc, s.starLabel.empty() ? s.name : s.starLabel, l.box, DT_CENTER | DT_VCENTER);
            m_labels.push_back({static_cast<int>(star), l.box, l.leader, l.leaderFrom, l.leaderTo});
        }
    }
    RestoreDC(dc, saved);

    RenderTip(dc, client);
}

void FundStarMap::RenderTip(HDC dc, const RECT& client) {
    if (m_hot < 0 || static_cast<std::size_t>(m_hot) >= m_stars.size())
        return;
    const StarInfo& s = m_stars[static_cast<std::size_t>(m_hot)];
    POINT p;
    if (!ValueToPoint(s.stdDev, s.returnValue, p))
        return;
    Resources& r = *m_res;
    auto figure = [this](double v) {
        return m_delegate != nullptr ? m_delegate->FormatPercent2(v) : XStringW();
    };
    XStringW title = s.name;
    if (!s.starLabel.empty())
        title += XStringW(L" ") + s.starLabel;
    XStringW returnCaption = m_returnCaption.empty() ? XStringW(L"\u6536\u76ca\u7387") : m_returnCaption;
    XStringW stdDevCaption = m_stdDevCaption.empty() ? XStringW(L"\u6807\u51c6\u5dee") : m_stdDevCaption;
    struct Line {
        XStringW caption, value;
    };
    const Line lines[] = {{returnCaption, figure(s.returnValue)}, {stdDevCaption, figure(s.stdDev)}};

    constexpr int kPad = 8, kLine = 18;
    int width = 0;
    {
        Selected font(dc, r.tipTitleFont);
        width = TextSize(dc, title).cx;
    }
    Selected font(dc, r.tipFont);
    int captionWidth = 0, valueWidth = 0;
    for (const Line& l : lines) {
        captionWidth = std::max<int>(captionWidth, TextSize(dc, l.caption).cx);
        valueWidth = std::max<int>(valueWidth, TextSize(dc, l.value).cx);
    }
    width = std::max({width, TextSize(dc, s.subtitle).cx, captionWidth + 16 + valueWidth});
    const int rows = s.subtitle.empty() ? 3 : 4;
    const int boxW = width + 2 * kPad, boxH = rows * kLine + 2 * kPad - 4;

    // Right and below the star when it fits, else mirrored, and always inside the window.
    int x = p.x + 14, y = p.y + 14;
    if (x + boxW > client.right - 2)
        x = p.x - 14 - boxW;
    if (y + boxH > client.bottom - 2)
        y = p.y - 14 - boxH;
    x = std::max<int>(client.left + 2, x);
    y = std::max<int>(client.top + 2, y);
    RECT box{x, y, x + boxW, y + boxH};

    GdiOwner<HBRUSH> fill(CreateSolidBrush(r.tipBack));
    GdiOwner<HBRUSH> border(CreateSolidBrush(r.tipBorder));
    FillRect(dc, &box, fill);
    FrameRect(dc, &box, border);

    int line = box.top + kPad - 2;
    {
        Selected bold(dc, r.tipTitleFont);
        SetTextColor(dc, r.tipText);
        DrawTextAt(dc, title, {box.left + kPad, line, box.right - kPad, line + kLine}, DT_LEFT | DT_VCENTER);
    }
    line += kLine;
    if (!s.subtitle.empty()) {
        SetTextColor(dc, r.tipDim);
        DrawTextAt(dc, s.subtitle, {box.left + kPad, line, box.right - kPad, line + kLine},
                   DT_LEFT | DT_VCENTER);
        line += kLine;
    }
    for (const Line& l : lines) {
        SetTextColor(dc, r.tipDim);
        DrawTextAt(dc, l.caption, {box.left + kPad, line, box.right - kPad, line + kLine},
                   DT_LEFT | DT_VCENTER);
        SetTextColor(dc, r.tipText);
        DrawTextAt(dc, l.value, {box.left + kPad, line, box.right - kPad, line + kLine},
                   DT_RIGHT | DT_VCENTER);
        line += kLine;
    }
}

} // namespace Control
