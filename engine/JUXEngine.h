// The JUX analysis engine: the run context of the one analysis in memory, the
// registry of live tables, the best-table lists, the start of a run and the
// run loop that computes one table after another.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <vector>

#include "data/GameModel.h"
#include "data/Stores.h"
#include "engine/BestLists.h"
#include "engine/EngineLinks.h"
#include "engine/GameOptions.h"
#include "engine/JUXClass.h"
#include "engine/JUXScan.h"
#include "engine/PredictU.h"

class TTablePipeline;

// The parameters and counters of the running analysis. Everything a run
// state stores is a plain field here.
struct TRunContext {
    std::array<TGameField, 2> FieldDefsCopy{};
    int32_t AnalysedField = 1;
    bool CombinedSecondField = false;
    int32_t PoolSize = 0;
    int32_t DrawnCount = 0;
    int32_t SecondDrawnCount = 0;
    int32_t TestedDraws = 0;
    int32_t StatWindow = 0;
    int32_t TablesComputed = 0;
    int32_t CurrentDraw = 0;
    int32_t WindowStart = 0;
    int32_t RowCursor = 0;
    int32_t ReservedState = 0;

    // K: balls of one hit row (field 2's counted in when combined).
    int32_t HitWidth() const { return DrawnCount + (CombinedSecondField ? FieldDefsCopy[1].Picked : 0); }
    // Face value of the analysed pool's smallest ball.
    int32_t Lowest() const { return FieldDefsCopy[AnalysedField == 2 ? 1 : 0].Lowest; }
    // Tables rank pool numbers 1 .. PoolSize; the ball a number stands for.
    int32_t BallOf(int32_t number) const { return number - 1 + Lowest(); }
};

class TJUXEngine {
public:
    // Options (and the game they point at) are read, never owned.
    explicit TJUXEngine(const TGameOptions& options);
    ~TJUXEngine();
    TJUXEngine(const TJUXEngine&) = delete;
    TJUXEngine& operator=(const TJUXEngine&) = delete;

    const TGameOptions& Options() const { return options_; }

    TRunContext Context;
    // Live tables in creation order, owned; TableIds holds their IDs at the
    // same positions, ascending.
    TRecordStore<TJUXClass> TableRegistry;
    TIntegerStore TableIds;
    TBestLists Lists;
    THitProbabilities HitProbabilities;

    void SetEventPump(TEventPump* pump) { pump_ = pump; }
    void SetRunControl(TRunControl* control) { control_ = control; }
    void SetDisplayLink(const TDisplayLink* display) { display_ = display; }
    void SetListsChangedHandler(TListsChangedHandler handler) { listsChanged_ = std::move(handler); }
    const TDisplayLink* DisplayLink() const { return display_; }
    // A table that changes a shown list calls the handler at most once per
    // interval (10 a second by default); a call still owed is made when the
    // run stops or finishes. Zero: after every such table.
    void SetRefreshInterval(std::chrono::steady_clock::duration interval) { refreshInterval_ = interval; }

    // Threads of a run: the run loop's own, which files the tables, and
    // threads - 1 workers that compute them (TTablePipeline). 1, the default,
    // computes each table in the run loop itself; 0 or less means one per
    // core. The tables, lists and everything filed are the same for any number.
    static constexpr int32_t kMaxThreads = TGameOptions::kMaxAnalysisThreads;
    static int32_t MachineThreads();
    static int32_t ResolveThreads(int32_t threads);
    void SetThreads(int32_t threads);
    int32_t Threads() const { return threads_; }
    // The vector routines every scan of this engine may use (the tables are
    // the same with either).
    void SetScanVectors(TJUXScanner::TVectors vectors);
    TJUXScanner::TVectors ScanVectors() const { return scanVectors_; }

    // Resets the run context for a new run on the options' game; raises the
    // "INTERNAL ERROR" exceptions of a game that cannot be analysed.
    void StartRun();

    enum class TRunEnd { Stopped, Finished };
    // Computes tables while the run control says so and the maximum number of
    // tables has not been reached; Finished (after RunFinished) in that case.
    TRunEnd RunAnalysis();

    // Rows of every table: T + D + R.
    int32_t Rows() const;
    // A new table of the current run's sizes (not registered), in memory a
    // recycled table left if there is one.
    std::unique_ptr<TJUXClass> CreateTable(int32_t id) const;
    // Appends to TableRegistry and TableIds.
    void AddTable(std::unique_ptr<TJUXClass> table);
    // Removes the table at `position` of TableRegistry and TableIds; its
    // memory serves a later table.
    void RecycleTable(int position);
    // Empties TableRegistry and TableIds, freeing every table (tables
    // computed ahead are dropped first).
    void ClearTables();
    // Null when the ID is not live.
    TJUXClass* FindTable(int32_t id) const;

    int32_t HitsWithin(const TJUXClass& table, int32_t row, int32_t top) const
    {
        return table.HitsWithin(Context.TestedDraws, row, top);
    }
    void HitHistogram(const TJUXClass& table, int32_t top, bool exact, int32_t rowLimit, int32_t firstRow,
                      TIntArray& h) const
    {
        table.HitHistogram(Context.TestedDraws, top, exact, rowLimit, firstRow, h);
    }

    void FillHitProbabilities();
    long double HitProbability(int32_t i, int32_t j) const { return HitProbabilities.HitProbability(i, j); }

    TCategoryList* CategoryList(int32_t i, int32_t j, int32_t mode) const { return Lists.CategoryList(i, j, mode); }

    // The scans behind TJUXClass::ComputeFromDraws / ComputeJUXAnalysis.
    void ComputeFromDraws(TJUXClass& table);
    void ComputeJUXAnalysis(TJUXClass& table);

    // Rereads the draws of the analysed field(s) from the game; the run loop
    // does so each time it is entered.
    void ReloadDraws();

private:
    const TDrawClass& Game() const;

    const TGameOptions& options_;
    TEventPump* pump_ = nullptr;
    TRunControl* control_ = nullptr;
    const TDisplayLink* display_ = nullptr;
    TListsChangedHandler listsChanged_;
    void ListsChanged(bool changed, bool now);
    // Enough to watch the lists change; at 25 a second the rebuilding and
    // painting took several per cent of the run loop's thread.
    std::chrono::steady_clock::duration refreshInterval_ = std::chrono::milliseconds(100);
    std::chrono::steady_clock::time_point lastRefresh_{};
    bool refreshed_ = false; // lastRefresh_ holds a time
    bool refreshOwed_ = false;
    std::unique_ptr<TJUXScanner> scanner_;
    mutable std::array<int32_t, 8192> positionCache_{};

    // Table `id` computed ahead by the pipeline, which is started (again)
    // when needed; null when the run loop computes it itself.
    std::unique_ptr<TJUXClass> TakeComputed(int32_t id);
    // Drops the tables in flight; no worker reads a table afterwards.
    void StopPipeline();
    int32_t threads_ = 1;
    TJUXScanner::TVectors scanVectors_ = TJUXScanner::TVectors::Widest;
    mutable TTableSpares spares_;
    std::vector<std::unique_ptr<TJUXScanner>> workerScanners_;
    std::unique_ptr<TTablePipeline> pipeline_; // after the scanners it borrows
};
