// One table's scan: feed the position windows, rate them (by one of the
// paths of engine/JUXScanParts.h), rank the pool, map the ranks through the
// predecessor and record the next draw's hits.
#include "engine/JUXScan.h"

#include <algorithm>
#include <climits>
#include <cstring>

#if defined(__x86_64__) || defined(__SSE2__)
#include <immintrin.h>
#endif

#include "engine/JUXClass.h"
#include "engine/JUXEngine.h"
#include "engine/JUXScanParts.h"

namespace {

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

} // namespace

struct TJUXScanner::TState {
    void LoadDraws(const TDrawClass* game, const TRunContext& context);
    int32_t BeginScan(const TJUXClass& table, TRunContext& context, TVectors vectors);
    void ScanStep(TJUXClass& table, const TJUXClass* predecessor, TRunContext& context);

    // Fills order_ with the numbers 1 .. pool, highest score first, ties by
    // the lower number; scores indexed by number.
    template <typename TScore> void Rank(const TScore* scores, int32_t pool);
    // The ranking mapped through `through` into placed_.
    void Place(const int8_t* through, int32_t pool);
    int32_t FindHits(const TDrawEntry& drawn, int32_t pool, int8_t* hits, int32_t width);
    void Store(TJUXClass& table, const TJUXClass* predecessor, TRunContext& context);

    bool loaded_ = false;
    int32_t drawCount_ = 0;
    TLineVector<TDrawEntry> draws_; // position p at index p - 1

    bool sliding_ = false; // else recounting
    bool wide_ = false;    // the 512-bit routines serve this scan
    TRecountWindows recount_;
    TSlidingWindows windows_;
    alignas(64) TScanLanes laneScores_{}; // sliding paths' scores by number
    int32_t wideTop_ = -1;                // the highest lane score of the last wide sum, -1 past 63

    std::array<int64_t, kScoreSlots> scores_{}; // recounting path's scores
    std::array<uint64_t, kScoreSlots> keys_{};
    // Counts by level 0 .. top, from index 1, summed in place.
    std::array<int32_t, kCountedScores + 2> bucket_{};
    std::array<int8_t, kScoreSlots> order_{};
    std::array<int8_t, kScoreSlots> placed_{}; // at least 64 bytes for the hit search
    std::array<uint8_t, 256> drawnFlag_{};     // by byte value, for the draw being hit
};

static_assert(kScoreSlots >= 64, "the hit search reads 64 placed bytes");

TJUXScanner::TJUXScanner(TVectors vectors) : vectors_(vectors), state_(std::make_unique<TState>()) {}

TJUXScanner::~TJUXScanner() = default;

void TJUXScanner::LoadDraws(const TDrawClass* game, const TRunContext& context) { state_->LoadDraws(game, context); }
void TJUXScanner::Invalidate() { state_->loaded_ = false; }
bool TJUXScanner::Loaded() const { return state_->loaded_; }
int32_t TJUXScanner::DrawCount() const { return state_->drawCount_; }

TJUXScanner::TPath TJUXScanner::LastPath() const
{
    return state_->wide_ ? TPath::Wide : state_->sliding_ ? TPath::Sliding : TPath::Recount;
}

int32_t TJUXScanner::BeginScan(const TJUXClass& table, TRunContext& context)
{
    return state_->BeginScan(table, context, vectors_);
}

void TJUXScanner::ScanStep(TJUXClass& table, const TJUXClass* predecessor, TRunContext& context)
{
    state_->ScanStep(table, predecessor, context);
}

void TJUXScanner::Scan(TJUXClass& table, const TJUXClass* predecessor, TRunContext& context)
{
    for (int32_t steps = BeginScan(table, context); steps > 0; --steps)
        ScanStep(table, predecessor, context);
}

void TJUXScanner::TState::LoadDraws(const TDrawClass* game, const TRunContext& context)
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
            if (std::find(entry.Drawn.begin(), end, uint8_t(u)) == end &&
                entry.DrawnCount < int32_t(entry.Drawn.size()))
                entry.Drawn[size_t(entry.DrawnCount++)] = uint8_t(u);
            entry.DrawnZero = entry.DrawnZero || u == 0;
        }
    }
    loaded_ = true;
}

// Highest score first, ties by the lower number. Scores are small
// non-negative integers, so a counting sort by score (numbers placed in
// ascending order) gives that order; a key sort covers large scores.
template <typename TScore> void TJUXScanner::TState::Rank(const TScore* scores, int32_t pool)
{
    int64_t top = 0;
    for (int32_t n = 1; n <= pool; ++n)
        top = std::max<int64_t>(top, scores[n]);
    if (top <= kCountedScores) {
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
void TJUXScanner::TState::Place(const int8_t* through, int32_t pool)
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
    if (!sliding_ || top > kCountedScores) {
        if (sliding_)
            Rank(scores, pool);
        else
            Rank(scores_.data(), pool);
        for (int32_t r = 0; r < pool; ++r)
            placed_[size_t(r)] = through ? through[order_[size_t(r)] - 1] : order_[size_t(r)];
        return;
    }
    // Keys top - score, in lanes; the sort then touches only its own arrays.
    alignas(16) TScanLanes keys;
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
int32_t TJUXScanner::TState::FindHits(const TDrawEntry& drawn, int32_t pool, int8_t* hits, int32_t width)
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
void TJUXScanner::TState::Store(TJUXClass& table, const TJUXClass* predecessor, TRunContext& context)
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
                  drawn ? drawn->DrawnCount : 0, drawn ? table.RowHit(context.RowCursor) : nullptr, table.HitWidth());
    } else {
        Place(through, pool);
        std::memcpy(out, placed_.data(), size_t(pool));
        if (hits)
            FindHits(draws_[size_t(next - 1)], pool, table.RowHit(context.RowCursor), table.HitWidth());
    }
    if (hits)
        context.RowCursor += 1;
}

int32_t TJUXScanner::TState::BeginScan(const TJUXClass& table, TRunContext& context, TVectors vectors)
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
    sliding_ = d >= 1 && int64_t(d) * 3 * kMaxHitWidth < INT16_MAX && int64_t(n) + d < INT16_MAX && pool < kScanLanes;
    // The 512-bit routines take pools up to 63 in 64 lanes.
    wide_ = sliding_ && pool <= 63 && vectors == TVectors::Widest && WideVectorsAvailable();
    if (sliding_)
        windows_.Reset(width, d, std::min(pool, kScanLanes - 1));
    else
        recount_.Reset(width, d);
    return std::max(n - first + 1, 0);
}

void TJUXScanner::TState::ScanStep(TJUXClass& table, const TJUXClass* predecessor, TRunContext& context)
{
    const int32_t width = std::min(table.HitWidth(), kMaxHitWidth);
    auto append = [&](int32_t window, int32_t value) {
        if (sliding_)
            windows_.Append(window, value);
        else
            recount_.Append(window, value);
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
            windows_.AppendRow(hits, width);
        else if (hits)
            recount_.AppendRow(hits, width);
    }
#if defined(__x86_64__)
    if (wide_)
        wideTop_ = windows_.RateWide(width, laneScores_.data());
    else
#endif
        if (sliding_)
        windows_.Rate(width, laneScores_.data());
    else
        recount_.Rate(width, scores_.data());
    Store(table, predecessor, context);
    context.CurrentDraw += 1;
    context.WindowStart = std::max(context.CurrentDraw - context.StatWindow + 1, 1);
}
