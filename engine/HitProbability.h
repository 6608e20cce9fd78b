// The hypergeometric probability of k correct numbers, shared by the odds
// calculator and the engine's hit probability table.
#pragma once

#include <cstdint>

// C(D, k) * C(N - D, S - k) / C(N, S): exactly k of the D drawn numbers among
// S played ones out of N. Multiplies and divides factor by factor so that no
// factorial is formed. An impossible k, D or S above N, or an N too large to
// loop over answers 0.
long double HitProbability(int32_t N, int32_t D, int32_t S, int32_t k);
