// Tables computed ahead of the run loop on worker threads and handed to it in
// table order.
//
// Table k + 1 reads only table k's rows, and step s of its scan only what
// table k's steps 0 .. s wrote (TJUXScanner::ScanStep). Several tables are
// therefore computed at once, each following its predecessor step by step (a
// wavefront): a worker takes the next table, and before each step waits
// until the predecessor has published enough steps.
//
// Who waits on what:
//  - a worker with no table waits for free slots (at most Slots() tables
//    are in flight: taken by a worker and not yet handed over; it is woken
//    when half of them are free) or for Stop;
//  - a worker between two steps waits for its predecessor's progress;
//  - the run loop, in Take, waits for the table it files next to be complete;
//    while it would wait and a slot is free, it computes the next unclaimed
//    table itself with the helper scanner (then files what is complete).
// A wait spins briefly (a step takes well under a microsecond), then sleeps
// until the progress it waits for is published or Stop is called.
//
// Hand-over: a table belongs to its worker until its last step is
// published; Take then moves it to the caller, whose registry owns it from
// there. The first table's predecessor is the caller's newest table: it must
// stay alive and unchanged until Stop has returned. Workers read nothing else
// of the caller's: each has its own scanner (draws loaded before the workers
// start) and its own copy of the run context.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "engine/JUXEngine.h"

class TJUXScanner;

class TTablePipeline {
public:
    struct TSetup {
        TRunContext Context;                    // the run's, with TablesComputed = FirstId - 1
        const TJUXClass* Predecessor = nullptr; // of FirstId; null when FirstId is 1
        int32_t FirstId = 1;
        int32_t LastId = 0; // no table after it is computed
        int32_t PoolSize = 0, Rows = 0, HitWidth = 0;
        TTableSpares* Spares = nullptr; // where new tables come from, when given
    };
    // One worker per scanner; the scanners' draws are already loaded, and
    // they are the workers' alone until Stop has returned. `helper`, when
    // given, is the run loop's own scanner for the tables it computes in Take.
    TTablePipeline(const TSetup& setup, const std::vector<TJUXScanner*>& scanners, TJUXScanner* helper = nullptr);
    ~TTablePipeline();
    TTablePipeline(const TTablePipeline&) = delete;
    TTablePipeline& operator=(const TTablePipeline&) = delete;

    // The ID Take hands over next, and the last one it can.
    int32_t NextId() const { return nextTake_; }
    int32_t LastId() const { return setup_.LastId; }
    int32_t Slots() const { return int32_t(slots_.size()); }
    bool Stopped() const { return stop_.load(std::memory_order_relaxed); }

    // Waits for table NextId() to be complete and hands it over with the scan
    // position (CurrentDraw, WindowStart, RowCursor) its scan left in the
    // context. Rethrows what its computation raised. Only before Stop and
    // only up to LastId.
    std::unique_ptr<TJUXClass> Take(TRunContext& scanPosition);

    // Workers drop their tables and end; afterwards no thread reads any table.
    void Stop();

private:
    static constexpr int32_t kComplete = INT32_MAX; // steps published by a finished table

    // The two kinds of thread that wait on a slot: the worker of the next
    // table, and the run loop.
    enum TWaiter { kSuccessor = 0, kRunLoop = 1 };
    struct TSlot {
        // (table ID << 32) | steps published, set by the table's worker.
        alignas(64) std::atomic<int64_t> Progress{0};
        // The ID of the table once complete, on a line of its own: the run
        // loop waits on it without taking the progress line from the worker.
        alignas(64) std::atomic<int32_t> Complete{0};
        // Steps a waiter asleep on this slot needs; 0 when none sleeps.
        std::atomic<int32_t> Awaited[2] = {0, 0};
        // Where its waiters sleep: each slot its own, so that the workers of
        // other tables never contend for it.
        alignas(64) std::mutex Mutex;
        std::condition_variable Progressed; // a progress a sleeper awaits was published, or Stop
        std::unique_ptr<TJUXClass> Table;
        const TJUXClass* Computed = nullptr; // the table, also once taken
        TRunContext Position;
        std::exception_ptr Error;
    };
    static int64_t Pack(int32_t id, int32_t steps) { return int64_t(id) << 32 | uint32_t(steps); }

    void Work(TJUXScanner& scanner);
    // Claims the next table, with `fresh` as its memory, and finds its
    // predecessor; null when stopped or past LastId.
    // `wait`: for a free slot; without it null when none is free.
    TSlot* Claim(int32_t& id, const TJUXClass*& predecessor, std::unique_ptr<TJUXClass>& fresh, bool wait = true);
    // The run loop computes the next unclaimed table; false when none may be claimed.
    bool Help();
    void Compute(TJUXScanner& scanner, TRunContext& context, TSlot& slot, int32_t id, const TJUXClass* predecessor);
    void Publish(TSlot& slot, int32_t id, int32_t steps);
    // True once `slot` shows table `id` with at least `steps` steps, or a
    // later table (`id` was taken, so it is complete); false when stopped.
    // `seen`, when given, receives the steps found published.
    bool WaitFor(TSlot& slot, int32_t id, int32_t steps, TWaiter waiter, int32_t* seen = nullptr);

    const TSetup setup_;
    std::vector<TSlot> slots_;
    std::mutex mutex_;              // the claims and the hand-over
    std::condition_variable freed_; // slots were freed, or Stop
    std::atomic<bool> stop_{false};
    int32_t nextClaim_ = 0; // under mutex_
    int32_t nextTake_ = 0;  // the run loop's; read by workers under mutex_
    std::vector<std::thread> workers_;
    TJUXScanner* helper_ = nullptr;
    // Written at every step of a table the run loop computes: on lines of
    // its own, apart from the state every thread reads.
    alignas(64) TRunContext helperContext_;
    char helperPad_[64] = {};
};
