#include "table/BlockPool.h"
#include "table/Table.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Block {
    unsigned char* bytes;
    size_t size;
    unsigned char fill;
};

void releaseChecked(const Block& block)
{
    for (size_t i = 0; i < block.size; ++i)
        ASSERT_EQ(block.bytes[i], block.fill) << "block of " << block.size << " bytes was overwritten";
    BlockPool::release(block.bytes, block.size);
}

// Allocates and frees blocks of random sizes in random order, every block filled with its
// own byte, and checks that no live block was handed out twice or overwritten. Every
// few rounds all blocks are freed, so the pool starts over while the test runs on.
void churn(std::mt19937& random, std::vector<Block>& live, int rounds)
{
    std::uniform_int_distribution<size_t> size(1, BlockPool::largestBlock + 40);
    for (int round = 0; round < rounds; ++round) {
        if (round % 5000 == 4999) {
            for (const Block& block : live)
                releaseChecked(block);
            live.clear();
        }
        size_t wanted = size(random);
        auto* bytes = static_cast<unsigned char*>(BlockPool::allocate(wanted));
        ASSERT_EQ(reinterpret_cast<uintptr_t>(bytes) % BlockPool::alignment, 0u);
        unsigned char fill = static_cast<unsigned char>(round);
        std::memset(bytes, fill, wanted);
        live.push_back({bytes, wanted, fill});
        if (random() % 2 == 0) {
            size_t victim = random() % live.size();
            releaseChecked(live[victim]);
            live[victim] = live.back();
            live.pop_back();
        }
    }
}

std::vector<Block> blocksMadeOnAnotherThread(int count)
{
    std::vector<Block> blocks;
    std::thread maker([&] {
        std::mt19937 random(11);
        churn(random, blocks, count);
    });
    maker.join();
    return blocks;
}

std::string boatsText(int count)
{
    std::string text = "boats = {";
    for (int boat = 0; boat < count; ++boat)
        text += "{user = " + std::to_string(boat) + ", nick = 'Sailor " + std::to_string(boat) + "', lat = 1.5},";
    return text + "}";
}

void expectBoats(const Table& root, int count)
{
    const Table* boats = getTable(root, "boats");
    ASSERT_NE(boats, nullptr);
    ASSERT_EQ(boats->size(), size_t(count));
    for (int boat = 0; boat < count; ++boat) {
        const Table* entry = getTable(*boats, std::to_string(boat));
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(getInt(*entry, "user"), boat);
        EXPECT_EQ(getString(*entry, "nick", ""), "Sailor " + std::to_string(boat));
        EXPECT_EQ(getDouble(*entry, "lat"), 1.5);
    }
}

} // namespace

TEST(BlockPoolTest, LiveBlocksAreAlignedAndNeverShared)
{
    std::mt19937 random(7);
    std::vector<Block> live;
    churn(random, live, 40000);
    for (const Block& block : live)
        releaseChecked(block);
}

TEST(BlockPoolTest, BlocksFreedOnAnotherThreadStayIntactUntilThen)
{
    // Blocks of a thread that has ended are freed here between this thread's own.
    std::vector<Block> foreign = blocksMadeOnAnotherThread(17000);
    ASSERT_FALSE(foreign.empty());
    std::mt19937 random(13);
    std::vector<Block> live;
    churn(random, live, 7000);
    for (const Block& block : foreign)
        releaseChecked(block);
    churn(random, live, 12000);

    // And this thread's blocks freed on another one, while it keeps some of its own.
    std::vector<Block> handedOver(live.begin(), live.begin() + live.size() / 2);
    live.erase(live.begin(), live.begin() + live.size() / 2);
    std::thread([&] {
        for (const Block& block : handedOver)
            releaseChecked(block);
    }).join();
    churn(random, live, 12000);
    for (const Block& block : live)
        releaseChecked(block);
}

TEST(BlockPoolTest, TablesOutliveTheThreadThatParsedThem)
{
    const std::string text = boatsText(300);
    Table kept = parseTable(text);
    Table fromWorker;
    std::thread([&] { fromWorker = parseTable(text); }).join();
    for (int round = 0; round < 3; ++round)
        expectBoats(parseTable(text), 300);
    expectBoats(fromWorker, 300);
    fromWorker = Table();
    for (int round = 0; round < 3; ++round)
        expectBoats(parseTable(text), 300);
    expectBoats(kept, 300);
}
