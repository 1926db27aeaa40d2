// Control::FundStarMap: the risk-return scatter chart, and the delegate that feeds it.
//
// Sections: the star record; the delegate; the map window.
//
// The map asks its delegate for everything it shows: the axis ranges, the stars, the way numbers
// are written and the axis captions. It reads the stars and captions once, in SetDelegate, and
// keeps a copy; numbers are formatted while painting, so the delegate (never owned) must stay
// alive until another one, or null, is set.
#pragma once

#include <sdk/ControlWin.h>
#include <sdk/XStringW.h>

#include <memory>
#include <string>
#include <vector>

namespace Gdiplus {
class Image;
class Color;
} // namespace Gdiplus

namespace Control {

// ---- The star record ---------------------------------------------------------------------------

// One point of the chart as the delegate describes it. The field order is part of the contract
// with modules built separately, including the two fields only the map uses.
struct StarInfo {
    Common::XStringW starLabel; // written beside the point; when empty the name is written instead
    Common::XStringW name;      // first line of the hover tip
    Common::XStringW subtitle;  // second line of the hover tip
    int reserved1 = 0;          // the map's own: the star's position in its reading order
    double stdDev = 0.0;        // horizontal position, in percent
    double returnValue = 0.0;   // vertical position, in percent
    int reserved2 = 0;          // the map's own: non-zero for stars read through GetAverageStar
    int kind = 0;               // which custom image draws the star, counted from 1
};

// ---- The delegate ------------------------------------------------------------------------------

// The operations keep this order; modules built separately derive from it.
class FundStarMapDelegate {
public:
    virtual ~FundStarMapDelegate() = default;

    // The axis ranges in percent. A false answer, or a range that is empty or not finite, makes
    // the map choose a range from the stars themselves.
    virtual bool GetStdDevRange(double& upper, double& lower) = 0;
    virtual bool GetReturnRange(double& upper, double& lower) = 0;
    // The stars, read in index order. A false answer leaves that star out.
    virtual int GetStarCount() = 0;
    virtual bool GetStar(int index, StarInfo& info) = 0;
    // Further stars, drawn after the others (averages of a group, a benchmark).
    virtual int GetAverageCount() = 0;
    virtual bool GetAverageStar(int index, StarInfo& info) = 0;
    // Tick labels use the first, the hover tip the second.
    virtual Common::XStringW FormatPercent(double value) = 0;
    virtual Common::XStringW FormatPercent2(double value) = 0;
    virtual Common::XStringW GetReturnCaption() = 0;
    virtual Common::XStringW GetStdDevCaption() = 0;
    // A click on a star of a selectable map: the star's reading index (stars first, then the
    // averages) and the click point in the map's client coordinates. Nothing happens by default.
    virtual void OnStarClicked(int index, int x, int y) {
        (void)index;
        (void)x;
        (void)y;
    }
};

// ---- The map window ----------------------------------------------------------------------------

// A label as the map last drew it: the star's reading index, the text box in client coordinates
// and, for a label moved away from its star, the leader line joining them.
struct StarLabel {
    int star = -1;
    RECT box{0, 0, 0, 0};
    bool leader = false;
    POINT leaderFrom{0, 0};
    POINT leaderTo{0, 0};
};

class FundStarMap : public XWin {
public:
    FundStarMap();
    ~FundStarMap() override;

    // Creates the window of the map's own class; the other Create forms work too.
    BOOL Create(LPCWSTR title, DWORD style, int x, int y, int width, int height, UINT id,
                HWND parent) override;
    using XWin::Create;
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // Reads every star and caption anew from the delegate (null empties the chart) and repaints.
    void SetDelegate(FundStarMapDelegate* delegate);
    FundStarMapDelegate* GetDelegate() const { return m_delegate; }
    // A stronger line through zero return.
    void SetDrawCross(bool draw);
    // Typing while the map has the focus highlights the stars whose label or name holds the text.
    void SetSeachable(bool searchable);
    // A click selects the star under the mouse and tells the delegate.
    void SetSelectable(bool selectable);
    // The name of the page that holds the map; kept for the host, which tells maps apart by it.
    void SetParentName(LPCWSTR name);
    const Common::XStringW& GetParentName() const { return m_parentName; }
    // The name proposed for a saved picture of the chart ("保存图片...", Ctrl+S).
    void SetPictureName(const std::wstring& name) { m_pictureName = name; }
    // The chart background; lines and text take colours that stand out from it.
    void SetDGColor(const Gdiplus::Color& color);
    // Appends an image: a star of kind k is drawn with the k-th image added. The map keeps its own
    // copy, so the caller may free its image at once. A null or empty image keeps the place of its
    // kind; such stars are drawn as a plain dot.
    void AddCustomStar(Gdiplus::Image* image);

    // What the map read at the last SetDelegate, in reading order (for the host and for tests).
    const std::vector<StarInfo>& GetStars() const { return m_stars; }
    // The labels of the last painting. Each stays beside its own star, or is joined to it by a
    // leader line when it had to move away; the averages and the index (stars without a label of
    // their own, or read through GetAverageStar) are placed before the funds, so a crowd of funds
    // cannot take their room. A star without a label here had no room for one.
    const std::vector<StarLabel>& GetLabels() const { return m_labels; }
    // The reading index of the star under the hover tip, -1 when no tip is shown.
    int GetHotStar() const { return m_hot; }
    // The reading index of the selected star, -1 when none is.
    int GetSelectedStar() const { return m_selected; }
    // Where a star of these values is drawn, in client coordinates, for the current size and
    // ranges; false when the values are not finite.
    bool ValueToPoint(double stdDev, double returnValue, POINT& point) const;

private:
    struct Resources;

    LRESULT OnPaint();
    LRESULT OnMouseMove(int x, int y);
    LRESULT OnMouseLeave();
    LRESULT OnLButtonDown(int x, int y);
    LRESULT OnChar(wchar_t c);
    LRESULT OnKeyDown(UINT key);
    void Render(HDC dc, const RECT& client);
    void RenderTip(HDC dc, const RECT& plot);
    void ReadStars();
    int StarAt(int x, int y) const;
    RECT PlotRect() const;
    bool Matches(const StarInfo& star) const;

    FundStarMapDelegate* m_delegate = nullptr;
    std::vector<StarInfo> m_stars;
    std::vector<StarLabel> m_labels;
    Common::XStringW m_returnCaption;
    Common::XStringW m_stdDevCaption;
    Common::XStringW m_parentName;
    Common::XStringW m_search;
    // Ranges in effect, percent: [x0, x1] horizontally and [y0, y1] vertically.
    double m_x0 = 0.0, m_x1 = 1.0, m_y0 = 0.0, m_y1 = 1.0;
    std::wstring m_pictureName = L"星图";
    bool m_drawCross = false;
    bool m_searchable = false;
    bool m_selectable = false;
    bool m_tracking = false; // a WM_MOUSELEAVE has been asked for
    int m_hot = -1;
    int m_selected = -1;
    POINT m_mouse{0, 0};
    std::unique_ptr<Resources> m_res;
};

} // namespace Control
