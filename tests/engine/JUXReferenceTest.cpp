// The engine against a deliberately plain second implementation: every table
// scanned step by step with integer-store windows, frequency records and
// exchange sorts, rated with TPredictClass; the lists filed and the tables
// recycled with plain vectors by the two cursor passes. Random histories of
// several formations, start points and option sets must give identical tables and lists.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <ostream>
#include <random>
#include <set>
#include <tuple>
#include <vector>

#include "data/GameModel.h"
#include "engine/GameOptions.h"
#include "engine/JUXEngine.h"
#include "engine/JUXScan.h"
#include "engine/PredictU.h"
#include "support/GameFixtures.h"
#include "support/PredictReference.h"
#include "support/ReferenceCases.h"

namespace {

struct RefTable {
    int32_t id = 0;
    std::vector<int8_t> finalOrder;
    std::vector<std::vector<int8_t>> rowOrders, rowHits;
};

struct RefSetup {
    const TDrawClass* game = nullptr;
    int32_t field = 1;
    bool combined = false;
    int32_t pool = 0, k = 0, t = 0, d = 0, r = 0, lowest = 1;
    int32_t n() const { return game->DrawCount(); }
    int32_t rows() const { return t + d + r; }
};

std::vector<int8_t> NumbersOf(const RefSetup& s, int32_t draw)
{
    TShortIntArray balls = s.game->GetDrawNumbers(draw, s.field);
    if (s.combined) {
        TShortIntArray second = s.game->GetDrawNumbers(draw, 2);
        balls.insert(balls.end(), second.begin(), second.end());
        std::sort(balls.begin(), balls.end());
    }
    for (auto& b : balls)
        b = int8_t(b - s.lowest + 1);
    return balls;
}

struct Score {
    int32_t Number;
    double Score;
};

struct Freq {
    int32_t Value;
    double Count;
};

void RateAndAdd(const TIntegerStore& window, std::vector<Score>& scores)
{
    const int w = window.Count();
    if (w == 0)
        return;
    std::vector<int32_t> values;
    for (int p = 1; p <= w; ++p) {
        int32_t v = 0;
        window.GetInt(p, v);
        values.push_back(v);
    }
    const int32_t lo = *std::min_element(values.begin(), values.end());
    const int32_t hi = *std::max_element(values.begin(), values.end());
    const int32_t m = hi - lo + 1;
    std::vector<Freq> recs;
    for (int32_t i = 0; i < m; ++i)
        recs.push_back({lo + i, double(std::count(values.begin(), values.end(), lo + i))});
    const double c = lo + (hi - lo) / 2.0;
    bool exchanged = true;
    while (exchanged) {
        exchanged = false;
        for (size_t i = 1; i < recs.size(); ++i) {
            const bool more = recs[i].Count > recs[i - 1].Count;
            const bool nearer =
                recs[i].Count == recs[i - 1].Count && std::fabs(recs[i].Value - c) < std::fabs(recs[i - 1].Value - c);
            if (more || nearer) {
                std::swap(recs[i], recs[i - 1]);
                exchanged = true;
            }
        }
    }
    int32_t n = m;
    double removed = 0;
    while (n > 1 && (w - removed - recs[size_t(n - 1)].Count) / std::max(w, 1) >= 1.0) {
        removed += std::round(recs[size_t(n - 1)].Count);
        n -= 1;
    }
    TPredictClass predict(lo, values, hi);
    predict.Compute();
    for (int32_t i = 0; i < n; ++i) {
        const int32_t v = recs[size_t(i)].Value;
        if (v >= 1 && v <= 99)
            scores[size_t(v - 1)].Score += predict.RatingFor(v);
    }
}

void Trim(TIntegerStore& window, int32_t d)
{
    while (window.Count() > d)
        window.DeleteInt(1);
}

RefTable RefScan(const RefSetup& s, int32_t id, const RefTable* pred)
{
    RefTable t;
    t.id = id;
    const int32_t rows = s.rows();
    t.finalOrder.assign(size_t(s.pool), 0);
    t.rowOrders.assign(size_t(rows), std::vector<int8_t>(size_t(s.pool), 0));
    t.rowHits.assign(size_t(rows), std::vector<int8_t>(size_t(s.k), 0));
    const int32_t n = s.n();
    int32_t first = n - rows;
    if (first <= 0)
        first = 1;
    int32_t cur = first;
    int32_t ws = std::max(cur - s.d + 1, 1);
    int32_t rc = 0;
    std::vector<TIntegerStore> windows(size_t(s.k));
    while (cur <= n) {
        std::vector<Score> scores;
        for (int32_t i = 1; i <= 99; ++i)
            scores.push_back({i, 0.0});
        if (!pred) {
            for (int32_t dr = (rc == 0 ? ws : cur); dr <= cur; ++dr) {
                const auto nums = NumbersOf(s, dr);
                for (int32_t i = 0; i < s.k && i < int32_t(nums.size()); ++i)
                    windows[size_t(i)].AddInt(nums[size_t(i)]);
                for (auto& w : windows)
                    Trim(w, s.d);
            }
        } else if (rc >= 1) {
            for (int32_t i = 0; i < s.k; ++i)
                windows[size_t(i)].AddInt(pred->rowHits[size_t(rc - 1)][size_t(i)]);
            for (auto& w : windows)
                Trim(w, s.d);
        }
        for (const auto& w : windows)
            RateAndAdd(w, scores);
        bool exchanged = true;
        while (exchanged) {
            exchanged = false;
            for (int32_t i = 1; i < s.pool; ++i)
                if (scores[size_t(i)].Score > scores[size_t(i - 1)].Score) {
                    std::swap(scores[size_t(i)], scores[size_t(i - 1)]);
                    exchanged = true;
                }
        }
        std::vector<int8_t> mapped(size_t(s.pool));
        for (int32_t i = 0; i < s.pool; ++i) {
            const int32_t num = scores[size_t(i)].Number;
            if (!pred)
                mapped[size_t(i)] = int8_t(num);
            else
                mapped[size_t(i)] =
                    cur == n ? pred->finalOrder[size_t(num - 1)] : pred->rowOrders[size_t(rc)][size_t(num - 1)];
        }
        if (cur == n) {
            t.finalOrder = mapped;
        } else {
            t.rowOrders[size_t(rc)] = mapped;
            const auto drawn = NumbersOf(s, cur + 1);
            int32_t h = 0;
            for (int32_t i = 1; i <= s.pool; ++i)
                if (h < s.k && std::find(drawn.begin(), drawn.end(), mapped[size_t(i - 1)]) != drawn.end())
                    t.rowHits[size_t(rc)][size_t(h++)] = int8_t(i);
            rc += 1;
        }
        cur += 1;
        ws = std::max(cur - s.d + 1, 1);
    }
    return t;
}

int32_t RefHitsWithin(const RefSetup& s, const RefTable& t, int32_t row, int32_t a)
{
    const int32_t physical = s.d + s.r + row - 1;
    if (physical < 0 || physical >= s.rows())
        return 0;
    int32_t n = 0;
    while (n < s.k && t.rowHits[size_t(physical)][size_t(n)] <= a)
        ++n;
    return n;
}

std::vector<int32_t> RefHistogram(const RefSetup& s, const RefTable& t, int32_t a, bool exact)
{
    std::vector<int32_t> h(size_t(s.k) + 1, 0);
    for (int32_t row = 1; row <= s.t; ++row) {
        const int32_t n = RefHitsWithin(s, t, row, a);
        if (exact)
            h[size_t(n)] += 1;
        else if (n == 0)
            h[0] += 1;
        else
            for (int32_t j = 1; j <= n; ++j)
                h[size_t(j)] += 1;
    }
    return h;
}

// The plain registry, lists and recycling.
struct RefRun {
    RefSetup s;
    const TGameOptions* options = nullptr;
    std::vector<std::shared_ptr<RefTable>> tables; // registry order, IDs ascending
    std::vector<std::vector<std::vector<int32_t>>> lists[3];
    int32_t cursor = 1;
    int32_t computed = 0;

    const RefTable* Find(int32_t id) const
    {
        for (const auto& t : tables)
            if (t->id == id)
                return t.get();
        return nullptr;
    }

    void Build()
    {
        for (auto& m : lists) {
            m.assign(size_t(s.pool - 1), {});
            for (int32_t i = 1; i <= s.pool - 1; ++i)
                m[size_t(i - 1)].assign(size_t(std::min(i, s.k)), {});
        }
    }

    void Insert(std::vector<int32_t>& list, int32_t e, int32_t id) { list.insert(list.begin() + (e - 1), id); }

    bool Listed(int32_t id) const
    {
        for (const auto& m : lists)
            for (const auto& col : m)
                for (const auto& l : col)
                    if (std::find(l.begin(), l.end(), id) != l.end())
                        return true;
        return false;
    }
    bool Kept(int32_t id) const { return options->KeepJUXs.ContainsInt(id) || id == computed || id + 1 == computed; }

    void Ranked(std::vector<int32_t>& list, const RefTable& t, int32_t i, int32_t j, bool exact)
    {
        const int32_t max = options->MaximumJUXsPerColumn;
        const auto h = RefHistogram(s, t, i, exact);
        if (h[size_t(j)] == 0)
            return;
        if (list.empty()) {
            list.push_back(t.id);
        } else {
            std::vector<int32_t> g;
            auto load = [&](int32_t e) {
                if (e < 1 || e > int32_t(list.size()))
                    return false;
                const RefTable* o = Find(list[size_t(e - 1)]);
                if (!o)
                    return false;
                g = RefHistogram(s, *o, i, exact);
                return true;
            };
            int32_t e = std::min<int32_t>(int32_t(list.size()), max);
            while (load(e) && h[size_t(j)] > g[size_t(j)])
                e -= 1;
            while (load(e) && g[size_t(j)] == h[size_t(j)]) {
                int32_t m = j + 1;
                while (m < s.k + 1 && h[size_t(m)] == g[size_t(m)])
                    ++m;
                if (m == s.k + 1)
                    break;
                if (h[size_t(m)] < g[size_t(m)])
                    break;
                e -= 1;
            }
            e += 1;
            if (e < max)
                Insert(list, e, t.id);
        }
        while (int32_t(list.size()) > max + 1)
            list.pop_back();
    }

    void Buildup(std::vector<int32_t>& list, const RefTable& t, int32_t i, int32_t j)
    {
        const int32_t max = options->MaximumJUXsPerColumn;
        const int32_t T = s.t;
        int32_t a = j, k = 0, c = RefHitsWithin(s, t, T, i);
        while (k < T && c == a && a >= 1) {
            k += 1;
            c = RefHitsWithin(s, t, T - k, i);
            if (c < a)
                a -= 1;
        }
        if (k < 2)
            return;
        if (list.empty()) {
            list.push_back(t.id);
            return;
        }
        auto beats = [&](const RefTable& l) {
            int32_t a2 = j, k2 = 0;
            int32_t cc = RefHitsWithin(s, t, T, i), ss = RefHitsWithin(s, l, T, i);
            int32_t c1 = cc, s1 = ss;
            while (k2 < T && ss == cc && cc == a2 && a2 >= 1) {
                k2 += 1;
                c1 = cc;
                s1 = ss;
                cc = RefHitsWithin(s, t, T - k2, i);
                ss = RefHitsWithin(s, l, T - k2, i);
                if (cc < a2)
                    a2 -= 1;
            }
            if (ss > cc)
                return ss > s1;
            if (ss == cc)
                return false;
            return cc <= c1;
        };
        int32_t e = std::min<int32_t>(int32_t(list.size()), max);
        while (e >= 1 && e <= int32_t(list.size()) && Find(list[size_t(e - 1)]) && beats(*Find(list[size_t(e - 1)])))
            e -= 1;
        e += 1;
        if (e < max)
            Insert(list, e, t.id);
        while (int32_t(list.size()) > max + 1)
            list.pop_back();
    }

    void File(const RefTable& t)
    {
        const uint8_t bits[3] = {kModeAugmentative, kModeAbsolute, kModeBuildup};
        const int32_t imax = options->MaxReqNumbers > 0 ? options->MaxReqNumbers : 99;
        const int32_t jmin = options->MinHitCategory != 0 ? options->MinHitCategory : 1;
        const int32_t jmax = options->MaxHitCategory > 0 ? options->MaxHitCategory : 99;
        for (int mode = 0; mode < 3; ++mode) {
            if (!(options->Modes & bits[mode]))
                continue;
            for (int32_t i = std::max(options->MinReqNumbers, 1); i <= int32_t(lists[mode].size()) && i <= imax; ++i)
                for (int32_t j = jmin; j >= 1 && j <= int32_t(lists[mode][size_t(i - 1)].size()) && j <= jmax; ++j) {
                    auto& list = lists[mode][size_t(i - 1)][size_t(j - 1)];
                    if (mode == 2)
                        Buildup(list, t, i, j);
                    else
                        Ranked(list, t, i, j, mode == 1);
                }
        }
        for (int pass = 0; pass < 2; ++pass) {
            const int32_t n = int32_t(tables.size());
            cursor = ((cursor + 1) % n) + 1;
            const int32_t id = tables[size_t(cursor - 1)]->id;
            if (!Listed(id) && !Kept(id)) {
                tables.erase(tables.begin() + (cursor - 1));
                cursor -= 1;
            }
        }
    }

    void Next()
    {
        computed += 1;
        const RefTable* pred = computed > 1 ? Find(computed - 1) : nullptr;
        auto t = std::make_shared<RefTable>(RefScan(s, computed, pred));
        tables.push_back(t);
        File(*t);
    }
};

// The engine's tables, live IDs and lists after table `id` against the plain run's.
void ExpectSameState(const TJUXEngine& engine, const RefRun& ref, int id)
{
    ASSERT_EQ(engine.Context.TablesComputed, id);
    const TJUXClass* mine = engine.FindTable(id);
    const RefTable* theirs = ref.Find(id);
    ASSERT_TRUE(mine && theirs) << "table " << id;
    ASSERT_EQ(mine->FinalOrder, theirs->finalOrder) << "table " << id;
    ASSERT_EQ(mine->RowOrders(), theirs->rowOrders) << "table " << id;
    ASSERT_EQ(mine->RowHits(), theirs->rowHits) << "table " << id;

    std::vector<int32_t> liveIds;
    for (const auto& t : ref.tables)
        liveIds.push_back(t->id);
    std::vector<int32_t> engineIds;
    for (int p = 1; p <= engine.TableIds.Count(); ++p) {
        int32_t v = 0;
        engine.TableIds.GetInt(p, v);
        engineIds.push_back(v);
        ASSERT_EQ(engine.TableRegistry.GetRecord(p)->Id, v);
    }
    ASSERT_EQ(engineIds, liveIds) << "after table " << id;
    for (int mode = 0; mode < 3; ++mode)
        for (int32_t i = 1; i <= ref.s.pool - 1; ++i)
            for (int32_t j = 1; j <= std::min(i, ref.s.k); ++j) {
                const TCategoryList* list = engine.CategoryList(i, j, mode);
                ASSERT_NE(list, nullptr);
                std::vector<int32_t> got;
                for (int p = 1; p <= list->Count(); ++p) {
                    int32_t v = 0;
                    list->GetInt(p, v);
                    got.push_back(v);
                }
                ASSERT_EQ(got, ref.lists[mode][size_t(i - 1)][size_t(j - 1)])
                    << "mode " << mode << " i " << i << " j " << j << " after table " << id;
            }
}

// Each case twice: one table per call of the run loop (the loop starts
// again before every table), and all tables in one call (the comparison
// runs inside the loop); compared after every table, so every table is
// compared while it is live.
class JUXReference : public ::testing::TestWithParam<std::tuple<Case, bool>> {};

void CheckCase(const Case& c, bool oneRun, TJUXScanner::TVectors vectors)
{
    TGameInfo info = fixtures::MakeGame(c.picked, c.total, 1, c.kind, c.picked2, c.total2, c.lowest);
    TDrawClass model(info);
    fixtures::FillDraws(model, info, c.draws, c.seed);
    ASSERT_EQ(model.DrawCount(), c.draws);
    TGameOptions options;
    SetCaseOptions(c, model, options);
    ASSERT_EQ(options.FieldSelected, c.field);
    const int tables = c.tables;
    ASSERT_NO_THROW(options.Validate());

    TJUXEngine engine(options);
    engine.SetScanVectors(vectors);
    engine.StartRun();

    RefRun ref;
    ref.options = &options;
    ref.s.game = &model;
    ref.s.combined = c.kind == 2 && c.field == 2;
    ref.s.field = ref.s.combined ? 1 : c.field;
    const TGameField& f = info.Fields[size_t(ref.s.field - 1)];
    ref.s.pool = f.Total;
    ref.s.k = f.Picked + (ref.s.combined ? info.Fields[1].Picked : 0);
    ref.s.t = c.t;
    ref.s.d = c.d;
    ref.s.r = c.r;
    ref.s.lowest = f.Lowest;
    ref.Build();
    ASSERT_EQ(engine.Context.HitWidth(), ref.s.k);
    ASSERT_EQ(engine.Rows(), ref.s.rows());

    struct StepControl : TRunControl {
        int allowed = 0;
        bool ShouldContinue() override { return allowed-- > 0 && !::testing::Test::HasFatalFailure(); }
        void RunFinished() override {}
    } control;
    engine.SetRunControl(&control);
    if (oneRun) {
        // The pump runs after each table's filing, inside the run loop.
        struct ComparingPump : TEventPump {
            TJUXEngine* engine;
            RefRun* ref;
            int compared = 0;
            void ProcessPendingEvents() override
            {
                ref->Next();
                ExpectSameState(*engine, *ref, ++compared);
            }
        } pump;
        pump.engine = &engine;
        pump.ref = &ref;
        engine.SetEventPump(&pump);
        control.allowed = tables;
        engine.RunAnalysis();
        engine.SetEventPump(nullptr);
        ASSERT_EQ(pump.compared, tables);
    } else {
        for (int id = 1; id <= tables; ++id) {
            control.allowed = 1;
            engine.RunAnalysis();
            ref.Next();
            ExpectSameState(engine, ref, id);
            if (::testing::Test::HasFatalFailure())
                return;
        }
    }
    // Something was filed, or the comparison above proved little.
    int filed = 0;
    for (int mode = 0; mode < 3; ++mode)
        for (const auto& col : ref.lists[mode])
            for (const auto& l : col)
                filed += int(l.size());
    EXPECT_GT(filed, 0);
}

// The scanner's 512-bit routines, where the CPU has them, and the portable
// ones give the same tables.
TJUXScanner::TVectors VectorsOf(bool wide)
{
    return wide ? TJUXScanner::TVectors::Widest : TJUXScanner::TVectors::Portable;
}

TEST_P(JUXReference, EngineEqualsPlainImplementation)
{
    const bool oneRun = std::get<1>(GetParam());
    for (bool wide : {false, true}) {
        // The scan is the same in both kinds of run: the wide routines once.
        if (wide && (oneRun || !TJUXScanner::WideVectorsAvailable()))
            continue;
        SCOPED_TRACE(wide ? "512-bit routines" : "portable routines");
        CheckCase(std::get<0>(GetParam()), oneRun, VectorsOf(wide));
        if (HasFatalFailure())
            return;
    }
}

INSTANTIATE_TEST_SUITE_P(Formations, JUXReference,
                         ::testing::Combine(::testing::ValuesIn(ReferenceCases()), ::testing::Bool()),
                         [](const ::testing::TestParamInfo<std::tuple<Case, bool>>& info) {
                             return std::string(std::get<0>(info.param).name) +
                                    (std::get<1>(info.param) ? "OneRun" : "TableByTable");
                         });

} // namespace

namespace {

// A predecessor read from a damaged run state may hold any byte in its rows;
// the next table must still be what the plain implementation makes of it.
TEST(JUXReferenceHostile, AnyPredecessorBytesGiveThePlainResult)
{
    for (unsigned run = 0; run < 6; ++run) {
        const bool wide = run >= 3;
        const unsigned seed = 31u + run % 3;
        if (wide && !TJUXScanner::WideVectorsAvailable())
            continue;
        TGameInfo info = fixtures::MakeGame(6, 49);
        TDrawClass model(info);
        fixtures::FillDraws(model, info, 90, seed);
        TGameOptions options;
        options.SetGame(&model);
        options.SetDefaults();
        options.TotalTestDraws = 20;
        options.MaxStatData = 9;
        options.SetStartPoint(70);
        TJUXEngine engine(options);
        engine.SetScanVectors(VectorsOf(wide));
        engine.StartRun();
        engine.ReloadDraws();

        RefSetup s;
        s.game = &model;
        s.pool = 49;
        s.k = 6;
        s.t = 20;
        s.d = 9;
        s.r = 0;
        RefTable pred;
        pred.id = 1;
        std::mt19937 rng(seed);
        auto anyByte = [&] { return int8_t(int(rng() % 256) - 128); };
        pred.finalOrder.resize(49);
        for (auto& v : pred.finalOrder)
            v = anyByte();
        pred.rowOrders.assign(size_t(s.rows()), std::vector<int8_t>(49));
        pred.rowHits.assign(size_t(s.rows()), std::vector<int8_t>(6));
        for (auto& row : pred.rowOrders)
            for (auto& v : row)
                v = anyByte();
        for (auto& row : pred.rowHits)
            for (auto& v : row)
                v = rng() % 3 == 0 ? anyByte() : int8_t(1 + rng() % 49);

        auto first = engine.CreateTable(1);
        ASSERT_TRUE(first->SetArrays(pred.finalOrder, pred.rowOrders, pred.rowHits));
        engine.AddTable(std::move(first));
        auto second = engine.CreateTable(2);
        engine.ComputeJUXAnalysis(*second);
        const RefTable theirs = RefScan(s, 2, &pred);
        EXPECT_EQ(second->FinalOrder, theirs.finalOrder) << "seed " << seed;
        EXPECT_EQ(second->RowOrders(), theirs.rowOrders) << "seed " << seed;
        EXPECT_EQ(second->RowHits(), theirs.rowHits) << "seed " << seed;
    }
}

} // namespace

namespace {

// Filing alone, on made-up hit rows that favour long build-up runs and close
// ranked ties, many tables long; now and then a list is reordered from
// outside (the same in both), which filing must notice by itself.
TEST(JUXReferenceFiling, RandomHitRowsFileLikeThePlainLists)
{
    for (unsigned seed : {41u, 42u, 43u})
        for (int32_t perColumn : {2, 5}) {
            SCOPED_TRACE(::testing::Message() << "seed " << seed << " per column " << perColumn);
            TGameInfo info = fixtures::MakeGame(3, 10);
            TDrawClass model(info);
            fixtures::FillDraws(model, info, 30, seed);
            TGameOptions options;
            options.SetGame(&model);
            options.SetDefaults();
            options.TotalTestDraws = 6;
            options.MaxStatData = 2;
            options.SetStartPoint(30 - 6);
            options.MaximumJUXsPerColumn = perColumn;
            options.Modes = kModeAll;
            TJUXEngine engine(options);
            engine.StartRun();

            RefRun ref;
            ref.options = &options;
            ref.s.game = &model;
            ref.s.pool = 10;
            ref.s.k = 3;
            ref.s.t = 6;
            ref.s.d = 2;
            ref.s.r = 0;
            ref.Build();
            ASSERT_EQ(engine.Rows(), ref.s.rows());

            std::mt19937 rng(seed);
            for (int32_t id = 1; id <= 400; ++id) {
                engine.Context.TablesComputed = id;
                auto table = engine.CreateTable(id);
                for (int32_t r = 0; r < table->Rows(); ++r) {
                    // Ranks drawn from a small top, so counts repeat row after row.
                    std::set<int8_t> ranks;
                    const int32_t spread = 3 + int32_t(rng() % 7);
                    while (ranks.size() < 3)
                        ranks.insert(int8_t(1 + rng() % unsigned(spread)));
                    std::copy(ranks.begin(), ranks.end(), table->RowHit(r));
                }
                RefTable plain;
                plain.id = id;
                plain.finalOrder = table->FinalOrder;
                plain.rowOrders = table->RowOrders();
                plain.rowHits = table->RowHits();
                TJUXClass& filed = *table;
                engine.AddTable(std::move(table));
                engine.Lists.FileTable(engine, filed);
                ref.computed = id;
                ref.tables.push_back(std::make_shared<RefTable>(plain));
                ref.File(plain);
                ExpectSameState(engine, ref, id);
                if (HasFatalFailure())
                    return;
                if (id % 37 == 0) {
                    const int32_t mode = int32_t(rng() % 3), i = 1 + int32_t(rng() % 9);
                    const int32_t j = 1 + int32_t(rng() % unsigned(std::min(i, 3)));
                    TCategoryList* list = engine.CategoryList(i, j, mode);
                    auto& plainList = ref.lists[mode][size_t(i - 1)][size_t(j - 1)];
                    if (list->Count() >= 2) {
                        list->Exchange(1, list->Count());
                        std::swap(plainList.front(), plainList.back());
                    }
                }
            }
        }
}

} // namespace
