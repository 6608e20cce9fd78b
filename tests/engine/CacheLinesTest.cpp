// Memory written by one thread while others run stands on whole cache lines:
// aligned at its start and owning every line up to its end, whatever the
// element size and count, and through every way a vector grows.
#include <gtest/gtest.h>

#include <cstdint>

#include "engine/CacheLines.h"
#include "engine/JUXClass.h"

namespace {

template <class T>
void ExpectWholeLines(const TLineVector<T>& v)
{
    if (v.capacity() == 0)
        return;
    EXPECT_EQ(reinterpret_cast<uintptr_t>(v.data()) % kCacheLine, 0u);
    EXPECT_EQ(TLineAllocator<T>::Bytes(v.capacity()) % kCacheLine, 0u);
    EXPECT_GE(TLineAllocator<T>::Bytes(v.capacity()), v.capacity() * sizeof(T));
}

struct TOdd {
    char Bytes[13];
};

TEST(CacheLines, EveryBufferOwnsWholeLines)
{
    for (size_t count : {size_t(1), size_t(5), size_t(63), size_t(64), size_t(65), size_t(1000), size_t(4099)}) {
        SCOPED_TRACE(count);
        TLineVector<int8_t> bytes(count);
        TLineVector<int32_t> words;
        words.assign(count, 7);
        TLineVector<TOdd> odd;
        for (size_t i = 0; i < count; ++i)
            odd.push_back(TOdd{}); // grows by reallocation
        ExpectWholeLines(bytes);
        ExpectWholeLines(words);
        ExpectWholeLines(odd);
        TLineVector<int32_t> copy = words;
        ExpectWholeLines(copy);
        EXPECT_EQ(copy, words);
    }
    EXPECT_THROW(TLineAllocator<int64_t>().allocate(size_t(-1) / 4), std::bad_array_new_length);

    // A table's rows, which the next table's scan reads on another core.
    for (int32_t rows : {1, 7, 280}) {
        TJUXClass table(1, 49, rows, 6);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(table.RowOrder(0)) % kCacheLine, 0u);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(&table) % kCacheLine, 0u);
    }
}

} // namespace
