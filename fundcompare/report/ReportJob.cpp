// ReportJob: the report's turns on the message loop, the title block's facts and the worker that
// writes the file.
#include "report/ReportJob.h"

#include "pages/common/SqlCodeList.h"
#include "wgui/ModuleInstance.h"
#include "wgui/PageClass.h"

#include <platform/commdlg.h>
#include <sdk/ControlSafeFile.h>

#include <ctime>
#include <map>
#include <vector>

namespace {

// The id the sample database's generator stamps into its file (PRAGMA application_id, "FCSD").
constexpr double kSampleApplicationId = 0x46435344;

// The first text of a statement's first row; empty when it fails or has no row.
XStringW firstText(Data::IDatabase* database, const wchar_t* sql, int column = 0) {
    XComPtr<Data::IStatement> statement;
    XStringW error;
    XStringW text;
    if (database != nullptr && database->Query(statement.Receive(), sql, error) && statement != nullptr &&
        statement->Next())
        statement->GetString(text, column);
    return text;
}

XStringW fileName(const XStringW& path) {
    const std::wstring& text = path.str();
    const size_t slash = text.find_last_of(L"/\\");
    return slash == std::wstring::npos ? path : XStringW(text.substr(slash + 1));
}

XStringW now() {
    std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    char text[32] = {};
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &local);
    return XStringW::FromUtf8(text);
}

} // namespace

ReportJob::ReportJob() = default;

ReportJob::~ReportJob() {
    m_progress.Close();
    if (m_writer.joinable())
        m_writer.join();
}

HWND ReportJob::Create(HWND parent, CompareContext* context, Pages pages) {
    m_context = context;
    m_pages = std::move(pages);
    const std::wstring className = WGUI::PageClass::Register(L"ReportJob");
    if (className.empty())
        return nullptr;
    return WindowBase::Create(WS_CHILD, 0, className.c_str(), L"", RECT{0, 0, 0, 0}, parent, nullptr,
                              WGUI::ModuleInstance(), &m_binder);
}

bool ReportJob::HandleMessage(UINT message, WPARAM, LPARAM, LRESULT& result) {
    switch (message) {
    case kStepMessage:
        Step();
        result = 0;
        return true;
    case WM_TIMER:
        KillTimer(m_hWnd, kWaitTimer);
        Step();
        result = 0;
        return true;
    case kWrittenMessage:
        OnWritten();
        result = 0;
        return true;
    case WM_DESTROY:
        // The workspace goes: a report being drawn goes with it; one being written ends on its own.
        m_document.reset();
        m_progress.Close();
        return false;
    default:
        return false;
    }
}

// ---- Facts -----------------------------------------------------------------------------------------

ReportDocument::Title ReportJob::ReadTitle() const {
    ReportDocument::Title title;
    title.heading = L"基金对比报告";
    title.madeAt = now();
    if (m_context == nullptr)
        return title;
    Data::IDatabase* database = m_context->Database();
    std::map<XStringW, XStringW> names;
    if (database != nullptr && !m_context->Funds().empty()) {
        const XStringW sql = XStringW(L"SELECT code, name FROM tb_fund WHERE isdeleted = 0 AND code IN ") +
                             SqlCodeList::Parenthesized(m_context->Funds());
        XComPtr<Data::IStatement> statement;
        XStringW error;
        if (database->Query(statement.Receive(), sql.c_str(), error) && statement != nullptr)
            while (statement->Next()) {
                XStringW code, name;
                statement->GetString(code, 0);
                statement->GetString(name, 1);
                names.emplace(code, name);
            }
    }
    for (const XStringW& code : m_context->Funds()) {
        auto found = names.find(code);
        title.funds.emplace_back(code, found != names.end() ? found->second : XStringW());
    }
    title.latestDate = firstText(database, L"SELECT MAX(date) FROM tb_currvalue WHERE isdeleted = 0");
    title.database = fileName(firstText(database, L"PRAGMA database_list", 2));
    if (title.database.empty())
        title.database = L"--";
    XComPtr<Data::IStatement> statement;
    XStringW error;
    title.sample =
        database != nullptr && database->Query(statement.Receive(), L"PRAGMA application_id", error) &&
        statement != nullptr && statement->Next() && statement->GetDouble(0) == kSampleApplicationId;
    return title;
}

// ---- Themes ----------------------------------------------------------------------------------------

XComPtr<Conf::ITheme> ReportJob::ScreenTheme() const {
    XComPtr<Conf::ITheme> theme;
    XComPtr<Conf::IThemeMgr> themes;
    IApp* app = m_context != nullptr ? m_context->App() : nullptr;
    if (app != nullptr && app->GetThemeMgr(themes.Receive()) && themes != nullptr)
        themes->GetCurrentTheme(theme.Receive());
    return theme;
}

Conf::ITheme* ReportJob::ReportTheme() {
    // Paper is white: the light theme whatever the screen shows; the screen's own when the host
    // has no light theme to give.
    if (m_lightTheme == nullptr) {
        XComPtr<Conf::IThemeMgr> themes;
        IApp* app = m_context != nullptr ? m_context->App() : nullptr;
        if (app != nullptr && app->GetThemeMgr(themes.Receive()) && themes != nullptr)
            themes->GetThemeByName("light", m_lightTheme.Receive());
    }
    return m_lightTheme.Get();
}

// ---- Drawing ---------------------------------------------------------------------------------------

void ReportJob::WritePage(ReportDocument& document, int index) {
    ComparePage* page = m_pages.page ? m_pages.page(index) : nullptr;
    if (page == nullptr)
        return;
    document.BeginSection(m_pages.caption ? m_pages.caption(index) : XStringW());
    Conf::ITheme* paper = ReportTheme();
    XComPtr<Conf::ITheme> screen = ScreenTheme();
    if (paper != nullptr)
        page->ApplyTheme(paper);
    if (Waiting(*page))
        document.Note(ComparePage::kLoadingText);
    page->WriteReport(document);
    if (paper != nullptr && screen != nullptr)
        page->ApplyTheme(screen.Get());
}

std::string ReportJob::DrawNow(bool portrait) {
    ReportDocument document(portrait);
    if (!document.IsOpen())
        return {};
    document.WriteTitle(ReadTitle());
    const int returnTab = m_pages.current ? m_pages.current() : 0;
    const int count = m_pages.count ? m_pages.count() : 0;
    for (int i = 0; i < count; ++i) {
        if (m_pages.show)
            m_pages.show(i);
        WritePage(document, i);
    }
    if (m_pages.show)
        m_pages.show(returnTab);
    return document.Finish() ? document.TakeBytes() : std::string();
}

// ---- The turns -------------------------------------------------------------------------------------

bool ReportJob::StartWithDialog() {
    if (Busy()) {
        Progress(L"正在导出报告，请稍候");
        return false;
    }
    std::vector<wchar_t> file(4096, L'\0');
    const std::wstring proposed = L"基金对比报告.pdf";
    std::copy(proposed.begin(), proposed.end(), file.begin());
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = ::GetAncestor(m_hWnd, GA_ROOT);
    ofn.lpstrFilter = kTypes;
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrTitle = L"导出报告";
    ofn.lpstrDefExt = L"pdf";
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_EXPLORER;
    if (!GetSaveFileNameW(&ofn))
        return false;
    return Start(XStringW(file.data()), ofn.nFilterIndex == 2);
}

bool ReportJob::Start(const XStringW& path, bool portrait) {
    if (Busy() || !IsWindow())
        return false;
    m_document = std::make_unique<ReportDocument>(portrait);
    if (!m_document->IsOpen()) {
        m_document.reset();
        MessageBoxW(::GetAncestor(m_hWnd, GA_ROOT), L"无法生成报告文档。", L"导出报告", MB_OK | MB_ICONERROR);
        return false;
    }
    m_path = path;
    m_next = 0;
    m_returnTab = m_pages.current ? m_pages.current() : 0;
    m_waitStarted = 0;
    m_document->WriteTitle(ReadTitle());
    const int pages = m_pages.count ? m_pages.count() : 0;
    // The steps come on a timer, not a posted message: posted messages go before painting, so a
    // chain of them would leave the window and the progress unpainted until the report ends.
    XComPtr<Conf::ITheme> screen = ScreenTheme();
    m_progress.Open(m_hWnd, L"导出报告 → " + fileName(m_path), pages + 1, screen.Get(), [this] { Cancel(); });
    ShowStep(0, pages);
    SetTimer(m_hWnd, kWaitTimer, kStepDelayMs, nullptr);
    return true;
}

void ReportJob::Cancel() {
    if (m_document == nullptr)
        return;
    KillTimer(m_hWnd, kWaitTimer);
    m_document.reset();
    m_progress.Close();
    if (m_pages.show)
        m_pages.show(m_returnTab);
    Progress(L"已取消导出报告");
}

void ReportJob::ShowStep(int done, int pages) {
    XStringW line;
    if (done < pages) {
        const XStringW caption = m_pages.caption ? m_pages.caption(done) : XStringW();
        line.Format(L"第 %d / %d 页：%s", done + 1, pages, caption.c_str());
    } else if (done == pages) {
        line = L"正在写入文件：" + fileName(m_path);
    } else {
        line = L"报告已导出";
    }
    m_progress.SetStep(done, line);
}

bool ReportJob::Waiting(const ComparePage& page) {
    // A page that hides itself while it loads says so with IsLoading; one that keeps its windows and
    // lets only a chart wait (the growth page) says what it waits for.
    return page.IsLoading() || page.AwaitedAhead().has_value();
}

bool ReportJob::PageReady(int index) {
    ComparePage* page = m_pages.page ? m_pages.page(index) : nullptr;
    if (page == nullptr)
        return true;
    if (m_waitStarted == 0) {
        if (m_pages.show)
            m_pages.show(index);
        m_waitStarted = std::max<DWORD>(1, GetTickCount());
    }
    return !Waiting(*page) || GetTickCount() - m_waitStarted >= static_cast<DWORD>(kLoadingWaitMs);
}

void ReportJob::Step() {
    if (m_document == nullptr)
        return;
    const int count = m_pages.count ? m_pages.count() : 0;
    if (m_next < count) {
        if (!PageReady(m_next)) {
            // The page waits for its data read ahead; it is looked at again shortly.
            SetTimer(m_hWnd, kWaitTimer, 20, nullptr);
            return;
        }
        WritePage(*m_document, m_next);
        ++m_next;
        m_waitStarted = 0;
        ShowStep(m_next, count);
        SetTimer(m_hWnd, kWaitTimer, kStepDelayMs, nullptr);
        return;
    }
    FinishDrawing();
}

void ReportJob::FinishDrawing() {
    if (m_pages.show)
        m_pages.show(m_returnTab);
    const bool complete = m_document->Finish();
    std::string bytes = m_document->TakeBytes();
    m_document.reset();
    auto written = std::make_shared<Written>();
    m_written = written;
    if (!complete) {
        written->error = L"无法生成报告文档";
        PostMessageW(m_hWnd, kWrittenMessage, 0, 0);
        return;
    }
    m_progress.SetCancellable(false);
    // The file is written off the message loop: the bytes move to the worker, and its one answer
    // comes back as a message.
    HWND window = m_hWnd;
    m_writer = std::thread([written, window, path = m_path.ToUtf8(), bytes = std::move(bytes)]() {
        written->ok = Control::SafeFile::WriteWhole(path, bytes, written->error);
        PostMessageW(window, kWrittenMessage, 0, 0);
    });
}

void ReportJob::OnWritten() {
    if (m_writer.joinable())
        m_writer.join();
    std::shared_ptr<Written> written = std::move(m_written);
    if (written == nullptr)
        return;
    if (written->ok) {
        ShowStep(m_progress.Steps(), m_progress.Steps() - 1);
        m_progress.Close();
        Progress(L"报告已导出：" + m_path);
    } else {
        m_progress.Close();
        Progress(XStringW());
        const XStringW text = L"无法导出报告到 " + m_path + L"：" + written->error;
        MessageBoxW(::GetAncestor(m_hWnd, GA_ROOT), text.c_str(), L"导出报告", MB_OK | MB_ICONERROR);
    }
}

void ReportJob::Progress(const XStringW& text) {
    if (m_context == nullptr)
        return;
    Control::StatusNote note;
    note.text = text;
    m_context->ShowNote(note);
}
