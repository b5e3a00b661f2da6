#include "table/BlockPool.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <thread>

namespace {

struct Block {
    unsigned char* bytes;
    size_t size;
    unsigned char fill;
};

void releaseChecked(const std::vector<Block>& blocks)
{
    for (const Block& block : blocks) {
        for (size_t i = 0; i < block.size; ++i)
            ASSERT_EQ(block.bytes[i], block.fill) << "block of " << block.size << " bytes was overwritten";
        BlockPool::release(block.bytes, block.size);
    }
}

// Allocates and frees blocks of random sizes in random order, every block filled with its
// own byte, and checks that no live block was handed out twice or overwritten. Every
// few rounds all blocks are freed, so the pool starts over while the test runs on.
void churn(std::mt19937& random, std::vector<Block>& live, int rounds)
{
    std::uniform_int_distribution<size_t> size(1, BlockPool::largestBlock + 40);
    for (int round = 0; round < rounds; ++round) {
        if (round % 5000 == 4999) {
            releaseChecked(live);
            live.clear();
        }
        size_t wanted = size(random);
        auto* bytes = static_cast<unsigned char*>(BlockPool::allocate(wanted));
        ASSERT_EQ(reinterpret_cast<uintptr_t>(bytes) % BlockPool::alignment, 0u);
        unsigned char fill = static_cast<unsigned char>(round);
        std::memset(bytes, fill, wanted);
        live.push_back({ bytes, wanted, fill });
        if (random() % 2 == 0) {
            size_t victim = random() % live.size();
            releaseChecked({ live[victim] });
            live[victim] = live.back();
            live.pop_back();
        }
    }
}

TEST(BlockPoolTest, LiveBlocksAreAlignedAndNeverSharedWhicheverThreadFreesThem)
{
    // Blocks of a thread that has ended are freed here between this thread's own.
    std::vector<Block> foreign;
    std::thread([&] {
        std::mt19937 otherRandom(11);
        churn(otherRandom, foreign, 17000);
    }).join();
    ASSERT_FALSE(foreign.empty());
    std::mt19937 random(13);
    std::vector<Block> live;
    churn(random, live, 7000);
    releaseChecked(foreign);
    churn(random, live, 12000);

    // And this thread's blocks freed on another one, which has blocks of its own, fewer
    // than it frees: they stay intact too. This thread keeps some of its own.
    std::vector<Block> handedOver(live.begin(), live.begin() + live.size() / 2);
    live.erase(live.begin(), live.begin() + live.size() / 2);
    std::thread([&] {
        std::mt19937 otherRandom(17);
        std::vector<Block> own;
        churn(otherRandom, own, 100);
        releaseChecked(handedOver);
        churn(otherRandom, own, 2000);
        releaseChecked(own);
    }).join();
    churn(random, live, 12000);
    releaseChecked(live);
}

} // namespace
