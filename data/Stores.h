// The 1-based lists the whole system keeps its data in: integer lists that can
// keep themselves sorted and know their minimum and maximum, record lists that
// may own and release their elements, and text lists.
//
// Every position argument is checked: reads and removals answer false / none /
// 0 for a position outside 1..Count, never raise and never crash.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "data/Stream.h"
#include "data/Types.h"

class ERSAddRecord : public Exception {
public:
    ERSAddRecord() : Exception("RS - Cannot add record.") {}
};

class ERSInsertRecord : public Exception {
public:
    explicit ERSInsertRecord(int position) : Exception(Format("RS - Cannot insert record at Pos=%d.", position)) {}
};

class ERSString : public Exception {
public:
    ERSString() : Exception("RS - Cannot add string.") {}
};

// Never the same value twice in a process, so that a store's stamp also tells
// it apart from a store that once stood at the same address.
inline uint64_t NextStoreStamp()
{
    static std::atomic<uint64_t> next{1};
    return next.fetch_add(1, std::memory_order_relaxed);
}

// The slot list shared by the stores. The reported capacity follows the growth
// rule of the stores (steps of Delta); the vector beneath grows as it likes.
template <typename T> class TBaseStore {
public:
    static constexpr int32_t kDefaultDelta = 4096;

    TBaseStore() { ApplyCapacityRule(); }
    virtual ~TBaseStore() = default;
    TBaseStore(const TBaseStore&) = delete;
    TBaseStore& operator=(const TBaseStore&) = delete;

    int Count() const { return static_cast<int>(items_.size()); }
    bool IsEmpty() const { return Count() < 1; }
    int32_t Delta() const { return delta_; }
    bool AutoShrink() const { return autoShrink_; }
    int32_t Capacity() const { return capacity_; }

    // Only on an empty store; a step below 1 is refused (it would divide by zero).
    void SetDelta(int32_t n)
    {
        if (!IsEmpty() || n < 1)
            return;
        delta_ = n;
        ApplyCapacityRule();
    }
    void SetAutoShrink(bool flag)
    {
        ApplyCapacityRule();
        autoShrink_ = flag;
    }

    // 1-based position of the next element for sequential reading.
    int32_t Cursor = 1;
    void ResetCursor() { Cursor = 1; }

    bool InRange(int position) const { return position >= 1 && position <= Count(); }

    // Changes with every change of the elements: what was derived from a
    // store is current while the store still shows the stamp it was taken at.
    uint64_t Stamp() const { return stamp_; }

    bool Exchange(int a, int b)
    {
        if (!InRange(a) || !InRange(b))
            return false;
        std::swap(items_[a - 1], items_[b - 1]);
        Touched();
        Reordered();
        return true;
    }

    // The element at a goes before the element standing at b, then its old entry
    // is removed: Move(1, 3) on A B C D gives B A C D, Move(3, 1) gives C A B D.
    bool Move(int a, int b)
    {
        if (!InRange(a) || !InRange(b))
            return false;
        auto first = items_.begin();
        if (a < b)
            std::rotate(first + (a - 1), first + a, first + (b - 1));
        else if (a > b)
            std::rotate(first + (b - 1), first + (a - 1), first + a);
        Touched();
        Reordered();
        return true;
    }

    // comparison(a, b) answers below 0, 0 or above 0. A merge sort is used so that
    // even an inconsistent comparison cannot make it step outside the list.
    void Sort(const std::function<int(const T&, const T&)>& comparison)
    {
        if (!comparison)
            return;
        std::stable_sort(items_.begin(), items_.end(), [&](const T& x, const T& y) { return comparison(x, y) < 0; });
        Touched();
        Reordered();
    }

    void Reverse()
    {
        std::reverse(items_.begin(), items_.end());
        Touched();
        Reordered();
    }

    std::optional<T> Get(int position) const
    {
        if (!InRange(position))
            return std::nullopt;
        return items_[position - 1];
    }

    // Removes the slot only; whatever the element owns is not released.
    bool Delete(int position)
    {
        if (!InRange(position))
            return false;
        items_.erase(items_.begin() + (position - 1));
        Touched();
        AfterRemoval();
        return true;
    }

protected:
    // The elements were rearranged by one of the operations above.
    virtual void Reordered() {}
    // Whoever changes items_ directly calls this.
    void Touched() { stamp_ = NextStoreStamp(); }

    // False when the list cannot take another element.
    bool AppendSlot(T value) { return InsertSlot(Count() + 1, std::move(value)); }
    // position in 1..Count+1.
    bool InsertSlot(int position, T value)
    {
        if (position < 1 || position > Count() + 1 || Count() >= std::numeric_limits<int32_t>::max() - 1)
            return false;
        try {
            items_.insert(items_.begin() + (position - 1), std::move(value));
        } catch (const std::bad_alloc&) {
            return false;
        } catch (const std::length_error&) {
            return false;
        }
        Touched();
        if (Count() > capacity_)
            capacity_ = static_cast<int32_t>(
                std::min<int64_t>(int64_t(capacity_) + delta_, std::numeric_limits<int32_t>::max()));
        return true;
    }
    void AfterRemoval()
    {
        if (autoShrink_ && int64_t(capacity_) - Count() > delta_)
            ApplyCapacityRule();
    }
    void ClearSlots()
    {
        items_.clear();
        Touched();
        ApplyCapacityRule();
    }
    void ApplyCapacityRule()
    {
        const int64_t c = int64_t(delta_) * (Count() / delta_ + 1);
        capacity_ = static_cast<int32_t>(std::min<int64_t>(c, std::numeric_limits<int32_t>::max()));
    }

    std::vector<T> items_;

private:
    int32_t delta_ = kDefaultDelta;
    bool autoShrink_ = true;
    int32_t capacity_ = 0;
    uint64_t stamp_ = NextStoreStamp();
};

// Signed 32-bit values in insertion, ascending, descending or comparer order.
class TIntegerStore : public TBaseStore<int32_t> {
public:
    static constexpr uint8_t kInsertionOrder = 0, kAscending = 1, kDescending = 2, kComparerOrder = 3;
    using TComparer = std::function<int(int32_t a, int32_t b)>;

    uint8_t Order() const { return order_; }
    // Sets the order and sorts by it; values above 3 mean insertion order.
    void SetOrder(uint8_t order);
    const TComparer& Comparer() const { return comparer_; }
    // Takes effect at the next sort (SetOrder, AddInt).
    void SetComparer(TComparer comparer)
    {
        comparer_ = std::move(comparer);
        inOrder_ = false;
    }

    bool TrackMinMax = false;
    bool MinMaxValid() const { return minMaxValid_; }

    void Clear();
    bool AddInt(int32_t value);
    bool InsertInt(int position, int32_t value);
    bool DeleteInt(int position);
    bool ReplaceInt(int position, int32_t value);
    // Inline: the engine's filing reads list entries in its innermost loops.
    bool GetInt(int position, int32_t& value) const
    {
        if (!InRange(position))
            return false;
        value = items_[size_t(position - 1)];
        return true;
    }
    bool NextInt(int32_t& value);
    int IndexOfInt(int32_t value) const;
    bool ContainsInt(int32_t value) const { return IndexOfInt(value) > 0; }
    int32_t Min();
    int32_t Max();
    void CopyTo(TIntegerStore& target) const;

    // count (int32), the values (int32 each), the order (1 byte), little-endian.
    void SaveToStream(TMemoryStream& stream) const;
    // Raises EStreamError for a negative count or one the stream has no bytes
    // for; the store is left unchanged then.
    void LoadFromStream(TMemoryStream& stream);

protected:
    void Reordered() override { inOrder_ = false; }

private:
    int Compare(int32_t a, int32_t b) const;
    bool SortedByOrder() const;
    void SortByOrder();
    void AfterAddition(int32_t value);
    void RecomputeMinMax();

    uint8_t order_ = kInsertionOrder;
    TComparer comparer_;
    bool minMaxValid_ = false;
    // Known to stand in the store's order, so an addition needs no scan.
    bool inOrder_ = true;
    int32_t min_ = 0;
    int32_t max_ = 0;
};

// A list of records or objects, owned or not. Removing an element calls
// OnFreeItem (with its context) or else FreeItemProc, then releases the element
// when the store owns it.
template <typename R> class TRecordStore : public TBaseStore<R*> {
    using Base = TBaseStore<R*>;

public:
    static constexpr uint8_t kReleaseMemory = 0, kDestroyObject = 1, kLeave = 2;
    using TFreeItemEvent = std::function<void(void* context, R* element)>;
    using TFreeItemProc = std::function<void(R* element)>;

    // Owning, releasing memory.
    TRecordStore() = default;
    static std::unique_ptr<TRecordStore> CreateNotOwning()
    {
        auto s = std::make_unique<TRecordStore>();
        s->OwnsItems = false;
        s->ReleaseKind = kLeave;
        return s;
    }
    // Owns its elements exactly when a callback is given.
    static std::unique_ptr<TRecordStore> CreateWithCallback(TFreeItemEvent callback, void* context)
    {
        auto s = std::make_unique<TRecordStore>();
        s->OwnsItems = static_cast<bool>(callback);
        s->OnFreeItem = std::move(callback);
        s->FreeItemContext = context;
        return s;
    }
    static std::unique_ptr<TRecordStore> CreateForObjects(bool owns)
    {
        auto s = std::make_unique<TRecordStore>();
        s->OwnsItems = owns;
        s->ReleaseKind = kDestroyObject;
        return s;
    }

    ~TRecordStore() override { Clear(); }

    bool OwnsItems = true;
    uint8_t ReleaseKind = kReleaseMemory;
    TFreeItemEvent OnFreeItem;
    void* FreeItemContext = nullptr;
    TFreeItemProc FreeItemProc;

    R* GetRecord(int position) const { return Base::InRange(position) ? Base::items_[position - 1] : nullptr; }
    // All Count() elements in order, for loops over many of them; valid
    // until the store changes.
    R* const* Records() const { return Base::items_.data(); }
    R* NextRecord()
    {
        R* r = GetRecord(Base::Cursor);
        if (r)
            ++Base::Cursor;
        return r;
    }
    int IndexOfRecord(const R* element) const
    {
        if (!element)
            return 0;
        for (int i = 0; i < Base::Count(); ++i)
            if (Base::items_[i] == element)
                return i + 1;
        return 0;
    }

    // An owning store takes the element over only when it answers true; on
    // ERSAddRecord the caller still owns it.
    bool AddRecord(R* element)
    {
        if (!element)
            return false;
        if (!Base::AppendSlot(element))
            throw ERSAddRecord();
        return true;
    }
    bool AddRecord(std::unique_ptr<R>& element)
    {
        if (!AddRecord(element.get()))
            return false;
        element.release();
        return true;
    }
    // Beyond the end appends; none or a position below 1 answers false.
    bool InsertRecord(int position, R* element)
    {
        if (position > Base::Count())
            return AddRecord(element);
        if (!element || position < 1)
            return false;
        if (!Base::InsertSlot(position, element))
            throw ERSInsertRecord(position);
        return true;
    }

    bool DeleteRecord(int position)
    {
        R* element = GetRecord(position);
        if (!element)
            return false;
        if (!Base::Delete(position))
            return false;
        if (OnFreeItem)
            OnFreeItem(FreeItemContext, element);
        else if (FreeItemProc)
            FreeItemProc(element);
        if (OwnsItems && (ReleaseKind == kReleaseMemory || ReleaseKind == kDestroyObject))
            delete element;
        return true;
    }

    // Takes an element out without calling any release; the caller owns it.
    R* Extract(int position)
    {
        R* element = GetRecord(position);
        if (element)
            Base::Delete(position);
        return element;
    }

    void Clear()
    {
        const bool shrink = Base::AutoShrink();
        Base::SetAutoShrink(false);
        for (int i = Base::Count(); i >= 1; --i)
            DeleteRecord(i);
        Base::ClearSlots();
        Base::SetAutoShrink(shrink);
    }
};

// Store-owned copies of texts.
class TStringStore : public TBaseStore<std::string> {
public:
    void AddString(const std::string& text)
    {
        if (!AppendSlot(text))
            throw ERSString();
    }
    bool GetString(int position, std::string& text) const
    {
        if (!InRange(position)) {
            text.clear();
            return false;
        }
        text = items_[position - 1];
        return true;
    }
    bool DeleteString(int position) { return Delete(position); }
    void Clear() { ClearSlots(); }
};
