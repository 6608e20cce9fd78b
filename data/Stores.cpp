#include "data/Stores.h"

int TIntegerStore::Compare(int32_t a, int32_t b) const
{
    switch (order_) {
    case kAscending: return a < b ? -1 : (a > b ? 1 : 0);
    case kDescending: return a < b ? 1 : (a > b ? -1 : 0);
    case kComparerOrder: return comparer_ ? comparer_(a, b) : 0;
    default: return 0;
    }
}

bool TIntegerStore::SortedByOrder() const
{
    for (size_t i = 1; i < items_.size(); ++i)
        if (Compare(items_[i - 1], items_[i]) > 0)
            return false;
    return true;
}

void TIntegerStore::SortByOrder()
{
    if (order_ == kInsertionOrder || (order_ == kComparerOrder && !comparer_))
        return;
    Sort([this](const int32_t& a, const int32_t& b) { return Compare(a, b); });
    inOrder_ = true;
}

void TIntegerStore::SetOrder(uint8_t order)
{
    order_ = order <= kComparerOrder ? order : kInsertionOrder;
    inOrder_ = false;
    SortByOrder();
}

void TIntegerStore::Clear()
{
    ClearSlots();
    minMaxValid_ = false;
    inOrder_ = true;
}

void TIntegerStore::AfterAddition(int32_t value)
{
    if (TrackMinMax && minMaxValid_) {
        min_ = std::min(min_, value);
        max_ = std::max(max_, value);
    } else {
        minMaxValid_ = false;
    }
}

bool TIntegerStore::AddInt(int32_t value)
{
    bool added;
    if (order_ == kInsertionOrder || (order_ == kComparerOrder && !comparer_)) {
        added = AppendSlot(value);
    } else if (inOrder_ || SortedByOrder()) {
        // Same result as appending and sorting the whole list again, in O(n).
        const auto at = std::upper_bound(items_.begin(), items_.end(), value,
                                         [this](int32_t a, int32_t b) { return Compare(a, b) < 0; });
        added = InsertSlot(static_cast<int>(at - items_.begin()) + 1, value);
        inOrder_ = true;
    } else {
        added = AppendSlot(value);
        if (added)
            SortByOrder();
    }
    if (added)
        AfterAddition(value);
    return added;
}

bool TIntegerStore::InsertInt(int position, int32_t value)
{
    if (order_ != kInsertionOrder || position == Count() + 1)
        return AddInt(value);
    if (!InRange(position))
        return false;
    if (!InsertSlot(position, value))
        return false;
    AfterAddition(value);
    return true;
}

bool TIntegerStore::DeleteInt(int position)
{
    if (!InRange(position))
        return false;
    const int32_t value = items_[position - 1];
    if (minMaxValid_)
        minMaxValid_ = value > min_ && value < max_;
    return Delete(position);
}

bool TIntegerStore::ReplaceInt(int position, int32_t value)
{
    if (!DeleteInt(position))
        return false;
    return InsertInt(position, value);
}

bool TIntegerStore::NextInt(int32_t& value)
{
    if (!GetInt(Cursor, value))
        return false;
    ++Cursor;
    return true;
}

int TIntegerStore::IndexOfInt(int32_t value) const
{
    const int count = Count();
    if (order_ == kAscending || order_ == kDescending) {
        int low = 1;
        int high = count;
        int position = static_cast<int>((int64_t(count) + 1) / 2);
        while (position >= 1 && position <= count && low <= high) {
            const int32_t v = items_[position - 1];
            if (v == value)
                return position;
            const bool wrongSide = order_ == kAscending ? v > value : v < value;
            if (wrongSide)
                high = position - 1;
            else
                low = position + 1;
            position = static_cast<int>((int64_t(low) + high) / 2);
        }
        return 0;
    }
    for (int i = 0; i < count; ++i)
        if (items_[i] == value)
            return i + 1;
    return 0;
}

void TIntegerStore::RecomputeMinMax()
{
    if (IsEmpty()) {
        min_ = max_ = 0;
    } else if (order_ == kAscending) {
        min_ = items_.front();
        max_ = items_.back();
    } else if (order_ == kDescending) {
        min_ = items_.back();
        max_ = items_.front();
    } else {
        const auto [lo, hi] = std::minmax_element(items_.begin(), items_.end());
        min_ = *lo;
        max_ = *hi;
    }
    minMaxValid_ = Count() > 0;
}

int32_t TIntegerStore::Min()
{
    if (!minMaxValid_)
        RecomputeMinMax();
    return min_;
}

int32_t TIntegerStore::Max()
{
    if (!minMaxValid_)
        RecomputeMinMax();
    return max_;
}

void TIntegerStore::CopyTo(TIntegerStore& target) const
{
    if (&target == this)
        return;
    target.Clear();
    target.order_ = kInsertionOrder;
    const bool track = target.TrackMinMax;
    target.TrackMinMax = false;
    for (int32_t v : items_)
        target.AddInt(v);
    target.SetOrder(order_);
    target.TrackMinMax = track;
}

void TIntegerStore::SaveToStream(TMemoryStream& stream) const
{
    stream.WriteI32(Count());
    for (int32_t v : items_)
        stream.WriteI32(v);
    stream.WriteU8(order_);
}

void TIntegerStore::LoadFromStream(TMemoryStream& stream)
{
    const int32_t count = stream.ReadI32();
    if (count < 0 || uint64_t(count) * 4 + 1 > stream.Remaining())
        throw EStreamError(
            Format("Integer store: %d values announced, the stream holds %zu bytes.", count, stream.Remaining()));
    std::vector<int32_t> values(static_cast<size_t>(count));
    for (auto& v : values)
        v = stream.ReadI32();
    const uint8_t order = stream.ReadU8();
    Clear();
    order_ = kInsertionOrder;
    comparer_ = nullptr;
    items_ = std::move(values);
    Touched();
    inOrder_ = false;
    ApplyCapacityRule();
    minMaxValid_ = false;
    order_ = (order == kAscending || order == kDescending) ? order : kInsertionOrder;
    SortByOrder();
}
