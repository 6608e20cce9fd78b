// Factor-by-factor hypergeometric probability in extended precision.
#include "engine/HitProbability.h"

long double HitProbability(int32_t N, int32_t D, int32_t S, int32_t k)
{
    // The loop below runs about N times; bound it so a hostile N cannot hang.
    if (N < 1 || N > 100000 || D < 0 || S < 0 || D > N || S > N)
        return 0.0L;
    if (k < 0 || k > D || k > S || S - k > N - D)
        return 0.0L;

    long double r = 1.0L;
    int64_t a = k + 1;
    int64_t i = int64_t(N) + k - D - S + 1;
    int64_t l = S - k + 1;
    int64_t m = D - k + 1;
    int64_t j = 1;
    while (a <= D || i <= N - D || l <= S || m <= N - S || j <= N) {
        if (a <= D)
            r = r * static_cast<long double>(a);
        if (i <= N - D)
            r = r * static_cast<long double>(i);
        if (l <= S)
            r = r * static_cast<long double>(l);
        ++a;
        ++i;
        ++l;
        if (m <= N - S)
            r = r * static_cast<long double>(m);
        r = r / static_cast<long double>(j);
        ++j;
        ++m;
    }
    return r;
}
