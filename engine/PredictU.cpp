// Window rating with shared work arrays, and the hit probability table.
#include "engine/PredictU.h"

#include <algorithm>

#include "engine/HitProbability.h"

namespace {

struct TPredictWork {
    TPredictValueRatingArray Rating;
    std::vector<int32_t> Frequency;
    std::vector<int32_t> Age;
    std::vector<int32_t> LastSeen;
    std::vector<int32_t> Repeats;
    std::vector<int32_t> Steps;
};

TPredictWork& Work()
{
    static TPredictWork work;
    return work;
}

} // namespace

TPredictClass::TPredictClass(int32_t lo, std::span<const int32_t> window, int32_t hi)
    : Start(lo), Finish(hi), Source(window)
{
    TPredictWork& w = Work();
    const int64_t width = std::max<int64_t>(int64_t(hi) - lo, 0);
    if (int64_t(w.Rating.size()) - 1 < width) {
        const size_t n = size_t(width) + 1;
        w.Rating.assign(n, 0.0);
        w.Frequency.assign(n, 0);
        w.Age.assign(n, 0);
        w.LastSeen.assign(n, 0);
        w.Repeats.assign(n, 0);
        w.Steps.assign(2 * size_t(width) + 1, 0);
    }
    std::fill(w.Rating.begin(), w.Rating.end(), 0.0);
    Reset();
}

void TPredictClass::Reset()
{
    TPredictWork& w = Work();
    std::fill(w.Frequency.begin(), w.Frequency.end(), 0);
    std::fill(w.Age.begin(), w.Age.end(), 0);
    std::fill(w.LastSeen.begin(), w.LastSeen.end(), 0);
    std::fill(w.Repeats.begin(), w.Repeats.end(), 0);
    std::fill(w.Steps.begin(), w.Steps.end(), 0);
}

void TPredictClass::Compute()
{
    TPredictWork& w = Work();
    const int32_t count = int32_t(Source.size());
    if (count == 0)
        return;
    const int32_t half = int32_t(w.Steps.size() / 2);
    const int32_t width = Finish - Start;
    auto inRange = [&](int32_t v) { return v >= 0 && v <= width; };

    bool havePrev = false;
    int32_t prev = 0;
    for (int32_t p = count; p >= 1; --p) {
        const int32_t v = Source[size_t(p - 1)] - Start;
        if (!inRange(v)) {
            havePrev = false; // a value outside lo..hi is refused by contract
            continue;
        }
        w.Frequency[size_t(v)] += 1;
        if (w.Age[size_t(v)] == 0)
            w.Age[size_t(v)] = count - p + 1;
        else if (w.LastSeen[size_t(v)] > 0 && w.Age[size_t(v)] >= w.LastSeen[size_t(v)] - p)
            w.Repeats[size_t(v)] += 1;
        w.LastSeen[size_t(v)] = p;
        if (havePrev)
            w.Steps[size_t(prev - v + half)] += 1;
        prev = v;
        havePrev = true;
    }
    const int32_t newest = Source[size_t(count - 1)] - Start;
    if (!inRange(newest))
        return;
    for (int32_t m = 0; m <= width; ++m)
        w.Rating[size_t(m)] += double(w.Frequency[size_t(m)]) + double(w.Repeats[size_t(m)]) +
                               double(w.Steps[size_t(m - newest + half)]);
}

double TPredictClass::RatingFor(int32_t value) const
{
    const TPredictWork& w = Work();
    const int64_t offset = int64_t(value) - Start;
    if (offset < 0 || offset > int64_t(w.Rating.size()) - 1)
        return 0.0;
    return w.Rating[size_t(offset)];
}

size_t TPredictClass::RatingCapacity() { return Work().Rating.size(); }
size_t TPredictClass::StepsCapacity() { return Work().Steps.size(); }

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
