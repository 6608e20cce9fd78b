// The scan that fills one table: the draws of the analysed field(s) prepared
// once per run, the position windows and the rating of a window, done with
// integer arithmetic. Ratings are sums of counts, so integers give exactly the
// values that 64-bit floats would.
//
// Tables hold pool numbers 1 .. PoolSize: a field whose smallest ball is 0
// has ball b analysed as number b + 1 (TJUXEngine::BallOf maps back).
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "data/GameModel.h"

struct TRunContext;
class TJUXClass;

class TJUXScanner {
public:
    static constexpr int32_t kMaxHitWidth = 14;

    // Reads every draw of the analysed field(s) named by the context.
    void LoadDraws(const TDrawClass* game, const TRunContext& context);
    void Invalidate() { loaded_ = false; }
    bool Loaded() const { return loaded_; }
    int32_t DrawCount() const { return drawCount_; }

    // Fills `table` from the draws (predecessor null) or from its predecessor,
    // which must have the table's sizes. Advances the context's CurrentDraw,
    // WindowStart and RowCursor as it goes.
    void Scan(TJUXClass& table, const TJUXClass* predecessor, TRunContext& context);

    // The same scan one step at a time (Scan is BeginScan, then ScanStep as
    // many times as it answers), for a caller that paces the steps. Step s
    // (from 0) writes row s, or the final order at the last step, and reads
    // of the predecessor only what its steps 0 .. s wrote: a table can follow
    // its predecessor's computation step by step.
    int32_t BeginScan(const TJUXClass& table, TRunContext& context);
    void ScanStep(TJUXClass& table, const TJUXClass* predecessor, TRunContext& context);

    // Whether this CPU has the 512-bit vector routines, and whether scans may
    // use them (tests compare both ways).
    static bool WideVectorsAvailable();
    static bool& WideVectorsAllowed();

private:
    struct TDrawEntry {
        std::array<int32_t, kMaxHitWidth> Feed{}; // window values, ascending
        int32_t FeedCount = 0;
        // Pool numbers drawn, as byte values, each once.
        std::array<uint8_t, 2 * kMaxHitWidth> Drawn{};
        int32_t DrawnCount = 0;
        bool DrawnZero = false; // a value outside 1 .. 255
    };

    // Numbers 0 .. kLanes - 1 in blocks of 8 16-bit lanes; 0 is never scored.
    static constexpr int32_t kLanes = 104;
    using TLanes = std::array<int16_t, kLanes>;
    static constexpr int32_t kStepOffset = 512;

    // A position window that slides one value at a time and keeps, for every
    // number of the pool it holds, what RateWindow would count: frequency and
    // repeats (summed in Weight) and the histogram of steps. Times count the
    // window's values from 1.
    struct TSlidingWindow {
        // Frequency + repeats, 0 when absent: the repeats are kept only here.
        alignas(64) TLanes Weight{}; // a cache line per 32 lanes
        // Steps (value minus the value before) by step + kStepOffset.
        alignas(16) std::array<int16_t, 2 * kStepOffset> Steps{};
        TLanes Due{}; // time the repeats next grow, -1 never
        // Counts and times stay below 2^15 on this way.
        TLanes Frequency{};
        TLanes Appends{}; // occurrences ever appended
        // Times of each number's occurrences: number x's k-th at
        // x * (ringMask_ + 1) + (k & ringMask_), the last Frequency[x] in the window.
        std::vector<int16_t> Occurrences;
        std::vector<int32_t> Values; // by time, in a ring of ringMask_ + 1
        // Gaps between a number's successive occurrences in the window: how
        // many of each length (x * gapStride_ + gap), and a bit per length
        // present (x * gapWords_ words).
        std::vector<int16_t> Gaps;
        std::vector<uint64_t> GapBits;
        // Numbers due at a time t: bits of the two words at 2 * (t & ringMask_).
        std::vector<uint64_t> DueBits;
        int32_t Pool = -1;   // sizes the vectors were laid out for
        int32_t Length = -1;
        int32_t Time = 0;
        int32_t Count = 0;
        int32_t Newest = 0;
        int32_t Appended = 0; // values appended since the last rating
    };

    // The sliding form, used while every sum fits in 16 bits.
    void SlideReset(int32_t count, int32_t length);
    void SlideAppend(TSlidingWindow& w, int32_t value);
    void SlideDrop(TSlidingWindow& w);
    void SlideAdd(TSlidingWindow& w, int32_t value);
    // values[i] into window i, for the windows 0 .. width - 1.
    void SlideAppendRow(const int8_t* values, int32_t width);
    // Repeats of `number` counted afresh from its occurrences; schedules it.
    void RecountRepeats(TSlidingWindow& w, int32_t number) const;
    // Due time of the shortest gap of `number` longer than `age`.
    void Schedule(TSlidingWindow& w, size_t number, int32_t age, int32_t newest) const;
    void Due(TSlidingWindow& w, size_t number) const;
    void SlideRate(int32_t width);

    // The recounting form, for long windows.
    void ResetWindows(int32_t count, int32_t length);
    void Append(int32_t window, int32_t value);
    void RateWindow(const int32_t* values, int32_t count);

    // Fills order_ with the numbers 1 .. pool, highest score first, ties by
    // the lower number; scores indexed by number.
    template <typename TScore>
    void Rank(const TScore* scores, int32_t pool);
    // The ranking mapped through `through` into placed_.
    void Place(const int8_t* through, int32_t pool);
    int32_t FindHits(const TDrawEntry& drawn, int32_t pool, int8_t* hits, int32_t width);
    void Store(TJUXClass& table, const TJUXClass* predecessor, TRunContext& context);

    bool loaded_ = false;
    int32_t drawCount_ = 0;
    int32_t poolSize_ = 0;
    std::vector<TDrawEntry> draws_; // position p at index p - 1

    bool sliding_ = false;
    int32_t ringMask_ = 0;
    int32_t gapStride_ = 0;
    int32_t gapWords_ = 0;
    std::vector<TSlidingWindow> windows_;
    alignas(64) TLanes laneScores_{};

    // Position windows: each a slice of 2 * length slots of buf_, values in
    // [start, end), oldest first.
    int32_t windowLength_ = 0;
    int32_t windowCount_ = 0;
    std::vector<int32_t> buf_;
    std::vector<int32_t> start_, end_;

    // Scores by number 1 .. 99 (index 0 unused).
    std::array<int64_t, 100> scores_{};
    std::array<uint64_t, 100> keys_{};
    std::array<int32_t, 4098> bucket_{};
    std::array<int8_t, 100> order_{};
    std::array<int8_t, 100> placed_{}; // at least 64 bytes for the hit search
    bool wide_ = false; // the 512-bit routines serve this scan
    int32_t wideTop_ = -1; // the highest lane score of the last wide sum, -1 past 63
    std::array<uint8_t, 256> drawnFlag_{}; // by byte value, for the draw being hit

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
