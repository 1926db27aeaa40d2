// ImportJob: the worker and its hand-over to the user-interface thread.
#include "ImportJob.h"

#include <platform/background.h>

#include <exception>

ImportJob::ImportJob(HWND target, std::string database, std::vector<std::string> inputs, bool skipBad)
    : m_target(target), m_database(std::move(database)), m_inputs(std::move(inputs)), m_skipBad(skipBad) {}

ImportJob::~ImportJob() {
    if (m_thread.joinable()) {
        m_cancel = true;
        m_thread.join();
    }
}

void ImportJob::Start() {
    if (m_thread.joinable())
        return;
    PlatformBeginBackgroundWork();
    m_thread = std::thread([this] { Work(); });
}

void ImportJob::Work() {
    FundImport::Options options;
    options.cancel = &m_cancel;
    options.skipBad = m_skipBad;
    options.progress = [this](const FundImport::Progress& progress) {
        {
            std::lock_guard<std::mutex> hold(m_lock);
            m_progress = progress;
        }
        // One message waits at a time: the window reads the latest progress when it comes.
        if (!m_progressPosted.exchange(true))
            PostMessageW(m_target, kProgressMessage, 0, 0);
    };
    FundImport::Result result;
    try {
        result = FundImport::Import(m_database, m_inputs, options);
    } catch (const std::exception& failure) {
        // The engine reports its failures in the result; anything that still escapes it (memory
        // running out) must not end the program, and the transaction was never committed.
        result = FundImport::Result{};
        result.error = failure.what();
    }
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_result = std::move(result);
    }
    m_done = true;
    PostMessageW(m_target, kDoneMessage, 0, 0);
    PlatformEndBackgroundWork();
}

FundImport::Progress ImportJob::TakeProgress() {
    m_progressPosted = false;
    std::lock_guard<std::mutex> hold(m_lock);
    return m_progress;
}

std::optional<FundImport::Result> ImportJob::Finish() {
    if (!m_done || m_finished)
        return std::nullopt;
    if (m_thread.joinable())
        m_thread.join();
    m_finished = true;
    std::lock_guard<std::mutex> hold(m_lock);
    return m_result;
}
