#include "app/Player.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

void writeText(const fs::path& path, const std::string& text)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path) << text;
}

// A real Ogg Vorbis file with a tone of the given length.
void writeTone(const fs::path& path, double seconds)
{
    fs::create_directories(path.parent_path());
    std::string command = "sox -n -r 22050 -c 2 '" + path.string() + "' synth " + std::to_string(seconds)
        + " sine 440 2>/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

std::vector<std::string> sorted(std::vector<std::string> names)
{
    std::sort(names.begin(), names.end());
    return names;
}

bool eventually(const std::function<bool()>& condition)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        SDL_Delay(10);
    }
    return true;
}

size_t count(const std::string& text, const std::string& part)
{
    size_t found = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++found;
    return found;
}

// Each test gets a fresh data folder and the process-wide player bound to it. The
// player's messages are captured and shown again when a test fails.
class PlayerTest : public testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "tidewake-audio-XXXXXX").string();
        ASSERT_TRUE(mkdtemp(pattern.data()));
        root = pattern;
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_AUDIO), 0) << SDL_GetError();
        player = std::make_unique<Player>(folder());
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
    }

    void TearDown() override
    {
        finish();
        player.reset();
        if (HasFailure())
            std::cout << printed << reported;
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }

    std::string folder() const { return root.string() + "/"; }

    void finish()
    {
        if (finished || !player)
            return;
        finished = true;
        player->stopPlayer();
        player->waitThread();
        printed = testing::internal::GetCapturedStdout();
        reported = testing::internal::GetCapturedStderr();
    }

    bool progressReaches(const std::function<bool(const PlayerProgress&)>& condition)
    {
        return eventually([&] { return condition(player->progress()); });
    }

    fs::path root;
    bool finished = false;
    std::string printed;
    std::string reported;
};

}

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
    // Every one of the six orders turns up; a pick from 0 to i - 1 would give only two.
    EXPECT_EQ(orders.size(), 6u);

    std::vector<std::string> many { "1", "2", "3", "4", "5", "6", "7", "8" };
    std::vector<std::string> again = many;
    std::srand(5);
    shuffleNames(many);
    std::srand(5);
    shuffleNames(again);
    EXPECT_EQ(many, again);
}

TEST_F(PlayerTest, QueuesEveryOggFileOfTheMusicFolder)
{
    struct Case {
        const char* what;
        std::vector<std::string> files;
        std::vector<std::string> folders;
        std::vector<std::string> queued;
    } cases[] = {
        { "missing music folder", {}, {}, {} },
        { "empty music folder", {}, { "music" }, {} },
        { "mixed folder",
            { "music/a.ogg", "music/B.OGG", "music/c.Ogg", "music/notes.txt", "music/x.ogg.txt", "music/ogg",
                "music/.hidden.ogg", "music/..ogg" },
            { "music/sub.ogg", "music/sub.ogg/inner.ogg" }, { "music/B.OGG", "music/a.ogg", "music/c.Ogg" } },
    };
    for (const Case& c : cases) {
        fs::remove_all(root / "music");
        for (const std::string& file : c.files)
            writeText(root / file, "x");
        for (const std::string& name : c.folders)
            fs::create_directories(root / name);
        player = std::make_unique<Player>(folder());
        queueShuffledMusic(folder());
        EXPECT_EQ(sorted(player->pendingMusic()), c.queued) << c.what;
    }
}

TEST_F(PlayerTest, WavesPlayWithoutMusic)
{
    writeTone(root / "sound" / "waves.ogg", 0.2);
    fs::create_directories(root / "music");
    player->startThread();
    queueShuffledMusic(folder());
    player->playSample("sound/waves.ogg", -1, 0.3f);

    ASSERT_TRUE(progressReaches([](const PlayerProgress& p) { return p.samplesStarted == 1; }));
    // Endless: still playing well past the sample's own length.
    SDL_Delay(500);
    EXPECT_EQ(Mix_Playing(-1), 1);
    EXPECT_EQ(player->progress().musicLoads, 0);
    finish();
    EXPECT_EQ(printed, "");
}

TEST_F(PlayerTest, SamplesAreCachedOnlyWhenTheyLoad)
{
    writeTone(root / "sound" / "bell.ogg", 0.1);
    player->startThread();
    player->playSample("sound/none.ogg", 0, 1.0f);
    player->playSample("sound/none.ogg", 0, 1.0f);
    player->playSample("sound/bell.ogg", 0, 1.0f);
    ASSERT_TRUE(progressReaches([](const PlayerProgress& p) { return p.samplesStarted == 1; }));

    // The second request is served from the cache, not from the file.
    fs::remove(root / "sound" / "bell.ogg");
    player->playSample("sound/bell.ogg", 0, 0.5f);
    EXPECT_TRUE(progressReaches([](const PlayerProgress& p) { return p.samplesStarted == 2; }));
    finish();
    EXPECT_EQ(count(printed, "Can't load sample " + folder() + "sound/none.ogg: "), 2u) << printed;
    EXPECT_EQ(count(printed, "Can't load sample"), 2u) << printed;
}

TEST_F(PlayerTest, OneTrackPlaysAgainEachTimeItEnds)
{
    writeTone(root / "music" / "only.ogg", 0.2);
    player->startThread();
    queueShuffledMusic(folder());

    ASSERT_TRUE(progressReaches([](const PlayerProgress& p) { return p.musicStarts >= 3; }));
    PlayerProgress progress = player->progress();
    EXPECT_EQ(progress.tracks, 1);
    EXPECT_EQ(progress.current, 0);
    EXPECT_EQ(progress.musicLoads, 1);
    finish();
    EXPECT_EQ(printed, "");
}

TEST_F(PlayerTest, TracksThatFailToLoadLeaveTheCycle)
{
    writeTone(root / "music" / "first.ogg", 0.2);
    writeText(root / "music" / "broken.ogg", "not an Ogg Vorbis stream");
    writeTone(root / "music" / "second.ogg", 0.2);
    player->startThread();
    for (const char* name : { "music/first.ogg", "music/missing.ogg", "music/broken.ogg", "music/second.ogg" })
        player->queueMusic(name);

    std::set<int> played;
    ASSERT_TRUE(progressReaches([&](const PlayerProgress& p) {
        played.insert(p.current);
        return p.musicLoads == 4 && p.musicStarts >= 5;
    }));
    EXPECT_EQ(player->progress().tracks, 2);
    EXPECT_EQ(played, (std::set<int> { 0, 1 }));
    finish();
    for (const char* name : { "missing.ogg", "broken.ogg" })
        EXPECT_EQ(count(printed, "Error loading music '" + folder() + "music/" + name + "': "), 1u) << printed;
    EXPECT_EQ(count(printed, "Error loading music"), 2u) << printed;
}

TEST_F(PlayerTest, StopFreesLoadedTracksAndLoadsNoMore)
{
    for (const char* name : { "long.ogg", "b.ogg", "c.ogg", "d.ogg" })
        writeTone(root / "music" / name, 3);
    player->startThread();
    player->queueMusic("music/long.ogg");
    ASSERT_TRUE(progressReaches([](const PlayerProgress& p) { return p.tracks == 1; }));

    player->stopPlayer();
    for (const char* name : { "music/b.ogg", "music/c.ogg", "music/d.ogg" })
        player->queueMusic(name);
    finish();

    PlayerProgress progress = player->progress();
    EXPECT_EQ(progress.musicLoads, 1);
    EXPECT_EQ(progress.tracks, 0);
    EXPECT_TRUE(player->pendingMusic().empty());
    EXPECT_EQ(Mix_PlayingMusic(), 0);
}

TEST_F(PlayerTest, MixerThatCannotOpenEndsTheThreadAndRequestsAreStillAccepted)
{
    // The mixer opens SDL's audio itself, with the driver named in the environment.
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    std::string driver = getenv("SDL_AUDIODRIVER") ? getenv("SDL_AUDIODRIVER") : "";
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    player->startThread();
    std::future<int> ended = std::async(std::launch::async, [] { return player->waitThread(); });
    bool endedByItself = ended.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
    if (!endedByItself)
        player->stopPlayer();
    ended.wait();
    setenv("SDL_AUDIODRIVER", driver.c_str(), 1);
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_AUDIO), 0) << SDL_GetError();
    EXPECT_TRUE(endedByItself);

    player->queueMusic("music/a.ogg");
    player->playSample("sound/waves.ogg", -1, 0.3f);
    EXPECT_EQ(player->pendingMusic(), std::vector<std::string> { "music/a.ogg" });
    EXPECT_EQ(player->progress().musicLoads, 0);
    EXPECT_EQ(player->progress().samplesStarted, 0);
    finish();
    EXPECT_EQ(printed.rfind("Error opening audio: ", 0), 0u) << printed;
    EXPECT_NE(reported.find("exception caught in stream player: Error opening audio\n"), std::string::npos)
        << reported;
}
