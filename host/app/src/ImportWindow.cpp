// ImportWindow: the progress of an import, and its summary.
//
// Sections: the words; life; the window and its handlers; painting.
#include "ImportWindow.h"

#include "HostWindow.h"

#include <platform/commctrl.h>

#include <algorithm>
#include <filesystem>

namespace {

const wchar_t kClassName[] = L"FundHostImport";
constexpr int kWidth = 600, kTitleHeight = 28, kLineHeight = 20, kMargin = 16, kButtonHeight = 26;
// Errors the summary lists; "复制全部" copies every one.
constexpr size_t kShownErrors = 10;

std::wstring wide(const std::string& text) {
    return XStringW::FromUtf8(text).str();
}

// A count with thousands separated, as the pages write amounts: 1,234,567.
std::wstring count(std::int64_t n) {
    std::wstring digits = std::to_wstring(n < 0 ? -n : n);
    std::wstring out;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += L',';
        out += digits[i];
    }
    return n < 0 ? L"-" + out : out;
}

std::wstring fileName(const std::string& path) {
    return wide(std::filesystem::path(path).filename().string());
}

// A problem as the summary shows it: the file by its name, so that the line and reason fit.
std::wstring shortProblem(const FundImport::Problem& problem) {
    FundImport::Problem shown = problem;
    shown.file = std::filesystem::path(problem.file).filename().string();
    return wide(shown.Text());
}

} // namespace

// ---- The words ------------------------------------------------------------------------------------

std::vector<std::wstring> ImportWindow::SummaryLines(const FundImport::Result& result, size_t errors) {
    std::vector<std::wstring> lines;
    const bool rejectedAll = !result.problems.empty() && !result.written;
    if (result.cancelled)
        lines.push_back(L"导入已取消：数据库没有改变。");
    else if (!result.error.empty())
        lines.push_back(L"导入失败，数据库没有改变：" + wide(result.error));
    else if (rejectedAll)
        lines.push_back(
            L"有 " + count(static_cast<std::int64_t>(result.problems.size())) +
            L" 处错误，没有写入任何数据。改正后再导入；或只导入无误的行（fund-import --skip-bad）。");
    else if (!result.written ||
             (result.fundsChanged == 0 && result.rowsAdded + result.rowsReplaced + result.rowsWithdrawn == 0))
        lines.push_back(L"导入完成：数据库已是最新，没有改变。");
    else
        lines.push_back(result.created ? L"导入完成：已建立数据库。" : L"导入完成。");
    lines.push_back(L"读取 " + count(result.files) + L" 个表，共 " + count(result.rowsRead) + L" 行。");
    if (result.written) {
        lines.push_back(L"基金：新增 " + count(result.fundsAdded) + L" 只，数据有变化 " +
                        count(result.fundsChanged) + L" 只。");
        lines.push_back(L"行：新增 " + count(result.rowsAdded) + L"，替换 " + count(result.rowsReplaced) +
                        L"，撤下 " + count(result.rowsWithdrawn) + L"，未变 " + count(result.rowsUnchanged) +
                        L"，拒收 " + count(result.rowsRejected) + L"。");
    }
    if (!result.problems.empty()) {
        size_t shown = std::min(errors, result.problems.size());
        lines.push_back(shown < result.problems.size()
                            ? L"错误（共 " + count(static_cast<std::int64_t>(result.problems.size())) +
                                  L" 处，前 " + count(static_cast<std::int64_t>(shown)) + L" 处）："
                            : L"错误：");
        for (size_t i = 0; i < shown; ++i)
            lines.push_back(shortProblem(result.problems[i]));
    }
    return lines;
}

std::wstring ImportWindow::StatusLine(const FundImport::Result& result) {
    if (result.cancelled)
        return L"导入已取消，数据库没有改变";
    if (!result.error.empty())
        return L"导入失败：" + wide(result.error);
    if (!result.problems.empty() && !result.written)
        return L"导入未写入：" + count(static_cast<std::int64_t>(result.problems.size())) + L" 处错误";
    std::wstring text = L"导入完成：新增基金 " + count(result.fundsAdded) + L" 只，新增 " +
                        count(result.rowsAdded) + L" 行，替换 " + count(result.rowsReplaced) + L" 行";
    if (result.rowsRejected > 0)
        text += L"，拒收 " + count(result.rowsRejected) + L" 行";
    return text;
}

std::wstring ImportWindow::CopyText() const {
    if (!m_summary)
        return {};
    std::wstring text;
    for (const std::wstring& line : SummaryLines(m_result, 0))
        text += line + L"\n";
    // Every error whole, with the file's full path, as fund-import prints them.
    for (const FundImport::Problem& problem : m_result.problems)
        text += wide(problem.Text()) + L"\n";
    for (const std::string& note : m_result.notes)
        text += wide(note) + L"\n";
    return text;
}

// ---- Life -----------------------------------------------------------------------------------------

ImportWindow::~ImportWindow() {
    // The worker is stopped before the window it posts to goes.
    m_job.reset();
    if (m_window != nullptr)
        DestroyWindow(m_window);
    for (HGDIOBJ object :
         {static_cast<HGDIOBJ>(m_font), static_cast<HGDIOBJ>(m_titleFont), static_cast<HGDIOBJ>(m_backBrush)})
        if (object != nullptr)
            DeleteObject(object);
}

bool ImportWindow::Start(HWND owner, const std::string& database, const std::vector<std::string>& inputs,
                         Finished finished) {
    if (Busy())
        return false;
    if (!RegisterHostClass(kClassName, &HostWindowProcedure<ImportWindow>, 0))
        return false;
    if (m_font == nullptr) {
        m_font = CreateFontW(-13, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0,
                             L"WenQuanYi Micro Hei");
        m_titleFont = CreateFontW(-13, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0,
                                  L"WenQuanYi Micro Hei");
    }
    if (m_window != nullptr)
        DestroyWindow(m_window);
    m_owner = owner;
    m_finished = std::move(finished);
    m_database = database;
    m_inputs = inputs;
    m_title = L"导入数据 → " + fileName(database);
    m_window = CreateWindowExW(WS_EX_TOPMOST | WS_EX_DLGMODALFRAME, kClassName, m_title.c_str(), WS_POPUP, 0,
                               0, kWidth, 160, owner, nullptr, GetModuleHandleW(nullptr), this);
    if (m_window == nullptr)
        return false;
    Run(false);
    ShowWindow(m_window, SW_SHOW);
    return true;
}

void ImportWindow::Run(bool skipBad) {
    m_summary = false;
    m_result = FundImport::Result{};
    for (HWND button : m_buttons)
        DestroyWindow(button);
    m_buttons.clear();
    if (m_bar == nullptr)
        m_bar = CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | WS_VISIBLE | PBS_SMOOTH, 0, 0, 0, 0,
                                m_window, nullptr, GetModuleHandleW(nullptr), nullptr);
    SendMessageW(m_bar, PBM_SETBARCOLOR, 0, static_cast<LPARAM>(m_accent));
    SendMessageW(m_bar, PBM_SETBKCOLOR, 0, static_cast<LPARAM>(m_back));
    SendMessageW(m_bar, PBM_SETPOS, 0, 0);
    ShowWindow(m_bar, SW_SHOW);
    MakeButton(kCancelId, L"取消");
    m_job = std::make_unique<ImportJob>(m_window, m_database, m_inputs, skipBad);
    m_lines = {L"正在准备…", L""};
    Layout();
    SetFocus(Button(kCancelId));
    m_job->Start();
}

void ImportWindow::Close() {
    if (Busy()) {
        m_job->Cancel();
        m_lines = {L"正在取消…", m_lines.size() > 1 ? m_lines[1] : std::wstring()};
        if (HWND cancel = Button(kCancelId))
            EnableWindow(cancel, FALSE);
        InvalidateRect(m_window, nullptr, FALSE);
        return;
    }
    m_job.reset();
    if (m_window != nullptr)
        DestroyWindow(m_window);
    if (m_owner != nullptr && IsWindow(m_owner))
        SetFocus(m_owner);
}

void ImportWindow::ApplyTheme(Conf::ITheme* theme) {
    if (theme == nullptr)
        return;
    theme->GetColor("toolbar_bg", m_back);
    theme->GetColor("toolbar_text", m_text);
    theme->GetColor("statusbar_text", m_dim);
    theme->GetColor("tab_sel_text", m_accent);
    theme->GetColor("toolbar_border", m_border);
    if (m_backBrush != nullptr)
        DeleteObject(m_backBrush);
    m_backBrush = CreateSolidBrush(m_back);
    if (m_bar != nullptr) {
        SendMessageW(m_bar, PBM_SETBARCOLOR, 0, static_cast<LPARAM>(m_accent));
        SendMessageW(m_bar, PBM_SETBKCOLOR, 0, static_cast<LPARAM>(m_back));
    }
    if (m_window != nullptr)
        RedrawWindow(m_window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

HWND ImportWindow::Button(UINT id) const {
    for (HWND button : m_buttons)
        if (static_cast<UINT>(GetDlgCtrlID(button)) == id)
            return button;
    return nullptr;
}

HWND ImportWindow::MakeButton(UINT id, const wchar_t* caption) {
    HWND button = CreateWindowExW(0, L"Button", caption, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
                                  0, 0, 0, 0, m_window, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                                  GetModuleHandleW(nullptr), nullptr);
    SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(m_font), FALSE);
    m_buttons.push_back(button);
    return button;
}

void ImportWindow::ShowProgress() {
    if (m_job == nullptr || m_summary)
        return;
    FundImport::Progress progress = m_job->TakeProgress();
    if (m_job->Cancelling())
        return;
    std::wstring files = progress.filesTotal > 0
                             ? L"文件 " + count(progress.filesDone) + L" / " + count(progress.filesTotal)
                             : std::wstring(L"文件");
    m_lines = {files + L" · 已读 " + count(progress.rows) + L" 行",
               progress.currentFile.empty() ? std::wstring()
                                            : L"正在读取：" + fileName(progress.currentFile)};
    SendMessageW(m_bar, PBM_SETRANGE32, 0, std::max(1, progress.filesTotal));
    SendMessageW(m_bar, PBM_SETPOS, static_cast<WPARAM>(progress.filesDone), 0);
    InvalidateRect(m_window, nullptr, FALSE);
}

void ImportWindow::ShowSummary() {
    std::optional<FundImport::Result> result = m_job != nullptr ? m_job->Finish() : std::nullopt;
    if (!result)
        return;
    m_result = std::move(*result);
    const std::string database = m_job->Database();
    if (m_finished)
        m_finished(m_result, database);
    if (m_window == nullptr)
        return;
    m_summary = true;
    m_lines = SummaryLines(m_result, kShownErrors);
    if (m_bar != nullptr)
        ShowWindow(m_bar, SW_HIDE);
    for (HWND button : m_buttons)
        DestroyWindow(button);
    m_buttons.clear();
    // Bad rows kept everything out: the good ones may go in after all, the bad ones listed.
    if (!m_result.problems.empty() && !m_result.written && m_result.error.empty() && !m_result.cancelled)
        MakeButton(kSkipBadId, L"只导入无误的行");
    if (!m_result.problems.empty() || !m_result.notes.empty())
        MakeButton(kCopyId, L"复制全部");
    MakeButton(kCloseId, L"关闭");
    Layout();
    SetFocus(Button(kCloseId));
}

// ---- The window and its handlers ------------------------------------------------------------------

void ImportWindow::Layout() {
    if (m_window == nullptr)
        return;
    const int lines = static_cast<int>(m_summary ? m_lines.size() : 2);
    const int barSpace = m_summary ? 0 : 28;
    const int height = kTitleHeight + 12 + lines * kLineHeight + barSpace + 16 + kButtonHeight + kMargin;
    // Centred over the owner, whatever its size.
    RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (m_owner != nullptr)
        GetWindowRect(m_owner, &area);
    int x = std::max<int>(0, (area.left + area.right - kWidth) / 2);
    int y = std::max<int>(0, (area.top + area.bottom - height) / 2);
    SetWindowPos(m_window, nullptr, x, y, kWidth, height, SWP_NOZORDER | SWP_NOACTIVATE);
    if (m_bar != nullptr && !m_summary)
        MoveWindow(m_bar, kMargin, kTitleHeight + 12 + 2 * kLineHeight + 6, kWidth - 2 * kMargin, 14, TRUE);
    int right = kWidth - kMargin;
    for (auto it = m_buttons.rbegin(); it != m_buttons.rend(); ++it) {
        const int id = GetDlgCtrlID(*it);
        const int width = id == static_cast<int>(kSkipBadId) ? 128
                          : id == static_cast<int>(kCopyId)  ? 96
                                                             : 80;
        MoveWindow(*it, right - width, height - kMargin - kButtonHeight, width, kButtonHeight, TRUE);
        right -= width + 8;
    }
    InvalidateRect(m_window, nullptr, FALSE);
}

LRESULT ImportWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case ImportJob::kProgressMessage:
        ShowProgress();
        return 0;
    case ImportJob::kDoneMessage:
        ShowSummary();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_CTLCOLORBTN:
        return reinterpret_cast<LRESULT>(m_backBrush != nullptr ? m_backBrush : GetStockObject(BLACK_BRUSH));
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE || (wParam == VK_RETURN && m_summary))
            Close();
        return 0;
    case WM_CLOSE:
        Close();
        return 0;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case kCancelId:
        case kCloseId:
            Close();
            return 0;
        case kSkipBadId:
            if (!Busy())
                Run(true);
            return 0;
        case kCopyId: {
            std::wstring text = CopyText();
            if (OpenClipboard(m_window)) {
                EmptyClipboard();
                const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
                HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
                if (void* memory = block != nullptr ? GlobalLock(block) : nullptr) {
                    std::copy_n(text.c_str(), text.size() + 1, static_cast<wchar_t*>(memory));
                    GlobalUnlock(block);
                    if (SetClipboardData(CF_UNICODETEXT, block) == nullptr)
                        GlobalFree(block);
                }
                CloseClipboard();
            }
            return 0;
        }
        default:
            return 0;
        }
    case WM_DESTROY:
        m_bar = nullptr;
        m_buttons.clear();
        // A window closed while the worker runs (the owner went) stops the import.
        if (m_job != nullptr)
            m_job->Cancel();
        return 0;
    default:
        return DefWindowProcW(m_window, message, wParam, lParam);
    }
}

// ---- Painting -------------------------------------------------------------------------------------

void ImportWindow::OnPaint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(m_window, &ps);
    RECT client{};
    GetClientRect(m_window, &client);
    HBRUSH back = CreateSolidBrush(m_back);
    FillRect(dc, &client, back);
    DeleteObject(back);
    HBRUSH border = CreateSolidBrush(m_border);
    RECT title{0, 0, client.right, kTitleHeight};
    FillRect(dc, &title, border);
    FrameRect(dc, &client, border);
    DeleteObject(border);
    SetBkMode(dc, TRANSPARENT);
    HGDIOBJ old = SelectObject(dc, m_titleFont);
    SetTextColor(dc, m_text);
    RECT titleText{12, 0, client.right - 12, kTitleHeight};
    DrawTextW(dc, m_title.c_str(), -1, &titleText,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    SelectObject(dc, m_font);
    int y = kTitleHeight + 12;
    for (size_t i = 0; i < m_lines.size(); ++i) {
        // The headline stands out; the file being read and the errors are quieter than the counts.
        const bool headline = m_summary && i == 0;
        SetTextColor(dc, headline ? m_accent : (!m_summary && i == 1) ? m_dim : m_text);
        RECT line{kMargin, y, client.right - kMargin, y + kLineHeight};
        DrawTextW(dc, m_lines[i].c_str(), -1, &line,
                  DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
        y += kLineHeight;
    }
    SelectObject(dc, old);
    EndPaint(m_window, &ps);
}
