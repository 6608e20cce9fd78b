// Start of a run, the run loop and the table registry.
#include "engine/JUXEngine.h"

#include <algorithm>
#include <system_error>
#include <thread>

#include "engine/GameOptions.h"
#include "engine/JUXScan.h"
#include "engine/TablePipeline.h"

TJUXEngine::TJUXEngine(const TGameOptions& options) : options_(options), scanner_(std::make_unique<TJUXScanner>())
{
    TableIds.SetOrder(TIntegerStore::kAscending);
}

TJUXEngine::~TJUXEngine() { StopPipeline(); }

int32_t TJUXEngine::MachineThreads()
{
    return std::clamp<int32_t>(int32_t(std::min<unsigned>(std::thread::hardware_concurrency(), kMaxThreads)), 1,
                               kMaxThreads);
}

int32_t TJUXEngine::ResolveThreads(int32_t threads)
{
    return threads <= 0 ? MachineThreads() : std::min(threads, kMaxThreads);
}

const TDrawClass& TJUXEngine::Game() const
{
    if (!options_.Game)
        throw Exception("INTERNAL ERROR : No game open");
    return *options_.Game;
}

void TJUXEngine::StartRun()
{
    Context.ReservedState = 0;
    Context.TablesComputed = 0;
    Context.RowCursor = 0;
    const TGameInfo& info = Game().GameInfo();
    Context.FieldDefsCopy = info.Fields;
    Context.AnalysedField = options_.FieldSelected;
    Context.StatWindow = options_.MaxStatData;
    Context.TestedDraws = options_.TotalTestDraws;

    if (Context.AnalysedField > 1 && info.Field2Kind == 0)
        throw Exception("INTERNAL ERROR : Field 2 inactive");
    if (Context.AnalysedField < 1 || Context.AnalysedField > 2)
        throw Exception(Format("INTERNAL ERROR : Invalid field request (%d)", Context.AnalysedField));
    Context.CombinedSecondField = Context.AnalysedField > 1 && info.Field2Kind == 2;
    if (Context.CombinedSecondField)
        Context.AnalysedField = 1;
    const TGameField& field = Context.FieldDefsCopy[size_t(Context.AnalysedField - 1)];
    Context.PoolSize = field.Total;
    Context.DrawnCount = field.Picked;
    Context.SecondDrawnCount = Context.FieldDefsCopy[1].Picked;
    for (int32_t f = 1; f <= Context.AnalysedField; ++f)
        if (Context.FieldDefsCopy[size_t(f - 1)].Ordered)
            throw Exception("INTERNAL ERROR : Game from same container detected.");
    // A definition that passed the game model's checks always fits; anything
    // else would address numbers outside the score table.
    const int32_t k = Context.HitWidth();
    if (Context.PoolSize < 2 || Context.PoolSize > TJUXScanner::kMaxPool || Context.DrawnCount < 1 ||
        k > TJUXScanner::kMaxHitWidth || (field.Lowest != 0 && field.Lowest != 1) ||
        (Context.CombinedSecondField && (Context.FieldDefsCopy[1].Picked < 1)))
        throw Exception("INTERNAL ERROR : Invalid field definition");

    ClearTables();
    Lists.Clear();
    Lists.BuildLists(Context.PoolSize, k, options_.MaximumJUXsPerColumn);
    FillHitProbabilities();
    scanner_->Invalidate();
    refreshOwed_ = false;
    refreshed_ = false;
}

int32_t TJUXEngine::Rows() const
{
    const int64_t rows = int64_t(Context.TestedDraws) + Context.StatWindow + options_.RunFactorOverhead;
    return rows < 0 ? 0 : rows > INT32_MAX ? INT32_MAX : int32_t(rows);
}

std::unique_ptr<TJUXClass> TJUXEngine::CreateTable(int32_t id) const
{
    return spares_.Take(id, Context.PoolSize, Rows(), Context.HitWidth());
}

void TJUXEngine::RecycleTable(int position)
{
    std::unique_ptr<TJUXClass> table(TableRegistry.Extract(position));
    if (table)
        TableIds.DeleteInt(position);
    spares_.Put(std::move(table));
}

void TJUXEngine::SetThreads(int32_t threads)
{
    threads_ = ResolveThreads(threads);
    // Enough for the tables one filing recycles while the workers hold theirs.
    spares_.SetCapacity(size_t(2 * threads_ + 2));
}

void TJUXEngine::SetScanVectors(TJUXScanner::TVectors vectors)
{
    StopPipeline(); // its workers scan with the vectors they were given
    scanVectors_ = vectors;
    scanner_->SetVectors(vectors);
}

void TJUXEngine::AddTable(std::unique_ptr<TJUXClass> table)
{
    const int32_t id = table->Id;
    TableRegistry.AddRecord(table);
    TableIds.AddInt(id);
}

void TJUXEngine::ClearTables()
{
    StopPipeline();
    TableRegistry.Clear();
    TableIds.Clear();
}

// The lists look the same few tables up again and again; a small cache of
// their last known positions, checked against TableIds on every use (and
// tried a few places lower, where recycling moves them), saves the search.
TJUXClass* TJUXEngine::FindTable(int32_t id) const
{
    int32_t& cached = positionCache_[size_t(uint32_t(id) % positionCache_.size())];
    for (int32_t back = 0; back <= 2; ++back) {
        int32_t value = 0;
        const int32_t position = cached - back;
        if (position >= 1 && TableIds.GetInt(position, value) && value == id) {
            cached = position;
            return TableRegistry.GetRecord(position);
        }
    }
    const int position = TableIds.IndexOfInt(id);
    if (position <= 0)
        return nullptr;
    cached = position;
    return TableRegistry.GetRecord(position);
}

void TJUXEngine::FillHitProbabilities() { HitProbabilities.FillHitProbabilities(Context.PoolSize, Context.HitWidth()); }

void TJUXEngine::ReloadDraws()
{
    Context.SecondDrawnCount = Context.FieldDefsCopy[1].Picked;
    scanner_->LoadDraws(options_.Game, Context);
}

void TJUXEngine::ComputeFromDraws(TJUXClass& table)
{
    if (!scanner_->Loaded())
        ReloadDraws();
    scanner_->Scan(table, nullptr, Context);
}

void TJUXEngine::ComputeJUXAnalysis(TJUXClass& table)
{
    const TJUXClass* previous = FindTable(table.Id - 1);
    if (!previous || previous->Id != table.Id - 1)
        throw Exception("INTERNAL ERROR : ComputeJUXAnalysis prevJUX ID");
    if (previous->PoolSize() != table.PoolSize() || previous->Rows() != table.Rows() ||
        previous->HitWidth() != table.HitWidth())
        throw Exception("INTERNAL ERROR : ComputeJUXAnalysis prevJUX size");
    if (!scanner_->Loaded())
        ReloadDraws();
    scanner_->Scan(table, previous, Context);
}

void TJUXClass::ComputeFromDraws(TJUXEngine& engine) { engine.ComputeFromDraws(*this); }
void TJUXClass::ComputeJUXAnalysis(TJUXEngine& engine) { engine.ComputeJUXAnalysis(*this); }

void TJUXEngine::ListsChanged(bool changed, bool now)
{
    refreshOwed_ = refreshOwed_ || changed;
    if (!refreshOwed_ || !listsChanged_)
        return;
    const auto time = std::chrono::steady_clock::now();
    if (!now && refreshed_ && time - lastRefresh_ < refreshInterval_)
        return;
    refreshOwed_ = false;
    refreshed_ = true;
    lastRefresh_ = time;
    listsChanged_();
}

void TJUXEngine::StopPipeline()
{
    if (pipeline_) {
        pipeline_->Stop();
        pipeline_.reset();
    }
}

std::unique_ptr<TJUXClass> TJUXEngine::TakeComputed(int32_t id)
{
    if (threads_ <= 1)
        return nullptr;
    if (!pipeline_ || pipeline_->Stopped() || pipeline_->NextId() != id || pipeline_->LastId() < id) {
        StopPipeline();
        // Two tables at least, and a predecessor the loop itself would take;
        // otherwise the loop computes (or refuses) the table as it always did.
        const int32_t last = options_.MaximumJUXsToScan;
        if (last - id < 1)
            return nullptr;
        TTablePipeline::TSetup setup;
        if (id > 1) {
            const TJUXClass* previous = FindTable(id - 1);
            if (!previous || previous->Id != id - 1 || previous->PoolSize() != Context.PoolSize ||
                previous->Rows() != Rows() || previous->HitWidth() != Context.HitWidth())
                return nullptr;
            setup.Predecessor = previous;
        }
        setup.Context = Context;
        setup.Context.TablesComputed = id - 1;
        setup.FirstId = id;
        setup.LastId = last;
        setup.PoolSize = Context.PoolSize;
        setup.Rows = Rows();
        setup.HitWidth = Context.HitWidth();
        setup.Spares = &spares_;
        // The run loop's own thread is one of the threads: it files while the
        // others compute, and computes tables itself while none is ready to file.
        const int32_t workers = int32_t(std::min<int64_t>(threads_ - 1, int64_t(last) - id + 1));
        while (int32_t(workerScanners_.size()) < workers + 1)
            workerScanners_.push_back(std::make_unique<TJUXScanner>());
        std::vector<TJUXScanner*> scanners;
        for (int32_t w = 0; w <= workers; ++w) {
            workerScanners_[size_t(w)]->SetVectors(scanVectors_);
            workerScanners_[size_t(w)]->LoadDraws(options_.Game, Context);
            scanners.push_back(workerScanners_[size_t(w)].get());
        }
        TJUXScanner* helper = scanners.back();
        scanners.pop_back();
        try {
            pipeline_ = std::make_unique<TTablePipeline>(setup, scanners, helper);
        } catch (const std::system_error&) {
            return nullptr; // no threads to be had: the loop computes the table itself
        }
    }
    return pipeline_->Take(Context);
}

TJUXEngine::TRunEnd TJUXEngine::RunAnalysis()
{
    // A run loop this one was entered from (through the pending events) drops
    // its tables in flight: this one files the tables from here on.
    StopPipeline();
    // The draws or the lists may have been replaced while the run was not
    // running (a run state import, an edited history). Filed tables never
    // change, so the lists' stamps tell all filing needs to know.
    ReloadDraws();
    Lists.RunResumed();
    // However the loop ends, tables computed ahead of it are not filed.
    struct TStopOnExit {
        TJUXEngine& engine;
        ~TStopOnExit() { engine.StopPipeline(); }
    } stopOnExit{*this};

    auto afterTable = [this](bool shownListChanged, bool now) {
        ListsChanged(shownListChanged, now);
        if (pump_)
            pump_->ProcessPendingEvents();
    };
    for (;;) {
        if (control_ && !control_->ShouldContinue()) {
            ListsChanged(false, true);
            return TRunEnd::Stopped;
        }
        if (Context.TablesComputed >= options_.MaximumJUXsToScan) {
            ListsChanged(false, true);
            if (control_)
                control_->RunFinished();
            return TRunEnd::Finished;
        }
        std::unique_ptr<TJUXClass> computed = TakeComputed(Context.TablesComputed + 1);
        Context.TablesComputed += 1;
        const bool ahead = computed != nullptr;
        AddTable(ahead ? std::move(computed) : CreateTable(Context.TablesComputed));
        TJUXClass& table = *TableRegistry.GetRecord(TableRegistry.Count());
        if (!ahead && table.Id == 1)
            table.ComputeFromDraws(*this);
        else if (!ahead)
            table.ComputeJUXAnalysis(*this);
        bool changed = false;
        try {
            changed = Lists.FileTable(*this, table);
        } catch (...) {
            afterTable(Lists.ShownListChanged, true);
            throw;
        }
        afterTable(changed, false);
    }
}
