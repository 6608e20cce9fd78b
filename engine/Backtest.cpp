// Walk-forward backtest on the engine: one ordinary run per backtested draw,
// each on its own copy of the history cut just before that draw.
#include "engine/Backtest.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

#include "engine/BestLists.h"
#include "engine/HitProbability.h"
#include "engine/JUXEngine.h"

std::vector<long double> ChanceHitDistribution(int32_t pool, int32_t drawn, int32_t chosen)
{
    std::vector<long double> pmf;
    if (pool < 1 || drawn < 0 || chosen < 0)
        return pmf;
    const int32_t top = std::min(drawn, chosen);
    for (int32_t h = 0; h <= top; ++h)
        pmf.push_back(HitProbability(pool, drawn, chosen, h));
    return pmf;
}

namespace {

// One more independent draw added to the distribution of a sum. Doubles: the
// sums of a long backtest are convolved many times, and double's range keeps
// tails far below any p value of interest.
void AddDraw(std::vector<double>& sum, const std::vector<double>& pmf, std::vector<double>& scratch)
{
    scratch.assign(sum.size() + pmf.size() - 1, 0.0);
    for (size_t s = 0; s < sum.size(); ++s) {
        const double p = sum[s];
        if (p == 0)
            continue;
        for (size_t h = 0; h < pmf.size(); ++h)
            scratch[s + h] += p * pmf[h];
    }
    sum.swap(scratch);
}

double UpperTail(const std::vector<double>& distribution, int64_t total)
{
    if (total <= 0)
        return 1;
    double tail = 0;
    // Smallest terms first.
    for (size_t s = distribution.size(); s-- > 0 && int64_t(s) >= total;)
        tail += distribution[s];
    return std::min(tail, 1.0);
}

std::vector<double> ToDouble(const std::vector<long double>& values)
{
    return std::vector<double>(values.begin(), values.end());
}

} // namespace

std::vector<long double> SumDistribution(const std::vector<long double>& pmf, int32_t n)
{
    if (pmf.empty())
        return {};
    const std::vector<double> p = ToDouble(pmf);
    std::vector<double> sum{1.0}, scratch;
    for (int32_t step = 0; step < n; ++step)
        AddDraw(sum, p, scratch);
    return std::vector<long double>(sum.begin(), sum.end());
}

long double SumTailProbability(const std::vector<long double>& pmf, int32_t n, int64_t total)
{
    if (total <= 0)
        return 1;
    if (pmf.empty() || n <= 0 || total > (int64_t(pmf.size()) - 1) * n)
        return 0;
    const std::vector<long double> sum = SumDistribution(pmf, n);
    return UpperTail(std::vector<double>(sum.begin(), sum.end()), total);
}

namespace {

// Asks the backtest's watch between two tables of the run of one draw.
class TDrawRunControl : public TRunControl {
public:
    TDrawRunControl(const std::function<bool(int32_t)>& watch, const TJUXEngine& engine)
        : watch_(watch), engine_(engine)
    {}
    bool ShouldContinue() override { return !watch_ || watch_(engine_.Context.TablesComputed); }
    void RunFinished() override {}

private:
    const std::function<bool(int32_t)>& watch_;
    const TJUXEngine& engine_;
};

constexpr uint8_t kModeBits[kModeCount] = {kModeAugmentative, kModeAbsolute, kModeBuildup};

} // namespace

TBacktest::TBacktest(const TDrawClass& game, const TGameOptions& options, int32_t draws, int32_t tables)
    : game_(game), options_(options), draws_(draws), tables_(tables)
{
    options_.SetGame(&game_);
    // The engine's own reading of the field choice (it checks it again at
    // every run).
    const TGameInfo& info = game_.GameInfo();
    const bool combined = options_.FieldSelected == 2 && info.Field2Kind == 2;
    const int32_t field = combined ? 1 : std::clamp(options_.FieldSelected, 1, 2);
    poolSize_ = info.Fields[size_t(field - 1)].Total;
    hitWidth_ = info.Fields[size_t(field - 1)].Picked + (combined ? info.Fields[1].Picked : 0);

    const int32_t iFrom = std::max(options_.MinReqNumbers, 1);
    const int32_t iTo = std::min(options_.MaxReqNumbers > 0 ? options_.MaxReqNumbers : 99, poolSize_ - 1);
    const int32_t jFrom = std::max(options_.MinHitCategory, 1);
    const int32_t jMax = options_.MaxHitCategory > 0 ? options_.MaxHitCategory : 99;
    for (int32_t mode = 0; mode < kModeCount; ++mode) {
        if (!(options_.Modes & kModeBits[mode]))
            continue;
        for (int32_t i = iFrom; i <= iTo; ++i)
            for (int32_t j = jFrom; j <= std::min({jMax, i, hitWidth_}); ++j)
                slots_.push_back({mode, i, j});
    }
}

TBacktest::~TBacktest() = default;

void TBacktest::Check() const
{
    const int32_t count = game_.DrawCount();
    if (count < 2 || draws_ < 1 || draws_ > count - 1)
        throw Exception(count < 2 ? std::string("The game needs at least 2 draws for a backtest.")
                                  : Format("Draws to backtest should be in the range of 1 - %d.", count - 1));
    if (tables_ < 1 || tables_ > 999999999)
        throw Exception("Tables per draw should be in the range of 1 - 999999999.");
    // The shortest history decides; every later one is longer by whole draws
    // and keeps the same run factor overhead.
    const std::unique_ptr<TDrawClass> shortest = HistoryBefore(count - draws_ + 1);
    const TGameOptions options = OptionsFor(*shortest);
    try {
        options.Validate();
    } catch (const std::exception& e) {
        throw Exception(
            Format("The history before the %d most recent draws does not suit the options: %s", draws_, e.what()));
    }
    // A field the engine refuses is refused before the first draw.
    TJUXEngine probe(options);
    probe.StartRun();
}

std::unique_ptr<TDrawClass> TBacktest::HistoryBefore(int32_t position) const
{
    auto history = std::make_unique<TDrawClass>(game_.GameInfo());
    const int32_t last = std::min(position - 1, int32_t(game_.DrawCount()));
    for (int32_t p = 1; p <= last; ++p) {
        const TDraw* d = game_.GetDraw(p);
        if (!d || history->AddDraw(d->Index, d->Status, d->Numbers, d->Date) != p)
            throw Exception(Format("INTERNAL ERROR : Backtest history draw %d", p));
    }
    return history;
}

TGameOptions TBacktest::OptionsFor(const TDrawClass& history) const
{
    TGameOptions options(options_);
    options.SetGame(&history);
    options.MaximumJUXsToScan = tables_;
    // As the options page keeps it: the same overhead R before the tested draws.
    const int64_t overhead = int64_t(game_.DrawCount()) - options_.StartPoint - options_.TotalTestDraws;
    const int64_t start = int64_t(history.DrawCount()) - options.TotalTestDraws - overhead;
    options.SetStartPoint(int32_t(std::clamp<int64_t>(start, INT32_MIN, INT32_MAX)));
    return options;
}

void TBacktest::SetThreads(int32_t threads) { threads_ = TJUXEngine::ResolveThreads(threads); }

bool TBacktest::Run(TBacktestObserver* observer)
{
    Check();
    if (threads_ > 1)
        return RunParallel(observer);
    const int32_t count = game_.DrawCount();
    while (!Complete()) {
        const int32_t position = count - draws_ + 1 + int32_t(results_.size());
        const int32_t done = int32_t(results_.size());
        const TTableWatch watch = [&](int32_t tablesDone) {
            return !observer || observer->Progress(done, draws_, tablesDone, tables_);
        };
        TBacktestDraw draw;
        if (!RunDraw(position, watch, 1, draw))
            return false;
        results_.push_back(std::move(draw));
        if (observer && !Complete() && !observer->Progress(int32_t(results_.size()), draws_, 0, tables_))
            return false;
    }
    return true;
}

// Workers take the draws not yet done in order, each run on its own engine;
// this thread waits for them, moves finished draws into results_ in order and
// asks the observer. A stop reaches every worker's engine before its next
// table.
bool TBacktest::RunParallel(TBacktestObserver* observer)
{
    const int32_t first = game_.DrawCount() - draws_ + 1;
    std::vector<int32_t> todo;
    for (int32_t d = int32_t(results_.size()); d < draws_; ++d)
        if (!ahead_.count(first + d))
            todo.push_back(first + d);
    const int32_t workers = int32_t(std::min<size_t>(size_t(threads_), todo.size()));
    // Fewer draws than threads: each run takes a share of them.
    const int32_t engineThreads = std::max(threads_ / std::max(workers, 1), 1);

    std::mutex mutex;
    std::condition_variable finished;
    size_t next = 0;                       // in todo, under mutex
    int32_t running = workers;             // under mutex
    std::exception_ptr error;              // the first, under mutex
    std::map<int32_t, TBacktestDraw> done; // under mutex
    std::atomic<bool> stop{false};
    // Tables of each worker's draw in progress, and which draw it is.
    std::vector<std::atomic<int32_t>> tablesOf(size_t(std::max(workers, 1)));
    std::vector<std::atomic<int32_t>> positionOf(size_t(std::max(workers, 1)));

    auto work = [&](size_t w) {
        for (;;) {
            int32_t position = 0;
            {
                std::lock_guard<std::mutex> lock(mutex);
                if (stop.load() || next >= todo.size())
                    break;
                position = todo[next++];
            }
            positionOf[w].store(position);
            tablesOf[w].store(0);
            const TTableWatch watch = [&, w](int32_t tablesDone) {
                tablesOf[w].store(tablesDone, std::memory_order_relaxed);
                return !stop.load(std::memory_order_relaxed);
            };
            TBacktestDraw draw;
            try {
                if (RunDraw(position, watch, engineThreads, draw)) {
                    std::lock_guard<std::mutex> lock(mutex);
                    done.emplace(position, std::move(draw));
                }
            } catch (...) {
                std::lock_guard<std::mutex> lock(mutex);
                if (!error)
                    error = std::current_exception();
                stop.store(true);
            }
            positionOf[w].store(0);
            finished.notify_all();
        }
        {
            std::lock_guard<std::mutex> lock(mutex);
            running -= 1;
        }
        finished.notify_all();
    };
    std::vector<std::thread> threads;
    try {
        for (int32_t w = 0; w < workers; ++w)
            threads.emplace_back(work, size_t(w));
    } catch (...) {
        stop.store(true);
        for (std::thread& t : threads)
            t.join();
        throw;
    }

    for (;;) {
        bool over = false;
        {
            std::unique_lock<std::mutex> lock(mutex);
            if (running > 0 && done.empty())
                finished.wait_for(lock, std::chrono::milliseconds(40));
            for (auto& [position, draw] : done)
                ahead_.emplace(position, std::move(draw));
            done.clear();
            over = running == 0;
        }
        while (!ahead_.empty() && ahead_.begin()->first == first + int32_t(results_.size())) {
            results_.push_back(std::move(ahead_.begin()->second));
            ahead_.erase(ahead_.begin());
        }
        if (over)
            break;
        // The draw in progress that the next to finish in order is likely to be.
        int32_t oldest = 0, tablesDone = 0;
        for (size_t w = 0; w < positionOf.size(); ++w) {
            const int32_t p = positionOf[w].load();
            if (p != 0 && (oldest == 0 || p < oldest)) {
                oldest = p;
                tablesDone = tablesOf[w].load();
            }
        }
        const int32_t finishedDraws = int32_t(results_.size() + ahead_.size());
        if (observer && !stop.load() && !observer->Progress(finishedDraws, draws_, tablesDone, tables_))
            stop.store(true);
    }
    for (std::thread& t : threads)
        t.join();
    if (error)
        std::rethrow_exception(error);
    return Complete();
}

bool TBacktest::RunDraw(int32_t position, const TTableWatch& watch, int32_t threads, TBacktestDraw& out) const
{
    const std::unique_ptr<TDrawClass> history = HistoryBefore(position);
    const TGameOptions options = OptionsFor(*history);
    options.Validate();
    TJUXEngine engine(options);
    engine.SetThreads(threads);
    TDrawRunControl control(watch, engine);
    engine.SetRunControl(&control);
    engine.StartRun();
    const TRunContext& c = engine.Context;
    if (c.PoolSize != poolSize_ || c.HitWidth() != hitWidth_)
        throw Exception("INTERNAL ERROR : Backtest field sizes");
    if (engine.RunAnalysis() != TJUXEngine::TRunEnd::Finished)
        return false;

    const TDraw* drawn = game_.GetDraw(position);
    out.Position = position;
    out.Date = drawn->Date;
    out.Index = drawn->Index;
    out.Actual = game_.GetDrawNumbers(position, c.AnalysedField);
    if (c.CombinedSecondField) {
        const TShortIntArray second = game_.GetDrawNumbers(position, 2);
        out.Actual.insert(out.Actual.end(), second.begin(), second.end());
    }
    std::sort(out.Actual.begin(), out.Actual.end());

    out.Predictions.reserve(slots_.size());
    for (const TSlot& slot : slots_) {
        TBacktestPrediction p;
        p.Mode = slot.Mode;
        p.Requested = slot.Requested;
        p.Category = slot.Category;
        const TCategoryList* list = engine.CategoryList(slot.Requested, slot.Category, slot.Mode);
        int32_t id = 0;
        const TJUXClass* best = list && list->GetInt(1, id) ? engine.FindTable(id) : nullptr;
        if (best && int32_t(best->FinalOrder.size()) >= slot.Requested) {
            p.Table = best->Id;
            for (int32_t r = 0; r < slot.Requested; ++r)
                p.Numbers.push_back(int8_t(c.BallOf(best->FinalOrder[size_t(r)])));
            std::sort(p.Numbers.begin(), p.Numbers.end());
            p.Hits = 0;
            for (int8_t b : p.Numbers)
                p.Hits += std::binary_search(out.Actual.begin(), out.Actual.end(), b) ? 1 : 0;
        }
        out.Predictions.push_back(std::move(p));
    }
    return true;
}

double TBacktest::ChanceMean(int32_t requested) const
{
    return poolSize_ > 0 ? double(requested) * hitWidth_ / poolSize_ : 0;
}

TBacktestSummary TBacktest::Counts(size_t slot, const std::vector<long double>& pmf) const
{
    const TSlot& at = slots_[slot];
    TBacktestSummary sum;
    sum.Mode = at.Mode;
    sum.Requested = at.Requested;
    sum.Category = at.Category;
    sum.ChanceMean = ChanceMean(at.Requested);
    sum.Observed.assign(pmf.size(), 0);
    for (const TBacktestDraw& d : results_) {
        const TBacktestPrediction& p = d.Predictions[slot];
        if (!p.Predicted())
            continue;
        sum.Predicted += 1;
        sum.Hits += p.Hits;
        if (p.Hits >= 0 && size_t(p.Hits) < sum.Observed.size())
            sum.Observed[size_t(p.Hits)] += 1;
    }
    for (long double q : pmf)
        sum.Expected.push_back(double(q * sum.Predicted));
    if (sum.Predicted > 0)
        sum.Mean = double(sum.Hits) / sum.Predicted;
    return sum;
}

std::vector<TBacktestSummary> TBacktest::Summary() const
{
    std::vector<TBacktestSummary> out(slots_.size());
    // Per i: the pmf, then one pass of convolutions up to the most draws any
    // of its summaries predicted, taking each summary's tail on the way.
    std::map<int32_t, std::vector<size_t>> byRequested;
    for (size_t s = 0; s < slots_.size(); ++s)
        byRequested[slots_[s].Requested].push_back(s);
    for (auto& [requested, members] : byRequested) {
        const std::vector<long double> pmf = ChanceHitDistribution(poolSize_, hitWidth_, requested);
        for (size_t s : members)
            out[s] = Counts(s, pmf);
        std::sort(members.begin(), members.end(),
                  [&out](size_t a, size_t b) { return out[a].Predicted < out[b].Predicted; });
        const std::vector<double> p = ToDouble(pmf);
        std::vector<double> sum{1.0}, scratch;
        int32_t n = 0;
        for (size_t s : members) {
            if (out[s].Predicted == 0 || p.empty())
                continue;
            while (n < out[s].Predicted) {
                AddDraw(sum, p, scratch);
                ++n;
            }
            out[s].PValue = UpperTail(sum, out[s].Hits);
        }
    }
    return out;
}

size_t TBacktest::SlotOf(int32_t mode, int32_t requested, int32_t category) const
{
    for (size_t s = 0; s < slots_.size(); ++s)
        if (slots_[s].Mode == mode && slots_[s].Requested == requested && slots_[s].Category == category)
            return s;
    return slots_.size();
}

TBacktestSummary TBacktest::SummaryFor(int32_t mode, int32_t requested, int32_t category) const
{
    const size_t s = SlotOf(mode, requested, category);
    if (s < slots_.size()) {
        const std::vector<long double> pmf = ChanceHitDistribution(poolSize_, hitWidth_, requested);
        TBacktestSummary sum = Counts(s, pmf);
        if (sum.Predicted > 0)
            sum.PValue = double(SumTailProbability(pmf, sum.Predicted, sum.Hits));
        return sum;
    }
    TBacktestSummary none;
    none.Mode = mode;
    none.Requested = requested;
    none.Category = category;
    return none;
}

void TBacktest::CumulativeHits(int32_t mode, int32_t requested, int32_t category, std::vector<double>& hits,
                               std::vector<double>& chance) const
{
    hits.clear();
    chance.clear();
    const size_t slot = SlotOf(mode, requested, category);
    if (slot == slots_.size())
        return;
    double h = 0, c = 0;
    for (const TBacktestDraw& d : results_) {
        const TBacktestPrediction& p = d.Predictions[slot];
        if (p.Predicted()) {
            h += p.Hits;
            c += ChanceMean(requested);
        }
        hits.push_back(h);
        chance.push_back(c);
    }
}
