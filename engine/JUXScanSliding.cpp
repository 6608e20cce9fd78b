// The sliding path: the recounting path's ratings (JUXScanRecount.cpp), kept
// up to date as each window takes one value and lets its oldest go, so that a
// step costs what changed rather than the whole window; the ratings are then
// summed over the windows in 128-bit vectors of eight 16-bit lanes (or by the
// 512-bit routines, JUXScanWide.cpp). Used while every sum fits in 16 bits.
#include <algorithm>

#include "engine/JUXScanParts.h"

// One new value and one dropped value change only frequencies, the
// histogram of steps, the numbers' occurrences and the histograms of their
// gaps. A number's repeats are its gaps no longer than its age; as the age
// grows by one each value, they grow by the count of gaps of the new age,
// looked up only at the time its next longer gap is reached (Due).
void TSlidingWindows::Reset(int32_t count, int32_t length, int32_t pool)
{
    poolSize_ = pool;
    windowLength_ = length;
    ringMask_ = 1;
    while (ringMask_ < length)
        ringMask_ *= 2;
    ringMask_ -= 1;
    const size_t ring = size_t(ringMask_) + 1;
    // Gaps within a window are shorter than its length.
    gapStride_ = length + 1;
    gapWords_ = (gapStride_ + 63) / 64;
    windows_.resize(size_t(count));
    for (TSlidingWindow& w : windows_) {
        if (w.Pool == poolSize_ && w.Length == length) {
            // Only the steps and gaps of the values still held are set: each
            // held number's gap counts and bits are cleared whole.
            for (int32_t t = w.Time - w.Count + 1; t <= w.Time; ++t) {
                const int32_t x = w.Values[size_t(t & ringMask_)];
                if (t < w.Time)
                    w.Steps[size_t(w.Values[size_t((t + 1) & ringMask_)] - x + TSlidingWindow::kStepOffset)] = 0;
                if (x >= 1 && x <= poolSize_) {
                    std::fill_n(w.Gaps.begin() + std::ptrdiff_t(x) * gapStride_, gapStride_, int16_t(0));
                    std::fill_n(w.GapBits.begin() + std::ptrdiff_t(x) * gapWords_, gapWords_, uint64_t(0));
                }
            }
        } else {
            w.Occurrences.resize((size_t(poolSize_) + 1) * ring);
            w.Values.resize(ring);
            w.Gaps.assign((size_t(poolSize_) + 1) * size_t(gapStride_), 0);
            w.GapBits.assign((size_t(poolSize_) + 1) * size_t(gapWords_), 0);
            w.DueBits.resize(2 * ring);
            w.Steps.fill(0);
            w.Pool = poolSize_;
            w.Length = length;
        }
        w.Weight.fill(0);
        w.Frequency.fill(0);
        w.Appends.fill(0);
        w.Due.fill(-1);
        std::fill(w.DueBits.begin(), w.DueBits.end(), 0);
        w.Time = 0;
        w.Count = 0;
        w.Newest = 0;
        w.Appended = 0;
    }
}

// A number is due in at most one slot, so clearing its bit in the slot of a
// stale or absent (-1) due time changes nothing: no test needed.
__attribute__((always_inline)) inline void TSlidingWindows::Schedule(TSlidingWindow& w, size_t number, int32_t age,
                                                                     int32_t newest) const
{
    const uint64_t bit = uint64_t(1) << (number & 63);
    const size_t half = number >> 6;
    w.DueBits[2 * size_t(w.Due[number] & ringMask_) + half] &= ~bit;
    const uint64_t* bits = w.GapBits.data() + number * size_t(gapWords_);
    const int32_t from = age + 1;
    if (gapWords_ == 1) {
        // Gaps are shorter than 64 here; from <= 64, and 2 << 63 is 0.
        const uint64_t b = bits[0] & ~((uint64_t(2) << (from - 1)) - 1);
        const int32_t due = newest + __builtin_ctzll(b | (uint64_t(1) << 63)) - 1;
        w.Due[number] = int16_t(due | -int32_t(b == 0));
        w.DueBits[2 * size_t(due & ringMask_) + half] |= bit & -uint64_t(b != 0);
        return;
    }
    int32_t word = from >> 6;
    uint64_t b = word < gapWords_ ? bits[word] & (~uint64_t(0) << (from & 63)) : 0;
    while (b == 0 && ++word < gapWords_)
        b = bits[word];
    if (b == 0) {
        w.Due[number] = -1;
        return;
    }
    const int32_t due = newest + word * 64 + __builtin_ctzll(b) - 1;
    w.Due[number] = int16_t(due);
    w.DueBits[2 * size_t(due & ringMask_) + half] |= bit;
}

void TSlidingWindows::RecountRepeats(TSlidingWindow& w, int32_t number) const
{
    const size_t x = size_t(number);
    const int32_t f = w.Frequency[x];
    const int16_t* times = w.Occurrences.data() + x * (size_t(ringMask_) + 1);
    const int32_t mask = ringMask_;
    const int32_t last = w.Appends[x] - 1;
    const int32_t newest = times[last & mask];
    const int32_t age = w.Time - newest + 1;
    int32_t repeats = 0;
    for (int32_t k = last - f + 1; k < last; ++k)
        repeats += times[(k + 1) & mask] - times[k & mask] <= age;
    w.Weight[x] = int16_t(f + repeats);
    Schedule(w, x, age, newest);
}

// Branch-free where the branch would follow the data: whether a number
// arrives for the first time or leaves for the last is not predictable.
// Slot 0 of a number's gap counts is never read (gaps are at least 1), so a
// first arrival or last departure counts a gap of 0 there instead of testing.
void TSlidingWindows::Append(int32_t window, int32_t value)
{
    TSlidingWindow& w = windows_[size_t(window)];
    Drop(w);
    Add(w, value);
}

// Drops first for every window, then adds: each window's chain of dependent
// loads then overlaps the next window's instead of waiting on its own add.
void TSlidingWindows::AppendRow(const int8_t* values, int32_t width)
{
    for (int32_t i = 0; i < width; ++i)
        Drop(windows_[size_t(i)]);
    for (int32_t i = 0; i < width; ++i)
        Add(windows_[size_t(i)], values[i]);
}

// A full window lets its oldest value go.
__attribute__((always_inline)) inline void TSlidingWindows::Drop(TSlidingWindow& w)
{
    const int32_t length = windowLength_;
    const size_t ring = size_t(ringMask_) + 1;
    auto inPool = [this](int32_t v) { return v >= 1 && v <= poolSize_; };
    if (w.Count == length) {
        const int32_t oldest = w.Time - length + 1;
        const int32_t dropped = w.Values[size_t(oldest & ringMask_)];
        if (length >= 2)
            --w.Steps[size_t(w.Values[size_t((oldest + 1) & ringMask_)] - dropped + TSlidingWindow::kStepOffset)];
        --w.Count;
        if (inPool(dropped)) {
            // The dropped occurrence takes its gap to the next one along; the
            // repeats lose it if it was counted. A due time that was this
            // gap's stays: it then adds nothing and moves on. Gone from the
            // window: no weight, no repeats, nothing due.
            const size_t u = size_t(dropped);
            const int32_t f = --w.Frequency[u];
            const int16_t* times = w.Occurrences.data() + u * ring;
            const int32_t first = w.Appends[u] - f - 1;
            // Masks, not conditionals: the compiler keeps loads out of selects.
            const int32_t gap = (times[(first + 1) & ringMask_] - times[first & ringMask_]) & -int32_t(f != 0);
            const int32_t newest = times[(w.Appends[u] - 1) & ringMask_];
            const size_t at = u * size_t(gapStride_) + size_t(gap);
            const uint64_t gone = uint64_t(--w.Gaps[at] == 0);
            w.GapBits[u * size_t(gapWords_) + size_t(gap >> 6)] &= ~(gone << (gap & 63));
            const int32_t weight = w.Weight[u] - 1 - int32_t(gap <= w.Time - newest + 1);
            w.Weight[u] = int16_t(weight & -int32_t(f != 0));
            const uint64_t unschedule = (uint64_t(1) << (u & 63)) & -uint64_t(f == 0);
            w.DueBits[2 * size_t(w.Due[u] & ringMask_) + (u >> 6)] &= ~unschedule;
            w.Due[u] = int16_t(w.Due[u] | -int32_t(f == 0));
        }
    }
}

__attribute__((always_inline)) inline void TSlidingWindows::Add(TSlidingWindow& w, int32_t value)
{
    const size_t ring = size_t(ringMask_) + 1;
    auto inPool = [this](int32_t v) { return v >= 1 && v <= poolSize_; };
    if (w.Count >= 1)
        ++w.Steps[size_t(value - w.Newest + TSlidingWindow::kStepOffset)];
    ++w.Time;
    ++w.Count;
    w.Newest = value;
    ++w.Appended;
    w.Values[size_t(w.Time & ringMask_)] = value;
    if (inPool(value)) {
        const size_t v = size_t(value);
        int16_t* times = w.Occurrences.data() + v * ring;
        const int32_t gap = (w.Time - times[(w.Appends[v] - 1) & ringMask_]) & -int32_t(w.Frequency[v] > 0);
        const uint64_t fresh = uint64_t(w.Gaps[v * size_t(gapStride_) + size_t(gap)]++ == 0);
        w.GapBits[v * size_t(gapWords_) + size_t(gap >> 6)] |= fresh << (gap & 63);
        times[w.Appends[v] & ringMask_] = int16_t(w.Time);
        ++w.Appends[v];
        ++w.Frequency[v];
        // Age 1: only gaps of one count.
        w.Weight[v] = int16_t(w.Frequency[v] + w.Gaps[v * size_t(gapStride_) + 1]);
        Schedule(w, v, 1, w.Time);
    }
}

// `number`, due now, adds its gaps of its present age to its repeats.
__attribute__((always_inline)) inline void TSlidingWindows::Due(TSlidingWindow& w, size_t number) const
{
    const int16_t* times = w.Occurrences.data() + number * (size_t(ringMask_) + 1);
    const int32_t newest = times[(w.Appends[number] - 1) & ringMask_];
    const int32_t age = w.Time - newest + 1;
    w.Weight[number] = int16_t(w.Weight[number] + w.Gaps[number * size_t(gapStride_) + size_t(age)]);
    Schedule(w, number, age, newest);
}

// Brings each window's repeats up to its present time: a number whose age
// has reached its next gap adds the gaps of that length.
__attribute__((always_inline)) inline int32_t TSlidingWindows::CatchUp(int32_t width, uint64_t* due,
                                                                       TSlidingWindow** active, const int16_t** steps)
{
    int32_t count = 0;
    for (int32_t i = 0; i < width; ++i) {
        TSlidingWindow& w = windows_[size_t(i)];
        if (w.Appended > 1) {
            // Several values at once: ages jumped past the due times.
            for (int32_t x = 1; x <= poolSize_; ++x)
                if (w.Frequency[size_t(x)] > 0)
                    RecountRepeats(w, x);
        } else if (w.Appended == 1) {
            const uint64_t* slot = w.DueBits.data() + 2 * size_t(w.Time & ringMask_);
            if (due)
                due[i] = slot[0];
            else
                for (size_t half = 0; half < 2; ++half)
                    for (uint64_t bits = slot[half]; bits != 0; bits &= bits - 1)
                        Due(w, 64 * half + size_t(__builtin_ctzll(bits)));
        }
        w.Appended = 0;
        if (w.Count == 0)
            continue;
        active[count] = &w;
        steps[count] = w.Steps.data() + TSlidingWindow::kStepOffset - w.Newest;
        ++count;
    }
    return count;
}

// lanes[x] = sum over the windows holding x of Weight[x] plus the count of
// steps x - Newest: the windows' ratings, summed.
void TSlidingWindows::Rate(int32_t width, int16_t* lanes)
{
    const int32_t blocks = (poolSize_ + 8) / 8;
    TSlidingWindow* active[TJUXScanner::kMaxHitWidth];
    const int16_t* steps[TJUXScanner::kMaxHitWidth];
    const int32_t count = CatchUp(width, nullptr, active, steps);
    if (blocks <= 7) {
        // Pools up to 55: seven sums held in registers, one pass per window.
        TVec sums[7] = {};
        for (int32_t a = 0; a < count; ++a) {
            const int16_t* weight = active[a]->Weight.data();
            const int16_t* step = steps[a];
#pragma GCC unroll 7
            for (int32_t b = 0; b < 7; ++b) {
                const TVec w = LoadVec(weight + 8 * b);
                sums[b] += (w + LoadVec(step + 8 * b)) & (w > TVec{});
            }
        }
#pragma GCC unroll 7
        for (int32_t b = 0; b < 7; ++b)
            StoreVec(lanes + 8 * b, sums[b]);
        return;
    }
    for (int32_t b = 0; b < blocks; ++b) {
        TVec sum{};
        for (int32_t a = 0; a < count; ++a) {
            const TVec weight = LoadVec(active[a]->Weight.data() + 8 * b);
            sum += (weight + LoadVec(steps[a] + 8 * b)) & (weight > TVec{});
        }
        StoreVec(lanes + 8 * b, sum);
    }
}

#if defined(__x86_64__)
int32_t TSlidingWindows::RateWide(int32_t width, int16_t* lanes)
{
    TSlidingWindow* active[TJUXScanner::kMaxHitWidth];
    const int16_t* steps[TJUXScanner::kMaxHitWidth];
    // The numbers due now in all windows as one list: one loop whose length
    // varies, where a loop per window would end unforeseen in each.
    uint64_t due[TJUXScanner::kMaxHitWidth] = {};
    const int32_t count = CatchUp(width, due, active, steps);
    alignas(64) uint8_t numbers[TJUXScanner::kMaxHitWidth * 64 + 64];
    alignas(64) uint8_t owners[TJUXScanner::kMaxHitWidth * 64 + 64];
    const int32_t n = CollectDue(due, width, numbers, owners);
    for (int32_t e = 0; e < n; ++e)
        Due(windows_[owners[e]], numbers[e]);
    const int16_t* weights[TJUXScanner::kMaxHitWidth];
    for (int32_t a = 0; a < count; ++a)
        weights[a] = active[a]->Weight.data();
    return SumWide(weights, steps, count, poolSize_, lanes);
}
#endif
