// The walk-forward backtest against runs made by hand on each cut history,
// its chance figures against direct counting, and its p-values on histories
// of independent random draws.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <stdexcept>

#include "data/GameModel.h"
#include "engine/Backtest.h"
#include "engine/BestLists.h"
#include "engine/GameOptions.h"
#include "engine/JUXEngine.h"
#include "support/GameFixtures.h"

namespace {

struct HistoryCase {
    TGameInfo info;
    int draws, tested, stat, overhead;
    unsigned seed;
};

TGameOptions OptionsOn(const TDrawClass& game, int tested, int stat, int overhead)
{
    TGameOptions o;
    o.SetGame(&game);
    o.SetDefaults();
    o.FieldSelected = game.GameInfo().FieldCount;
    o.TotalTestDraws = tested;
    o.MaxStatData = stat;
    o.SetStartPoint(game.DrawCount() - tested - overhead);
    return o;
}

struct StopAfter : TBacktestObserver {
    int32_t draw, table;
    int calls = 0;
    StopAfter(int32_t d, int32_t t) : draw(d), table(t) {}
    bool Progress(int32_t drawsDone, int32_t, int32_t tablesDone, int32_t) override
    {
        ++calls;
        return !(drawsDone == draw && tablesDone >= table);
    }
};

// A run of `tables` tables made by hand on the first `count` draws of the
// seeded history, as a user would with the options page.
struct HandRun {
    std::unique_ptr<TDrawClass> game;
    TGameOptions options;
    std::unique_ptr<TJUXEngine> engine;
    HandRun(const HistoryCase& s, int count, int32_t tables) : game(std::make_unique<TDrawClass>(s.info))
    {
        fixtures::FillDraws(*game, s.info, count, s.seed);
        options = OptionsOn(*game, s.tested, s.stat, s.overhead);
        options.MaximumJUXsToScan = tables;
        options.Validate();
        engine = std::make_unique<TJUXEngine>(options);
        engine->StartRun();
        engine->RunAnalysis();
    }
};

TEST(Backtest, EqualsAnalysisByHandOnEachCutHistory)
{
    const HistoryCase setups[] = {
        {fixtures::MakeGame(4, 20), 70, 12, 6, 0, 3},
        // Bonus balls counted in with the main numbers, and a start point
        // below the default (run factor overhead 3).
        {fixtures::MakeGame(3, 18, 1, 2, 1), 70, 10, 5, 3, 8},
        // An undated game whose balls start at 0.
        {fixtures::MakeGame(3, 15, 0, 0, 0, 0, 0), 60, 8, 5, 0, 21},
    };
    const int32_t kDraws = 3, kTables = 25;
    int empty = 0;
    for (const HistoryCase& s : setups) {
        SCOPED_TRACE(FormationText(s.info.Fields, s.info.Field2Kind));
        TDrawClass game(s.info);
        fixtures::FillDraws(game, s.info, s.draws, s.seed);
        const TGameOptions options = OptionsOn(game, s.tested, s.stat, s.overhead);
        TBacktest backtest(game, options, kDraws, kTables);
        ASSERT_TRUE(backtest.Run());
        ASSERT_EQ(int(backtest.Results().size()), kDraws);
        // Nothing of the game or its options moved.
        EXPECT_EQ(game.DrawCount(), s.draws);
        EXPECT_EQ(options.StartPoint, s.draws - s.tested - s.overhead);
        EXPECT_EQ(options.MaximumJUXsToScan, 999999999);

        int predicted = 0;
        for (int32_t n = 0; n < kDraws; ++n) {
            const TBacktestDraw& got = backtest.Results()[size_t(n)];
            const int position = s.draws - kDraws + 1 + n;
            EXPECT_EQ(got.Position, position);
            HandRun hand(s, position - 1, kTables);
            TShortIntArray actual = game.GetDrawNumbers(position, 1);
            if (s.info.Field2Kind == 2) {
                const TShortIntArray bonus = game.GetDrawNumbers(position, 2);
                actual.insert(actual.end(), bonus.begin(), bonus.end());
            }
            std::sort(actual.begin(), actual.end());
            EXPECT_EQ(got.Actual, actual);
            const TRunContext& c = hand.engine->Context;
            size_t slot = 0;
            for (int32_t mode = 0; mode < kModeCount; ++mode)
                for (int32_t i = 1; i < c.PoolSize; ++i)
                    for (int32_t j = 1; j <= std::min(i, c.HitWidth()); ++j, ++slot) {
                        ASSERT_LT(slot, got.Predictions.size());
                        const TBacktestPrediction& p = got.Predictions[slot];
                        ASSERT_EQ(p.Mode, mode);
                        ASSERT_EQ(p.Requested, i);
                        ASSERT_EQ(p.Category, j);
                        const TCategoryList* list = hand.engine->CategoryList(i, j, mode);
                        int32_t id = 0;
                        if (!list->GetInt(1, id)) {
                            ++empty;
                            EXPECT_FALSE(p.Predicted());
                            EXPECT_EQ(p.Hits, -1);
                            EXPECT_TRUE(p.Numbers.empty());
                            continue;
                        }
                        ++predicted;
                        ASSERT_EQ(p.Table, id);
                        const TJUXClass* t = hand.engine->FindTable(id);
                        TShortIntArray numbers;
                        for (int32_t r = 0; r < i; ++r)
                            numbers.push_back(int8_t(c.BallOf(t->FinalOrder[size_t(r)])));
                        std::sort(numbers.begin(), numbers.end());
                        EXPECT_EQ(p.Numbers, numbers);
                        int hits = 0;
                        for (int8_t b : numbers)
                            hits += int(std::count(actual.begin(), actual.end(), b));
                        EXPECT_EQ(p.Hits, hits);
                    }
            EXPECT_EQ(slot, got.Predictions.size());
        }
        EXPECT_GT(predicted, 0);

        // The summary counts predicted draws only; an empty list is no miss.
        int summed = 0;
        for (const TBacktestSummary& sum : backtest.Summary()) {
            int32_t hits = 0, draws = 0;
            for (const TBacktestDraw& d : backtest.Results())
                for (const TBacktestPrediction& p : d.Predictions)
                    if (p.Mode == sum.Mode && p.Requested == sum.Requested && p.Category == sum.Category &&
                        p.Predicted()) {
                        ++draws;
                        hits += p.Hits;
                    }
            EXPECT_EQ(sum.Predicted, draws);
            EXPECT_EQ(sum.Hits, hits);
            int32_t observed = 0;
            for (int32_t o : sum.Observed)
                observed += o;
            EXPECT_EQ(observed, draws);
            summed += draws;
            // Summary works out the tails of all i in one pass; each equals
            // the tail worked out alone.
            const std::vector<long double> pmf =
                ChanceHitDistribution(backtest.PoolSize(), backtest.HitWidth(), sum.Requested);
            EXPECT_NEAR(sum.PValue, draws ? double(SumTailProbability(pmf, draws, hits)) : 1.0, 1e-13);
            ASSERT_EQ(sum.Expected.size(), pmf.size());
            for (size_t h = 0; h < pmf.size(); ++h)
                EXPECT_NEAR(sum.Expected[h], double(pmf[h]) * draws, 1e-12);
        }
        EXPECT_EQ(summed, predicted);
    }
    EXPECT_GT(empty, 0) << "no empty category list met: the cases do not test one";
}

TEST(Backtest, RefusesWhatCannotRun)
{
    const TGameInfo info = fixtures::MakeGame(4, 20);
    TDrawClass game(info);
    fixtures::FillDraws(game, info, 40, 4);
    const TGameOptions options = OptionsOn(game, 10, 5, 0);
    struct Case {
        int32_t draws, tables;
        const char* message;
    };
    const Case cases[] = {
        {0, 10, "Draws to backtest should be in the range of 1 - 39."},
        {40, 10, "Draws to backtest should be in the range of 1 - 39."},
        {5, 0, "Tables per draw should be in the range of 1 - 999999999."},
        // 40 - 21 = 19 draws left: fewer than T + 2D = 20.
        {21, 10,
         "The history before the 21 most recent draws does not suit the options: Not enough history draws for "
         "given tested draws/statistical data/start point (run factor). Please adjust these settings."},
    };
    for (const Case& c : cases) {
        TBacktest backtest(game, options, c.draws, c.tables);
        try {
            backtest.Run();
            ADD_FAILURE() << "ran " << c.draws << " draws";
        } catch (const std::exception& e) {
            EXPECT_STREQ(e.what(), c.message);
        }
        EXPECT_TRUE(backtest.Results().empty());
    }
    TBacktest fits(game, options, 20, 2);
    EXPECT_NO_THROW(fits.Check());
}

TEST(Backtest, StoppedRunKeepsFinishedDrawsAndResumes)
{
    const TGameInfo info = fixtures::MakeGame(3, 15);
    TDrawClass game(info);
    fixtures::FillDraws(game, info, 40, 9);
    TGameOptions options = OptionsOn(game, 8, 4, 0);
    options.Modes = kModeAbsolute;
    options.MaxReqNumbers = 3;
    TBacktest backtest(game, options, 3, 12);
    StopAfter stop(1, 5);
    EXPECT_FALSE(backtest.Run(&stop));
    ASSERT_EQ(backtest.Results().size(), 1u);
    for (const TBacktestSummary& s : backtest.Summary())
        EXPECT_LE(s.Predicted, 1);

    StopAfter never(-1, 0);
    EXPECT_TRUE(backtest.Run(&never));
    EXPECT_TRUE(backtest.Complete());
    TBacktest whole(game, options, 3, 12);
    ASSERT_TRUE(whole.Run());
    ASSERT_EQ(whole.Results().size(), backtest.Results().size());
    for (size_t d = 0; d < whole.Results().size(); ++d)
        for (size_t p = 0; p < whole.Results()[d].Predictions.size(); ++p) {
            EXPECT_EQ(whole.Results()[d].Predictions[p].Numbers, backtest.Results()[d].Predictions[p].Numbers);
            EXPECT_EQ(whole.Results()[d].Predictions[p].Table, backtest.Results()[d].Predictions[p].Table);
        }
    // Cumulative hits step with the predicted draws only.
    std::vector<double> hits, chance;
    backtest.CumulativeHits(kModeNumberAbsolute, 3, 1, hits, chance);
    ASSERT_EQ(hits.size(), 3u);
    const TBacktestSummary s = backtest.SummaryFor(kModeNumberAbsolute, 3, 1);
    EXPECT_DOUBLE_EQ(hits.back(), double(s.Hits));
    EXPECT_NEAR(chance.back(), s.Predicted * 3.0 * 3 / 15, 1e-12);
    EXPECT_TRUE(std::is_sorted(hits.begin(), hits.end()));
}

long double Binomial(int n, int k)
{
    if (k < 0 || k > n)
        return 0;
    long double r = 1;
    for (int t = 1; t <= k; ++t)
        r = r * (n - k + t) / t;
    return r;
}

TEST(BacktestChance, HitDistributionMatchesCountingSubsets)
{
    // Pool, drawn, chosen: every drawn set is counted against one chosen set.
    const int cases[][3] = {{10, 3, 4}, {12, 5, 2}, {9, 4, 8}, {7, 7, 3}, {11, 1, 1}};
    for (const auto& c : cases) {
        const int pool = c[0], drawn = c[1], chosen = c[2];
        std::vector<long double> counted(size_t(std::min(drawn, chosen)) + 1, 0);
        long double sets = 0;
        for (unsigned mask = 0; mask < (1u << pool); ++mask) {
            if (__builtin_popcount(mask) != drawn)
                continue;
            sets += 1;
            counted[size_t(__builtin_popcount(mask & ((1u << chosen) - 1)))] += 1;
        }
        const std::vector<long double> pmf = ChanceHitDistribution(pool, drawn, chosen);
        ASSERT_EQ(pmf.size(), counted.size());
        long double mean = 0;
        for (size_t h = 0; h < pmf.size(); ++h) {
            EXPECT_NEAR(double(pmf[h]), double(counted[h] / sets), 1e-15) << pool << " " << drawn << " " << h;
            mean += h * pmf[h];
        }
        EXPECT_NEAR(double(mean), double(chosen) * drawn / pool, 1e-14);
    }
}

TEST(BacktestChance, TailOfSumMatchesEnumeration)
{
    // Every sequence of n hit counts is enumerated and its probability added
    // to its sum.
    const std::vector<long double> pmfs[] = {
        ChanceHitDistribution(49, 6, 6), ChanceHitDistribution(10, 3, 4), {0.5L, 0.5L}, {0.2L, 0.0L, 0.8L}};
    for (const auto& pmf : pmfs)
        for (int n = 1; n <= 4; ++n) {
            const int width = int(pmf.size()) - 1;
            std::vector<long double> bySum(size_t(width * n) + 1, 0);
            std::function<void(int, int, long double)> walk = [&](int left, int sum, long double p) {
                if (left == 0) {
                    bySum[size_t(sum)] += p;
                    return;
                }
                for (int h = 0; h <= width; ++h)
                    walk(left - 1, sum + h, p * pmf[size_t(h)]);
            };
            walk(n, 0, 1);
            long double tail = 0;
            for (int total = width * n + 1; total >= -1; --total) {
                if (total >= 0 && total <= width * n)
                    tail += bySum[size_t(total)];
                const long double got = SumTailProbability(pmf, n, total);
                const long double want = total <= 0 ? 1 : tail;
                EXPECT_NEAR(double(got), double(want), 1e-15 + 1e-12 * double(want)) << n << " " << total;
                if (want > 0) {
                    EXPECT_GT(got, 0) << "a possible total has a tail of zero";
                }
            }
        }
    // A tail far below double rounding of 1 - CDF keeps its value: all 6 of
    // 6 on three draws is C(49,6)^-3.
    const long double jackpot3 = SumTailProbability(ChanceHitDistribution(49, 6, 6), 3, 18);
    EXPECT_NEAR(double(jackpot3 * Binomial(49, 6) * Binomial(49, 6) * Binomial(49, 6)), 1.0, 1e-9);
}

TEST(BacktestChance, RandomHistoriesGiveNoSystematicallySmallPValues)
{
    // Independent random draws cannot be predicted: under chance a p-value
    // is (for these discrete sums, at least) uniform, so about 5 % fall below
    // 0.05 and the mean is about one half.
    int below = 0, total = 0;
    double sumP = 0;
    for (unsigned seed = 1; seed <= 4; ++seed) {
        const TGameInfo info = fixtures::MakeGame(5, 30);
        TDrawClass game(info);
        fixtures::FillDraws(game, info, 70, 100 + seed);
        TGameOptions options = OptionsOn(game, 10, 5, 0);
        options.MaxReqNumbers = 10;
        TBacktest backtest(game, options, 20, 8);
        ASSERT_TRUE(backtest.Run());
        for (const TBacktestSummary& s : backtest.Summary()) {
            if (s.Predicted < 10)
                continue;
            ++total;
            sumP += s.PValue;
            below += s.PValue < 0.05 ? 1 : 0;
            EXPECT_NEAR(s.ChanceMean, s.Requested * 5.0 / 30, 1e-12);
        }
    }
    ASSERT_GT(total, 50);
    EXPECT_LT(double(below) / total, 0.15) << below << " of " << total;
    EXPECT_GT(sumP / total, 0.35);
}

} // namespace
