// ReportDocument: a comparison report being drawn into a PDF document. It lays out what the pages
// hand it (ReportSink) down A4 pages with a margin: a heading for each comparison page, notes,
// lists cut into parts with their header on every part, charts and pictures; each page gets its
// number at the foot. The document's bytes collect in memory; the caller writes them to a file
// when the document is finished (Finish), so that drawing and writing can happen on different
// threads.
//
// Sizes are pixels at 96 per inch (A4 is 794 x 1123), as the windows that draw here think.
#pragma once

#include "pages/common/ReportSink.h"

#include <platform/windows.h>
#include <sdk/XStringW.h>

#include <string>
#include <vector>

class ReportDocument final : public ReportSink {
public:
    static constexpr int kA4Short = 794;
    static constexpr int kA4Long = 1123;
    static constexpr int kMargin = 40;
    static constexpr int kFooter = 28;   // the page number's band at the foot
    static constexpr int kGap = 14;      // between two items of a page
    static constexpr int kHeading = 34;  // a comparison page's heading line
    static constexpr int kNoteLine = 20; // one line of a note

    // The title block's facts.
    struct Title {
        XStringW heading;                                 // "基金对比报告"
        std::vector<std::pair<XStringW, XStringW>> funds; // code and name, in column order
        XStringW latestDate;                              // empty when unknown
        XStringW database;                                // the database's file name
        bool sample = false;
        XStringW madeAt; // when the report was made
    };

    explicit ReportDocument(bool portrait);
    ~ReportDocument();
    ReportDocument(const ReportDocument&) = delete;
    ReportDocument& operator=(const ReportDocument&) = delete;

    // False when no document could be made (then nothing else does anything).
    bool IsOpen() const { return m_dc != nullptr; }
    SIZE PageSize() const { return m_page; }
    // The first page: the heading and the facts of the comparison.
    void WriteTitle(const Title& title);
    // A comparison page begins: a new document page with its caption as the heading.
    void BeginSection(const XStringW& caption);

    // ---- ReportSink ----
    void Note(const XStringW& text) override;
    void Table(Control::DataGridEx& grid) override;
    void Chart(HWND chart) override;
    SIZE PictureArea() const override;
    void Picture(SIZE size, const std::function<void(HDC)>& draw) override;

    // Ends the last page and completes the document; false when it could not be made whole.
    bool Finish();
    // The document's bytes: complete after a successful Finish.
    const std::string& Bytes() const { return m_bytes; }
    std::string TakeBytes() { return std::move(m_bytes); }
    int PageCount() const { return m_pageNumber; }

private:
    static bool Append(void* closure, const unsigned char* data, unsigned int length);
    // Ends the page (its number at the foot) and starts the next.
    void NewPage();
    void EnsurePage();
    // Makes room for `height` pixels: a new page unless they fit under what is on the page (a
    // fresh page takes anything).
    void Reserve(int height);
    int Left() const { return kMargin; }
    int Width() const { return m_page.cx - 2 * kMargin; }
    int Bottom() const { return m_page.cy - kMargin - kFooter; }
    void Text(const XStringW& text, RECT rect, int size, bool bold, COLORREF colour, UINT format);

    SIZE m_page{0, 0};
    HDC m_dc = nullptr;
    std::string m_bytes;
    bool m_pageOpen = false;
    bool m_pageEmpty = true;
    int m_pageNumber = 0;
    int m_y = 0;
    XStringW m_section;
};
