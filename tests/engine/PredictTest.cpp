// The reference window ratings and the hit probability table.
#include <gtest/gtest.h>

#include <vector>

#include "engine/PredictU.h"
#include "support/PredictReference.h"

namespace {

std::vector<double> Ratings(int32_t lo, const std::vector<int32_t>& window, int32_t hi)
{
    TPredictClass p(lo, window, hi);
    p.Compute();
    std::vector<double> out;
    for (int32_t v = lo; v <= hi; ++v)
        out.push_back(p.RatingFor(v));
    return out;
}

TEST(PredictClass, WorkedExampleSumsFrequencyRepeatsAndSteps)
{
    // 3 5 3 4: value 3 occurs twice with one gap of 2 <= its age 2 (one
    // repeat); the window stepped +2, -2, +1, and from the newest 4 a step
    // of +1 leads to 5.
    EXPECT_EQ(Ratings(3, {3, 5, 3, 4}, 5), (std::vector<double>{3, 1, 2}));
}

TEST(PredictClass, EqualValuesAndSingleValues)
{
    for (int32_t d : {2, 5, 20}) {
        const std::vector<int32_t> window(size_t(d), 7);
        EXPECT_EQ(Ratings(7, window, 7), std::vector<double>{double(3 * d - 2)}) << d;
    }
    EXPECT_EQ(Ratings(9, {9}, 9), std::vector<double>{1});
}

TEST(PredictClass, OutsideTheRangeIsZero)
{
    const std::vector<int32_t> window{10, 12};
    TPredictClass p(10, window, 12);
    p.Compute();
    EXPECT_EQ(p.RatingFor(9), 0.0);
    EXPECT_EQ(p.RatingFor(-100), 0.0);
    EXPECT_EQ(p.RatingFor(10), 1.0);
}

TEST(PredictClass, ArraysGrowAndAreClearedOverTheirWholeLength)
{
    const std::vector<int32_t> wide{1, 60, 1, 60, 30};
    const auto first = Ratings(1, wide, 60);
    EXPECT_GE(TPredictClass::RatingCapacity(), 60u);
    EXPECT_GE(TPredictClass::StepsCapacity(), 119u);
    // A narrow window afterwards reads only its own counts.
    EXPECT_EQ(Ratings(3, {3, 5, 3, 4}, 5), (std::vector<double>{3, 1, 2}));
    EXPECT_EQ(Ratings(1, wide, 60), first);
    EXPECT_GE(TPredictClass::RatingCapacity(), 60u); // never shrinks
}

TEST(HitProbabilities, TableRowsAndColumns)
{
    THitProbabilities t;
    t.FillHitProbabilities(49, 6);
    EXPECT_NEAR(double(t.HitProbability(6, 6) * 13983816.0L), 1.0, 1e-15);
    EXPECT_GT(t.HitProbability(48, 6), 0.0L);
    EXPECT_EQ(t.HitProbability(49, 0), 0.0L); // rows end at PoolSize - 1
    EXPECT_EQ(t.HitProbability(6, 7), 0.0L);
    EXPECT_EQ(t.HitProbability(0, 0), 0.0L);
    EXPECT_EQ(t.HitProbability(100, 0), 0.0L);
    EXPECT_EQ(t.HitProbability(45, 1), 0.0L); // 45 of 49 played: at least 2 of 6 hit
    EXPECT_GT(t.HitProbability(45, 2), 0.0L);
    // Refilling for another pool clears the old rows.
    t.FillHitProbabilities(10, 2);
    EXPECT_EQ(t.HitProbability(20, 1), 0.0L);
    long double sum = 0;
    for (int j = 0; j <= 2; ++j)
        sum += t.HitProbability(5, j);
    EXPECT_NEAR(double(sum), 1.0, 1e-15);
}

} // namespace
