#include "app/Player.h"
#include "support/StdoutCapture.h"
#include "support/TempFolder.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <set>

namespace fs = std::filesystem;

namespace {

std::vector<std::string> sorted(std::vector<std::string> names)
{
    std::sort(names.begin(), names.end());
    return names;
}

size_t count(const std::string& text, const std::string& part)
{
    size_t found = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++found;
    return found;
}

// A fresh data folder and the process-wide player bound to it. What the player prints is
// captured only while it runs, so that a failure's message stays visible.
class PlayerTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_AUDIO), 0) << SDL_GetError();
        player = std::make_unique<Player>(root());
    }
    void TearDown() override
    {
        stop();
        player.reset();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }

    std::string root() const { return data.path().string() + "/"; }
    // A real Ogg Vorbis file with a tone of the given length.
    void writeTone(const std::string& name, double seconds) const
    {
        fs::create_directories((data.path() / name).parent_path());
        std::string command = "sox -n -r 22050 -c 2 '" + (data.path() / name).string() + "' synth "
            + std::to_string(seconds) + " sine 440 2>/dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }
    bool reaches(const std::function<bool(const PlayerProgress&)>& condition)
    {
        return waitUntil([&] { return condition(player->progress()); });
    }
    void stop()
    {
        if (player && player->isRunning()) {
            player->stopPlayer();
            player->waitThread();
        }
    }

    TempFolder data;
};

TEST(ShuffleNames, PermutesUniformlyAndRepeatsForTheSameSeed)
{
    const std::vector<std::string> names { "a", "b", "c" };
    std::set<std::vector<std::string>> orders;
    std::srand(11);
    for (int round = 0; round < 600; ++round) {
        std::vector<std::string> shuffled = names;
        shuffleNames(shuffled);
        ASSERT_EQ(sorted(shuffled), names);
        orders.insert(shuffled);
    }
    EXPECT_EQ(orders.size(), 6u) << "a pick from 0 to i - 1 would give only two orders";
    std::vector<std::string> once { "1", "2", "3", "4", "5", "6", "7", "8" }, again = once;
    std::srand(5);
    shuffleNames(once);
    std::srand(5);
    shuffleNames(again);
    EXPECT_EQ(once, again);
}

TEST_F(PlayerTest, QueuesEveryOggFileOfTheMusicFolder)
{
    for (const char* name : { "music/a.ogg", "music/B.OGG", "music/c.Ogg", "music/notes.txt", "music/x.ogg.txt",
             "music/ogg", "music/.hidden.ogg", "music/..ogg" })
        data.write(name, "x");
    fs::create_directories(data.path() / "music/sub.ogg/inner.ogg");
    queueShuffledMusic(root());
    EXPECT_EQ(sorted(player->pendingMusic()), (std::vector<std::string> { "music/B.OGG", "music/a.ogg", "music/c.Ogg" }));
    player = std::make_unique<Player>(root());
    queueShuffledMusic(root() + "missing/");
    EXPECT_TRUE(player->pendingMusic().empty());
}

// The waves play with no music at all; a sample that fails to load is tried again next
// time, one that loads is kept.
TEST_F(PlayerTest, SamplesPlayWithoutMusicAndOnlyThoseThatLoadAreKept)
{
    writeTone("sound/bell.ogg", 0.1);
    fs::create_directories(data.path() / "music");
    std::string printed;
    {
        StdoutCapture output;
        player->startThread();
        queueShuffledMusic(root());
        for (const char* name : { "sound/none.ogg", "sound/none.ogg", "sound/bell.ogg" })
            player->playSample(name, -1, 0.3f);
        EXPECT_TRUE(reaches([](const PlayerProgress& p) { return p.samplesStarted == 1; }));
        fs::remove(data.path() / "sound/bell.ogg");
        player->playSample("sound/bell.ogg", 0, 1.0f);
        EXPECT_TRUE(reaches([](const PlayerProgress& p) { return p.samplesStarted == 2; }));
        stop();
        printed = output.text();
    }
    EXPECT_EQ(player->progress().musicLoads, 0);
    EXPECT_EQ(count(printed, "Can't load sample " + root() + "sound/none.ogg: "), 2u) << printed;
    EXPECT_EQ(count(printed, "\n"), 2u) << printed;
}

// Each track plays once and the next follows, round and round; tracks that do not load
// leave the cycle. Stopping frees the tracks and loads nothing more.
TEST_F(PlayerTest, TracksPlayInTurnWithoutTheOnesThatFailToLoad)
{
    writeTone("music/first.ogg", 0.2);
    data.write("music/broken.ogg", "not an Ogg Vorbis stream");
    writeTone("music/second.ogg", 0.2);
    std::set<int> played;
    std::string printed;
    {
        StdoutCapture output;
        player->startThread();
        for (const char* name : { "music/first.ogg", "music/missing.ogg", "music/broken.ogg", "music/second.ogg" })
            player->queueMusic(name);
        EXPECT_TRUE(reaches([&](const PlayerProgress& p) {
            played.insert(p.current);
            return p.musicLoads == 4 && p.tracks == 2 && p.musicStarts >= 5;
        }));
        player->stopPlayer();
        player->queueMusic("music/first.ogg");
        stop();
        printed = output.text();
    }
    EXPECT_EQ(played, (std::set<int> { 0, 1 }));
    EXPECT_EQ((std::pair { player->progress().musicLoads, player->progress().tracks }), (std::pair { 4, 0 }));
    EXPECT_TRUE(player->pendingMusic().empty());
    for (const char* name : { "missing.ogg", "broken.ogg" })
        EXPECT_EQ(count(printed, "Error loading music '" + root() + "music/" + name + "': "), 1u) << printed;
    EXPECT_EQ(count(printed, "\n"), 2u) << printed;
}

// The mixer opens SDL's audio itself, with the driver the environment names.
TEST_F(PlayerTest, AMixerThatCannotOpenEndsTheThreadAndRequestsAreStillTaken)
{
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    std::string driver = std::getenv("SDL_AUDIODRIVER") ? std::getenv("SDL_AUDIODRIVER") : "";
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    std::string printed;
    {
        StdoutCapture output;
        player->startThread();
        std::future<int> ended = std::async(std::launch::async, [] { return player->waitThread(); });
        bool endedByItself = ended.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
        if (!endedByItself)
            player->stopPlayer();
        ended.wait();
        printed = output.text();
        EXPECT_TRUE(endedByItself);
    }
    setenv("SDL_AUDIODRIVER", driver.c_str(), 1);
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_AUDIO), 0) << SDL_GetError();
    player->queueMusic("music/a.ogg");
    player->playSample("sound/waves.ogg", -1, 0.3f);
    EXPECT_EQ(player->pendingMusic(), std::vector<std::string> { "music/a.ogg" });
    EXPECT_EQ(player->progress().samplesStarted, 0);
    EXPECT_EQ(printed.rfind("Error opening audio: ", 0), 0u) << printed;
}

}
