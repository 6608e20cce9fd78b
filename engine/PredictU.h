// Rating of one position window (how strongly a short history of values
// points at each value of its range coming next) and the table of hit
// probabilities a run's tables are measured against.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

using TPredictValueRatingArray = std::vector<double>;

// Rates the values lo..hi of one window. All objects share one set of work
// arrays (created on first use, grown, never shrunk), so only one object may
// be in use at a time and the class is not reentrant.
class TPredictClass {
public:
    // `window` holds the values oldest first; it is not copied and must
    // outlive the object. Every value must lie in lo..hi.
    TPredictClass(int32_t lo, std::span<const int32_t> window, int32_t hi);

    void Reset();
    void Compute();
    // The rating of `value`; 0 outside the rated range.
    double RatingFor(int32_t value) const;

    int32_t Start = 0;
    int32_t Finish = 0;
    std::span<const int32_t> Source;

    // Sizes of the shared arrays, for tests of their growth.
    static size_t RatingCapacity();
    static size_t StepsCapacity();
};

// Probability of exactly j hits (0..14) when i numbers (1..99) are played and
// K of the pool are drawn.
class THitProbabilities {
public:
    static constexpr int kRows = 99;
    static constexpr int kColumns = 15;

    THitProbabilities() { Clear(); }
    void Clear();
    // Fills rows 1 .. poolSize - 1 for a hit width of `hitWidth` balls.
    void FillHitProbabilities(int32_t poolSize, int32_t hitWidth);
    // The cell of row i, column j; 0 outside the table.
    long double HitProbability(int32_t i, int32_t j) const;

private:
    std::array<std::array<long double, kColumns>, kRows> cells_{};
};
