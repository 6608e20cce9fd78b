// Table storage (flat, one allocation per array kind) and the hit questions.
#include "engine/JUXClass.h"

#include <algorithm>

TJUXClass::TJUXClass(int32_t id, int32_t poolSize, int32_t rows, int32_t hitWidth)
    : Id(id), poolSize_(std::max(poolSize, 0)), rows_(std::max(rows, 0)), hitWidth_(std::max(hitWidth, 0))
{
    FinalOrder.assign(size_t(poolSize_), 0);
    rowData_.assign(size_t(rows_) * (size_t(poolSize_) + size_t(hitWidth_)), 0);
}

void TJUXClass::Reset(int32_t id)
{
    Id = id;
    std::fill(FinalOrder.begin(), FinalOrder.end(), 0);
    std::fill(rowData_.begin(), rowData_.end(), 0);
    ReleaseFilingHistograms();
    ListReferences = 0;
}

std::unique_ptr<TJUXClass> TTableSpares::Take(int32_t id, int32_t poolSize, int32_t rows, int32_t hitWidth)
{
    std::unique_ptr<TJUXClass> table;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!spares_.empty()) {
            table = std::move(spares_.back());
            spares_.pop_back();
        }
    }
    if (table && table->PoolSize() == poolSize && table->Rows() == rows && table->HitWidth() == hitWidth) {
        table->Reset(id);
        return table;
    }
    return std::make_unique<TJUXClass>(id, poolSize, rows, hitWidth);
}

void TTableSpares::Put(std::unique_ptr<TJUXClass> table)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (table && spares_.size() < capacity_)
        spares_.push_back(std::move(table));
    // Otherwise the table is freed as the call returns, past the lock.
}

void TTableSpares::SetCapacity(size_t capacity)
{
    std::lock_guard<std::mutex> lock(mutex_);
    capacity_ = capacity;
    if (spares_.size() > capacity_)
        spares_.resize(capacity_);
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
    if (finalOrder.size() != size_t(poolSize_) || rowOrders.size() != size_t(rows_) || rowHits.size() != size_t(rows_))
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
    if (histCacheTested_ != testedDraws) {
        if (!histCache_)
            histCache_ = std::make_unique_for_overwrite<int32_t[]>(FilingHistogramsSize());
        FillFilingHistograms(testedDraws, histCache_.get());
        histCacheTested_ = testedDraws;
    }
    const size_t width = size_t(hitWidth_) + 1;
    return histCache_.get() + (size_t(top - 1) * 2 + (exact ? 0 : 1)) * width;
}

// What it computes: for every top a, HitHistogram(a, exact, 0, 1) and
// HitHistogram(a, at least, 0, 1). A row's count within the top a is the
// number of its leading entries whose running maximum (at least 1) is <= a,
// so it has at least c hits in every top from its c-th running maximum on:
// one walk marks each row's c-th maximum, sums over the tops give the
// at-least entries, and exact ones are their differences.
size_t TJUXClass::FilingHistogramsSize() const
{
    return size_t(std::max(poolSize_ - 1, 0)) * 2 * (size_t(hitWidth_) + 1);
}

void TJUXClass::FillFilingHistograms(int32_t testedDraws, std::vector<int32_t>& out) const
{
    out.resize(FilingHistogramsSize());
    FillFilingHistograms(testedDraws, out.data());
}

void TJUXClass::FillFilingHistograms(int32_t testedDraws, int32_t* data) const
{
    const int32_t tops = std::max(poolSize_ - 1, 0);
    const size_t width = size_t(hitWidth_) + 1;
    const size_t stride = 2 * width;
    if (tops == 0)
        return;
    // marks[c][a]: the rows whose (c + 1)-th running maximum is a.
    const size_t line = size_t(tops) + 1;
    constexpr size_t kOnStack = 15 * 100;
    int32_t onStack[kOnStack];
    std::vector<int32_t> onHeap;
    int32_t* marks = onStack;
    if (size_t(hitWidth_) * line > kOnStack) {
        onHeap.resize(size_t(hitWidth_) * line);
        marks = onHeap.data();
    }
    std::fill_n(marks, size_t(hitWidth_) * line, 0);
    for (int32_t row = 1; row <= testedDraws; ++row) {
        const int64_t physical = int64_t(rows_) - testedDraws + row - 1;
        if (physical < 0 || physical >= rows_)
            continue;
        const int8_t* hits = RowHit(int32_t(physical));
        int32_t runningMax = 1;
        int32_t* mark = marks;
        for (int32_t c = 0; c < hitWidth_; ++c, mark += line) {
            runningMax = std::max<int32_t>(runningMax, hits[c]);
            if (runningMax > tops)
                break;
            mark[runningMax] += 1;
        }
    }
    for (size_t c = 1; c < width; ++c) {
        const int32_t* mark = marks + (c - 1) * line;
        int32_t* atLeast = data + width + c;
        int32_t sum = 0;
        for (int32_t a = 1; a <= tops; ++a, atLeast += stride) {
            sum += mark[a];
            *atLeast = sum;
        }
    }
    const int32_t rows = std::max(testedDraws, 0);
    for (int32_t a = 1; a <= tops; ++a) {
        int32_t* exact = data + size_t(a - 1) * stride;
        int32_t* atLeast = exact + width;
        for (size_t c = 1; c + 1 < width; ++c)
            exact[c] = atLeast[c] - atLeast[c + 1];
        if (width > 1)
            exact[width - 1] = atLeast[width - 1];
        exact[0] = rows - (width > 1 ? atLeast[1] : 0);
        atLeast[0] = exact[0];
    }
}

size_t TJUXClass::MemoryBytes() const
{
    return sizeof(*this) + FinalOrder.capacity() + rowData_.capacity() +
           (histCache_ ? FilingHistogramsSize() * sizeof(int32_t) : 0);
}
