// Inside the table scan (engine/JUXScan.h): what its three paths share and
// the state each keeps. Only the scan's own files include this header.
//
//  - JUXScanRecount.cpp: windows rated afresh at every step; any window length.
//  - JUXScanSliding.cpp: ratings kept up to date as windows slide, summed in
//    128-bit vectors; while every sum fits in 16 bits.
//  - JUXScanWide.cpp:    the sliding ratings summed, ranked and hit in
//    512-bit vectors; pools up to 63 on CPUs that have them.
//  - JUXScan.cpp:        the draws, the choice of path, ranking and hits.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

#include "engine/CacheLines.h"
#include "engine/JUXScan.h"

// Lanes for numbers 0 .. kMaxPool in whole blocks of 8 16-bit lanes; 0 is
// never scored.
inline constexpr int32_t kScanLanes = (TJUXScanner::kMaxPool + 1 + 7) / 8 * 8;
using TScanLanes = std::array<int16_t, kScanLanes>;
// Scores and rankings by number 1 .. kMaxPool (index 0 unused).
inline constexpr int32_t kScoreSlots = TJUXScanner::kMaxPool + 1;
// Highest score ranked by counting; higher ones take the key sort.
inline constexpr int32_t kCountedScores = 4096;

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

// One draw as the scan reads it.
struct TDrawEntry {
    std::array<int32_t, TJUXScanner::kMaxHitWidth> Feed{}; // window values, ascending
    int32_t FeedCount = 0;
    // Pool numbers drawn, as byte values, each once.
    std::array<uint8_t, 2 * TJUXScanner::kMaxHitWidth> Drawn{};
    int32_t DrawnCount = 0;
    bool DrawnZero = false; // a value outside 1 .. 255
};

// The recounting path's position windows (JUXScanRecount.cpp).
class TRecountWindows {
public:
    void Reset(int32_t count, int32_t length);
    void Append(int32_t window, int32_t value);
    // values[i] into window i, for the windows 0 .. width - 1.
    void AppendRow(const int8_t* values, int32_t width);
    // scores[x] = sum of the ratings of x in windows 0 .. width - 1.
    void Rate(int32_t width, int64_t* scores);

private:
    void RateWindow(const int32_t* values, int32_t count, int64_t* scores);

    // Each window a slice of 2 * length slots of buf_, values in
    // [start, end), oldest first.
    int32_t windowLength_ = 0;
    TLineVector<int32_t> buf_;
    TLineVector<int32_t> start_, end_;

    // Rating scratch by window value; values lie in -128 .. 128.
    struct TSlot {
        int32_t Frequency = 0;
        int32_t Age = 0;
        int32_t LastSeen = 0;
        int32_t Repeats = 0;
    };
    static constexpr int32_t kOffset = 256;
    static constexpr int32_t kHalf = 512;
    std::array<TSlot, 2 * kOffset> slots_{};
    std::array<int32_t, 2 * kHalf + 1> steps_{};
    std::array<int32_t, 2 * kOffset> distinct_{};
};

// A position window that slides one value at a time and keeps, for every
// number of the pool it holds, what the recounting path would count:
// frequency and repeats (summed in Weight) and the histogram of steps. Times
// count the window's values from 1.
struct TSlidingWindow {
    static constexpr int32_t kStepOffset = 512;
    // Frequency + repeats, 0 when absent: the repeats are kept only here.
    alignas(64) TScanLanes Weight{}; // a cache line per 32 lanes
    // Steps (value minus the value before) by step + kStepOffset.
    alignas(16) std::array<int16_t, 2 * kStepOffset> Steps{};
    TScanLanes Due{}; // time the repeats next grow, -1 never
    // Counts and times stay below 2^15 on this path.
    TScanLanes Frequency{};
    TScanLanes Appends{}; // occurrences ever appended
    // Times of each number's occurrences: number x's k-th at
    // x * (ringMask + 1) + (k & ringMask), the last Frequency[x] in the window.
    TLineVector<int16_t> Occurrences;
    TLineVector<int32_t> Values; // by time, in a ring of ringMask + 1
    // Gaps between a number's successive occurrences in the window: how
    // many of each length (x * gapStride + gap), and a bit per length
    // present (x * gapWords words).
    TLineVector<int16_t> Gaps;
    TLineVector<uint64_t> GapBits;
    // Numbers due at a time t: bits of the two words at 2 * (t & ringMask).
    TLineVector<uint64_t> DueBits;
    int32_t Pool = -1; // sizes the vectors were laid out for
    int32_t Length = -1;
    int32_t Time = 0;
    int32_t Count = 0;
    int32_t Newest = 0;
    int32_t Appended = 0; // values appended since the last rating
};

// The sliding paths' windows (JUXScanSliding.cpp).
class TSlidingWindows {
public:
    // Numbers 1 .. pool are tracked; pool < kScanLanes.
    void Reset(int32_t count, int32_t length, int32_t pool);
    void Append(int32_t window, int32_t value);
    // values[i] into window i, for the windows 0 .. width - 1.
    void AppendRow(const int8_t* values, int32_t width);
    // lanes[x] = sum of the ratings of x in windows 0 .. width - 1, in
    // 128-bit vectors.
    void Rate(int32_t width, int16_t* lanes);
#if defined(__x86_64__)
    // The same with the 512-bit routines, for pools up to 63; answers the
    // highest sum, or -1 when it is 64 or more. Only where
    // TJUXScanner::WideVectorsAvailable().
    int32_t RateWide(int32_t width, int16_t* lanes);
#endif

private:
    // Brings windows 0 .. width - 1 up to their present time and lists those
    // holding values, with their steps seen from their newest value. With
    // `due`, the numbers due now (pools up to 63) are left in due[i] instead.
    int32_t CatchUp(int32_t width, uint64_t* due, TSlidingWindow** active, const int16_t** steps);
    void Drop(TSlidingWindow& w);
    void Add(TSlidingWindow& w, int32_t value);
    // Repeats of `number` counted afresh from its occurrences; schedules it.
    void RecountRepeats(TSlidingWindow& w, int32_t number) const;
    // Due time of the shortest gap of `number` longer than `age`.
    void Schedule(TSlidingWindow& w, size_t number, int32_t age, int32_t newest) const;
    void Due(TSlidingWindow& w, size_t number) const;

    int32_t poolSize_ = 0;
    int32_t windowLength_ = 0;
    int32_t ringMask_ = 0;
    int32_t gapStride_ = 0;
    int32_t gapWords_ = 0;
    std::vector<TSlidingWindow> windows_;
};

#if defined(__x86_64__)
// The 512-bit routines (JUXScanWide.cpp); each needs
// TJUXScanner::WideVectorsAvailable().

// out[x] for lanes 0 .. 63 = sum over the windows a with weights[a][x] > 0 of
// weights[a][x] + steps[a][x]. Answers the highest sum of numbers 1 .. pool,
// or -1 when it is 64 or more.
int32_t SumWide(const int16_t* const* weights, const int16_t* const* steps, int32_t count, int32_t pool, int16_t* out);
// The numbers whose bits are set in due[i], for the windows i = 0 .. width - 1,
// into numbers[] with i beside each in owners[]; answers how many. Both lists
// need room for 64 entries past the last.
int32_t CollectDue(const uint64_t* due, int32_t width, uint8_t* numbers, uint8_t* owners);
// out[r] = through[n - 1] (or n) for the number n of rank r, scores of
// numbers 1 .. pool in 0 .. top, ties by the lower number. Then the ranks
// (from 1) whose placed number is one of `drawn`, the first `width` into
// hits (none without hits); answers how many there are.
int32_t PlaceWide(const int16_t* scores, int32_t top, const int8_t* through, int32_t pool, int8_t* out,
                  const uint8_t* drawn, int32_t drawnCount, int8_t* hits, int32_t width);
#endif
