#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "data/Stores.h"

namespace {

std::vector<int32_t> Values(const TIntegerStore& s)
{
    std::vector<int32_t> out;
    for (int i = 1; i <= s.Count(); ++i) {
        int32_t v = 0;
        EXPECT_TRUE(s.GetInt(i, v));
        out.push_back(v);
    }
    return out;
}

std::string Letters(const TStringStore& s)
{
    std::string out;
    for (int i = 1; i <= s.Count(); ++i) {
        std::string t;
        EXPECT_TRUE(s.GetString(i, t));
        out += t;
    }
    return out;
}

TStringStore& Fill(TStringStore& s, const std::string& letters)
{
    for (char c : letters)
        s.AddString(std::string(1, c));
    return s;
}

const int kBadPositions[] = {-1, 0, INT_MIN, INT_MAX, INT_MAX - 1};

} // namespace

TEST(BaseStore, MoveExchangeReverse)
{
    struct Case {
        const char* op;
        int a, b;
        bool result;
        const char* after;
    } cases[] = {
        {"move", 1, 3, true, "BACD"},       {"move", 3, 1, true, "CABD"},     {"move", 1, 4, true, "BCAD"},
        {"move", 4, 1, true, "DABC"},       {"move", 2, 2, true, "ABCD"},     {"move", 0, 2, false, "ABCD"},
        {"move", 2, 5, false, "ABCD"},      {"exchange", 1, 4, true, "DBCA"}, {"exchange", 4, 5, false, "ABCD"},
        {"exchange", -1, 1, false, "ABCD"},
    };
    for (const auto& c : cases) {
        TStringStore s;
        Fill(s, "ABCD");
        const bool r = std::string(c.op) == "move" ? s.Move(c.a, c.b) : s.Exchange(c.a, c.b);
        EXPECT_EQ(r, c.result) << c.op << " " << c.a << "," << c.b;
        EXPECT_EQ(Letters(s), c.after) << c.op << " " << c.a << "," << c.b;
    }
    for (const char* text : {"", "A", "ABCD", "ABCDE"}) {
        TStringStore s;
        Fill(s, text);
        s.Reverse();
        std::string expect = text;
        std::reverse(expect.begin(), expect.end());
        EXPECT_EQ(Letters(s), expect);
    }
}

TEST(BaseStore, CapacityFollowsDeltaSteps)
{
    TIntegerStore s;
    EXPECT_EQ(s.Delta(), 4096);
    EXPECT_EQ(s.Capacity(), 4096);
    s.SetDelta(4);
    EXPECT_EQ(s.Capacity(), 4);
    for (int i = 0; i < 4; ++i)
        s.AddInt(i);
    EXPECT_EQ(s.Capacity(), 4);
    s.AddInt(4);
    EXPECT_EQ(s.Capacity(), 8);
    for (int i = 5; i < 13; ++i)
        s.AddInt(i);
    EXPECT_EQ(s.Capacity(), 16); // 13 values
    // SetDelta on a store that holds values changes nothing.
    s.SetDelta(100);
    EXPECT_EQ(s.Delta(), 4);
    EXPECT_EQ(s.Capacity(), 16);
    // Removal trims once more than Delta slots are free: capacity 4 * (count div 4 + 1).
    for (int i = 0; i < 5; ++i)
        s.DeleteInt(1);
    EXPECT_EQ(s.Count(), 8);
    EXPECT_EQ(s.Capacity(), 12);
    s.SetAutoShrink(false);
    for (int i = 0; i < 6; ++i)
        s.DeleteInt(1);
    EXPECT_EQ(s.Capacity(), 12);
    s.SetAutoShrink(true); // the rule is applied first
    EXPECT_EQ(s.Capacity(), 4);
    TIntegerStore empty;
    for (int bad : {0, -5, INT_MIN})
        empty.SetDelta(bad);
    EXPECT_EQ(empty.Delta(), 4096);
}

TEST(IntegerStore, SortedAddAndBinarySearch)
{
    TIntegerStore s;
    s.SetOrder(TIntegerStore::kAscending);
    for (int v : {5, 1, 3})
        EXPECT_TRUE(s.AddInt(v));
    EXPECT_EQ(Values(s), (std::vector<int32_t>{1, 3, 5}));
    EXPECT_EQ(s.IndexOfInt(3), 2);
    EXPECT_EQ(s.IndexOfInt(4), 0);
    EXPECT_EQ(s.IndexOfInt(1), 1);
    EXPECT_EQ(s.IndexOfInt(5), 3);
    EXPECT_EQ(s.IndexOfInt(0), 0);
    EXPECT_EQ(s.IndexOfInt(6), 0);
    s.SetOrder(TIntegerStore::kDescending);
    EXPECT_EQ(Values(s), (std::vector<int32_t>{5, 3, 1}));
    EXPECT_EQ(s.IndexOfInt(5), 1);
    EXPECT_EQ(s.IndexOfInt(1), 3);
    EXPECT_EQ(s.IndexOfInt(2), 0);
    // A sorted store puts inserted values at their sorted place.
    EXPECT_TRUE(s.InsertInt(1, 2));
    EXPECT_EQ(Values(s), (std::vector<int32_t>{5, 3, 2, 1}));
    EXPECT_TRUE(s.ReplaceInt(1, 0));
    EXPECT_EQ(Values(s), (std::vector<int32_t>{3, 2, 1, 0}));
}

TEST(IntegerStore, BinarySearchAgreesWithScanOnRandomStores)
{
    std::mt19937 rng(7);
    for (int round = 0; round < 300; ++round) {
        TIntegerStore sorted;
        TIntegerStore plain;
        sorted.SetOrder(round % 2 ? TIntegerStore::kAscending : TIntegerStore::kDescending);
        const int n = static_cast<int>(rng() % 40);
        for (int i = 0; i < n; ++i) {
            const int v = static_cast<int>(rng() % 30) - 10;
            sorted.AddInt(v);
            plain.AddInt(v);
        }
        for (int v = -12; v < 22; ++v) {
            const int at = sorted.IndexOfInt(v);
            if (plain.IndexOfInt(v) == 0) {
                EXPECT_EQ(at, 0) << v;
            } else {
                int32_t found = 0;
                ASSERT_TRUE(sorted.GetInt(at, found)) << v;
                EXPECT_EQ(found, v);
            }
        }
    }
}

TEST(IntegerStore, ComparerOrderAndInsertionOrder)
{
    TIntegerStore s;
    s.SetComparer([](int32_t a, int32_t b) { return (a % 10) - (b % 10); }); // by last digit
    s.SetOrder(TIntegerStore::kComparerOrder);
    for (int v : {19, 21, 35, 12})
        s.AddInt(v);
    EXPECT_EQ(Values(s), (std::vector<int32_t>{21, 12, 35, 19}));
    EXPECT_EQ(s.IndexOfInt(35), 3); // scanned, not binary
    TIntegerStore plain;
    for (int v : {4, 2, 4})
        plain.AddInt(v);
    EXPECT_TRUE(plain.InsertInt(2, 9));
    EXPECT_TRUE(plain.InsertInt(5, 7)); // count + 1 appends
    EXPECT_FALSE(plain.InsertInt(7, 1));
    EXPECT_EQ(Values(plain), (std::vector<int32_t>{4, 9, 2, 4, 7}));
    EXPECT_EQ(plain.IndexOfInt(4), 1); // first match
    EXPECT_TRUE(plain.ReplaceInt(5, 8));
    EXPECT_EQ(Values(plain), (std::vector<int32_t>{4, 9, 2, 4, 8}));
}

TEST(IntegerStore, MinMaxTracking)
{
    {
        TIntegerStore s;
        s.TrackMinMax = true;
        for (int v : {1, 3, 5})
            s.AddInt(v);
        EXPECT_EQ(s.Min(), 1);
        EXPECT_EQ(s.Max(), 5);
        EXPECT_TRUE(s.MinMaxValid());
        s.AddInt(-2); // widened while tracking
        EXPECT_TRUE(s.MinMaxValid());
        EXPECT_EQ(s.Min(), -2);
        EXPECT_TRUE(s.DeleteInt(4));
        EXPECT_FALSE(s.MinMaxValid());
        EXPECT_EQ(s.Min(), 1);
        EXPECT_TRUE(s.DeleteInt(2)); // 3 lay strictly between
        EXPECT_TRUE(s.MinMaxValid());
        EXPECT_EQ(s.Min(), 1);
        EXPECT_EQ(s.Max(), 5);
        EXPECT_TRUE(s.DeleteInt(2)); // 5 was the maximum
        EXPECT_FALSE(s.MinMaxValid());
        EXPECT_EQ(s.Max(), 1);
    }
    {
        TIntegerStore s;
        for (int v : {1, 3, 5})
            s.AddInt(v);
        EXPECT_EQ(s.Max(), 5);
        s.AddInt(9); // not tracking: invalidated
        EXPECT_FALSE(s.MinMaxValid());
        EXPECT_EQ(s.Max(), 9);
        s.Clear();
        EXPECT_EQ(s.Min(), 0);
        EXPECT_EQ(s.Max(), 0);
        EXPECT_FALSE(s.MinMaxValid());
    }
    {
        TIntegerStore s;
        s.SetOrder(TIntegerStore::kDescending);
        for (int v : {4, 8, 6})
            s.AddInt(v);
        EXPECT_EQ(s.Min(), 4);
        EXPECT_EQ(s.Max(), 8);
    }
}

TEST(IntegerStore, NextIntWalksFromCursor)
{
    TIntegerStore s;
    for (int v : {7, 8})
        s.AddInt(v);
    std::vector<int32_t> seen;
    int32_t v = 0;
    while (s.NextInt(v))
        seen.push_back(v);
    EXPECT_EQ(seen, (std::vector<int32_t>{7, 8}));
    EXPECT_FALSE(s.NextInt(v));
    s.ResetCursor();
    EXPECT_TRUE(s.NextInt(v));
    EXPECT_EQ(v, 7);
    s.Cursor = INT_MAX;
    EXPECT_FALSE(s.NextInt(v));
}

TEST(IntegerStore, CopyToKeepsOrderAndTrackingFlag)
{
    TIntegerStore source;
    source.SetOrder(TIntegerStore::kDescending);
    for (int v : {3, 9, 1})
        source.AddInt(v);
    TIntegerStore target;
    target.TrackMinMax = true;
    target.AddInt(100);
    source.CopyTo(target);
    EXPECT_EQ(Values(target), (std::vector<int32_t>{9, 3, 1}));
    EXPECT_EQ(target.Order(), TIntegerStore::kDescending);
    EXPECT_TRUE(target.TrackMinMax);
    EXPECT_EQ(target.Max(), 9);
    EXPECT_EQ(target.Min(), 1);
}

TEST(IntegerStore, StreamRoundTripDropsComparerOrder)
{
    struct Case {
        uint8_t order;
        std::vector<int32_t> values;
        uint8_t loadedOrder;
    } cases[] = {
        {0, {5, -1, INT_MAX, INT_MIN}, 0}, {1, {-3, 2, 2, 8}, 1}, {2, {8, 2, -3}, 2}, {3, {15, 24, 31}, 0}, {0, {}, 0},
    };
    for (const auto& c : cases) {
        TIntegerStore s;
        s.SetComparer([](int32_t a, int32_t b) { return (b % 10) - (a % 10); });
        for (int32_t v : c.values)
            s.AddInt(v);
        s.SetOrder(c.order);
        const auto saved = Values(s);
        TMemoryStream stream;
        s.SaveToStream(stream);
        EXPECT_EQ(stream.Size(), 4 + 4 * c.values.size() + 1);
        stream.Seek(0);
        TIntegerStore loaded;
        loaded.AddInt(77);
        loaded.LoadFromStream(stream);
        EXPECT_EQ(Values(loaded), saved);
        EXPECT_EQ(loaded.Order(), c.loadedOrder);
        EXPECT_FALSE(loaded.Comparer());
        EXPECT_TRUE(stream.AtEnd());
    }
}

TEST(IntegerStore, DamagedStreamIsRefusedWithoutChange)
{
    auto stream = [](int32_t count, size_t valueBytes) {
        TMemoryStream s;
        s.WriteI32(count);
        for (size_t i = 0; i < valueBytes; ++i)
            s.WriteU8(1);
        s.Seek(0);
        return s;
    };
    struct Case {
        int32_t count;
        size_t bytes;
    } cases[] = {{-1, 0}, {INT_MAX, 16}, {2, 8}, {2, 3}, {1 << 30, 0}};
    for (const auto& c : cases) {
        TIntegerStore s;
        s.AddInt(42);
        auto m = stream(c.count, c.bytes);
        EXPECT_THROW(s.LoadFromStream(m), EStreamError) << c.count;
        EXPECT_EQ(Values(s), (std::vector<int32_t>{42}));
    }
    TIntegerStore s;
    TMemoryStream empty;
    EXPECT_THROW(s.LoadFromStream(empty), EStreamError);
}

TEST(Stores, BadPositionsNeverCrash)
{
    TIntegerStore ints;
    ints.AddInt(1);
    TStringStore texts;
    texts.AddString("a");
    TRecordStore<int> records;
    records.AddRecord(new int(1));
    for (int p : kBadPositions) {
        int32_t v = 5;
        EXPECT_FALSE(ints.GetInt(p, v)) << p;
        EXPECT_EQ(v, 5);
        EXPECT_FALSE(ints.DeleteInt(p)) << p;
        EXPECT_FALSE(ints.ReplaceInt(p, 3)) << p;
        EXPECT_FALSE(ints.InsertInt(p, 3)) << p;
        EXPECT_FALSE(ints.Get(p).has_value());
        EXPECT_FALSE(ints.Delete(p));
        EXPECT_FALSE(ints.Exchange(p, 1));
        EXPECT_FALSE(ints.Move(1, p));
        EXPECT_FALSE(ints.Move(p, 1));
        std::string t = "x";
        EXPECT_FALSE(texts.GetString(p, t));
        EXPECT_EQ(t, "");
        EXPECT_FALSE(texts.DeleteString(p));
        EXPECT_EQ(records.GetRecord(p), nullptr);
        EXPECT_FALSE(records.DeleteRecord(p));
        EXPECT_EQ(records.Extract(p), nullptr);
        records.Cursor = p;
        EXPECT_EQ(records.NextRecord(), nullptr);
    }
    EXPECT_EQ(ints.Count(), 1);
    EXPECT_EQ(texts.Count(), 1);
    EXPECT_EQ(records.Count(), 1);
    // A position beyond the end appends; -1 and 0 are refused.
    for (int p : {-1, 0, INT_MIN})
        EXPECT_FALSE(records.InsertRecord(p, records.GetRecord(1)));
    int* extra = new int(2);
    EXPECT_TRUE(records.InsertRecord(INT_MAX, extra));
    EXPECT_EQ(records.GetRecord(2), extra);
}

namespace {

struct TTracked {
    explicit TTracked(int& alive) : alive_(alive) { ++alive_; }
    ~TTracked() { --alive_; }
    int& alive_;
};

struct TFreeLog {
    std::vector<const TTracked*> freed;
};

} // namespace

TEST(RecordStore, ReleaseKindsAndCallbacks)
{
    int alive = 0;
    {
        // Owning: removal and destruction release.
        TRecordStore<TTracked> s;
        auto* a = new TTracked(alive);
        EXPECT_TRUE(s.AddRecord(a));
        EXPECT_TRUE(s.AddRecord(new TTracked(alive)));
        EXPECT_FALSE(s.AddRecord(nullptr));
        EXPECT_EQ(s.IndexOfRecord(a), 1);
        EXPECT_TRUE(s.DeleteRecord(1));
        EXPECT_EQ(alive, 1);
    }
    EXPECT_EQ(alive, 0);

    TTracked kept(alive);
    {
        auto s = TRecordStore<TTracked>::CreateNotOwning();
        EXPECT_FALSE(s->OwnsItems);
        EXPECT_EQ(s->ReleaseKind, TRecordStore<TTracked>::kLeave);
        s->AddRecord(&kept);
        s->AddRecord(&kept);
        EXPECT_EQ(s->IndexOfRecord(&kept), 1);
    }
    EXPECT_EQ(alive, 1);

    TFreeLog log;
    {
        auto s = TRecordStore<TTracked>::CreateWithCallback(
            [](void* context, TTracked* e) { static_cast<TFreeLog*>(context)->freed.push_back(e); }, &log);
        EXPECT_TRUE(s->OwnsItems);
        auto* a = new TTracked(alive);
        auto* b = new TTracked(alive);
        s->AddRecord(a);
        s->AddRecord(b);
        s->FreeItemProc = [&](TTracked*) { ADD_FAILURE() << "the callback comes first"; };
        s->Clear(); // last to first
        EXPECT_EQ(log.freed, (std::vector<const TTracked*>{b, a}));
        EXPECT_EQ(s->Count(), 0);
    }
    EXPECT_EQ(alive, 1);
    {
        auto s = TRecordStore<TTracked>::CreateWithCallback(nullptr, nullptr);
        EXPECT_FALSE(s->OwnsItems);
        int procCalls = 0;
        s->FreeItemProc = [&](TTracked* e) {
            ++procCalls;
            EXPECT_EQ(e, &kept);
        };
        s->AddRecord(&kept);
        EXPECT_TRUE(s->DeleteRecord(1));
        EXPECT_EQ(procCalls, 1);
    }
    {
        auto s = TRecordStore<TTracked>::CreateForObjects(true);
        EXPECT_EQ(s->ReleaseKind, TRecordStore<TTracked>::kDestroyObject);
        auto owned = std::make_unique<TTracked>(alive);
        EXPECT_TRUE(s->AddRecord(owned));
        EXPECT_EQ(owned, nullptr);
        // Extract hands the element back without releasing it.
        std::unique_ptr<TTracked> back(s->Extract(1));
        EXPECT_NE(back, nullptr);
        EXPECT_EQ(s->Count(), 0);
        EXPECT_EQ(alive, 2);
    }
    EXPECT_EQ(alive, 1);
}

TEST(RecordStore, InsertRecordPositions)
{
    auto s = TRecordStore<int>::CreateNotOwning();
    int a = 1, b = 2, c = 3, d = 4;
    EXPECT_TRUE(s->InsertRecord(s->Count() + 5, &a)); // beyond the end appends
    EXPECT_FALSE(s->InsertRecord(0, &b));
    EXPECT_EQ(s->Count(), 1);
    EXPECT_FALSE(s->InsertRecord(1, nullptr));
    EXPECT_TRUE(s->InsertRecord(1, &b));
    EXPECT_TRUE(s->InsertRecord(2, &c));
    EXPECT_TRUE(s->InsertRecord(4, &d));
    std::vector<int> order;
    s->ResetCursor();
    while (int* r = s->NextRecord())
        order.push_back(*r);
    EXPECT_EQ(order, (std::vector<int>{2, 3, 1, 4}));
}

TEST(RecordStore, ErrorTexts)
{
    EXPECT_STREQ(ERSAddRecord().what(), "RS - Cannot add record.");
    EXPECT_STREQ(ERSInsertRecord(7).what(), "RS - Cannot insert record at Pos=7.");
    EXPECT_STREQ(ERSString().what(), "RS - Cannot add string.");
}

TEST(StringStore, CopiesAndDeletes)
{
    TStringStore s;
    std::string text = "first";
    s.AddString(text);
    text = "changed";
    s.AddString("");
    s.AddString("third");
    std::string t;
    EXPECT_TRUE(s.GetString(1, t));
    EXPECT_EQ(t, "first");
    EXPECT_TRUE(s.GetString(2, t));
    EXPECT_EQ(t, "");
    EXPECT_TRUE(s.DeleteString(1));
    EXPECT_TRUE(s.GetString(1, t));
    EXPECT_EQ(t, "");
    EXPECT_EQ(s.Count(), 2);
    s.Sort([](const std::string& a, const std::string& b) { return b.compare(a); });
    EXPECT_TRUE(s.GetString(1, t));
    EXPECT_EQ(t, "third");
    s.Sort(nullptr);
    EXPECT_TRUE(s.GetString(1, t));
    EXPECT_EQ(t, "third");
    s.Clear();
    EXPECT_TRUE(s.IsEmpty());
}

// Additions to a sorted store end as a full sort would leave them, also after
// operations that disturbed the order in between.
TEST(IntegerStore, SortedAdditionsMatchAFullSortAfterAnyDisturbance)
{
    std::mt19937 rng(23);
    for (uint8_t order : {TIntegerStore::kAscending, TIntegerStore::kDescending}) {
        TIntegerStore s;
        s.SetOrder(order);
        std::vector<int32_t> model;
        auto sortModel = [&] {
            if (order == TIntegerStore::kAscending)
                std::stable_sort(model.begin(), model.end());
            else
                std::stable_sort(model.begin(), model.end(), std::greater<int32_t>());
        };
        for (int step = 0; step < 3000; ++step) {
            const int op = int(rng() % 10);
            const int n = s.Count();
            if (op < 6) {
                const int32_t v = int32_t(rng() % 200) - 100;
                s.AddInt(v);
                model.push_back(v);
                sortModel();
            } else if (op == 6 && n >= 2) {
                const int a = 1 + int(rng() % unsigned(n)), b = 1 + int(rng() % unsigned(n));
                s.Exchange(a, b);
                std::swap(model[size_t(a - 1)], model[size_t(b - 1)]);
            } else if (op == 7 && n >= 1) {
                s.Reverse();
                std::reverse(model.begin(), model.end());
            } else if (op == 8 && n >= 1) {
                const int p = 1 + int(rng() % unsigned(n));
                s.DeleteInt(p);
                model.erase(model.begin() + (p - 1));
            } else if (op == 9 && n >= 2) {
                const int a = 1 + int(rng() % unsigned(n)), b = 1 + int(rng() % unsigned(n));
                s.Move(a, b);
                const int32_t v = model[size_t(a - 1)];
                model.insert(model.begin() + (b - 1), v);
                model.erase(model.begin() + (a < b ? a - 1 : a));
            }
            std::vector<int32_t> got;
            for (int i = 1; i <= s.Count(); ++i) {
                int32_t v = 0;
                s.GetInt(i, v);
                got.push_back(v);
            }
            ASSERT_EQ(got, model) << "step " << step << " op " << op;
        }
    }
}

// Whatever changes the elements gives a stamp never seen before; reads and
// refused changes leave it alone.
TEST(IntegerStore, StampFollowsEveryChangeOfTheElements)
{
    TIntegerStore s;
    TIntegerStore other;
    EXPECT_NE(s.Stamp(), other.Stamp());
    for (int32_t v : {5, 3, 8, 1})
        s.AddInt(v);
    std::vector<uint64_t> seen{other.Stamp()};
    const std::vector<std::pair<const char*, std::function<bool(TIntegerStore&)>>> changes = {
        {"AddInt", [](TIntegerStore& x) { return x.AddInt(7); }},
        {"InsertInt", [](TIntegerStore& x) { return x.InsertInt(2, 9); }},
        {"DeleteInt", [](TIntegerStore& x) { return x.DeleteInt(1); }},
        {"ReplaceInt", [](TIntegerStore& x) { return x.ReplaceInt(2, 4); }},
        {"Exchange", [](TIntegerStore& x) { return x.Exchange(1, 3); }},
        {"Move", [](TIntegerStore& x) { return x.Move(3, 1); }},
        {"Reverse",
         [](TIntegerStore& x) {
             x.Reverse();
             return true;
         }},
        {"SetOrder",
         [](TIntegerStore& x) {
             x.SetOrder(TIntegerStore::kAscending);
             return true;
         }},
        {"Delete", [](TIntegerStore& x) { return x.Delete(2); }},
        {"LoadFromStream",
         [](TIntegerStore& x) {
             TIntegerStore source;
             source.AddInt(42);
             TMemoryStream stream;
             source.SaveToStream(stream);
             stream.Seek(0);
             x.LoadFromStream(stream);
             return true;
         }},
        {"Clear",
         [](TIntegerStore& x) {
             x.Clear();
             return true;
         }},
    };
    for (const auto& [name, change] : changes) {
        seen.push_back(s.Stamp());
        ASSERT_TRUE(change(s)) << name;
        EXPECT_EQ(std::count(seen.begin(), seen.end(), s.Stamp()), 0) << name;
    }
    const uint64_t before = s.Stamp();
    int32_t v = 0;
    s.GetInt(1, v);
    s.IndexOfInt(3);
    s.Min();
    EXPECT_FALSE(s.DeleteInt(99));
    EXPECT_FALSE(s.Exchange(0, 1));
    EXPECT_EQ(s.Stamp(), before);
}
