// The wavefront of tables computed ahead of the run loop.
#include "engine/TablePipeline.h"

#include <algorithm>

#include "engine/JUXScan.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace {

inline void CpuRelax()
{
#if defined(__x86_64__) || defined(__i386__)
    _mm_pause();
#else
    std::this_thread::yield();
#endif
}

// About the time of a step or two: a predecessor that is running publishes
// within it, one that the system has put aside does not, and the core is
// better left to another thread.
constexpr int kSpins = 256;
constexpr int kRunLoopSpins = 1024;
// A table starts this many steps behind its predecessor: the two then go at
// the same pace without waiting on each other at every step.
constexpr int32_t kLead = 16;
// Once the steps it knows of are used up, a table waits for this many more:
// it then reads its predecessor's progress once per batch, not at each step.
constexpr int32_t kBatch = 8;

} // namespace

TTablePipeline::TTablePipeline(const TSetup& setup, const std::vector<TJUXScanner*>& scanners, TJUXScanner* helper)
    : setup_(setup), slots_(4 * (scanners.size() + (helper ? 1 : 0)) + 2), nextClaim_(setup.FirstId),
      nextTake_(setup.FirstId), helper_(helper), helperContext_(setup.Context)
{
    for (TSlot& slot : slots_)
        slot.Position = setup_.Context;
    workers_.reserve(scanners.size());
    try {
        for (TJUXScanner* scanner : scanners)
            workers_.emplace_back([this, scanner] { Work(*scanner); });
    } catch (...) {
        Stop();
        throw;
    }
}

TTablePipeline::~TTablePipeline() { Stop(); }

void TTablePipeline::Stop()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_.store(true, std::memory_order_relaxed);
    }
    freed_.notify_all();
    for (TSlot& slot : slots_) {
        std::lock_guard<std::mutex> lock(slot.Mutex);
        slot.Progressed.notify_all();
    }
    for (std::thread& worker : workers_)
        if (worker.joinable())
            worker.join();
    workers_.clear();
}

TTablePipeline::TSlot* TTablePipeline::Claim(int32_t& id, const TJUXClass*& predecessor,
                                             std::unique_ptr<TJUXClass>& fresh, bool wait)
{
    std::unique_lock<std::mutex> lock(mutex_);
    auto claimable = [this] {
        return stop_.load(std::memory_order_relaxed) || nextClaim_ > setup_.LastId || nextClaim_ - nextTake_ < Slots();
    };
    if (wait)
        freed_.wait(lock, claimable);
    else if (!claimable())
        return nullptr;
    if (stop_.load(std::memory_order_relaxed) || nextClaim_ > setup_.LastId)
        return nullptr;
    id = nextClaim_++;
    // Claims go in table order, so the predecessor's slot still holds it
    // (taken or not: a taken table lives on in the caller's registry).
    predecessor = id > setup_.FirstId ? slots_[size_t((id - 1) % Slots())].Computed : setup_.Predecessor;
    TSlot& slot = slots_[size_t(id % Slots())];
    slot.Table = std::move(fresh);
    if (slot.Table)
        slot.Table->Id = id;
    slot.Computed = slot.Table.get();
    slot.Error = nullptr;
    slot.Position = setup_.Context;
    slot.Progress.store(Pack(id, 0), std::memory_order_release);
    return &slot;
}

void TTablePipeline::Work(TJUXScanner& scanner)
{
    TRunContext context = setup_.Context;
    int32_t id = 0;
    const TJUXClass* predecessor = nullptr;
    for (;;) {
        // The memory of the next table is found before the claim, outside the lock.
        std::unique_ptr<TJUXClass> fresh;
        std::exception_ptr failed;
        try {
            fresh = setup_.Spares ? setup_.Spares->Take(0, setup_.PoolSize, setup_.Rows, setup_.HitWidth)
                                  : std::make_unique<TJUXClass>(0, setup_.PoolSize, setup_.Rows, setup_.HitWidth);
        } catch (...) {
            failed = std::current_exception(); // the table is claimed all the same, for Take to raise it
        }
        TSlot* slot = Claim(id, predecessor, fresh);
        if (!slot) {
            if (setup_.Spares && fresh)
                setup_.Spares->Put(std::move(fresh));
            return;
        }
        if (failed) {
            slot->Error = failed;
            Publish(*slot, id, kComplete);
            continue;
        }
        Compute(scanner, context, *slot, id, predecessor);
    }
}

void TTablePipeline::Compute(TJUXScanner& scanner, TRunContext& context, TSlot& slot, int32_t id,
                             const TJUXClass* predecessor)
{
    // Only a predecessor in flight is waited for; the caller's is complete.
    TSlot* before = id > setup_.FirstId ? &slots_[size_t((id - 1) % Slots())] : nullptr;
    try {
        if (id > 1 && !predecessor)
            throw Exception("INTERNAL ERROR : ComputeJUXAnalysis prevJUX ID");
        TJUXClass& table = *slot.Table;
        context.TablesComputed = id;
        const int32_t steps = scanner.BeginScan(table, context);
        // The predecessor's progress is read again only once the steps known
        // are used up: a read each step would pull its line from the other
        // core as often as the predecessor writes it.
        int32_t known = 0;
        for (int32_t s = 0; s < steps; ++s) {
            const int32_t needed = s == 0 ? std::min(kLead, steps) : s + 1;
            if (before && needed > known) {
                const int32_t had = known;
                if (!WaitFor(*before, id - 1, std::min(needed + kBatch - 1, steps), kSuccessor, &known))
                    return;
                // The rows just published were written on another core: fetch
                // them now rather than one miss at every step.
                for (int32_t row = had; row < std::min(known, predecessor->Rows()); ++row) {
                    __builtin_prefetch(predecessor->RowOrder(row));
                    __builtin_prefetch(predecessor->RowHit(row));
                }
            } else if (!before && stop_.load(std::memory_order_relaxed)) {
                return;
            }
            scanner.ScanStep(table, predecessor, context);
            Publish(slot, id, s + 1);
        }
        slot.Position.CurrentDraw = context.CurrentDraw;
        slot.Position.WindowStart = context.WindowStart;
        slot.Position.RowCursor = context.RowCursor;
    } catch (...) {
        slot.Error = std::current_exception();
    }
    // A failed table counts as complete: Take raises its error, and the
    // tables after it are never taken.
    Publish(slot, id, kComplete);
}

// A sleeper announces the steps it needs before its last look at the
// progress; the publisher looks at the announcements after publishing. With
// both in one total order (seq_cst) one of them sees the other. Steps are
// published cheaply (release) instead: a sleeper that a step misses is seen
// by the next step, and the last publication, of the complete table, is in
// the total order.
void TTablePipeline::Publish(TSlot& slot, int32_t id, int32_t steps)
{
    const bool last = steps == kComplete;
    slot.Progress.store(Pack(id, steps), last ? std::memory_order_seq_cst : std::memory_order_release);
    if (last)
        slot.Complete.store(id, std::memory_order_seq_cst);
    const auto look = last ? std::memory_order_seq_cst : std::memory_order_relaxed;
    const int32_t successor = slot.Awaited[kSuccessor].load(look);
    const int32_t runLoop = slot.Awaited[kRunLoop].load(look);
    if ((successor != 0 && steps >= successor) || (runLoop != 0 && steps >= runLoop)) {
        std::lock_guard<std::mutex> lock(slot.Mutex);
        slot.Progressed.notify_all();
    }
}

bool TTablePipeline::WaitFor(TSlot& slot, int32_t id, int32_t steps, TWaiter waiter, int32_t* seen)
{
    auto ready = [&] {
        if (waiter == kRunLoop)
            return slot.Complete.load(std::memory_order_seq_cst) == id;
        const int64_t progress = slot.Progress.load(std::memory_order_seq_cst);
        const int32_t shown = int32_t(progress >> 32);
        const int32_t published = shown > id ? kComplete : shown == id ? int32_t(uint32_t(progress)) : 0;
        if (seen)
            *seen = published;
        return published >= steps;
    };
    // The run loop, which has a core of its own beside the workers', waits
    // longer before it sleeps: waking it costs the worker a system call.
    const int spins = waiter == kRunLoop ? kRunLoopSpins : kSpins;
    for (int spin = 0; spin < spins; ++spin) {
        if (ready())
            return true;
        if (stop_.load(std::memory_order_relaxed))
            return false;
        CpuRelax();
    }
    std::unique_lock<std::mutex> lock(slot.Mutex);
    slot.Awaited[waiter].store(steps, std::memory_order_seq_cst);
    while (!ready() && !stop_.load(std::memory_order_relaxed))
        slot.Progressed.wait(lock);
    slot.Awaited[waiter].store(0, std::memory_order_relaxed);
    return !stop_.load(std::memory_order_relaxed);
}

bool TTablePipeline::Help()
{
    {
        // Cheap look first: the run loop helps only when a table is left to claim.
        std::lock_guard<std::mutex> lock(mutex_);
        if (stop_.load(std::memory_order_relaxed) || nextClaim_ > setup_.LastId || nextClaim_ - nextTake_ >= Slots())
            return false;
    }
    std::unique_ptr<TJUXClass> fresh =
        setup_.Spares ? setup_.Spares->Take(0, setup_.PoolSize, setup_.Rows, setup_.HitWidth)
                      : std::make_unique<TJUXClass>(0, setup_.PoolSize, setup_.Rows, setup_.HitWidth);
    int32_t id = 0;
    const TJUXClass* predecessor = nullptr;
    TSlot* slot = Claim(id, predecessor, fresh, false);
    if (!slot) {
        if (setup_.Spares && fresh)
            setup_.Spares->Put(std::move(fresh));
        return false;
    }
    Compute(*helper_, helperContext_, *slot, id, predecessor);
    return true;
}

std::unique_ptr<TJUXClass> TTablePipeline::Take(TRunContext& scanPosition)
{
    const int32_t id = nextTake_;
    if (id > setup_.LastId || Stopped())
        throw Exception("INTERNAL ERROR : Table pipeline");
    TSlot& slot = slots_[size_t(id % Slots())];
    // A whole table computed here delays the filing by one table's time, never more.
    while (helper_ && slot.Complete.load(std::memory_order_acquire) != id && Help()) {
    }
    if (!WaitFor(slot, id, kComplete, kRunLoop))
        throw Exception("INTERNAL ERROR : Table pipeline");
    std::unique_ptr<TJUXClass> table;
    bool wake = false;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (slot.Error) {
            // Nothing after a failed table is valid.
            // The workers end when the pipeline is stopped, which the caller does.
            stop_.store(true, std::memory_order_relaxed);
            freed_.notify_all();
            std::rethrow_exception(slot.Error);
        }
        table = std::move(slot.Table);
        scanPosition.CurrentDraw = slot.Position.CurrentDraw;
        scanPosition.WindowStart = slot.Position.WindowStart;
        scanPosition.RowCursor = slot.Position.RowCursor;
        nextTake_ = id + 1;
        // Workers waiting for a slot are woken once half the slots are free,
        // and then fill them in one go, instead of being woken for each.
        wake = nextClaim_ - nextTake_ <= Slots() / 2;
    }
    if (wake)
        freed_.notify_all();
    return table;
}
