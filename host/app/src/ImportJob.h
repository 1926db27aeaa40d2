// ImportJob: one import of data files into a fund database, run on a worker thread so that the
// window stays responsive while it reads, with what it has come to posted back to a window of the
// user-interface thread.
//
// The worker calls the import engine (FundImport::Import) and touches nothing else: the latest
// progress is kept under a lock and announced with kProgressMessage (at most one such message is
// waiting at a time, however fast the rows come), and the end with kDoneMessage, after which
// Finish joins the worker and hands out the result. Cancel asks the engine to stop; the engine then
// writes nothing. The job announces itself as background work while it runs, so that a scripted
// run on the headless screen waits for its end as a person would.
#pragma once

#include <FundImporter.h>

#include <platform/windows.h>

#include <atomic>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

class ImportJob {
public:
    static constexpr UINT kProgressMessage = WM_APP + 0x61;
    static constexpr UINT kDoneMessage = WM_APP + 0x62;

    // `target` receives the messages; `database` is created when it does not exist. With `skipBad`
    // the good rows are written even when some are bad.
    ImportJob(HWND target, std::string database, std::vector<std::string> inputs, bool skipBad = false);
    // Cancels a job still running and waits for its worker: nothing it would have written is.
    ~ImportJob();
    ImportJob(const ImportJob&) = delete;
    ImportJob& operator=(const ImportJob&) = delete;

    void Start();
    void Cancel() { m_cancel = true; }
    bool Cancelling() const { return m_cancel; }
    bool Running() const { return m_thread.joinable() && !m_finished; }

    // What the worker has come to; taking it lets the next progress message be posted.
    FundImport::Progress TakeProgress();
    // After kDoneMessage: joins the worker and gives the result (once; nullopt before the end).
    std::optional<FundImport::Result> Finish();

    const std::string& Database() const { return m_database; }
    const std::vector<std::string>& Inputs() const { return m_inputs; }

private:
    void Work();

    HWND m_target;
    std::string m_database;
    std::vector<std::string> m_inputs;
    bool m_skipBad;
    std::atomic<bool> m_cancel{false};
    std::atomic<bool> m_progressPosted{false};
    std::atomic<bool> m_done{false};
    bool m_finished = false;
    std::mutex m_lock;
    FundImport::Progress m_progress;
    FundImport::Result m_result;
    std::thread m_thread;
};
