// Walk-forward backtest: for each of the most recent draws, a run on the
// history as it stood before that draw, and how the predictions of that run
// fared against what was then drawn, measured against chance.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "data/GameModel.h"
#include "engine/GameOptions.h"

// One prediction of one backtested draw.
struct TBacktestPrediction {
    int32_t Mode = 0;       // 0 Augmentative, 1 Absolute, 2 Build up
    int32_t Requested = 0;  // i
    int32_t Category = 0;   // j
    int32_t Table = 0;      // first table of the list; 0 when the list was empty
    TShortIntArray Numbers; // the first i balls of its final order, ascending
    int32_t Hits = -1;      // balls of Numbers drawn; -1 when not predicted

    bool Predicted() const { return Table != 0; }
};

struct TBacktestDraw {
    int32_t Position = 0; // 1-based position in the whole history
    TDateTime Date = 0;
    int32_t Index = 0;
    TShortIntArray Actual; // balls the predictions are measured on, ascending
    std::vector<TBacktestPrediction> Predictions;
};

// Per mode, i and j over the draws backtested so far.
struct TBacktestSummary {
    int32_t Mode = 0, Requested = 0, Category = 0;
    int32_t Predicted = 0;         // draws whose list had a table
    int64_t Hits = 0;              // total over those draws
    double Mean = 0;               // Hits / Predicted; 0 when none
    double ChanceMean = 0;         // i * K / PoolSize
    double PValue = 1;             // P(sum of Predicted chance draws >= Hits); 1 when none
    std::vector<int32_t> Observed; // draws with h hits, h = 0 .. min(i, K)
    std::vector<double> Expected;  // Predicted * P(h) under chance
};

// Notified between two tables and after each draw; answering false stops the
// backtest (the draw in progress is dropped, the finished ones are kept).
class TBacktestObserver {
public:
    virtual ~TBacktestObserver() = default;
    virtual bool Progress(int32_t drawsDone, int32_t draws, int32_t tablesDone, int32_t tables) = 0;
};

// P(h) for h = 0 .. min(i, K): exactly h of K drawn balls among i chosen
// ones out of a pool of `pool`.
std::vector<long double> ChanceHitDistribution(int32_t pool, int32_t drawn, int32_t chosen);
// P(X1 + .. + Xn >= total) for n independent draws of `pmf` (exact, by
// convolution; the tail is summed directly so that small values keep their
// precision). 1 for total <= 0, 0 above the largest sum.
long double SumTailProbability(const std::vector<long double>& pmf, int32_t n, int64_t total);
// The whole distribution of that sum, entries 0 .. n * (pmf size - 1).
std::vector<long double> SumDistribution(const std::vector<long double>& pmf, int32_t n);

class TBacktest {
public:
    // `game` is read, never changed, and must outlive the backtest; `options`
    // (as the options page holds them for the whole history) are copied.
    TBacktest(const TDrawClass& game, const TGameOptions& options, int32_t draws, int32_t tables);
    ~TBacktest();
    TBacktest(const TBacktest&) = delete;
    TBacktest& operator=(const TBacktest&) = delete;

    int32_t DrawsRequested() const { return draws_; }
    int32_t Tables() const { return tables_; }

    // Raises Exception with the reason the backtest cannot run (draw count,
    // table count, or the options on the shortest history it analyses).
    void Check() const;

    // The cut history of the draws before `position` and the options for it:
    // what a user would analyse by hand to predict that draw.
    std::unique_ptr<TDrawClass> HistoryBefore(int32_t position) const;
    TGameOptions OptionsFor(const TDrawClass& history) const;

    // Threads the runs use (the engine's reading: 1 runs one draw after the
    // other as always, 0 or less one per core). The draws' runs are
    // independent: with several threads each worker runs whole draws on its
    // own engine and its own copy of the history, and the results are the
    // same as with one.
    void SetThreads(int32_t threads);
    int32_t Threads() const { return threads_; }

    // Runs the draws not yet done, oldest first; false when the observer
    // stopped it. Raises what Check or the engine raise. The observer is
    // called on the calling thread only: with several threads between two
    // tables of the oldest draw in progress, at least every few hundredths of
    // a second, with the number of draws finished.
    bool Run(TBacktestObserver* observer = nullptr);

    const std::vector<TBacktestDraw>& Results() const { return results_; }
    bool Complete() const { return int32_t(results_.size()) == draws_; }

    // Pool and hit width of the analysed field (known after the first draw).
    int32_t PoolSize() const { return poolSize_; }
    int32_t HitWidth() const { return hitWidth_; }

    // Mode, i, j in the order of every draw's predictions.
    std::vector<TBacktestSummary> Summary() const;
    TBacktestSummary SummaryFor(int32_t mode, int32_t requested, int32_t category) const;

    // Cumulative hits after each finished draw for one mode, i, j, and the
    // cumulative chance mean over the same predicted draws.
    void CumulativeHits(int32_t mode, int32_t requested, int32_t category, std::vector<double>& hits,
                        std::vector<double>& chance) const;

private:
    struct TSlot {
        int32_t Mode, Requested, Category;
    };
    // Asked between two tables of one draw's run: false stops it.
    using TTableWatch = std::function<bool(int32_t tablesDone)>;
    bool RunDraw(int32_t position, const TTableWatch& watch, int32_t threads, TBacktestDraw& out) const;
    bool RunParallel(TBacktestObserver* observer);
    // Everything of one summary but its p value.
    TBacktestSummary Counts(size_t slot, const std::vector<long double>& pmf) const;
    double ChanceMean(int32_t requested) const;
    // Index in slots_, slots_.size() for a combination not backtested.
    size_t SlotOf(int32_t mode, int32_t requested, int32_t category) const;

    std::vector<TSlot> slots_;

    const TDrawClass& game_;
    TGameOptions options_;
    int32_t draws_ = 0;
    int32_t tables_ = 0;
    int32_t poolSize_ = 0;
    int32_t hitWidth_ = 0;
    std::vector<TBacktestDraw> results_;
    // Draws finished out of order by a stopped parallel run, by position;
    // they join results_ when the draws before them are done.
    std::map<int32_t, TBacktestDraw> ahead_;
    int32_t threads_ = 1;
};
