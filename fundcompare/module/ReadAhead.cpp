// ReadAhead: the jobs, the worker thread and the hand-over of results.
//
// Sections: jobs and the shared state; life; asking; the fund list; the performance universe; the
// risk-return universe; histories; the worker and its messages.
#include "module/ReadAhead.h"

#include "pages/performance/PerformanceQueries.h"
#include "wgui/ModuleInstance.h"
#include "wgui/Verify.h"

#include <platform/background.h>
#include <sdk/Kernel.h>

#include <algorithm>
#include <set>

// ---- Jobs and the shared state ------------------------------------------------------------------

// One piece of reading. The user-interface thread fills in what is asked and the worker what came
// back; `done`, set under the shared lock after the result is written, tells the user-interface
// thread that the result may be read.
struct ReadAhead::Job {
    Kind kind = Kind::kPerformance;
    unsigned generation = 0;
    long long version = 0;       // the data version when the job was queued
    XStringW year;               // the performance universe's year; found by the worker when empty
    std::vector<XStringW> codes; // the histories asked for, ascending
    XStringW sql;                // the fund list's statement
    // Made by the user-interface thread, filled by the worker alone, read only once `done`.
    XComPtr<Data::IDataTable> funds;
    bool done = false;
    bool ok = false;
    XStringW error;
    PerformanceUniverse performance;
    RiskUniverse risk;
    GrowthHistory history;
};

struct ReadAhead::Shared {
    std::mutex mutex;
    std::deque<std::shared_ptr<Job>> queue;
    XComPtr<Data::IDatabase> connection; // used by the worker alone while it runs
    HWND window = nullptr;
    std::condition_variable released;
    bool running = false;  // a worker thread is at work, or about to start
    bool stopping = false; // the queue is being given up
    bool held = false;     // the worker waits before its next job
    // A job of this generation failed: the worker gave up the queue and no job is taken any more,
    // so that a database that fails every statement is not read again and again.
    bool failed = false;
};

namespace {

constexpr WPARAM kFinished = 0xFF; // the worker ran out of work and ends
constexpr const wchar_t kWindowClass[] = L"Quenda2_ReadAhead";

size_t SlotOf(ReadAhead::Kind kind) {
    return static_cast<size_t>(kind);
}

// The latest year with year returns, as the performance page reads it when it is built.
XStringW LatestYear(Data::IDatabase* database) {
    XStringW year;
    XComPtr<Data::IStatement> statement;
    XStringW error;
    if (database->Query(statement.Receive(), kLatestYearQuery, error) && statement)
        while (statement->Next())
            statement->GetString(year, 0);
    return SafeYear(year);
}

} // namespace

ReadAhead::ReadAhead() : m_shared(std::make_shared<Shared>()) {}

ReadAhead::~ReadAhead() {
    StopWorker();
    // A module that goes without Uninitialize leaves its message-only window behind; a message
    // still on its way to it must find no ReadAhead there.
    if (m_window != nullptr)
        SetWindowLongPtrW(m_window, GWLP_USERDATA, 0);
}

// ---- Life ---------------------------------------------------------------------------------------

void ReadAhead::Start(Data::IDatabase* database, const std::vector<XStringW>& compared,
                      const XStringW& fundsSql) {
    StopWorker();
    m_database = database;
    m_versions = nullptr;
    m_connection = nullptr;
    XComPtr<Data::IDatabase> held(database);
    m_versions = held.As<Data::IDatabaseConnections>();
    if (m_versions == nullptr)
        return;
    XStringW error;
    if (!m_versions->OpenConnection(m_connection.Receive(), error) || m_connection == nullptr) {
        m_connection = nullptr;
        return;
    }
    if (m_window == nullptr) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = &ReadAhead::WindowProcedure;
        wc.hInstance = WGUI::ModuleInstance();
        wc.lpszClassName = kWindowClass;
        RegisterClassExW(&wc);
        m_window = CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   WGUI::ModuleInstance(), nullptr);
        if (m_window == nullptr) {
            m_connection = nullptr;
            return;
        }
        SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    {
        std::lock_guard<std::mutex> lock(m_shared->mutex);
        m_shared->connection = m_connection;
        m_shared->window = m_window;
        m_shared->stopping = false;
        m_shared->failed = false;
    }
    // The fund list first, which the workspace needs the moment it is shown; then the two
    // universes, in the order of the tabs; then the compared funds' histories.
    if (!fundsSql.empty())
        Funds(fundsSql);
    auto performance = std::make_shared<Job>();
    performance->kind = Kind::kPerformance;
    Queue(std::move(performance));
    auto risk = std::make_shared<Job>();
    risk->kind = Kind::kRisk;
    Queue(std::move(risk));
    if (!compared.empty()) {
        auto histories = std::make_shared<Job>();
        histories->kind = Kind::kHistory;
        histories->codes = compared;
        Queue(std::move(histories));
    }
}

void ReadAhead::Stop() {
    StopWorker();
    if (m_window != nullptr) {
        ::DestroyWindow(m_window);
        m_window = nullptr;
    }
}

void ReadAhead::StopWorker() {
    ++m_generation;
    {
        std::lock_guard<std::mutex> lock(m_shared->mutex);
        m_shared->stopping = true;
        m_shared->queue.clear();
    }
    m_shared->released.notify_all();
    // The statement under way ends at its next step with an error, which nobody will read.
    if (XComPtr<Data::IDatabaseConnections> connection = m_connection.As<Data::IDatabaseConnections>())
        connection->Interrupt();
    JoinWorker();
    for (auto& slot : m_slots)
        slot.reset();
    {
        std::lock_guard<std::mutex> lock(m_shared->mutex);
        m_shared->connection = nullptr;
        m_shared->failed = false;
    }
    m_connection = nullptr;
    m_versions = nullptr;
    m_database = nullptr;
}

void ReadAhead::HoldWorker(bool hold) {
    {
        std::lock_guard<std::mutex> lock(m_shared->mutex);
        m_shared->held = hold;
    }
    m_shared->released.notify_all();
}

ReadAhead::Job* ReadAhead::Slot(Kind kind) {
    return m_slots[SlotOf(kind)].get();
}

bool ReadAhead::Fresh(const Job& job) {
    return m_versions == nullptr || m_versions->DataVersion() == job.version;
}

bool ReadAhead::Done(const Job& job) {
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    return job.done;
}

// ---- Asking -----------------------------------------------------------------------------------------

AheadResult ReadAhead::Fetch(const AheadRequest& request) {
    State state = State::kUnavailable;
    switch (request.kind) {
    case Kind::kFunds:
        state = Funds(request.sql);
        break;
    case Kind::kPerformance:
        state = Performance(request.year);
        break;
    case Kind::kRisk:
        state = Risk();
        break;
    case Kind::kHistory:
        state = Histories(request.codes);
        break;
    }
    switch (state) {
    case State::kUnavailable:
        return AheadResult::ReadHere(request.kind);
    case State::kPending:
        return AheadResult::OnItsWay(request.kind);
    case State::kReady:
        break;
    }
    return Take(request.kind);
}

AheadResult ReadAhead::Take(Kind kind) {
    std::shared_ptr<Job> job = std::move(m_slots[SlotOf(kind)]);
    // A job of an earlier generation was forgotten with its worker; finding one here would hand
    // out what was read from another database.
    if (!FC_VERIFY(job != nullptr && job->generation == m_generation))
        return AheadResult::ReadHere(kind);
    if (kind != Kind::kFunds)
        ++m_handed;
    switch (kind) {
    case Kind::kFunds:
        return AheadResult::Ready(kind, job->ok, std::move(job->error), std::move(job->funds));
    case Kind::kPerformance:
        return AheadResult::Ready(kind, job->ok, std::move(job->error), std::move(job->performance));
    case Kind::kRisk:
        return AheadResult::Ready(kind, job->ok, std::move(job->error), std::move(job->risk));
    case Kind::kHistory:
        break;
    }
    return AheadResult::Ready(kind, job->ok, std::move(job->error), std::move(job->history));
}

// ---- The fund list ----------------------------------------------------------------------------------

ReadAhead::State ReadAhead::Funds(const XStringW& sql) {
    if (!Available())
        return State::kUnavailable;
    Job* job = Slot(Kind::kFunds);
    if (job != nullptr && job->sql == sql) {
        if (!Done(*job))
            return State::kPending;
        if (Fresh(*job))
            return State::kReady;
    }
    auto fresh = std::make_shared<Job>();
    fresh->kind = Kind::kFunds;
    fresh->sql = sql;
    XComPtr<IXUnknown> object;
    object.Attach(createInstance("Data.DataTable"));
    fresh->funds = object.As<Data::IDataTable>();
    if (fresh->funds == nullptr)
        return State::kUnavailable;
    return Queue(std::move(fresh)) ? State::kPending : State::kUnavailable;
}

// ---- The performance universe ---------------------------------------------------------------------

ReadAhead::State ReadAhead::Performance(const XStringW& year) {
    if (!Available())
        return State::kUnavailable;
    Job* job = Slot(Kind::kPerformance);
    bool done = false;
    XStringW jobYear;
    if (job != nullptr) {
        // The worker writes the year it found together with `done`.
        std::lock_guard<std::mutex> lock(m_shared->mutex);
        done = job->done;
        jobYear = job->year;
    }
    // A job queued without a year finds it itself; until then it may be the one asked for.
    if (job != nullptr && !done && (jobYear.empty() || jobYear == year))
        return State::kPending;
    if (job != nullptr && done && jobYear == year && Fresh(*job))
        return State::kReady;
    auto fresh = std::make_shared<Job>();
    fresh->kind = Kind::kPerformance;
    fresh->year = year;
    return Queue(std::move(fresh)) ? State::kPending : State::kUnavailable;
}

// ---- The risk-return universe ---------------------------------------------------------------------

ReadAhead::State ReadAhead::Risk() {
    if (!Available())
        return State::kUnavailable;
    Job* job = Slot(Kind::kRisk);
    if (job != nullptr && !Done(*job))
        return State::kPending;
    if (job != nullptr && Fresh(*job))
        return State::kReady;
    auto fresh = std::make_shared<Job>();
    fresh->kind = Kind::kRisk;
    return Queue(std::move(fresh)) ? State::kPending : State::kUnavailable;
}

// ---- Histories ------------------------------------------------------------------------------------

ReadAhead::State ReadAhead::Histories(const std::vector<XStringW>& codes) {
    if (!Available())
        return State::kUnavailable;
    std::vector<XStringW> wanted = codes;
    std::sort(wanted.begin(), wanted.end());
    wanted.erase(std::unique(wanted.begin(), wanted.end()), wanted.end());
    Job* job = Slot(Kind::kHistory);
    if (job != nullptr && std::includes(job->codes.begin(), job->codes.end(), wanted.begin(), wanted.end())) {
        if (!Done(*job))
            return State::kPending;
        if (Fresh(*job))
            return State::kReady;
    }
    auto fresh = std::make_shared<Job>();
    fresh->kind = Kind::kHistory;
    fresh->codes = std::move(wanted);
    return Queue(std::move(fresh)) ? State::kPending : State::kUnavailable;
}

// ---- The worker and its messages ------------------------------------------------------------------

bool ReadAhead::Queue(std::shared_ptr<Job> job) {
    job->generation = m_generation;
    job->version = m_versions != nullptr ? m_versions->DataVersion() : 0;
    std::sort(job->codes.begin(), job->codes.end());
    bool start = false;
    {
        std::lock_guard<std::mutex> lock(m_shared->mutex);
        // After a failure the asker reads for itself, once, where it reports what goes wrong.
        if (m_shared->failed)
            return false;
        m_shared->queue.push_back(job);
        start = !m_shared->running;
        m_shared->running = true;
    }
    // A job given up while the worker holds it is freed by whichever of the two lets go last.
    m_slots[SlotOf(job->kind)] = job;
    if (start) {
        // The previous worker said it was ending; it is waited for before another starts.
        if (m_thread.joinable())
            m_thread.join();
        PlatformBeginBackgroundWork();
        m_thread = std::thread(&ReadAhead::Work, m_shared);
    }
    return true;
}

void ReadAhead::JoinWorker() {
    if (m_thread.joinable())
        m_thread.join();
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    m_shared->running = false;
}

void ReadAhead::Work(std::shared_ptr<Shared> shared) {
    HWND window = nullptr;
    for (;;) {
        std::shared_ptr<Job> job;
        XComPtr<Data::IDatabase> connection;
        {
            std::unique_lock<std::mutex> lock(shared->mutex);
            shared->released.wait(lock, [&] { return !shared->held || shared->stopping; });
            window = shared->window;
            if (shared->stopping || shared->queue.empty() || shared->connection == nullptr) {
                shared->running = false;
                break;
            }
            job = shared->queue.front();
            shared->queue.pop_front();
            connection = shared->connection;
        }
        bool ok = false;
        XStringW error;
        XStringW year = job->year;
        switch (job->kind) {
        case Kind::kPerformance:
            if (year.empty())
                year = LatestYear(connection);
            ok = job->performance.Load(connection, year, error);
            break;
        case Kind::kRisk:
            ok = job->risk.Load(connection, error);
            break;
        case Kind::kHistory:
            ok = job->history.Sync(connection, job->codes, error);
            break;
        case Kind::kFunds:
            ok = connection->Execute(job->sql.c_str(), job->funds, 1, 0);
            if (!ok)
                connection->GetLastError(error);
            break;
        }
        {
            std::lock_guard<std::mutex> lock(shared->mutex);
            job->ok = ok;
            job->error = std::move(error);
            job->year = std::move(year);
            job->done = true;
            // The jobs still queued would most likely fail the same way; their askers are
            // released when the failure arrives.
            if (!ok) {
                shared->failed = true;
                shared->queue.clear();
            }
        }
        PostMessageW(window, kArrivedMessage, static_cast<WPARAM>(job->kind), job->generation);
    }
    // The last message of this thread: the user-interface thread joins it when it comes.
    PostMessageW(window, kArrivedMessage, kFinished, 0);
    PlatformEndBackgroundWork();
}

LRESULT CALLBACK ReadAhead::WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kArrivedMessage) {
        if (auto* self = reinterpret_cast<ReadAhead*>(GetWindowLongPtrW(window, GWLP_USERDATA)))
            self->OnArrived(wParam, static_cast<unsigned>(lParam));
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void ReadAhead::OnArrived(WPARAM what, unsigned generation) {
    if (what == kFinished) {
        bool running = false;
        {
            std::lock_guard<std::mutex> lock(m_shared->mutex);
            running = m_shared->running;
        }
        // A worker started since this one ended is left to work.
        if (!running && m_thread.joinable())
            m_thread.join();
        return;
    }
    // A message of a worker given up with its generation is still in the queue when it ends: its
    // result was forgotten with it, and is not news.
    if (generation != m_generation || !FC_VERIFY(what < static_cast<WPARAM>(kKindCount)))
        return;
    const Kind kind = static_cast<Kind>(what);
    bool failed = false;
    bool done = false;
    std::vector<Kind> news;
    {
        std::lock_guard<std::mutex> lock(m_shared->mutex);
        failed = m_shared->failed;
        Job* job = Slot(kind);
        done = job != nullptr && job->done;
        // After a failure the worker runs nothing more: a job not done by now never will be. It is
        // forgotten, and whoever waits for its kind is told, so that it asks again and reads for
        // itself instead of waiting for ever.
        if (failed)
            for (int k = 0; k < kKindCount; ++k)
                if (m_slots[k] != nullptr && !m_slots[k]->done) {
                    m_slots[k].reset();
                    news.push_back(static_cast<Kind>(k));
                }
    }
    // Otherwise an unfinished job is an older one of the kind, given up; the current one follows.
    if (done)
        news.insert(news.begin(), kind);
    if (m_listener)
        for (Kind each : news)
            m_listener(each);
}
