// The 512-bit path, for pools up to 63 on CPUs that have the vectors: the
// sliding windows' ratings (JUXScanSliding.cpp) summed for all 64 lanes in two
// registers, the numbers due in every window gathered in one list, and the
// ranking compressed out score by score, with the next draw's hits found in
// the same registers. Tables come out identical to the other paths'.
#include <algorithm>
#include <cstdint>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "engine/JUXScanParts.h"

#if defined(__x86_64__)
#define JUX_WIDE_TARGET __attribute__((target("avx512f,avx512bw,avx512vbmi2,popcnt,bmi2")))
// GCC 12's headers warn of their own placeholder operands (fixed in GCC 13).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
namespace {
const bool kHasWide = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx512f") != 0 && __builtin_cpu_supports("avx512bw") != 0 &&
           __builtin_cpu_supports("avx512vbmi2") != 0 && __builtin_cpu_supports("popcnt") != 0 &&
           __builtin_cpu_supports("bmi2") != 0;
}();

// 0 .. 64: from 0, the lane numbers; from 1, the pool numbers and ranks.
constexpr int8_t kCount[65] = {0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21,
                               22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 40, 41, 42, 43,
                               44, 45, 46, 47, 48, 49, 50, 51, 52, 53, 54, 55, 56, 57, 58, 59, 60, 61, 62, 63, 64};

} // namespace

JUX_WIDE_TARGET int32_t SumWide(const int16_t* const* weights, const int16_t* const* steps, int32_t count, int32_t pool,
                                int16_t* out)
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

// Per score from the top, the numbers holding it, in ascending order,
// compressed out of one register. Writes out[0 .. pool - 1] alone.
JUX_WIDE_TARGET int32_t PlaceWide(const int16_t* scores, int32_t top, const int8_t* through, int32_t pool, int8_t* out,
                                  const uint8_t* drawn, int32_t drawnCount, int8_t* hits, int32_t width)
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

bool TJUXScanner::WideVectorsAvailable()
{
#if defined(__x86_64__)
    return kHasWide;
#else
    return false;
#endif
}
