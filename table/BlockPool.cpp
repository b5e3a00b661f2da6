#include "table/BlockPool.h"

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)

void* BlockPool::allocate(size_t size)
{
    return ::operator new(size);
}

void BlockPool::release(void* block, size_t) noexcept
{
    ::operator delete(block);
}

#else

#include <atomic>
#include <cstdint>

namespace {

// Chunks are aligned to their size, so the chunk of any block is found from its address.
constexpr size_t chunkSize = 64 * 1024;
constexpr size_t sizeCount = BlockPool::largestBlock / BlockPool::alignment;

struct alignas(BlockPool::alignment) Chunk {
    uint64_t owner;
    Chunk* next;
};

// A free block holds the link to the next free block of its size.
struct FreeBlock {
    FreeBlock* next;
};

std::atomic<uint64_t> lastOwner { 0 };

// The blocks of one thread. It has no destructor, so that values destroyed during the
// program's exit may still give their blocks back.
struct ThreadBlocks {
    uint64_t owner = 0;
    FreeBlock* freeBySize[sizeCount] = {};
    Chunk* firstChunk = nullptr;
    Chunk* currentChunk = nullptr;
    char* chunkNext = nullptr;
    char* chunkEnd = nullptr;
    // Blocks this thread made and has not freed itself; it never counts too few. At zero
    // every chunk is empty again, and allocation starts over at the first one: blocks
    // then follow each other in memory in the order the tree is built, as they did the
    // first time, instead of in the scattered order they were freed.
    size_t live = 0;

    void* carve(size_t size)
    {
        if (static_cast<size_t>(chunkEnd - chunkNext) < size)
            useChunk(currentChunk && currentChunk->next ? currentChunk->next : newChunk());
        void* block = chunkNext;
        chunkNext += size;
        return block;
    }

    Chunk* newChunk()
    {
        if (owner == 0)
            owner = ++lastOwner;
        Chunk* chunk = static_cast<Chunk*>(::operator new(chunkSize, std::align_val_t(chunkSize)));
        *chunk = Chunk { owner, nullptr };
        if (currentChunk)
            currentChunk->next = chunk;
        else
            firstChunk = chunk;
        return chunk;
    }

    void useChunk(Chunk* chunk)
    {
        currentChunk = chunk;
        chunkNext = reinterpret_cast<char*>(chunk + 1);
        chunkEnd = reinterpret_cast<char*>(chunk) + chunkSize;
    }

    // Blocks another thread made and this one freed are dropped with the lists; their
    // maker's count stays above zero, so it never reuses their chunks.
    void startOver()
    {
        for (FreeBlock*& head : freeBySize)
            head = nullptr;
        useChunk(firstChunk);
    }
};

thread_local ThreadBlocks threadBlocks;

// The index of the size class that holds blocks of the given size, which is at least 1.
size_t sizeClass(size_t size)
{
    return (size - 1) / BlockPool::alignment;
}

const Chunk* chunkOf(const void* block)
{
    return reinterpret_cast<const Chunk*>(reinterpret_cast<uintptr_t>(block) & ~uintptr_t(chunkSize - 1));
}

} // namespace

void* BlockPool::allocate(size_t size)
{
    if (size == 0 || size > largestBlock)
        return ::operator new(size);
    ThreadBlocks& blocks = threadBlocks;
    ++blocks.live;
    FreeBlock*& head = blocks.freeBySize[sizeClass(size)];
    if (head) {
        FreeBlock* block = head;
        head = block->next;
        // Freed blocks lie scattered over the chunks: fetching the next one now keeps the
        // following allocation from waiting on memory.
        __builtin_prefetch(head, 1);
        return block;
    }
    return blocks.carve((sizeClass(size) + 1) * alignment);
}

void BlockPool::release(void* block, size_t size) noexcept
{
    if (!block)
        return;
    if (size == 0 || size > largestBlock) {
        ::operator delete(block);
        return;
    }
    ThreadBlocks& blocks = threadBlocks;
    if (chunkOf(block)->owner == blocks.owner && --blocks.live == 0) {
        blocks.startOver();
        return;
    }
    FreeBlock*& head = blocks.freeBySize[sizeClass(size)];
    head = new (block) FreeBlock { head };
}

#endif
