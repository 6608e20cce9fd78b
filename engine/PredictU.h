// The table of hit probabilities a run's tables are measured against.
#pragma once

#include <array>
#include <cstdint>

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
