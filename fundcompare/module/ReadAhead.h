// ReadAhead: reads what the pages will need before they need it, on a worker thread with a
// database connection of its own, so that showing a page never waits for a statement over the
// whole fund universe: the list of every fund that the workspace's fund picker offers, the
// performance universe (every fund ranked over thirteen periods), the risk-return universe (every
// fund's figures, the index weeks, the type averages) and the net-value histories of the compared
// funds.
//
// The worker runs read-only statements on its own connection and touches no window and no table a
// window shows: it hands each finished result to the user-interface thread with a posted message
// to a message-only window, and the workspace passes the news on to the page that waits for that
// kind. A page asks for its data (Fetch, through its context) when it would have read it itself,
// and gets one typed answer (AheadResult): ready, with the data or the error of the statement; on
// its way (it shows that it is loading, and is handed the result when it arrives); or read it
// yourself (the database offers no further connection, or the host runs the module on one thread
// only), in which case it reads for itself as it always did. A failed statement comes back as its
// error text, which the page reports where it would have reported its own failure.
//
// The first failed statement ends the reading of a generation: the jobs still queued are given up,
// the pages that wait for them are told, and every later request is answered "read it yourself",
// so that a database that broke under the program is not read again and again, and each page
// reports the failure where it reports its own.
//
// A result read before the data changed (another program wrote to the database) is not handed
// out: asking for it starts the reading anew. A change of database (Start again) or the end of
// the module (Stop) interrupts the statement under way and forgets every result.
//
// The thread lives only while there is work: it ends when its queue is empty, and the
// user-interface thread joins it when the last result arrives, so that no thread idles in the
// background of a program that is not reading.
//
// Sections: life; asking (the one place a result is taken); where each kind stands; the worker.
#pragma once

#include "pages/common/AheadResult.h"
#include "pages/growth/GrowthHistory.h"
#include "pages/performance/PerformanceUniverse.h"
#include "pages/riskreturn/RiskUniverse.h"

#include <platform/windows.h>
#include <sdk/Data.h>
#include <sdk/XComPtr.h>

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

class ReadAhead {
public:
    using Kind = AheadKind;
    static constexpr int kKindCount = kAheadKindCount;
    // The user-interface thread hears of every result that arrives.
    using Listener = std::function<void(Kind)>;
    // The message that carries a result to the message-only window.
    static constexpr UINT kArrivedMessage = WM_APP + 0x51;

    ReadAhead();
    ~ReadAhead();
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    // ---- Life ----
    // Attaches to a database and starts reading ahead the fund list of `fundsSql` (first, when it
    // is not empty), the two universes, and the histories of `compared` (the compared funds now).
    // A database that offers no further connection leaves the service unavailable. Whatever was
    // read from another database is forgotten.
    void Start(Data::IDatabase* database, const std::vector<XStringW>& compared,
               const XStringW& fundsSql = XStringW());
    // Interrupts the reading under way, waits for the worker, forgets every result and lets the
    // message-only window go (the module's Uninitialize).
    void Stop();
    void SetListener(Listener listener) { m_listener = std::move(listener); }
    bool Available() const { return m_connection != nullptr; }
    // Results handed out to the pages (the fund list is not a page's), for inspection.
    int Handed() const { return m_handed; }
    // For tests: the worker waits before each job while held (a Stop releases it), so that a page
    // can be shown while its data are still on the way.
    void HoldWorker(bool hold);

    // ---- Asking ----
    // The answer to a request, taken in this one place. The fund list is the result of the
    // statement `sql` as a table, as IDatabase::Execute makes it; the performance universe that of
    // the latest year the page uses (four digits); the histories are ready when a finished reading
    // covers every fund asked for. A reading of another statement or year, or from before a change
    // of the data, is not handed out: a new one starts and the answer is "on its way". A finished
    // result is handed out once.
    AheadResult Fetch(const AheadRequest& request);

private:
    struct Job;
    struct Shared;
    // Where a piece of reading stands for the asker.
    enum class State {
        kUnavailable, // no worker: the asker reads for itself
        kPending,     // under way: the result follows as a notification
        kReady,       // finished: take it
    };

    // ---- Where each kind stands (a new reading is queued when none fits) ----
    State Funds(const XStringW& sql);
    State Performance(const XStringW& year);
    State Risk();
    State Histories(const std::vector<XStringW>& codes);

    // ---- The worker ----
    // Queues a job and makes it the kind's; false, queuing nothing, once a job of this generation
    // has failed.
    bool Queue(std::shared_ptr<Job> job);
    void JoinWorker();
    // Interrupts, joins and forgets, keeping the window.
    void StopWorker();
    static void Work(std::shared_ptr<Shared> shared);
    void OnArrived(WPARAM what, unsigned generation);
    static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // The job of a kind: queued, running or finished (null when none).
    Job* Slot(Kind kind);
    bool Fresh(const Job& job);
    // Whether the worker has finished the job (read under the lock the worker writes it under).
    bool Done(const Job& job);
    // Moves the finished result of a kind out of its job into the answer and forgets the job. Pages'
    // results count as handed over, the fund list not.
    AheadResult Take(Kind kind);

    XComPtr<Data::IDatabase> m_database;            // the user-interface thread's connection
    XComPtr<Data::IDatabaseConnections> m_versions; // its data version
    XComPtr<Data::IDatabase> m_connection;          // the worker's connection
    HWND m_window = nullptr;
    Listener m_listener;
    std::shared_ptr<Shared> m_shared;
    std::thread m_thread;
    unsigned m_generation = 0;
    int m_handed = 0;
    std::shared_ptr<Job> m_slots[kKindCount]; // the job of each kind, shared with the worker while it runs
};
