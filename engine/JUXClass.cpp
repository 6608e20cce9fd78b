// Table storage (flat, one allocation per array kind) and the hit questions.
#include "engine/JUXClass.h"

#include <algorithm>
#include <climits>

TJUXClass::TJUXClass(int32_t id, int32_t poolSize, int32_t rows, int32_t hitWidth)
    : Id(id), poolSize_(std::max(poolSize, 0)), rows_(std::max(rows, 0)), hitWidth_(std::max(hitWidth, 0))
{
    FinalOrder.assign(size_t(poolSize_), 0);
    rowOrders_.assign(size_t(rows_) * size_t(poolSize_), 0);
    rowHits_.assign(size_t(rows_) * size_t(hitWidth_), 0);
}

const int8_t* TJUXClass::RowOrder(int32_t row) const
{
    if (row < 0 || row >= rows_)
        return nullptr;
    return rowOrders_.data() + size_t(row) * size_t(poolSize_);
}

int8_t* TJUXClass::RowOrder(int32_t row)
{
    return const_cast<int8_t*>(static_cast<const TJUXClass*>(this)->RowOrder(row));
}

const int8_t* TJUXClass::RowHit(int32_t row) const
{
    if (row < 0 || row >= rows_)
        return nullptr;
    return rowHits_.data() + size_t(row) * size_t(hitWidth_);
}

int8_t* TJUXClass::RowHit(int32_t row)
{
    histCacheTested_ = -1; // whoever writes hits invalidates the derived histograms
    return const_cast<int8_t*>(static_cast<const TJUXClass*>(this)->RowHit(row));
}

TArrayOfShortIntArray TJUXClass::RowOrders() const
{
    TArrayOfShortIntArray out(static_cast<size_t>(rows_));
    for (int32_t r = 0; r < rows_; ++r)
        out[size_t(r)].assign(RowOrder(r), RowOrder(r) + poolSize_);
    return out;
}

TArrayOfShortIntArray TJUXClass::RowHits() const
{
    TArrayOfShortIntArray out(static_cast<size_t>(rows_));
    for (int32_t r = 0; r < rows_; ++r)
        out[size_t(r)].assign(RowHit(r), RowHit(r) + hitWidth_);
    return out;
}

bool TJUXClass::SetArrays(const TShortIntArray& finalOrder, const TArrayOfShortIntArray& rowOrders,
                          const TArrayOfShortIntArray& rowHits)
{
    if (finalOrder.size() != size_t(poolSize_) || rowOrders.size() != size_t(rows_) ||
        rowHits.size() != size_t(rows_))
        return false;
    for (int32_t r = 0; r < rows_; ++r)
        if (rowOrders[size_t(r)].size() != size_t(poolSize_) || rowHits[size_t(r)].size() != size_t(hitWidth_))
            return false;
    FinalOrder = finalOrder;
    for (int32_t r = 0; r < rows_; ++r) {
        std::copy(rowOrders[size_t(r)].begin(), rowOrders[size_t(r)].end(), RowOrder(r));
        std::copy(rowHits[size_t(r)].begin(), rowHits[size_t(r)].end(), RowHit(r));
    }
    histCacheTested_ = -1;
    return true;
}

int32_t TJUXClass::HitsWithin(int32_t testedDraws, int32_t row, int32_t top) const
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

void TJUXClass::HitHistogram(int32_t testedDraws, int32_t top, bool exact, int32_t rowLimit, int32_t firstRow,
                             TIntArray& h) const
{
    h.assign(size_t(hitWidth_) + 1, 0);
    const int32_t last = rowLimit == 0 ? testedDraws : std::min(testedDraws, rowLimit);
    for (int32_t row = firstRow; row <= last; ++row) {
        const int32_t n = HitsWithin(testedDraws, row, top);
        if (exact)
            h[size_t(n)] += 1;
        else if (n == 0)
            h[0] += 1;
        else
            for (int32_t j = 1; j <= n; ++j)
                h[size_t(j)] += 1;
    }
}

const int32_t* TJUXClass::FilingHistogram(int32_t testedDraws, int32_t top, bool exact) const
{
    if (top < 1 || top > poolSize_ - 1)
        return nullptr;
    if (histCacheTested_ != testedDraws)
        BuildHistogramCache(testedDraws);
    const size_t width = size_t(hitWidth_) + 1;
    return histCache_.data() + (size_t(top - 1) * 2 + (exact ? 0 : 1)) * width;
}

// One sweep over the tops instead of one pass over the rows per top: a row's
// count within the top `a` is the number of leading entries whose running
// maximum is <= a, so each entry raises its row's count once, at that maximum.
void TJUXClass::BuildHistogramCache(int32_t testedDraws) const
{
    const int32_t tops = std::max(poolSize_ - 1, 0);
    const size_t width = size_t(hitWidth_) + 1;
    histCache_.assign(size_t(tops) * 2 * width, 0);
    histCacheTested_ = testedDraws;
    if (tops == 0)
        return;

    // Rows 1 .. T as HitHistogram(top, exact, 0, 1) reads them.
    std::vector<int32_t> eventStart(size_t(tops) + 2, 0);
    std::vector<int32_t> events;
    std::vector<std::pair<int32_t, int32_t>> pending; // (threshold, row index)
    int32_t rowsCounted = 0;
    for (int32_t row = 1; row <= testedDraws; ++row) {
        ++rowsCounted;
        const int64_t physical = int64_t(rows_) - testedDraws + row - 1;
        if (physical < 0 || physical >= rows_)
            continue; // such a row has no hits within any top
        const int8_t* hits = RowHit(int32_t(physical));
        int32_t runningMax = INT32_MIN;
        for (int32_t t = 0; t < hitWidth_; ++t) {
            runningMax = std::max<int32_t>(runningMax, hits[t]);
            const int32_t threshold = std::max(runningMax, 1);
            if (threshold > tops)
                break;
            pending.emplace_back(threshold, row - 1);
        }
    }
    for (const auto& p : pending)
        ++eventStart[size_t(p.first) + 1];
    for (size_t a = 1; a < eventStart.size(); ++a)
        eventStart[a] += eventStart[a - 1];
    events.resize(pending.size());
    {
        std::vector<int32_t> fill(eventStart.begin(), eventStart.end());
        for (const auto& p : pending)
            events[size_t(fill[size_t(p.first)]++)] = p.second;
    }

    std::vector<int32_t> count(size_t(std::max(testedDraws, 0)), 0);
    std::vector<int32_t> exact(width, 0), atLeast(width, 0);
    exact[0] = rowsCounted;
    atLeast[0] = rowsCounted;
    for (int32_t a = 1; a <= tops; ++a) {
        for (int32_t e = eventStart[size_t(a)]; e < eventStart[size_t(a) + 1]; ++e) {
            const int32_t old = count[size_t(events[size_t(e)])]++;
            exact[size_t(old)] -= 1;
            exact[size_t(old) + 1] += 1;
            atLeast[size_t(old) + 1] += 1;
            if (old == 0)
                atLeast[0] -= 1;
        }
        int32_t* out = histCache_.data() + size_t(a - 1) * 2 * width;
        std::copy(exact.begin(), exact.end(), out);
        std::copy(atLeast.begin(), atLeast.end(), out + width);
    }
}

size_t TJUXClass::MemoryBytes() const
{
    return sizeof(*this) + FinalOrder.capacity() + rowOrders_.capacity() + rowHits_.capacity() +
           histCache_.capacity() * sizeof(int32_t);
}
