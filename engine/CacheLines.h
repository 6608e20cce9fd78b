// Memory for data one thread writes or reads at every step while others run:
// whole cache lines, so that no other object shares a line with it. Without
// it, in a process that had freed memory before, the heap put other threads'
// data beside the scan's, and a threaded run cost about a tenth more
// processor time per table.
#pragma once

#include <cstddef>
#include <new>
#include <vector>

inline constexpr size_t kCacheLine = 64;

template <class T>
struct TLineAllocator {
    using value_type = T;
    TLineAllocator() = default;
    template <class U>
    TLineAllocator(const TLineAllocator<U>&) noexcept
    {}
    static size_t Bytes(size_t n) { return (n * sizeof(T) + kCacheLine - 1) / kCacheLine * kCacheLine; }
    T* allocate(size_t n)
    {
        if (n > size_t(-1) / sizeof(T) - kCacheLine)
            throw std::bad_array_new_length();
        return static_cast<T*>(::operator new(Bytes(n), std::align_val_t(kCacheLine)));
    }
    void deallocate(T* p, size_t n) noexcept { ::operator delete(p, Bytes(n), std::align_val_t(kCacheLine)); }
    template <class U>
    bool operator==(const TLineAllocator<U>&) const noexcept
    {
        return true;
    }
};

template <class T>
using TLineVector = std::vector<T, TLineAllocator<T>>;
