// ReportDocument: page layout of a report over the platform's PDF device context.
#include "report/ReportDocument.h"

#include <platform/pdfdc.h>

#include <algorithm>

namespace {

constexpr const wchar_t* kFace = L"WenQuanYi Micro Hei";
constexpr COLORREF kInk = RGB(33, 33, 33);
constexpr COLORREF kQuiet = RGB(110, 110, 110);
constexpr COLORREF kRule = RGB(200, 200, 200);

} // namespace

ReportDocument::ReportDocument(bool portrait)
    : m_page(portrait ? SIZE{kA4Short, kA4Long} : SIZE{kA4Long, kA4Short}) {
    m_dc = CreatePdfDC(m_page.cx, m_page.cy, &ReportDocument::Append, this);
    if (m_dc == nullptr)
        return;
    DOCINFOW info{};
    info.cbSize = sizeof info;
    info.lpszDocName = L"基金对比报告";
    if (StartDocW(m_dc, &info) <= 0) {
        DeleteDC(m_dc);
        m_dc = nullptr;
    }
}

ReportDocument::~ReportDocument() {
    if (m_dc != nullptr) {
        AbortDoc(m_dc);
        DeleteDC(m_dc);
    }
}

bool ReportDocument::Append(void* closure, const unsigned char* data, unsigned int length) {
    auto* document = static_cast<ReportDocument*>(closure);
    document->m_bytes.append(reinterpret_cast<const char*>(data), length);
    return true;
}

void ReportDocument::Text(const XStringW& text, RECT rect, int size, bool bold, COLORREF colour,
                          UINT format) {
    if (m_dc == nullptr || text.empty())
        return;
    HFONT font = CreateFontW(-size, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                             VARIABLE_PITCH | FF_SWISS, kFace);
    HGDIOBJ old = SelectObject(m_dc, font);
    SetTextColor(m_dc, colour);
    SetBkMode(m_dc, TRANSPARENT);
    DrawTextW(m_dc, text.c_str(), static_cast<int>(text.length()), &rect, format | DT_NOPREFIX);
    SelectObject(m_dc, old);
    DeleteObject(font);
}

void ReportDocument::EnsurePage() {
    if (m_dc == nullptr || m_pageOpen)
        return;
    StartPage(m_dc);
    m_pageOpen = true;
    m_pageEmpty = true;
    ++m_pageNumber;
    m_y = kMargin;
    // A page that carries on a comparison page says which.
    if (!m_section.empty()) {
        Text(m_section + L"（续）", RECT{Left(), m_y, Left() + Width(), m_y + kNoteLine}, 12, false, kQuiet,
             DT_LEFT | DT_VCENTER | DT_SINGLELINE);
        m_y += kNoteLine + kGap / 2;
    }
}

void ReportDocument::NewPage() {
    if (m_dc == nullptr)
        return;
    if (m_pageOpen) {
        const RECT foot{Left(), m_page.cy - kMargin - kFooter + 8, Left() + Width(), m_page.cy - kMargin + 8};
        SetDCBrushColor(m_dc, kRule);
        RECT rule{Left(), foot.top - 4, Left() + Width(), foot.top - 3};
        FillRect(m_dc, &rule, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
        Text(L"第 " + XStringW(std::to_wstring(m_pageNumber)) + L" 页", foot, 11, false, kQuiet,
             DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        EndPage(m_dc);
        m_pageOpen = false;
    }
}

void ReportDocument::Reserve(int height) {
    EnsurePage();
    if (!m_pageEmpty && m_y + height > Bottom()) {
        NewPage();
        EnsurePage();
    }
    m_pageEmpty = false;
}

void ReportDocument::WriteTitle(const Title& title) {
    if (m_dc == nullptr)
        return;
    EnsurePage();
    m_pageEmpty = false;
    Text(title.heading, RECT{Left(), m_y, Left() + Width(), m_y + 44}, 28, true, kInk,
         DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    m_y += 52;
    auto fact = [&](const wchar_t* label, const XStringW& value) {
        Text(XStringW(label) + value, RECT{Left(), m_y, Left() + Width(), m_y + kNoteLine}, 13, false, kInk,
             DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
        m_y += kNoteLine + 2;
    };
    fact(L"对比基金：", XStringW(std::to_wstring(title.funds.size())) + L" 只");
    fact(L"数据截至：", title.latestDate.empty() ? XStringW(L"--") : title.latestDate);
    fact(L"数据库：",
         title.database + (title.sample ? XStringW(L"（示例数据，公司、基金、经理均为虚构）") : XStringW()));
    if (!title.madeAt.empty())
        fact(L"生成时间：", title.madeAt);
    m_y += kGap;
    SetDCBrushColor(m_dc, kRule);
    RECT rule{Left(), m_y, Left() + Width(), m_y + 1};
    FillRect(m_dc, &rule, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    m_y += kGap;

    // The funds in columns, down then across, as many columns as the width holds.
    constexpr int kColumnWidth = 250;
    constexpr int kLine = 19;
    const int columns = std::max(1, Width() / kColumnWidth);
    size_t next = 0;
    while (next < title.funds.size()) {
        const int rows = std::max(1, (Bottom() - m_y) / kLine);
        for (int column = 0; column < columns && next < title.funds.size(); ++column)
            for (int row = 0; row < rows && next < title.funds.size(); ++row, ++next) {
                const auto& fund = title.funds[next];
                const int x = Left() + column * kColumnWidth;
                const int y = m_y + row * kLine;
                Text(fund.first, RECT{x, y, x + 64, y + kLine}, 12, false, kQuiet,
                     DT_LEFT | DT_VCENTER | DT_SINGLELINE);
                Text(fund.second, RECT{x + 64, y, x + kColumnWidth - 10, y + kLine}, 12, false, kInk,
                     DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
            }
        if (next < title.funds.size()) {
            NewPage();
            EnsurePage();
            m_pageEmpty = false;
        } else {
            m_y += std::min(rows, static_cast<int>(title.funds.size())) * kLine;
        }
    }
}

void ReportDocument::BeginSection(const XStringW& caption) {
    if (m_dc == nullptr)
        return;
    NewPage();
    m_section.clear();
    EnsurePage();
    m_pageEmpty = false;
    Text(caption, RECT{Left(), m_y, Left() + Width(), m_y + kHeading}, 20, true, kInk,
         DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    m_y += kHeading;
    SetDCBrushColor(m_dc, kRule);
    RECT rule{Left(), m_y, Left() + Width(), m_y + 1};
    FillRect(m_dc, &rule, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    m_y += kGap / 2;
    m_section = caption;
}

void ReportDocument::Note(const XStringW& text) {
    if (m_dc == nullptr || text.empty())
        return;
    Reserve(kNoteLine);
    Text(text, RECT{Left(), m_y, Left() + Width(), m_y + kNoteLine}, 12, false, kQuiet,
         DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
    m_y += kNoteLine + kGap / 2;
}

void ReportDocument::Table(Control::DataGridEx& grid) {
    if (m_dc == nullptr)
        return;
    // Parts as large as a continued page holds; each goes under what is on the page when it fits.
    const SIZE area{Width(), Bottom() - kMargin - kNoteLine - kGap / 2};
    // The list starts under what is on the page (a heading, a note) when a fair share of a page is
    // left there, rather than leaving the heading alone on its page; else on the next page.
    EnsurePage();
    const int room = m_pageEmpty ? area.cy : Bottom() - m_y;
    const int first = room >= area.cy / 4 ? room : 0;
    for (const Control::XDataGrid::PrintPart& part : grid.PlanPrint(area, first)) {
        Reserve(part.size.cy);
        grid.DrawPrintPart(m_dc, POINT{Left(), m_y}, part);
        m_y += part.size.cy + kGap;
    }
}

SIZE ReportDocument::PictureArea() const {
    const int room = m_page.cy - 2 * kMargin - kFooter - kHeading - 2 * kNoteLine - kGap;
    return SIZE{Width(), std::min(room, Width() * 62 / 100)};
}

void ReportDocument::Picture(SIZE size, const std::function<void(HDC)>& draw) {
    if (m_dc == nullptr || size.cx <= 0 || size.cy <= 0 || !draw)
        return;
    Reserve(size.cy);
    const int saved = SaveDC(m_dc);
    SetViewportOrgEx(m_dc, Left(), m_y, nullptr);
    IntersectClipRect(m_dc, 0, 0, size.cx, size.cy);
    draw(m_dc);
    RestoreDC(m_dc, saved);
    m_y += size.cy + kGap;
}

void ReportDocument::Chart(HWND chart) {
    if (m_dc == nullptr || !IsWindow(chart))
        return;
    // The chart lays itself out at the picture's size for the drawing, then gets its own back.
    RECT placed{};
    ::GetWindowRect(chart, &placed);
    MapWindowPoints(nullptr, ::GetParent(chart), reinterpret_cast<POINT*>(&placed), 2);
    const SIZE area = PictureArea();
    ::MoveWindow(chart, placed.left, placed.top, area.cx, area.cy, FALSE);
    Picture(area, [chart](HDC dc) {
        ::SendMessageW(chart, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    });
    ::MoveWindow(chart, placed.left, placed.top, placed.right - placed.left, placed.bottom - placed.top,
                 TRUE);
}

bool ReportDocument::Finish() {
    if (m_dc == nullptr)
        return false;
    EnsurePage();
    NewPage();
    const bool complete = EndDoc(m_dc) > 0;
    DeleteDC(m_dc);
    m_dc = nullptr;
    return complete;
}
