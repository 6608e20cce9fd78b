// The best-table lists: per mode, requested numbers i and hit category j, the
// IDs of the best tables so far, best first; and the recycling that frees the
// tables nothing needs any more.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "data/Stores.h"

class TJUXClass;
class TJUXEngine;

using TCategoryList = TIntegerStore;
using TColumnStore = TRecordStore<TCategoryList>;
using TModeList = TRecordStore<TColumnStore>;

constexpr int32_t kModeNumberAugmentative = 0;
constexpr int32_t kModeNumberAbsolute = 1;
constexpr int32_t kModeNumberBuildup = 2;
constexpr int32_t kModeCount = 3;

class TBestLists {
public:
    TBestLists();

    // The three mode lists; a run state reader fills them directly and then
    // calls ListsReplaced().
    TModeList& ModeList(int32_t mode) { return *modes_[size_t(mode)]; }
    const TModeList& ModeList(int32_t mode) const { return *modes_[size_t(mode)]; }

    // Empties the three mode lists and resets the recycling cursor.
    void Clear();
    // Columns i = 1 .. poolSize - 1 of min(i, hitWidth) empty category lists,
    // each with `maxPerColumn` as its growth step; nothing when poolSize < 2.
    void BuildLists(int32_t poolSize, int32_t hitWidth, int32_t maxPerColumn);
    // Null when any position is outside the stores.
    TCategoryList* CategoryList(int32_t i, int32_t j, int32_t mode) const;

    // Files one new table into every enabled mode, then recycles twice.
    // Answers whether a list the display shows received a new ID.
    bool FileTable(TJUXEngine& engine, TJUXClass& table);
    // Set while filing; still readable when filing raised.
    bool ShownListChanged = false;

    int32_t RecyclingCursor = 1;

    // The lists were filled or changed from outside (a run state import):
    // the per-table list references are counted again before the next filing.
    void ListsReplaced();
    // The run loop starts again; the lists may have been edited meanwhile:
    // the references are counted again, and what filing keeps beside a list
    // notices an edit by the list's stamp.
    void RunResumed() { referencesValid_ = false; }
    void CountReferences(TJUXEngine& engine);

private:
    void FileRanked(TJUXEngine& engine, TJUXClass& table, TCategoryList& list, int32_t i, int32_t j, int32_t mode,
                    const int32_t* h);
    void FileBuildup(TJUXEngine& engine, TJUXClass& table, TCategoryList& list, int32_t i, int32_t j);
    void InsertId(TJUXEngine& engine, TJUXClass& table, TCategoryList& list, int32_t position, int32_t i, int32_t mode);
    void TrimList(TJUXEngine& engine, TCategoryList& list, int32_t maxPerColumn);
    void RecyclePass(TJUXEngine& engine);
    bool Protected(const TJUXEngine& engine, int32_t id) const;
    bool InAnyList(int32_t id) const;

    // Beside each list of the two ranked modes, the part of its tables'
    // histograms that filing compares (entries j .. HitWidth), so that a new
    // table is placed without visiting the listed ones. It stands for the list
    // while the list shows the stamp it was taken at, and is rebuilt when not.
    struct TRankedShadow {
        std::vector<int32_t> Keys; // Width per entry
        std::vector<uint8_t> Usable;
        int32_t Width = 0;
        // Every entry usable and the keys never rising, as filing leaves a
        // list: the place of a new table can then be searched by halves.
        bool Sorted = false;
        const TCategoryList* List = nullptr;
        uint64_t Stamp = 0;
    };
    // What most filings need of a shadow, kept compact: a new table whose
    // entries j .. K are lexicographically at most Threshold's (the last
    // compared entry of a full list) stays out of the list. Lead packs
    // Threshold's first two entries, which mostly settle it. The slot holds
    // while the list shows Stamp (no store shows 0: no threshold then).
    struct TFilingSlot {
        uint64_t Stamp = 0;
        uint64_t Lead = 0;
        const int32_t* Threshold = nullptr;
    };
    // Sized for the run's lists; all stale when the tested draws, the list
    // bound or the shape changed.
    void SizeShadows(const TJUXEngine& engine);
    void RebuildShadow(TJUXEngine& engine, const TCategoryList& list, TRankedShadow& shadow, int32_t i, int32_t j,
                       int32_t mode);
    // Null for a list outside the run's shape.
    TRankedShadow* Shadow(TJUXEngine& engine, const TCategoryList& list, int32_t i, int32_t j, int32_t mode);
    bool FillShadowEntry(TJUXEngine& engine, TRankedShadow& shadow, size_t entry, int32_t id, int32_t i, int32_t j,
                         bool exact);
    void StaleShadows();
    void SetSlot(int32_t mode, const TRankedShadow& shadow, const TCategoryList& list, int32_t max);
    // Listed tables whose filing histograms were worked out for a shadow:
    // let go at the end of the filing, as the shadows keep what they need.
    std::vector<const TJUXClass*> histogramsUsed_;
    std::vector<TRankedShadow> shadows_[2]; // by (i - 1) * shadowWidth_ + j - 1
    std::vector<TFilingSlot> slots_[2];     // the same places

    // Beside each Build up list, every listed table's run for (i, j): its
    // counts within the top i from the newest tested row back, as far as the
    // qualification walk reads them (empty for a table that was gone). A
    // comparison of two tables never reads beyond either run, so the listed
    // tables need not be visited.
    struct TBuildupShadow {
        std::vector<int8_t> Runs;     // all runs, one after the other
        std::vector<uint32_t> Starts; // entry e's run begins at Starts[e]; one more at the end
        const TCategoryList* List = nullptr;
        uint64_t Stamp = 0;
    };
    TBuildupShadow* BuildupShadow(TJUXEngine& engine, const TCategoryList& list, int32_t i, int32_t j);
    // Appends table's run for (i, j) to `run`, its counts read as count(m)
    // for the row m places before the newest.
    template <typename TCount, typename TValue>
    static void AppendRun(int32_t tested, int32_t j, TCount count, std::vector<TValue>& run);
    std::vector<TBuildupShadow> buildupShadows_; // by (i - 1) * shadowWidth_ + j - 1
    std::vector<int16_t> run_;                   // the new table's run
    std::vector<int16_t> otherRun_;              // a listed table's, where no shadow applies

    // The new table's counts within every top 1 .. PoolSize - 1 on its
    // kRecentRows newest tested rows (which filing reads for most tops),
    // worked out row by row as filing needs them.
    static constexpr int32_t kRecentRows = 3;
    int32_t NewCount(const TJUXClass& table, int32_t tested, int32_t back, int32_t top);
    void AddRecentRows(const TJUXClass& table, int32_t back);
    std::vector<int16_t> recent_; // row `back` at back * PoolSize, entry top
    int32_t recentRows_ = 0;
    int32_t shadowWidth_ = 0;
    int32_t shadowTested_ = -1;
    int32_t shadowMax_ = -1;

    std::vector<int32_t> filing_; // the new table's filing histograms

    std::unique_ptr<TModeList> modes_[kModeCount];
    bool referencesValid_ = true;
    int32_t shownRequested_ = 0;
    int32_t shownMode_ = -1;
};
