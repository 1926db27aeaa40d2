// ImportWindow: the window of one import over the main frame. While the import runs on its worker
// (ImportJob) it shows the files read so far of all, the rows read, the file being read, a
// progress bar and "取消"; the main window stays usable meanwhile. At the end it shows what the
// import did: funds and rows added, replaced and rejected, the first errors, "复制全部" (every
// error and note, one a line, onto the clipboard) and "关闭"; when bad rows kept the whole import
// out, "只导入无误的行" runs it again writing the good rows. Escape cancels or closes.
//
// The window is not modal: the frame keeps its input, so a person can go on reading pages while a
// long import runs. Only one import runs at a time (the host asks Busy before starting another).
#pragma once

#include "ImportJob.h"

#include <sdk/Conf.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class ImportWindow {
public:
    // Called on the user-interface thread when the import ended (before the summary shows), with
    // its result: the host reads the database anew when it was written.
    using Finished = std::function<void(const FundImport::Result&, const std::string& database)>;
    static constexpr UINT kCancelId = 301, kCopyId = 302, kCloseId = 303, kSkipBadId = 304;

    ImportWindow() = default;
    ~ImportWindow();
    ImportWindow(const ImportWindow&) = delete;
    ImportWindow& operator=(const ImportWindow&) = delete;

    // Opens the window over the owner and starts importing `inputs` into `database`; false when
    // an import is already running or the window cannot be made.
    bool Start(HWND owner, const std::string& database, const std::vector<std::string>& inputs,
               Finished finished);
    bool Busy() const { return m_job != nullptr && m_job->Running(); }
    // Cancels a running import (the window closes when the worker has stopped) or closes the
    // summary.
    void Close();
    void ApplyTheme(Conf::ITheme* theme);

    HWND Window() const { return m_window; }
    HWND Button(UINT id) const;
    // The lines shown now, top to bottom (the progress or the summary), and what "复制全部" copies.
    const std::vector<std::wstring>& Lines() const { return m_lines; }
    std::wstring CopyText() const;

    // The words of a finished import: its summary lines (headline first) and at most `errors`
    // errors after them.
    static std::vector<std::wstring> SummaryLines(const FundImport::Result& result, size_t errors);
    // The one line the status bar keeps after the window closes.
    static std::wstring StatusLine(const FundImport::Result& result);

    // For HostWindowProcedure.
    void BindWindow(HWND window) { m_window = window; }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

private:
    // Starts the job in the window (again, for "只导入无误的行").
    void Run(bool skipBad);
    void ShowProgress();
    void ShowSummary();
    void Layout();
    void OnPaint();
    HWND MakeButton(UINT id, const wchar_t* caption);

    HWND m_window = nullptr;
    HWND m_owner = nullptr;
    HWND m_bar = nullptr;
    std::vector<HWND> m_buttons;
    std::unique_ptr<ImportJob> m_job;
    Finished m_finished;
    std::string m_database;
    std::vector<std::string> m_inputs;
    FundImport::Result m_result;
    bool m_summary = false;
    std::wstring m_title;
    std::vector<std::wstring> m_lines;
    COLORREF m_back = RGB(21, 25, 34), m_text = RGB(220, 224, 230), m_dim = RGB(170, 176, 186),
             m_accent = RGB(255, 214, 0), m_border = RGB(46, 52, 64), m_error = RGB(235, 87, 87);
    HFONT m_font = nullptr, m_titleFont = nullptr;
    HBRUSH m_backBrush = nullptr;
};
