// One JUX table: the ranking of the pool at every step of the scanned stretch
// of history, the ranks the next draw hit, and the final order (the table's
// prediction). Also the two questions asked of a table's tested rows.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "data/Types.h"
#include "engine/CacheLines.h"

class TJUXEngine;

class TJUXClass {
public:
    // All arrays zero. Sizes are clamped to at least 0.
    TJUXClass(int32_t id, int32_t poolSize, int32_t rows, int32_t hitWidth);
    // Back to a new table `id` of the same sizes: all zero, nothing kept.
    void Reset(int32_t id);

    int32_t Id = 0;
    // Entry 0 is rank 1; zero until the final step.
    TShortIntArray FinalOrder;

    int32_t PoolSize() const { return poolSize_; }
    int32_t Rows() const { return rows_; }
    int32_t HitWidth() const { return hitWidth_; }

    // Physical row 0 .. Rows - 1; null outside. Inline: the scan asks for
    // every row of every table.
    const int8_t* RowOrder(int32_t row) const
    {
        if (row < 0 || row >= rows_)
            return nullptr;
        return rowData_.data() + size_t(row) * size_t(poolSize_);
    }
    int8_t* RowOrder(int32_t row) { return const_cast<int8_t*>(static_cast<const TJUXClass*>(this)->RowOrder(row)); }
    const int8_t* RowHit(int32_t row) const
    {
        if (row < 0 || row >= rows_)
            return nullptr;
        return rowData_.data() + size_t(rows_) * size_t(poolSize_) + size_t(row) * size_t(hitWidth_);
    }
    int8_t* RowHit(int32_t row)
    {
        // Whoever writes hits invalidates the derived histograms. Written only
        // when it changes: the line is read by the next table's scan on another core.
        if (histCacheTested_ != -1)
            histCacheTested_ = -1;
        return const_cast<int8_t*>(static_cast<const TJUXClass*>(this)->RowHit(row));
    }

    // Copies in the array-of-rows form a run state stores.
    TArrayOfShortIntArray RowOrders() const;
    TArrayOfShortIntArray RowHits() const;
    // Replaces the three arrays; false (nothing changed) unless every size
    // matches this table's pool size, rows and hit width.
    bool SetArrays(const TShortIntArray& finalOrder, const TArrayOfShortIntArray& rowOrders,
                   const TArrayOfShortIntArray& rowHits);

    // Table 1 from the draws, table k >= 2 from its predecessor.
    void ComputeFromDraws(TJUXEngine& engine);
    void ComputeJUXAnalysis(TJUXEngine& engine);

    // Entries of tested row `row` (1 .. T; other rows are read by the same
    // rule, physical row Rows - T + row - 1) that are <= top, counted from the
    // first while they are; 0 for a row outside the table.
    int32_t HitsWithin(int32_t testedDraws, int32_t row, int32_t top) const
    {
        const int64_t physical = int64_t(rows_) - testedDraws + row - 1;
        if (physical < 0 || physical >= rows_)
            return 0;
        const int8_t* hits = RowHit(int32_t(physical));
        int32_t n = 0;
        while (n < hitWidth_ && hits[n] <= top)
            ++n;
        return n;
    }
    // h gets HitWidth + 1 entries: rows firstRow .. min(T, rowLimit) (0 means
    // T); exact counts rows with exactly j hits in the top `top`, otherwise
    // entry j >= 1 counts rows with at least j and entry 0 rows with none.
    void HitHistogram(int32_t testedDraws, int32_t top, bool exact, int32_t rowLimit, int32_t firstRow,
                      TIntArray& h) const;
    // HitHistogram(top, exact, 0, 1) for top 1 .. PoolSize - 1, worked out
    // once per table and kept; HitWidth + 1 entries, null for another top.
    const int32_t* FilingHistogram(int32_t testedDraws, int32_t top, bool exact) const;
    // All of them in one walk of the hit rows, into `out`: per top, the exact
    // histogram, then the at-least one.
    void FillFilingHistograms(int32_t testedDraws, std::vector<int32_t>& out) const;
    // Lets the kept filing histograms go; worked out again when asked for.
    void ReleaseFilingHistograms() const
    {
        histCache_.reset();
        histCacheTested_ = -1;
    }

    // Bytes held, for memory accounting.
    size_t MemoryBytes() const;

private:
    int32_t poolSize_ = 0;
    int32_t rows_ = 0;
    int32_t hitWidth_ = 0;
    // Rows' orders, then rows' hits, in one block.
    TLineVector<int8_t> rowData_;
    size_t FilingHistogramsSize() const;
    void FillFilingHistograms(int32_t testedDraws, int32_t* out) const;

public:
    // Category list entries naming this table; kept by the best-table lists.
    // What the filing writes stands on a cache line of its own, apart from
    // what the next table's scan reads on another core.
    alignas(64) int32_t ListReferences = 0;

private:
    // Per top 1 .. PoolSize - 1: exact histogram, then the at-least one.
    mutable int32_t histCacheTested_ = -1;
    mutable std::unique_ptr<int32_t[]> histCache_;
};

// Tables a run has let go, kept for its new tables of the same sizes, so that
// a long run does not allocate and clear fresh memory for every table. The
// run loop returns tables and workers take them: all under a lock.
class TTableSpares {
public:
    // A kept table of these sizes, reset to `id`, or a new one.
    std::unique_ptr<TJUXClass> Take(int32_t id, int32_t poolSize, int32_t rows, int32_t hitWidth);
    // Keeps the table while fewer than the capacity are kept; frees it otherwise.
    void Put(std::unique_ptr<TJUXClass> table);
    void SetCapacity(size_t capacity);

private:
    std::mutex mutex_;
    std::vector<std::unique_ptr<TJUXClass>> spares_;
    size_t capacity_ = 2;
};
