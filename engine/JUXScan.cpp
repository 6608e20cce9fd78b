// One table's scan: feed the position windows, rate them, rank the pool, map
// the ranks and record the next draw's hits.
#include "engine/JUXScan.h"

#include <algorithm>
#include <climits>
#include <cstring>

#if defined(__x86_64__) || defined(__SSE2__)
#include <immintrin.h>
#endif

#include "engine/JUXClass.h"
#include "engine/JUXEngine.h"

namespace {

// Eight 16-bit lanes; GCC and Clang map these onto the SIMD registers of
// the target (SSE2 on x86-64).
using TVec = int16_t __attribute__((vector_size(16)));

inline TVec LoadVec(const int16_t* p)
{
    TVec v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

inline void StoreVec(int16_t* p, TVec v) { std::memcpy(p, &v, sizeof v); }

#if defined(__x86_64__) && !defined(__AVX__)
// Code elsewhere in the process (a GUI's painting) may leave the upper halves
// of the vector registers in use; the SSE code here then pays a merge on
// every instruction until they are cleared.
__attribute__((target("avx"))) void ClearUpperHalves() { __builtin_ia32_vzeroupper(); }
const bool kHasAvx = [] {
    __builtin_cpu_init(); // static initialisers may run before the library's own
    return __builtin_cpu_supports("avx") != 0;
}();
#endif

#if defined(__x86_64__)
// 512-bit routines for pools up to 63, used when the CPU has them: a window's
// 64 lanes in two registers, and the ranking compressed out level by level.
#define JUX_WIDE_TARGET __attribute__((target("avx512f,avx512bw,avx512vbmi2,popcnt,bmi2")))
// GCC 12's headers warn of their own placeholder operands (fixed in GCC 13).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
const bool kHasWide = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx512f") != 0 && __builtin_cpu_supports("avx512bw") != 0 &&
           __builtin_cpu_supports("avx512vbmi2") != 0 && __builtin_cpu_supports("popcnt") != 0 &&
           __builtin_cpu_supports("bmi2") != 0;
}();

// out[x] for lanes 0 .. 63 = sum over the windows a with weights[a][x] > 0 of
// weights[a][x] + steps[a][x]. Answers the highest sum of numbers 1 .. pool,
// or -1 when it is 64 or more.
JUX_WIDE_TARGET int32_t SumWide(const int16_t* const* weights, const int16_t* const* steps, int32_t count,
                                int32_t pool, int16_t* out)
{
    const __m512i zero = _mm512_setzero_si512();
    __m512i low = zero, high = zero;
    for (int32_t a = 0; a < count; ++a) {
        const __m512i w0 = _mm512_loadu_si512(weights[a]);
        const __m512i w1 = _mm512_loadu_si512(weights[a] + 32);
        const __m512i r0 = _mm512_add_epi16(w0, _mm512_loadu_si512(steps[a]));
        const __m512i r1 = _mm512_add_epi16(w1, _mm512_loadu_si512(steps[a] + 32));
        low = _mm512_mask_add_epi16(low, _mm512_cmpgt_epi16_mask(w0, zero), low, r0);
        high = _mm512_mask_add_epi16(high, _mm512_cmpgt_epi16_mask(w1, zero), high, r1);
    }
    _mm512_storeu_si512(out, low);
    _mm512_storeu_si512(out + 32, high);
    const uint64_t lanes = ((uint64_t(2) << pool) - 1) & ~uint64_t(1);
    __m512i m = _mm512_max_epi16(_mm512_maskz_mov_epi16(__mmask32(lanes), low),
                                 _mm512_maskz_mov_epi16(__mmask32(lanes >> 32), high));
    m = _mm512_max_epi16(m, _mm512_shuffle_i64x2(m, m, 0x4E));
    m = _mm512_max_epi16(m, _mm512_shuffle_i64x2(m, m, 0xB1));
    __m128i m128 = _mm512_castsi512_si128(m);
    m128 = _mm_max_epi16(m128, _mm_shuffle_epi32(m128, 0x4E));
    m128 = _mm_max_epi16(m128, _mm_shuffle_epi32(m128, 0xB1));
    m128 = _mm_max_epi16(m128, _mm_shufflelo_epi16(m128, 0xB1));
    const int32_t top = int16_t(_mm_extract_epi16(m128, 0));
    return top < 64 ? top : -1;
}

// 0 .. 64: from 0, the lane numbers; from 1, the pool numbers and ranks.
constexpr int8_t kCount[65] = {0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16,
                               17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32,
                               33, 34, 35, 36, 37, 38, 39, 40, 41, 42, 43, 44, 45, 46, 47, 48,
                               49, 50, 51, 52, 53, 54, 55, 56, 57, 58, 59, 60, 61, 62, 63, 64};

// The numbers whose bits are set in due[i], for the windows i = 0 .. width - 1,
// into numbers[] with i beside each in owners[]; answers how many. Both lists
// need room for 64 entries past the last.
JUX_WIDE_TARGET int32_t CollectDue(const uint64_t* due, int32_t width, uint8_t* numbers, uint8_t* owners)
{
    const __m512i all = _mm512_loadu_si512(kCount);
    int32_t n = 0;
    for (int32_t i = 0; i < width; ++i) {
        _mm512_storeu_si512(numbers + n, _mm512_maskz_compress_epi8(due[i], all));
        _mm512_storeu_si512(owners + n, _mm512_set1_epi8(char(i)));
        n += __builtin_popcountll(due[i]);
    }
    return n;
}

// out[r] = through[n - 1] (or n) for the number n of rank r, scores of
// numbers 1 .. pool in 0 .. top: per score from the top, the numbers holding
// it, in ascending order, compressed out of one register. Writes out[0 ..
// pool - 1] alone. Then FindHits: the ranks (from 1) whose placed number is
// one of `drawn`, the first `width` into hits; answers how many there are.
JUX_WIDE_TARGET int32_t PlaceWide(const int16_t* scores, int32_t top, const int8_t* through, int32_t pool,
                                  int8_t* out, const uint8_t* drawn, int32_t drawnCount, int8_t* hits,
                                  int32_t width)
{
    const uint64_t valid = (uint64_t(1) << pool) - 1; // number n at bit n - 1
    // Scores below 64 fit bytes: lane x at byte x.
    const __m512i bytes = _mm512_inserti64x4(_mm512_castsi256_si512(_mm512_cvtepi16_epi8(_mm512_loadu_si512(scores))),
                                             _mm512_cvtepi16_epi8(_mm512_loadu_si512(scores + 32)), 1);
    const __m512i mapped = _mm512_maskz_loadu_epi8(valid, through ? through : kCount + 1);
    uint64_t isDrawn = 0; // by number
    for (int32_t d = 0; d < drawnCount; ++d)
        isDrawn |= _mm512_mask_cmpeq_epi8_mask(valid, mapped, _mm512_set1_epi8(char(drawn[d])));
    uint64_t hitRanks = 0; // rank r + 1 at bit r
    int32_t r = 0;
    __m512i l = _mm512_set1_epi8(char(top));
    const __m512i one = _mm512_set1_epi8(1);
    for (int32_t level = top; level >= 0 && r < pool; --level, l = _mm512_sub_epi8(l, one)) {
        const uint64_t at = _mm512_mask_cmpeq_epi8_mask(valid << 1, bytes, l) >> 1;
        const int32_t count = __builtin_popcountll(at);
        _mm512_mask_storeu_epi8(out + r, (uint64_t(1) << count) - 1, _mm512_maskz_compress_epi8(at, mapped));
        hitRanks |= _pext_u64(isDrawn, at) << r;
        r += count;
    }
    if (!hits)
        return 0;
    const int32_t h = __builtin_popcountll(hitRanks);
    _mm512_mask_storeu_epi8(hits, (uint64_t(1) << std::min(h, width)) - 1,
                            _mm512_maskz_compress_epi8(hitRanks, _mm512_loadu_si512(kCount + 1)));
    return h;
}
#pragma GCC diagnostic pop
#endif

} // namespace

bool& TJUXScanner::WideVectorsAllowed()
{
    static bool allowed = true;
    return allowed;
}

bool TJUXScanner::WideVectorsAvailable()
{
#if defined(__x86_64__)
    return kHasWide;
#else
    return false;
#endif
}

void TJUXScanner::LoadDraws(const TDrawClass* game, const TRunContext& context)
{
    draws_.clear();
    drawCount_ = game ? game->DrawCount() : 0;
    draws_.resize(size_t(drawCount_));
    const int32_t hitWidth = std::min(context.HitWidth(), kMaxHitWidth);
    const int32_t lowest = context.Lowest();
    TShortIntArray balls;
    for (int32_t d = 1; d <= drawCount_; ++d) {
        balls = game->GetDrawNumbers(d, context.AnalysedField);
        if (context.CombinedSecondField) {
            const TShortIntArray second = game->GetDrawNumbers(d, 2);
            balls.insert(balls.end(), second.begin(), second.end());
            std::sort(balls.begin(), balls.end());
        }
        TDrawEntry& entry = draws_[size_t(d - 1)];
        entry.FeedCount = std::min<int32_t>(int32_t(balls.size()), hitWidth);
        for (int32_t i = 0; i < entry.FeedCount; ++i)
            entry.Feed[size_t(i)] = int32_t(balls[size_t(i)]) - lowest + 1;
        for (int8_t b : balls) {
            // Values lie within 256 consecutive integers, so the byte is unique.
            const unsigned u = static_cast<uint8_t>(int32_t(b) - lowest + 1);
            const auto end = entry.Drawn.begin() + entry.DrawnCount;
            if (std::find(entry.Drawn.begin(), end, uint8_t(u)) == end && entry.DrawnCount < int32_t(entry.Drawn.size()))
                entry.Drawn[size_t(entry.DrawnCount++)] = uint8_t(u);
            entry.DrawnZero = entry.DrawnZero || u == 0;
        }
    }
    loaded_ = true;
}

void TJUXScanner::ResetWindows(int32_t count, int32_t length)
{
    windowCount_ = count;
    windowLength_ = std::max(length, 0);
    const size_t slice = 2 * size_t(std::max(windowLength_, 1));
    if (buf_.size() < slice * size_t(count))
        buf_.resize(slice * size_t(count));
    start_.assign(size_t(count), 0);
    end_.assign(size_t(count), 0);
}

void TJUXScanner::Append(int32_t window, int32_t value)
{
    if (windowLength_ == 0)
        return; // a window of length 0 keeps nothing
    const int32_t slice = 2 * windowLength_;
    int32_t* base = buf_.data() + size_t(window) * size_t(slice);
    int32_t& s = start_[size_t(window)];
    int32_t& e = end_[size_t(window)];
    if (e == slice) {
        std::copy(base + s, base + e, base);
        e -= s;
        s = 0;
    }
    base[e++] = value;
    if (e - s > windowLength_)
        ++s;
}

// Only the values present get a rating that reaches the scores, and the
// rating depends on values and their differences alone, so the slots are
// indexed by value at a fixed offset instead of by value - lo.
void TJUXScanner::RateWindow(const int32_t* w, int32_t count)
{
    if (count == 0)
        return;
    TSlot* slots = slots_.data() + kOffset;
    int32_t* steps = steps_.data() + kHalf;
    int32_t distinctCount = 0;
    // Branch-free: whether a value is met for the first time is not
    // predictable. A slot not met yet has Age and LastSeen 0.
    for (int32_t p = count; p >= 1; --p) {
        const int32_t v = w[p - 1];
        TSlot& slot = slots[v];
        const int32_t first = slot.Frequency == 0;
        slot.Frequency += 1;
        distinct_[size_t(distinctCount)] = v;
        distinctCount += first;
        slot.Repeats += (first ^ 1) & int32_t(slot.Age >= slot.LastSeen - p);
        slot.Age += first * (count - p + 1);
        slot.LastSeen = p;
    }
    for (int32_t p = 1; p < count; ++p)
        ++steps[w[p] - w[p - 1]];
    const int32_t newest = w[count - 1];
    for (int32_t d = 0; d < distinctCount; ++d) {
        const int32_t x = distinct_[size_t(d)];
        TSlot& slot = slots[x];
        const int32_t rating = slot.Frequency + slot.Repeats + steps[x - newest];
        if (x >= 1 && x <= 99)
            scores_[size_t(x)] += rating;
        slot = TSlot{};
    }
    for (int32_t p = 1; p < count; ++p)
        steps[w[p] - w[p - 1]] = 0;
}

// The sliding windows give each number the rating RateWindow gives it, but
// change only what one new value and one dropped value change: frequencies,
// the histogram of steps, the numbers' occurrences and the histograms of
// their gaps. A number's repeats are its gaps no longer than its age; as the
// age grows by one each value, they grow by the count of gaps of the new age,
// looked up only at the time its next longer gap is reached (Due).
void TJUXScanner::SlideReset(int32_t count, int32_t length)
{
    windowCount_ = count;
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
                    w.Steps[size_t(w.Values[size_t((t + 1) & ringMask_)] - x + kStepOffset)] = 0;
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
__attribute__((always_inline)) inline void TJUXScanner::Schedule(TSlidingWindow& w, size_t number, int32_t age,
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

void TJUXScanner::RecountRepeats(TSlidingWindow& w, int32_t number) const
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
void TJUXScanner::SlideAppend(TSlidingWindow& w, int32_t value)
{
    SlideDrop(w);
    SlideAdd(w, value);
}

// Drops first for every window, then adds: each window's chain of dependent
// loads then overlaps the next window's instead of waiting on its own add.
void TJUXScanner::SlideAppendRow(const int8_t* values, int32_t width)
{
    for (int32_t i = 0; i < width; ++i)
        SlideDrop(windows_[size_t(i)]);
    for (int32_t i = 0; i < width; ++i)
        SlideAdd(windows_[size_t(i)], values[i]);
}

// A full window lets its oldest value go.
__attribute__((always_inline)) inline void TJUXScanner::SlideDrop(TSlidingWindow& w)
{
    const int32_t length = windowLength_;
    const size_t ring = size_t(ringMask_) + 1;
    auto inPool = [this](int32_t v) { return v >= 1 && v <= poolSize_; };
    if (w.Count == length) {
        const int32_t oldest = w.Time - length + 1;
        const int32_t dropped = w.Values[size_t(oldest & ringMask_)];
        if (length >= 2)
            --w.Steps[size_t(w.Values[size_t((oldest + 1) & ringMask_)] - dropped + kStepOffset)];
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

__attribute__((always_inline)) inline void TJUXScanner::SlideAdd(TSlidingWindow& w, int32_t value)
{
    const size_t ring = size_t(ringMask_) + 1;
    auto inPool = [this](int32_t v) { return v >= 1 && v <= poolSize_; };
    if (w.Count >= 1)
        ++w.Steps[size_t(value - w.Newest + kStepOffset)];
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
__attribute__((always_inline)) inline void TJUXScanner::Due(TSlidingWindow& w, size_t number) const
{
    const int16_t* times = w.Occurrences.data() + number * (size_t(ringMask_) + 1);
    const int32_t newest = times[(w.Appends[number] - 1) & ringMask_];
    const int32_t age = w.Time - newest + 1;
    w.Weight[number] = int16_t(w.Weight[number] + w.Gaps[number * size_t(gapStride_) + size_t(age)]);
    Schedule(w, number, age, newest);
}

// laneScores_[x] = sum over the windows holding x of Weight[x] plus the
// count of steps x - Newest: the windows' RateWindow ratings, summed.
void TJUXScanner::SlideRate(int32_t width)
{
    const int32_t blocks = (poolSize_ + 8) / 8;
    TSlidingWindow* active[kMaxHitWidth];
    const int16_t* steps[kMaxHitWidth];
    int32_t count = 0;
#if defined(__x86_64__)
    // The numbers due now in all windows as one list: one loop whose length
    // varies, where a loop per window would end unforeseen in each.
    uint64_t due[kMaxHitWidth] = {};
#endif
    for (int32_t i = 0; i < width; ++i) {
        TSlidingWindow& w = windows_[size_t(i)];
        if (w.Appended > 1) {
            // Several values at once: ages jumped past the due times.
            for (int32_t x = 1; x <= poolSize_; ++x)
                if (w.Frequency[size_t(x)] > 0)
                    RecountRepeats(w, x);
        } else if (w.Appended == 1) {
            const uint64_t* slot = w.DueBits.data() + 2 * size_t(w.Time & ringMask_);
#if defined(__x86_64__)
            if (wide_)
                due[i] = slot[0];
            else
#endif
                for (size_t half = 0; half < 2; ++half)
                    for (uint64_t bits = slot[half]; bits != 0; bits &= bits - 1)
                        Due(w, 64 * half + size_t(__builtin_ctzll(bits)));
        }
        w.Appended = 0;
        if (w.Count == 0)
            continue;
        active[count] = &w;
        steps[count] = w.Steps.data() + kStepOffset - w.Newest;
        ++count;
    }
#if defined(__x86_64__)
    if (wide_) {
        alignas(64) uint8_t numbers[kMaxHitWidth * 64 + 64];
        alignas(64) uint8_t owners[kMaxHitWidth * 64 + 64];
        const int32_t n = CollectDue(due, width, numbers, owners);
        for (int32_t e = 0; e < n; ++e)
            Due(windows_[owners[e]], numbers[e]);
        const int16_t* weights[kMaxHitWidth];
        for (int32_t a = 0; a < count; ++a)
            weights[a] = active[a]->Weight.data();
        wideTop_ = SumWide(weights, steps, count, poolSize_, laneScores_.data());
        return;
    }
#endif
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
            StoreVec(laneScores_.data() + 8 * b, sums[b]);
        return;
    }
    for (int32_t b = 0; b < blocks; ++b) {
        TVec sum{};
        for (int32_t a = 0; a < count; ++a) {
            const TVec weight = LoadVec(active[a]->Weight.data() + 8 * b);
            sum += (weight + LoadVec(steps[a] + 8 * b)) & (weight > TVec{});
        }
        StoreVec(laneScores_.data() + 8 * b, sum);
    }
}

// Highest score first, ties by the lower number. Scores are small
// non-negative integers, so a counting sort by score (numbers placed in
// ascending order) gives that order; a key sort covers large scores.
template <typename TScore>
void TJUXScanner::Rank(const TScore* scores, int32_t pool)
{
    int64_t top = 0;
    for (int32_t n = 1; n <= pool; ++n)
        top = std::max<int64_t>(top, scores[n]);
    if (top < int64_t(bucket_.size())) {
        const int32_t levels = int32_t(top) + 1;
        std::fill(bucket_.begin(), bucket_.begin() + levels + 1, 0);
        for (int32_t n = 1; n <= pool; ++n)
            ++bucket_[size_t(top - scores[n]) + 1];
        for (int32_t l = 1; l <= levels; ++l)
            bucket_[size_t(l)] += bucket_[size_t(l - 1)];
        for (int32_t n = 1; n <= pool; ++n)
            order_[size_t(bucket_[size_t(top - scores[n])]++)] = int8_t(n);
    } else {
        constexpr int64_t ceiling = int64_t(1) << 55;
        for (int32_t n = 1; n <= pool; ++n)
            keys_[size_t(n - 1)] = (uint64_t(ceiling - scores[n]) << 7) | uint64_t(n);
        std::sort(keys_.begin(), keys_.begin() + pool);
        for (int32_t r = 0; r < pool; ++r)
            order_[size_t(r)] = int8_t(keys_[size_t(r)] & 127);
    }
}

// placed_[r] = through[n - 1] (or n without a predecessor) for the number n
// of rank r: Rank followed by the mapping. Lane scores are small, so their
// counting sort writes the mapped numbers directly.
void TJUXScanner::Place(const int8_t* through, int32_t pool)
{
    const int16_t* scores = laneScores_.data();
    int32_t top = 0;
    if (sliding_) {
        // Lanes outside 1 .. pool hold 0.
        TVec high{};
        for (int32_t b = 0; b < (pool + 8) / 8; ++b) {
            const TVec v = LoadVec(scores + 8 * b);
            high = high > v ? high : v;
        }
        for (int32_t l = 0; l < 8; ++l)
            top = std::max<int32_t>(top, high[l]);
    }
    if (!sliding_ || top >= int32_t(bucket_.size())) {
        if (sliding_)
            Rank(scores, pool);
        else
            Rank(scores_.data(), pool);
        for (int32_t r = 0; r < pool; ++r)
            placed_[size_t(r)] = through ? through[order_[size_t(r)] - 1] : order_[size_t(r)];
        return;
    }
    // Keys top - score, in lanes; the sort then touches only its own arrays.
    alignas(16) std::array<int16_t, kLanes> keys;
    const TVec topLanes = TVec{} + int16_t(top);
    for (int32_t b = 0; b < (pool + 8) / 8; ++b)
        StoreVec(keys.data() + 8 * b, topLanes - LoadVec(scores + 8 * b));
    int32_t* __restrict bucket = bucket_.data();
    const int32_t levels = top + 1;
    std::fill(bucket, bucket + levels + 1, 0);
#pragma GCC unroll 8
    for (int32_t n = 1; n <= pool; ++n)
        ++bucket[keys[size_t(n)] + 1];
    for (int32_t l = 1; l <= levels; ++l)
        bucket[l] += bucket[l - 1];
    int8_t* __restrict placed = placed_.data();
    if (through)
#pragma GCC unroll 8
        for (int32_t n = 1; n <= pool; ++n)
            placed[bucket[keys[size_t(n)]]++] = through[n - 1];
    else
        for (int32_t n = 1; n <= pool; ++n)
            placed[bucket[keys[size_t(n)]]++] = int8_t(n);
}

// Positions r + 1 (ascending) of the placed numbers that `drawn` holds, at
// most `width` of them into `hits`; returns how many positions there are.
int32_t TJUXScanner::FindHits(const TDrawEntry& drawn, int32_t pool, int8_t* hits, int32_t width)
{
    int32_t h = 0;
#if defined(__SSE2__)
    // Pools up to 64 in four blocks of 16 bytes held in registers; bytes past
    // the pool are cleared and match only a drawn byte 0 (outside the pool).
    if (pool <= 64 && !drawn.DrawnZero) {
        using TBytes = uint8_t __attribute__((vector_size(16)));
        std::memset(placed_.data() + pool, 0, size_t(64 - pool));
        TBytes v0, v1, v2, v3;
        std::memcpy(&v0, placed_.data(), 16);
        std::memcpy(&v1, placed_.data() + 16, 16);
        std::memcpy(&v2, placed_.data() + 32, 16);
        std::memcpy(&v3, placed_.data() + 48, 16);
        TBytes m0{}, m1{}, m2{}, m3{};
        for (int32_t d = 0; d < drawn.DrawnCount; ++d) {
            const TBytes number = TBytes{} + drawn.Drawn[size_t(d)];
            m0 |= TBytes(v0 == number);
            m1 |= TBytes(v1 == number);
            m2 |= TBytes(v2 == number);
            m3 |= TBytes(v3 == number);
        }
        uint64_t mask = uint64_t(uint32_t(_mm_movemask_epi8(__m128i(m0)))) |
                        uint64_t(uint32_t(_mm_movemask_epi8(__m128i(m1)))) << 16 |
                        uint64_t(uint32_t(_mm_movemask_epi8(__m128i(m2)))) << 32 |
                        uint64_t(uint32_t(_mm_movemask_epi8(__m128i(m3)))) << 48;
        for (; mask != 0; mask &= mask - 1) {
            if (h < width)
                hits[h] = int8_t(__builtin_ctzll(mask) + 1);
            ++h;
        }
        return h;
    }
#endif
    for (int32_t b = 0; b < drawn.DrawnCount; ++b)
        drawnFlag_[drawn.Drawn[size_t(b)]] = 1;
    for (int32_t r = 0; r < pool; ++r)
        if (drawnFlag_[uint8_t(placed_[size_t(r)])]) {
            if (h < width)
                hits[h] = int8_t(r + 1);
            ++h;
        }
    for (int32_t b = 0; b < drawn.DrawnCount; ++b)
        drawnFlag_[drawn.Drawn[size_t(b)]] = 0;
    return h;
}

// Maps the ranking through the predecessor's row and records the ranks the
// next draw hits.
void TJUXScanner::Store(TJUXClass& table, const TJUXClass* predecessor, TRunContext& context)
{
    const int32_t pool = table.PoolSize();
    const bool final = context.CurrentDraw == drawCount_;
    const int8_t* through = nullptr;
    if (predecessor)
        through = final ? predecessor->FinalOrder.data() : predecessor->RowOrder(context.RowCursor);
    int8_t* out = final ? table.FinalOrder.data() : table.RowOrder(context.RowCursor);
    if (!out || (predecessor && !through))
        return;
#if defined(__x86_64__)
    const bool wide = wide_ && wideTop_ >= 0;
#else
    const bool wide = false;
#endif
    const int32_t next = context.CurrentDraw + 1;
    const bool hits = !final && next >= 1 && next <= drawCount_; // a row left without them is computed again
    if (wide) {
        const TDrawEntry* drawn = hits ? &draws_[size_t(next - 1)] : nullptr;
        PlaceWide(laneScores_.data(), wideTop_, through, pool, out, drawn ? drawn->Drawn.data() : nullptr,
                  drawn ? drawn->DrawnCount : 0, drawn ? table.RowHit(context.RowCursor) : nullptr,
                  table.HitWidth());
    } else {
        Place(through, pool);
        std::memcpy(out, placed_.data(), size_t(pool));
        if (hits)
            FindHits(draws_[size_t(next - 1)], pool, table.RowHit(context.RowCursor), table.HitWidth());
    }
    if (hits)
        context.RowCursor += 1;
}

int32_t TJUXScanner::BeginScan(const TJUXClass& table, TRunContext& context)
{
#if defined(__x86_64__) && !defined(__AVX__)
    if (kHasAvx)
        ClearUpperHalves();
#endif
    const int32_t n = drawCount_;
    const int32_t d = context.StatWindow;
    const int32_t width = std::min(table.HitWidth(), kMaxHitWidth);
    const int32_t pool = table.PoolSize();

    int32_t first = n - table.Rows();
    if (first <= 0)
        first = 1;
    context.CurrentDraw = first;
    context.WindowStart = std::max(context.CurrentDraw - d + 1, 1);
    context.RowCursor = 0;
    // Sliding sums stay below 3 * d per window, times below n + d.
    sliding_ = d >= 1 && int64_t(d) * 3 * kMaxHitWidth < INT16_MAX && int64_t(n) + d < INT16_MAX &&
               pool < kLanes;
    poolSize_ = std::min(pool, kLanes - 1);
    // The 512-bit routines take pools up to 63 in 64 lanes.
    wide_ = sliding_ && pool <= 63 && WideVectorsAllowed() && WideVectorsAvailable();
    if (sliding_)
        SlideReset(width, d);
    else
        ResetWindows(width, d);
    return std::max(n - first + 1, 0);
}

void TJUXScanner::ScanStep(TJUXClass& table, const TJUXClass* predecessor, TRunContext& context)
{
    const int32_t width = std::min(table.HitWidth(), kMaxHitWidth);
    auto append = [&](int32_t window, int32_t value) {
        if (sliding_)
            SlideAppend(windows_[size_t(window)], value);
        else
            Append(window, value);
    };
    if (!predecessor) {
        const int32_t from = context.RowCursor == 0 ? context.WindowStart : context.CurrentDraw;
        for (int32_t p = std::max(from, 1); p <= context.CurrentDraw; ++p) {
            const TDrawEntry& entry = draws_[size_t(p - 1)];
            for (int32_t i = 0; i < entry.FeedCount; ++i)
                append(i, entry.Feed[size_t(i)]);
        }
    } else if (context.RowCursor >= 1) {
        const int8_t* hits = predecessor->RowHit(context.RowCursor - 1);
        if (hits && sliding_)
            SlideAppendRow(hits, width);
        else if (hits)
            for (int32_t i = 0; i < width; ++i)
                append(i, hits[i]);
    }
    if (sliding_) {
        SlideRate(width);
    } else {
        scores_.fill(0);
        if (windowLength_ > 0)
            for (int32_t i = 0; i < width; ++i) {
                const int32_t* base = buf_.data() + size_t(i) * 2 * size_t(windowLength_);
                RateWindow(base + start_[size_t(i)], end_[size_t(i)] - start_[size_t(i)]);
            }
    }
    Store(table, predecessor, context);
    context.CurrentDraw += 1;
    context.WindowStart = std::max(context.CurrentDraw - context.StatWindow + 1, 1);
}

void TJUXScanner::Scan(TJUXClass& table, const TJUXClass* predecessor, TRunContext& context)
{
    for (int32_t steps = BeginScan(table, context); steps > 0; --steps)
        ScanStep(table, predecessor, context);
}
