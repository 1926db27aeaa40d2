// ReportSink: where a comparison page writes its part of a report. The page is asked through the
// one page interface (ComparePage::WriteReport) after it has been shown with its data, in the
// report's colours; it hands over, in reading order, notes, its lists (the sink cuts them over the
// document's pages) and its charts (drawn by the window through WM_PRINTCLIENT, so the same
// drawing code makes the screen, a PNG and the document).
#pragma once

#include <platform/pdfdc.h>
#include <platform/windows.h>
#include <sdk/ControlDataGrid.h>
#include <sdk/XStringW.h>

#include <functional>

class ReportSink {
public:
    // A line of text under the page's heading (what the page shows: a range, a report date).
    virtual void Note(const XStringW& text) = 0;
    // A list as it is shown (its order, filters and sort mark), over as many pages as it takes.
    virtual void Table(Control::DataGridEx& grid) = 0;
    // A chart laid out anew at the size of the picture area and drawn through WM_PRINTCLIENT; the
    // window gets its size back afterwards.
    virtual void Chart(HWND chart) = 0;
    // The size a picture of the document's full width may take on one page.
    virtual SIZE PictureArea() const = 0;
    // A picture of `size` pixels drawn by `draw`, with the DC's (0, 0) at the picture's corner and
    // drawing clipped to it.
    virtual void Picture(SIZE size, const std::function<void(HDC)>& draw) = 0;

protected:
    ~ReportSink() = default;
};
