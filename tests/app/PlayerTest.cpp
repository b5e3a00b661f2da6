#include "app/Player.h"

#include "support/StdoutCapture.h"
#include "support/TempFolder.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <regex>

namespace {

// A fresh data folder and the process-wide player bound to it.
class PlayerTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_AUDIO), 0) << SDL_GetError();
        player = std::make_unique<Player>(root());
    }
    void TearDown() override { SDL_QuitSubSystem(SDL_INIT_AUDIO); }

    std::string root() const { return data.path().string() + "/"; }
    // A real Ogg Vorbis file with a tone of the given length.
    void writeTone(const std::string& name, double seconds) const
    {
        std::filesystem::create_directories((data.path() / name).parent_path());
        std::string command = "sox -n -r 22050 -c 2 '" + root() + name + "' synth " + std::to_string(seconds) + " sine 440";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }
    // Starts the player, runs the steps, stops the player and returns what it printed.
    std::string run(const std::function<void()>& steps)
    {
        StdoutCapture output;
        player->startThread();
        steps();
        player->stopPlayer();
        player->waitThread();
        return output.text();
    }

    TempFolder data;
};

TEST_F(PlayerTest, QueuesEveryOggFileOfTheMusicFolderInAnyOrder)
{
    std::set<std::vector<std::string>> orders;
    std::srand(11);
    for (int round = 0; round < 600; ++round) {
        std::vector<std::string> shuffled { "a", "b", "c" };
        shuffleNames(shuffled);
        orders.insert(shuffled);
    }
    EXPECT_EQ(orders.size(), 6u) << "a pick from 0 to i - 1 would give only two orders";
    for (const char* name : { "music/a.ogg", "music/B.OGG", "music/c.Ogg", "music/notes.txt", "music/x.ogg.txt",
             "music/ogg", "music/.hidden.ogg", "music/..ogg", "music/sub.ogg/inner.ogg" })
        data.write(name, "x");
    queueShuffledMusic(root() + "missing/");
    queueShuffledMusic(root());
    std::vector<std::string> queued = player->pendingMusic();
    EXPECT_EQ(std::set<std::string>(queued.begin(), queued.end()), (std::set<std::string> { "music/B.OGG", "music/a.ogg", "music/c.Ogg" }));
}

// Samples play with no music queued; a sample that fails to load is tried again next
// time, one that loads is kept.
TEST_F(PlayerTest, SamplesPlayWithoutMusicAndOnlyThoseThatLoadAreKept)
{
    writeTone("sound/bell.ogg", 0.1);
    std::string printed = run([&] {
        for (const char* name : { "sound/none.ogg", "sound/none.ogg", "sound/bell.ogg" })
            player->playSample(name, -1, 0.3f);
        EXPECT_TRUE(waitUntil([&] { return player->progress().samplesStarted == 1; }));
        Mix_Chunk* bell = Mix_GetChunk(0); // on the first free channel
        std::filesystem::remove(data.path() / "sound/bell.ogg");
        player->playSample("sound/bell.ogg", 0, 0.0f); // no volume keeps the bell's own
        EXPECT_TRUE(waitUntil([&] { return player->progress().samplesStarted == 2; }));
        EXPECT_EQ(Mix_VolumeChunk(bell, -1), int(0.3f * MIX_MAX_VOLUME));
    });
    EXPECT_TRUE(std::regex_match(printed, std::regex("(Can't load sample " + root() + "sound/none.ogg: .*\n){2}"))) << printed;
}

// Each track plays once and the next follows, round and round; tracks that do not load
// leave the cycle.
TEST_F(PlayerTest, TracksPlayInTurnWithoutTheOnesThatFailToLoad)
{
    writeTone("music/first.ogg", 0.2);
    data.write("music/broken.ogg", "not an Ogg Vorbis stream");
    writeTone("music/second.ogg", 0.2);
    std::set<int> played;
    std::string printed = run([&] {
        player->queueMusic("music/first.ogg");
        EXPECT_TRUE(waitUntil([&] { return player->progress().musicStarts >= 1; })) << "the first track starts once loaded";
        for (const char* name : { "music/missing.ogg", "music/broken.ogg", "music/second.ogg" })
            player->queueMusic(name);
        EXPECT_TRUE(waitUntil([&] {
            PlayerProgress p = player->progress();
            played.insert(p.current);
            return p.musicLoads == 4 && p.tracks == 2 && p.musicStarts >= 5;
        }));
    });
    EXPECT_EQ(played, (std::set<int> { 0, 1 }));
    EXPECT_EQ(player->progress().tracks, 0) << "stopping frees the tracks";
    std::string failed = "Error loading music '" + root() + "music/";
    EXPECT_TRUE(std::regex_match(printed, std::regex(failed + "missing.ogg': .*\n" + failed + "broken.ogg': .*\n"))) << printed;
}

// The mixer opens SDL's audio itself, with the driver the environment names.
TEST_F(PlayerTest, AMixerThatCannotOpenEndsTheThreadAndRequestsAreStillTaken)
{
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    std::string driver = std::getenv("SDL_AUDIODRIVER");
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    // A thread that waited for requests instead would hold the test to its time limit.
    std::string printed = run([&] { player->waitThread(); });
    setenv("SDL_AUDIODRIVER", driver.c_str(), 1);
    player->queueMusic("music/a.ogg");
    EXPECT_EQ(player->pendingMusic(), std::vector<std::string> { "music/a.ogg" });
    EXPECT_EQ(printed.rfind("Error opening audio: ", 0), 0u) << printed;
}

}
