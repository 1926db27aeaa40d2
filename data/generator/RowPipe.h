// Hands batches of rows from one producing thread to one consuming thread.
//
// At most `capacity` batches wait at a time, so a producer that runs ahead of the consumer is held
// back instead of filling memory; emptied batches travel back to be filled again, so their buffers
// are allocated once. Either side can give up: the consumer with Stop (the producer's next Send
// returns false), the producer with Finish and its exception (the consumer's next Receive throws it).
#pragma once

#include "RowBatch.h"

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <mutex>
#include <vector>

namespace SampleDb {

class RowPipe {
public:
    explicit RowPipe(std::size_t capacity) : m_capacity(capacity == 0 ? 1 : capacity) {}

    // Producer: an empty batch, recycled when the consumer has returned one.
    RowBatch TakeEmpty();
    // Producer: queues a batch, waiting while the pipe is full. False (and the batch dropped) once
    // the consumer has stopped.
    bool Send(RowBatch batch);
    // Producer: no more batches; `error`, when set, is rethrown by the consumer's next Receive, which
    // drops the batches still waiting: a failed producer's rows are of no use.
    void Finish(std::exception_ptr error = nullptr);

    // Consumer: waits for the next batch; false when the producer has finished and every batch is
    // taken. Rethrows the producer's error.
    bool Receive(RowBatch& batch);
    // Consumer: gives an emptied batch back for reuse.
    void Return(RowBatch batch);
    // Consumer: takes no more batches; wakes a waiting producer, whose Send then returns false.
    void Stop();

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::size_t m_capacity;
    std::deque<RowBatch> m_full;
    std::vector<RowBatch> m_empty;
    std::exception_ptr m_error;
    bool m_finished = false; // the producer sends no more
    bool m_stopped = false;  // the consumer takes no more
};

} // namespace SampleDb
