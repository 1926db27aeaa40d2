#include "RowPipe.h"

#include <utility>

namespace SampleDb {

RowBatch RowPipe::TakeEmpty() {
    std::lock_guard lock(m_mutex);
    if (m_empty.empty())
        return {};
    RowBatch batch = std::move(m_empty.back());
    m_empty.pop_back();
    return batch;
}

bool RowPipe::Send(RowBatch batch) {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] { return m_stopped || m_full.size() < m_capacity; });
    if (m_stopped)
        return false;
    m_full.push_back(std::move(batch));
    m_changed.notify_all();
    return true;
}

void RowPipe::Finish(std::exception_ptr error) {
    std::lock_guard lock(m_mutex);
    m_finished = true;
    m_error = std::move(error);
    m_changed.notify_all();
}

bool RowPipe::Receive(RowBatch& batch) {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] { return !m_full.empty() || m_finished; });
    if (m_error)
        std::rethrow_exception(m_error);
    if (!m_full.empty()) {
        batch = std::move(m_full.front());
        m_full.pop_front();
        m_changed.notify_all();
        return true;
    }
    return false;
}

void RowPipe::Return(RowBatch batch) {
    batch.Clear();
    std::lock_guard lock(m_mutex);
    m_empty.push_back(std::move(batch));
}

void RowPipe::Stop() {
    std::lock_guard lock(m_mutex);
    m_stopped = true;
    m_full.clear();
    m_changed.notify_all();
}

} // namespace SampleDb
