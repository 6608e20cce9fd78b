// The hypergeometric probability against exact combination counts.
#include <gtest/gtest.h>

#include <cmath>

#include "engine/HitProbability.h"

namespace {

long double Choose(int n, int k)
{
    if (k < 0 || k > n)
        return 0.0L;
    long double r = 1.0L;
    for (int i = 1; i <= k; ++i)
        r = r * (n - k + i) / i;
    return r;
}

TEST(HitProbability, SixOfFortyNineJackpot)
{
    EXPECT_NEAR(double(HitProbability(49, 6, 6, 6) * 13983816.0L), 1.0, 1e-15);
    EXPECT_NEAR(double(HitProbability(49, 6, 6, 3)), 246820.0 / 13983816.0, 1e-17);
}

TEST(HitProbability, MatchesTheFormulaAndSumsToOne)
{
    struct Case {
        int n, d, s;
    };
    for (const Case c : {Case{49, 6, 6}, Case{49, 6, 10}, Case{35, 5, 20}, Case{99, 14, 98}, Case{10, 2, 1},
                         Case{2, 1, 1}, Case{75, 7, 40}}) {
        long double sum = 0.0L;
        for (int k = 0; k <= c.d; ++k) {
            const long double p = HitProbability(c.n, c.d, c.s, k);
            const long double want = Choose(c.d, k) * Choose(c.n - c.d, c.s - k) / Choose(c.n, c.s);
            EXPECT_NEAR(double(p), double(want), 1e-15 * double(want) + 1e-300)
                << c.n << " " << c.d << " " << c.s << " " << k;
            sum += p;
        }
        EXPECT_NEAR(double(sum), 1.0, 1e-15) << c.n << " " << c.d << " " << c.s;
    }
}

TEST(HitProbability, ImpossibleCountsAndBadArgumentsAreZero)
{
    EXPECT_EQ(HitProbability(49, 6, 6, 7), 0.0L); // more hits than drawn
    EXPECT_EQ(HitProbability(49, 6, 3, 4), 0.0L); // more hits than played
    EXPECT_EQ(HitProbability(10, 6, 8, 3), 0.0L); // fewer than the 4 forced hits
    EXPECT_EQ(HitProbability(10, 6, 8, -1), 0.0L);
    EXPECT_EQ(HitProbability(0, 0, 0, 0), 0.0L);
    EXPECT_EQ(HitProbability(5, 6, 1, 1), 0.0L);
    EXPECT_EQ(HitProbability(2000000000, 6, 6, 6), 0.0L); // bounded, answers at once
    EXPECT_GT(HitProbability(10, 6, 8, 4), 0.0L);
}

} // namespace
