// Filing a new table into the category lists of each mode, and recycling.
#include "engine/BestLists.h"

#include <algorithm>

#include "engine/GameOptions.h"
#include "engine/JUXEngine.h"

TBestLists::TBestLists()
{
    for (auto& m : modes_)
        m = std::make_unique<TModeList>();
}

void TBestLists::Clear()
{
    for (auto& m : modes_)
        m->Clear();
    RecyclingCursor = 1;
    ListsReplaced();
}

void TBestLists::BuildLists(int32_t poolSize, int32_t hitWidth, int32_t maxPerColumn)
{
    ListsReplaced();
    if (poolSize < 2)
        return;
    for (auto& mode : modes_) {
        mode->SetDelta(poolSize - 1);
        for (int32_t i = 1; i <= poolSize - 1; ++i) {
            auto column = std::make_unique<TColumnStore>();
            const int32_t categories = std::min(i, hitWidth);
            column->SetDelta(std::max(categories, 1));
            for (int32_t j = 1; j <= categories; ++j) {
                auto list = std::make_unique<TCategoryList>();
                list->SetDelta(maxPerColumn);
                column->AddRecord(list);
            }
            mode->AddRecord(column);
        }
    }
}

TCategoryList* TBestLists::CategoryList(int32_t i, int32_t j, int32_t mode) const
{
    if (mode < 0 || mode >= kModeCount)
        return nullptr;
    const TColumnStore* column = modes_[size_t(mode)]->GetRecord(i);
    return column ? column->GetRecord(j) : nullptr;
}

void TBestLists::CountReferences(TJUXEngine& engine)
{
    for (int p = 1; p <= engine.TableRegistry.Count(); ++p)
        engine.TableRegistry.GetRecord(p)->ListReferences = 0;
    for (const auto& mode : modes_)
        for (int i = 1; i <= mode->Count(); ++i) {
            const TColumnStore* column = mode->GetRecord(i);
            for (int j = 1; j <= column->Count(); ++j) {
                const TCategoryList* list = column->GetRecord(j);
                for (int e = 1; e <= list->Count(); ++e) {
                    int32_t id = 0;
                    list->GetInt(e, id);
                    if (TJUXClass* t = engine.FindTable(id))
                        t->ListReferences += 1;
                }
            }
        }
    referencesValid_ = true;
}

bool TBestLists::InAnyList(int32_t id) const
{
    for (const auto& mode : modes_)
        for (int i = 1; i <= mode->Count(); ++i) {
            const TColumnStore* column = mode->GetRecord(i);
            for (int j = 1; j <= column->Count(); ++j)
                if (column->GetRecord(j)->IndexOfInt(id) > 0)
                    return true;
        }
    return false;
}

void TBestLists::InsertId(TJUXEngine& engine, TJUXClass& table, TCategoryList& list, int32_t position, int32_t i,
                          int32_t mode)
{
    (void)engine;
    if (!list.InsertInt(position, table.Id))
        return;
    table.ListReferences += 1;
    if (i == shownRequested_ && mode == shownMode_)
        ShownListChanged = true;
}

void TBestLists::TrimList(TJUXEngine& engine, TCategoryList& list, int32_t maxPerColumn)
{
    while (list.Count() > int64_t(maxPerColumn) + 1) {
        int32_t id = 0;
        list.GetInt(list.Count(), id);
        list.DeleteInt(list.Count());
        if (TJUXClass* t = engine.FindTable(id))
            t->ListReferences = std::max(t->ListReferences - 1, 0);
    }
}

bool TBestLists::Protected(const TJUXEngine& engine, int32_t id) const
{
    const int32_t newest = engine.Context.TablesComputed;
    if (id == newest || id + 1 == newest || engine.Options().KeepJUXs.ContainsInt(id))
        return true;
    if (const TDisplayLink* display = engine.DisplayLink()) {
        if (display->CurrentJUX() == id)
            return true;
        if (const TIntegerStore* user = display->UserJUXList(); user && user->ContainsInt(id))
            return true;
        if (const TIntegerStore* browse = display->BrowseList(); browse && browse->ContainsInt(id))
            return true;
    }
    return false;
}

// Entries 0 and 1 (0 past the end) in one number that orders as the pair
// does: histogram counts are never negative.
static inline uint64_t Lead(const int32_t* keys, int32_t width)
{
    return uint64_t(uint32_t(keys[0])) << 32 | (width > 1 ? uint32_t(keys[1]) : 0u);
}

void TBestLists::ListsReplaced()
{
    referencesValid_ = false;
    StaleShadows();
}

void TBestLists::StaleShadows()
{
    for (int32_t mode = 0; mode < 2; ++mode) {
        for (auto& shadow : shadows_[mode])
            shadow.List = nullptr;
        for (auto& slot : slots_[mode])
            slot = TFilingSlot{};
    }
    for (auto& shadow : buildupShadows_)
        shadow.List = nullptr;
}

bool TBestLists::FillShadowEntry(TJUXEngine& engine, TRankedShadow& shadow, size_t entry, int32_t id, int32_t i,
                                 int32_t j, bool exact)
{
    const TJUXClass* other = engine.FindTable(id);
    const int32_t* g = nullptr;
    if (other && other->HitWidth() + 1 - j == shadow.Width) {
        g = other->FilingHistogram(engine.Context.TestedDraws, i, exact);
        histogramsUsed_.push_back(other);
    }
    shadow.Usable[entry] = g != nullptr;
    if (g)
        std::copy(g + j, g + j + shadow.Width, shadow.Keys.begin() + std::ptrdiff_t(entry) * shadow.Width);
    return g != nullptr;
}

void TBestLists::SizeShadows(const TJUXEngine& engine)
{
    // Sized for the run's lists here: a run state reader fills them without
    // BuildLists.
    const int32_t k = std::max(engine.Context.HitWidth(), 1);
    const size_t slots = size_t(std::max(engine.Context.PoolSize - 1, 0)) * size_t(k);
    if (shadowWidth_ != k || shadows_[0].size() != slots) {
        shadowWidth_ = k;
        for (auto& m : shadows_)
            m.assign(slots, TRankedShadow{});
        for (auto& m : slots_)
            m.assign(slots, TFilingSlot{});
        buildupShadows_.assign(slots, TBuildupShadow{});
    }
    const int32_t max = engine.Options().MaximumJUXsPerColumn;
    if (shadowTested_ != engine.Context.TestedDraws || shadowMax_ != max) {
        StaleShadows();
        shadowTested_ = engine.Context.TestedDraws;
        shadowMax_ = max;
    }
}

// The shadows are sized (SizeShadows) once per filing.
inline TBestLists::TRankedShadow* TBestLists::Shadow(TJUXEngine& engine, const TCategoryList& list, int32_t i,
                                                     int32_t j, int32_t mode)
{
    const size_t slot = size_t(i - 1) * size_t(shadowWidth_) + size_t(j - 1);
    if (i < 1 || j < 1 || j > shadowWidth_ || slot >= shadows_[size_t(mode)].size())
        return nullptr;
    TRankedShadow& shadow = shadows_[size_t(mode)][slot];
    if (shadow.List != &list || shadow.Stamp != list.Stamp())
        RebuildShadow(engine, list, shadow, i, j, mode);
    return &shadow;
}

void TBestLists::RebuildShadow(TJUXEngine& engine, const TCategoryList& list, TRankedShadow& shadow, int32_t i,
                               int32_t j, int32_t mode)
{
    shadow.List = &list;
    shadow.Stamp = list.Stamp();
    shadow.Width = std::max(engine.Context.HitWidth() + 1 - j, 0);
    const size_t n = size_t(list.Count());
    shadow.Usable.assign(n, 0);
    shadow.Keys.assign(n * size_t(shadow.Width), 0);
    shadow.Sorted = true;
    const size_t width = size_t(shadow.Width);
    for (size_t e = 0; e < n; ++e) {
        int32_t id = 0;
        list.GetInt(int(e) + 1, id);
        if (!FillShadowEntry(engine, shadow, e, id, i, j, mode == kModeNumberAbsolute))
            shadow.Sorted = false;
        else if (e > 0 && shadow.Sorted) {
            const int32_t* before = shadow.Keys.data() + (e - 1) * width;
            shadow.Sorted = !std::lexicographical_compare(before, before + width, before + width, before + 2 * width);
        }
    }
}

void TBestLists::SetSlot(int32_t mode, const TRankedShadow& shadow, const TCategoryList& list, int32_t max)
{
    TFilingSlot& slot = slots_[size_t(mode)][size_t(&shadow - shadows_[size_t(mode)].data())];
    slot = TFilingSlot{};
    // The walk starts at place min(Count, Max); a table not above that entry
    // lands at Max or below, where no new ID goes.
    const int32_t count = list.Count();
    const int32_t last = std::min(count, max);
    if (last >= 1 && last + 1 >= max && count <= int64_t(max) + 1 && shadow.Usable[size_t(last - 1)] &&
        shadow.Width >= 1) {
        slot.Stamp = shadow.Stamp;
        slot.Threshold = shadow.Keys.data() + size_t(last - 1) * size_t(shadow.Width);
        slot.Lead = Lead(slot.Threshold, shadow.Width);
    }
}

// The new table goes above a listed one whose histogram entries j .. K are
// lexicographically smaller than its own (from the end of the list up).
void TBestLists::FileRanked(TJUXEngine& engine, TJUXClass& table, TCategoryList& list, int32_t i, int32_t j,
                            int32_t mode, const int32_t* h)
{
    const int32_t k = table.HitWidth();
    const int32_t max = engine.Options().MaximumJUXsPerColumn;
    const bool exact = mode == kModeNumberAbsolute;
    if (h[j] == 0)
        return;
    TRankedShadow* shadow = Shadow(engine, list, i, j, mode);
    const int32_t width = k + 1 - j;
    if (shadow && width != shadow->Width)
        shadow = nullptr; // a table of another hit width: compare the tables themselves
    int32_t e = 1;
    if (shadow && shadow->Sorted && max >= 1) {
        // The walk below on keys that never rise: the first of places
        // 1 .. min(Count, Max) whose key is below the new table's.
        const int32_t* keys = shadow->Keys.data();
        int32_t low = 1, high = std::min<int32_t>(list.Count(), max) + 1;
        while (low < high) {
            const int32_t mid = low + (high - low) / 2;
            const int32_t* g = keys + size_t(mid - 1) * size_t(width);
            if (std::lexicographical_compare(g, g + width, h + j, h + j + width))
                high = mid;
            else
                low = mid + 1;
        }
        e = std::max(low, 1);
    } else if (!list.IsEmpty()) {
        const int32_t* g = nullptr; // entries j .. K of G
        int32_t loadedAt = 0;
        // Loads G from position e; fails at the list's ends or for a table
        // that is gone. G of the position loaded last is still at hand.
        auto load = [&](int32_t e) {
            if (e == loadedAt && g)
                return true;
            loadedAt = e;
            g = nullptr;
            int32_t id = 0;
            if (!list.GetInt(e, id))
                return false;
            if (shadow) {
                const size_t entry = size_t(e - 1);
                if (shadow->Usable[entry] || FillShadowEntry(engine, *shadow, entry, id, i, j, exact))
                    g = shadow->Keys.data() + entry * size_t(width);
                return g != nullptr;
            }
            const TJUXClass* other = engine.FindTable(id);
            if (!other)
                return false;
            if (other->HitWidth() != k)
                return false;
            g = other->FilingHistogram(engine.Context.TestedDraws, i, exact);
            histogramsUsed_.push_back(other);
            if (g)
                g += j;
            return g != nullptr;
        };
        e = std::min<int32_t>(list.Count(), max);
        while (load(e) && h[j] > g[0])
            --e;
        while (load(e) && g[0] == h[j]) {
            int32_t m = j + 1;
            while (m < k + 1 && h[m] == g[m - j])
                ++m;
            if (m >= k + 1 || h[m] < g[m - j])
                break;
            --e;
        }
        ++e;
    }
    if (e < max || list.IsEmpty()) {
        const int32_t before = list.Count();
        InsertId(engine, table, list, e, i, mode);
        if (shadow && list.Count() == before + 1) {
            shadow->Usable.insert(shadow->Usable.begin() + (e - 1), 1);
            shadow->Keys.insert(shadow->Keys.begin() + std::ptrdiff_t(e - 1) * width, h + j, h + j + width);
        }
    }
    TrimList(engine, list, max);
    if (shadow) {
        const size_t n = size_t(list.Count());
        shadow->Usable.resize(n);
        shadow->Keys.resize(n * size_t(width));
        // A list keeping an order of its own may have put the ID elsewhere.
        shadow->Stamp = list.Order() == TIntegerStore::kInsertionOrder ? list.Stamp() : 0;
        SetSlot(mode, *shadow, list, max);
    }
}

void TBestLists::AddRecentRows(const TJUXClass& table, int32_t back)
{
    const int32_t tops = table.PoolSize() - 1;
    const size_t stride = size_t(tops) + 1;
    recent_.resize(stride * size_t(back + 1));
    for (; recentRows_ <= back; ++recentRows_) {
        // HitsWithin(tested, tested - back, top) for every top: the number of
        // leading entries whose running maximum is within the top.
        int16_t* counts = recent_.data() + stride * size_t(recentRows_);
        const int64_t physical = int64_t(table.Rows()) - recentRows_ - 1;
        const int8_t* hits = physical >= 0 && physical < table.Rows() ? table.RowHit(int32_t(physical)) : nullptr;
        const int32_t k = hits ? table.HitWidth() : 0;
        int32_t from = 1, runningMax = 1, n = 0;
        for (; n < k && from <= tops; ++n) {
            runningMax = std::max<int32_t>(runningMax, hits[n]);
            const int32_t to = std::min(runningMax, tops + 1);
            std::fill(counts + from, counts + std::max(from, to), int16_t(n));
            from = std::max(from, to);
        }
        std::fill(counts + from, counts + tops + 1, int16_t(n));
    }
}

inline int32_t TBestLists::NewCount(const TJUXClass& table, int32_t tested, int32_t back, int32_t top)
{
    // Rows further back are asked for a few tops only: counted directly.
    if (top < 1 || top >= table.PoolSize() || back >= kRecentRows)
        return table.HitsWithin(tested, tested - back, top);
    if (back >= recentRows_)
        AddRecentRows(table, back);
    return recent_[size_t(table.PoolSize()) * size_t(back) + size_t(top)];
}

// The walk that qualifies a build-up, keeping what it reads.
template <typename TCount, typename TValue>
void TBestLists::AppendRun(int32_t tested, int32_t j, TCount count, std::vector<TValue>& run)
{
    int32_t a = j, k = 0;
    int32_t c = count(0);
    run.push_back(TValue(c));
    while (k < tested && c == a && a >= 1) {
        ++k;
        c = count(k);
        run.push_back(TValue(c));
        if (c < a)
            --a;
    }
}

TBestLists::TBuildupShadow* TBestLists::BuildupShadow(TJUXEngine& engine, const TCategoryList& list, int32_t i,
                                                      int32_t j)
{
    const size_t slot = size_t(i - 1) * size_t(shadowWidth_) + size_t(j - 1);
    if (i < 1 || j < 1 || j > shadowWidth_ || slot >= buildupShadows_.size())
        return nullptr;
    TBuildupShadow& shadow = buildupShadows_[slot];
    if (shadow.List == &list && shadow.Stamp == list.Stamp())
        return &shadow;
    const int32_t t = engine.Context.TestedDraws;
    shadow.List = nullptr;
    shadow.Runs.clear();
    shadow.Starts.assign(1, 0);
    for (int e = 1; e <= list.Count(); ++e) {
        int32_t id = 0;
        list.GetInt(e, id);
        if (const TJUXClass* other = engine.FindTable(id)) {
            if (other->HitWidth() > INT8_MAX)
                return nullptr; // counts beyond what the runs hold: no shadow
            AppendRun(
                t, j, [&](int32_t back) { return other->HitsWithin(t, t - back, i); }, shadow.Runs);
        }
        shadow.Starts.push_back(uint32_t(shadow.Runs.size()));
    }
    shadow.List = &list;
    shadow.Stamp = list.Stamp();
    return &shadow;
}

// The new table's run against a listed one's (s, sLength). Plainly: walk
// back both while their counts agree, the new one's stays at the category
// (which steps down where the count falls below it) and the category is at
// least 1; then the walk decides on where the counts part. Walking on where
// the new table's qualification walked is exactly that condition, and the
// listed run reaches at least as far where the counts agree: the walk is the
// common stretch of the two runs.
template <typename T> static bool Beats(const std::vector<int16_t>& run, const T* s, size_t sLength)
{
    const size_t limit = std::min(run.size(), sLength) - 1;
    size_t k2 = 0;
    while (k2 < limit && s[k2] == run[k2])
        ++k2;
    const int32_t cn = run[k2], sn = s[k2];
    const int32_t cPrev = k2 > 0 ? run[k2 - 1] : cn, sPrev = k2 > 0 ? s[k2 - 1] : sn;
    if (sn > cn)
        return sn > sPrev;
    if (sn == cn)
        return false;
    return cn <= cPrev;
}

// A build-up of category j: the newest tested row hits exactly j within the
// top i, and going back the count stays at the category, which steps down by
// one where the count falls below it, for at least two rows. A new table
// goes above a listed one it beats, from the end of the list up.
void TBestLists::FileBuildup(TJUXEngine& engine, TJUXClass& table, TCategoryList& list, int32_t i, int32_t j)
{
    const int32_t t = engine.Context.TestedDraws;
    const int32_t max = engine.Options().MaximumJUXsPerColumn;
    run_.clear();
    AppendRun(
        t, j, [&](int32_t back) { return NewCount(table, t, back, i); }, run_);
    if (run_.size() < 3) // fewer than two rows walked
        return;
    TBuildupShadow* shadow = table.HitWidth() <= INT8_MAX ? BuildupShadow(engine, list, i, j) : nullptr;

    const bool wasEmpty = list.IsEmpty();
    int32_t e = 1;
    if (!wasEmpty) {
        for (e = std::min<int32_t>(list.Count(), max);; --e) {
            int32_t id = 0;
            if (!list.GetInt(e, id))
                break;
            if (shadow) {
                const uint32_t from = shadow->Starts[size_t(e - 1)], to = shadow->Starts[size_t(e)];
                if (from == to || !Beats(run_, shadow->Runs.data() + from, to - from))
                    break; // an empty run: the table was gone
                continue;
            }
            const TJUXClass* listed = engine.FindTable(id);
            if (!listed)
                break;
            otherRun_.clear();
            AppendRun(
                t, j, [&](int32_t back) { return listed->HitsWithin(t, t - back, i); }, otherRun_);
            if (!Beats(run_, otherRun_.data(), otherRun_.size()))
                break;
        }
        ++e;
    }
    if (wasEmpty || e < max) {
        const int32_t before = list.Count();
        InsertId(engine, table, list, e, i, kModeNumberBuildup);
        if (shadow && list.Count() == before + 1) {
            const uint32_t at = shadow->Starts[size_t(e - 1)];
            shadow->Runs.insert(shadow->Runs.begin() + at, run_.begin(), run_.end());
            shadow->Starts.insert(shadow->Starts.begin() + (e - 1), at);
            for (size_t p = size_t(e); p < shadow->Starts.size(); ++p)
                shadow->Starts[p] += uint32_t(run_.size());
        }
    }
    if (!wasEmpty)
        TrimList(engine, list, max);
    if (shadow) {
        const size_t n = size_t(list.Count());
        if (shadow->Starts.size() > n + 1) {
            shadow->Starts.resize(n + 1);
            shadow->Runs.resize(shadow->Starts[n]);
        }
        // A list keeping an order of its own may have put the ID elsewhere.
        shadow->Stamp = list.Order() == TIntegerStore::kInsertionOrder ? list.Stamp() : 0;
    }
}

// Entries j .. K of the new table against a threshold's: at most it, the
// table stays out of the list. The leads compare the first two entries.
static inline bool AtMost(const int32_t* h, uint64_t lead, const int32_t* g, int32_t width)
{
    const uint64_t own = Lead(h, width);
    if (own != lead)
        return own < lead;
    int32_t m = 2;
    while (m < width && h[m] == g[m])
        ++m;
    return m >= width || h[m] < g[m];
}

bool TBestLists::FileTable(TJUXEngine& engine, TJUXClass& table)
{
    ShownListChanged = false;
    histogramsUsed_.clear(); // left by a filing that raised: the tables may be gone
    if (!referencesValid_)
        CountReferences(engine);
    const TGameOptions& options = engine.Options();
    const TDisplayLink* display = engine.DisplayLink();
    shownRequested_ = display ? display->PanoramaRequested() : 0;
    shownMode_ = display ? display->PanoramaMode() : -1;

    const uint8_t bits[kModeCount] = {kModeAugmentative, kModeAbsolute, kModeBuildup};
    const int32_t tested = engine.Context.TestedDraws;
    const int32_t iFrom = std::max(options.MinReqNumbers, 1);
    const int32_t iMax = options.MaxReqNumbers > 0 ? options.MaxReqNumbers : 99;
    const int32_t jFrom = options.MinHitCategory != 0 ? options.MinHitCategory : 1;
    const int32_t jMax = options.MaxHitCategory > 0 ? options.MaxHitCategory : 99;
    const int32_t k = table.HitWidth();
    if (options.Modes & (kModeAugmentative | kModeAbsolute))
        table.FillFilingHistograms(tested, filing_);
    SizeShadows(engine);
    recentRows_ = 0;
    // The slots hold thresholds of the run's hit width only.
    const bool slotsApply = k == engine.Context.HitWidth();
    const int32_t slotRows = int32_t(slots_[0].size() / size_t(shadowWidth_));
    TIntArray scratch;
    for (int32_t mode = 0; mode < kModeCount; ++mode) {
        if (!(options.Modes & bits[mode]))
            continue;
        TModeList& modeList = *modes_[size_t(mode)];
        for (int32_t i = iFrom; i <= iMax; ++i) {
            TColumnStore* column = modeList.GetRecord(i);
            if (!column)
                break;
            if (mode == kModeNumberBuildup) {
                // A build-up needs the newest tested row to hit exactly j.
                const int32_t newest = NewCount(table, tested, 0, i);
                if (jFrom >= 1 && newest >= jFrom && newest <= jMax)
                    if (TCategoryList* list = column->GetRecord(newest))
                        FileBuildup(engine, table, *list, i, newest);
                continue;
            }
            const int32_t* h = nullptr;
            if (i <= table.PoolSize() - 1)
                h = filing_.data() + (size_t(i - 1) * 2 + (mode == kModeNumberAbsolute ? 0 : 1)) * (size_t(k) + 1);
            else {
                table.HitHistogram(tested, i, mode == kModeNumberAbsolute, 0, 1, scratch);
                h = scratch.data();
            }
            const TFilingSlot* slots =
                slotsApply && i <= slotRows ? slots_[mode].data() + size_t(i - 1) * size_t(shadowWidth_) : nullptr;
            TCategoryList* const* lists = column->Records();
            // From a category below 1 on, nothing is filed (no such list).
            const int32_t jEnd = jFrom >= 1 ? std::min({jMax, k, column->Count()}) : 0;
            for (int32_t j = jFrom; j <= jEnd; ++j) {
                TCategoryList* list = lists[j - 1];
                if (slots) {
                    const TFilingSlot& slot = slots[j - 1];
                    // Stamps are never shared, so the list is the one the slot was set for.
                    const bool known = slot.Stamp == list->Stamp();
                    const uint64_t own = Lead(h + j, k + 1 - j);
                    // Most tables are turned away here, for no row hitting j or
                    // below a full list: one branch for both, taken nearly always.
                    if ((h[j] == 0) | (known & (own < slot.Lead)))
                        continue;
                    if (known && own == slot.Lead && AtMost(h + j, slot.Lead, slot.Threshold, k + 1 - j))
                        continue;
                } else if (h[j] == 0) {
                    continue;
                }
                FileRanked(engine, table, *list, i, j, mode, h);
            }
        }
    }
    for (const TJUXClass* used : histogramsUsed_)
        used->ReleaseFilingHistograms();
    histogramsUsed_.clear();
    RecyclePass(engine);
    RecyclePass(engine);
    return ShownListChanged;
}

void TBestLists::RecyclePass(TJUXEngine& engine)
{
    const int n = engine.TableIds.Count();
    if (n == 0)
        return;
    RecyclingCursor = ((RecyclingCursor + 1) % n) + 1;
    int32_t id = 0;
    if (!engine.TableIds.GetInt(RecyclingCursor, id))
        return;
    if (Protected(engine, id))
        return;
    const TJUXClass* table = engine.TableRegistry.GetRecord(RecyclingCursor);
    const bool listed = (table && table->Id == id) ? table->ListReferences > 0 : InAnyList(id);
    if (listed)
        return;
    engine.RecycleTable(RecyclingCursor);
    RecyclingCursor -= 1;
}
