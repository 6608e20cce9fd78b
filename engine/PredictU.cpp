// The hit probability table.
#include "engine/PredictU.h"

#include <algorithm>

#include "engine/HitProbability.h"

void THitProbabilities::Clear()
{
    for (auto& row : cells_)
        row.fill(0.0L);
}

void THitProbabilities::FillHitProbabilities(int32_t poolSize, int32_t hitWidth)
{
    Clear();
    const int32_t pool = std::min(poolSize, kRows + 1);
    const int32_t k = std::min(hitWidth, kColumns - 1);
    for (int32_t i = 1; i <= pool - 1; ++i)
        for (int32_t j = std::max(0, i + k - pool); j <= std::min(i, k); ++j)
            cells_[size_t(i - 1)][size_t(j)] = ::HitProbability(pool, k, i, j);
}

long double THitProbabilities::HitProbability(int32_t i, int32_t j) const
{
    if (i < 1 || i > kRows || j < 0 || j >= kColumns)
        return 0.0L;
    return cells_[size_t(i - 1)][size_t(j)];
}
