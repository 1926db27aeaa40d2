// ReportJob: one comparison report, from the click to the file. "导出报告..." (and Ctrl+P) asks for
// the file in the save dialog, where the type chooses A4 landscape (the default) or portrait; the
// job then goes through the pages in tab order, one page per turn of the message loop so that the
// window stays responsive: it shows the page (which loads, or waits for its data read ahead),
// gives it the light theme's colours, lets it write its part (ComparePage::WriteReport) and gives
// it the screen's colours back. A small window with a progress bar (ReportProgressWindow) shows how
// far it is and lets the person stop before the file is written. When every page is written the
// tab the user was on comes back, and a worker thread writes the document to the file — through a
// temporary that replaces the file only when complete — and hands its result back once, on the
// message loop: a note in the status bar, or a message box with the reason. The progress window
// closes when the report ends, whether written, failed or stopped.
//
// The job owns a hidden window of its own (class "Quenda2_ReportJob") for its turns, its timer and
// the worker's answer; it lives as long as the workspace.
#pragma once

#include "pages/common/CompareContext.h"
#include "pages/common/ComparePage.h"
#include "report/ReportDocument.h"
#include "report/ReportProgressWindow.h"
#include "wgui/WindowBase.h"
#include "wgui/WindowProc.h"

#include <sdk/Conf.h>
#include <sdk/XComPtr.h>

#include <functional>
#include <memory>
#include <thread>

class ReportJob : public WGUI::WindowBase {
public:
    // What the job needs of the workspace: its pages in tab order, their captions, and showing one.
    struct Pages {
        std::function<int()> count;
        std::function<ComparePage*(int)> page;
        std::function<XStringW(int)> caption;
        std::function<int()> current;
        std::function<void(int)> show;
    };
    // The save dialog's types; the second is the portrait page.
    static constexpr const wchar_t* kTypes =
        L"PDF 文档，A4 横向 (*.pdf)\0*.pdf\0PDF 文档，A4 纵向 (*.pdf)\0*.pdf\0";
    // A page that has not got its data after this long is written as it shows.
    static constexpr int kLoadingWaitMs = 30000;

    ReportJob();
    ~ReportJob() override;

    // The hidden window, a child of the workspace; the context gives the funds, the database, the
    // themes and the status bar.
    HWND Create(HWND parent, CompareContext* context, Pages pages);
    void SetContext(CompareContext* context) { m_context = context; }
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    // Asks for the file and starts. False when cancelled, or when a report is being made already
    // (which the status bar then says).
    bool StartWithDialog();
    // Starts writing the report to a file (UTF-8 path). False when a report is being made.
    bool Start(const XStringW& path, bool portrait);
    bool Busy() const { return m_document != nullptr || m_writer.joinable(); }
    // Stops a report whose pages are being drawn: nothing is written, the user's tab comes back.
    // A report whose file is being written finishes (the write is short and leaves no half file).
    void Cancel();
    const ReportProgressWindow& ProgressWindow() const { return m_progress; }

    // The whole report drawn at once, for callers that wait anyway (benchmarks, tests): every page
    // shown and written in turn, without waiting for data read ahead. The document's bytes, or
    // empty when it could not be made.
    std::string DrawNow(bool portrait);
    // The title block's facts of the comparison as the database tells them.
    ReportDocument::Title ReadTitle() const;

private:
    static constexpr UINT kStepMessage = WM_APP + 0x2A0;
    static constexpr UINT kWrittenMessage = WM_APP + 0x2A1;
    static constexpr UINT_PTR kWaitTimer = 0x2A2; // the next step, or the next look at a waiting page
    static constexpr UINT kStepDelayMs = 1;

    struct Written {
        bool ok = false;
        XStringW error;
    };

    void Step();
    // Shows page `index` and answers whether its data are there to be written.
    bool PageReady(int index);
    // The page says "加载中" somewhere: the whole page, or a chart whose data are read ahead.
    static bool Waiting(const ComparePage& page);
    void WritePage(ReportDocument& document, int index);
    void FinishDrawing();
    void OnWritten();
    void Progress(const XStringW& text);
    // The progress window's line and bar after `done` steps (the pages, then the file).
    void ShowStep(int done, int pages);
    Conf::ITheme* ReportTheme();
    XComPtr<Conf::ITheme> ScreenTheme() const;

    WGUI::WindowProc m_binder;
    CompareContext* m_context = nullptr;
    Pages m_pages;
    XComPtr<Conf::ITheme> m_lightTheme;

    std::unique_ptr<ReportDocument> m_document;
    XStringW m_path;
    int m_next = 0;          // the page to write next
    int m_returnTab = 0;     // the tab the user was on
    DWORD m_waitStarted = 0; // when the page began to wait for its data
    std::thread m_writer;
    std::shared_ptr<Written> m_written;
    ReportProgressWindow m_progress;
};
