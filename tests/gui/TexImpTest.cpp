#include "gui/TexImp.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

struct EntryCase {
    int downloadId;
    int width;
    int height;
    bool loading;
};

TEST(TexImpTest, ReadsItsEntryAsTheEntryChanges)
{
    TextureEntry entry;
    entry.name = "http://tiles.example/tiles/3/4/5.png";
    TexImp handle(entry);
    EXPECT_STREQ(handle.getName(), entry.name.c_str());

    const EntryCase cases[] { { 7, 0, 0, true }, { 0, 256, 128, false }, { -1, 0, 0, true } };
    for (const EntryCase& test : cases) {
        entry.downloadId = test.downloadId;
        entry.width = test.width;
        entry.height = test.height;
        EXPECT_EQ(handle.isLoading(), test.loading) << test.downloadId;
        EXPECT_EQ(handle.getWidth(), test.width);
        EXPECT_EQ(handle.getHeight(), test.height);
    }
    EXPECT_EQ(handle.getTexture(), nullptr);
}

TEST(TexImpTest, CountsUsersAndStampsTheReleaseOfTheLastOne)
{
    ASSERT_EQ(SDL_Init(SDL_INIT_TIMER), 0);
    SDL_Delay(2); // so that a stamp of the current ticks cannot be 0
    TextureEntry entry;
    auto first = std::make_unique<TexImp>(entry);
    auto second = std::make_unique<TexImp>(entry);
    EXPECT_EQ(entry.users, 2);

    first.reset();
    EXPECT_EQ(entry.users, 1);
    EXPECT_EQ(entry.releasedAt, 0u);

    Uint32 before = SDL_GetTicks();
    second.reset();
    Uint32 after = SDL_GetTicks();
    EXPECT_EQ(entry.users, 0);
    EXPECT_GE(entry.releasedAt, before);
    EXPECT_LE(entry.releasedAt, after);
    EXPECT_GT(entry.releasedAt, 0u);
    SDL_QuitSubSystem(SDL_INIT_TIMER);
}

}
