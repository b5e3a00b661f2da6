#pragma once

#include <cstddef>
#include <new>

// Small fixed-size blocks for the nodes of parsed answers. An answer of a megabyte holds
// over a hundred thousand small heap objects (a map node and a value per entry); taken from
// the general allocator one by one they cost as much time as the parse itself, mostly in
// its bookkeeping of freed blocks. Here a block comes off a free list or the end of a large
// chunk, and a freed block goes back on the list of its size.
//
// Each thread keeps its own lists, so parsing on several threads takes no lock; a block
// freed on another thread joins that thread's lists. Chunks are never given back, not even
// when their thread ends, since a tree may outlive the thread that built it: the memory
// held is that of the largest trees that were alive at once. Sanitizer builds use the
// general allocator, so that a use after free is still caught.
class BlockPool {
public:
    // Blocks are whole multiples of the alignment every new expression gets.
    static constexpr size_t alignment = __STDCPP_DEFAULT_NEW_ALIGNMENT__;
    // Larger requests go to the general allocator.
    static constexpr size_t largestBlock = 128;

    static void* allocate(size_t size);
    static void release(void* block, size_t size) noexcept;
};

// Lets a standard container take its nodes from the BlockPool.
template <typename T>
class PoolAllocator {
public:
    using value_type = T;

    PoolAllocator() = default;
    template <typename U>
    PoolAllocator(const PoolAllocator<U>&) noexcept
    {
    }

    T* allocate(size_t count)
    {
        static_assert(alignof(T) <= BlockPool::alignment, "BlockPool blocks are not aligned for this type");
        return static_cast<T*>(BlockPool::allocate(count * sizeof(T)));
    }
    void deallocate(T* block, size_t count) noexcept { BlockPool::release(block, count * sizeof(T)); }
};

// Every PoolAllocator frees what any other one allocated.
template <typename T, typename U>
bool operator==(const PoolAllocator<T>&, const PoolAllocator<U>&) noexcept
{
    return true;
}
template <typename T, typename U>
bool operator!=(const PoolAllocator<T>&, const PoolAllocator<U>&) noexcept
{
    return false;
}
