// DcCanvas: the charts' canvas over a device context, for a picture that a document keeps as
// vectors (a report's page). Lines become GDI polylines with a pen of the line's colour and width,
// the dash pattern taken as the nearest of GDI's pen styles; boxes become solid fills. The clip is
// laid over whatever clip the DC had, which comes back when the canvas goes.
#pragma once

#include "pages/growth/ChartCanvas.h"

#include <platform/windows.h>

class DcCanvas : public ChartCanvas {
public:
    explicit DcCanvas(HDC dc);
    ~DcCanvas() override;
    DcCanvas(const DcCanvas&) = delete;
    DcCanvas& operator=(const DcCanvas&) = delete;

    void SetClip(const RECT& clip) override;
    void Polyline(const ChartPoint* points, size_t count, COLORREF colour, float width,
                  LineStyles::DashPattern dash) override;
    void HorizontalLine(int x0, int x1, int y, COLORREF colour, int dashOn = 0, int dashOff = 0) override;
    void VerticalLine(int x, int y0, int y1, COLORREF colour, int dashOn = 0, int dashOff = 0) override;
    void FillRect(const RECT& rect, COLORREF colour) override;

    // The GDI pen style that draws a chart's dash pattern most alike.
    static int PenStyleOf(LineStyles::DashPattern dash);

private:
    void Line(const POINT* points, int count, COLORREF colour, int width, int style);

    HDC m_dc;
    int m_outer = 0; // the DC's state before the canvas, restored at the end
    int m_clipped = 0;
};
